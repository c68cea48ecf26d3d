#include "base/crc32.h"

#include <array>

namespace varn {
namespace {

constexpr std::array<u32, 256> make_table() {
    std::array<u32, 256> t{};
    for (u32 n = 0; n < 256; ++n) {
        u32 c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[n] = c;
    }
    return t;
}

constexpr std::array<u32, 256> kTable = make_table();

}  // namespace

u32 crc32_update(u32 crc, std::span<const u8> data) {
    crc = ~crc;
    for (u8 b : data) crc = kTable[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

}  // namespace varn
