#include "genesis/io/lightgun.h"

#include <gtest/gtest.h>

#include "genesis/bus/pad_timeout.h"
#include "genesis/vdp/vdp.h"
#include "m68k/m68k.h"

namespace varn {
namespace {

class LightgunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        lightgun_reset();
        vdp_reset_all();
        m68k_context.irq_pending = 0;
        m68k_context.irq_check   = 0;
    }
    static u32 counter(u32 line, u32 slice) { return line << 4 | slice; }
};

TEST_F(LightgunTest, BeamPassingTheRightEdgeLatchesInTheEighthSlice) {
    vdp_registers[11] = 0x08;
    lightgun_arm(319, 100);
    for (u32 slice = 0; slice < 7; ++slice) {
        lightgun_tick(counter(100, slice), 0);
        EXPECT_EQ(lightgun_latch.armed, 1u) << "slice " << slice;
    }
    lightgun_tick(counter(100, 7), 0);
    EXPECT_EQ(lightgun_latch.armed, 0u);
    EXPECT_EQ(lightgun_latch.hv_latch, 0x649Fu);
    EXPECT_EQ(m68k_context.irq_pending, 1u << 2);
    EXPECT_EQ(m68k_context.irq_check, 1u);
}

TEST_F(LightgunTest, WithoutTheExternalInterruptEnableOnlyTheLatchIsStored) {
    vdp_registers[11]      = 0x00;
    m68k_context.irq_check = 1;
    lightgun_arm(10, 20);
    lightgun_tick(counter(20, 0), 0);
    EXPECT_EQ(lightgun_latch.armed, 0u);
    EXPECT_EQ(lightgun_latch.hv_latch, 20u << 8 | 5);
    EXPECT_EQ(m68k_context.irq_pending, 0u);
    EXPECT_EQ(m68k_context.irq_check, 0u);
}

TEST_F(LightgunTest, WaitsForItsLineAndSkipsHorizontalBlank) {
    vdp_registers[11] = 0x08;
    lightgun_arm(0, 50);
    lightgun_tick(counter(49, 7), 0);
    lightgun_tick(counter(50, 0), 1);  // horizontal-blank slices never latch
    EXPECT_EQ(lightgun_latch.armed, 1u);
    lightgun_tick(counter(50, 0), 0);
    EXPECT_EQ(lightgun_latch.armed, 0u);
    EXPECT_EQ(m68k_context.irq_pending, 1u << 2);
}

TEST_F(LightgunTest, TickCountsThePadTimeouts) {
    pad_timeout_restart(0);
    for (u32 i = 0; i < kPadTimeoutSlices; ++i) lightgun_tick(0, 2);
    EXPECT_EQ(pad_timeout[0], 0u);
}

}  // namespace
}  // namespace varn
