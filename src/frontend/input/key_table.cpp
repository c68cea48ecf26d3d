// Linux key codes to DirectInput key codes.
//
// Both descend from the PC keyboard's set-1 scan codes, so the main block (Escape to the
// keypad's '.', F11 and F12) has the same number in both. The keys a PC keyboard sends with
// the E0 prefix got numbers of their own on Linux; DirectInput numbers them as the scan code
// with bit 7 set. The table below holds every key that differs.

#include <array>

#include "frontend/input/input_devices.h"

namespace varn {

namespace {

struct KeyPair {
    u16 linux_code;
    u8 dik;
};

// Linux key code, DirectInput code.
constexpr KeyPair kExtendedKeys[] = {
    {89, 0x73},   // RO               -> ABNT_C1
    {92, 0x79},   // HENKAN           -> CONVERT
    {93, 0x70},   // KATAKANAHIRAGANA -> KANA
    {94, 0x7B},   // MUHENKAN         -> NOCONVERT
    {96, 0x9C},   // KPENTER          -> NUMPADENTER
    {97, 0x9D},   // RIGHTCTRL        -> RCONTROL
    {98, 0xB5},   // KPSLASH          -> DIVIDE
    {99, 0xB7},   // SYSRQ            -> SYSRQ
    {100, 0xB8},  // RIGHTALT         -> RMENU
    {102, 0xC7},  // HOME
    {103, 0xC8},  // UP
    {104, 0xC9},  // PAGEUP           -> PRIOR
    {105, 0xCB},  // LEFT
    {106, 0xCD},  // RIGHT
    {107, 0xCF},  // END
    {108, 0xD0},  // DOWN
    {109, 0xD1},  // PAGEDOWN         -> NEXT
    {110, 0xD2},  // INSERT
    {111, 0xD3},  // DELETE
    {113, 0xA0},  // MUTE
    {114, 0xAE},  // VOLUMEDOWN
    {115, 0xB0},  // VOLUMEUP
    {116, 0xDE},  // POWER
    {117, 0x8D},  // KPEQUAL          -> NUMPADEQUALS
    {119, 0xC5},  // PAUSE
    {121, 0xB3},  // KPCOMMA          -> NUMPADCOMMA
    {124, 0x7D},  // YEN
    {125, 0xDB},  // LEFTMETA         -> LWIN
    {126, 0xDC},  // RIGHTMETA        -> RWIN
    {127, 0xDD},  // COMPOSE          -> APPS
    {140, 0xA1},  // CALC             -> CALCULATOR
    {142, 0xDF},  // SLEEP
    {143, 0xE3},  // WAKEUP
    {155, 0xEC},  // MAIL
    {158, 0xEA},  // BACK             -> WEBBACK
    {159, 0xE9},  // FORWARD          -> WEBFORWARD
    {163, 0x99},  // NEXTSONG         -> NEXTTRACK
    {164, 0xA2},  // PLAYPAUSE
    {165, 0x90},  // PREVIOUSSONG     -> PREVTRACK
    {166, 0xA4},  // STOPCD           -> MEDIASTOP
    {172, 0xB2},  // HOMEPAGE         -> WEBHOME
    {173, 0xE7},  // REFRESH          -> WEBREFRESH
    {183, 0x64},  // F13
    {184, 0x65},  // F14
    {185, 0x66},  // F15
    {217, 0xE5},  // SEARCH           -> WEBSEARCH
};

// Linux codes 1-88 (Escape .. F12) are the set-1 scan codes themselves; 84 (unused on PC
// keyboards) and 85 (ZENKAKUHANKAKU) have no DirectInput key.
constexpr u32 kSameCodeLast = 88;

constexpr std::array<u8, 256> build_table() {
    std::array<u8, 256> table{};
    for (u32 code = 1; code <= kSameCodeLast; ++code) table[code] = static_cast<u8>(code);
    table[84] = 0;
    table[85] = 0;
    for (const KeyPair& pair : kExtendedKeys) table[pair.linux_code] = pair.dik;
    return table;
}

constexpr std::array<u8, 256> kLinuxToDik = build_table();

// X key codes are the Linux codes moved up by 8 (X reserves 0-7).
constexpr u32 kXKeycodeOffset = 8;

}  // namespace

u8 dik_from_linux_key(u32 linux_code) {
    return linux_code < kLinuxToDik.size() ? kLinuxToDik[linux_code] : 0;
}

u8 dik_from_native_scan_code(u32 native_scan_code) {
    if (native_scan_code < kXKeycodeOffset) return 0;
    return dik_from_linux_key(native_scan_code - kXKeycodeOffset);
}

}  // namespace varn
