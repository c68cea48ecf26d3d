// Assembled programs run to their end on the master: branches with their delay slots and the
// bases of PC-relative operands, multiplication and division sequences.

#include "sh2/sh2_test_support.h"

namespace varn {
namespace {

using test::Sh2Test;

TEST_F(Sh2Test, BranchesDelaySlotsAndPcRelativeBases) {
    boot_master(program("branches"));
    run_master();
    ASSERT_TRUE(ended_on_sleep());
    const auto& r = sh2_context.r;
    EXPECT_EQ(r[14], 0u) << "a branch went the wrong way";
    EXPECT_EQ(sh2_context.pc, 0x1ACu);
    EXPECT_EQ(r[1], 0x84u) << "MOVA in a slot takes its base from the branch target";
    EXPECT_EQ(r[2], 17u) << "slots of taken and untaken BT/S, BF/S and of BSR and RTS";
    EXPECT_EQ(r[3], 0x86u) << "BSR sets PR to its address + 4";
    EXPECT_EQ(r[5], 6u) << "slots of BRAF and BSRF";
    EXPECT_EQ(r[6], 0xBEu) << "BSRF sets PR to its address + 4";
    EXPECT_EQ(r[8], 0xCEu) << "JSR sets PR to its address + 4";
    EXPECT_EQ(r[9], 0x12345678u) << "MOV.L @(disp,PC) in a slot reads from the target's base";
    EXPECT_EQ(r[10], 0xFFFF8765u) << "MOV.W @(disp,PC) in a slot, sign-extended";
    EXPECT_EQ(r[11], 0xCAFEF00Du) << "MOV.L @(disp,PC) outside a slot";
}

TEST_F(Sh2Test, MultiplyAccumulateAndDivisionSequences) {
    boot_master(program("muldiv"));
    run_master();
    ASSERT_TRUE(ended_on_sleep());
    const auto& r = sh2_context.r;
    EXPECT_EQ(static_cast<s32>(r[1]), -142) << "signed 32/16 division by DIV0S and DIV1";
    EXPECT_EQ(r[5], 0x55555555u) << "unsigned 64/32 division by DIV0U and DIV1, SR loaded midway";
    EXPECT_EQ(r[9], 0x7FFFFFFFu) << "MAC.W with S set saturates MACL";
    EXPECT_EQ(r[10], 1u) << "... and sets bit 0 of MACH";
    EXPECT_EQ(r[11], 0x00007FFFu) << "MAC.L with S set is held within 48 bits";
    EXPECT_EQ(r[12], 0xFFFFFFFFu);
    EXPECT_EQ(r[13], 0xFFFFFFFFu) << "MAC.W with S clear extends the product's sign into MACH";
    EXPECT_EQ(r[3], 0xFFFFFFFAu);
}

}  // namespace
}  // namespace varn
