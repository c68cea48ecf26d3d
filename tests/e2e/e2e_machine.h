#pragma once
// The whole Genesis as a user runs it: a cartridge image from the shared test folder, power
// on, whole frames with a clock that moves only while the core waits, a three-button pad in
// port 1 pressed on a script, the picture of a chosen frame and every sample of the sound.
// Only deterministic emulation feeds what is recorded here.

#include <string>
#include <vector>

#include "base/types.h"

namespace varn::test {

// A three-button pad's buttons, as set bits (the pad reports them active low).
enum PadButton : u8 {
    kPadUp    = 0x01,
    kPadDown  = 0x02,
    kPadLeft  = 0x04,
    kPadRight = 0x08,
    kPadB     = 0x10,
    kPadC     = 0x20,
    kPadA     = 0x40,
    kPadStart = 0x80,
};

// Buttons held on port 1 from frame `first` up to, not including, frame `end`.
struct PadPress {
    u64 first;
    u64 end;
    u8 buttons;
};

struct E2eRunPlan {
    std::string image;      // path of the cartridge image
    u64 frames        = 0;  // frames to run
    u64 picture_frame = 0;  // 1-based frame whose picture is kept
    u64 sound_frames  = 0;  // frames whose sound feeds the sound CRC
    std::vector<PadPress> presses;
};

struct E2eRunResult {
    bool loaded        = false;
    bool halted        = false;
    u64 frames_run     = 0;
    u32 picture_crc    = 0;
    u32 picture_width  = 0;
    u32 picture_height = 0;
    std::vector<u16> picture;  // the kept frame, host pixels, picture_width a row
    u32 sound_crc     = 0;
    u64 sound_samples = 0;      // samples in the sound CRC
    u64 loud_samples  = 0;      // of them, those further than 256 from zero
    bool z80_ran      = false;  // the Z80 executed code from its RAM at some point
    std::vector<s16> sound;     // the samples in the sound CRC, mono
};

E2eRunResult e2e_run(const E2eRunPlan& plan);

// The steps of such a run, for checks that drive the frames themselves. e2e_power_on puts
// the machine as the runner boots `image` (at most the cartridge area): every record reset,
// a clock that moves only while the core waits, the picture into a 320 x 240 frame in
// memory, the pad in port 1 released, the scheduler at a frame start. e2e_set_pad holds
// buttons from the next frame on; e2e_power_off unplugs the pad and the host.
void e2e_power_on(const std::vector<u8>& image);
void e2e_set_pad(u8 buttons);
void e2e_power_off();

}  // namespace varn::test
