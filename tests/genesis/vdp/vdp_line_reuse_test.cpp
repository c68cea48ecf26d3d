// Lines kept from the frame before: a line whose inputs did not change is not drawn again,
// so every way an input can change between two frames (or between two lines of a frame)
// must show in the next picture exactly as a full render draws it.

#include <functional>
#include <vector>

#include "base/byte_io.h"
#include "base/config.h"
#include "vdp_scene.h"

namespace varn::test {
namespace {

class LineReuseTest : public VdpTest {
  protected:
    void SetUp() override {
        VdpTest::SetUp();
        cfg_set(cfg_gen_sprite_limit, 1);
        cfg_set(cfg_force_display, 0);
        standard_registers();
        standard_palette();
        standard_tiles();
        vdp_rebuild_palette();
        for (u32 row = 0; row < 32; ++row) {
            for (u32 col = 0; col < 64; ++col) {
                put_name(kPlaneB, 64, col, row, name(1 + (col + row) % 3, 0));
                if ((col + 2 * row) % 5 == 0) put_name(kPlaneA, 64, col, row, name(1, 1));
                put_name(kWindow, 64, col, row, name(5, 2));
            }
        }
        // Sprite 0 shows tiles 0x200-0x203, in a VRAM block no plane reads.
        for (u32 a = 0x4000; a < 0x4080; a += 2) vram_put(a, 0x9ABC);
        put_sprite(0, 30, 20, 2, 2, name(0x200, 3), 1);
        put_sprite(1, 100, 120, 1, 1, name(5, 1, true), 0);
        dma_image_.assign(0x20000, 0);
        for (u32 i = 0; i < dma_image_.size(); ++i) dma_image_[i] = static_cast<u8>(i * 7);
        vdp_dma_map_set(0xE0, 0x20, {dma_image_.data(), 0x20000, 0, 0xFFFF});
    }
    void TearDown() override {
        cfg_set(cfg_gen_sprite_limit, 1);
        cfg_set(cfg_force_display, 0);
        vdp_dma_map_clear(0, kVdpDmaPages);
        VdpTest::TearDown();
    }

    // Lines `first` up to `end` through the render mode, as the scheduler draws them.
    static void draw_lines(u32 first, u32 end) {
        for (u32 line = first; line < end; ++line) render_line_at(line);
    }

    // The picture and the line buffer of the frame drawn last.
    struct Frame {
        u32 surface = 0, lines = 0;
        bool operator==(const Frame&) const = default;
    };
    Frame shown() const { return {image_.crc32(320, 224), line_buffer_crc(224)}; }

    // The same frame drawn whole, layer by layer, and converted, keeping nothing.
    static Frame full_render() {
        FrameImage reference;
        reference.attach(320, 224);
        for (u32 line = 0; line < 224; ++line) {
            vdp_render_line_number = line;
            if (vdp_control_state.display_enabled) {
                vdp_render_plane_b();
                vdp_render_plane_a();
                vdp_render_window();
                vdp_render_sprites();
                vdp_mix_line();
            } else {
                vdp_clear_line();
            }
            render_copy_single(line);
        }
        return {reference.crc32(320, 224), line_buffer_crc(224)};
    }

    void data_port_write(u32 address, u8 code, u16 word) {
        vdp_command(address, code);
        vdp_write_data(word);
    }

