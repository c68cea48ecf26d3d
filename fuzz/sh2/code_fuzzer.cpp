// Fuzzes the SH-2 interpreter with random programs: both cores on the 32X bus, their code in
// every fetch region at once, with random registers, status, interrupt tables and pending
// requests, run for a bounded number of slices of the chain.
//
// Input layout:
//   0x00  R0-R14           15 x u32, big-endian (R15 from the boot ROM's vector)
//   0x3C  SR               u32
//   0x40  GBR, VBR         2 x u32
//   0x48  start            u8: bits 0-1 the region the master starts in (boot ROM,
//                          cartridge, SDRAM, cache array), bits 2-3 the slave's
//   0x49  requests         u8: pending bits 4, 7, 9, 11, 13 and the watchdog's 23, raised
//                          every eighth slice
//   0x4A  slice length     u8 (the low byte of the negative slice length)
//   0x4B  on-chip levels   u8: level of the watchdog (low nibble) and of the bus compare
//   0x4C  image            the boot ROMs, the cartridge, SDRAM and the cache arrays all
//                          start with it

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/endian.h"
#include "memory/memory.h"
#include "sh2/sh2.h"
#include "sh2/sh2_bus.h"

using namespace varn;

namespace {

constexpr std::size_t kHeader   = 0x4C;
constexpr std::size_t kMaxImage = 0x10000;
constexpr u32 kSlices           = 256;
constexpr u32 kRegionStarts[4]  = {0x00000000, 0x02000000, 0x06000000, 0xC0000000};

void copy_into(std::span<u8> image, const std::uint8_t* data, std::size_t size) {
    std::copy_n(data, std::min(size, image.size()), image.begin());
}

void start(Sh2CpuContext& c, const std::uint8_t* data, u32 region) {
    for (u32 i = 0; i < 15; ++i) c.r[i] = load_be32(data + 4 * i);
    c.sr                     = load_be32(data + 0x3C);
    c.gbr                    = load_be32(data + 0x40);
    c.vbr                    = load_be32(data + 0x44);
    c.slice_cycles           = static_cast<s32>(0xFFFFFF00u | data[0x4A]);
    c.pc                     = kRegionStarts[region & 3];
    c.halt_pending           = 0;
    c.status                 = 0;
    const u8 levels          = data[0x4B];
    c.onchip_level[31 - 23]  = levels & 15;
    c.onchip_vector[31 - 23] = 72 * 4;
    c.onchip_level[31 - 24]  = levels >> 4;
    c.onchip_vector[31 - 24] = 73 * 4;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool built = [] {
        sh2_interp_reset();
        sh2s_interp_reset();
        return true;
    }();
    (void)built;
    if (size < kHeader + 2) return 0;
    memory_clear();
    sh2_memory_clear();
    sh2_reset_records();
    sh2_clear_slots();
    sh2_build_memory_map();
    sh2s_build_memory_map();
    const std::uint8_t* image = data + kHeader;
    const std::size_t length  = std::min(size - kHeader, kMaxImage);
    copy_into(sh2_boot_rom, image, length);
    copy_into(sh2s_boot_rom, image, length);
    copy_into(cart_rom, image, length);
    copy_into(s32x_sdram, image, length);
    sh2_set_cart_size(static_cast<u32>(length));
    sh2_reset_from_bios();
    sh2s_reset_from_bios();
    // After the reset, which clears them: the cache arrays too.
    copy_into(sh2_cache_array, image, length);
    copy_into(sh2s_cache_array, image, length);
    start(sh2_context, data, data[0x48]);
    start(sh2s_context, data, data[0x48] >> 2);

    const u8 req     = data[0x49];
    u32 pending      = 0;
    const u32 bits[] = {kSh2IrqSerial, kSh2IrqPwm,    kSh2IrqCommand,
                        kSh2IrqHBlank, kSh2IrqVBlank, kSh2IrqWatchdog};
    for (u32 i = 0; i < 6; ++i) {
        if (req & (1u << i)) pending |= bits[i];
    }
    for (u32 i = 0; i < kSlices; ++i) {
        if (pending != 0 && (i & 7) == 7) {
            sh2_raise_irq(sh2_context, pending);
            sh2_raise_irq(sh2s_context, pending);
        }
        // The chain stops at a halted master: the slave then runs on its own.
        if (!(sh2_context.status & kSh2StatusHalted)) {
            sh2_run_slice();
        } else if (!sh2s_run_slice_alone()) {
            break;
        }
    }
    return 0;
}
