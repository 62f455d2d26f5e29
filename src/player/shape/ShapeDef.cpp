#include "player/shape/ShapeDef.h"

#include <algorithm>

namespace kelmora::player {

void ShapeLayer::finish() {
    strokeOrder.clear();
    hasFillEdges = false;
    for (uint32_t i = 0; i < edges.size(); ++i) {
        if (edges[i].line != 0) strokeOrder.push_back(i);
        if (edges[i].fill0 != edges[i].fill1) hasFillEdges = true;
    }
    std::stable_sort(strokeOrder.begin(), strokeOrder.end(),
                     [this](uint32_t a, uint32_t b) { return edges[a].line < edges[b].line; });
}

Rect edgesBounds(const std::vector<ShapeEdge>& edges) {
    if (edges.empty()) return {};
    Rect r{edges[0].from.x, edges[0].from.y, edges[0].from.x, edges[0].from.y};
    auto add = [&r](Point p) {
        r.xMin = std::min(r.xMin, p.x); r.yMin = std::min(r.yMin, p.y);
        r.xMax = std::max(r.xMax, p.x); r.yMax = std::max(r.yMax, p.y);
    };
    for (const auto& e : edges) {
        add(e.from);
        add(e.to);
        if (e.curved) add(e.control);
    }
    return r;
}

}  // namespace kelmora::player
