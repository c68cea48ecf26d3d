// The earlier machine's Z80: the overlay of the older instructions, its run loop, its map
// and the machine stop.

#include <initializer_list>
#include <span>
#include <vector>

#include "genesis/z80/genesis_z80.h"
#include "legacy_machine_support.h"

namespace varn::test {
namespace {

class LegacyZ80Test : public LegacyMachineFixture {
  protected:
    void SetUp() override {
        LegacyMachineFixture::SetUp();
        stops              = 0;
        z80_halt_slot_v024 = [] { ++stops; };
        z80_ram.fill(0);
    }
    static void code(std::initializer_list<u8> bytes, u32 at = 0) {
        for (const u8 b : bytes) z80_ram[at++] = b;
    }
    static z80_cpu_context& cpu() { return z80_context_v024; }
    static u8 a() { return static_cast<u8>(cpu().af >> 8); }
    static u8 f() { return static_cast<u8>(cpu().af); }
    // Runs instructions until PC reaches `pc` (a slice of one instruction each).
    static void run_to(u16 pc) {
        for (int i = 0; i < 1000 && cpu().pc != pc && (cpu().status & 0x300) == 0; ++i) {
            cpu().slice_budget  = -1;
            cpu().cycle_counter = 0;
            z80_run_v024();
        }
    }
    static inline int stops = 0;
};

TEST_F(LegacyZ80Test, OverlayReplacesTheOlderInstructionsOnly) {
    EXPECT_EQ(z80_overridden_entries_v024(), 123u);
}

TEST_F(LegacyZ80Test, SliceRunsUntilTheCounterReachesZero) {
    // NOPs (4 T-states): exactly 20 in a slice of 80.
    z80_run_v024();
    EXPECT_EQ(cpu().pc, 20);
    EXPECT_EQ(cpu().cycle_counter, 0u);
    // LD A,(BC) (7): twelve run, the overshoot of 4 is taken from the next slice.
    SetUp();
    for (u32 i = 0; i < 64; ++i) z80_ram[i] = 0x0A;
    cpu().bc = 0x100;
    z80_run_v024();
    EXPECT_EQ(cpu().pc, 12);
    EXPECT_EQ(static_cast<s32>(cpu().cycle_counter), 4);
    z80_run_v024();  // 76 to go: eleven bring it to +1
    EXPECT_EQ(cpu().pc, 23);
    EXPECT_EQ(static_cast<s32>(cpu().cycle_counter), 1);
}

TEST_F(LegacyZ80Test, HaltRepeatsInPlaceAndRIsNeverCounted) {
    code({0x3E, 0x05, 0xED, 0x4F, 0x00, 0x00, 0x00, 0xCB, 0x07, 0xDD, 0x21, 0, 0, 0xED, 0x5F,
          0x76});  // LD A,5; LD R,A; NOPs; RLC A; LD IX,0; LD A,R; HALT
    run_to(0x0F);
    EXPECT_EQ(a(), 0x05);
    for (int i = 0; i < 3; ++i) z80_run_v024();
    EXPECT_EQ(cpu().pc, 0x0F);  // HALT: the PC stays on it
    EXPECT_EQ(stops, 0);
}

TEST_F(LegacyZ80Test, UndefinedOpcodesAndJumpsWithoutCodeStopTheMachine) {
    struct Case {
        const char* name;
        std::initializer_list<u8> code;
    };
    for (const Case& c : {Case{"LD IXH,n", {0xDD, 0x26, 0x12}}, Case{"ADD A,IYL", {0xFD, 0x85}},
                          Case{"JP 0x2000", {0xC3, 0x00, 0x20}},
                          Case{"CALL 0x8000", {0x31, 0x00, 0x10, 0xCD, 0x00, 0x80}}}) {
        SCOPED_TRACE(c.name);
        SetUp();
        code(c.code);
        z80_run_v024();
        EXPECT_EQ(cpu().status & 0x300, 0x300u);
        EXPECT_EQ(stops, 1);
        const u16 pc = cpu().pc;
        z80_run_v024();  // a stopped core does nothing
        EXPECT_EQ(cpu().pc, pc);
    }
}

TEST_F(LegacyZ80Test, OlderFlagRules) {
    struct Case {
        const char* name;
        std::initializer_list<u8> code;
        u16 af, bc, hl;
        u16 expect_af, expect_hl, expect_bc;
    };
    // clang-format off
    const Case cases[] = {
        // ADD HL,rr: H is the carry out of bit 3; S, Z, P/V kept; N cleared.
        {"ADD HL,BC bit 3", {0x09}, 0x00C6, 0x0008, 0x0008, 0x00D4, 0x0010, 0x0008},
        {"ADD HL,BC bit 11", {0x09}, 0x0002, 0x0800, 0x0800, 0x0000, 0x1000, 0x0800},
        {"ADC HL,BC", {0xED, 0x4A}, 0x0001, 0x0007, 0x0008, 0x0010, 0x0010, 0x0007},
        {"SBC HL,BC", {0xED, 0x42}, 0x0000, 0x0001, 0x0010, 0x0012, 0x000F, 0x0001},
        // RLCA and RRA: bits 3 and 5 of F cleared, S, Z, P/V kept.
        {"RLCA", {0x07}, 0x81FF, 0, 0, 0x03C5, 0, 0},
        {"RRA", {0x1F}, 0x0128, 0, 0, 0x0001, 0, 0},
        // INI: the flags of B's decrement; C and bits 3, 5 kept.
        {"INI B=1", {0xED, 0xA2}, 0x0029, 0x0140, 0x0100, 0x0069 | 0x02, 0x0101, 0x0040},
        {"INI B=0x80", {0xED, 0xA2}, 0x0000, 0x8040, 0x0100, 0x0016, 0x0101, 0x7F40},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        code(c.code);
        cpu().af = c.af;
        cpu().bc = c.bc;
        cpu().hl = c.hl;
        run_to(static_cast<u16>(c.code.size()));
        EXPECT_EQ(cpu().af, c.expect_af);
        EXPECT_EQ(cpu().hl, c.expect_hl);
        EXPECT_EQ(cpu().bc, c.expect_bc);
    }
}

TEST_F(LegacyZ80Test, EiImAndTheMap) {
    cpu().im = 1;
    code({0xFB, 0xED, 0x5E, 0x3A, 0x00, 0x20, 0x3A, 0x01, 0x40});
    run_to(3);  // EI, IM 2
    EXPECT_EQ(cpu().iff1, kZ80IffOn);
    EXPECT_EQ(cpu().im, 1);  // IM stores nothing
    run_to(6);               // LD A,(0x2000): the low byte of the address, not a mirror
    EXPECT_EQ(a(), 0x00);
    ym2612_v024.timer_b.flag = 0xFF;
    run_to(9);
    EXPECT_EQ(a(), 0x02);

    // Ten writes to the bank register keep the last nine bits: 68000 bits 15-23.
    for (const u8 bit : {1, 0, 0, 0, 0, 0, 0, 0, 0, 1}) z80_write_byte_v024(0x6000, bit);
    EXPECT_EQ(z80_bank_v024, 0x800000u);
    z80_bank_v024  = 0xFF0000;
    m68k_ram[0x10] = 0x12;
    m68k_ram[0x11] = 0x34;
    EXPECT_EQ(z80_read_byte_v024(0x8010), 0x12);
    EXPECT_EQ(z80_read_word_v024(0x8010), 0x3412);  // the 68000 word byte-swapped
    z80_write_word_v024(0x8010, 0xBEEF);
    EXPECT_EQ(m68k_ram[0x10], 0xEF);
    // A word on the last RAM byte takes its high byte from 0x2000 (the address's low byte).
    z80_ram[0x1FFF] = 0x77;
    EXPECT_EQ(z80_read_word_v024(0x1FFF), 0x0077);
    // The YM2612 from the Z80: a word write latches its low byte and writes its high one.
    z80_write_word_v024(0x4000, 0xFF26);
    EXPECT_EQ(ym2612_v024.timer_b_value, 0xFFu);
}

TEST_F(LegacyZ80Test, GenecystRegisters) {
    std::vector<u8> image(0x438, 0);
    auto field = [&](u32 off, u16 v) {
        image[off]     = static_cast<u8>(v);
        image[off + 1] = static_cast<u8>(v >> 8);
    };
    field(0x404, 0x1234);  // AF
    field(0x41C, 0x0100);  // PC
    field(0x420, 0x1FF0);  // SP
    image[0x434] = 0x3C;
    EXPECT_FALSE(z80_load_gs_registers_v024(std::span<const u8>(image).first(0x437)));
    EXPECT_EQ(cpu().af, 0);
    ASSERT_TRUE(z80_load_gs_registers_v024(image));
    EXPECT_EQ(cpu().af, 0x1234);
    EXPECT_EQ(cpu().sp, 0x1FF0);
    EXPECT_EQ(cpu().i, 0x3C);
    code({0x00}, 0x100);
    z80_run_v024();
    EXPECT_EQ(cpu().status, 0u);
    // A PC outside the RAM pages stops the machine at the load.
    field(0x41C, 0x4000);
    ASSERT_TRUE(z80_load_gs_registers_v024(image));
    EXPECT_EQ(cpu().status & 0x300, 0x300u);
    EXPECT_EQ(stops, 1);
}

}  // namespace
}  // namespace varn::test
