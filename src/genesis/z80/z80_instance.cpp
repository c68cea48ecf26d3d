// The Genesis instance of the Z80 core: its context, run entry, reset, interrupt line,
// Genecyst register import and save-state chunk.

#include "genesis/z80/genesis_z80.h"

#include <array>

#include "base/endian.h"
#include "genesis/z80/genesis_z80_bus.h"

namespace varn {

// The slice length is the default until the settings give another.
constinit z80_cpu_context z80_context = z80_initial_context();

void (*z80_halt_slot)() = nullptr;

void z80_run() { GenesisZ80::run(z80_context); }
void z80_run_paths_on() { GenesisZ80::run<GenesisZ80::Paths::kOn>(z80_context); }
void z80_run_paths_off() { GenesisZ80::run<GenesisZ80::Paths::kOff>(z80_context); }

void z80_reset() { GenesisZ80::reset(z80_context, 0); }

void z80_irq_raise() {
    z80_context.irq_lines |= kZ80LineIrq;
    z80_context.irq_check = 1;
}

void z80_irq_clear() { z80_context.irq_lines &= static_cast<u8>(~kZ80LineIrq); }

void z80_set_slice_budget(s32 budget) { z80_context.slice_budget = budget; }

bool z80_is_stopped() { return (z80_context.status & kZ80StatusHalted) != 0; }

void z80_clear_stopped() { z80_context.status &= ~kZ80StatusHalted; }

void z80_reset_records() {
    z80_context = z80_initial_context();
    z80_ram.fill(0);
    z80_bank         = 0;
    z80_busreq_latch = 0;
    z80_reset_latch  = 0;
    z80_map_init();
    GenesisZ80::refresh_fetch(z80_context);
}

void z80_read_gs_registers(z80_cpu_context& c, std::span<const u8> image) {
    auto word = [&](std::size_t off) { return static_cast<u16>(load_le32(&image[off])); };
    c.af      = word(0x404);
    c.bc      = word(0x408);
    c.de      = word(0x40C);
    c.hl      = word(0x410);
    c.ix      = word(0x414);
    c.iy      = word(0x418);
    c.pc      = word(0x41C);
    c.sp      = word(0x420);
    c.af2     = word(0x424);
    c.bc2     = word(0x428);
    c.de2     = word(0x42C);
    c.hl2     = word(0x430);
    c.i       = image[0x434];
}

bool z80_load_gs_registers(std::span<const u8> image) {
    if (image.size() < 0x438) return false;
    z80_cpu_context& c = z80_context;
    z80_read_gs_registers(c, image);
    // A PC outside the RAM pages leaves the core stopped; the load itself completes.
    GenesisZ80::refresh_fetch(c);
    c.slice_exit = 0;
    return true;
}

bool z80_save_state_chunk(ByteWriter& out) {
    const z80_cpu_context& c = z80_context;
    if (out.remaining() < 1 + 4 + kZ80StateChunkBytes) return false;
    std::array<u8, kZ80StateChunkBytes> d{};
    auto pair = [&](std::size_t off, u16 v) {
        d[off]     = static_cast<u8>(v);       // low register (F, C, E, L)
        d[off + 1] = static_cast<u8>(v >> 8);  // high register (A, B, D, H)
    };
    pair(0, c.af);
    pair(2, c.bc);
    pair(4, c.de);
    pair(6, c.hl);
    pair(8, c.ix);
    pair(10, c.iy);
    pair(12, c.pc);
    pair(14, c.sp);
    d[16] = c.i;
    d[17] = z80_get_r(c);
    pair(18, c.af2);
    pair(20, c.bc2);
    pair(22, c.de2);
    pair(24, c.hl2);
    d[26] = c.irq_lines;
    d[27] = static_cast<u8>((c.im & 3) | (c.iff1 ? 0x04 : 0) | (c.iff2 ? 0x08 : 0) |
                            (c.halted ? 0x40 : 0) | (c.woken ? 0x80 : 0));
    out.write_u8(kZ80StateChunkId);
    out.write_le32(kZ80StateChunkBytes);
    out.write_bytes(d);
    return true;
}

bool z80_load_state_chunk(ByteReader& in) {
    const std::size_t start = in.position();
    u32 len                 = 0;
    std::array<u8, kZ80StateChunkBytes> d{};
    if (!in.read_le32(len) || len < kZ80StateChunkBytes || len > in.remaining() ||
        !in.read_bytes(d) || !in.skip(len - kZ80StateChunkBytes)) {
        in.seek(start);
        return false;
    }
    auto pair = [&](std::size_t off) { return static_cast<u16>(d[off] | (d[off + 1] << 8)); };
    z80_cpu_context& c = z80_context;
    c.af               = pair(0);
    c.bc               = pair(2);
    c.de               = pair(4);
    c.hl               = pair(6);
    c.ix               = pair(8);
    c.iy               = pair(10);
    c.pc               = pair(12);
    c.sp               = pair(14);
    c.i                = d[16];
    z80_set_r(c, d[17]);
    c.af2           = pair(18);
    c.bc2           = pair(20);
    c.de2           = pair(22);
    c.hl2           = pair(24);
    c.irq_lines     = d[26] & (kZ80LineIrq | kZ80LineNmi);
    c.im            = d[27] & 3;
    c.iff1          = (d[27] & 0x04) ? kZ80IffOn : 0;
    c.iff2          = (d[27] & 0x08) ? kZ80IffOn : 0;
    c.halted        = (d[27] & 0x40) ? 1 : 0;
    c.woken         = (d[27] & 0x80) ? 1 : 0;
    c.last_tstates  = 0;
    c.extra_tstates = 0;
    if (c.irq_lines) c.irq_check = 1;
    // A PC outside the RAM pages leaves the core stopped; the load itself completes.
    GenesisZ80::refresh_fetch(c);
    c.slice_exit = 0;
    return true;
}

}  // namespace varn
