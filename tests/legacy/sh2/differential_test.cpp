// The shared SH-2 instruction semantics on the two flows: random programs run once on the
// main core and once on the earlier release's pipeline, and must leave the same registers
// and memory. Costs differ between the flows, so each program runs to its end in one long
// slice; the instructions whose behaviour is a named difference of the flows (SLEEP, the
// words without an instruction) and bus addresses outside the scratch memory are not used.

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

#include "legacy/sh2/legacy_sh2_support.h"

namespace varn::test {
namespace {

constexpr u32 kCodeBase    = 0x02000000;  // the cartridge window
constexpr u32 kScratchBase = 0x06010000;  // pointer registers R8-R13 and GBR point here

// Random programs over data registers R0-R7, pointer registers R8-R13 and forward branches.
class ProgramMaker {
  public:
    explicit ProgramMaker(u32 seed) : rng_(seed) {}

    std::vector<u16> make(u32 length) {
        std::vector<u16> code;
        while (code.size() < length) {
            const u32 left = length - static_cast<u32>(code.size());
            switch (pick(8)) {
                case 0:
                case 1:
                case 2:
                    code.push_back(alu());
                    break;
                case 3:
                    code.push_back(one_register());
                    break;
                case 4:
                case 5:
                    code.push_back(memory());
                    break;
                case 6:
                    code.push_back(immediate());
                    break;
                default:
                    if (left > 8) branch(code);
                    break;
            }
        }
        code.push_back(0xAFFE);  // end: bra end
        code.push_back(0x0009);
        return code;
    }

  private:
    u32 pick(u32 n) { return std::uniform_int_distribution<u32>(0, n - 1)(rng_); }
    u16 data() { return static_cast<u16>(pick(8)); }
    u16 pointer() { return static_cast<u16>(8 + pick(6)); }
    u16 nm(u16 base, u16 n, u16 m) { return static_cast<u16>(base | n << 8 | m << 4); }

    u16 alu() {
        static constexpr u16 kOps[] = {
            0x3000, 0x3002, 0x3003, 0x3006, 0x3007, 0x3008, 0x300A, 0x300B, 0x300C,
            0x300E, 0x300F, 0x2008, 0x2009, 0x200A, 0x200B, 0x200C, 0x200D, 0x200E,
            0x200F, 0x3005, 0x300D, 0x0007, 0x6003, 0x6007, 0x6008, 0x6009, 0x600A,
            0x600B, 0x600C, 0x600D, 0x600E, 0x600F, 0x2007, 0x3004, 0x3004, 0x3004};
        return nm(kOps[pick(std::size(kOps))], data(), data());
    }
    u16 one_register() {
        static constexpr u16 kOps[] = {
            0x4000, 0x4010, 0x4020, 0x4001, 0x4011, 0x4021, 0x4004, 0x4024, 0x4005, 0x4015, 0x4025,
            0x4008, 0x4018, 0x4028, 0x4009, 0x4019, 0x4029, 0x0029, 0x000A, 0x001A, 0x400A, 0x401A};
        static constexpr u16 kNoOperand[] = {0x0008, 0x0018, 0x0028, 0x0019, 0x0009};
        if (pick(4) == 0) return kNoOperand[pick(std::size(kNoOperand))];
        return nm(kOps[pick(std::size(kOps))], data(), 0);
    }
    u16 immediate() {
        static constexpr u16 kOps[] = {0x7000, 0xE000, 0x8800, 0xC800, 0xC900, 0xCA00, 0xCB00};
        const u16 op                = kOps[pick(std::size(kOps))];
        const u16 v                 = static_cast<u16>(pick(256));
        return (op & 0xF000) == 0x7000 || (op & 0xF000) == 0xE000 ? nm(op | v, data(), 0)
                                                                  : static_cast<u16>(op | v);
    }
    u16 memory() {
        switch (pick(14)) {
            case 0:
                return nm(0x2000 | static_cast<u16>(pick(3)), pointer(), data());  // MOV Rm,@Rn
            case 1:
                return nm(0x6000 | static_cast<u16>(pick(3)), data(), pointer());  // MOV @Rm,Rn
            case 2:
                return nm(0x1000 | static_cast<u16>(pick(16)), pointer(), data());
            case 3:
                return nm(0x5000 | static_cast<u16>(pick(16)), data(), pointer());
            case 4:
                return nm(0x2004 | static_cast<u16>(pick(3)), pointer(), data());  // @-Rn
            case 5:
                return nm(0x6004 | static_cast<u16>(pick(3)), data(), pointer());  // @Rm+
            case 6:
                return nm((pick(2) ? 0x8000 : 0x8400) | static_cast<u16>(pick(16)), 0,
                          pointer());  // MOV.B R0 forms with a displacement
            case 7:
                return static_cast<u16>(0xC000 | pick(3) << 8 | pick(256));  // store @(d,GBR)
            case 8:
                return static_cast<u16>(0xC400 | pick(3) << 8 | pick(256));  // load @(d,GBR)
            case 9:
                return nm(pick(2) ? 0x000F : 0x400F, pointer(), pointer());  // MAC.L, MAC.W
            case 10:
                return nm(0x401B, pointer(), 0);  // TAS.B
            case 11:
                return nm(pick(2) ? 0x4002 : 0x4012, pointer(), 0);  // STS.L MACx,@-Rn
            case 12:
                return nm(0x9000 | static_cast<u16>(pick(256)), data(), 0);  // MOV.W @(d,PC)
            default:
                return static_cast<u16>((pick(2) ? 0xD000 : 0xC700) | pick(256));  // MOV.L, MOVA
        }
    }
    // A forward branch over a few instructions; delayed ones get an ordinary slot.
    void branch(std::vector<u16>& code) {
        const u16 d = static_cast<u16>(pick(4));
        switch (pick(5)) {
            case 0:
                code.push_back(static_cast<u16>(0x8900 | d));  // BT
                return;
            case 1:
                code.push_back(static_cast<u16>(0x8B00 | d));  // BF
                return;
            case 2:
                code.push_back(static_cast<u16>(0x8D00 | d));  // BT/S
                break;
            case 3:
                code.push_back(static_cast<u16>(0x8F00 | d));  // BF/S
                break;
            default:
                code.push_back(static_cast<u16>(0xA000 | d));  // BRA
                break;
        }
        code.push_back(alu());
    }

