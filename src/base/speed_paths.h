#pragma once
// The speed paths: shortcuts that reach exactly the state plain execution reaches, only
// faster (chained dispatch and fused branches, the 68000 wait and poll loops, the Z80
// self-jump loop, the Genesis wait stretches, the VDP line and sprite caches). They are on by
// default. Turned off, every instruction is dispatched on its own and every line is drawn
// afresh, which is what the differential check compares them against.
//
// The switch is set before a machine runs (start-up, tests, the check's second run); code
// that caches a decision taken from it reads it again at power-on or slice entry.

namespace varn {

namespace detail {
extern bool speed_paths_on;
}

inline bool speed_paths_enabled() { return detail::speed_paths_on; }
void set_speed_paths(bool on);

}  // namespace varn
