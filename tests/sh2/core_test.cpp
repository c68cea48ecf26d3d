// The core: opcode table census, slices and delayed-branch carry, halts, fetch regions,
// interrupt choice and entry, resets and the slice chain.

#include <vector>

#include "base/config.h"
#include "sh2/sh2_core.h"
#include "sh2/sh2_ops.h"
#include "sh2/sh2_test_support.h"

namespace varn {
namespace {

using test::kNop;
using test::kSleep;
using test::Sh2Test;

// ---------------------------------------------------------------------------------------
// Opcode tables
// ---------------------------------------------------------------------------------------

// Each table against a scan of its pattern list by the last-match rule, word by word.
TEST(Sh2Census, TablesMatchABruteForceScanOfThePatternList) {
    sh2_interp_reset();
    sh2s_interp_reset();
    const struct {
        std::span<const OpcodePattern<Sh2Handler>> list;
        const Sh2JumpTable& table;
    } instances[] = {{sh2_opcode_patterns(), sh2_jump_table},
                     {sh2s_opcode_patterns(), sh2s_jump_table}};
    for (const auto& inst : instances) {
        ASSERT_EQ(inst.list.size(), kSh2PatternCount);
        EXPECT_EQ(inst.list[0].mask, 0) << "entry 0 is the catch-all";
        for (u32 w = 0; w < 65536; ++w) {
            Sh2Handler expected = nullptr;
            for (const auto& p : inst.list) {
                if ((w & p.mask) == p.match) expected = p.handler;
            }
            ASSERT_EQ(inst.table[w], expected) << std::hex << "word 0x" << w;
        }
        // Every encoding in the list is distinct, so no pattern is hidden by a later one.
        for (std::size_t i = 1; i < inst.list.size(); ++i) {
            for (std::size_t j = i + 1; j < inst.list.size(); ++j)
                EXPECT_FALSE(inst.list[i].match == inst.list[j].match &&
                             inst.list[i].mask == inst.list[j].mask)
                    << "entries " << i << " and " << j;
        }
        EXPECT_EQ(inst.table[0x001B], inst.list[0].handler) << "SLEEP halts as an illegal word";
    }
}

// ---------------------------------------------------------------------------------------
// Slices
// ---------------------------------------------------------------------------------------

TEST_F(Sh2Test, DelayedBranchCrossingTheSliceEndRunsItsSlotAndCarriesTheExcess) {
    // 0x100 nop, nop, bra 0x120 (2 cycles), slot add #1,r2; 0x120 add #1,r3 ...
    boot_code({kNop, kNop, 0xA00C, 0x7201});
    store_be16(&sh2_boot_rom[0x120], 0x7301);
    store_be16(&sh2_boot_rom[0x122], 0x7301);
    auto& c        = sh2_context;
    c.slice_cycles = -3;
    ASSERT_TRUE(sh2_run_slice_alone());
    EXPECT_EQ(c.r[2], 1u) << "the slot ran in the branch's slice";
    EXPECT_EQ(c.r[3], 0u);
    EXPECT_EQ(c.pc, 0x120u);
    EXPECT_EQ(c.branch_carry, 2) << "the slice ended 2 cycles late, slot included";
    EXPECT_EQ(c.cycle_counter, 0);
    // The next slice's budget is cut by the carry: one 1-cycle instruction.
    ASSERT_TRUE(sh2_run_slice_alone());
    EXPECT_EQ(c.r[3], 1u);
    EXPECT_EQ(c.branch_carry, 0);
}

TEST_F(Sh2Test, ASliceAlreadyRunAheadIsSkippedButTheChainGoesOn) {
    boot_code({0x7201});
    place(sh2s_boot_rom, 0, words({0x0000, 0x0100, 0x0604, 0x0000}));
    store_be16(&sh2s_boot_rom[0x100], kSleep);
    sh2s_reset_from_bios();
    static int successor_runs;
    successor_runs            = 0;
    sh2_successor             = [] { ++successor_runs; };
    sh2_context.cycle_counter = 139;  // a whole slice ahead
    sh2_run_slice();
    EXPECT_EQ(sh2_context.r[2], 0u);
    EXPECT_EQ(sh2_context.cycle_counter, 0);
    EXPECT_TRUE(sh2s_context.status & kSh2StatusHalted) << "the slave ran (to its SLEEP)";
    EXPECT_EQ(successor_runs, 0) << "a halt of the slave ends the chain";
    // A halted slave ends every later chain too; the master still runs before it.
    sh2_run_slice();
    EXPECT_EQ(sh2_context.r[2], 1u);
    EXPECT_EQ(successor_runs, 0);
}

TEST_F(Sh2Test, TheChainRunsMasterSlaveThenSuccessor) {
    boot_code({0x7201, 0xAFFD, kNop});  // add #1,r2; bra back; nop
    place(sh2s_boot_rom, 0, words({0x0000, 0x0100, 0x0604, 0x0000, 0, 0}));
    place(sh2s_boot_rom, 0x100, words({0x7301, 0xAFFD, kNop}));
    sh2s_reset_from_bios();
    static std::vector<int> order;
    order.clear();
    sh2_successor = [] {
        order.push_back(static_cast<int>(sh2_context.r[2] > 0) + 2 * (sh2s_context.r[3] > 0));
    };
    sh2_run_slice();
    sh2_run_slice();
    EXPECT_EQ(order, (std::vector<int>{3, 3}));
    EXPECT_EQ(sh2_current_context, &sh2s_context);
}

// ---------------------------------------------------------------------------------------
// Halts and fetch regions
// ---------------------------------------------------------------------------------------

// Code that leaves every image halts the machine with the PC where it went.
TEST_F(Sh2Test, CodeWhereNoImageHoldsItHaltsTheMachine) {
    const struct {
        const char* what;
        u32 target;  // jumped to with JMP @r1, or 0 to run the word below at 0x100
        u16 word;
        u32 pc;
    } cases[] = {
        {"a word without a handler", 0, 0xFFFD, 0x100},
        {"SLEEP", 0, kSleep, 0x100},
        {"the frame buffer", 0x04000000, 0, 0x04000000},
        {"the registers of page 0", 0x00004000, 0, 0x00004000},
        {"past the end of SDRAM", 0x06040000, 0, 0x06040000},
        {"past the loaded cartridge", 0x02001000, 0, 0x02001000},
        {"past the cache array", 0xC0000800, 0, 0xC0000800},
        {"past the end of the boot ROM", 0x00000800, 0, 0x00000800},
    };
    for (const auto& k : cases) {
        SetUp();
        sh2_set_cart_size(0x1000);
        if (k.target != 0) {
            boot_code({0x412B, kNop}, [&](Sh2CpuContext& c) { c.r[1] = k.target; });
        } else {
            boot_code({k.word});
        }
        static int successor_runs;
        successor_runs = 0;
        sh2_successor  = [] { ++successor_runs; };
        sh2_run_slice();
        EXPECT_TRUE(sh2_context.status & kSh2StatusHalted) << k.what;
        EXPECT_EQ(sh2_context.pc, k.pc) << k.what;
        EXPECT_EQ(halts, 1) << k.what;
        EXPECT_EQ(successor_runs, 0) << k.what;
        // A halted core stays halted.
        sh2_run_slice();
        EXPECT_EQ(halts, 1) << k.what;
    }
}

TEST_F(Sh2Test, SequentialCodeRunningOffItsImageHalts) {
    // SDRAM's last word is a NOP: the next one lies past the image.
    store_be16(&s32x_sdram[kS32xSdramSize - 2], kNop);
    boot_code({0x412B, kNop}, [](Sh2CpuContext& c) { c.r[1] = 0x0603FFFE; });
    run_master();
    EXPECT_TRUE(sh2_context.status & kSh2StatusHalted);
    EXPECT_EQ(sh2_context.pc, 0x06040000u);
}

// Code runs from each fetch region and branches between them.
TEST_F(Sh2Test, CodeRunsFromEveryFetchRegion) {
    sh2_set_cart_size(0x1000);
    const struct {
        u32 target;
        u8* image;
    } cases[] = {
        {0x06000100, &s32x_sdram[0x100]},      {0x26000100, &s32x_sdram[0x100]},
        {0x02000100, &cart_rom[0x100]},        {0x22000100, &cart_rom[0x100]},
        {0xC0000100, &sh2_cache_array[0x100]},
    };
    for (const auto& k : cases) {
        SetUp();
        sh2_set_cart_size(0x1000);
        boot_code({0x412B, kNop}, [&](Sh2CpuContext& c) { c.r[1] = k.target; });
        store_be16(k.image, 0xE205);  // mov #5,r2
        store_be16(k.image + 2, kSleep);
        run_master();
        EXPECT_TRUE(ended_on_sleep()) << std::hex << k.target;
        EXPECT_EQ(sh2_context.r[2], 5u) << std::hex << k.target;
        EXPECT_EQ(sh2_context.pc, k.target + 2) << std::hex << k.target;
    }
}

// MOV.L/MOV.W @(disp,PC) read what the bus gives at the operand's address, also where the
// operand lies past the end of the code's own image: SDRAM mirrors through its page, the
// cartridge reads zeros past the loaded image.
TEST_F(Sh2Test, PcRelativeOperandsReadWhatTheBusGives) {
    const struct {
        const char* what;
        u32 target;
        u8* image;
        u16 op;
        u32 expect;
    } cases[] = {
        {"in the image", 0x06000100, &s32x_sdram[0x100], 0xD201, 0x01020304},
        {"long past SDRAM", 0x0603FFF8, &s32x_sdram[0x3FFF8], 0xD201, 0x89ABCDEF},
        {"word past SDRAM", 0x0603FFF8, &s32x_sdram[0x3FFF8], 0x9202, 0xFFFF89AB},
        {"long past the cartridge", 0x02000FF8, &cart_rom[0xFF8], 0xD201, 0},
    };
    for (const auto& k : cases) {
        SetUp();
        sh2_set_cart_size(0x1000);
        store_be32(&s32x_sdram[0], 0x89ABCDEF);
        store_be32(&s32x_sdram[0x108], 0x01020304);
        store_be32(&cart_rom[0x1000], 0x11223344);  // arena bytes past the loaded image
        boot_code({0x412B, kNop}, [&](Sh2CpuContext& c) { c.r[1] = k.target; });
        store_be16(k.image, k.op);
        store_be16(k.image + 2, kSleep);
        run_master();
        EXPECT_TRUE(ended_on_sleep()) << k.what;
        EXPECT_EQ(sh2_context.r[2], k.expect) << k.what;
    }
}

// ---------------------------------------------------------------------------------------
// Interrupts
// ---------------------------------------------------------------------------------------

struct LogEntry {
    u32 id, sr, stacked_pc, stacked_sr;
};

class Sh2InterruptTest : public Sh2Test {
  protected:
    void SetUp() override {
        Sh2Test::SetUp();
        boot_master(program("interrupts"));
        run(4);  // the trap, then the loop with the mask at 0
    }
    static void run(int slices) {
        for (int i = 0; i < slices; ++i) ASSERT_TRUE(sh2_run_slice_alone());
    }
    static std::vector<LogEntry> log() {
        std::vector<LogEntry> out;
        for (u32 a = 0; load_be32(&s32x_sdram[a]) != 0; a += 16) {
            out.push_back({load_be32(&s32x_sdram[a]), load_be32(&s32x_sdram[a + 4]),
                           load_be32(&s32x_sdram[a + 8]), load_be32(&s32x_sdram[a + 12])});
        }
        return out;
    }
    static std::vector<u32> ids() {
        std::vector<u32> out;
        for (const auto& e : log()) out.push_back(e.id);
        return out;
    }
    static bool in_loop(u32 pc) { return pc >= 0x188 && pc < 0x18E; }
};

TEST_F(Sh2InterruptTest, TrapaStacksSrAndTheNextAddress) {
    const auto l = log();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].id, 32u);
    EXPECT_EQ(l[0].sr, 0xF0u) << "TRAPA leaves SR as it is";
    EXPECT_EQ(l[0].stacked_pc, 0x184u);
    EXPECT_EQ(l[0].stacked_sr, 0xF0u);
    EXPECT_EQ(sh2_context.sr & kSh2SrI, 0u) << "the program lowered the mask after RTE";
    EXPECT_EQ(sh2_context.r[15], 0x06040000u) << "RTE took both longs off the stack";
}

