// What the VDP reads of the scheduler and the 68000 (status, HV counter) and the interrupt
// lines it drives.

#include "base/config.h"
#include "genesis/vdp/vdp.h"
#include "vdp_test_support.h"

namespace varn::test {
namespace {

struct FakeRuntime {
    static inline u32 counter = 0, phase = 0, pal = 0, posts = 0;
};

class InterruptTest : public VdpTest {
  protected:
    void SetUp() override {
        VdpTest::SetUp();
        FakeRuntime::counter = FakeRuntime::phase = FakeRuntime::pal = FakeRuntime::posts = 0;
        vdp_runtime_slots = {&FakeRuntime::counter, &FakeRuntime::phase, &FakeRuntime::pal,
                             [] { ++FakeRuntime::posts; }};
    }
    static void at(u32 line, u32 slice, u32 phase) {
        FakeRuntime::counter = line << 4 | slice;
        FakeRuntime::phase   = phase;
    }
    // The 68000 has run `elapsed` cycles of a slice of `length`.
    static void cpu_in_slice(s32 elapsed, s32 length) {
        m68k_context.slice_cycles  = -length;
        m68k_context.cycle_counter = -length + elapsed;
    }
};

TEST_F(InterruptTest, HvCounterFromTheCyclesRunInTheSlice) {
    struct Case {
        u32 line, slice, phase;
        s32 elapsed, length;
        u16 expected;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 54, 0x0000},
        {10, 0, 0, 27, 54, 0x0A14},   // half a slice: 20
        {10, 3, 0, 27, 54, 0x0A8C},   // + 3 slices of 40
        {100, 7, 0, 54, 54, 0x6440},  // 7 * 40 + 40 = 320, & 0xFF
        {223, 1, 1, 30, 54, 0xDF00},  // horizontal blank: H = 0
        {0, 5, 2, 30, 54, 0xFF00},    // vertical blank whatever the slice
        {0x1F0 >> 4, 0, 2, 0, 54, 0xFF00},
        {5, 2, 0, 60, 54, 0x057C},  // an overshoot past the slice end still counts
    };
    for (const auto& c : cases) {
        at(c.line, c.slice, c.phase);
        cpu_in_slice(c.elapsed, c.length);
        EXPECT_EQ(vdp_read_hv_counter(), c.expected)
            << "line " << c.line << " slice " << c.slice << " phase " << c.phase;
    }
    m68k_context.slice_cycles = 0;  // no slice length yet: no division by zero
    at(3, 0, 0);
    EXPECT_EQ(vdp_read_hv_counter(), 0x0300);
}

TEST_F(InterruptTest, StatusBlankBitsAndRegion) {
    at(100, 3, 0);
    EXPECT_EQ(vdp_read_status() & 0x0D, 0x00);
    at(100, 1, 1);
    EXPECT_EQ(vdp_read_status() & 0x0C, 0x04);
    at(223, 0, 1);
    EXPECT_EQ(vdp_read_status() & 0x0C, 0x04);
    at(223, 1, 1);  // the vertical blank bit rises already here
    EXPECT_EQ(vdp_read_status() & 0x0C, 0x0C);
    FakeRuntime::counter = 0x100;
    FakeRuntime::phase   = 2;
    EXPECT_EQ(vdp_read_status() & 0x0C, 0x08);
    FakeRuntime::pal = 1;
    EXPECT_EQ(vdp_read_status() & 0x01, 0x01);
}

TEST_F(InterruptTest, HintRaisesLevel4OnlyWhenEnabled) {
    vdp_reg(10, 0);
    vdp_hint_counter_reload();
    vdp_hint_counter_step();
    EXPECT_TRUE(vdp_control_state.hint_pending);
    EXPECT_EQ(m68k_context.irq_pending & 0x10, 0);
    vdp_reg(0, 0x14);  // enabling with the event pending raises it
    EXPECT_EQ(m68k_context.irq_pending & 0x10, 0x10);
    EXPECT_EQ(m68k_context.irq_check, 1);
    vdp_reg(0, 0x04);  // disabling withdraws it
    EXPECT_EQ(m68k_context.irq_pending & 0x10, 0);
    vdp_reg(0, 0x14);
    vdp_irq_acknowledge(4);
    EXPECT_FALSE(vdp_control_state.hint_pending);
    m68k_context.irq_pending = 0;
    vdp_hint_counter_step();
    EXPECT_EQ(m68k_context.irq_pending & 0x10, 0x10);
}

TEST_F(InterruptTest, VintRaisesLevel6AndTheZ80Line) {
    vdp_vint_raise();
    EXPECT_EQ(m68k_context.irq_pending & 0x40, 0);  // not enabled
    EXPECT_EQ(z80_context.irq_lines & kZ80LineIrq, kZ80LineIrq);
    vdp_reg(1, 0x64);
    EXPECT_EQ(m68k_context.irq_pending & 0x40, 0x40);
    vdp_irq_acknowledge(6);
    EXPECT_FALSE(vdp_control_state.vint_pending);
    m68k_context.irq_pending = 0;
    vdp_vint_raise();
    EXPECT_EQ(m68k_context.irq_pending & 0x40, 0x40);
}

TEST_F(InterruptTest, LoadedVintPendingIsReportedAndRaisedByRegister1) {
    vdp_reg(1, 0x04);
    std::vector<u8> chunk(64);
    ByteWriter w(chunk);
    vdp_control_state.vint_pending = true;
    ASSERT_TRUE(vdp_save_state_chunk(w));
    vdp_reset_all();
    ByteReader r(chunk);
    ASSERT_EQ(vdp_load_state_chunk(r), 0);
    EXPECT_EQ(vdp_read_status() & 0x80, 0x80);
    EXPECT_EQ(m68k_context.irq_pending & 0x40, 0);
    vdp_reg(1, 0x24);
    EXPECT_EQ(m68k_context.irq_pending & 0x40, 0x40);
}

TEST_F(InterruptTest, InterlaceHeightIsPostedOnce) {
    cfg_set(cfg_squash_interlace, 0);
    vdp_reg(12, 0x83);
    vdp_reg(12, 0x83);
    EXPECT_EQ(screen_height, 448u);
    EXPECT_EQ(FakeRuntime::posts, 1u);
    FakeRuntime::pal = 1;
    vdp_reg(1, 0x08);  // 240 lines on a 50 Hz console, doubled
    EXPECT_EQ(screen_height, 480u);
    EXPECT_EQ(FakeRuntime::posts, 2u);
    cfg_set(cfg_squash_interlace, 1);
}

}  // namespace
}  // namespace varn::test
