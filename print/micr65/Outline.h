#pragma once

#include <vector>

// Plane geometry for the MICR65 glyph outlines: union of convex pieces into TrueType contours.
namespace velmora::print::micr65 {

struct Vec {
    double x = 0;
    double y = 0;
};

// A closed polygon; the last point connects back to the first.
using Polygon = std::vector<Vec>;

// Twice the signed area: negative for a clockwise polygon (y up), positive for counter-clockwise.
double doubledArea(const Polygon& polygon);

// Non-zero winding number of the contours at a point that lies on none of their edges.
int windingNumber(const std::vector<Polygon>& contours, Vec point);

// The outline of the union of convex pieces (in any orientation): outer contours clockwise, holes
// counter-clockwise, so that the filled area lies to the right of every edge, as TrueType wants.
// Collinear points are merged and no two contours overlap.
std::vector<Polygon> unionOutline(const std::vector<Polygon>& convexPieces);

// A point of a contour that may bend in quadratic curves; an off-curve point is a control point.
struct CurvePoint {
    Vec at;
    bool onCurve = true;
};

// The contour with every convex corner (one where the outline turns right, around ink) replaced
// by a quadratic arc that leaves each edge `radius` before the corner, or at its middle when the
// edge is shorter than twice that. Concave corners stay sharp.
std::vector<CurvePoint> roundConvexCorners(const Polygon& contour, double radius);

} // namespace velmora::print::micr65
