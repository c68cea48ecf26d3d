// Data port reads and writes, DMA from 68000 memory, fills and VRAM copies.

#include <vector>

#include "genesis/vdp/vdp.h"
#include "memory/memory.h"
#include "vdp_test_support.h"

namespace varn::test {
namespace {

class DataPortTest : public VdpTest {
  protected:
    void SetUp() override {
        VdpTest::SetUp();
        vdp_reg(15, 2);
    }

    // A 64 KB source image at 68000 page `page` whose word i is 0x1000 + i.
    void map_source(u32 page) {
        image_.assign(0x10000, 0);
        for (u32 i = 0; i < 0x8000; ++i) {
            image_[2 * i]     = static_cast<u8>((0x1000 + i) >> 8);
            image_[2 * i + 1] = static_cast<u8>(0x1000 + i);
        }
        vdp_dma_map_set(page, 1, {image_.data(), static_cast<u32>(image_.size()), 0, 0xFFFF});
    }

    // DMA registers: length in words, source as a 68000 byte address, kind bits in 23.
    static void dma_setup(u32 length, u32 source, u32 kind) {
        vdp_reg(1, 0x54);  // display off, DMA on
        vdp_reg(19, length & 0xFF);
        vdp_reg(20, length >> 8);
        vdp_reg(21, (source >> 1) & 0xFF);
        vdp_reg(22, (source >> 9) & 0xFF);
        vdp_reg(23, ((source >> 17) & 0x7F) | kind);
    }

