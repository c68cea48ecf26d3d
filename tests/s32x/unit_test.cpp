// The 32X unit: the system registers from both sides, the FIFO, interrupt merges, the boot
// from the cartridge header, the VDP, palette, frame buffers and the PWM timer.

#include <vector>

#include "base/config.h"
#include "base/endian.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"
#include "runtime/machine_table.h"
#include "s32x/s32x_test_support.h"

namespace varn::test {
namespace {

using UnitTest = S32xTest;

TEST_F(UnitTest, AdapterRegisterShowsEachCoresMaskAndTheMachine) {
    ww(0, 0x20004000, 0x8003);              // FM on, master mask PWM + CMD
    ww(1, 0x00004000, 0x000C);              // FM off, slave mask H + V
    EXPECT_EQ(rw(0, 0x20004000), 0x0203u);  // ADEN always, CART 0 on a cartridge machine
    EXPECT_EQ(rw(1, 0x20004000), 0x020Cu);
    EXPECT_EQ(s32x_regs.enable[0][kS32xEnCmd], 0xFFFF);
    EXPECT_EQ(s32x_regs.enable[0][kS32xEnH], 0);
    EXPECT_EQ(s32x_regs.enable[1][kS32xEnV], 0xFFFF);
    machine_kind = kMachineSegaCd;
    EXPECT_EQ(rw(0, 0x20004000), 0x0303u);
    EXPECT_EQ(rw(0, 0x4002), 0x4002u);
}

TEST_F(UnitTest, RegistersAsWrittenFromEitherSide) {
    struct Case {
        u32 sh2_offset;
        u16 written;
        u16 read;
    };
    const Case cases[] = {
        {0x08, 0x12FF, 0x00FF},                          // DREQ source high: 8 bits
        {0x0A, 0x1235, 0x1234},                          // DREQ source low: bit 0 cleared
        {0x0C, 0xAB12, 0x0012},                          // DREQ destination high
        {0x0E, 0x1235, 0x1235}, {0x10, 0x0107, 0x0104},  // DREQ length: bits 0-1 cleared
        {0x1A, 0xBEEF, 0xBEEF},                          // interrupt clear words stored
        {0x3C, 0x1234, 0x0000},                          // unmapped
    };
    for (const auto& c : cases) {
        ww(0, 0x4000 + c.sh2_offset, c.written);
        EXPECT_EQ(rw(1, 0x4000 + c.sh2_offset), c.read) << std::hex << c.sh2_offset;
    }
    // The communication words: the 68000 writes, both SH-2s read, and back.
    m68k_ww(0xA15120, 0x4D5F);
    m68k_wb(0xA15123, 0x4B);
    EXPECT_EQ(rw(0, 0x4020), 0x4D5Fu);
    EXPECT_EQ(rb(1, 0x4023), 0x4Bu);
    wl(1, 0x402C, 0x11223344);
    EXPECT_EQ(m68k_rw(0xA1512C), 0x1122u);
    EXPECT_EQ(m68k_rb(0xA1512F), 0x44u);
    // Bytes not answered read 0; bytes written where nothing listens change nothing.
    EXPECT_EQ(rb(0, 0x4009), 0u);
    wb(0, 0x4010, 0xFF);
    EXPECT_EQ(rw(0, 0x4010), 0x0104u);
    // The 68000's word write of the source high byte takes bits 16-23 only.
    m68k_ww(0xA15108, 0xFF56);
    EXPECT_EQ(rw(0, 0x4008), 0x0056u);
    // Undecoded 68000 addresses answer with the address.
    EXPECT_EQ(m68k_rw(0xA15000), 0xA15000u & 0xFFFFFF);
}

TEST_F(UnitTest, FifoHoldsEightWordsAndTheShReadTakesTheOldest) {
    m68k_wb(0xA15107, 0x04);  // restart: empty
    EXPECT_EQ(m68k_rb(0xA15107) & 0x80, 0u);
    ww(0, 0x4010, 100);
    for (u16 w = 1; w <= 9; ++w) m68k_ww(0xA15112, w);
    EXPECT_EQ(s32x_regs.fifo_fill, 8);
    EXPECT_EQ(m68k_rb(0xA15107) & 0x80, 0x80u);                // full
    for (u16 w = 1; w <= 8; ++w) EXPECT_EQ(rw(0, 0x4012), w);  // the ninth word was lost
    EXPECT_EQ(rw(0, 0x4012), 0u);                              // empty: 0
    EXPECT_EQ(rw(0, 0x4010), 100u - 9);
    // A control write with bit 7 set marks it full; the counts never leave the storage.
    wb(1, 0x4007, 0x80);
    EXPECT_EQ(s32x_regs.fifo_fill, 8);
    EXPECT_EQ(s32x_regs.fifo_free, 0);
}

TEST_F(UnitTest, LineFrameAndCommandMergesFollowEachCoresMask) {
    ww(0, 0x4000, 0x8004);  // master: H only
    ww(1, 0x4000, 0x800A);  // slave: V and CMD
    cpu(0).irq_check = cpu(1).irq_check = 0;
    s32x_hint_line();
    EXPECT_EQ(cpu(0).irq_pending, kSh2IrqHBlank);
    EXPECT_EQ(cpu(0).irq_check, 1);
    EXPECT_EQ(cpu(1).irq_pending, 0u);
    EXPECT_EQ(cpu(1).irq_check, 0);  // left as it was
    s32x_vint_frame();
    EXPECT_EQ(cpu(1).irq_pending, kSh2IrqVBlank);
    m68k_wb(0xA15103, 0x03);  // command to both: only the slave listens
    EXPECT_EQ(cpu(0).irq_pending & kSh2IrqCommand, 0u);
    EXPECT_EQ(cpu(1).irq_pending & kSh2IrqCommand, kSh2IrqCommand);
    // Clear registers are stored only: the request stays until it is taken.
    ww(1, 0x401A, 0);
    EXPECT_EQ(cpu(1).irq_pending & kSh2IrqCommand, kSh2IrqCommand);
    sh2_command_irq_taken(1);
    EXPECT_EQ(m68k_rb(0xA15103), 0x01u);
}

TEST_F(UnitTest, PwmTimerInterruptCadenceAndQueues) {
    ww(0, 0x4000, 0x8001);  // master listens to PWM
    struct Case {
        u16 ctrl;
        u16 cycle;
        u32 runs;
        u32 interrupts;
    };
    const Case cases[] = {
        {0x0005, 0, 6, 6},    // cycle 0: every run a period, TM 0: an interrupt each
        {0x0205, 0, 6, 2},    // TM 2: every third period
        {0x0000, 0, 6, 0},    // channel bits 0: the timer runs, nothing is raised
        {0x0001, 278, 8, 4},  // a period every second run
    };
    for (const auto& c : cases) {
        s32x_pwm_regs_clear();
        ww(0, 0x4030, c.ctrl);
        ww(0, 0x4032, c.cycle);
        u32 seen = 0;
        for (u32 i = 0; i < c.runs; ++i) {
            cpu(0).irq_pending = 0;
            s32x_pwm_line();
            if (cpu(0).irq_pending & kSh2IrqPwm) ++seen;
        }
        EXPECT_EQ(seen, c.interrupts) << std::hex << c.ctrl << " " << c.cycle;
    }
    // Mono words enter both queues; the ninth is lost.
    s32x_pwm_regs_clear();
    for (u32 i = 1; i <= 9; ++i) ww(1, 0x4038, i);
    for (const u32 reg : {0x4034u, 0x4036u, 0x4038u}) EXPECT_EQ(rw(0, reg), 0x8000u) << reg;
    ww(0, 0x4032, 0);
    for (u32 i = 0; i < 8; ++i) s32x_pwm_line();
    EXPECT_EQ(rw(0, 0x4038), 0x4000u);  // drained at one word a period
    EXPECT_EQ(s32x_regs.pwm_out_left, 8u);
    EXPECT_EQ(s32x_regs.pwm_out_right, 8u);

    // Both channels filled a long word at a time: the mono register reads full with them, so
    // a program that fills until it reads full leaves its loop. One channel full alone: the
    // mono register reads full too (half of a mono word would be lost), and not empty.
    s32x_pwm_regs_clear();
    for (u32 i = 0; i < 8; ++i) wl(1, 0x4034, 0x00010002);
    EXPECT_EQ(rw(0, 0x4038), 0x8000u);
    s32x_pwm_regs_clear();
    for (u32 i = 0; i < 8; ++i) ww(1, 0x4034, 1);
    EXPECT_EQ(rw(0, 0x4034), 0x8000u);
    EXPECT_EQ(rw(0, 0x4036), 0x4000u);
    EXPECT_EQ(rw(0, 0x4038), 0x8000u);
    ww(1, 0x4038, 2);  // reaches the right queue only
    EXPECT_EQ(rw(0, 0x4036), 0x0000u);
    EXPECT_EQ(rw(0, 0x4034), 0x8000u);

    // The word leaving a queue drives its output: the middle of the cycle is silence, a
    // longer pulse a positive level; mono feeds both outputs.
    struct Level {
        u16 width;
        int sign;
    };
    for (const Level l : {Level{50, 0}, Level{100, 1}, Level{1, -1}}) {
        s32x_pwm_regs_clear();
        ww(0, 0x4032, 100);
        ww(0, 0x4038, l.width);
        s32x_pwm_line();
        s16 sample = 0;
        s32x_pwm_sample(&sample);
        EXPECT_EQ((sample > 0) - (sample < 0), l.sign) << l.width;
        // Sound > Enable > All off: the same pulse adds nothing.
        cfg_set(sound_output_mask, 0);
        sample = 0;
        s32x_pwm_sample(&sample);
        EXPECT_EQ(sample, 0) << l.width;
        cfg_set(sound_output_mask, 0xFFFFFFFF);
    }
    // A width held, as a driver idles, fades to silence: the output passes no constant level.
    s16 sample = 0;
    for (u32 i = 0; i < 20000; ++i) {
        sample = 0;
        s32x_pwm_sample(&sample);
    }
    EXPECT_EQ(sample, 0);
}

TEST_F(UnitTest, FillWrapsInItsBlockAndFrameBufferSwapsAtOnce) {
    // The fill reaches the buffer not displayed (SH-2 0x04000000).
    ww(0, 0x4104, 0x00FF);
    ww(0, 0x4106, 0x0310);
    ww(0, 0x4108, 0xABCD);
    EXPECT_EQ(rw(0, 0x4106), 0x0310u);  // 256 words: back where it began
    EXPECT_EQ(rw(0, 0x04000000 + 0x300 * 2), 0xABCDu);
    EXPECT_EQ(rw(0, 0x04000000 + 0x3FF * 2), 0xABCDu);
    EXPECT_EQ(rw(0, 0x04000000 + 0x400 * 2), 0u);
    ww(0, 0x4104, 1);
    ww(0, 0x4106, 0x05FF);
    ww(1, 0x4108, 0x1111);
    EXPECT_EQ(rw(0, 0x04000000 + 0x5FF * 2), 0x1111u);
    EXPECT_EQ(rw(0, 0x04000000 + 0x500 * 2), 0x1111u);
    EXPECT_EQ(rw(0, 0x4106), 0x0501u);

    // Bit 0 of the frame-buffer control shows the filled buffer at once.
    ww(0, 0x410A, 1);
    EXPECT_EQ(rw(0, 0x410A) & 1, 1u);
    EXPECT_EQ(rw(0, 0x04000000 + 0x300 * 2), 0u);  // the SH-2s reach the other one now
    EXPECT_EQ(m68k_rb(0xA1518B) & 1, 1u);
    EXPECT_EQ(s32x_composite_source.frame_buffer,
              reinterpret_cast<const u16*>(s32x_frame_buffers.data() + kS32xFrameBufferSize));
    // The 68000 selects it back; the frame's select is taken again at the frame's end.
    m68k_wb(0xA1518B, 0);
    EXPECT_EQ(rw(0, 0x04000000 + 0x300 * 2), 0xABCDu);
}

TEST_F(UnitTest, BitmapModeSetsTheRenderModeAndPaletteIsShared) {
    render_mode = 4;
    ww(0, 0x4100, 0x0081);  // packed pixel with priority
    EXPECT_EQ(render_mode, 4u | 0x10 | 0x08);
    m68k_wb(0xA15181, 0x80);  // mode 0: no priority either
    EXPECT_EQ(render_mode, 4u);
    EXPECT_EQ(rw(0, 0x4100) & 0x8000, 0x8000u);  // a 60 Hz console
    render_mode = 0;

    m68k_ww(0xA15202, 0x801F);
    EXPECT_EQ(rw(1, 0x4202), 0x801Fu);
    ww(0, 0x4204, 0x03E0);
    EXPECT_EQ(m68k_rw(0xA15204), 0x03E0u);
    s32x_palette_refresh();
    EXPECT_EQ(s32x_palette_host[1], s32x_colour_to_host(0x001F));
    EXPECT_EQ(s32x_palette_host[2], s32x_colour_to_host(0x03E0));
}

// ---- boot from the cartridge header ----

void put_header(u32 source, u32 dest, u32 size) {
    store_be32(&cart_rom[0x3D4], source);
    store_be32(&cart_rom[0x3D8], dest);
    store_be32(&cart_rom[0x3DC], size);
    store_be32(&cart_rom[0x3E0], 0x06000100);  // master entry
    store_be32(&cart_rom[0x3E4], 0x06000200);  // slave entry
    store_be32(&cart_rom[0x3E8], 0x06000000);  // master VBR
    store_be32(&cart_rom[0x3EC], 0x06000400);  // slave VBR
}

TEST_F(UnitTest, BootCopyIsBoundedBySizeSdramAndImage) {
    struct Case {
        u32 source, dest, size, image;
        u32 copied;  // bytes that reach SDRAM
    };
    const Case cases[] = {
        {0x800, 0x06000000, 0x100, 0x100000, 0x100},
        {0x06000000, 0x06000000, 0x100, 0x100000, 0},        // no copy
        {0x800, 0x06000000, 3, 0x100000, 0},                 // below a long word
        {0x800, 0x06000000, 6, 0x100000, 4},                 // rounded down
        {0x800, 0x06001000, 0x10, 0x100000, 0x10},           // destination ignored
        {0x800, 0x06000000, 0x01000000, 0x100000, 0x40000},  // at most SDRAM
        {0xFFF00, 0x06000000, 0x400, 0x100000, 0x100},       // at most what the image holds
        {0x200000, 0x06000000, 0x400, 0x100000, 0},          // past the image
        {0xFFFFFFF0, 0x06000000, 0x400, 0x100000, 0},        // past the cartridge area
    };
    for (const auto& c : cases) {
        std::fill(cart_rom.begin(), cart_rom.end(), u8{0x5A});
        std::fill(s32x_sdram.begin(), s32x_sdram.end(), u8{0});
        put_header(c.source, c.dest, c.size);
        sh2_set_cart_size(c.image);
        s32x_boot_sh2_program();
        const auto end = std::find(s32x_sdram.begin(), s32x_sdram.end(), u8{0});
        EXPECT_EQ(static_cast<u32>(end - s32x_sdram.begin()), c.copied)
            << std::hex << c.source << " " << c.size;
    }
}

TEST_F(UnitTest, BootStartsBothCoresAndLeavesTheSystemRomsTraces) {
    put_header(0x800, 0x06000000, 0x1000);
    store_be16(&cart_rom[0x18E], 0xC0DE);
    store_be32(&cart_rom[0x804], 0x0603FFF0);  // master stack at VBR + 4
    sh2_set_cart_size(0x10000);
    m68k_wb(0xA15101, 0x83);
    EXPECT_TRUE(s32x_running());
    EXPECT_EQ(cpu(0).pc, 0x06000100u);
    EXPECT_EQ(cpu(0).r[15], 0x0603FFF0u);
    EXPECT_EQ(cpu(1).pc, 0x06000200u);
    EXPECT_EQ(cpu(1).vbr, 0x06000400u);
    EXPECT_EQ(rl(0, 0x4020), 0x4D5F4F4Bu);  // "M_OK"
    EXPECT_EQ(rl(0, 0x4024), 0x535F4F4Bu);  // "S_OK"
    EXPECT_EQ(rw(1, 0x4028), 0xC0DEu);
    // The cores stay in reset until the 68000 writes the checksum word back.
    const u32 held = kSh2StatusHeld;
    EXPECT_EQ(cpu(0).status & held, held);
    EXPECT_EQ(cpu(1).status & held, held);
    m68k_wb(0xA15120, 0);  // another word starts nothing
    EXPECT_EQ(cpu(1).status & held, held);
    m68k_ww(0xA15128, 0);
    EXPECT_EQ(cpu(0).status & held, 0u);
    EXPECT_EQ(cpu(1).status & held, 0u);
    EXPECT_EQ(load_be32(&s32x_m68k_bios[4]), 0x00880200u);
    EXPECT_EQ(load_be32(&s32x_m68k_bios[8]), 0x00880206u);
    EXPECT_EQ(load_be32(&s32x_m68k_bios[47 * 4]), 0x00880200u + 6 * 46);
    EXPECT_EQ(load_be16(&s32x_m68k_bios[0xC0]), 0x4E75u);
    EXPECT_EQ(load_be16(&s32x_m68k_bios[0xD2]), 0x4E75u);
    // A second release while running boots nothing again.
    cpu(0).pc = 0x06000180;
    m68k_wb(0xA15101, 0x83);
    EXPECT_EQ(cpu(0).pc, 0x06000180u);
}

TEST_F(UnitTest, HeaderBootedCoresWaitInResetWithoutHoldingTheChain) {
    put_header(0x800, 0x06000000, 0x1000);
    sh2_set_cart_size(0x10000);
    m68k_wb(0xA15101, 0x83);
    const u32 pc = cpu(0).pc;
    sh2_run_slice();
    EXPECT_EQ(cpu(0).pc, pc);             // no instruction ran
    EXPECT_EQ(s32x_regs.pwm_acc, 0x8Bu);  // the chain went on to the PWM timer
    // A start code that never writes the checksum word back gets the cores after 30 frames.
    for (u32 f = 0; f < 29; ++f) s32x_vint_frame();
    EXPECT_EQ(cpu(1).status & kSh2StatusHeld, kSh2StatusHeld);
    s32x_vint_frame();
    EXPECT_EQ(cpu(0).status & kSh2StatusHeld, 0u);
    EXPECT_EQ(cpu(1).status & kSh2StatusHeld, 0u);
}

TEST_F(UnitTest, MachineWithoutA32xLeavesTheSlotsUnbound) {
    s32x_set_fitted(false);
    s32x_reset();
    EXPECT_EQ(frame_slots.s32x_slice, nullptr);
    EXPECT_EQ(frame_slots.s32x_hint_line, nullptr);
    EXPECT_EQ(m68k_rw(0xA15120), 0xA15120u & 0xFFFFFF);  // the bare console's answer
    m68k_wb(0xA15101, 0x03);
    EXPECT_FALSE(s32x_running());
}

}  // namespace
}  // namespace varn::test