TEST_F(Sh2InterruptTest, ExternalRequestsAreTakenHighestFirstOnePerSlice) {
    static std::vector<u32> command_taken;
    command_taken.clear();
    sh2_command_irq_taken = [](u32 core) { command_taken.push_back(core); };
    sh2_raise_irq(sh2_context, kSh2IrqCommand | kSh2IrqVBlank | kSh2IrqHBlank | kSh2IrqPwm);
    run(8);
    EXPECT_EQ(ids(), (std::vector<u32>{32, 13, 11, 9, 7}));
    for (const auto& e : log()) {
        if (e.id == 32) continue;
        EXPECT_EQ(e.sr & kSh2SrI, e.id << 4) << "the mask is raised to the level taken";
        EXPECT_EQ(e.stacked_sr, 0u) << e.id;
        EXPECT_TRUE(in_loop(e.stacked_pc)) << std::hex << e.stacked_pc;
    }
    EXPECT_EQ(sh2_context.irq_pending, 0u);
    EXPECT_EQ(command_taken, (std::vector<u32>{0}));
}

TEST_F(Sh2InterruptTest, MaskedRequestsWaitForALowerMaskAndACheck) {
    auto& c = sh2_context;
    c.sr    = 0xF0;  // I = 15: nothing is taken
    sh2_raise_irq(c, kSh2IrqVBlank);
    run(3);
    EXPECT_EQ(ids().size(), 1u);
    c.sr = 0xD0;  // I = 13: level 13 is not above it
    sh2_raise_irq(c, 0);
    run(3);
    EXPECT_EQ(ids().size(), 1u);
    c.sr = 0xC0;  // lowered, but no check asked for
    run(3);
    EXPECT_EQ(ids().size(), 1u);
    EXPECT_EQ(c.irq_pending, kSh2IrqVBlank) << "still pending";
    sh2_raise_irq(c, 0);
    run(3);
    EXPECT_EQ(ids(), (std::vector<u32>{32, 13}));
}

