// MOVE.W and MOVEA.W (see ops_move.h).

#include "m68k/ops_move.h"

namespace varn::m68k {

M68K_FAMILY(move_word) { move::add_size<I, Size::kWord>(out); }

}  // namespace varn::m68k
