#pragma once
// Input sources and device routines.
//
// An input source (keyboard, joystick, host mouse or none, chosen per player slot by
// `cfg_input_device`) fills the button block from the host's devices; a device routine
// turns the block into its port's read tables. The sequence builders are shared with demo
// playback, which fills the block from the stream instead, so that a replayed frame gives
// the very bytes the live frame gave.

#include <array>

#include "base/host.h"
#include "base/types.h"

namespace varn {

// Button indices of the block.
enum PadButton : u32 {
    kBtnUp,
    kBtnDown,
    kBtnLeft,
    kBtnRight,
    kBtnStart,
    kBtnA,
    kBtnB,
    kBtnC,
    kBtnX,
    kBtnY,
    kBtnZ,
    kBtnMode,
    kPadButtons
};

struct ButtonBlock {
    std::array<u8, kPadButtons> pressed{};  // 1 = pressed
    s16 move_v = 0;                         // vertical movement, positive = up
    s16 move_h = 0;                         // horizontal movement, positive = right
};

// Input sources of `cfg_input_device`.
inline constexpr u32 kSourceKeyboard = 0;
inline constexpr u32 kSourceJoystick = 1;
inline constexpr u32 kSourceMouse    = 2;
inline constexpr u32 kSourceNone     = 3;

// Fills `block` (which the caller has cleared) from the source chosen for `slot`.
void input_source_read(u32 slot, const HostInputState& host, ButtonBlock& block);

// Screen area the gun cursor stays in: the picture of the running machine (320 x 224 on
// the Genesis). The cursor keeps 5 pixels from the right and 8 from the bottom edge so
// that its glyph stays inside.
struct GunScreen {
    u32 width  = 320;
    u32 height = 224;
};
extern GunScreen gun_screen;

// Live device routine of `port` (0 or 1) for the player number `player` (1 or 5), with the
// block its first slot filled. A multitap reads the next three slots itself. Ends with the
// demo recording slots.
void input_device_run(u32 port, u32 player, ButtonBlock& block, const HostInputState& host);

// Sequence builders.
void build_pad_sequence(u32 port, const ButtonBlock& block);
void build_mouse_sequence(u32 port, const ButtonBlock& block);
// Header, then each sub-port's nibbles by its type, from the four sub-ports' blocks.
void build_multitap_sequence(u32 port, const std::array<ButtonBlock, 4>& blocks);

// Demo payloads of a block (1 = pressed):
//   three-button  bit 0 Up, 1 Down, 2 Left, 3 Right, 4 C, 5 B, 6 A, 7 Start
//   six-button    the same, then bit 8 Z, 9 Y, 10 X, 11 Mode
//   mouse         byte 0: bit 0 X sign, bit 1 Y sign, bits 4-7 C, B, A, Start;
//                 byte 1: X low 8 bits; byte 2: Y low 8 bits
u32 pad_payload(const ButtonBlock& block);
u32 mouse_payload(const ButtonBlock& block);
// And back: a block that builds the same bytes.
ButtonBlock block_from_pad_payload(u32 payload);
ButtonBlock block_from_mouse_payload(u32 payload);

}  // namespace varn
