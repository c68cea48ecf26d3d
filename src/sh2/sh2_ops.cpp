// The main core's opcode tables, built from the shared handlers with the main flow.

#include "sh2/sh2_ops.h"

#include <span>

#include "base/pattern_table.h"
#include "sh2/sh2_core.h"
#include "sh2/sh2_ops_handlers.h"

namespace varn {

Sh2JumpTable sh2_jump_table  = sh2::unbuilt_table<sh2::Master>();
Sh2JumpTable sh2s_jump_table = sh2::unbuilt_table<sh2::Slave>();

void sh2_interp_reset() { sh2::build_table<sh2::Master>(); }
void sh2s_interp_reset() { sh2::build_table<sh2::Slave>(); }

std::span<const OpcodePattern<Sh2Handler>> sh2_opcode_patterns() {
    return sh2::kPatterns<sh2::Master>;
}
std::span<const OpcodePattern<Sh2Handler>> sh2s_opcode_patterns() {
    return sh2::kPatterns<sh2::Slave>;
}

}  // namespace varn
