// Fuzzes the loader of state chunk 0x01 (a 68000's registers) on both instances with
// arbitrary bytes positioned at the chunk's id. A chunk that loads must save back to the same
// registers and run a few slices without harm; a chunk that is refused must leave every
// register as it was.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "flat_bus.h"

using namespace varn;

namespace {

bool same_registers(const M68kCpuContext& a, const M68kCpuContext& b) {
    return a.regs == b.regs && a.pc == b.pc && a.sr == b.sr && a.sp_slots == b.sp_slots &&
           a.sp_slot_index == b.sp_slot_index && a.irq_pending == b.irq_pending &&
           a.stopped == b.stopped && a.irq_taken == b.irq_taken;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    fuzz::reset_machine();
    // First byte: instance (bit 0) and id width 1-4 (bits 1-2); the rest is the chunk.
    const bool sub              = data[0] & 1;
    const u32 id_width          = ((data[0] >> 1) & 3) + 1;
    M68kCpuContext& c           = sub ? s68k_context : m68k_context;
    const M68kCpuContext before = c;
    ByteReader in(std::span<const u8>(data + 1, size - 1));
    const int r = sub ? s68k_load_state_chunk(in, id_width) : m68k_load_state_chunk(in, id_width);
    if (r != 0) {
        if (!same_registers(before, c) || in.position() != 0) std::abort();
        return 0;
    }
    // Save and load again: the same registers.
    std::array<u8, 4 + 4 + kM68kStateChunkDataSize> buffer{};
    ByteWriter out(buffer);
    if (!(sub ? s68k_save_state_chunk(out, id_width) : m68k_save_state_chunk(out, id_width)))
        std::abort();
    const M68kCpuContext loaded = c;
    ByteReader again(out.written());
    if ((sub ? s68k_load_state_chunk(again, id_width) : m68k_load_state_chunk(again, id_width)) !=
            0 ||
        !same_registers(loaded, c) || !again.at_end())
        std::abort();
    // Run the loaded state on blank memory: line 0 opcodes (ORI.B #0,D0) or whatever the
    // vectors lead to; it must end its slices or halt.
    fuzz::run_slices(sub, 8);
    return 0;
}
