#pragma once
// What a clip's drawing API calls (lineStyle, beginFill, lineTo...) built so far, turned into a
// shape the renderer draws under the clip's children.
#include <memory>
#include <vector>

#include "player/avm1/Host.h"
#include "player/shape/ShapeDef.h"

namespace kelmora::player::script {

class ClipDrawing {
public:
    void apply(const avm1::DrawCommand& command);
    // The shape of everything drawn so far; null when nothing was drawn.
    std::shared_ptr<const ShapeDef> shape() const;
    bool changed() const { return changed_; }
    void markSeen() { changed_ = false; }

private:
    struct Segment {
        Point control, to;
        bool curved = false;
        bool move = false;
        int line = 0;  // 1-based index into lines_, 0: none
    };
    // A fill and the segments drawn while it was open, or loose lines (fill < 0).
    struct Group {
        int fill = -1;
        std::vector<Segment> segments;
    };

    void closeFill();
    void add(Segment s);
    Group& current();

    std::vector<FillStyle> fills_;
    std::vector<LineStyle> lines_;
    std::vector<Group> groups_;
    int line_ = 0;
    bool fillOpen_ = false;
    Point pen_{}, fillStart_{};
    bool changed_ = false;
};

}  // namespace kelmora::player::script
