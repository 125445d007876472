#pragma once

#include "Outline.h"

#include <initializer_list>
#include <string>
#include <vector>

// The E-13B character shapes of MICR65, on the 7 x 9 design grid (1 unit = 0.013 in).
namespace velmora::print::micr65 {

// One or more convex pieces of ink; pieces may overlap, the generator merges them.
using Shape = std::vector<Polygon>;

// x0-x1 by y0-y1, in grid units: x from the left of the 7-unit box, y up from the baseline.
Shape rect(double x0, double x1, double y0, double y1);
// A rectangular loop x0-x1 by y0-y1 around the counter hx0-hx1 by hy0-hy1.
Shape ring(double x0, double x1, double y0, double y1, double hx0, double hx1, double hy0, double hy1);
// A convex four-cornered piece, corners in order around it.
Shape quad(Vec a, Vec b, Vec c, Vec d);

struct GlyphSpec {
    char32_t code = 0; // 0: the .notdef glyph
    std::string name;
    // Ink extent the shape must have, in grid units: it spans (7 - inkWidth) to 7 across, bottom to top.
    double inkWidth = 0;
    double bottom = 0;
    double top = 0;
    Shape pieces;

    GlyphSpec(char32_t c, std::string n, double width, double lowest, double highest,
              std::initializer_list<Shape> shapes);
};

// .notdef first, then the space, the digits and the four symbols.
const std::vector<GlyphSpec>& e13bGlyphs();

// A further character that prints a glyph of the table, named by the glyph's name.
struct GlyphAlias {
    char32_t code;
    std::string glyph;
};
// Lowercase "d" prints the dash, as "D" does: account numbers are typed either way.
const std::vector<GlyphAlias>& e13bAliases();

} // namespace velmora::print::micr65
