// The graphics unit: a turned and scaled stamp map drawn by a sub-CPU test program (checked
// against a picture recorded after looking at it), and the unit's rules case by case:
// stamp orientation, the map's edge, priority modes, offsets at the end of word RAM, the
// empty operations, and the pause after an operation.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "base/crc32.h"
#include "m68k/m68k_bus.h"
#include "runtime/thread_link.h"
#include "segacd/scd_graphics.h"
#include "segacd/segacd.h"
#include "segacd_fixture.h"

namespace varn::test {
namespace {

// Where the cases below put things in word RAM (stamp n lies at n x 128).
constexpr u32 kMap   = 0x08000;  // map base register 0x2000
constexpr u32 kTrace = 0x10000;  // trace base register 0x4000
constexpr u32 kImage = 0x20000;  // image buffer start register 0x8000

class ScdGraphicsTest : public SegaCdTest {
  protected:
    void SetUp() override {
        SegaCdTest::SetUp();
        boot_blank();
        scd_gfx_line_buffer.fill(0);
    }

    static void reg(u32 r, u32 v) { s68k_write_word(0xFF8000 + r, v); }
    static void put16(u32 at, u32 v) {
        scd_word_ram[at & 0x3FFFF]       = static_cast<u8>(v >> 8);
        scd_word_ram[(at + 1) & 0x3FFFF] = static_cast<u8>(v);
    }
    // A 32 x 32 stamp (numbers in 16-dot units, so a multiple of 4) from colour(x, y).
    template <typename Colour>
    static void stamp32(u32 number, Colour colour) {
        for (u32 x = 0; x < 32; x += 2) {
            for (u32 y = 0; y < 32; ++y) {
                const u32 at     = number * 128 + (x / 8) * 128 + y * 4 + (x % 8) / 2;
                scd_word_ram[at] = static_cast<u8>(colour(x, y) << 4 | colour(x + 1, y));
            }
        }
    }
    // Lines l of `lines` starting at (x0, y0 + l) dots, one map dot per dot to the right.
    static void straight_trace(u32 trace, u32 lines, u32 x0, u32 y0) {
        for (u32 l = 0; l < lines; ++l) {
            put16(trace + 8 * l, x0 * 8);
            put16(trace + 8 * l + 2, (y0 + l) * 8);
            put16(trace + 8 * l + 4, 0x800);
            put16(trace + 8 * l + 6, 0);
        }
    }
    // One operation: stamp data size, H and V, 1 cell high (8 rows) unless `cells` says more.
    static void draw(u32 size, u32 h, u32 v, u32 cells = 1, u32 trace = kTrace,
                     u32 image = kImage) {
        reg(0x58, size);
        reg(0x5A, kMap / 4);
        reg(0x5C, cells - 1);
        reg(0x5E, image / 4);
        reg(0x62, h);
        reg(0x64, v);
        reg(0x66, trace / 4);
    }
    // Dot (x, y) of an image buffer `rows` rows high.
    static u32 image_dot(u32 x, u32 y, u32 rows = 8, u32 image = kImage) {
        const u8 b = scd_word_ram[(image + (x / 8) * rows * 4 + y * 4 + (x % 8) / 2) & 0x3FFFF];
        return (x & 1) != 0 ? b & 0x0F : b >> 4;
    }
};

// With VARN_SCD_DUMP naming a folder, the image buffer is written there as a grey-scale
// PGM (colour n as n x 17), to be looked at before its CRC is recorded.
void dump_image(const std::string& name, u32 width, u32 rows, u32 image) {
    const char* dir = std::getenv("VARN_SCD_DUMP");
    if (dir == nullptr) return;
    std::ofstream out(std::string(dir) + "/" + name + ".pgm", std::ios::binary);
    out << "P5\n" << width << " " << rows << "\n255\n";
    for (u32 y = 0; y < rows; ++y) {
        for (u32 x = 0; x < width; ++x) {
            const u8 b = scd_word_ram[image + (x / 8) * rows * 4 + y * 4 + (x % 8) / 2];
            out.put(static_cast<char>(((x & 1) != 0 ? b & 0x0F : b >> 4) * 17));
        }
    }
}

TEST_F(ScdGraphicsTest, TestBiosDrawsTheTurnedMap) {
    boot("segacd_gfx");
    auto prg16 = [](u32 at) { return u32{scd_prg_ram[at]} << 8 | scd_prg_ram[at + 1]; };
    for (int f = 0; f < 10 && prg16(0x7F000) == 0; ++f)
        ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
    ASSERT_EQ(prg16(0x7F000), 1u) << "no level-1 interrupt";
    EXPECT_EQ(prg16(0x7F002), 0u);       // vertical dot size after the operation
    EXPECT_EQ(prg16(0x7F004), 0x0001u);  // busy bit gone by the interrupt, repeat kept

    // 128 x 128 dots: F stamps in all eight orientations and shaded stamps, the map turned
    // by about 27 degrees and repeated past its edge.
    dump_image("turned_map", 128, 128, kImage);
    EXPECT_EQ(crc32(std::span<const u8>(scd_word_ram.data() + kImage, 16 * 128 * 4)), 0xB582BA05u);
}

TEST_F(ScdGraphicsTest, StampOrientation) {
    // Each 32-dot stamp dot is its own coordinates' colour: x / 4 + 8 on the top half,
    // x / 4 on the bottom half, so both mirrors show.
    auto colour = [](u32 x, u32 y) { return x / 4 + (y < 16 ? 8 : 0); };
    stamp32(4, colour);
    struct Case {
        u32 bits;  // entry bits 13-15
        bool mirror_x, mirror_y, exchange;
    };
    const Case cases[] = {
        {0x0000, false, false, false},
        {0x8000, true, false, false},  // flip: mirrored left to right
        {0x4000, true, true, false},   // turned upside down and mirrored: half a turn
        {0xC000, false, true, false},  // both: upside down only
        {0x2000, true, false, true},   // a quarter turn
    };
    for (const Case& c : cases) {
        put16(kMap, 4 | c.bits);
        straight_trace(kTrace, 8, 0, 0);
        draw(0x0002, 32, 8);  // 32-dot stamps, small map, no repeat
        for (u32 y = 0; y < 8; ++y) {
            for (u32 x = 0; x < 32; ++x) {
                u32 sx = c.mirror_x ? 31 - x : x;
                u32 sy = c.mirror_y ? 31 - y : y;
                if (c.exchange) std::swap(sx, sy);
                ASSERT_EQ(image_dot(x, y), colour(sx, sy))
                    << std::hex << c.bits << " " << x << "," << y;
            }
        }
    }
}

TEST_F(ScdGraphicsTest, TheMapEdgeDrawsNothingOrWraps) {
    stamp32(4, [](u32, u32) { return 7u; });
    for (u32 i = 0; i < 64; ++i) put16(kMap + 2 * i, 4);  // the whole 8 x 8 map
    // Lines start 8 dots before the right edge of the 256-dot map.
    straight_trace(kTrace, 8, 248, 0);
    draw(0x0002, 16, 8);
    for (u32 x = 0; x < 16; ++x) EXPECT_EQ(image_dot(x, 3), x < 8 ? 7u : 0u) << x;
    draw(0x0003, 16, 8);  // repeat on
    for (u32 x = 0; x < 16; ++x) EXPECT_EQ(image_dot(x, 3), 7u) << x;
}

TEST_F(ScdGraphicsTest, PriorityModesCombineWithTheImageBuffer) {
    // New dots: 5 0 5 0 ...; old dots: 0 0 9 9 ...
    stamp32(4, [](u32 x, u32) { return x % 2 == 0 ? 5u : 0u; });
    put16(kMap, 4);
    straight_trace(kTrace, 8, 0, 0);
    struct Case {
        u8 mode_byte;  // sub-side memory-mode byte, priority in bits 3-4
        u32 expect[4];
    };
    const Case cases[] = {
        {0x00, {5, 0, 5, 0}},  // the new dots
        {0x08, {5, 0, 9, 9}},  // underwrite: old non-zero dots stay
        {0x10, {5, 0, 5, 9}},  // overwrite: new non-zero dots win
        {0x18, {5, 0, 9, 9}},  // as 1
    };
    for (const Case& c : cases) {
        for (u32 i = 0; i < 32; ++i) scd_word_ram[kImage + i] = i % 2 == 0 ? 0x00 : 0x99;
        s68k_write_byte(0xFF8003, c.mode_byte);
        draw(0x0002, 8, 8);
        for (u32 x = 0; x < 4; ++x) EXPECT_EQ(image_dot(x, 1), c.expect[x]) << int{c.mode_byte};
    }
    s68k_write_byte(0xFF8003, 0);
}

TEST_F(ScdGraphicsTest, OffsetsWrapWithinWordRam) {
    // Trace table and image buffer at the end of word RAM: the first trace entry's steps,
    // the later entries and the second cell column lie past it and wrap to its start.
    const u32 trace = 0x3FFFC;  // register 0xFFFF
    const u32 image = 0x3FFE0;  // register 0xFFF8, one cell: the 32 bytes up to the end
    stamp32(4, [](u32, u32 y) { return y < 16 ? 3u : 6u; });
    put16(kMap, 4);
    straight_trace(trace, 8, 0, 10);
    draw(0x0002, 16, 8, 1, trace, image);
    EXPECT_EQ(image_dot(0, 0, 8, image), 3u);
    EXPECT_EQ(image_dot(0, 7, 8, image), 6u);  // map row 0 still: y = 17
    EXPECT_EQ(image_dot(8, 0, 8, image), 3u);  // the second column, at word RAM 0
    EXPECT_EQ(scd_word_ram[0], 0x33);
}

TEST_F(ScdGraphicsTest, EmptyOperationsDrawNothingAndComplete) {
    stamp32(4, [](u32, u32) { return 7u; });
    put16(kMap, 4);
    straight_trace(kTrace, 8, 0, 0);
    struct Case {
        u32 h, v;
    };
    for (const Case c : {Case{0, 8}, Case{32, 0}}) {
        std::fill_n(scd_word_ram.begin() + kImage, 0x1000, u8{0x11});
        s68k_context.irq_pending = 0;
        s68k_write_byte(0xFF8033, 0x02);
        draw(0x0002, c.h, c.v, 32);
        EXPECT_EQ(s68k_read_word(0xFF8064), 0u);
        EXPECT_TRUE(std::all_of(scd_word_ram.begin() + kImage,
                                scd_word_ram.begin() + kImage + 0x1000,
                                [](u8 b) { return b == 0x11; }))
            << c.h << " " << c.v;
        for (int t = 0; t < 4; ++t) scd_tick();
        EXPECT_EQ(s68k_read_word(0xFF8058) & 0x8000, 0u);
        EXPECT_EQ(s68k_context.irq_pending & 2, 2) << c.h << " " << c.v;
    }
}

TEST_F(ScdGraphicsTest, PauseAfterAnOperationHoldsTheThread) {
    struct Case {
        bool stop;  // the wait ends by a stop instead of a resume
    };
    // Waits for `done` and says whether it came; a broken pause fails instead of hanging.
    auto wait_for = [](auto done) {
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done()) {
            if (std::chrono::steady_clock::now() > give_up) return false;
            std::this_thread::yield();
        }
        return true;
    };
    for (const Case c : {Case{false}, Case{true}}) {
        emu_pause_req.store(0);
        emu_stop_req.store(0);
        emu_state_flags.store(0);
        scd_pause_after_graphics.store(1);
        std::atomic<bool> returned{false};
        std::thread emu([&returned] {
            draw(0x0002, 8, 8);
            returned.store(true);
        });
        EXPECT_TRUE(wait_for([&] {
            return returned.load() || ((emu_state_flags.load() & kStatePaused) != 0 &&
                                       emu_thread_state.load() == kThreadPaused);
        }));
        EXPECT_FALSE(returned.load()) << "the operation did not wait";
        EXPECT_EQ(emu_pause_req.load() & kPauseUser, kPauseUser);
        EXPECT_TRUE(host.sound_paused());
        if (c.stop)
            emu_stop_req.store(1);
        else
            emu_pause_req.fetch_and(~kPauseUser);
        EXPECT_TRUE(wait_for([&] { return returned.load(); })) << "stop " << c.stop;
        emu_stop_req.store(1);  // lets a thread still waiting go
        emu.join();
        EXPECT_EQ(s68k_read_word(0xFF8064), 0u);
    }
    scd_pause_after_graphics.store(0);
    emu_pause_req.store(0);
    emu_stop_req.store(0);
    emu_state_flags.store(0);
}

}  // namespace
}  // namespace varn::test