TEST_F(Sh2InterruptTest, OnChipSourcesTakeTheirTableLevelAndVector) {
    auto& c = sh2_context;
    // Watchdog (bit 23) and bus compare (bit 24) at the same level 6: the lower bit first.
    c.onchip_level[31 - 23]  = 6;
    c.onchip_vector[31 - 23] = 80 * 4;
    c.onchip_level[31 - 24]  = 6;
    c.onchip_vector[31 - 24] = 81 * 4;
    // A higher source whose vector was never set is neither taken nor in the way.
    c.onchip_level[31 - 22] = 12;
    sh2_raise_irq(c, (1u << 22) | (1u << 23) | (1u << 24) | kSh2IrqPwm);
    run(8);
    EXPECT_EQ(ids(), (std::vector<u32>{32, 7, 80, 81})) << "PWM (level 7) first";
    EXPECT_EQ(log()[2].sr & kSh2SrI, 6u << 4);
    EXPECT_EQ(c.irq_pending, 1u << 22);
}

TEST_F(Sh2InterruptTest, AnInterruptVectorWithoutCodeHalts) {
    store_be32(&sh2_boot_rom[0x118], 0x04000000);  // vector 70 into the frame buffer
    sh2_raise_irq(sh2_context, kSh2IrqVBlank);
    EXPECT_FALSE(sh2_run_slice_alone());
    EXPECT_EQ(sh2_context.pc, 0x04000000u);
    EXPECT_EQ(halts, 1);
}