    std::mt19937 rng_;
};

struct Snapshot {
    std::array<u32, 16> r{};
    u32 sr = 0, gbr = 0, mach = 0, macl = 0, pr = 0;
    std::vector<u8> scratch;
    bool operator==(const Snapshot&) const = default;
};

class LegacySh2Differential : public LegacySh2Test {
  protected:
    void start(const std::vector<u16>& code, u32 seed) {
        sh2_memory_clear();
        for (std::size_t i = 0; i < code.size(); ++i)
            store_be16(memory_arena + kCartRomOffset + 2 * i, code[i]);
        sh2_set_cart_size(static_cast<u32>(code.size() * 2 + 0x400));
        Sh2CpuContext& c = sh2_context;
        c                = Sh2CpuContext{};
        std::mt19937 rng(seed);
        for (u32 i = 0; i < 8; ++i) c.r[i] = rng();
        for (u32 i = 8; i < 14; ++i) c.r[i] = kScratchBase + (i - 8) * 0x1000 + 0x800;
        c.r[14] = rng();
        c.r[15] = 0x06030000;
        c.gbr   = kScratchBase + 0x7000;
        c.mach  = rng();
        c.macl  = rng();
        c.sr    = 0xF0 | (rng() & (kSh2SrT | kSh2SrS | kSh2SrQ | kSh2SrM));
        c.div_q = (c.sr & kSh2SrQ) ? ~0u : 0;
        c.div_m = (c.sr & kSh2SrM) ? ~0u : 0;
        for (u32 a = 0x10000; a < 0x18000; a += 4) store_be32(&s32x_sdram[a], rng());
        c.pc           = kCodeBase;
        c.slice_cycles = -200000;
        sh2_reset_records_v024();
    }
    static Snapshot snapshot() {
        const auto& c = sh2_context;
        Snapshot s{c.r, c.sr, c.gbr, c.mach, c.macl, c.pr, {}};
        s.scratch.assign(s32x_sdram.begin() + 0x10000, s32x_sdram.begin() + 0x18000);
        return s;
    }
};

TEST_F(LegacySh2Differential, RandomProgramsLeaveTheSameStateOnBothFlows) {
    for (u32 seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE(seed);
        const std::vector<u16> code = ProgramMaker(seed).make(160);
        const u32 end               = kCodeBase + static_cast<u32>(code.size() - 2) * 2;

        start(code, seed);
        sh2_run_slice_alone();
        ASSERT_EQ(sh2_context.status & kSh2StatusHalted, 0u);
        ASSERT_TRUE(sh2_context.pc == end || sh2_context.pc == end + 2)
            << std::hex << sh2_context.pc;
        const Snapshot main_flow = snapshot();

        start(code, seed);
        sh2_run_slice_alone_v024();
        ASSERT_EQ(sh2_context.status & kSh2StatusHalted, 0u);
        ASSERT_TRUE(sh2_context.pc == end || sh2_context.pc == end + 2)
            << std::hex << sh2_context.pc;
        const Snapshot older_flow = snapshot();

        ASSERT_EQ(main_flow.r, older_flow.r);
        ASSERT_EQ(main_flow.sr, older_flow.sr);
        ASSERT_EQ(main_flow.gbr, older_flow.gbr);
        ASSERT_EQ(main_flow.mach, older_flow.mach);
        ASSERT_EQ(main_flow.macl, older_flow.macl);
        ASSERT_TRUE(main_flow.scratch == older_flow.scratch) << "scratch memory differs";
    }
}

}  // namespace
}  // namespace varn::test
