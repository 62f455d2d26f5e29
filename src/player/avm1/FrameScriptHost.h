#pragma once
// What ActionCall needs from the display side beyond Host: the DoAction scripts of another frame
// of a clip, to run at once. A host with timelines implements it beside Host; the interpreter
// finds it with frameScriptHost().
#include <string_view>
#include <vector>

#include "player/avm1/Host.h"
#include "player/avm1/Interpreter.h"

namespace kelmora::player::avm1 {

class FrameScriptHost {
public:
    virtual ~FrameScriptHost() = default;
    // The scripts of the clip's frame `frame` (0-based) in file order; none past the last frame.
    virtual std::vector<Code> frameScripts(ClipId clip, uint32_t frame) = 0;
    // The 0-based frame a label names, or -1.
    virtual int64_t labelledFrame(ClipId clip, std::string_view label) = 0;
};

inline FrameScriptHost* frameScriptHost(Interpreter& in) { return dynamic_cast<FrameScriptHost*>(&in.host()); }

}  // namespace kelmora::player::avm1
