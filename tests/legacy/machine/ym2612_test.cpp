// The earlier machine's YM2612: timer periods and their stop rules, the register file.

#include "legacy_machine_support.h"

namespace varn::test {
namespace {

class LegacyYmTest : public LegacyMachineFixture {
  protected:
    static void reg(u32 index, u8 value) { ym2612_write_register_v024(index, value); }
    // Slices until the status bit `bit` comes up (0 when it does not within `limit`).
    static u32 slices_to_flag(u8 bit, u32 limit = 10000) {
        for (u32 n = 1; n <= limit; ++n) {
            ym2612_timers_line_v024();
            if (ym2612_status_v024() & bit) return n;
        }
        return 0;
    }
};

TEST_F(LegacyYmTest, TimerPeriods) {
    struct Case {
        const char* name;
        bool timer_b;
        u32 value;
        u32 slices;
    };
    for (const Case& c : {Case{"A = 0", false, 0, 1844}, Case{"A = 1023", false, 1023, 1},
                          Case{"A = 512", false, 512, 922}, Case{"B = 0", true, 0, 7373},
                          Case{"B = 255", true, 255, 28}}) {
        SCOPED_TRACE(c.name);
        SetUp();
        if (c.timer_b) {
            reg(0x26, static_cast<u8>(c.value));
            reg(0x27, 0x0A);  // enable and load B
            EXPECT_EQ(slices_to_flag(2), c.slices);
        } else {
            reg(0x24, static_cast<u8>(c.value >> 2));
            reg(0x25, static_cast<u8>(c.value & 3));
            reg(0x27, 0x05);  // enable and load A
            EXPECT_EQ(slices_to_flag(1), c.slices);
        }
    }
}

TEST_F(LegacyYmTest, TimersStopAfterTheirOverflow) {
    // A with its flag enabled stops after the overflow; a load restarts it.
    reg(0x24, 0xFF);
    reg(0x25, 0x03);
    reg(0x27, 0x05);
    EXPECT_EQ(slices_to_flag(1), 1u);
    reg(0x27, 0x14);  // clear A's flag, keep it enabled, no load
    EXPECT_EQ(slices_to_flag(1, 5000), 0u);
    reg(0x27, 0x05);
    EXPECT_EQ(slices_to_flag(1), 1u);

    // B loaded with its flag disabled overflows once and stops: enabling the flag later
    // without a load never sets bit 1.
    SetUp();
    reg(0x26, 0xFF);
    reg(0x27, 0x02);
    EXPECT_EQ(slices_to_flag(2, 100), 0u);
    reg(0x27, 0x08);
    EXPECT_EQ(slices_to_flag(2, 20000), 0u);

    // A with its flag disabled keeps running: once enabled, its next overflow sets bit 0.
    SetUp();
    reg(0x24, 0xFF);
    reg(0x25, 0x00);  // A = 1020: period 7
    reg(0x27, 0x01);
    EXPECT_EQ(slices_to_flag(1, 20), 0u);
    reg(0x27, 0x04);
    EXPECT_NE(slices_to_flag(1, 7), 0u);
    // A clear load bit does not stop a running timer; the power-on clears both.
    ym2612_timers_reset_v024();
    EXPECT_EQ(ym2612_status_v024(), 0);
    EXPECT_EQ(slices_to_flag(3, 20000), 0u);
}

TEST_F(LegacyYmTest, RegisterFile) {
    reg(0x28, 0xF1);  // channel 2: all four operators on
    for (u32 slot = 0; slot < 4; ++slot) EXPECT_EQ(ym2612_v024.operators[4 + slot].key_on, 0xFF);
    reg(0x28, 0x53);  // channel code 3: no channel
    reg(0x28, 0x56);  // channel 6: S1 and S3 (bits 4 and 6)
    const auto& ops = ym2612_v024.operators;
    EXPECT_EQ(ops[20].key_on, 0xFF);  // S1
    EXPECT_EQ(ops[21].key_on, 0xFF);  // S3 (register slot 1)
    EXPECT_EQ(ops[22].key_on, 0);     // S2
    EXPECT_EQ(ops[23].key_on, 0);     // S4
    for (u32 ch = 0; ch < 4; ++ch) EXPECT_EQ(ops[ch].key_on, 0);

    reg(0x131, 0x75);  // part II, channel 5, register slot 0: DT 7, MUL 5
    EXPECT_EQ(ops[16 + 0].dt, 7);
    EXPECT_EQ(ops[16 + 0].mul, 5);
    reg(0x63, 0xFF);  // channel code 3 of an operator group: ignored
    for (const auto& op : ops) EXPECT_EQ(op.d1r, 0);
    reg(0xA6, 0x2D);  // channel 3: block 5, F-number high 5
    EXPECT_EQ(ym2612_v024.channels[2].block, 5);
    EXPECT_EQ(ym2612_v024.channels[2].fnum_high, 5);
    reg(0x1AC, 0x1A);  // part II's special-mode record
    EXPECT_EQ(ym2612_v024.special_freq[1].block, 3);
    reg(0xB2, 0x3F);
    EXPECT_EQ(ym2612_v024.channels[2].algorithm, 7);
    EXPECT_EQ(ym2612_v024.channels[2].feedback, 7);
    reg(0x127, 0x40);  // part II's 0x27: only its special mode bit
    EXPECT_EQ(ym2612_v024.special_mode[1], 0x40);
    EXPECT_EQ(ym2612_v024.timer_a.step, 0u);
}

}  // namespace
}  // namespace varn::test
