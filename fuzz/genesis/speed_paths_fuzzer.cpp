// The speed paths on random code and data: the real Genesis (its bus with the steady reads
// it declares, the VDP, the Z80, the sound chips) runs a random program twice from the same
// power-on, with the paths on and with every instruction and line run plainly, and the two
// runs must agree at every slice end. A difference is reported with the slice and the parts
// of the machine that differ, then the target stops.
//
// Input layout:
//   0x00        flags: bits 0-1 frames to run less one; bit 2 the Z80 runs (reset released,
//               bus free); bit 3 the display is on with the V interrupt enabled; bit 4 the
//               H interrupt on every line
//   0x01-0x3F   Z80 RAM from 0x0000 (its program)
//   0x40-       the cartridge from 0x200 on (the 68000's program and data); the vectors send
//               the reset and every exception to 0x200 and the interrupts to an RTE

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "base/endian.h"
#include "e2e/e2e_machine.h"
#include "genesis/vdp/vdp.h"
#include "genesis/z80/genesis_z80.h"
#include "support/machine_compare.h"

namespace {

using namespace varn;

constexpr std::size_t kZ80Bytes = 0x3F;
constexpr std::size_t kCodeAt   = 0x40;
constexpr u32 kEntry            = 0x200;
constexpr u32 kRte              = 0x1FE;
constexpr std::size_t kMaxCode  = 0x10000;

const std::uint8_t* input = nullptr;
std::size_t input_size    = 0;

// The machine as the runner boots the image, then what the flags ask for.
void start() {
    std::vector<u8> image(kEntry + std::min(input_size - kCodeAt, kMaxCode), 0);
    store_be32(&image[0], 0x00FFFE00);
    for (u32 v = 1; v < 64; ++v) store_be32(&image[4 * v], kEntry);
    for (u32 level = 1; level < 8; ++level) store_be32(&image[0x60 + 4 * level], kRte);
    store_be16(&image[kRte], 0x4E73);  // RTE
    std::copy(input + kCodeAt, input + kCodeAt + (image.size() - kEntry), image.begin() + kEntry);
    test::e2e_power_on(image);

    const u8 flags = input[0];
    std::copy(input + 1, input + 1 + kZ80Bytes, z80_ram.begin());
    if (flags & 4) {
        z80_reset_latch = 0xFFFFFFFF;
        z80_reset();
    }
    if (flags & 8) vdp_write_control(0x8164);  // display on, V interrupt on, mode 5
    if (flags & 16) {
        vdp_write_control(0x8014);  // H interrupt on
        vdp_write_control(0x8A00);  // on every line
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kCodeAt + 2) return 0;
    input                             = data;
    input_size                        = size;
    const u64 frames                  = 1 + (data[0] & 3);
    const test::SpeedPathComparison r = test::compare_speed_paths(start, frames);
    test::e2e_power_off();
    if (!r.same) {
        std::fprintf(stderr, "speed paths differ from plain execution at %s\n", r.what.c_str());
        __builtin_trap();
    }
    return 0;
}
