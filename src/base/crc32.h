#pragma once
// CRC-32 as zlib and PNG compute it (reflected polynomial 0xEDB88320, initial and final
// inversion). crc32_update continues a running value, so a CRC can be built in pieces:
// crc32_update(crc32_update(0, a), b) == crc32(a + b).

#include <span>

#include "base/types.h"

namespace varn {

u32 crc32_update(u32 crc, std::span<const u8> data);
inline u32 crc32(std::span<const u8> data) { return crc32_update(0, data); }

}  // namespace varn