// ---------------------------------------------------------------------------------------
// Resets
// ---------------------------------------------------------------------------------------

TEST_F(Sh2Test, ResetsSetTheRegistersAndResetTheOnChipModulesInOrder) {
    static std::vector<std::pair<char, u32>> calls;
    calls.clear();
    sh2_onchip_reset_slots = {
        .serial =
            [](u32 core) {
                calls.push_back({'s', core});
            },
        .frt =
            [](u32 core) {
                calls.push_back({'f', core});
            },
        .dmac =
            [](u32 core) {
                calls.push_back({'d', core});
            },
        .intc =
            [](u32 core) {
                calls.push_back({'i', core});
            },
        .divu =
            [](u32 core) {
                calls.push_back({'u', core});
            },
    };
    // Cartridge header: master entry 0x06000000, slave entry 0x06000010; the slave's VBR
    // table in SDRAM gives its stack.
    sh2_set_cart_size(0x400);
    store_be32(&cart_rom[0x3E0], 0x06000000);
    store_be32(&cart_rom[0x3E4], 0x06000010);
    store_be32(&s32x_sdram[0x204], 0x0603F000);
    sh2s_context.vbr           = 0x06000200;
    sh2s_context.sr            = 0x3F3;
    sh2s_context.onchip_level  = {1, 2, 3};
    sh2s_context.cycle_counter = 50;
    sh2s_reset_from_header();
    const auto& s = sh2s_context;
    EXPECT_EQ(s.pc, 0x06000010u);
    EXPECT_EQ(s.r[15], 0x0603F000u);
    EXPECT_EQ(s.sr, 0xF0u);
    EXPECT_EQ(s.onchip_level[0], 0);
    EXPECT_EQ(s.cycle_counter, 0);
    EXPECT_EQ(calls, (std::vector<std::pair<char, u32>>{
                         {'s', 1}, {'f', 1}, {'d', 1}, {'i', 1}, {'u', 1}}));
    // From the boot ROM: VBR 0, the cache array cleared.
    sh2_cache_array[5] = 0xAA;
    sh2_context.vbr    = 0x1234;
    place(sh2_boot_rom, 0, words({0x0000, 0x0100, 0x0603, 0xFF00}));
    sh2_reset_from_bios();
    EXPECT_EQ(sh2_context.pc, 0x100u);
    EXPECT_EQ(sh2_context.r[15], 0x0603FF00u);
    EXPECT_EQ(sh2_context.vbr, 0u);
    EXPECT_EQ(sh2_cache_array[5], 0);
    EXPECT_EQ(calls.back(), (std::pair<char, u32>{'u', 0}));
}

TEST_F(Sh2Test, PowerOnHoldsBothCoresWithTheirConfiguredBudgets) {
    cfg_set(cfg_32x_ssh2_speed, 0xF0);
    sh2_power_on();
    cfg_set(cfg_32x_ssh2_speed, 0x75);
    EXPECT_EQ(sh2_context.status, kSh2StatusPowerOn);
    EXPECT_EQ(sh2s_context.status, kSh2StatusPowerOn);
    EXPECT_EQ(sh2_context.slice_cycles, -139);
    EXPECT_EQ(sh2s_context.slice_cycles, -16);
}

TEST_F(Sh2Test, AResetToAPcWithoutCodeHaltsAtTheFirstSlice) {
    place(sh2_boot_rom, 0, words({0x0400, 0x0000, 0x0604, 0x0000}));
    sh2_reset_from_bios();
    EXPECT_EQ(halts, 0) << "not from the reset itself";
    EXPECT_FALSE(sh2_run_slice_alone());
    EXPECT_EQ(halts, 1);
    EXPECT_EQ(sh2_context.pc, 0x04000000u);
}

}  // namespace
}  // namespace varn
