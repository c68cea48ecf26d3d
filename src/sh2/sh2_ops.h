#pragma once
// The pattern lists the SH-2 opcode tables are built from (for tests and tools): entry 0
// matches every word and halts; each later entry is one instruction's encoding, and the last
// entry that matches a word owns it.

#include <span>

#include "base/pattern_table.h"
#include "sh2/sh2_core.h"

namespace varn {

inline constexpr std::size_t kSh2PatternCount = 143;

std::span<const OpcodePattern<Sh2Handler>> sh2_opcode_patterns();
std::span<const OpcodePattern<Sh2Handler>> sh2s_opcode_patterns();

}  // namespace varn
