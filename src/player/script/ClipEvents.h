#pragma once
// The onClipEvent handlers a PlaceObject2/3 record carries (CLIPACTIONS), read from its raw bytes.
#include <cstdint>
#include <span>
#include <vector>

namespace kelmora::player::script {

// Event bits as SWF 6 and later store them (SWF 5 keeps the low 16 bits).
enum ClipEvent : uint32_t {
    kEventLoad = 1u << 0,
    kEventEnterFrame = 1u << 1,
    kEventUnload = 1u << 2,
    kEventData = 1u << 8,
    kEventInitialize = 1u << 9,
    kEventConstruct = 1u << 18,
};

struct ClipEventHandler {
    uint32_t events = 0;
    std::span<const uint8_t> actions;
};

// Handlers in file order; a record that runs past the bytes ends the list.
std::vector<ClipEventHandler> parseClipActions(std::span<const uint8_t> raw, int swfVersion);

}  // namespace kelmora::player::script
