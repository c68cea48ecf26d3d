#include "frontend/menu_resource.h"

#include <array>

namespace varn {

namespace {

constexpr u32 key_f(u32 n) { return kKeyF1 + n - 1; }

constexpr std::array<Accelerator, 27> kAccelerators = {{
    {'L', Accelerator::kAlt, cmd::kAccelLoadRom, "Alt L"},
    {'+', Accelerator::kAlt | Accelerator::kKeypad, cmd::kAccelScreenDouble, "Alt +"},
    {key_f(1), Accelerator::kNone, cmd::kAccelAbout, "F1"},
    {key_f(2), Accelerator::kNone, cmd::kAccelSaveState, "F2"},
    {key_f(3), Accelerator::kNone, cmd::kAccelLoadState, "F3"},
    {key_f(4), Accelerator::kNone, cmd::kAccelScreenFull, "F4"},
    {key_f(6), Accelerator::kNone, cmd::kAccelWaveLog, "F6"},
    {key_f(6), Accelerator::kAlt, cmd::kAccelGymLog, "Alt F6"},
    {key_f(7), Accelerator::kNone, cmd::kAccelMovie, "F7"},
    {key_f(8), Accelerator::kNone, cmd::kAccelSaveDemo, "F8"},
    {key_f(9), Accelerator::kNone, cmd::kAccelScreenshot, "F9"},
    {'-', Accelerator::kAlt | Accelerator::kKeypad, cmd::kAccelScreenSingle, "Alt -"},
    {'Z', Accelerator::kAlt, cmd::kAccelDisableZ80, "Alt Z"},
    {'X', Accelerator::kAlt, cmd::kExit, "Alt X"},
    {'P', Accelerator::kAlt, cmd::kTogglePause, "Alt P"},
    {'R', Accelerator::kAlt, cmd::kReset, "Alt R"},
    {key_f(5), Accelerator::kNone, cmd::kMouseCapture, "F5"},
    {'0', Accelerator::kNone, cmd::kStateSlotFirst + 0, "0"},
    {'1', Accelerator::kNone, cmd::kStateSlotFirst + 1, "1"},
    {'2', Accelerator::kNone, cmd::kStateSlotFirst + 2, "2"},
    {'3', Accelerator::kNone, cmd::kStateSlotFirst + 3, "3"},
    {'4', Accelerator::kNone, cmd::kStateSlotFirst + 4, "4"},
    {'5', Accelerator::kNone, cmd::kStateSlotFirst + 5, "5"},
    {'6', Accelerator::kNone, cmd::kStateSlotFirst + 6, "6"},
    {'7', Accelerator::kNone, cmd::kStateSlotFirst + 7, "7"},
    {'8', Accelerator::kNone, cmd::kStateSlotFirst + 8, "8"},
    {'9', Accelerator::kNone, cmd::kStateSlotFirst + 9, "9"},
}};

}  // namespace

std::span<const Accelerator> accelerator_table() { return kAccelerators; }

u32 accelerator_target(u32 id) {
    switch (id) {
        case cmd::kAccelLoadRom:
            return cmd::kLoadRom;
        case cmd::kAccelScreenDouble:
            return cmd::kScreenDouble;
        case cmd::kAccelAbout:
            return cmd::kAbout;
        case cmd::kAccelSaveState:
            return cmd::kSaveState;
        case cmd::kAccelLoadState:
            return cmd::kLoadState;
        case cmd::kAccelScreenFull:
            return cmd::kScreenFull;
        case cmd::kAccelWaveLog:
            return cmd::kSaveWaveLog;
        case cmd::kAccelSaveDemo:
            return cmd::kSaveDemo;
        case cmd::kAccelScreenshot:
            return cmd::kSaveScreenshot;
        case cmd::kAccelScreenSingle:
            return cmd::kScreenSingle;
        case cmd::kAccelDisableZ80:
            return cmd::kDisableZ80;
        default:
            return id;
    }
}

}  // namespace varn
