// Plays small movies made by the SWF writer and collects what their scripts trace.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "player/Player.h"
#include "swf/writer/ActionBuilder.h"
#include "swf/writer/SwfWriter.h"

namespace kelmora::scripttest {

// Loads the movie (its first frame) and advances until `frames` frames have shown.
inline std::vector<std::string> playTraces(swf::SwfWriter& movie, int frames = 1) {
    player::Player p;
    std::vector<std::string> lines;
    p.setTraceSink([&](const std::string& l) { lines.push_back(l); });
    const swf::Bytes bytes = movie.bytes();
    EXPECT_TRUE(p.load(std::span<const std::uint8_t>(bytes.data(), bytes.size())).ok());
    for (int i = 1; i < frames; ++i) p.advance();
    return lines;
}

// One frame whose only script is `a`.
inline std::vector<std::string> runScript(swf::ActionBuilder& a, int version = 8) {
    swf::SwfWriter movie(version);
    movie.doAction(a.end()).showFrame();
    return playTraces(movie);
}

// object.method(args...) with object a variable or path; the result stays on the stack.
inline swf::ActionBuilder& callOn(swf::ActionBuilder& a, const std::string& object, const std::string& method,
                                  std::initializer_list<swf::PushValue> args) {
    for (auto it = std::rbegin(args); it != std::rend(args); ++it) a.push(*it);
    return a.push(static_cast<int>(args.size())).push(object).getVariable().push(method).callMethod();
}

}  // namespace kelmora::scripttest
