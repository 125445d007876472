#include "E13bGlyphs.h"

#include <utility>

namespace velmora::print::micr65 {

Shape rect(double x0, double x1, double y0, double y1) {
    return {{{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}}};
}

Shape ring(double x0, double x1, double y0, double y1, double hx0, double hx1, double hy0, double hy1) {
    return {rect(x0, x1, y0, hy0)[0], rect(x0, x1, hy1, y1)[0], rect(x0, hx0, hy0, hy1)[0],
            rect(hx1, x1, hy0, hy1)[0]};
}

Shape quad(Vec a, Vec b, Vec c, Vec d) {
    return {{a, b, c, d}};
}

GlyphSpec::GlyphSpec(char32_t c, std::string n, double width, double lowest, double highest,
                     std::initializer_list<Shape> shapes)
    : code(c)
    , name(std::move(n))
    , inkWidth(width)
    , bottom(lowest)
    , top(highest) {
    for (const Shape& shape : shapes)
        pieces.insert(pieces.end(), shape.begin(), shape.end());
}

// clang-format off
const std::vector<GlyphSpec>& e13bGlyphs() {
    static const std::vector<GlyphSpec> glyphs{
        //  code  name        width bottom top  pieces (x-range, y-range)
        {0,   ".notdef",   5,  0,   9,   {ring(2, 7, 0, 9, 2.5, 6.5, 0.5, 8.5)}},
        {' ', "space",     0,  0,   0,   {}},
        {'0', "zero",      7,  0,   9,   {ring(0, 7, 0, 9, 1, 6, 1, 8)}},
        {'1', "one",       4,  0,   9,   {rect(3, 7, 0, 4),              // heavy foot
                                          rect(4, 5, 4, 9),              // stem
                                          rect(3, 4, 8, 9)}},            // flag
        {'2', "two",       4,  0,   9,   {rect(3, 7, 8, 9),              // top bar
                                          rect(6, 7, 4, 9),              // right
                                          rect(3, 7, 4, 5),              // middle bar
                                          rect(3, 4, 0, 5),              // left
                                          rect(3, 7, 0, 1)}},            // bottom bar
        {'3', "three",     5,  0,   9,   {rect(2, 6, 8, 9),              // top bar
                                          rect(5, 6, 4, 9),              // upper right
                                          rect(2, 6, 4, 5),              // middle bar
                                          rect(5, 7, 0, 4.5),            // heavy lower right
                                          rect(2, 7, 0, 1)}},            // bottom bar
        {'4', "four",      6,  0,   9,   {rect(1, 3, 2, 9),              // heavy left
                                          rect(1, 5, 2, 3),              // crossbar
                                          rect(5, 7, 0, 4)}},            // heavy right block
        {'5', "five",      5,  0,   9,   {rect(2, 7, 8, 9),              // top bar
                                          rect(2, 3, 4, 9),              // left
                                          rect(2, 7, 4, 5),              // middle bar
                                          rect(6, 7, 0, 5),              // right
                                          rect(2, 7, 0, 1)}},            // bottom bar
        {'6', "six",       6,  0,   9,   {rect(1, 2, 0, 9),              // left
                                          rect(1, 5, 8, 9),              // top bar
                                          rect(4, 5, 6.5, 9),            // short hook
                                          ring(1, 7, 0, 4, 2, 6, 1, 3)}}, // bottom loop
        {'7', "seven",     5,  0,   9,   {rect(2, 7, 8, 9),              // top bar
                                          rect(2, 3, 6, 9),              // left hook
                                          rect(6, 7, 5, 9),              // right
                                          quad({7, 5}, {5, 4}, {4, 4.5}, {6, 5.5}), // knee
                                          rect(4, 5, 0, 4.5)}},          // stem
        {'8', "eight",     7,  0,   9,   {ring(0, 7, 0, 4.5, 2, 5, 1, 4), // lower loop, heavy sides
                                          ring(1, 6, 4, 9, 2, 5, 5, 8)}},  // upper loop
        {'9', "nine",      6,  0,   9,   {ring(1, 7, 4, 9, 2, 6, 5, 8),  // loop
                                          rect(5, 7, 0, 4)}},            // heavy stem
        {'A', "transit",   7,  0,   9,   {rect(0, 2, 1.5, 7.5),          // bar
                                          rect(4, 7, 6, 9),              // upper square
                                          rect(4, 7, 0, 3)}},            // lower square
        {'B', "amount",    7,  0,   9,   {rect(0, 2, 0, 4),              // low block
                                          rect(3, 4, 2.5, 7),            // thin bar
                                          rect(5, 7, 5, 9)}},            // high block
        {'C', "onus",      7,  1.5, 8.5, {rect(0, 1, 1.5, 7.5),          // bars
                                          rect(2, 3, 1.5, 7.5),
                                          rect(4, 7, 4.5, 8.5)}},        // block
        {'D', "dash",      7,  2.5, 6.5, {rect(0, 2, 2.5, 6.5),          // blocks
                                          rect(3, 5, 2.5, 6.5),
                                          rect(6, 7, 2.5, 6.5)}},        // bar
    };
    return glyphs;
}
// clang-format on

const std::vector<GlyphAlias>& e13bAliases() {
    static const std::vector<GlyphAlias> aliases{{U'd', "dash"}};
    return aliases;
}

} // namespace velmora::print::micr65
