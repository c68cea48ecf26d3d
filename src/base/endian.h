#pragma once
// Loads and stores of 16- and 32-bit values in a stated byte order. The consoles hold
// their memories big-endian; most file formats are little-endian. Written with shifts so
// that they are correct on any host; compilers turn them into single moves and swaps.

#include "base/types.h"

namespace varn {

constexpr u16 load_be16(const u8* p) { return static_cast<u16>(p[0] << 8 | p[1]); }
constexpr u32 load_be32(const u8* p) {
    return u32{p[0]} << 24 | u32{p[1]} << 16 | u32{p[2]} << 8 | u32{p[3]};
}
constexpr u16 load_le16(const u8* p) { return static_cast<u16>(p[1] << 8 | p[0]); }
constexpr u32 load_le32(const u8* p) {
    return u32{p[3]} << 24 | u32{p[2]} << 16 | u32{p[1]} << 8 | u32{p[0]};
}

constexpr void store_be16(u8* p, u16 v) {
    p[0] = static_cast<u8>(v >> 8);
    p[1] = static_cast<u8>(v);
}
constexpr void store_be32(u8* p, u32 v) {
    p[0] = static_cast<u8>(v >> 24);
    p[1] = static_cast<u8>(v >> 16);
    p[2] = static_cast<u8>(v >> 8);
    p[3] = static_cast<u8>(v);
}
constexpr void store_le16(u8* p, u16 v) {
    p[0] = static_cast<u8>(v);
    p[1] = static_cast<u8>(v >> 8);
}
constexpr void store_le32(u8* p, u32 v) {
    p[0] = static_cast<u8>(v);
    p[1] = static_cast<u8>(v >> 8);
    p[2] = static_cast<u8>(v >> 16);
    p[3] = static_cast<u8>(v >> 24);
}

constexpr u16 byte_swap16(u16 v) { return static_cast<u16>(v << 8 | v >> 8); }
constexpr u32 byte_swap32(u32 v) {
    return (v << 24) | ((v & 0xFF00u) << 8) | ((v >> 8) & 0xFF00u) | (v >> 24);
}

}  // namespace varn