    std::vector<u8> image_;
};

TEST_F(DataPortTest, WritesAndReadsEachMemory) {
    vdp_command(0x0100, kVramWrite);
    vdp_write_data(0x1234);
    vdp_write_data(0x5678);
    EXPECT_EQ(vdp_vram[0x80], 0x1234);
    EXPECT_EQ(vdp_vram[0x81], 0x5678);
    vdp_command(0x0101, kVramWrite);  // odd address: bytes swapped, word at address & ~1
    vdp_write_data(0xABCD);
    EXPECT_EQ(vdp_vram[0x80], 0xCDAB);

    vdp_command(0x7E, kCramWrite);
    vdp_write_data(0x0EEE);
    vdp_write_data(0x0222);  // address wraps at 0x7F
    EXPECT_EQ(vdp_cram[63], 0x0EEE);
    EXPECT_EQ(vdp_cram[0], 0x0222);

    vdp_command(0x4E, kVsramWrite);
    vdp_write_data(0x03FF);
    EXPECT_EQ(vdp_vsram[39], 0x03FF);

    vdp_command(0x0100, kVramRead);
    EXPECT_EQ(vdp_read_data(), 0xCDAB);
    EXPECT_EQ(vdp_read_data(), 0x5678);
    vdp_command(0x7E, kCramRead);
    EXPECT_EQ(vdp_read_data(), 0x0EEE);
    vdp_command(0x4E, kVsramRead);
    EXPECT_EQ(vdp_read_data(), 0x03FF);
}

TEST_F(DataPortTest, WriteWhileReadingOnlyAdvances) {
    vdp_command(0x0200, kVramRead);
    vdp_write_data(0xFFFF);
    EXPECT_EQ(vdp_control_state.address, 0x0202);
    EXPECT_EQ(vdp_vram[0x100], 0);
    vdp_command(0x0200, kVramWrite);
    EXPECT_EQ(vdp_read_data(), 0);  // reading while writing gives 0 and does not move
    EXPECT_EQ(vdp_control_state.address, 0x0200);
}

TEST_F(DataPortTest, DmaFromMemoryToVram) {
    map_source(0xE0);
    dma_setup(3, 0xE00010, 0x00);
    vdp_command(0x0400, kVramDma);
    EXPECT_EQ(vdp_vram[0x200], 0x1008);
    EXPECT_EQ(vdp_vram[0x201], 0x1009);
    EXPECT_EQ(vdp_vram[0x202], 0x100A);
    EXPECT_EQ(vdp_control_state.address, 0x0406);
    // Source advanced by three words, length cleared, register 23 bit 7 kept.
    EXPECT_EQ(vdp_registers[21], 0x0B);
    EXPECT_EQ(vdp_registers[19], 0);
    EXPECT_EQ(vdp_registers[20], 0);
    EXPECT_TRUE(vdp_control_state.dma_start_blocked);

    // Only the first word of a new command: the DMA is not repeated.
    vdp_vram.fill(0);
    vdp_write_control(command_first(0x0400, kVramDma));
    EXPECT_EQ(vdp_vram[0x200], 0);
}

TEST_F(DataPortTest, DmaLengthZeroMovesFFFFWordsAndSourceWrapsInItsRegion) {
    map_source(0xE0);
    dma_setup(0, 0xE0FFFE, 0x00);  // last word of the region, then wraps to its start
    vdp_reg(15, 2);
    vdp_command(0x0000, kVramDma);
    EXPECT_EQ(vdp_vram[0], 0x1000 + 0x7FFF);
    EXPECT_EQ(vdp_vram[1], 0x1000);
    EXPECT_EQ(vdp_vram[0x7FFE], 0x1000 + 0x7FFD);
    EXPECT_EQ(vdp_vram[0x7FFF], 0x1000 + 0x7FFE);  // written on the first pass only
    // 65,535 words, not 65,536: the address stops one word short of a double round.
    EXPECT_EQ(vdp_control_state.address, 0xFFFE);
    EXPECT_EQ(vdp_registers[21], 0xFE);
}

TEST_F(DataPortTest, DmaToCramTakesEffectAtTheEnd) {
    map_source(0x00);
    image_[0] = 0x00;
    image_[1] = 0x0E;  // red 7
    dma_setup(1, 0x000000, 0x00);
    vdp_command(0x0002, kCramDma);
    EXPECT_EQ(vdp_cram[1], 0x000E);
    EXPECT_NE(colour_lut[64 + 1], 0);  // the palette was rebuilt once, at the end

    // Through the data port the colour follows per word.
    vdp_command(0x0004, kCramWrite);
    vdp_write_data(0x00E0);
    EXPECT_EQ(colour_lut[64 + 2], host_colour_table[7 << 3]);
}

TEST_F(DataPortTest, UnmappedSourceChangesNothingAndMayBeRetried) {
    dma_setup(4, 0xA00000, 0x00);
    vdp_command(0x0000, kVramDma);
    EXPECT_EQ(vdp_registers[19], 4);  // nothing changed
    EXPECT_EQ(vdp_registers[21], 0);
    EXPECT_FALSE(vdp_control_state.dma_start_blocked);
    EXPECT_EQ(vdp_control_state.address, 0);
    vdp_write_control(command_first(0x0000, kVramDma));  // the first word tries again
    EXPECT_EQ(vdp_registers[19], 4);
}

TEST_F(DataPortTest, DmaDisabledStaysAPlainWriteUntilRegister1EnablesIt) {
    vdp_reg(1, 0x44);  // DMA off
    vdp_command(0x0000, kVramDma);
    EXPECT_TRUE(vdp_control_state.dma_mode);
    EXPECT_TRUE(vdp_control_state.dma_start_blocked);
    vdp_write_data(0x4321);
    EXPECT_EQ(vdp_vram[0], 0x4321);
    vdp_reg(1, 0x04);  // in DMA mode, register 1 bit 4 decides whether writes go through
    EXPECT_FALSE(vdp_control_state.write_enabled);
}

TEST_F(DataPortTest, FillWritesTheHighByteAtAddressXor1) {
    dma_setup(3, 0, 0x80);
    vdp_command(0x0000, kVramDma);
    EXPECT_EQ(vdp_control_state.fill_kind, kVdpFillVram);
    vdp_write_data(0xAB00);
    // The first word as written, then 0xAB at console bytes 3, 5 and 7.
    const u8 expected[10] = {0xAB, 0x00, 0x00, 0xAB, 0x00, 0xAB, 0x00, 0xAB, 0x00, 0x00};
    for (u32 a = 0; a < 10; ++a) EXPECT_EQ(vram_byte(a), expected[a]) << "byte " << a;
    EXPECT_EQ(vdp_control_state.fill_kind, kVdpFillNone);
    EXPECT_EQ(vdp_read_status() & 0x02, 0x02);  // busy, once
    EXPECT_EQ(vdp_read_status() & 0x02, 0x00);
}

TEST_F(DataPortTest, FillOfLengthZeroWrites65535Bytes) {
    vdp_reg(15, 1);
    dma_setup(0, 0, 0x80);
    vdp_command(0x0000, kVramDma);
    vdp_write_data(0x5500);
    u32 filled = 0;
    for (u32 a = 0; a < 0x10000; ++a) filled += vram_byte(a) == 0x55;
    // First word: byte 0 = 0x55; then 65,535 bytes from address 1 (XOR 1) cover all but
    // one byte, which the first word's low byte 0x00 kept.
    EXPECT_EQ(filled, 0xFFFFu);
    EXPECT_EQ(vdp_registers[19], 0);
}

TEST_F(DataPortTest, RegisterWriteCancelsAPendingFill) {
    dma_setup(3, 0, 0x80);
    vdp_command(0x0000, kVramDma);
    vdp_reg(15, 2);
    EXPECT_EQ(vdp_control_state.fill_kind, kVdpFillNone);
    vdp_write_data(0xAB00);
    EXPECT_EQ(vdp_vram[0], 0);  // write enabled was dropped with the fill
}

TEST_F(DataPortTest, FillOfCram) {
    dma_setup(2, 0, 0x80);
    vdp_command(0x0010, kCramDma);
    vdp_write_data(0x0E00);
    EXPECT_EQ(vdp_cram[8], 0x0E00);
    EXPECT_EQ(vdp_cram[9], 0x000E);  // high byte to console byte 0x13 = low byte of word 9
    EXPECT_EQ(vdp_cram[10], 0x000E);
}

TEST_F(DataPortTest, VramCopyMovesBytesInConsoleOrder) {
    for (u32 i = 0; i < 4; ++i) vdp_vram[0x100 + i] = static_cast<u16>(0x0102 + 0x0202 * i);
    vdp_reg(15, 1);
    dma_setup(8, 0, 0xC0);
    vdp_reg(21, 0x00);
    vdp_reg(22, 0x02);  // source byte address 0x200
    vdp_command(0x1000, kVramCopy);
    for (u32 k = 0; k < 8; ++k) EXPECT_EQ(vram_byte(0x1000 + k), vram_byte(0x200 + k)) << k;
    EXPECT_EQ(vdp_registers[21], 0x08);
    EXPECT_EQ(vdp_registers[23] & 0xC0, 0xC0);
    EXPECT_EQ(vdp_read_status() & 0x02, 0);  // a copy does not report busy
}

TEST_F(DataPortTest, WordRamDmaStartsOneWordEarly) {
    // PRG-RAM followed by word RAM in one array, as the memory arena holds them.
    std::vector<u8> arena(0x100 + 0x40000, 0);
    arena[0xFE] = 0xBE;
    arena[0xFF] = 0xEF;  // last word below word RAM
    for (u32 i = 0; i < 4; ++i) arena[0x100 + 2 * i + 1] = static_cast<u8>(i + 1);
    std::vector<u8> none(0x20000, 0);
    vdp_dma_map_segacd(none, none, arena, 0x100, none);
    dma_setup(3, 0x200000, 0x00);
    vdp_command(0x0000, kVramDma);
    EXPECT_EQ(vdp_vram[0], 0xBEEF);
    EXPECT_EQ(vdp_vram[1], 0x0001);
    EXPECT_EQ(vdp_vram[2], 0x0002);
}

TEST_F(DataPortTest, ArenaMapsOfThePowerOn) {
    memory_clear();
    scd_prg_ram[kScdPrgRamSize - 2] = 0x12;
    scd_prg_ram[kScdPrgRamSize - 1] = 0x34;
    scd_word_ram[1]                 = 0x56;
    vdp_dma_map_segacd();
    dma_setup(2, 0x200000, 0x00);
    vdp_command(0x0000, kVramDma);
    EXPECT_EQ(vdp_vram[0], 0x1234);
    EXPECT_EQ(vdp_vram[1], 0x0056);
    cart_rom[0x3FFFFE] = 0xAB;
    vdp_dma_map_cartridge();
    dma_setup(1, 0x3FFFFE, 0x00);
    vdp_command(0x0000, kVramDma);
    EXPECT_EQ(vdp_vram[0], 0xAB00);
    memory_clear();
}

TEST_F(DataPortTest, CartridgeMapMirrorsAndHoles) {
    std::vector<u8> rom(0x400000, 0), ram(0x10000, 0);
    rom[0x080000] = 0x11;  // 0x880000 mirrors the first 512 KB; 0x900000 the first MB
    rom[0x000000] = 0x22;
    ram[0x0000]   = 0x33;
    vdp_dma_map_cartridge(rom, ram);
    EXPECT_NE(vdp_dma_source_map[0x3F].image, nullptr);
    EXPECT_EQ(vdp_dma_source_map[0x40].image, nullptr);
    EXPECT_EQ(vdp_dma_source_map[0x87].image, nullptr);
    EXPECT_EQ(vdp_dma_source_map[0x88].mask, 0x7FFFFu);
    EXPECT_EQ(vdp_dma_source_map[0x9F].mask, 0xFFFFFu);
    EXPECT_EQ(vdp_dma_source_map[0xDF].image, nullptr);
    EXPECT_EQ(vdp_dma_source_map[0xE0].image, ram.data());
    dma_setup(1, 0x880000, 0x00);
    vdp_command(0x0000, kVramDma);
    EXPECT_EQ(vdp_vram[0], 0x2200);
    dma_setup(1, 0xFF0000, 0x00);
    vdp_command(0x0002, kVramDma);
    EXPECT_EQ(vdp_vram[1], 0x3300);
}

}  // namespace
}  // namespace varn::test
