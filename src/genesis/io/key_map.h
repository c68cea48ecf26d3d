#pragma once
// Player key maps: for each of the eight player slots (1A-1D, 2A-2D) the keyboard keys and
// joystick buttons that stand for the pad's buttons. The settings file carries each map as
// a 28-byte record, and the front end reads and writes it in that layout:
//   bytes  0-11  keyboard keys (DirectInput key codes) for Up, Down, Left, Right, Start,
//                A, B, C, X, Y, Z, Mode
//   bytes 12-19  joystick centre: vertical, then horizontal axis value (little-endian u32);
//                not in the settings file, 0x8000 each
//   bytes 20-27  joystick buttons for Start, A, B, C, X, Y, Z, Mode as offsets in the
//                joystick record (0x30 + button number)
// The user-interface thread may change a map while a frame runs, so every field is atomic.

#include <array>
#include <atomic>

#include "base/types.h"

namespace varn {

inline constexpr u32 kPlayerSlots      = 8;
inline constexpr u32 kKeyMapBytes      = 28;
inline constexpr u32 kKeyMapKeys       = 12;
inline constexpr u32 kKeyMapJoyButtons = 8;

struct KeyMap {
    std::array<std::atomic<u8>, kKeyMapKeys> keys;
    std::array<std::atomic<u32>, 2> axis_centre;  // vertical, horizontal
    std::array<std::atomic<u8>, kKeyMapJoyButtons> joy_buttons;
};

extern std::array<KeyMap, kPlayerSlots> cfg_key_maps;

// Byte `offset` (0-27) of a slot's record; out-of-range slots or offsets read 0 and are
// not written.
u8 key_map_byte(u32 slot, u32 offset);
void key_map_set_byte(u32 slot, u32 offset, u8 value);

// The built-in maps: slot 1A the cursor keys, Enter, A S D and Z X C V; slot 2A O . K ;
// L, T Y U and G H J B; both with joystick buttons Start = 1, A = 0, B = 2, C = 3, X-Mode
// = 4-7; the other slots empty.
void key_maps_load_defaults();

}  // namespace varn
