#include "genesis/io/key_map.h"

namespace varn {

std::array<KeyMap, kPlayerSlots> cfg_key_maps;

namespace {

struct KeyMapDefault {
    std::array<u8, kKeyMapKeys> keys;
    std::array<u8, kKeyMapJoyButtons> joy_buttons;
};

constexpr std::array<u8, kKeyMapJoyButtons> kDefaultButtons{0x31, 0x30, 0x32, 0x33,
                                                            0x34, 0x35, 0x36, 0x37};
constexpr KeyMapDefault kSlot1A{
    {0x48, 0x50, 0x4B, 0x4D, 0x1C, 0x1E, 0x1F, 0x20, 0x2C, 0x2D, 0x2E, 0x2F}, kDefaultButtons};
constexpr KeyMapDefault kSlot2A{
    {0x18, 0x34, 0x25, 0x27, 0x26, 0x14, 0x15, 0x16, 0x22, 0x23, 0x24, 0x30}, kDefaultButtons};
constexpr KeyMapDefault kEmpty{};

constexpr u32 kAxisCentre = 0x8000;
constexpr u32 kAxisOffset = kKeyMapKeys;          // 12
constexpr u32 kJoyOffset  = kAxisOffset + 2 * 4;  // 20

// Loads the defaults at program start.
[[maybe_unused]] const bool defaults_loaded = (key_maps_load_defaults(), true);

}  // namespace

void key_maps_load_defaults() {
    for (u32 slot = 0; slot < kPlayerSlots; ++slot) {
        const KeyMapDefault& d = slot == 0 ? kSlot1A : slot == 4 ? kSlot2A : kEmpty;
        KeyMap& m              = cfg_key_maps[slot];
        for (u32 i = 0; i < kKeyMapKeys; ++i) m.keys[i].store(d.keys[i], std::memory_order_relaxed);
        for (auto& a : m.axis_centre) a.store(kAxisCentre, std::memory_order_relaxed);
        for (u32 i = 0; i < kKeyMapJoyButtons; ++i)
            m.joy_buttons[i].store(d.joy_buttons[i], std::memory_order_relaxed);
    }
}

u8 key_map_byte(u32 slot, u32 offset) {
    if (slot >= kPlayerSlots || offset >= kKeyMapBytes) return 0;
    const KeyMap& m = cfg_key_maps[slot];
    if (offset < kAxisOffset) return m.keys[offset].load(std::memory_order_relaxed);
    if (offset < kJoyOffset) {
        const u32 axis = (offset - kAxisOffset) / 4;
        const u32 v    = m.axis_centre[axis].load(std::memory_order_relaxed);
        return static_cast<u8>(v >> (8 * ((offset - kAxisOffset) % 4)));
    }
    return m.joy_buttons[offset - kJoyOffset].load(std::memory_order_relaxed);
}

void key_map_set_byte(u32 slot, u32 offset, u8 value) {
    if (slot >= kPlayerSlots || offset >= kKeyMapBytes) return;
    KeyMap& m = cfg_key_maps[slot];
    if (offset < kAxisOffset) {
        m.keys[offset].store(value, std::memory_order_relaxed);
    } else if (offset < kJoyOffset) {
        const u32 axis  = (offset - kAxisOffset) / 4;
        const u32 shift = 8 * ((offset - kAxisOffset) % 4);
        const u32 old   = m.axis_centre[axis].load(std::memory_order_relaxed);
        m.axis_centre[axis].store((old & ~(0xFFu << shift)) | u32{value} << shift,
                                  std::memory_order_relaxed);
    } else {
        m.joy_buttons[offset - kJoyOffset].store(value, std::memory_order_relaxed);
    }
}

}  // namespace varn
