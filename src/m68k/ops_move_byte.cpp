// MOVE.B (see ops_move.h).

#include "m68k/ops_move.h"

namespace varn::m68k {

M68K_FAMILY(move_byte) { move::add_size<I, Size::kByte>(out); }

}  // namespace varn::m68k