    std::vector<u8> dma_image_;
    FrameImage image_;
};

struct Change {
    const char* what;
    bool changes_picture;  // false: the picture must stay as it was
    std::function<void()> apply;
};

TEST_F(LineReuseTest, EveryChangeBetweenFramesShowsAsInAFullRender) {
    auto port = [this](u32 address, u8 code, u16 word) { data_port_write(address, code, word); };
    const std::vector<Change> changes = {
        {"name-table entry through the data port", true,
         [&] { port(kPlaneB + 3 * 128 + 6, kVramWrite, name(4, 2)); }},
        {"pattern row through the data port, odd address", true,
         [&] { port(2 * 32 + 5, kVramWrite, 0x1234); }},
        {"VRAM written in place with the notice", true,
         [&] { vram_put(kPlaneA + 10 * 128 + 20, name(4, 1, true)); }},
        {"VRAM by DMA from 68000 memory", true,
         [&] {
             vdp_reg(1, 0x54);  // DMA enabled
             vdp_reg(19, 16);
             vdp_reg(20, 0);
             vdp_reg(21, 0x00);
             vdp_reg(22, 0x00);
             vdp_reg(23, 0x70);  // 0xE00000 / 2
             vdp_command(kPlaneB + 8 * 128, kVramDma);
             vdp_reg(1, 0x44);
         }},
        {"VRAM by DMA fill", true,
         [&] {
             vdp_reg(1, 0x54);
             vdp_reg(15, 1);
             vdp_reg(19, 40);
             vdp_reg(20, 0);
             vdp_reg(23, 0x80);
             vdp_command(kPlaneB + 12 * 128, kVramDma);
             vdp_write_data(0x0404);
             vdp_reg(15, 2);
             vdp_reg(1, 0x44);
         }},
        {"VRAM by DMA copy", true,
         [&] {
             vdp_reg(1, 0x54);
             vdp_reg(15, 1);
             vdp_reg(19, 64);
             vdp_reg(20, 0);
             vdp_reg(21, (kPlaneA + 10 * 128) & 0xFF);
             vdp_reg(22, (kPlaneA + 10 * 128) >> 8);
             vdp_reg(23, 0xC0);
             vdp_command(kPlaneB + 20 * 128, kVramCopy);
             vdp_reg(15, 2);
             vdp_reg(1, 0x44);
         }},
        {"VRAM by a state load", true,
         [&] {
             std::vector<u8> image(0x10000);
             for (u32 i = 0; i < kVramWords; ++i) {
                 image[2 * i]     = static_cast<u8>(vdp_vram[i]);
                 image[2 * i + 1] = static_cast<u8>(vdp_vram[i] >> 8);
             }
             image[kPlaneB + 3 * 128] = 4;  // an entry of plane B row 3 names tile 4
             ByteReader in(image);
             ASSERT_TRUE(vdp_load_vram_data(in));
         }},
        {"pattern row of the tile only a sprite shows", true,
         [&] { port(0x4000 + 32 + 8, kVramWrite, 0x1111); }},
        {"window name-table entry", true,
         [&] {
             vdp_reg(18, 0x05);  // the window over the top 5 cell rows
             draw_lines(0, 224);
             port(kWindow + 2 * 128 + 10, kVramWrite, name(4, 3));
         }},
        {"name-table entry of a row a column pair is scrolled to", true,
         [&] {
             vdp_reg(11, 0x04);
             port(6, kVsramWrite, 8 * 9);  // column pair 1 of plane B: 9 rows down
             draw_lines(0, 224);
             port(kPlaneB + 10 * 128 + 6, kVramWrite, name(4, 2));
         }},
        {"VRAM that no line reads", false, [&] { port(0x8000, kVramWrite, 0x5555); }},
        {"sprite moved in the sprite table", true,
         [&] { port(kSprites + 6, kVramWrite, 200 + 128); }},
        {"H scroll of the screen", true, [&] { port(kHscroll + 2, kVramWrite, 3); }},
        {"H scroll of plane A alone", true, [&] { port(kHscroll, kVramWrite, 5); }},
        {"plane B entry after a frame that kept plane B", true,
         [&] {
             port(kHscroll, kVramWrite, 5);
             draw_lines(0, 224);
             port(kPlaneB + 2 * 128 + 8, kVramWrite, name(4, 2));
         }},
        {"H scroll of one line of plane A", true,
         [&] {
             vdp_reg(11, 0x03);
             draw_lines(0, 224);
             port(kHscroll + 50 * 4, kVramWrite, 6);
         }},
        {"VSRAM through the data port", true, [&] { port(2, kVsramWrite, 5); }},
        {"VSRAM written in place", true, [&] { vdp_vsram[0] = 9; }},
        {"V scroll of one column pair of plane B", true,
         [&] {
             vdp_reg(11, 0x04);
             draw_lines(0, 224);
             port(4 * 7 + 2, kVsramWrite, 8);
         }},
        {"CRAM through the data port", true, [&] { port(2 * 5, kCramWrite, 0x0E0E); }},
        {"CRAM by a state load", true,
         [&] {
             std::vector<u8> image(0x80, 0x0E);
             ByteReader in(image);
             ASSERT_TRUE(vdp_load_cram_data(in));
         }},
        {"background colour register", true, [&] { vdp_reg(7, 0x13); }},
        {"plane A table moved", true, [&] { vdp_reg(2, kPlaneB >> 10); }},
        {"scroll mode per line", true,
         [&] {
             vdp_reg(11, 0x03);
             port(kHscroll + 100 * 4 + 2, kVramWrite, 5);
         }},
        {"32-column mode", true,
         [&] {
             vdp_reg(17, 0x85);  // a window at the right shows the width
             draw_lines(0, 224);
             vdp_reg(12, 0x80);
         }},
        {"shadow/highlight on", true, [&] { vdp_reg(12, 0x89); }},
        {"window at the right", true,
         [&] {
             vdp_reg(17, 0x85);
             vdp_reg(18, 0x00);
         }},
        {"display off", true, [&] { vdp_reg(1, 0x04); }},
        // The picture comes back as it was before the display was turned off.
        {"display forced on by the option with the same register value", false,
         [&] {
             vdp_reg(1, 0x04);
             draw_lines(0, 224);
             cfg_set(cfg_force_display, 1);
             vdp_reg(1, 0x04);
         }},
        {"sprite limit", true,
         [&] {
             for (u32 i = 2; i < 30; ++i) put_sprite(i, 10 * i, 20, 4, 1, name(4, 2), i + 1);
             put_sprite(1, 100, 120, 1, 1, name(5, 1, true), 2);
             draw_lines(0, 224);
             cfg_set(cfg_gen_sprite_limit, 0);
         }},
        {"surface format", true,
         [&] {
             ASSERT_EQ(host_colour_table_build(14, 9, 4), nullptr);
             vdp_rebuild_palette();
         }},
        {"surface overwritten by the host", false,
         [&] { surface_clear_640x480(render_surface.pixels, 320, 320, 224); }},
        {"line buffer overwritten", false, [&] { vdp_line_buffer.fill(0x3F); }},
        {"interlaced frame in between", false,
         [&] {
             vdp_reg(12, 0x87);
             draw_lines(0, 224);
             vdp_reg(12, 0x81);
         }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        SetUp();
        image_.attach(320, 224);
        draw_lines(0, 224);
        const Frame before = shown();
        change.apply();
        draw_lines(0, 224);
        const Frame after = shown();
        EXPECT_EQ(after, full_render());
        EXPECT_EQ(after.surface != before.surface, change.changes_picture);
        TearDown();
        ASSERT_EQ(host_colour_table_build(15, 10, 4), nullptr);
    }
}

// Planes of every width and of three heights, scrolled both ways: H scrolls that wrap the
// name-table row once, twice or not at all, V scrolls that wrap the plane.
TEST_F(LineReuseTest, ScrolledPlanesOfEveryWidth) {
    // 32, 64, "96" and 128 cells wide; 64 and 128 cells tall.
    for (const u32 size : {0x00u, 0x01u, 0x02u, 0x03u, 0x10u, 0x30u}) {
        vdp_reg(16, size);
        for (const u32 h : {0u, 1u, 7u, 8u, 100u, 255u, 256u, 300u, 0x3FFu}) {
            SCOPED_TRACE(testing::Message() << "size " << size << " scroll " << h);
            data_port_write(kHscroll, kVramWrite, static_cast<u16>(h));
            data_port_write(kHscroll + 2, kVramWrite, static_cast<u16>(0x400 - h / 3));
            data_port_write(0, kVsramWrite, static_cast<u16>(h * 5));
            data_port_write(2, kVsramWrite, static_cast<u16>(0x3FF - h));
            image_.attach(320, 224);  // the reference drew into a surface of its own
            draw_lines(0, 224);
            EXPECT_EQ(shown(), full_render());
        }
    }
}

// A change between two lines of a frame shows from the next line on, in that frame and in
// the next.
TEST_F(LineReuseTest, ChangeBetweenLinesShowsFromTheNextLine) {
    image_.attach(320, 224);
    draw_lines(0, 224);
    draw_lines(0, 100);
    data_port_write(2 * 5, kCramWrite, 0x0E0E);
    data_port_write(kHscroll + 150 * 4 + 2, kVramWrite, 12);
    draw_lines(100, 224);
    const Frame split = shown();
    draw_lines(0, 224);
    EXPECT_EQ(shown(), full_render());
    EXPECT_NE(split.surface, shown().surface);  // the top part changed colour only now
}

}  // namespace
}  // namespace varn::test
