#pragma once
// The older core's record lists, for the table's build and for tests that check what the
// finished tables hold.

#include <vector>

#include "base/pattern_table.h"
#include "legacy/m68k/m68k_v024_core.h"

namespace varn::m68k_v024 {

using RecordV024 = OpcodePattern<M68kHandlerV024>;

// The ordered records of each instance (437 each; the last matching record wins).
std::vector<RecordV024> m68k_records_v024();
std::vector<RecordV024> s68k_records_v024();
// The handler of every opcode without an operation (it halts the core).
M68kHandlerV024 m68k_unassigned_v024();
M68kHandlerV024 s68k_unassigned_v024();

}  // namespace varn::m68k_v024
