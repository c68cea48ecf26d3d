// Saved registers of a 68000 core: state chunk 0x01 and the Genecyst register block.
//
// Chunk 0x01 data, 76 bytes, little-endian:
//   0x00  D0-D7            8 x u32
//   0x20  A0-A7            8 x u32 (A7 the active stack pointer)
//   0x40  PC               u32, 24 bits
//   0x44  SR               u16
//   0x46  inactive SP      u32 (USP in supervisor mode, SSP in user mode)
//   0x4A  irq_pending      u8
//   0x4B  flags            u8: 0x40 stopped, 0x80 interrupt taken during STOP

#include "base/byte_io.h"
#include "base/endian.h"
#include "m68k/m68k_core.h"
#include "m68k/m68k_gs_registers.h"

namespace varn {

namespace {

bool valid_id_width(u32 id_width) { return id_width >= 1 && id_width <= 4; }

bool save_chunk(const M68kCpuContext& c, ByteWriter& out, u32 id_width) {
    if (!valid_id_width(id_width) || out.remaining() < id_width + 4 + kM68kStateChunkDataSize)
        return false;
    for (u32 i = 0; i < id_width; ++i)
        out.write_u8(i == 0 ? static_cast<u8>(kM68kStateChunkId) : 0);
    out.write_le32(kM68kStateChunkDataSize);
    for (u32 r : c.regs) out.write_le32(r);
    out.write_le32(c.pc & 0xFFFFFF);
    out.write_le16(c.sr);
    out.write_le32(c.sp_slots[c.sp_slot_index ^ 1]);
    out.write_u8(c.irq_pending);
    out.write_u8(static_cast<u8>((c.stopped ? 0x40 : 0) | (c.irq_taken ? 0x80 : 0)));
    return true;
}

// The page of a loaded PC, taken as it stands (no adjustment). A page without code leaves the
// fetch base alone and records a halt for the next slice entry: such a state does not run.
void place_loaded_pc(M68kCpuContext& c, const M68kFetchPages& pages, u32 pc) {
    c.pc                  = pc & 0xFFFFFF;
    c.exit_pc             = kM68kNoPc;
    const M68kFetchPage e = pages[c.pc >> 16];
    if (e.kind == M68kFetchKind::kNone) {
        c.halt_pending = 1;
    } else {
        c.fetch_base   = e.offset;
        c.jump_size    = 0;
        c.halt_pending = 0;
    }
    c.exception_run = 0;
}

int load_chunk(M68kCpuContext& c, const M68kFetchPages& pages, ByteReader& in, u32 id_width) {
    if (!valid_id_width(id_width)) return -1;
    ByteReader r = in;
    u32 length   = 0;
    std::span<const u8> data;
    if (!r.skip(id_width) || !r.read_le32(length)) return -1;
    const std::size_t data_start = r.position();
    if (length < kM68kStateChunkDataSize || length > r.remaining()) return -1;
    if (!r.read_view(kM68kStateChunkDataSize, data)) return -1;

    for (u32 i = 0; i < 16; ++i) c.regs[i] = load_le32(&data[i * 4]);
    place_loaded_pc(c, pages, load_le32(&data[0x40]));
    c.sr                            = load_le16(&data[0x44]);
    c.sp_slot_index                 = (c.sr & kM68kSrS) ? kM68kSupervisorSlot : kM68kUserSlot;
    c.sp_slots[c.sp_slot_index]     = c.regs[kM68kA7];
    c.sp_slots[c.sp_slot_index ^ 1] = load_le32(&data[0x46]);
    c.irq_pending                   = data[0x4A];
    c.irq_check                     = c.irq_pending != 0 ? 1 : 0;
    c.irq_taken                     = (data[0x4B] & 0x80) ? 0xFF : 0;
    c.stopped                       = (data[0x4B] & 0x40) ? 0xFF : 0;
    in.seek(data_start + length);
    return 0;
}

}  // namespace

bool m68k_save_state_chunk(ByteWriter& out, u32 id_width) {
    return save_chunk(m68k_context, out, id_width);
}
bool s68k_save_state_chunk(ByteWriter& out, u32 id_width) {
    return save_chunk(s68k_context, out, id_width);
}
int m68k_load_state_chunk(ByteReader& in, u32 id_width) {
    return load_chunk(m68k_context, m68k_fetch_pages, in, id_width);
}
int s68k_load_state_chunk(ByteReader& in, u32 id_width) {
    return load_chunk(s68k_context, s68k_fetch_pages, in, id_width);
}

bool m68k_load_gs_registers(std::span<const u8> image) {
    M68kCpuContext& c = m68k_context;
    return m68k_load_gs_registers_into(c, image, kM68kUserSlot, kM68kSupervisorSlot,
                                       [&](u32 pc) { place_loaded_pc(c, m68k_fetch_pages, pc); });
}

}  // namespace varn
