// The earlier machine's frame: its timing, the line and frame events, the frame copy with
// its scan-line masks, and the reboot.

#include <vector>

#include "genesis/runtime/scheduler.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp_render.h"
#include "legacy_machine_support.h"
#include "media/image_loader.h"
#include "runtime/machine_table.h"
#include "runtime/pacing.h"

namespace varn::test {
namespace {

class LegacyFrameTest : public LegacyMachineFixture {
  protected:
    void SetUp() override {
        LegacyMachineFixture::SetUp();
        emu_set_host(nullptr);
        frame_skip_select(0);  // every frame drawn, no pacing
        scheduler_reset_all();
        // A cartridge that loops on itself: stack at 0xFFFE00, code at 0x200.
        put_long(0, 0x00FFFE00);
        put_long(4, 0x00000200);
        put_words(0x200, {0x60FE});
        image_loader.image_size = 0x400;
        machine_kind            = kMachineGenesis;
        genesis_power_on_machine_v024();
        scheduler_reset();
    }
    void TearDown() override {
        frame_skip_select(kFrameSkipAuto);
        emu_thread_target.store(nullptr);
        LegacyMachineFixture::TearDown();
    }
};

TEST_F(LegacyFrameTest, FrameIs2752SlicesAnd224LinesDrawn) {
    EXPECT_EQ(m68k_context_v024.status, 0u);
    EXPECT_EQ(m68k_context_v024.pc, 0x200u);
    vdp_write_register(1, 0x44);  // display on
    std::fill(vdp_line_buffer.begin(), vdp_line_buffer.end(), u8{0xEE});
    const RunStats before = run_stats;
    ASSERT_EQ(run_frame_v024(), FrameResult::kFrameEnd);
    EXPECT_EQ(run_stats.slices - before.slices, kSlicesPerFrame);
    EXPECT_EQ(run_stats.frames - before.frames, 1u);
    EXPECT_EQ(run_stats.samples, before.samples);  // no sound
    for (u32 row = 0; row < 224; ++row) {
        EXPECT_NE(vdp_line_buffer[row * kLineBufferPitch + 100], 0xEE) << row;
    }
    EXPECT_EQ(vdp_line_buffer[224 * kLineBufferPitch + 100], 0xEE);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(run_frame_v024(), FrameResult::kFrameEnd);
    EXPECT_EQ(run_stats.slices - before.slices, 4 * kSlicesPerFrame);
}

TEST_F(LegacyFrameTest, InterruptEventsOfTheFrame) {
    // The frame end raises level 6 only with register 1 bit 5; the interrupt mask of the
    // reset SR keeps it pending until the lapse at the next line's start.
    vdp_write_register(10, 0x20);
    ASSERT_EQ(run_frame_v024(), FrameResult::kFrameEnd);
    EXPECT_EQ(m68k_context_v024.irq_pending & 0x40, 0u);
    vdp_write_register(1, 0x24);
    ASSERT_EQ(run_frame_v024(), FrameResult::kFrameEnd);
    EXPECT_EQ(m68k_context_v024.irq_pending & 0x40, 0x40u);
    EXPECT_EQ(vdp_control_state.hint_counter, 0);  // cleared by the V-interrupt
    EXPECT_FALSE(vdp_control_state.odd_field);     // no field toggle
    EXPECT_EQ(z80_context_v024.irq_lines, 0);      // and no Z80 interrupt
    m68k_set_irq_v024(m68k_context_v024, 4);
    m68k_set_irq_v024(m68k_context_v024, 2);
    m68k_irq_lapse_v024();
    EXPECT_EQ(m68k_context_v024.irq_pending, 0x04);
}

TEST_F(LegacyFrameTest, HaltsEndTheFrame) {
    put_words(0x200, {0xA000});  // line A: no handler in the older table
    genesis_power_on_machine_v024();
    emu_thread_target.store(genesis_run_entry_v024);
    EXPECT_EQ(run_frame_v024(), FrameResult::kHalted);
    EXPECT_EQ(emu_thread_target.load(), nullptr);
    EXPECT_STREQ(machine_record(kMachineGenesis)->halt_text(), "the 68000 halted");
    clear_cpu_halts_v024();
    EXPECT_EQ(m68k_context_v024.status, 0u);
}

TEST_F(LegacyFrameTest, FrameCopyWithScanlineMasks) {
    colour_lut[1] = 0xFFFF;
    colour_lut[2] = 0x8421;
    for (u32 row = 0; row < 224; ++row) {
        for (u32 x = 0; x < 320; ++x) vdp_line_buffer[row * kLineBufferPitch + x] = x < 160 ? 1 : 2;
    }
    std::vector<u16> pixels(640 * 448);
    const FrameSurface surface{pixels.data(), 640, 640, 448, 0, 0};

    render_mode_replace(~0u, 0);
    frame_copy_v024(surface);
    EXPECT_EQ(pixels[0], 0xFFFF);
    EXPECT_EQ(pixels[319], 0x8421);
    EXPECT_EQ(pixels[320], 0);  // a normal copy is 320 wide

    struct Case {
        u32 scanlines;
        u16 second_white, second_other;
    };
    render_mode_replace(~0u, 4);  // doubled
    for (const Case& c : {Case{0, 0xFFFF, 0x8421}, Case{1, 0x7BCF, 0x4200}, Case{2, 0, 0}}) {
        SCOPED_TRACE(c.scanlines);
        scanline_masks_v024 = scanline_masks_for_v024(c.scanlines);
        frame_copy_v024(surface);
        for (const u32 row : {0u, 2u, 222u, 446u}) {
            EXPECT_EQ(pixels[row * 640 + 0], 0xFFFF);
            EXPECT_EQ(pixels[row * 640 + 1], 0xFFFF);  // each index twice
            EXPECT_EQ(pixels[row * 640 + 639], 0x8421);
            EXPECT_EQ(pixels[(row + 1) * 640 + 5], c.second_white);
            EXPECT_EQ(pixels[(row + 1) * 640 + 600], c.second_other);
        }
    }
    // A surface smaller than the picture is written only within its bounds.
    std::vector<u16> small(100 * 10, 0x1234);
    frame_copy_v024(FrameSurface{small.data(), 100, 100, 10, 0, 0});
    EXPECT_EQ(small[99], 0xFFFF);
    render_mode_replace(~0u, 0);
    frame_copy_v024(FrameSurface{small.data(), 100, 100, 10, 90, 5});
    EXPECT_EQ(small[5 * 100 + 90], 0xFFFF);
}

TEST_F(LegacyFrameTest, RebootPowersOnTheMachineInMemory) {
    m68k_ram[0x100] = 0x55;
    cart_rom[0x300] = 0x66;  // the image in memory is kept
    render_mode_replace(~0u, 0x3C);
    emu_thread_target.store(nullptr);
    emu_reboot_sequence_v024();
    EXPECT_EQ(m68k_ram[0x100], 0);
    EXPECT_EQ(cart_rom[0x300], 0x66);
    EXPECT_EQ(render_mode_load(), 4u);  // only the doubled-output bit survives
    EXPECT_EQ(emu_thread_target.load(), genesis_run_entry_v024);
    EXPECT_EQ(m68k_context_v024.pc, 0x200u);

    // Another system code powers nothing on.
    emu_thread_target.store(nullptr);
    m68k_ram[0x100]  = 0x55;
    system_code_v024 = kMachineSms;
    emu_reboot_sequence_v024();
    EXPECT_EQ(m68k_ram[0x100], 0x55);
    EXPECT_EQ(emu_thread_target.load(), nullptr);
}

}  // namespace
}  // namespace varn::test
