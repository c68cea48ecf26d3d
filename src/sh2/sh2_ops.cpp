// The main core's opcode tables, built from the shared handlers with the main flow.

#include "sh2/sh2_ops.h"

#include <span>

#include "base/pattern_table.h"
#include "sh2/sh2_core.h"
#include "sh2/sh2_ops_handlers.h"

namespace varn {
namespace sh2 {
namespace {

template <class I>
constexpr auto kPatterns = patterns<I>();

template <class I>
void build() {
    // The list is checked by the census test; a typing error in it leaves the table as it
    // was and is reported there.
    (void)build_pattern_table<Sh2Handler>(std::span(kPatterns<I>), std::span(I::table()),
                                          MatchOrder::kLastWins);
}

// Until the build, every word halts (so a table used too early never jumps through null).
template <class I>
Sh2JumpTable unbuilt_table() {
    Sh2JumpTable t;
    t.fill(&op_illegal<I>);
    return t;
}

}  // namespace
}  // namespace sh2

Sh2JumpTable sh2_jump_table  = sh2::unbuilt_table<sh2::Master>();
Sh2JumpTable sh2s_jump_table = sh2::unbuilt_table<sh2::Slave>();

void sh2_interp_reset() { sh2::build<sh2::Master>(); }
void sh2s_interp_reset() { sh2::build<sh2::Slave>(); }

std::span<const OpcodePattern<Sh2Handler>> sh2_opcode_patterns() {
    return sh2::kPatterns<sh2::Master>;
}
std::span<const OpcodePattern<Sh2Handler>> sh2s_opcode_patterns() {
    return sh2::kPatterns<sh2::Slave>;
}

}  // namespace varn
