#include "base/crc32.h"

#include <array>

#include "base/endian.h"

namespace varn {
namespace {

// Slicing by eight: table k holds the CRC of a byte followed by k zero bytes, so eight
// input bytes fold into the running value with eight independent lookups instead of a
// chain of eight dependent ones.
using Tables = std::array<std::array<u32, 256>, 8>;

constexpr Tables make_tables() {
    Tables t{};
    for (u32 n = 0; n < 256; ++n) {
        u32 c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[0][n] = c;
    }
    for (u32 n = 0; n < 256; ++n) {
        for (std::size_t k = 1; k < 8; ++k) t[k][n] = t[0][t[k - 1][n] & 0xFF] ^ (t[k - 1][n] >> 8);
    }
    return t;
}

constexpr Tables kTables = make_tables();

}  // namespace

u32 crc32_update(u32 crc, std::span<const u8> data) {
    crc           = ~crc;
    const u8* p   = data.data();
    std::size_t n = data.size();
    for (; n >= 8; n -= 8, p += 8) {
        const u32 lo = load_le32(p) ^ crc;
        const u32 hi = load_le32(p + 4);
        crc = kTables[7][lo & 0xFF] ^ kTables[6][(lo >> 8) & 0xFF] ^ kTables[5][(lo >> 16) & 0xFF] ^
              kTables[4][lo >> 24] ^ kTables[3][hi & 0xFF] ^ kTables[2][(hi >> 8) & 0xFF] ^
              kTables[1][(hi >> 16) & 0xFF] ^ kTables[0][hi >> 24];
    }
    for (; n > 0; --n, ++p) crc = kTables[0][(crc ^ *p) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

}  // namespace varn
