// Reset of both cores and the sub-CPU instance's own bindings.

#include <gtest/gtest.h>

#include "base/config.h"
#include "m68k_test_support.h"

namespace varn::test {
namespace {

constexpr u16 kLineA = 0xA000;

class M68kReset : public M68kFixture {};

TEST_F(M68kReset, LoadsStackAndPcFromTheImageAndEntersSupervisorMode) {
    poke(0, 0x00FFFE00, 4);
    poke(4, 0xFF000200, 4);  // the PC is masked to 24 bits
    auto& c         = m68k_context;
    c.sr            = 0x0000;
    c.cycle_counter = 77;
    c.irq_pending   = 0x40;
    c.irq_check     = 1;
    c.stopped       = 1;
    d(3)            = 0x33;
    c.sp_slots      = {0x1111, 0x2222};
    c.fetch_base    = kCartRomOffset;
    m68k_reset();
    EXPECT_EQ(c.sr, 0x2700);
    EXPECT_EQ(a(7), 0xFFFE00u);
    EXPECT_EQ(c.pc, 0x000200u);
    EXPECT_EQ(c.cycle_counter, 0);
    EXPECT_EQ(c.irq_pending | c.irq_check | c.stopped | c.irq_taken, 0);
    EXPECT_EQ(c.sp_slot_index, kM68kSupervisorSlot);
    EXPECT_EQ(d(3), 0x33u);  // data registers and the slots keep their values
    EXPECT_EQ(c.sp_slots[0], 0x1111u);
    EXPECT_EQ(c.slice_cycles, kM68kDefaultSliceCycles);
    EXPECT_EQ(cpu_current_context, &c);
}

// Reset runs on the user-interface thread: a reset vector without code is recorded and
// halts the core at its next slice, with pc 0, instead of fetching anything.
TEST_F(M68kReset, AVectorWithoutCodeHaltsAtTheNextSlice) {
    poke(0, 0x00FFFE00, 4);
    poke(4, 0x00400000, 4);
    m68k_context.fetch_base = kCartRomOffset;
    m68k_reset();
    EXPECT_EQ(m68k_context.status, 0u);
    EXPECT_TRUE(chain_log().empty());
    m68k_run_slice();
    EXPECT_NE(m68k_context.status & kM68kStatusHalted, 0u);
    EXPECT_EQ(m68k_context.pc, 0u);
    EXPECT_EQ(chain_log(), std::vector<char>{'H'});

    // A fetch base that names no image at all is refused the same way.
    SetUp();
    m68k_context.fetch_base = 0;
    m68k_reset();
    m68k_run_slice();
    EXPECT_NE(m68k_context.status & kM68kStatusHalted, 0u);
}

// The boot ROM takes page 0 when the BIOS is on and the cartridge latch is clear.
TEST_F(M68kReset, InitFetchPagesPutsTheBootRomOnPageZero) {
    cfg_set(cfg_gen_use_bios, 1);
    m68k_init_fetch_pages(0);
    EXPECT_EQ(m68k_fetch_pages[0].offset, kBootRomOffset);
    EXPECT_EQ(m68k_fetch_pages[1].offset, kCartRomOffset);
    m68k_init_fetch_pages(1);
    EXPECT_EQ(m68k_fetch_pages[0].offset, kCartRomOffset);
    cfg_set(cfg_gen_use_bios, 0);
    m68k_init_fetch_pages(0);
    EXPECT_EQ(m68k_fetch_pages[0].offset, kCartRomOffset);

    // Booting from the boot ROM: a fetch past its 2 KB runs on into the cartridge.
    store_be32(&gen_boot_rom[0], 0x00FFFE00);
    store_be32(&gen_boot_rom[4], 0x000007FE);
    store_be16(&gen_boot_rom[0x7FE], 0x4E71);  // NOP at the boot ROM's last word
    poke_words(0, {0x303C, 0x0042, kLineA});   // MOVE.W #0x42,D0 at cartridge 0
    cfg_set(cfg_gen_use_bios, 1);
    m68k_init_fetch_pages(0);
    cfg_set(cfg_gen_use_bios, 0);
    m68k_context.fetch_base = kBootRomOffset;
    m68k_reset();
    run_until_halt(10);
    EXPECT_EQ(d(0), 0x42u);
}

// The Sega CD's main-CPU pages: BIOS then PRG-RAM bank 0, word RAM marker at 0x200000.
TEST_F(M68kReset, RestoreFetchPagesInstallsTheSegaCdLayout) {
    m68k_restore_fetch_pages();
    EXPECT_EQ(m68k_fetch_pages[0x03].offset, kScdBiosOffset);
    EXPECT_EQ(m68k_fetch_pages[0x04].kind, M68kFetchKind::kNone);
    EXPECT_EQ(m68k_fetch_pages[0x21].kind, M68kFetchKind::kWordRam);
    EXPECT_EQ(m68k_fetch_pages[0xFF].offset, kWorkRamOffset - 0xFF0000);

    // An interrupt into word RAM in 1 Mbit mode runs from the bank the main CPU sees.
    m68k_word_ram_bank_offset = [] { return u32{0x20000}; };
    store_be16(&scd_word_ram[0x20000], 0x303C);  // bank 1: MOVE.W #1,D0
    store_be16(&scd_word_ram[0x20002], 0x0001);
    store_be16(&scd_word_ram[0x20004], kLineA);
    poke(0x80, 0x200000, 4);  // TRAP #0 vector, read through the (flat) bus
    start_at(0xFF1000, {0x4E40});
    m68k_run_slice();
    EXPECT_EQ(d(0), 1u);
}

class S68kInstance : public M68kFixture {
  protected:
    void sub_code(u32 addr, std::initializer_list<u16> words) {
        for (u16 w : words) {
            write_n<sub_byte>(addr, w, 2);
            addr += 2;
        }
    }
};

// The sub-CPU resets from PRG-RAM, keeps its configured slice length and hands its slices,
// skipped ones too, to its own successor.
TEST_F(S68kInstance, ResetsFromPrgRamAndRunsItsOwnSlices) {
    const u8 vectors[8] = {0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x02, 0x00};
    std::copy(std::begin(vectors), std::end(vectors), scd_prg_ram.begin());
    sub_code(0x200, {0x303C, 0x0005, 0x60FE});  // MOVE.W #5,D0; BRA *
    auto& s        = s68k_context;
    s.slice_cycles = -0x90;
    s.sr           = 0;
    s.fetch_base   = kScdPrgRamOffset;
    s68k_reset();
    EXPECT_EQ(s.regs[kM68kA7], 0x8000u);
    EXPECT_EQ(s.pc, 0x200u);
    EXPECT_EQ(s.sr, 0x2700);
    EXPECT_EQ(s.slice_cycles, -0x90);
    s68k_run_slice();
    EXPECT_EQ(s.regs[0], 5u);
    EXPECT_EQ(m68k_context.regs[0], 0u);
    EXPECT_EQ(chain_log(), std::vector<char>{'S'});
    s.cycle_counter = 0x100;
    s68k_run_slice();
    EXPECT_EQ(chain_log(), (std::vector<char>{'S', 'S'}));
}

// The sub-CPU is reset from inside a main-CPU bus write: a reset PC without code must not
// halt there but at the sub-CPU's own next slice.
TEST_F(S68kInstance, AResetVectorWithoutCodeHaltsAtItsNextSlice) {
    const u8 vectors[8] = {0x00, 0x00, 0x80, 0x00, 0x00, 0x0C, 0x00, 0x00};  // PC 0x0C0000
    std::copy(std::begin(vectors), std::end(vectors), scd_prg_ram.begin());
    s68k_context.fetch_base = kScdPrgRamOffset;
    s68k_reset();
    EXPECT_EQ(s68k_context.status, 0u);
    EXPECT_TRUE(chain_log().empty());
    s68k_run_slice();
    EXPECT_NE(s68k_context.status & kM68kStatusHalted, 0u);
    EXPECT_EQ(s68k_context.pc, 0u);
    EXPECT_EQ(chain_log(), std::vector<char>{'H'});
    EXPECT_EQ(m68k_context.status, 0u);
}

// Sub-CPU jumps: word RAM runs (0x080000-0x0BFFFF), beyond halts; main-CPU markers do not
// reach it; level 2 is acknowledged through the sub-CPU's own slot.
TEST_F(S68kInstance, JumpsUseTheSubCpuPagesOnly) {
    m68k_set_fetch_page(0x0A, {M68kFetchKind::kBankedRom, kCartRomOffset});
    write_n<sub_byte>(0x0A0000, 0x303C, 2);  // MOVE.W #0xA,D0 in word RAM
    write_n<sub_byte>(0x0A0002, 0x000A, 2);
    write_n<sub_byte>(0x0A0004, kLineA, 2);
    for (u32 target : {0x0A0000u, 0x0C0000u}) {
        auto& s = s68k_context;
        s       = M68kCpuContext{.slice_cycles = kS68kDefaultSliceCycles};
        sub_code(0x1000, {0x4EF9, static_cast<u16>(target >> 16), static_cast<u16>(target)});
        s.pc         = 0x1000;
        s.fetch_base = kScdPrgRamOffset;
        chain_log().clear();
        s68k_run_slice();
        EXPECT_NE(s.status & kM68kStatusHalted, 0u);
        EXPECT_EQ(chain_log(), std::vector<char>{'H'});
        if (target == 0x0A0000) {
            EXPECT_EQ(s.regs[0], 0xAu);
        } else {
            EXPECT_EQ(s.pc, 0x1000u);
        }
    }

    static std::vector<u32> acked;
    acked.clear();
    s68k_irq_ack_slot = [](u32 level) { acked.push_back(level); };
    m68k_irq_ack_slot = [](u32) { FAIL() << "main CPU slot called for the sub-CPU"; };
    auto& s           = s68k_context;
    s                 = M68kCpuContext{.slice_cycles = kS68kDefaultSliceCycles};
    write_n<sub_byte>(0x68, 0x2000, 4);  // level 2 vector
    sub_code(0x2000, {kLineA});
    sub_code(0x1000, {0x4E71});
    s.pc            = 0x1000;
    s.fetch_base    = kScdPrgRamOffset;
    s.sr            = 0x2000;
    s.regs[15]      = 0x8000;
    s.sp_slot_index = kM68kSupervisorSlot;
    m68k_set_irq(s, 2, true);
    s68k_run_slice();
    EXPECT_EQ(acked, std::vector<u32>{2});
    EXPECT_EQ(s.sr, 0x2200);
}

}  // namespace
}  // namespace varn::test
