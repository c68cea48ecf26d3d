// MOVE.L and MOVEA.L (see ops_move.h).

#include "m68k/ops_move.h"

namespace varn::m68k {

M68K_FAMILY(move_long) { move::add_size<I, Size::kLong>(out); }

}  // namespace varn::m68k
