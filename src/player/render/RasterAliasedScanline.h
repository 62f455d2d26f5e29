#pragma once
// An AGG scanline that turns coverage into all or nothing, for drawing without anti-aliasing.
// A pixel whose centre lies inside a straight edge is more than half covered, so the threshold
// is the centre test for edges; the renderer nudges the geometry by one subpixel up and left so
// that a centre exactly on an edge belongs to the fill below or right of it.
#include <agg_scanline_u.h>

namespace kelmora::player {

class AliasedScanline : public agg::scanline_u8 {
public:
    static unsigned threshold(unsigned cover) { return cover >= 128 ? 255 : 0; }
    void add_cell(int x, unsigned cover) { agg::scanline_u8::add_cell(x, threshold(cover)); }
    void add_span(int x, unsigned len, unsigned cover) { agg::scanline_u8::add_span(x, len, threshold(cover)); }
};

}  // namespace kelmora::player
