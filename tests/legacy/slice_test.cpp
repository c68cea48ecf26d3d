// Dispatch and cost of the older core: fixed slice reloads, cost charged at the next
// dispatch, halts, the PC-load page rules, the hand-off, reset and the Genecyst register load.

#include <gtest/gtest.h>

#include <vector>

#include "base/config.h"
#include "legacy_m68k_support.h"

namespace varn::test {
namespace {

class LegacySliceTest : public LegacyFixture {
  protected:
    // NOPs from kCode on; returns how many ran in one slice of the instance.
    static u32 nops_in_slice(bool sub) {
        for (u32 i = 0; i < 64; ++i) poke(kCode + 2 * i, 0x4E71, 2);
        for (u32 i = 0; i < 64; ++i) {
            scd_prg_ram[kCode + 2 * i]     = 0x4E;
            scd_prg_ram[kCode + 2 * i + 1] = 0x71;
        }
        M68kCpuContextV024& c = sub ? s68k_context_v024 : m68k_context_v024;
        c.fetch_base          = sub ? kScdPrgRamOffset : kCartRomOffset;
        c.pc                  = kCode;
        if (sub) {
            s68k_run_slice_v024();
        } else {
            m68k_run_slice_v024();
        }
        return (c.pc - kCode) / 2;
    }
};

TEST_F(LegacySliceTest, NopsPerSliceAndTheDroppedOvershoot) {
    EXPECT_EQ(nops_in_slice(false), 14u);  // 14 x 4 = 56 >= 54
    EXPECT_EQ(m68k_context_v024.cycle_counter, 2);
    EXPECT_EQ(nops_in_slice(true), 19u);  // 19 x 4 = 76 >= 75
    EXPECT_EQ(s68k_context_v024.cycle_counter, 1);
    // The next slice starts again at -54 whatever the last one overran.
    m68k_run_slice_v024();
    EXPECT_EQ(m68k_context_v024.pc, kCode + 2 * 28);
    EXPECT_EQ((std::vector<char>{'t', 's', 't'}), chain_log());
}

TEST_F(LegacySliceTest, AnInstructionOfASliceOrMoreRunsAlone) {
    // DIVU #1,D0 costs 140: one instruction, then the next slice starts at -54 again.
    start_at(kCode, {0x80FC, 0x0001, 0x80FC, 0x0001, 0x4E71});
    cpu().regs[0]      = 10;
    cpu().slice_cycles = kM68kSliceCyclesV024;
    m68k_run_slice_v024();
    EXPECT_EQ(cpu().pc, kCode + 4);
    EXPECT_EQ(cpu().cycle_counter, -54 + 140);
    m68k_run_slice_v024();
    EXPECT_EQ(cpu().pc, kCode + 8);
    EXPECT_EQ(cpu().cycle_counter, -54 + 140);
}

TEST_F(LegacySliceTest, ACounterReachingExactlyZeroEndsTheSlice) {
    // Slice of 8: two NOPs bring the counter to exactly 0, which carries.
    start_at(kCode, {0x4E71, 0x4E71, 0x4E71});
    cpu().slice_cycles = -8;
    m68k_run_slice_v024();
    EXPECT_EQ(cpu().pc, kCode + 4);
    EXPECT_EQ(cpu().cycle_counter, 0);
}

// Scc and 0x4848-0x484F store no cost: the dispatcher charges the last one again (0 at a
// slice's start, so such an instruction never ends the slice by itself).
TEST_F(LegacySliceTest, InstructionsWithoutACostChargeTheLastOne) {
    start_at(kCode, {0x4E71, 0x57C0, 0x4848, 0x4E71});  // NOP, SEQ D0, 0x4848, NOP
    cpu().slice_cycles = -12;
    m68k_run_slice_v024();  // 4 + 4 (SEQ) + 4 (0x4848) = 12
    EXPECT_EQ(cpu().pc, kCode + 6);
    start_at(kCode, {0x57C0, 0x4E71});
    EXPECT_EQ(step(), 4u);  // SEQ at the slice start costs 0: the NOP runs in the same slice
    EXPECT_EQ(cpu().pc, kCode + 4);
}

TEST_F(LegacySliceTest, HaltsLeaveThePcAtTheInstruction) {
    struct Case {
        const char* name;
        std::vector<u16> code;
    };
    const Case cases[] = {
        {"line A", {0xA123}},
        {"line F", {0xF000}},
        {"BRA to a page without code", {0x6000, 0x0000}},  // patched below
        {"JMP to a page without code", {0x4EF9, 0x0040, 0x0000}},
        {"OR.W D0,#imm", {0x817C, 0x1234}},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        SetUp();
        start_at(0x3FFF00, {});
        for (std::size_t i = 0; i < t.code.size(); ++i) poke(0x3FFF00 + 2 * i, t.code[i], 2);
        if (t.code[0] == 0x6000) poke(0x3FFF02, 0x0200, 2);  // to 0x400102: page 0x40
        const auto before = cpu().regs;
        step();
        EXPECT_TRUE(halted());
        EXPECT_EQ(cpu().pc, 0x3FFF00u);
        EXPECT_EQ(cpu().regs, before);
        EXPECT_EQ(chain_log(), std::vector<char>{'h'});
        // A halted core does nothing until its status is cleared.
        m68k_run_slice_v024();
        EXPECT_EQ(chain_log(), std::vector<char>{'h'});
    }
}

// BSR pushes its return address before the target's page is looked up; JSR looks first.
TEST_F(LegacySliceTest, CallsToAPageWithoutCode) {
    start_at(0x3FFF00, {0x6100, 0x0200});
    step();
    EXPECT_TRUE(halted());
    EXPECT_EQ(cpu().regs[15], kSsp - 4);
    EXPECT_EQ(peek(kSsp - 4, 4), 0x3FFF04u);
    SetUp();
    start_at(0x3FFF00, {0x4EB9, 0x0040, 0x0000});
    step();
    EXPECT_TRUE(halted());
    EXPECT_EQ(cpu().regs[15], kSsp);
}

// Code running off the end of the memory arena halts rather than reading past it.
TEST_F(LegacySliceTest, FetchPastTheArenaHalts) {
    cpu().fetch_base = kArenaSize - 8;  // PC 0 lies 8 bytes before the arena's end
    cpu().pc         = 0;
    step();
    EXPECT_TRUE(halted());
}

// The main CPU applies the 32X overlay, banked-ROM and word-RAM rules at every PC load.
TEST_F(LegacySliceTest, PcLoadPageRules) {
    m68k_fetch_pages_v024[0] = m68k_fetch_page(M68kFetchKind::kS32xBios, kS32xM68kBiosOffset, 0);
    s32x_m68k_bios[0x80]     = 0x4E;  // NOP in the vector image at 0x80
    s32x_m68k_bios[0x81]     = 0x71;
    poke(0x80, 0x4E75, 2);  // RTS in the cartridge at 0x80: not what runs
    // Page 0x88 shows the cartridge from its start: code at 0x880000 is cart_rom[0].
    m68k_fetch_pages_v024[0x88] = m68k_fetch_page(M68kFetchKind::kPlain, kCartRomOffset, 0x880000);
    auto code_at                = [](u32 pc, std::initializer_list<u16> words) {
        u32 at = pc - 0x880000;
        for (u16 w : words) {
            cart_rom[at++] = static_cast<u8>(w >> 8);
            cart_rom[at++] = static_cast<u8>(w);
        }
        cpu().fetch_base = kCartRomOffset - 0x880000;
        cpu().pc         = pc;
    };
    code_at(0x880000, {0x4EF8, 0x0080});
    step();  // JMP 0x80.W
    EXPECT_EQ(cpu().fetch_base, kS32xM68kBiosOffset);
    step();  // the NOP of the vector image
    EXPECT_EQ(cpu().pc, 0x82u);

    // JMP 0x200.W from page 0: the cartridge's base.
    code_at(0x880010, {0x4EF8, 0x0200});
    step();
    EXPECT_EQ(cpu().fetch_base, kCartRomOffset);
    EXPECT_EQ(cpu().pc, 0x200u);

    // Banked ROM: the bank's offset is added to the marker base at a plain jump too.
    m68k_banked_rom_offset = [] { return 0x100000u; };
    code_at(0x880020, {0x4EF9, 0x0090, 0x0000});
    step();
    EXPECT_EQ(cpu().fetch_base, kCartRomOffset - 0x900000 + 0x100000);
    m68k_banked_rom_offset = nullptr;
}

TEST_F(LegacySliceTest, HandOff) {
    struct Case {
        const char* name;
        u32 disable_z80;
        bool (*held)();
        char expect;
    };
    const Case cases[] = {
        {"Z80 running", 0, [] { return false; }, 'z'},
        {"Z80 bus held", 0, [] { return true; }, 't'},
        {"Disable Z80", 1, [] { return false; }, 't'},
        {"no Z80 bound", 0, nullptr, 't'},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        SetUp();
        cfg_set(cfg_disable_z80, t.disable_z80);
        m68k_z80_bus_held_v024 = t.held;
        start_at(kCode, {0x4E71});
        step();
        EXPECT_EQ(chain_log(), std::vector<char>{t.expect});
    }
    cfg_set(cfg_disable_z80, 0);
}

TEST_F(LegacySliceTest, Reset) {
    poke(0, 0x00FFFE00, 4);
    poke(4, 0x00000200, 4);
    auto& c       = cpu();
    c.fetch_base  = kCartRomOffset;
    c.sr          = 0x0015;
    c.stopped     = 1;
    c.irq_taken   = 1;
    c.cycle_cost  = 44;
    c.irq_pending = 0x40;
    c.irq_check   = 1;
    m68k_reset_v024();
    EXPECT_EQ(c.sr, 0x2700);
    EXPECT_EQ(c.regs[15], 0xFFFE00u);
    EXPECT_EQ(c.pc, 0x200u);
    EXPECT_EQ(c.sp_slot_index, kSupervisorSlotIndexV024);
    EXPECT_EQ(c.stopped | c.irq_taken, 0);
    EXPECT_EQ(c.cycle_cost, 0u);
    EXPECT_EQ(c.irq_pending, 0x40);  // the main CPU's reset leaves pending levels
    EXPECT_EQ(c.irq_check, 1);
    EXPECT_EQ(cpu_current_context_v024, &c);

    // A reset PC in a page without code halts.
    poke(4, 0x00400000, 4);
    m68k_reset_v024();
    EXPECT_TRUE(halted());

    // The sub-CPU's reset also clears its counter and interrupt state.
    scd_prg_ram[4 + 2] = 0x01;  // PC 0x100
    auto& s            = s68k_context_v024;
    s.fetch_base       = kScdPrgRamOffset;
    s.irq_pending      = 0x04;
    s.cycle_counter    = 9;
    s68k_reset_v024();
    EXPECT_EQ(s.pc, 0x100u);
    EXPECT_EQ(s.irq_pending, 0);
    EXPECT_EQ(s.cycle_counter, 0);
}

TEST_F(LegacySliceTest, GenecystRegisterLoad) {
    std::vector<u8> image(0xDA);
    for (u32 i = 0; i < 16; ++i) store_le32(&image[0x80 + 4 * i], 0x1000 * i + i);
    store_le32(&image[0xC8], 0xAA001234);  // PC masked to 24 bits: page 0
    store_le16(&image[0xD0], 0x2700);
    store_le32(&image[0xD2], 0x00FF1000);
    store_le32(&image[0xD6], 0x00FF2000);
    auto& c       = cpu();
    c.cycle_cost  = 30;
    c.stopped     = 1;
    c.irq_pending = 0x10;
    ASSERT_TRUE(m68k_load_gs_registers_v024(image));
    EXPECT_EQ(c.pc, 0x001234u);
    EXPECT_EQ(c.fetch_base, kCartRomOffset);
    EXPECT_EQ(c.regs[15], 0xF00Fu);  // A7 as stored, not from the slots
    EXPECT_EQ(c.sp_slots[0], 0xFF1000u);
    EXPECT_EQ(c.sp_slots[1], 0xFF2000u);
    EXPECT_EQ(c.sp_slot_index, kSupervisorSlotIndexV024);
    EXPECT_EQ(c.cycle_cost, 0u);
    EXPECT_EQ(c.stopped, 0);
    EXPECT_EQ(c.irq_pending, 0x10);

    store_le16(&image[0xD0], 0x0000);
    store_le32(&image[0xC8], 0x00400000);  // a page without code halts
    ASSERT_TRUE(m68k_load_gs_registers_v024(image));
    EXPECT_EQ(c.sp_slot_index, kUserSlotIndexV024);
    EXPECT_TRUE(halted());

    image.resize(0xD9);
    EXPECT_FALSE(m68k_load_gs_registers_v024(image));
}

TEST_F(LegacySliceTest, FetchPageInitAndRestore) {
    m68k_fetch_pages_v024[0x10] = kM68kNoCodePage;
    m68k_init_fetch_pages_v024(0);
    EXPECT_EQ(m68k_fetch_pages_v024[0x10].kind, M68kFetchKind::kPlain);
    EXPECT_EQ(m68k_fetch_pages_v024[0x10].offset, kCartRomOffset);
    m68k_restore_fetch_pages_v024();
    EXPECT_EQ(m68k_fetch_pages_v024[0x20].kind, M68kFetchKind::kWordRam);
    EXPECT_EQ(m68k_fetch_pages_v024[0x10].kind, M68kFetchKind::kNone);
    // The main core's tables are not touched.
    EXPECT_EQ(m68k_fetch_pages[0x20].kind, m68k_startup_fetch_pages()[0x20].kind);
}

}  // namespace
}  // namespace varn::test
