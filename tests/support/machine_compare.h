#pragma once
// The speed paths' proof on the real Genesis: the same machine run twice from the same
// power-on, once with the paths on and once with every instruction and line run plainly,
// compared at every slice end. What is compared is the whole machine: both CPUs' records,
// work RAM, Z80 RAM, VRAM, CRAM, VSRAM, the VDP's registers and control state, the YM2612 and
// the PSG, the bus latches, I/O and bank registers, save RAM, the scheduler's position and
// counts, the sound made so far and the picture drawn.
//
// The first run keeps one digest of the whole machine per slice end; the second compares its
// own with them as it goes. Where they part, both runs are made again up to that slice and
// the parts that differ are named.

#include <array>
#include <functional>
#include <string>

#include "base/types.h"

namespace varn::test {

enum MachinePart : u32 {
    kPartM68k,
    kPartZ80,
    kPartWorkRam,
    kPartZ80Ram,
    kPartVram,
    kPartCramVsram,
    kPartVdp,
    kPartYm2612,
    kPartPsg,
    kPartBusAndIo,
    kPartSaveRam,
    kPartCounters,
    kPartSound,
    kPartPicture,
    kMachineParts
};
using MachineDigest = std::array<u64, kMachineParts>;

const char* machine_part_name(u32 part);

struct SpeedPathComparison {
    bool same   = true;
    u64 slices  = 0;  // slice ends compared
    u64 frames  = 0;  // frames run by the first run
    bool halted = false;
    std::string what;  // where and what differed; empty when the runs agree
};

// The digest the comparison keeps of `n` bytes (for the parts of add-on units).
u64 machine_digest_bytes(const void* data, std::size_t n);

// Parts of an add-on unit compared beside the Genesis's at every slice end: `count` digests
// (at most kMaxExtraParts) written by `digest`, named by `name`.
inline constexpr u32 kMaxExtraParts = 16;
struct ExtraParts {
    u32 count                  = 0;
    void (*digest)(u64* out)   = nullptr;
    const char* (*name)(u32 i) = nullptr;
};

// `start` puts the machine in its start state (records reset, image in place, powered on,
// scheduler at a frame start); it is called once for each run and must start the same
// machine each time. `before_frame` (may be empty) is called with the frame's number before
// each frame (input on a script). Runs `frames` frames, or up to a halt, both ways. The
// switch is left on.
SpeedPathComparison compare_speed_paths(const std::function<void()>& start, u64 frames,
                                        const std::function<void(u64)>& before_frame = {},
                                        const ExtraParts& extra                      = {});

}  // namespace varn::test
