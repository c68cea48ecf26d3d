// Save-state chunks of the VDP and the Genecyst register load.

#include <vector>

#include "genesis/vdp/vdp.h"
#include "vdp_test_support.h"

namespace varn::test {
namespace {

using StateTest = VdpTest;

std::vector<u8> save_chunk() {
    std::vector<u8> out(64, 0xCC);
    ByteWriter w(out);
    EXPECT_TRUE(vdp_save_state_chunk(w));
    out.resize(w.position());
    return out;
}

// A machine in the middle of things: modes set, a command half written, an H interrupt
// pending, the stored status flags set.
void busy_machine() {
    const u8 regs[24] = {0x14, 0x74, 0x30, 0x3C, 0x07, 0x6C, 0x00, 0x21, 0x00, 0x00, 0x05, 0x06,
                         0x89, 0x2B, 0x00, 0x02, 0x11, 0x85, 0x03, 0x10, 0x00, 0x80, 0x40, 0x7F};
    for (u32 n = 0; n < 24; ++n) vdp_reg(n, regs[n]);
    vdp_command(0x4567, kVsramWrite);
    vdp_write_control(command_first(0x0123, kVramWrite));
    vdp_control_state.hint_pending = true;
    vdp_control_state.status |= 0x60;
    vdp_control_state.vint_pending = true;
    vdp_control_state.odd_field    = true;
}

TEST_F(StateTest, ChunkLayout) {
    busy_machine();
    const auto chunk = save_chunk();
    ASSERT_EQ(chunk.size(), 1u + 4 + 0x21);
    EXPECT_EQ(chunk[0], 0x87);
    EXPECT_EQ(chunk[1], 0x21);
    EXPECT_EQ(chunk[4], 0x00);
    EXPECT_EQ(chunk[5 + 1], 0x74);                          // register 1
    EXPECT_EQ(chunk[5 + 24] & 0xF0, 0xF0);                  // status: V pending, field, flags
    EXPECT_EQ(chunk[5 + 26] | chunk[5 + 27] << 8, 0x4123);  // the newest first word
    EXPECT_EQ(chunk[5 + 32], 0x05);                         // second word pending, H pending
}

TEST_F(StateTest, ChunkRoundTripIsByteForByte) {
    busy_machine();
    const auto first            = save_chunk();
    const VdpControlState saved = vdp_control_state;
    const auto regs             = vdp_registers;
    vdp_reset_all();
    ByteReader r(first);
    ASSERT_EQ(vdp_load_state_chunk(r), 0);
    EXPECT_TRUE(r.at_end());
    EXPECT_EQ(save_chunk(), first);
    for (u32 n = 0; n < 24; ++n) EXPECT_EQ(vdp_registers[n], regs[n]) << n;
    EXPECT_EQ(vdp_control_state.address, saved.address);
    EXPECT_EQ(vdp_control_state.code, saved.code);
    EXPECT_EQ(vdp_control_state.target, saved.target);
    EXPECT_EQ(vdp_control_state.write_enabled, saved.write_enabled);
    EXPECT_EQ(vdp_control_state.hint_counter, 5);
    EXPECT_TRUE(vdp_control_state.vint_pending);
    EXPECT_TRUE(vdp_control_state.second_word_pending);
    // Everything else as it was; a load leaves DMA start blocked and the H counter
    // reloaded.
    VdpControlState expected   = saved;
    expected.dma_start_blocked = true;
    expected.hint_counter      = 5;
    EXPECT_TRUE(expected == vdp_control_state);
}

TEST_F(StateTest, LoadNeverRunsTheSavedDma) {
    // The last command was a 68000-to-VRAM DMA; loading its state must not run it again
    // over the loaded memories.
    std::vector<u8> src(0x10000, 0xEE);
    vdp_dma_map_set(0xE0, 1, {src.data(), static_cast<u32>(src.size()), 0, 0xFFFF});
    vdp_reg(1, 0x54);
    vdp_reg(19, 0x10);
    vdp_reg(23, 0x70);
    vdp_command(0x0000, kVramDma);
    ASSERT_EQ(vdp_vram[0], 0xEEEE);
    vdp_reg(19, 0x10);  // a length left in the registers
    const auto chunk = save_chunk();
    vdp_vram.fill(0);
    ByteReader r(chunk);
    ASSERT_EQ(vdp_load_state_chunk(r), 0);
    EXPECT_EQ(vdp_vram[0], 0);
    EXPECT_EQ(vdp_control_state.code, 0x21);
    EXPECT_TRUE(vdp_control_state.dma_start_blocked);
}

TEST_F(StateTest, LoadedFillIsNotPending) {
    vdp_reg(1, 0x54);
    vdp_reg(23, 0x80);
    vdp_command(0x0000, kVramDma);
    ASSERT_EQ(vdp_control_state.fill_kind, kVdpFillVram);
    const auto chunk = save_chunk();
    EXPECT_EQ(chunk[5 + 32] & 0x02, 0x02);
    ByteReader r(chunk);
    ASSERT_EQ(vdp_load_state_chunk(r), 0);
    EXPECT_EQ(vdp_control_state.fill_kind, kVdpFillNone);
}

TEST_F(StateTest, ShortChunkFailsWithoutChanges) {
    vdp_reg(2, 0x30);
    auto chunk = save_chunk();
    vdp_reg(2, 0x00);
    const std::vector<u8> cut(chunk.begin(), chunk.end() - 1);  // data runs short
    ByteReader r(cut);
    EXPECT_EQ(vdp_load_state_chunk(r), -1);
    EXPECT_EQ(r.position(), 0u);
    chunk[1] = 0x20;  // a stated length below the layout
    ByteReader r2(chunk);
    EXPECT_EQ(vdp_load_state_chunk(r2), -1);
    EXPECT_EQ(vdp_registers[2], 0x00);
}

TEST_F(StateTest, LongerChunkIsSkippedByItsStoredLength) {
    vdp_reg(2, 0x30);
    auto chunk = save_chunk();
    chunk[1]   = 0x23;
    chunk.push_back(0xAA);
    chunk.push_back(0xBB);
    chunk.push_back(0x87);  // the next chunk's id
    ByteReader r(chunk);
    EXPECT_EQ(vdp_load_state_chunk(r), 0);
    EXPECT_EQ(r.position(), chunk.size() - 1);
    EXPECT_EQ(vdp_registers[2], 0x30);
}

TEST_F(StateTest, ChunkWithWideIds) {
    std::vector<u8> out(64);
    ByteWriter w(out);
    ASSERT_TRUE(vdp_save_state_chunk(w, 4));
    EXPECT_EQ(w.position(), 4u + 4 + 0x21);
    EXPECT_EQ(out[0], 0x87);
    EXPECT_EQ(out[3], 0x00);
    EXPECT_EQ(out[4], 0x21);
    std::vector<u8> tiny(10);
    ByteWriter small(tiny);
    EXPECT_FALSE(vdp_save_state_chunk(small));
    EXPECT_EQ(small.position(), 0u);
}

TEST_F(StateTest, MemoriesAreLittleEndianWords) {
    vdp_vram[0]      = 0x1234;
    vdp_vram[0x7FFF] = 0xBEEF;
    vdp_cram[63]     = 0x0ABC;
    vdp_vsram[39]    = 0x03FF;
    vdp_vsram[40]    = 0x7777;  // beyond the console's 40 words: not saved
    std::vector<u8> out(0x10000 + 0x80 + 0x50);
    ByteWriter w(out);
    ASSERT_TRUE(vdp_save_vram_data(w));
    ASSERT_TRUE(vdp_save_cram_data(w));
    ASSERT_TRUE(vdp_save_vsram_data(w));
    EXPECT_EQ(w.position(), out.size());
    EXPECT_EQ(out[0], 0x34);
    EXPECT_EQ(out[1], 0x12);
    EXPECT_EQ(out[0xFFFE], 0xEF);
    EXPECT_EQ(out[0x10000 + 0x7E], 0xBC);
    EXPECT_EQ(out[0x10000 + 0x80 + 0x4F], 0x03);

    vdp_reset_all();
    ByteReader r(out);
    ASSERT_TRUE(vdp_load_vram_data(r));
    ASSERT_TRUE(vdp_load_cram_data(r));
    ASSERT_TRUE(vdp_load_vsram_data(r));
    EXPECT_EQ(vdp_vram[0x7FFF], 0xBEEF);
    EXPECT_EQ(vdp_cram[63], 0x0ABC);
    EXPECT_EQ(colour_lut[64 + 63], host_colour_table[6 << 6 | 5 << 3 | 5]);  // rebuilt
    EXPECT_EQ(vdp_vsram[39], 0x03FF);

    ByteReader short_data(std::span<const u8>(out).first(0x7F));
    vdp_cram[0] = 0x0111;
    EXPECT_FALSE(vdp_load_cram_data(short_data));
    EXPECT_EQ(vdp_cram[0], 0x0111);
}

TEST_F(StateTest, GenecystRegisters) {
    std::vector<u8> image(0x112, 0);
    image[0xFA + 1]                = 0x64;
    image[0xFA + 2]                = 0x30;
    image[0xFA + 10]               = 0x07;
    image[0xFA + 12]               = 0x00;
    vdp_control_state.vint_pending = true;
    ASSERT_TRUE(vdp_load_gs_registers(image));
    EXPECT_EQ(vdp_registers[1], 0x64);
    EXPECT_EQ(vdp_control_state.plane_a_base, 0xC000);
    EXPECT_TRUE(vdp_control_state.display_enabled);
    EXPECT_EQ(vdp_control_state.hint_counter, 7);
    EXPECT_FALSE(vdp_control_state.vint_pending);
    EXPECT_EQ(screen_width, 256u);
    EXPECT_TRUE(vdp_control_state.dma_start_blocked);

    image.resize(0x111);
    vdp_registers[2] = 0x55;
    EXPECT_FALSE(vdp_load_gs_registers(image));
    EXPECT_EQ(vdp_registers[2], 0x55);
}

}  // namespace
}  // namespace varn::test
