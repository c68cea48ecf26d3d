#include "memory/memory.h"

#include <cstring>

namespace varn {

alignas(64) u8 memory_arena[kArenaSize];

void memory_clear() { std::memset(memory_arena, 0, sizeof memory_arena); }

}  // namespace varn
