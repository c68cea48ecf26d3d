// The Master System VDP: its ports, registers and colours, the line renderers' edge cases,
// and the picture of an assembled scene (its CRC recorded after looking at the picture).

#include <cstdio>
#include <cstdlib>

#include "base/crc32.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"
#include "genesis/vdp/vdp_render.h"
#include "sms/sms_vdp.h"
#include "sms_fixture.h"
#include "support/test_files.h"

namespace varn::test {
namespace {

class SmsVdpTest : public SmsTest {
  protected:
    void SetUp() override {
        SmsTest::SetUp();
        sms_vdp_reset();
    }
    static void control(u16 command) {
        sms_vdp_control_write(static_cast<u8>(command));
        sms_vdp_control_write(static_cast<u8>(command >> 8));
    }
    static const u8* row(u32 y) { return vdp_line_buffer.data() + y * kLineBufferPitch; }
    // Pattern `n` as one colour throughout.
    static void solid_pattern(u32 n, u8 colour) {
        for (u32 r = 0; r < 8; ++r) {
            for (u32 k = 0; k < 4; ++k) sms_vram[n * 32 + r * 4 + k] = (colour >> k) & 1 ? 0xFF : 0;
        }
    }
};

TEST_F(SmsVdpTest, ControlPortCommands) {
    control(0x8A05);  // register 10 := 5
    EXPECT_EQ(sms_vdp.regs[10], 5);
    control(0xC003);  // CRAM 3
    sms_vdp_data_write(0x3F);
    EXPECT_EQ(sms_cram[3], 0x3F);
    control(0xC020);  // CRAM 0x20 does not exist: the CRAM target stays, at address 4
    sms_vdp_data_write(0x15);
    EXPECT_EQ(sms_cram[4], 0x15);
    control(0xC01F);  // the CRAM address wraps at 32
    sms_vdp_data_write(1);
    sms_vdp_data_write(2);
    EXPECT_EQ(sms_cram[31], 1);
    EXPECT_EQ(sms_cram[0], 2);
    control(0x7FFF);  // VRAM 0x3FFF: wraps to 0
    sms_vdp_data_write(0xAA);
    sms_vdp_data_write(0xBB);
    EXPECT_EQ(sms_vram[0x3FFF], 0xAA);
    EXPECT_EQ(sms_vram[0], 0xBB);
    // A data access between the two control bytes resets the latch: the second byte is
    // taken as a first one.
    sms_vdp_control_write(0x07);
    (void)sms_vdp_data_read();
    control(0x8803);
    EXPECT_EQ(sms_vdp.regs[8], 3);
    EXPECT_EQ(sms_vdp.regs[7], 0);
    // A status read does not reset it.
    sms_vdp_control_write(0x09);
    (void)sms_vdp_status_read();
    sms_vdp_control_write(0x89);
    EXPECT_EQ(sms_vdp.regs[9], 9);
}

TEST_F(SmsVdpTest, RegistersDeriveTheirSettings) {
    control(0x82FF);
    control(0x85FF);
    control(0x86FF);
    EXPECT_EQ(sms_vdp.name_base, 0x3800u);
    EXPECT_EQ(sms_vdp.sprite_base, 0x3F00u);
    EXPECT_EQ(sms_vdp.sprite_pattern_base, 0x100u);
    control(0x8102);
    EXPECT_EQ(sms_vdp.sprite_height, 16u);
    EXPECT_EQ(sms_vdp.sprite_pattern_mask, 0xFEu);
    EXPECT_FALSE(sms_vdp.display_enabled);
    control(0x8140);
    EXPECT_TRUE(sms_vdp.display_enabled);
    control(0x8001);  // register 0 bit 0 turns it off
    EXPECT_FALSE(sms_vdp.display_enabled);
    control(0x80A8);
    EXPECT_EQ(sms_vdp.first_fixed_column, 24u);
    EXPECT_EQ(sms_vdp.sprite_x_shift, -8);
    EXPECT_TRUE(sms_vdp.blank_left_column);
    EXPECT_TRUE(sms_vdp.display_enabled);
    // A reset brings them back to those of registers at 0.
    sms_vdp_reset();
    EXPECT_EQ(sms_vdp.first_fixed_column, 35u);
    EXPECT_EQ(sms_vdp.sprite_pattern_mask, 0xFFu);
    EXPECT_EQ(sms_vdp.sprite_x_shift, 0);
}

TEST_F(SmsVdpTest, CramColoursFillBothLutHalves) {
    control(0xC005);
    sms_vdp_data_write(0x39);  // blue 3, green 2, red 1
    const u16 expected = host_colour_table[2 * 64 + 4 * 8 + 6];
    EXPECT_EQ(colour_lut[5], expected);
    EXPECT_EQ(colour_lut[37], expected);
    cfg_set(cfg_enhance_visibility, 1);
    control(0xC005);
    sms_vdp_data_write(0x00);
    cfg_set(cfg_enhance_visibility, 0);
    EXPECT_EQ(colour_lut[5], expected);
}

TEST_F(SmsVdpTest, VerticalScrollWrapsAt224Lines) {
    control(0x82FF);
    solid_pattern(1, 7);
    sms_vram[0x3800] = 1;  // row 0, column 0: pattern 1
    for (u32 y : {0u, 10u, 100u, 191u}) {
        control(static_cast<u16>(0x8900 | ((224 + 224 - y) % 224)));  // row 0 on line y
        sms_vdp_render_bg_line(y);
        EXPECT_EQ(row(y)[0], 7) << y;
        EXPECT_EQ(row(y)[8], 0) << y;
    }
}

TEST_F(SmsVdpTest, SpritesEdgesAndLimit) {
    control(0x85FF);
    solid_pattern(1, 9);
    u8* y_table  = &sms_vram[0x3F00];
    u8* xn_table = &sms_vram[0x3F80];
    // Nine sprites on line 20, a tenth at Y 0xF8 (lines -7 to 0), one past the right edge.
    for (u32 i = 0; i < 9; ++i) {
        y_table[i]          = 19;
        xn_table[2 * i]     = static_cast<u8>(i * 16);
        xn_table[2 * i + 1] = 1;
    }
    y_table[9]   = 0xF8;
    xn_table[18] = 40;
    xn_table[19] = 1;
    y_table[10]  = 100;
    xn_table[20] = 252;
    xn_table[21] = 1;
    y_table[11]  = 0xD0;  // the list ends
    y_table[12]  = 100;
    xn_table[24] = 0;
    xn_table[25] = 1;

    sms_vdp_render_sprite_line(20);
    const u8* line = sms_sprite_line.data() + kSmsSpriteMargin;
    EXPECT_EQ(line[7 * 16], 9);
    EXPECT_EQ(line[8 * 16], 0);  // the ninth is over the limit
    cfg_set(cfg_sms_sprite_limit, 0);
    sms_vdp_render_sprite_line(20);
    EXPECT_EQ(line[8 * 16], 9);

    sms_vdp_render_sprite_line(0);
    EXPECT_EQ(line[40], 9);
    sms_vdp_render_sprite_line(1);
    EXPECT_EQ(line[40], 0);

    sms_vdp_render_sprite_line(101);
    EXPECT_EQ(line[255], 9);
    EXPECT_EQ(line[0], 0);  // the sprite after the end marker is not drawn

    // Shifted left by 8: a sprite at X 0 lies in the left margin.
    control(0x8008);
    xn_table[20] = 0;
    sms_vdp_render_sprite_line(101);
    EXPECT_EQ(line[0], 0);
    xn_table[20] = 4;
    sms_vdp_render_sprite_line(101);
    EXPECT_EQ(line[0], 9);
    EXPECT_EQ(line[3], 9);
    EXPECT_EQ(line[4], 0);
}

TEST_F(SmsVdpTest, MergeKeepsPriorityAndBlanksTheLeftColumn) {
    u8* r = vdp_line_buffer.data() + 5 * kLineBufferPitch;
    r[10] = 0x23;  // priority background pixel
    r[11] = 0x03;  // plain background pixel
    r[12] = 0x10;  // transparent (priority dropped)
    r[3]  = 0x05;
    sms_sprite_line.fill(0);
    u8* s = sms_sprite_line.data() + kSmsSpriteMargin;
    s[10] = s[11] = s[12] = 6;
    s[3]                  = 6;
    sms_vdp_merge_sprites(5);
    EXPECT_EQ(r[10], 0x23);
    EXPECT_EQ(r[11], 0x16);
    EXPECT_EQ(r[12], 0x16);
    EXPECT_EQ(r[3], 0x16);
    control(0x8020);
    sms_vdp_merge_sprites(5);
    EXPECT_EQ(r[3], 0);
    EXPECT_EQ(r[8], 0);
    EXPECT_EQ(r[10], 0x23);
}

// The scene program's picture. Set VARN_SMS_DUMP to a folder to write it as a PPM. As
// recorded: twelve rows of tiles (gradients, diagonals, boxes; flipped, some in the sprite
// palette) scrolled 5 right and 16 up with the right eight columns not scrolled vertically
// and the left column blank; below, eight of ten 16-line sprites on one line, a box sprite
// cut by the top edge, one cut by the right edge, one cut by the blank left column, and one
// box whose top half loses to the sprite limit.
TEST_F(SmsVdpTest, ScenePicture) {
    FrameImage frame;
    frame.attach(320, 240);
    surface_set_origin(render_surface.pixels, render_surface.pitch, render_surface.width,
                       render_surface.height, 0, 0);
    boot_program(read_program("sms_scene"));
    run_frames(10);  // the set-up takes three frames
    EXPECT_EQ(screen_width, 256u);
    EXPECT_EQ(screen_height, 192u);
    if (const char* dir = std::getenv("VARN_SMS_DUMP")) {
        EXPECT_EQ(frame.write_ppm(std::string(dir) + "/sms_scene.ppm", 256, 192), "");
    }
    EXPECT_EQ(frame.crc32(256, 192), 0x61d449ebu);
}

}  // namespace
}  // namespace varn::test
