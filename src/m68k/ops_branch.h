#pragma once
// Bcc, the conditional branch (line 6, conditions 2-15): here rather than in ops_branch.cpp
// alone because the step of a test or compare runs the Bcc that follows it inline (chained in
// m68k_speed_paths.h), on the commonest pair of instructions there is.
//
//   Bcc    taken 10; not taken 8 (byte displacement) or 12 (word displacement)

#include "m68k/m68k_core.h"

namespace varn::m68k {

inline constexpr u32 kBccShortNotTakenCycles = 8;   // byte displacement
inline constexpr u32 kBccLongNotTakenCycles  = 12;  // word displacement

// A branch's displacement, sign-extended: byte 0x00 selects the word after the opcode.
M68K_INLINE u32 branch_displacement(u32 ir) {
    const u32 disp8 = (ir >> 16) & 0xFF;
    return disp8 == 0 ? sign_extend16(ir & 0xFFFF) : sign_extend8(disp8);
}

template <class I>
M68K_INLINE u32 op_bcc(u32 ir) {
    if (!m68k_test_condition(ir >> 24, I::cpu().sr)) {
        const bool word = (ir & 0x00FF0000) == 0;
        advance<I>(word ? 4 : 2);
        return word ? kBccLongNotTakenCycles : kBccShortNotTakenCycles;
    }
    if (!branch_by<I>(branch_displacement(ir))) return halt<I>();
    return kBranchTakenCycles;
}

}  // namespace varn::m68k
