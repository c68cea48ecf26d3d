// The Master System machine: region choice, the VDP's line and frame interrupts with the
// pause button, code running from paged memory, and the frame loop's shape and sound.

#include "memory/memory.h"
#include "runtime/pacing.h"
#include "runtime/sound_output.h"
#include "runtime/thread_link.h"
#include "sms/sms_bus.h"
#include "sms/sms_psg.h"
#include "sms/sms_vdp.h"
#include "sms_fixture.h"
#include "support/test_files.h"

namespace varn::test {
namespace {

using SmsMachineTest = SmsTest;

TEST_F(SmsMachineTest, RegionFromTheLastHeaderByte) {
    struct Case {
        u32 order;
        u8 byte;
        u32 region;
    };
    const Case cases[] = {
        {0, 0x4C, kRegionUsa},   {0, 0x3C, kRegionJapan}, {2, 0x4C, kRegionEurope},
        {4, 0x4C, kRegionJapan}, {1, 0x00, kRegionJapan}, {3, 0x40, kRegionEurope},
    };
    for (const Case& c : cases) {
        cfg_set(cfg_region_order, c.order);
        cart_rom[0x7FFF] = c.byte;
        EXPECT_EQ(sms_region_select(), c.region) << c.order << " " << std::hex << +c.byte;
        EXPECT_EQ(region.scd_region, c.region);
        EXPECT_EQ(region.pal_flag, c.region == kRegionEurope ? 1u : 0u);
        EXPECT_EQ(region.overseas_flag, c.region == kRegionJapan ? 0u : 1u);
    }
}

TEST_F(SmsMachineTest, LineCounterRaisesEveryReloadPlusOneLines) {
    for (u8 reload : {u8{0}, u8{2}, u8{9}}) {
        sms_vdp_register_write(0, 0x10);
        sms_vdp_register_write(10, reload);
        sms_vdp_line_counter_reload();
        std::vector<u32> raised;
        for (u32 line = 0; line < 24; ++line) {
            sms_z80_context.irq_lines = 0;
            sms_vdp_line_counter_step();
            if (sms_z80_context.irq_lines & kZ80LineIrq) {
                EXPECT_NE(sms_z80_context.irq_check, 0);
                EXPECT_NE(sms_vdp.status & kSmsStatusLine, 0);
                raised.push_back(line);
            }
        }
        ASSERT_FALSE(raised.empty());
        for (std::size_t i = 0; i < raised.size(); ++i)
            EXPECT_EQ(raised[i], reload + i * (reload + 1u));
    }
    // Without the enable the status bit is set but no line is raised.
    sms_vdp_register_write(0, 0x00);
    sms_vdp_register_write(10, 0);
    sms_vdp_line_counter_reload();
    sms_vdp.status            = 0;
    sms_z80_context.irq_lines = 0;
    sms_vdp_line_counter_step();
    EXPECT_EQ(sms_vdp.status, kSmsStatusLine);
    EXPECT_EQ(sms_z80_context.irq_lines, 0);
    EXPECT_EQ(sms_z80_context.irq_check, 0);
}

TEST_F(SmsMachineTest, InterruptProgramCountsLinesFramesAndPauses) {
    boot_program(read_program("sms_irq"));
    const auto word = [](u32 a) { return sms_work_ram()[a] | (sms_work_ram()[a + 1] << 8); };
    run_frames(3);
    // The first frame end's interrupt is taken in the next frame's first slice.
    EXPECT_EQ(word(0x0000), 2);
    // Lines 2, 5, ... 221 of the 224: 74 a frame (the first frame's before the program's
    // set-up included or not, so at least two frames' worth).
    EXPECT_GE(word(0x0002), 2 * 74);
    EXPECT_LE(word(0x0002), 3 * 74);
    const int lines_before = word(0x0002);
    run_frames(1);
    EXPECT_EQ(word(0x0002) - lines_before, 74);
    EXPECT_EQ(sms_work_ram()[4], 0);

    // Start held for three frames is one pause; released and pressed again, another.
    pad_th_low = 0x1F;
    run_frames(3);
    EXPECT_EQ(sms_work_ram()[4], 1);
    pad_th_low = 0x3F;
    run_frames(1);
    pad_th_low = 0x1F;
    run_frames(3);  // seen at the second frame end, taken in the third frame
    EXPECT_EQ(sms_work_ram()[4], 2);
    EXPECT_FALSE(sms_z80_is_stopped());
}

// Code that switches the page under itself runs on in the new page, and a call into
// cartridge RAM runs the RAM's code.
TEST_F(SmsMachineTest, CodeFollowsTheMapper) {
    // At 0x4000 of page 1: switch slot 1 to page 3, whose 0x4005 stores 0x33 at 0xC000.
    const u8 page1[]    = {0x3E, 0x03, 0x32, 0xFE, 0xFF, 0x76};  // ld a,3; ld (fffe),a; halt
    const u8 page3[]    = {0x3E, 0x03, 0x32, 0xFE, 0xFF,         // the same switch
                           0x3E, 0x33, 0x32, 0x00, 0xC0,         // ld a,33h; ld (c000),a
                           0x3E, 0x08, 0x32, 0xFC, 0xFF,         // RAM in slot 2
                           0xCD, 0x00, 0x80,                     // call 8000h
                           0x18, 0xFE};                          // jr $
    const u8 ram_code[] = {0x3E, 0x44, 0x32, 0x01, 0xC0, 0xC9};  // ld a,44h; ld (c001),a; ret
    const u8 start[]    = {0xF3, 0xC3, 0x00, 0x40};              // di; jp 4000h
    std::copy(std::begin(start), std::end(start), cart_rom.begin());
    std::copy(std::begin(page1), std::end(page1), cart_rom.begin() + 0x4000);
    std::copy(std::begin(page3), std::end(page3), cart_rom.begin() + 0xC000);
    std::copy(std::begin(ram_code), std::end(ram_code), cart_sram);
    sms_power_on_machine();
    scheduler_reset();
    run_frames(1);
    EXPECT_FALSE(sms_z80_is_stopped());
    EXPECT_EQ(sms_work_ram()[0], 0x33);
    EXPECT_EQ(sms_work_ram()[1], 0x44);
    EXPECT_FALSE(sms_z80_context.halted);
}

TEST_F(SmsMachineTest, UndefinedOpcodeStopsTheMachine) {
    const u8 program[] = {0xED, 0x00};  // no such instruction
    std::copy(std::begin(program), std::end(program), cart_rom.begin());
    sms_power_on();
    EXPECT_EQ(emu_thread_target.load(), &sms_run_entry);
    scheduler_reset();
    EXPECT_EQ(sms_run_frame(), FrameResult::kHalted);
    EXPECT_TRUE(sms_z80_is_stopped());
    EXPECT_EQ(emu_thread_target.load(), nullptr);
    emu_clear_cpu_halts();
    EXPECT_FALSE(sms_z80_is_stopped());
}

TEST_F(SmsMachineTest, FrameShapeAndSoundAlsoInFastForward) {
    const u8 program[] = {0x18, 0xFE};  // jr $
    std::copy(std::begin(program), std::end(program), cart_rom.begin());
    sms_power_on_machine();
    scheduler_reset();
    std::vector<u32> per_frame;
    sound_log_slot = [](const s16*, u32) {};
    run_frames(1);  // the sample clock starts at 0: the first frame is one sample short
    for (int i = 0; i < 3; ++i) {
        const u64 samples = run_stats.samples, slices = run_stats.slices;
        run_frames(1);
        EXPECT_EQ(run_stats.slices - slices, kSlicesPerFrame);
        per_frame.push_back(static_cast<u32>(run_stats.samples - samples));
    }
    EXPECT_EQ(per_frame, (std::vector<u32>{735, 735, 735}));
    emu_fast_forward_on();
    const u64 samples = run_stats.samples;
    run_frames(1);
    EXPECT_EQ(run_stats.samples - samples, 735u);
    emu_fast_forward_off();
    sound_log_slot = nullptr;
    EXPECT_EQ(sound_frame.sound_write_pos, 0u);  // each frame's samples are consumed
}

TEST_F(SmsMachineTest, SystemRomLoaderKeepsWhatAShortFileDoesNotCover) {
    sms_bios.fill(0xEE);
    const std::vector<u8> short_image(100, 0x11);
    sms_bios_store(short_image);
    EXPECT_EQ(sms_bios[99], 0x11);
    EXPECT_EQ(sms_bios[100], 0xEE);
    const std::vector<u8> long_image(0x3000, 0x22);
    sms_bios_store(long_image);
    EXPECT_EQ(sms_bios[kSmsBiosSize - 1], 0x22);
    EXPECT_FALSE(sms_bios_load("/nonexistent/SMS_BIOS_U.BIN"));
    EXPECT_EQ(sms_bios[0], 0x22);
}

}  // namespace
}  // namespace varn::test
