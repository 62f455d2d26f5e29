#pragma once
// Buttons: DefineButton, DefineButton2, DefineButtonCxform.
#include <cstdint>
#include <optional>
#include <vector>

#include "swf/writer/ActionBuilder.h"
#include "swf/writer/Filters.h"
#include "swf/writer/Place.h"
#include "swf/writer/Records.h"

namespace kelmora::swf {

enum ButtonState : std::uint8_t { StateUp = 0x01, StateOver = 0x02, StateDown = 0x04, StateHitTest = 0x08 };

struct ButtonRecord {
    std::uint8_t states = StateUp | StateOver | StateDown | StateHitTest;
    std::uint16_t characterId = 0;
    std::uint16_t depth = 1;
    Matrix matrix;
    ColorTransform cxform;        // DefineButton2 only
    std::vector<Filter> filters;  // DefineButton2 only; written when not empty
    std::optional<BlendMode> blendMode;
};

// Button transition conditions as the 16-bit field reads, most significant bit first.
enum ButtonCondition : std::uint16_t {
    IdleToOverDown = 0x8000, OutDownToIdle = 0x4000, OutDownToOverDown = 0x2000, OverDownToOutDown = 0x1000,
    OverDownToOverUp = 0x0800, OverUpToOverDown = 0x0400, OverUpToIdle = 0x0200, IdleToOverUp = 0x0100,
    OverDownToIdle = 0x0001,
};
// The key-press condition: a key code (1-127) in bits 1-7.
constexpr std::uint16_t buttonKeyPress(std::uint8_t keyCode) { return static_cast<std::uint16_t>((keyCode & 0x7F) << 1); }

struct ButtonCondAction {
    std::uint16_t conditions = OverDownToOverUp;  // "on (release)"
    ActionBuilder actions;                       // should end with end()
};

Bytes encodeDefineButton(std::uint16_t id, const std::vector<ButtonRecord>& records, const ActionBuilder& actions);
Bytes encodeDefineButton2(std::uint16_t id, const std::vector<ButtonRecord>& records,
                          const std::vector<ButtonCondAction>& actions, bool trackAsMenu);

}  // namespace kelmora::swf
