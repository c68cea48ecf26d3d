// The Sega CD unit: power-on, the sub-CPU's bus and the gate array, tick and timers, PCM,
// the backup-RAM formatters; and an assembled test BIOS running on both 68000s.

#include <gtest/gtest.h>

#include <algorithm>

#include "genesis/bus/save_ram.h"
#include "m68k/m68k_bus.h"
#include "runtime/sound_options.h"
#include "segacd/segacd.h"
#include "segacd_fixture.h"

namespace varn::test {
namespace {

TEST_F(SegaCdTest, PowerOnClearsTheUnitAndHoldsTheSubCpu) {
    scd_bios[0x130] = 0x53;
    scd_bios[0x18E] = 0xAB;
    scd_bios[0x18F] = 0xCD;
    scd_prg_ram[5]  = 1;
    scd_wave_ram[9] = 1;
    boot_blank();
    EXPECT_EQ(scd_bios_identity[0], 0x53);
    EXPECT_EQ(scd_bios_identity[32], 0xAB);
    EXPECT_EQ(scd_bios_identity[33], 0xCD);
    EXPECT_EQ(scd_prg_ram[5], 0);
    EXPECT_EQ(scd_wave_ram[9], 0);
    EXPECT_EQ(scd_ga.run_state, 0);
    for (u32 i = 0; i < 9; ++i) EXPECT_EQ(s68k_read_byte(0xFF8038 + i), 0u) << i;
    EXPECT_EQ(s68k_read_byte(0xFF8041), 0x0Fu);
    EXPECT_EQ(scd_fill_page[0], 4);
    EXPECT_EQ(scd_fill_page[3], 1);
    EXPECT_EQ(scd_fill_page[0xFFF], 1);
    // Held in reset: no tick, so no stopwatch, PCM or timer.
    for (int f = 0; f < 2; ++f) run_frame();
    EXPECT_EQ(scd_ga.stopwatch, 0u);
}

TEST_F(SegaCdTest, MainCpuStartsTheSubCpuOnce) {
    boot_blank();
    idle_sub_program();
    m68k_write_byte(0xA12001, 0x01);
    EXPECT_EQ(scd_ga.run_state, 1);
    EXPECT_EQ(s68k_context.pc, 0x100u);
    EXPECT_EQ(m68k_read_byte(0xA12001) & 1, 1u);
    s68k_context.regs[kM68kA7] = 0x1234;  // a second start would reload it
    m68k_write_byte(0xA12001, 0x01);
    m68k_write_byte(0xA12001, 0x00);
    m68k_write_byte(0xA12001, 0x03);
    EXPECT_EQ(s68k_context.regs[kM68kA7], 0x1234u);
    EXPECT_EQ(scd_ga.bus_request, 1);
}

TEST_F(SegaCdTest, DiscRegionFollowsTheMarkAndTheOrder) {
    struct Case {
        u8 mark;
        u32 order;
        u32 region, pal, overseas;
    };
    const Case cases[] = {
        {0x7A, 0, kRegionUsa, 0, 1},    {0x64, 0, kRegionEurope, 1, 1},
        {0xA1, 0, kRegionJapan, 0, 0},  {0x00, 4, kRegionJapan, 0, 0},
        {0x00, 2, kRegionEurope, 1, 1}, {0x64, 4, kRegionEurope, 1, 1},
    };
    std::vector<u8> sector(2048, 0);
    for (const Case& c : cases) {
        cfg_set(cfg_region_order, c.order);
        sector[0x20B] = c.mark;
        EXPECT_EQ(scd_detect_disc_region(sector), c.region) << int{c.mark} << " " << c.order;
        EXPECT_EQ(region.pal_flag, c.pal);
        EXPECT_EQ(region.overseas_flag, c.overseas);
    }
    cfg_set(cfg_region_order, 4);
    EXPECT_EQ(scd_detect_disc_region({}), kRegionJapan);  // a short sector matches nothing
}

TEST_F(SegaCdTest, SubBusMemoriesAndUnmappedSpace) {
    boot_blank();
    EXPECT_EQ(s68k_read_word(0x0E1234), 0x1234u);
    EXPECT_EQ(s68k_read_long(0x0E1234), 0x0E1234u);
    s68k_write_word(0x0E1234, 0xFFFF);
    EXPECT_EQ(s68k_read_byte(0x0E1235), 0x35u);
    s68k_write_long(0x001000, 0x11223344);
    EXPECT_EQ(scd_prg_ram[0x1002], 0x33);
    EXPECT_EQ(s68k_read_word(0x1001000), 0x1122u);  // 24-bit addresses

    // Backup RAM: one byte per word address; a long write at the last byte wraps to the first.
    s68k_write_byte(0xFE0001, 0x5A);
    EXPECT_EQ(s68k_read_byte(0xFE0000), 0x5Au);
    EXPECT_EQ(s68k_read_word(0xFE0000), 0x5Au);
    s68k_write_long(0xFE3FFE, 0x00AA00BB);
    EXPECT_EQ(scd_backup_ram[0x1FFF], 0xAA);
    EXPECT_EQ(scd_backup_ram[0], 0xBB);
    EXPECT_EQ(s68k_read_long(0xFE3FFE), 0x00AA00BBu);
    EXPECT_EQ(s68k_read_word(0xFE4000), 0x4000u);

    // PCM wave-RAM window: bank 2, one byte per word address, repeated at 0xFF4000.
    s68k_write_byte(0xFF000F, 0x02);
    s68k_write_word(0xFF2010, 0x1299);
    EXPECT_EQ(scd_wave_ram[0x2008], 0x99);
    EXPECT_EQ(s68k_read_byte(0xFF6010), 0x99u);
    s68k_write_long(0xFF3FFE, 0x00110022);  // the second byte wraps within the bank
    EXPECT_EQ(scd_wave_ram[0x2FFF], 0x11);
    EXPECT_EQ(scd_wave_ram[0x2000], 0x22);
}

TEST_F(SegaCdTest, WordRamModesAndSwaps) {
    boot_blank();
    // 2 Mbit: the sub-CPU sees all 256 KB at 0x080000; 0x0C0000 is unmapped.
    s68k_write_word(0x080000, 0xA1B2);
    EXPECT_EQ(m68k_read_word(0x200000), 0xA1B2u);
    EXPECT_EQ(s68k_read_word(0x0C0000), 0x0000u);
    // Sub returns word RAM (RET=1); writing RET=0 in 2M leaves it.
    s68k_write_byte(0xFF8003, 0x01);
    EXPECT_EQ(scd_ga.return_bit, 1);
    s68k_write_byte(0xFF8003, 0x00);
    EXPECT_EQ(scd_ga.return_bit, 1);
    // Main gives it back (DMNA).
    m68k_write_byte(0xA12003, 0x02);
    EXPECT_EQ(scd_ga.return_bit, 0);

    // 1 Mbit, RET 0: the sub-CPU has bank 1 at 0x0C0000, the main CPU bank 0.
    s68k_write_byte(0xFF8003, 0x04);
    EXPECT_EQ(s68k_read_byte(0xFF8003) & 0x04, 0x04u);
    s68k_write_word(0x0C0000, 0x5566);
    EXPECT_EQ(scd_word_ram[0x20000], 0x55);
    EXPECT_EQ(s68k_read_word(0x080000), 0x0000u);
    m68k_write_word(0x200000, 0x7788);
    EXPECT_EQ(scd_word_ram[0], 0x77);
    EXPECT_EQ(m68k_read_word(0x220000), 0x0000u);  // no upper half for the main CPU
    // Swap: RET 1 gives the main CPU bank 1.
    s68k_write_byte(0xFF8003, 0x05);
    EXPECT_EQ(m68k_read_word(0x200000), 0x5566u);
    EXPECT_EQ(s68k_read_word(0x0C0000), 0x7788u);
    // The tick clears bit 1 of the memory-mode byte in 1M mode.
    scd_ga.regs[3] |= 2;
    scd_tick();
    EXPECT_EQ(scd_ga.regs[3] & 2, 0);

    // PRG-RAM bank in the main CPU's window.
    m68k_write_byte(0xA12003, 0x80);
    m68k_write_word(0x020010, 0xCAFE);
    EXPECT_EQ(scd_prg_ram[0x40010], 0xCA);
    EXPECT_EQ(m68k_read_byte(0xA12003) & 0xC0, 0x80u);
}

TEST_F(SegaCdTest, WordRamDmaSourcesStayInsideTheirImages) {
    boot_blank();
    // 2M: one word behind, and the window wraps within word RAM.
    scd_word_ram[0]       = 0x12;
    scd_word_ram[1]       = 0x34;
    scd_word_ram[0x3FFFC] = 0xAB;
    scd_word_ram[0x3FFFD] = 0xCD;
    const VdpDmaSource& w = vdp_dma_source_map[0x20];
    auto word             = [](const VdpDmaSource& s, u32 off) {
        const u32 at = s.base + (off & s.mask);
        EXPECT_LT(at + 1, s.image_size);
        return u32{s.image[at]} << 8 | s.image[at + 1];
    };
    EXPECT_EQ(word(w, 0x000002), 0x1234u);
    EXPECT_EQ(word(vdp_dma_source_map[0x23], 0x23FFFE), 0xABCDu);
    EXPECT_EQ(word(vdp_dma_source_map[0x23], 0x240002), 0x1234u);  // wraps
    // 1M: the upper half reads the fill page, and only inside its 4 KB.
    s68k_write_byte(0xFF8003, 0x04);
    const VdpDmaSource& fill = vdp_dma_source_map[0x22];
    EXPECT_EQ(fill.image, scd_fill_page.data());
    EXPECT_EQ(word(fill, 0x220000), 0x0403u);
    EXPECT_EQ(word(fill, 0x23FFFE), 0x0201u);
}

TEST_F(SegaCdTest, GateArrayRegisters) {
    boot_blank();
    // Communication: each side writes its own, both read both.
    m68k_write_word(0xA12010, 0x1357);
    s68k_write_word(0xFF8010, 0xFFFF);  // ignored
    EXPECT_EQ(s68k_read_word(0xFF8010), 0x1357u);
    s68k_write_long(0xFF8020, 0x11223344);
    m68k_write_word(0xA12020, 0);  // ignored
    EXPECT_EQ(m68k_read_long(0xA12020), 0x11223344u);
    m68k_write_byte(0xA1200E, 0x81);
    s68k_write_byte(0xFF800F, 0x42);
    s68k_write_byte(0xFF800E, 0x00);
    EXPECT_EQ(s68k_read_word(0xFF800E), 0x8142u);
    EXPECT_EQ(m68k_read_word(0xA1200E), 0x8142u);
    EXPECT_EQ(m68k_read_word(0xA12031), 0x2031u);  // odd word address and 0x30+: unmapped

    // Stopwatch: a word write of 0 clears it, others do not.
    scd_ga.stopwatch = 0x12345678;
    EXPECT_EQ(s68k_read_word(0xFF800C), 0x123u);
    s68k_write_word(0xFF800C, 0x1234);
    EXPECT_EQ(scd_ga.stopwatch, 0x12345678u);
    s68k_write_word(0xFF800C, 0);
    EXPECT_EQ(scd_ga.stopwatch, 0u);

    // Font: colours 0x5A, bits 0x8001 -> pixels 5 A A ... A 5.
    s68k_write_word(0xFF804C, 0x005A);
    s68k_write_word(0xFF804E, 0x8001);
    EXPECT_EQ(s68k_read_word(0xFF8050), 0x5AAAu);
    EXPECT_EQ(s68k_read_word(0xFF8056), 0xAAA5u);
    s68k_write_byte(0xFF8050, 0);  // read-only
    EXPECT_EQ(s68k_read_byte(0xFF8050), 0x5Au);

    // Graphics busy shows in 0xFF8058 bit 15 until the fourth tick, which raises level 1.
    s68k_write_byte(0xFF8033, 0x02);
    s68k_write_word(0xFF8066, 0x0100);
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(s68k_read_word(0xFF8058) & 0x8000, 0x8000u) << t;
        scd_tick();
    }
    EXPECT_EQ(s68k_context.irq_pending & 2, 0);
    scd_tick();
    EXPECT_EQ(s68k_read_word(0xFF8058) & 0x8000, 0u);
    EXPECT_EQ(s68k_context.irq_pending & 2, 2);

