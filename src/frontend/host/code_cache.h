#pragma once
// The code cache: 4 MB of host memory, 2 MB for each SH-2, mapped readable and executable
// once at start-up and released at exit; the start-up fails with a message when the host
// refuses it. The SH-2s of this program are interpreted, so no code is emitted into it: it
// stays reserved, with its protection switches, as the start-up has always reserved it.

#include "base/types.h"

namespace varn {

inline constexpr u32 kCodeCacheBytes = 4 * 1024 * 1024;
inline constexpr u32 kCodeCacheHalf  = kCodeCacheBytes / 2;

// The cache and the second SH-2's half; null while none is mapped.
extern u8* work_block;
extern u8* work_block_second;

// Maps the cache read-and-execute. False (nothing mapped) when the host refuses.
bool code_cache_allocate();
void code_cache_release();

// Switch the whole cache, both halves, between writable and executable. False when the
// host refuses the change (the cache then keeps the protection it had).
bool code_cache_protect_write();
bool code_cache_protect_execute();

}  // namespace varn
