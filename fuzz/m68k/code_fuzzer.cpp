// Fuzzes the 68000 interpreter with random programs on a flat bus: the input gives the
// registers, the status register, pending interrupts, the slice length and the image (vector
// table first), which both instances reset from and run for a bounded number of slices.
// Each instance runs twice: with the speed paths off (every instruction dispatched alone, no
// wait loop run at once) and on, the main CPU's bus then declaring every read steady (true of
// the flat bus: nothing but the CPU writes it within a slice). Both runs must end every slice
// with the same registers, counters and memory.
//
// Input layout:
//   0x00  D0-D7, A0-A6      15 x u32, big-endian (A7 comes from the reset vector)
//   0x3C  SR                u16
//   0x3E  interrupt levels  u8, raised before each slice while the mask lets them through
//   0x3F  slice length      u8 (the low byte of the negative slice length)
//   0x40  image             copied to 0x000000 of the cartridge and of PRG-RAM

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/endian.h"
#include "base/speed_paths.h"
#include "flat_bus.h"

using namespace varn;

namespace {

constexpr std::size_t kHeader   = 0x40;
constexpr std::size_t kMaxImage = 0x10000;
constexpr u32 kSlices           = 256;

void start(M68kCpuContext& c, const std::uint8_t* data, bool sub) {
    c.fetch_base = sub ? kScdPrgRamOffset : kCartRomOffset;
    if (sub) {
        s68k_reset();
    } else {
        m68k_reset();
    }
    for (u32 i = 0; i < 15; ++i) c.regs[i] = load_be32(data + 4 * i);
    c.sr            = load_be16(data + 0x3C);
    c.slice_cycles  = static_cast<s32>(0xFFFFFF00u | data[0x3F]);
    c.sp_slot_index = (c.sr & kM68kSrS) ? kM68kSupervisorSlot : kM68kUserSlot;
}

// What a slice leaves: the registers and counters, and a digest of every write made so far
// (the memory, since both runs start from the same bytes).
struct SliceEnd {
    test::M68kSliceEnd cpu;
    u64 writes;
    bool operator==(const SliceEnd&) const = default;
};

std::vector<SliceEnd> run(bool sub, u8 levels) {
    M68kCpuContext& c = sub ? s68k_context : m68k_context;
    std::vector<SliceEnd> trace;
    for (u32 i = 0; i < kSlices && !(c.status & kM68kStatusHalted); ++i) {
        if (levels != 0 && (i & 7) == 7) {
            for (u32 level = 1; level < 8; ++level) {
                if (levels & (1u << level)) m68k_set_irq(c, level, true);
            }
        }
        if (sub) {
            s68k_run_slice();
        } else {
            m68k_run_slice();
        }
        trace.push_back({test::slice_end(c), fuzz::write_digest()});
    }
    return trace;
}

void load(const std::uint8_t* data, std::size_t size) {
    fuzz::reset_machine();
    const std::size_t image = std::min(size - kHeader, kMaxImage);
    fuzz::load_image(cart_rom, data + kHeader, image);
    fuzz::load_image(scd_prg_ram, data + kHeader, image);
    start(m68k_context, data, false);
    start(s68k_context, data, true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kHeader + 8) return 0;
    for (const bool sub : {false, true}) {
        load(data, size);
        set_speed_paths(false);
        const std::vector<SliceEnd> plain = run(sub, data[0x3E]);
        load(data, size);
        set_speed_paths(true);
        if (!sub) m68k_steady_read = [](u32, u32) { return true; };
        const std::vector<SliceEnd> fast = run(sub, data[0x3E]);
        m68k_steady_read                 = nullptr;
        if (plain != fast) __builtin_trap();
    }
    return 0;
}
