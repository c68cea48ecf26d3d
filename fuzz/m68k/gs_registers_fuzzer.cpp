// Fuzzes the Genecyst register loader of the main CPU with arbitrary state images, then runs a
// few slices of what it loaded.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "flat_bus.h"

using namespace varn;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::reset_machine();
    const M68kCpuContext before = m68k_context;
    const bool loaded           = m68k_load_gs_registers(std::span<const u8>(data, size));
    if (loaded != (size >= kM68kGsRegistersEnd)) std::abort();
    if (!loaded) {
        if (m68k_context.regs != before.regs || m68k_context.pc != before.pc ||
            m68k_context.sr != before.sr)
            std::abort();
        return 0;
    }
    // The bytes past the registers, if any, become the start of the cartridge image, so that
    // a loaded PC near 0 runs something of the input.
    const std::size_t extra = std::min<std::size_t>(size - kM68kGsRegistersEnd, 0x1000);
    fuzz::load_image(cart_rom, data + kM68kGsRegistersEnd, extra);
    fuzz::run_slices(false, 16);
    return 0;
}
