// The earlier machine's VDP register layer: power-on values, the window rectangle, the
// registers without side effects and the DMA registers a transfer leaves alone.

#include <span>
#include <vector>

#include "legacy/vdp_v024.h"
#include "legacy_machine_support.h"

namespace varn::test {
namespace {

using LegacyVdpTest = LegacyMachineFixture;

TEST_F(LegacyVdpTest, WindowRectangle) {
    struct Case {
        const char* name;
        u8 h, v;
        u32 width, height;
        VdpWindowRect expect;
    };
    // clang-format off
    const Case cases[] = {
        {"none: both 0",            0x00, 0x00, 320, 224, {0, 0, 0, 0}},
        {"register 17 alone",       0x84, 0x00, 320, 224, {0, 0, 0, 0}},
        {"right of column 8",       0x84, 0x9C, 320, 224, {8, 32, 0, 224}},
        {"full right and bottom",   0x94, 0x9C, 320, 224, {0, 0, 0, 0}},
        {"top 40 lines",            0x00, 0x05, 320, 224, {0, 40, 0, 40}},
        {"below line 40",           0x00, 0x85, 320, 224, {0, 40, 40, 184}},
        {"left 10 cells",           0x05, 0x9C, 320, 224, {0, 10, 0, 224}},
        {"left at the width: all",  0x14, 0x9C, 320, 224, {0, 40, 0, 224}},
        {"V above full bottom",     0x00, 0x9E, 320, 224, {0, 0, 0, 0}},
        {"240 lines, 32 cells",     0x88, 0x9E, 256, 240, {16, 16, 0, 240}},
        {"256: full right, bottom", 0x90, 0x9C, 256, 224, {0, 0, 0, 0}},
        {"448-line mode",           0x00, 0x9E, 320, 448, {0, 40, 0, 240}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const VdpWindowRect r = vdp_window_rect_for_v024(c.h, c.v, c.width, c.height);
        EXPECT_EQ(r.first_col, c.expect.first_col);
        EXPECT_EQ(r.col_count, c.expect.col_count);
        EXPECT_EQ(r.first_line, c.expect.first_line);
        EXPECT_EQ(r.line_count, c.expect.line_count);
    }
}

TEST_F(LegacyVdpTest, RegisterLayer) {
    vdp_clear_state_v024();
    EXPECT_EQ(vdp_registers[0], 0x14);
    EXPECT_EQ(vdp_registers[1], 0x02);
    EXPECT_EQ(vdp_registers[12], 0x01);
    EXPECT_EQ(vdp_window_rect, &vdp_window_rect_v024);
    // Registers 17 and 18 through the control port recompute the rectangle.
    vdp_write_control_v024(0x8C81);  // 320 wide
    vdp_write_control_v024(0x9184);
    EXPECT_EQ(vdp_window_rect_v024.col_count, 0u);
    vdp_write_control_v024(0x929C);
    EXPECT_EQ(vdp_window_rect_v024.first_col, 8u);
    EXPECT_EQ(vdp_window_rect_v024.line_count, 224u);
    // Register 1 changes no interrupt state: a pending V-interrupt is not raised by
    // enabling it, only the display follows bit 6.
    vdp_control_state.vint_pending = true;
    m68k_context_v024.irq_pending  = 0;
    vdp_write_control_v024(0x8164);
    EXPECT_EQ(m68k_context_v024.irq_pending, 0);
    EXPECT_TRUE(vdp_control_state.display_enabled);
    EXPECT_EQ(vdp_registers[1], 0x64);
    // A register write drops a pending second command word; through the port, a word
    // after the first command word is its second, whatever its bits.
    vdp_write_control_v024(0x4000);
    vdp_write_register_v024(0x0F02);
    EXPECT_FALSE(vdp_control_state.second_word_pending);
    EXPECT_EQ(vdp_registers[15], 0x02);
    vdp_write_control_v024(0x4000);
    vdp_write_control_v024(0x8F04);
    EXPECT_EQ(vdp_registers[15], 0x02);
}

TEST_F(LegacyVdpTest, DmaLeavesSourceAndLengthRegisters) {
    vdp_clear_state_v024();
    vdp_dma_map_cartridge();
    for (u32 i = 0; i < 8; ++i) m68k_ram[0x100 + i] = static_cast<u8>(0xA0 + i);
    const u16 setup[] = {0x8154, 0x8F02, 0x9304, 0x9400, 0x9580, 0x9680, 0x977F};
    for (const u16 w : setup) vdp_write_control_v024(w);  // 4 words from 0xFF0100
    vdp_write_control_v024(0x4000);                       // VRAM 0x0000, DMA
    vdp_write_control_v024(0x0080);
    EXPECT_EQ(vdp_vram[0], 0xA0A1);
    EXPECT_EQ(vdp_vram[3], 0xA6A7);
    EXPECT_EQ(vdp_registers[19], 0x04);
    EXPECT_EQ(vdp_registers[21], 0x80);
    EXPECT_EQ(vdp_registers[22], 0x80);
    // A second DMA without reprogramming starts again at the first source address.
    vdp_write_control_v024(0x4100);  // VRAM 0x0100
    vdp_write_control_v024(0x0080);
    EXPECT_EQ(vdp_vram[0x80], 0xA0A1);
    EXPECT_EQ(vdp_vram[0x83], 0xA6A7);
}

TEST_F(LegacyVdpTest, FillKeepsNoStatusFlag) {
    vdp_clear_state_v024();
    const u16 setup[] = {0x8154, 0x8F01, 0x9310, 0x9400, 0x9780};  // fill of 16 bytes
    for (const u16 w : setup) vdp_write_control_v024(w);
    vdp_write_control_v024(0x4000);  // VRAM 0x0000, DMA
    vdp_write_control_v024(0x0080);
    (void)vdp_read_status();
    vdp_write_data_v024(0x5A00);
    EXPECT_EQ(vdp_vram[4], 0x5A5A);  // the fill ran
    EXPECT_EQ(vdp_read_status() & 0x02, 0);
    // The main VDP reports the fill as DMA busy on the next read.
    vdp_write_control_v024(0x4000);
    vdp_write_control_v024(0x0080);
    vdp_write_data(0x5A00);
    EXPECT_EQ(vdp_read_status() & 0x02, 0x02);
}

// Enhance Visibility: the fixed palette goes unchanged into all four blocks, whatever the
// shadow/highlight mode and register 7 say.
TEST_F(LegacyVdpTest, VisibilityPaletteIsFlat) {
    struct ConfigRestore {
        ~ConfigRestore() { cfg_enhance_visibility.store(0); }
    } restore;
    vdp_clear_state_v024();
    vdp_write_control_v024(0x8C89);  // 320 wide, shadow/highlight
    cfg_enhance_visibility.store(1);
    vdp_write_control_v024(0x8705);  // background colour 5: no effect
    vdp_rebuild_palette();
    EXPECT_NE(colour_lut[0 + 0x3E], 0u);
    for (u32 i = 0; i < 64; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(colour_lut[i], colour_lut[64 + i]);
        EXPECT_EQ(colour_lut[i], colour_lut[128 + i]);
        EXPECT_EQ(colour_lut[i], colour_lut[192 + i]);
    }
    EXPECT_EQ(colour_lut[0], 0u);  // colour 0 of the fixed palette, not colour 5
    // The main VDP keeps the shadow and highlight forms and the background colour.
    vdp_visibility_palette_flat = false;
    vdp_rebuild_palette();
    EXPECT_NE(colour_lut[0x3E], colour_lut[192 + 0x3E]);
    EXPECT_EQ(colour_lut[64], colour_lut[64 + 5]);
}

// Interlace mode: every frame draws the even field's tile rows into line n, whatever the
// odd-field flag says; the window rectangle still shows.
TEST_F(LegacyVdpTest, InterlaceDrawsOneField) {
    vdp_clear_state_v024();
    const u16 setup[] = {0x8144, 0x8C83, 0x8230, 0x8407, 0x8F02, 0x9000};
    for (const u16 w : setup) vdp_write_control_v024(w);
    ASSERT_TRUE(vdp_control_state.interlace);
    for (u32 i = 0; i < 64; ++i) vdp_vram[(0xE000 >> 1) + i] = 0x0001;  // plane B: tile 1
    for (u32 r = 0; r < 16; ++r) {                                      // 64-byte tiles
        const u16 c                       = static_cast<u16>((r + 1) * 0x1111);
        vdp_vram[(0x40 + 4 * r) >> 1]     = c;
        vdp_vram[(0x40 + 4 * r + 2) >> 1] = c;
    }
    auto pixel = [](u32 row, u32 x) { return vdp_line_buffer[row * kLineBufferPitch + x] & 0x3F; };
    auto draw  = [](u32 line, bool odd) {
        vdp_line_buffer.fill(0);
        vdp_control_state.odd_field = odd;
        vdp_render_line_number      = line;
        vdp_render_genesis_line_interlace();
    };
    struct Case {
        u32 line;
        bool odd;
    };
    for (const Case c : {Case{3, false}, Case{3, true}}) {
        SCOPED_TRACE(c.odd);
        draw(c.line, c.odd);
        EXPECT_EQ(pixel(3, 0), 7);  // tile row 6 (colour 7) of the even field
        EXPECT_EQ(pixel(6, 0), 0);
        EXPECT_EQ(pixel(7, 0), 0);
    }
    // A window from column 8 on every line, its name table shared with plane A: plane A
    // shows tile 2 in double resolution, the window tile 2 in single-resolution rows.
    for (u32 i = 0; i < 64 * 32; ++i) vdp_vram[(0xC000 >> 1) + i] = 0x0002;
    vdp_write_control_v024(0x8330);  // window at 0xC000 too
    vdp_write_control_v024(0x9184);
    vdp_write_control_v024(0x929C);
    draw(3, true);
    EXPECT_EQ(pixel(3, 100), 4);  // window tile 2's 8-row tile row 3 (colour 4), column 12
    // The main VDP's interlace keeps its field: the odd field draws tile row 2y + 1.
    vdp_interlace_one_field = false;
    vdp_window_rect         = nullptr;
    draw(3, true);
    EXPECT_EQ(pixel(3, 0), 8);
}

TEST_F(LegacyVdpTest, GenecystRegistersThroughTheLayer) {
    std::vector<u8> image(0x112, 0);
    image[0xFA + 1]  = 0x44;  // display on
    image[0xFA + 12] = 0x81;  // 320 wide
    image[0xFA + 17] = 0x84;
    image[0xFA + 18] = 0x9C;
    vdp_clear_state_v024();
    vdp_write_control_v024(0x4000);  // a pending second command word is cleared
    EXPECT_FALSE(vdp_load_context_from_image_v024(std::span<const u8>(image).first(0x111)));
    EXPECT_TRUE(vdp_control_state.second_word_pending);
    ASSERT_TRUE(vdp_load_context_from_image_v024(image));
    EXPECT_FALSE(vdp_control_state.second_word_pending);
    EXPECT_TRUE(vdp_control_state.display_enabled);
    EXPECT_EQ(screen_width, 320u);
    EXPECT_EQ(vdp_window_rect_v024.first_col, 8u);
    EXPECT_EQ(vdp_window_rect_v024.line_count, 224u);
}

}  // namespace
}  // namespace varn::test
