// The SH-2 on-chip modules through each core's on-chip page: interrupt controller, division
// unit, DMA controller (also with the 32X FIFO), free-running timer, watchdog and serial link.

#include "base/endian.h"
#include "s32x/s32x_test_support.h"

namespace varn::test {
namespace {

constexpr u32 kDvsr = 0xFFFFFF00, kDvdnt = 0xFFFFFF04, kDvcr = 0xFFFFFF08, kDvdnth = 0xFFFFFF10,
              kDvdntl = 0xFFFFFF14, kDvdnthMirror = 0xFFFFFF18, kDvdntlMirror = 0xFFFFFF1C;

class OnChipTest : public S32xTest {
  protected:
    // Channel `n` of `core`: source, destination, count, control; then DMAOR.
    static void dma(u32 core, u32 n, u32 sar, u32 dar, u32 tcr, u32 chcr, u32 dmaor = 1) {
        const u32 base = 0xFFFFFF80 + n * 0x10;
        wl(core, base, sar);
        wl(core, base + 4, dar);
        wl(core, base + 8, tcr);
        wl(core, base + 12, chcr);
        wl(core, 0xFFFFFFB0, dmaor);
    }
    static u32 tcr(u32 core, u32 n) { return rl(core, 0xFFFFFF88 + n * 0x10); }
    static u32 chcr(u32 core, u32 n) { return rl(core, 0xFFFFFF8C + n * 0x10); }
};

TEST_F(OnChipTest, DivisionUnitQuotientsRemaindersAndOverflow) {
    struct Case {
        u32 dvsr;
        u32 high, low;  // dividend; high ~0 marks a DVDNT write (sign-extended)
        bool via_dvdnt;
        u32 dvcr;  // OVFIE in bit 1
        u32 quotient, remainder;
        bool overflow;
    };
    const Case cases[] = {
        {7, 0, 100, true, 0, 14, 2, false},
        {7, 0, static_cast<u32>(-100), true, 0, static_cast<u32>(-14), static_cast<u32>(-2), false},
        {static_cast<u32>(-7), 0, 100, true, 0, static_cast<u32>(-14), 2, false},
        {2, 0, 0x80000000u, true, 0, 0xC0000000u, 0, false},  // a negative one that fits
        {0x10, 1, 0, false, 0, 0x10000000u, 0, false},        // 64-bit dividend
        {1, 0x7FFFFFFF, 0, false, 0, 0x7FFFFFFF, 0x7FFFFFFF, true},
        {static_cast<u32>(-1), 0x7FFFFFFF, 0, false, 0, 0x80000000u, 0x7FFFFFFF, true},
        {1, 0x7FFFFFFF, 0x1234, false, 2, 0x1234, 0x7FFFFFFF, true},  // OVFIE: left alone
        {static_cast<u32>(-1), 0x80000000u, 0, false, 0, 0x7FFFFFFF, 0x80000000u, true},
    };
    for (const auto& c : cases) {
        wl(0, kDvcr, c.dvcr);
        wl(0, kDvsr, c.dvsr);
        if (c.via_dvdnt) {
            wl(0, kDvdnt, c.low);
        } else {
            wl(0, kDvdnth, c.high);
            wl(0, kDvdntl, c.low);
        }
        EXPECT_EQ(rl(0, kDvdntl), c.quotient) << std::hex << c.dvsr << " " << c.low;
        EXPECT_EQ(rl(0, kDvdnth), c.remainder) << std::hex << c.dvsr << " " << c.low;
        EXPECT_EQ(rl(0, kDvcr) & 1, c.overflow ? 1u : 0u) << std::hex << c.dvsr;
        if (!c.overflow) {
            EXPECT_EQ(rl(0, kDvdntlMirror), c.quotient);
        }
    }
    // Division by zero: OVF, everything else as it was.
    wl(0, kDvcr, 0);
    wl(0, kDvsr, 3);
    wl(0, kDvdnt, 10);
    wl(0, kDvsr, 0);
    wl(0, kDvdnt, 99);
    EXPECT_EQ(rl(0, kDvcr), 1u);
    EXPECT_EQ(rl(0, kDvdntl), 99u);  // the written dividend
    EXPECT_EQ(rl(0, kDvdntlMirror), 3u);
    EXPECT_EQ(rl(0, kDvdnthMirror), 1u);
    EXPECT_EQ(rl(1, kDvcr), 0u);  // the slave's unit is its own
}

TEST_F(OnChipTest, InterruptControllerSetsLevelsAndVectors) {
    ww(0, 0xFFFFFEE2, 0x5A30);  // IPRA: DIVU 5, DMAC 10, WDT 3
    ww(0, 0xFFFFFEE4, 0x4142);  // VCRWDT
    wl(0, 0xFFFFFF0C, 0x50);    // VCRDIV
    wb(0, 0xFFFFFE60, 0x7F);    // IPRB high byte: SCI 7, FRT 15
    EXPECT_EQ(cpu(0).onchip_level[31 - 23], 3);
    EXPECT_EQ(cpu(0).onchip_vector[31 - 23], 0x41 * 4);
    EXPECT_EQ(cpu(0).onchip_vector[31 - 24], 0x42 * 4);
    EXPECT_EQ(cpu(0).onchip_level[31 - 21], 10);
    EXPECT_EQ(cpu(0).onchip_level[31 - 20], 5);
    EXPECT_EQ(cpu(0).onchip_vector[31 - 20], 0x50 * 4);
    EXPECT_EQ(cpu(0).onchip_level[31 - 25], 7);
    EXPECT_EQ(cpu(0).onchip_level[31 - 31], 15);
    EXPECT_EQ(rw(0, 0xFFFFFE60), 0x7F00u);
    EXPECT_EQ(cpu(1).onchip_level[31 - 23], 0);
}

TEST_F(OnChipTest, DmaMemoryModesAndTheirBounds) {
    for (u32 i = 0; i < 64; ++i) s32x_sdram[i] = static_cast<u8>(i + 1);
    // Word units, both incrementing, cost 2: 139 / 3 units a run (TB = 0 adds one).
    dma(0, 0, 0x06000000, 0x06001000, 8, 0x5401);
    cpu(0).cycle_counter = 0;
    sh2_dmac_service(0);
    EXPECT_EQ(std::vector<u8>(s32x_sdram.begin() + 0x1000, s32x_sdram.begin() + 0x1010),
              std::vector<u8>(s32x_sdram.begin(), s32x_sdram.begin() + 16));
    EXPECT_EQ(tcr(0, 0), 0u);
    EXPECT_EQ(chcr(0, 0) & 2, 2u);              // TE
    EXPECT_EQ(cpu(0).irq_pending, 0u);          // IE clear: no end interrupt
    EXPECT_EQ(cpu(0).cycle_counter, 16);        // 8 units at 2 cycles
    EXPECT_EQ(rl(0, 0xFFFFFF80), 0x06000000u);  // SAR as programmed

    // Long units, destination decrementing; source fixed; IE: the end raises channel 1's
    // interrupt.
    dma(0, 1, 0x06000000, 0x0600200C, 4, 0x8805);
    sh2_dmac_service(0);
    EXPECT_EQ(cpu(0).irq_pending, kSh2IrqDma1);
    for (u32 k = 0; k < 4; ++k) EXPECT_EQ(load_be32(&s32x_sdram[0x2000 + 4 * k]), 0x01020304u);

    // A count larger than the area stops at its end.
    dma(0, 0, 0x0603FFF8, 0x06003000, 100, 0x5401);
    EXPECT_EQ(tcr(0, 0), 4u);
    sh2_dmac_service(0);
    EXPECT_EQ(chcr(0, 0) & 2, 2u);

    // A mode-3 step moves nothing and costs nothing.
    dma(0, 0, 0x06000000, 0x06004000, 4, 0xF401);
    cpu(0).cycle_counter = 0;
    sh2_dmac_service(0);
    EXPECT_EQ(load_be32(&s32x_sdram[0x4000]), 0u);
    EXPECT_EQ(cpu(0).cycle_counter, 0);
    // Without DME nothing moves either.
    dma(0, 0, 0x06000000, 0x06005000, 4, 0x5401, 0);
    sh2_dmac_service(0);
    EXPECT_EQ(load_be32(&s32x_sdram[0x5000]), 0u);
}

TEST_F(OnChipTest, DmaUnitsPerRunFollowTheCycleBudget) {
    dma(1, 0, 0x06000000, 0x06010000, 1000, 0x5409);  // TA = 1: a unit costs 1
    sh2_dmac_service(1);
    EXPECT_EQ(tcr(1, 0), 1000u - 139 / 2);  // TB = 0 adds one per unit
    wl(1, 0xFFFFFF8C, 0x5419);              // TB = 1
    sh2_dmac_service(1);
    EXPECT_EQ(tcr(1, 0), 1000u - 69 - 139);
}

TEST_F(OnChipTest, DmaFromTheFifoTakesNoMoreThanItHolds) {
    m68k_wb(0xA15107, 0x04);  // 68000 to SH-2 transfer on, FIFO empty
    ww(0, 0x4010, 8);         // DREQ length in words
    for (u16 w = 1; w <= 4; ++w) m68k_ww(0xA15112, 0x1100 + w);
    dma(0, 0, 0x20004012, 0x06000000, 8, 0x4405);  // word units, destination incrementing
    sh2_dmac_service(0);
    EXPECT_EQ(tcr(0, 0), 4u);
    EXPECT_EQ(s32x_regs.fifo_fill, 0);
    EXPECT_EQ(load_be16(&s32x_sdram[6]), 0x1104u);
    sh2_dmac_service(0);  // empty FIFO: nothing moves, nothing lost
    EXPECT_EQ(tcr(0, 0), 4u);
    for (u16 w = 1; w <= 4; ++w) m68k_ww(0xA15112, 0x2200 + w);
    sh2_dmac_service(0);
    EXPECT_EQ(load_be16(&s32x_sdram[8]), 0x2201u);
    EXPECT_EQ(load_be16(&s32x_sdram[14]), 0x2204u);
    EXPECT_EQ(chcr(0, 0) & 2, 2u);
    EXPECT_EQ(rw(0, 0x4010), 0u);
    EXPECT_EQ(m68k_rb(0xA15107) & 0x04, 0u);  // the transfer is over
}

TEST_F(OnChipTest, DmaToPwmFeedsTheQueueAtItsRate) {
    for (u32 i = 0; i < 16; ++i) store_be16(&s32x_sdram[2 * i], static_cast<u16>(0x100 + i));
    dma(0, 1, 0x06000000, 0x20004038, 16, 0x1405);  // source incrementing, word units
    sh2_dmac_service(0);
    EXPECT_EQ(tcr(0, 1), 8u);  // the mono queue's 8 words
    ww(0, 0x4032, 0);
    s32x_pwm_line();
    sh2_dmac_service(0);
    EXPECT_EQ(tcr(0, 1), 7u);  // one word drained, one more taken
}

TEST_F(OnChipTest, FreeRunningTimerStepsAndCompareMatch) {
    // Reset step 0x114000 (16.16): the counter's top word after n runs.
    for (u32 i = 0; i < 4; ++i) sh2_frt_advance(0);
    EXPECT_EQ((rb(0, 0xFFFFFE12) << 8 | rb(0, 0xFFFFFE13)), (4 * 0x114000u) >> 16);
    wb(0, 0xFFFFFE16, 2);  // CKS 2: 0x8A0000 >> 7
    EXPECT_EQ(sh2_onchip[0].frt_step, 0x8A0000u >> 7);
    // OCRA 8 with clear on match: the counter comes back round.
    wb(0, 0xFFFFFE17, 0);  // OCRA selected
    wb(0, 0xFFFFFE14, 0);
    wb(0, 0xFFFFFE15, 8);
    wb(0, 0xFFFFFE11, 1);  // CCLRA
    wb(0, 0xFFFFFE12, 0);
    wb(0, 0xFFFFFE13, 7);
    sh2_frt_advance(0);                   // 7 + 1.08 > 8
    EXPECT_EQ(rb(0, 0xFFFFFE11), 0x09u);  // OCFA, CCLRA
    EXPECT_EQ(rb(0, 0xFFFFFE11), 0x01u);  // the read cleared it
    EXPECT_LT(sh2_onchip[0].frc, 0x10000u);
}

TEST_F(OnChipTest, WatchdogIntervalPeriodsAndKeys) {
    // Interval mode, divider 8192: the step overflows after 0x100000000 / 0x45A57 runs.
    ww(0, 0xFFFFFE80, 0xA527);
    EXPECT_EQ(rb(0, 0xFFFFFE80), 0x27u);
    const u32 runs = static_cast<u32>((0x100000000ull + 0x45A57 - 1) / 0x45A57);
    for (u32 i = 0; i + 1 < runs; ++i) sh2_wdt_advance(0);
    EXPECT_EQ(cpu(0).irq_pending & kSh2IrqWatchdog, 0u);
    sh2_wdt_advance(0);
    EXPECT_EQ(cpu(0).irq_pending & kSh2IrqWatchdog, kSh2IrqWatchdog);
    EXPECT_EQ(rb(0, 0xFFFFFE80) & 0x80, 0x80u);
    // Count written with 0x5A; other keys change nothing.
    ww(0, 0xFFFFFE80, 0x5AF0);
    EXPECT_EQ(rb(0, 0xFFFFFE81), 0xF0u);
    ww(0, 0xFFFFFE80, 0x1200);
    EXPECT_EQ(rb(0, 0xFFFFFE81), 0xF0u);
    EXPECT_EQ(rb(0, 0xFFFFFE80) & 0x7F, 0x27u);
    // Watchdog mode: flagged in RSTCSR, no request.
    cpu(1).irq_pending = 0;
    ww(1, 0xFFFFFE80, 0xA560);  // TME, watchdog mode, divider 2
    for (u32 i = 0; i < 4; ++i) sh2_wdt_advance(1);
    EXPECT_EQ(rb(1, 0xFFFFFE83) & 0x80, 0x80u);
    EXPECT_EQ(cpu(1).irq_pending, 0u);
    ww(1, 0xFFFFFE82, 0xA500);
    EXPECT_EQ(rb(1, 0xFFFFFE83) & 0x80, 0u);
}

TEST_F(OnChipTest, SerialByteReachesTheOtherCore) {
    wb(0, 0xFFFFFE03, 0x5C);
    EXPECT_EQ(rb(1, 0xFFFFFE05), 0x5Cu);
    EXPECT_EQ(rb(1, 0xFFFFFE04) & 0x40, 0x40u);
    EXPECT_EQ(cpu(1).irq_pending, kSh2IrqSerial);
    EXPECT_EQ(cpu(1).irq_check, 1);
    EXPECT_EQ(cpu(0).irq_pending, 0u);
    wb(1, 0xFFFFFE04, 0xBF);  // clears RDRF only
    EXPECT_EQ(rb(1, 0xFFFFFE04), 0x84u);
}

}  // namespace
}  // namespace varn::test
