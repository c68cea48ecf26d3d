// Register state chunk 0x01 and the Genecyst register load.

#include <gtest/gtest.h>

#include <array>

#include "base/byte_io.h"
#include "base/endian.h"
#include "m68k_test_support.h"

namespace varn::test {
namespace {

class M68kState : public M68kFixture {
  protected:
    void fill_registers(M68kCpuContext& c) {
        for (u32 i = 0; i < 16; ++i) c.regs[i] = 0x10101010u * (i + 1);
        c.pc            = 0x012346;
        c.sr            = 0x2715;
        c.sp_slot_index = kM68kSupervisorSlot;
        c.sp_slots      = {0xAAAA0000, 0xBBBB0000};
        c.irq_pending   = 0x40;
        c.stopped       = 1;
        c.irq_taken     = 0;
    }

    std::vector<u8> save(u32 id_width = 1) {
        std::vector<u8> out(id_width + 4 + kM68kStateChunkDataSize);
        ByteWriter w(out);
        EXPECT_TRUE(m68k_save_state_chunk(w, id_width));
        EXPECT_EQ(w.position(), out.size());
        return out;
    }
};

// 81 bytes with a 1-byte id: the id, length 76, the registers; loading them back restores
// every field, the slots included.
TEST_F(M68kState, SaveThenLoadRestoresTheRegisters) {
    auto& c = m68k_context;
    fill_registers(c);
    const std::vector<u8> chunk = save();
    ASSERT_EQ(chunk.size(), 81u);
    EXPECT_EQ(chunk[0], 0x01);
    EXPECT_EQ(load_le32(&chunk[1]), 76u);
    EXPECT_EQ(load_le32(&chunk[5 + 0x3C]), 0x10101010u * 16);  // A7
    EXPECT_EQ(load_le32(&chunk[5 + 0x40]), 0x012346u);         // PC
    EXPECT_EQ(load_le16(&chunk[5 + 0x44]), 0x2715u);           // SR
    EXPECT_EQ(load_le32(&chunk[5 + 0x46]), 0xAAAA0000u);       // USP: the inactive one
    EXPECT_EQ(chunk[5 + 0x4B], 0x40);

    const M68kCpuContext saved = c;
    m68k_reset_records();
    ByteReader r(chunk);
    EXPECT_EQ(m68k_load_state_chunk(r, 1), 0);
    EXPECT_TRUE(r.at_end());
    EXPECT_EQ(c.regs, saved.regs);
    EXPECT_EQ(c.pc, 0x012346u);
    EXPECT_EQ(c.sr, 0x2715);
    EXPECT_EQ(c.sp_slot_index, kM68kSupervisorSlot);
    EXPECT_EQ(c.sp_slots[kM68kUserSlot], 0xAAAA0000u);
    EXPECT_EQ(c.sp_slots[kM68kSupervisorSlot], saved.regs[kM68kA7]);
    EXPECT_EQ(c.irq_pending, 0x40);
    EXPECT_EQ(c.irq_check, 1);
    EXPECT_NE(c.stopped, 0);
    EXPECT_EQ(c.irq_taken, 0);
    EXPECT_EQ(c.fetch_base, kCartRomOffset);

    // Saving in user mode writes the supervisor stack pointer; a wider id is honoured.
    c.sr                       = 0x0000;
    c.sp_slot_index            = kM68kUserSlot;
    c.sp_slots                 = {1, 0xCCCC0000};
    const std::vector<u8> user = save(2);
    EXPECT_EQ(user.size(), 82u);
    EXPECT_EQ(load_le32(&user[6 + 0x46]), 0xCCCC0000u);
}

// A chunk with flags 0xC0 loads a stopped core whose interrupt was already taken: its STOP
// steps over at once. A pending byte loads the interrupt check.
TEST_F(M68kState, LoadedFlagsDriveStop) {
    fill_registers(m68k_context);
    m68k_context.stopped     = 1;
    m68k_context.irq_taken   = 1;
    m68k_context.irq_pending = 0;
    m68k_context.pc          = 0x1000;
    std::vector<u8> chunk    = save();
    EXPECT_EQ(chunk[5 + 0x4B], 0xC0);
    m68k_reset_records();
    poke_words(0x1000, {0x4E72, 0x2700, 0xA000});  // STOP #0x2700 then line A
    ByteReader r(chunk);
    ASSERT_EQ(m68k_load_state_chunk(r, 1), 0);
    EXPECT_EQ(m68k_context.irq_check, 0);
    m68k_run_slice();
    EXPECT_EQ(m68k_context.stopped, 0);
    EXPECT_EQ(m68k_current_pc(m68k_context), 0x1004u);  // halted on the line-A opcode
}

// Faults end in -1 with nothing touched, or in a halt, never in a crash or a wild fetch.
TEST_F(M68kState, RefusesChunksShorterThanTheirFieldsOrPastTheBlock) {
    fill_registers(m68k_context);
    std::vector<u8> chunk = save();
    m68k_reset_records();
    const M68kCpuContext before = m68k_context;

    struct Case {
        const char* what;
        u32 length;
        std::size_t block;  // bytes the loader gets
    };
    const Case cases[] = {{"length below 76", 75, 81},
                          {"block ends inside the data", 76, 60},
                          {"length runs past the block", 200, 81},
                          {"block ends inside the length", 76, 3}};
    for (const auto& k : cases) {
        std::vector<u8> bytes = chunk;
        store_le32(&bytes[1], k.length);
        ByteReader r(std::span<const u8>(bytes).first(k.block));
        EXPECT_EQ(m68k_load_state_chunk(r, 1), -1) << k.what;
        EXPECT_EQ(r.position(), 0u) << k.what;
        EXPECT_EQ(m68k_context.regs, before.regs) << k.what;
        EXPECT_EQ(m68k_context.pc, before.pc) << k.what;
    }
    // A longer chunk is accepted: its first 76 bytes are read, the rest skipped.
    std::vector<u8> longer = chunk;
    longer.resize(81 + 8);
    store_le32(&longer[1], 84);
    ByteReader r(longer);
    EXPECT_EQ(m68k_load_state_chunk(r, 1), 0);
    EXPECT_TRUE(r.at_end());
}

TEST_F(M68kState, ALoadedPcWithoutCodeHaltsInsteadOfFetching) {
    fill_registers(m68k_context);
    m68k_context.pc       = 0x400000;
    std::vector<u8> chunk = save();
    m68k_reset_records();
    ByteReader r(chunk);
    ASSERT_EQ(m68k_load_state_chunk(r, 1), 0);
    m68k_run_slice();
    EXPECT_NE(m68k_context.status & kM68kStatusHalted, 0u);
    EXPECT_EQ(m68k_context.pc, 0x400000u);
    EXPECT_EQ(chain_log(), std::vector<char>{'H'});
}

// The sub-CPU's chunk is its own record.
TEST_F(M68kState, TheSubCpuChunkIsItsOwn) {
    s68k_context.regs[3] = 0x5151;
    s68k_context.pc      = 0x0A0000;
    std::vector<u8> out(81);
    ByteWriter w(out);
    ASSERT_TRUE(s68k_save_state_chunk(w, 1));
    s68k_context.regs[3] = 0;
    ByteReader r(out);
    ASSERT_EQ(s68k_load_state_chunk(r, 1), 0);
    EXPECT_EQ(s68k_context.regs[3], 0x5151u);
    EXPECT_EQ(s68k_context.fetch_base, kScdPrgRamOffset);
    EXPECT_EQ(m68k_context.regs[3], 0u);
}

TEST_F(M68kState, GenecystRegistersLoadFromTheirOffsets) {
    std::vector<u8> image(0xDA);
    for (u32 i = 0; i < 16; ++i) store_le32(&image[0x80 + i * 4], 0x100 + i);
    store_le32(&image[0xC8], 0xAB001234);
    store_le16(&image[0xD0], 0x2704);
    store_le32(&image[0xD2], 0x00FF8000);
    store_le32(&image[0xD6], 0x00FFFE00);
    auto& c       = m68k_context;
    c.stopped     = 1;
    c.irq_pending = 0x20;
    ASSERT_TRUE(m68k_load_gs_registers(image));
    EXPECT_EQ(a(7), 0x10Fu);  // A7 as stored, not from the slots
    EXPECT_EQ(c.pc, 0x001234u);
    EXPECT_EQ(c.sr, 0x2704);
    EXPECT_EQ(c.sp_slot_index, kM68kSupervisorSlot);
    EXPECT_EQ(c.sp_slots[kM68kUserSlot], 0x00FF8000u);
    EXPECT_EQ(c.sp_slots[kM68kSupervisorSlot], 0x00FFFE00u);
    EXPECT_EQ(c.stopped, 0);
    EXPECT_EQ(c.irq_pending, 0x20);  // pending levels are kept

    std::vector<u8> short_image(0xD9);
    d(0) = 0x77;
    EXPECT_FALSE(m68k_load_gs_registers(short_image));
    EXPECT_EQ(d(0), 0x77u);

    store_le32(&image[0xC8], 0x00400000);  // no code there: the core halts, fetches nothing
    ASSERT_TRUE(m68k_load_gs_registers(image));
    m68k_run_slice();
    EXPECT_NE(c.status & kM68kStatusHalted, 0u);
}

}  // namespace
}  // namespace varn::test