    // Level 2 from the main CPU only when enabled; taking it clears the request bit.
    s68k_context.irq_pending = 0;
    m68k_write_byte(0xA12000, 0x01);
    EXPECT_EQ(s68k_context.irq_pending & 4, 0);
    s68k_write_byte(0xFF8033, 0x04);
    m68k_write_byte(0xA12000, 0x01);
    EXPECT_EQ(s68k_context.irq_pending & 4, 4);
    s68k_irq_ack_slot(2);
    EXPECT_EQ(m68k_read_byte(0xA12000) & 1, 0u);

    // CDC mode: the destination bits are stored, the top two show the controller's flags.
    s68k_write_byte(0xFF8004, 0xC7);
    EXPECT_EQ(s68k_read_byte(0xFF8004), 0x07u);
    scd_ga.cdc_data_ready = 1;
    EXPECT_EQ(s68k_read_byte(0xFF8004), 0x47u);

    // Unmapped registers past 0xFF8069.
    EXPECT_EQ(s68k_read_word(0xFF8070), 0x8070u);
    // The H-interrupt vector is copied into the BIOS image.
    m68k_write_word(0xA12006, 0xBEEF);
    EXPECT_EQ(scd_bios[0x72], 0xBE);
    EXPECT_EQ(scd_bios[0x73], 0xEF);
}

TEST_F(SegaCdTest, TimerInterruptsAndStopwatchRate) {
    boot_blank();
    s68k_write_byte(0xFF8033, 0x08);
    s68k_write_byte(0xFF8031, 1);
    std::vector<int> at;
    for (int t = 1; t <= 6000 && at.size() < 1001; ++t) {
        s68k_context.irq_pending = 0;
        scd_tick();
        if ((s68k_context.irq_pending & 8) != 0) at.push_back(t);
    }
    ASSERT_GE(at.size(), 1000u);
    EXPECT_EQ(at[0], 6);
    for (size_t i = 1; i < at.size(); ++i)
        EXPECT_TRUE(at[i] - at[i - 1] == 5 || at[i] - at[i - 1] == 6);
    EXPECT_NEAR((at[1000] - at[0]) / 1000.0, 5.0725, 0.002);
    // A value of 0 stops it.
    s68k_write_byte(0xFF8031, 0);
    for (int t = 0; t < 20; ++t) {
        s68k_context.irq_pending = 0;
        scd_tick();
        EXPECT_EQ(s68k_context.irq_pending & 8, 0);
    }
    // Stopwatch: the 12-bit register advances 65,104 times a second (165,120 ticks).
    s68k_write_word(0xFF800C, 0);
    for (int t = 0; t < 10000; ++t) scd_tick();
    EXPECT_NEAR(static_cast<double>(s68k_read_word(0xFF800C)), 10000 * 65104.0 / 165120, 1.0);
}

TEST_F(SegaCdTest, PcmChannelsAndMix) {
    boot_blank();
    EXPECT_EQ(pcm_volume(0x85, 0x80), 640);
    EXPECT_EQ(pcm_volume(0x05, 0x80), -640);
    EXPECT_EQ(pcm_volume(0xFF, 0xFF), 0);

    // Channel 0: 0x90 0x90 0xFF looping to the start, FD one byte a step.
    scd_wave_ram[0x100] = 0x90;
    scd_wave_ram[0x101] = 0x90;
    scd_wave_ram[0x102] = 0xFF;
    s68k_write_byte(0xFF000F, 0x40);  // select channel 0
    s68k_write_byte(0xFF0001, 0x80);
    s68k_write_word(0xFF0004, 0x00);
    s68k_write_byte(0xFF0007, 0x08);
    s68k_write_byte(0xFF0009, 0x00);
    s68k_write_byte(0xFF000B, 0x01);
    s68k_write_byte(0xFF000D, 0x01);
    s68k_write_byte(0xFF0011, 0xFE);
    s68k_write_byte(0xFF000F, 0xC0);
    std::vector<u32> seen;
    for (int s = 0; s < 5; ++s) {
        seen.push_back(pcm.ch[0].address >> 16);
        pcm_step_channels();
    }
    EXPECT_EQ(seen, (std::vector<u32>{0x100, 0x101, 0x100, 0x101, 0x100}));
    EXPECT_EQ(s68k_read_byte(0xFF0021), 0x01u);  // now at 0x101
    EXPECT_EQ(s68k_read_byte(0xFF0023), 0x01u);
    EXPECT_EQ(s68k_read_long(0xFF0020), 0x00010001u);
    EXPECT_EQ(s68k_read_long(0xFF0000), 0x00800000u);  // ENV, PAN

    // FD 0x1000 skips two bytes a step and does not see a marker it passes over.
    scd_wave_ram[0x101] = 0xFF;
    scd_wave_ram[0x102] = 0x90;
    s68k_write_byte(0xFF0007, 0x10);
    pcm.ch[0].address = 0x100u << 16;
    pcm_step_channels();
    EXPECT_EQ(pcm.ch[0].address >> 16, 0x102u);
    pcm_step_channels();
    EXPECT_EQ(pcm.ch[0].address >> 16, 0x104u);

    // Turning sound on again restarts enabled channels at ST.
    s68k_write_byte(0xFF000F, 0x40);
    s68k_write_byte(0xFF000F, 0xC0);
    EXPECT_EQ(pcm.ch[0].address, 0x01000000u);

    // Mix: 0x90 at ENV 0x80 = 16 * 128 = 2048, halved, added to what is there.
    scd_wave_ram[0x101] = 0x90;
    scd_ga.run_state    = 1;
    s16 slot            = 100;
    scd_pcm_sample(&slot);
    EXPECT_EQ(slot, 100 + 1024);
    // Eight channels at full level on a high FM sample saturate.
    for (u32 k = 0; k < 8; ++k) {
        pcm.ch[k].address = 0x100u << 16;
        pcm.ch[k].env     = 0xFF;
    }
    scd_wave_ram[0x100] = 0xFE;
    scd_wave_ram[0]     = 0xFE;  // channels 1-7 restart at their ST of 0
    s68k_write_byte(0xFF0011, 0x00);
    slot = 30000;
    scd_pcm_sample(&slot);
    EXPECT_EQ(slot, 32767);
    // Sound off, or the sub-CPU held: nothing is added.
    cfg_set(sound_enable_all, 0);
    slot = 5;
    scd_pcm_sample(&slot);
    EXPECT_EQ(slot, 5);
    cfg_set(sound_enable_all, kSoundEnabled);
}

TEST_F(SegaCdTest, FormattersWriteTheFooter) {
    boot_blank();
    scd_backup_ram.fill(0x33);
    scd_format_backup_ram();
    EXPECT_EQ(scd_backup_ram[0], 0);
    EXPECT_EQ(scd_backup_ram[0x1FC0], '_');
    EXPECT_EQ(scd_backup_ram[0x1FCF], 0x40);
    EXPECT_EQ(scd_backup_ram[0x1FD1], 0x7D);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&scd_backup_ram[0x1FE0]), 11),
              "SEGA_CD_ROM");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&scd_backup_ram[0x1FF0]), 16),
              "RAM_CARTRIDGE___");

    struct Case {
        u32 code, size;
        u16 free;
    };
    const Case cases[] = {{0, 0x2000, 0x007D},
                          {2, 0x8000, 0x01FD},
                          {3, 0x10000, 0x03FD},
                          {9, 0x10000, 0x03FD}};  // an out-of-range code is taken as 3
    for (const Case& c : cases) {
        cfg_set(cfg_scd_ram_cart_size, c.code);
        cart_sram_size = 0x10000;
        std::fill_n(cart_sram, 0x10000, u8{0x33});
        scd_format_ram_cart();
        const u8* f = cart_sram + c.size - 64;
        for (u32 w = 0x10; w < 0x18; w += 2) EXPECT_EQ(u32{f[w]} << 8 | f[w + 1], c.free) << c.code;
        EXPECT_EQ(f[0x20], 'S');
        EXPECT_EQ(cart_sram[0], 0);
        if (c.size < 0x10000) {
            EXPECT_EQ(cart_sram[c.size], 0x33);  // nothing past the cart
        }
    }
}

TEST_F(SegaCdTest, TestBiosRunsBothCpus) {
    boot("segacd_comm");
    for (int f = 0; f < 10 && ram_word(0) != 0xBEEF; ++f)
        ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
    ASSERT_EQ(ram_word(0), 0xBEEF);
    EXPECT_EQ(scd_ga.run_state, 1);
    EXPECT_EQ(m68k_read_word(0xA12022), 0x5678u);
    const u32 irqs_before = prg_long(0x7F000);
    for (int f = 0; f < 6; ++f) run_frame();
    // Six frames are 16,512 ticks: about 3,255 timer interrupts at value 1.
    const u32 irqs = prg_long(0x7F000) - irqs_before;
    EXPECT_NEAR(irqs, 16512 / 5.0725, 40);
    EXPECT_GT(prg_long(0x7F004), 0u);  // the sub-CPU's idle loop ran too
    // PCM channel 0 plays 0x85 at ENV 0x80: 640 halved into each sample.
    EXPECT_EQ(pcm.ch[0].eff_env, 0x80);
    s16 slot = 0;
    scd_pcm_sample(&slot);
    EXPECT_EQ(slot, 320);
}

}  // namespace
}  // namespace varn::test
