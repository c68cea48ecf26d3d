#pragma once
// Six-button pad time-out. A six-button pad walks through its extra read steps only while
// the game toggles TH quickly; left alone for about 1.5 ms it falls back to the start of
// its sequence. Every write to a port's data register restarts that port's counter at 0xD0
// 68000 slices; the light-gun tick counts it down once a slice and, when it runs out, tells
// the port's device.

#include <array>

#include "base/types.h"

namespace varn {

inline constexpr u32 kPadTimeoutSlices = 0xD0;

// One counter per console port. Zero when the program starts; a power-on leaves them.
extern std::array<u32, 2> pad_timeout;

// Called by the port's data-register write.
inline void pad_timeout_restart(u32 port) { pad_timeout[port & 1] = kPadTimeoutSlices; }

// What a port's device does when its counter runs out (a pad: phase := phase & 1). Owned
// here and filled by the controller-port code; null means the port has nothing to reset.
extern void (*pad_timeout_expired)(u32 port);

// Once per 68000 slice.
void pad_timeout_tick();

// Clears the counters (tests).
void pad_timeout_reset();

}  // namespace varn
