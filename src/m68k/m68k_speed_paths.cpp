// The speed paths' records (see m68k_speed_paths.h).

#include "m68k/m68k_speed_paths.h"

namespace varn::m68k {

u32 m68k_chain_left = 0;
u32 s68k_chain_left = 0;
M68kWaitStop m68k_wait_stop;

}  // namespace varn::m68k
