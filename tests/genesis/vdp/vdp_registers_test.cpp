// Control port protocol, register decoding, window bands, status word and colours.

#include <functional>

#include "base/config.h"
#include "genesis/vdp/vdp.h"
#include "vdp_test_support.h"

namespace varn::test {
namespace {

using RegistersTest = VdpTest;

TEST_F(RegistersTest, CommandWordsBuildAddressAndCode) {
    vdp_command(0xC0FE, kVramWrite);
    EXPECT_EQ(vdp_control_state.address, 0xC0FE);
    EXPECT_EQ(vdp_control_state.code, kVramWrite);
    EXPECT_TRUE(vdp_control_state.write_enabled);
    EXPECT_FALSE(vdp_control_state.second_word_pending);

    // A first word alone replaces the low address bits and the low code bits only.
    vdp_write_control(command_first(0x0010, kVramRead));
    EXPECT_TRUE(vdp_control_state.second_word_pending);
    EXPECT_EQ(vdp_control_state.address, 0xC010);
    EXPECT_EQ(vdp_control_state.code, kVramRead);
    EXPECT_TRUE(vdp_control_state.read_enabled);
}

TEST_F(RegistersTest, RegisterPatternAsSecondWordIsASecondWord) {
    vdp_write_control(command_first(0x0000, kVramWrite));
    vdp_write_control(0x8F02);  // would set register 15 as a first word
    EXPECT_EQ(vdp_registers[15], 0);
    EXPECT_FALSE(vdp_control_state.second_word_pending);
    EXPECT_EQ(vdp_control_state.address, 0x8000);  // 0x8F02 & 3 = 2 -> A15-A14 = 2
}

TEST_F(RegistersTest, RegisterWriteAndStatusReadEndAHalfCommand) {
    vdp_write_control(command_first(0x0000, kVramWrite));
    vdp_reg(15, 2);
    EXPECT_FALSE(vdp_control_state.second_word_pending);
    vdp_write_control(command_first(0x0000, kVramWrite));
    vdp_read_status();
    EXPECT_FALSE(vdp_control_state.second_word_pending);
    // The address and code stay as the first word left them.
    EXPECT_EQ(vdp_control_state.code, kVramWrite);
}

TEST_F(RegistersTest, InvalidCodeKeepsTheAccessAndBlocksDma) {
    vdp_command(0, kCramWrite);
    vdp_command(0, 0x0F);  // no such access
    EXPECT_EQ(vdp_control_state.target, kVdpCram);
    EXPECT_TRUE(vdp_control_state.write_enabled);
    EXPECT_TRUE(vdp_control_state.dma_start_blocked);
}

TEST_F(RegistersTest, RegisterDecoding) {
    struct Case {
        u32 reg, value;
        std::function<u32()> field;
        u32 expected;
    };
    const auto& s      = vdp_control_state;
    const Case cases[] = {
        {2, 0x38, [&] { return u32{s.plane_a_base}; }, 0xE000},
        {2, 0x3F, [&] { return u32{s.plane_a_base}; }, 0xE000},
        {4, 0x07, [&] { return u32{s.plane_b_base}; }, 0xE000},
        {4, 0x05, [&] { return u32{s.plane_b_base}; }, 0xA000},
        {5, 0x7F, [&] { return u32{s.sprite_base}; }, 0xFE00},
        {13, 0xFF, [&] { return u32{s.hscroll_base}; }, 0xFC00},
        {11, 0x00, [&] { return u32{s.hscroll_line_mask}; }, 0},
        {11, 0x01, [&] { return u32{s.hscroll_line_mask}; }, 0},  // acts as whole screen
        {11, 0x02, [&] { return u32{s.hscroll_line_mask}; }, 0x3F8},
        {11, 0x03, [&] { return u32{s.hscroll_line_mask}; }, 0x3FF},
        {11, 0x04, [&] { return u32{s.vscroll_column_mask}; }, 0x7C},
        {16, 0x01, [&] { return u32{s.plane_width}; }, 64},
        {16, 0x01, [&] { return u32{s.plane_hwrap_mask}; }, 0x1F8},
        {16, 0x01, [&] { return u32{s.plane_row_shift}; }, 4},
        {16, 0x03, [&] { return u32{s.plane_row_shift}; }, 5},
        {16, 0x30, [&] { return u32{s.plane_height}; }, 128},
        {16, 0x30, [&] { return u32{s.plane_vwrap_mask}; }, 0x3FF},
        {12, 0x81, [&] { return u32{s.sprite_table_size}; }, 80},
        {12, 0x00, [&] { return u32{s.sprite_table_size}; }, 64},
        {12, 0x00, [&] { return u32{s.window_row_shift}; }, 3},
        {12, 0x08, [&] { return u32{s.shadow_highlight}; }, 1},
        {12, 0x00, [&] { return screen_width; }, 256},
    };
    for (const auto& c : cases) {
        vdp_reset_all();
        vdp_reg(c.reg, c.value);
        EXPECT_EQ(c.field(), c.expected) << "register " << c.reg << " = " << c.value;
    }
}

TEST_F(RegistersTest, WindowBaseMaskFollowsTheWidthAtTheWrite) {
    vdp_reg(3, 0x3E);  // 320 wide at power-on
    EXPECT_EQ(vdp_control_state.window_base, 0xF000);
    vdp_reg(12, 0x00);
    EXPECT_EQ(vdp_control_state.window_base, 0xF000);  // not recomputed by the mode change
    vdp_reg(3, 0x3E);
    EXPECT_EQ(vdp_control_state.window_base, 0xF800);
}

TEST_F(RegistersTest, DisplayEnable) {
    EXPECT_FALSE(vdp_control_state.display_enabled);
    vdp_reg(1, 0x40);
    EXPECT_TRUE(vdp_control_state.display_enabled);
    vdp_reg(0, 0x01);  // bit 0 turns it off
    EXPECT_FALSE(vdp_control_state.display_enabled);
    cfg_set(cfg_force_display, 1);
    vdp_reg(0, 0x01);
    EXPECT_TRUE(vdp_control_state.display_enabled);
    cfg_set(cfg_force_display, 0);
}

TEST_F(RegistersTest, WindowBands) {
    struct Case {
        u32 reg12, reg17, reg18;
        u32 line_start, line_count, col_start, col_count;
    };
    const Case cases[] = {
        // 40 columns, 224 lines.
        {0x81, 0x00, 0x00, 0, 224, 0, 40},   // no window
        {0x81, 0x00, 0x04, 32, 192, 0, 40},  // top 4 cells
        {0x81, 0x00, 0x1F, 248, 0, 0, 40},   // top beyond the screen
        {0x81, 0x00, 0x85, 0, 40, 0, 40},    // bottom: non-window lines 0-39
        {0x81, 0x01, 0x00, 0, 224, 1, 39},   // left H=1 covers 2H-1 = 1 column
        {0x81, 0x05, 0x00, 0, 224, 9, 31},   // left H=5 covers 9 columns
        {0x81, 0x1F, 0x00, 0, 224, 61, 0},   // left beyond the screen
        {0x81, 0x85, 0x00, 0, 224, 0, 10},   // right H=5: non-window columns 0-9
        {0x81, 0x9F, 0x00, 0, 224, 0, 40},   // right beyond the screen: no window
        // 32 columns.
        {0x00, 0x81, 0x00, 0, 224, 0, 2},
        {0x00, 0x10, 0x00, 0, 224, 31, 1},
    };
    for (const auto& c : cases) {
        vdp_reset_all();
        vdp_reg(12, c.reg12);
        vdp_reg(17, c.reg17);
        vdp_reg(18, c.reg18);
        const auto& s = vdp_control_state;
        SCOPED_TRACE(::testing::Message()
                     << "r12 " << c.reg12 << " r17 " << c.reg17 << " r18 " << c.reg18);
        EXPECT_EQ(s.window_line_start, c.line_start);
        EXPECT_EQ(s.window_line_count, c.line_count);
        EXPECT_EQ(s.window_col_start, c.col_start);
        EXPECT_EQ(s.window_col_count, c.col_count);
    }
}

TEST_F(RegistersTest, InterlaceDoublesTheHeightUnlessSquashed) {
    cfg_set(cfg_squash_interlace, 0);
    vdp_reg(12, 0x83);
    EXPECT_EQ(screen_width, 320u);
    EXPECT_EQ(screen_height, 448u);
    EXPECT_EQ(render_mode & 0x0F, 0x08u);
    cfg_set(cfg_squash_interlace, 1);
    vdp_reg(12, 0x83);
    EXPECT_EQ(screen_height, 224u);
    vdp_reg(12, 0x81);
    EXPECT_EQ(render_mode & 0x0F, 0u);
}

TEST_F(RegistersTest, SpareRegisterChangesNothingVisible) {
    vdp_reg(1, 0x44);
    const VdpControlState before = vdp_control_state;
    const auto lut               = colour_lut;
    vdp_write_register(31, 0xFF);
    vdp_write_register(63, 0xFF);  // number taken modulo 32
    EXPECT_EQ(vdp_registers[31], 0xFF);
    EXPECT_TRUE(before == vdp_control_state);
    EXPECT_EQ(lut, colour_lut);
    EXPECT_EQ(screen_width, 320u);
}

TEST_F(RegistersTest, StatusWordFixedBitsAndBusyOnce) {
    EXPECT_EQ(vdp_read_status() & 0xFF00, 0x3600);
    vdp_control_state.status = 0x62;  // busy and the two stored flags
    EXPECT_EQ(vdp_read_status() & 0x62, 0x62);
    EXPECT_EQ(vdp_read_status() & 0x62, 0x60);
    vdp_set_status_flags(0x90);
    EXPECT_EQ(vdp_read_status() & 0x90, 0x80);  // odd field only while interlaced
    vdp_reg(12, 0x83);
    EXPECT_EQ(vdp_read_status() & 0x90, 0x90);
}

TEST_F(RegistersTest, HintCounterExpiresEveryRegister10PlusOneLines) {
    vdp_reg(10, 2);
    vdp_hint_counter_reload();
    std::vector<bool> pending;
    for (int line = 0; line < 7; ++line) {
        vdp_hint_counter_step();
        pending.push_back(vdp_control_state.hint_pending);
    }
    EXPECT_EQ(pending, (std::vector<bool>{false, false, true, false, false, true, false}));
}

TEST_F(RegistersTest, VintRaiseSetsPendingAndTogglesTheField) {
    vdp_vint_raise();
    EXPECT_TRUE(vdp_control_state.vint_pending);
    EXPECT_TRUE(vdp_control_state.odd_field);
    vdp_vint_acknowledge();
    vdp_vint_raise();
    EXPECT_FALSE(vdp_control_state.odd_field);
}

TEST_F(RegistersTest, PowerOnClearKeepsTheAccessAndRederives) {
    vdp_command(0x1234, kCramWrite);
    vdp_reg(1, 0x64);
    vdp_reg(2, 0x38);
    vdp_reg(12, 0x00);
    vdp_clear_state();
    EXPECT_EQ(vdp_registers[12], 1);
    EXPECT_EQ(vdp_registers[1], 0);
    EXPECT_EQ(vdp_control_state.address, 0);
    EXPECT_EQ(vdp_control_state.target, kVdpCram);  // kept
    EXPECT_TRUE(vdp_control_state.write_enabled);   // kept
    EXPECT_FALSE(vdp_control_state.display_enabled);
    EXPECT_EQ(vdp_control_state.plane_a_base, 0);
    EXPECT_EQ(screen_width, 320u);
}

// --- Colours ---------------------------------------------------------------------------------

u16 rgb565(u32 r, u32 g, u32 b) { return static_cast<u16>(r << 13 | g << 8 | b << 2); }

TEST_F(RegistersTest, ColourTableFormats) {
    EXPECT_EQ(host_colour_table[0], 0);
    EXPECT_EQ(host_colour_table[7 << 6 | 7 << 3 | 7], 0xE71C);
    ASSERT_EQ(host_colour_table_build(14, 9, 4), nullptr);  // 5-5-5
    EXPECT_EQ(host_colour_table[7 << 6], 0x7000);
    ASSERT_EQ(host_colour_table_build(4, 10, 15), nullptr);  // blue in the top field
    EXPECT_EQ(host_colour_table[7], 0xE000);
    const auto kept = host_colour_table;
    EXPECT_NE(host_colour_table_build(15, 13, 4), nullptr);  // overlapping fields
    EXPECT_NE(host_colour_table_build(15, 10, 2), nullptr);  // would shift by a negative count
    EXPECT_NE(host_colour_table_build(20, 10, 4), nullptr);  // beyond 16 bits
    EXPECT_EQ(kept, host_colour_table);
}

TEST_F(RegistersTest, PaletteFormsShadowNormalHighlight) {
    vdp_reg(12, 0x89);  // shadow/highlight on
    vdp_command(2, kCramWrite);
    vdp_write_data(0x0E42);                          // B=7 G=2 R=1 into entry 1
    EXPECT_EQ(colour_lut[1], rgb565(0, 1, 3));       // shadow: v >> 1
    EXPECT_EQ(colour_lut[64 + 1], rgb565(1, 2, 7));  // normal
    EXPECT_EQ(colour_lut[128 + 1], rgb565(1, 2, 7));
    EXPECT_EQ(colour_lut[192 + 1], rgb565(4, 4, 7));  // highlight: v - v/2 + 3
    vdp_reg(12, 0x81);                                // off: every block normal
    EXPECT_EQ(colour_lut[1], rgb565(1, 2, 7));
    EXPECT_EQ(colour_lut[192 + 1], rgb565(1, 2, 7));
}

TEST_F(RegistersTest, BackgroundColourFollowsRegister7AndItsEntry) {
    vdp_command(0x22, kCramWrite);  // entry 17
    vdp_write_data(0x000E);
    vdp_reg(7, 0x11);
    EXPECT_EQ(colour_lut[64], rgb565(7, 0, 0));
    vdp_command(0x22, kCramWrite);
    vdp_write_data(0x00E0);  // rewriting the background entry moves entry 0 too
    EXPECT_EQ(colour_lut[64], rgb565(0, 7, 0));
    vdp_command(0x00, kCramWrite);
    vdp_write_data(0x0E00);  // colour 0 is not the background now
    EXPECT_EQ(colour_lut[64], rgb565(0, 7, 0));
    // Register 7's unused top bits do not stop colour 0 from being the background.
    vdp_reg(7, 0x40);
    vdp_command(0x00, kCramWrite);
    vdp_write_data(0x000E);
    EXPECT_EQ(colour_lut[64], rgb565(7, 0, 0));
}

TEST_F(RegistersTest, EnhancedVisibilityUsesTheBuiltInPalette) {
    cfg_set(cfg_enhance_visibility, 1);
    vdp_rebuild_palette();
    EXPECT_EQ(colour_lut[64 + 1], rgb565(0, 0, 1));   // built-in entry 1 is 0x200
    EXPECT_EQ(colour_lut[64 + 63], rgb565(2, 7, 7));  // and entry 63 0xEE4
    cfg_set(cfg_enhance_visibility, 0);
}

}  // namespace
}  // namespace varn::test
