#pragma once
// The 68000 buses as the CPU core sees them: page tables of plain handler functions, one
// table per access kind, and the six inline accessors per instance that dispatch through
// them. Whoever owns a bus fills its tables (the Genesis bus fills the main CPU's, the Sega CD
// the sub-CPU's); the core only calls the accessors.
//
// Main CPU: 4096 pages of 4 KB (address bits 12-23). Sega CD sub-CPU: 256 pages of 64 KB
// (address bits 16-23).
//
// Contract of every handler and accessor:
// - The address is a 32-bit 68000 address; the accessor masks it to 24 bits before it picks
//   the page and hands the masked address to the handler.
// - A read gives the byte, word or long in the low 8, 16 or 32 bits of its result, in the
//   console's big-endian order; the bits above a byte or word are undefined and every caller
//   ignores them. A write stores the low 8, 16 or 32 bits of its value (a long high word
//   first).
// - No alignment check: a word or long at an odd address goes to the handler of the page of
//   its first byte as it is. No exception, no cycles charged.
// - A page without a device reads as the address itself and ignores writes
//   (`m68k_unmapped_read`, `m68k_unmapped_write`, the tables' contents at start-up).

#include <array>

#include "base/types.h"

namespace varn {

using M68kReadFn  = u32 (*)(u32 addr);
using M68kWriteFn = void (*)(u32 addr, u32 value);

// A region of a map: its six routines (read byte, word, long; write byte, word, long).
struct M68kHandlerSet {
    M68kReadFn read_byte;
    M68kReadFn read_word;
    M68kReadFn read_long;
    M68kWriteFn write_byte;
    M68kWriteFn write_word;
    M68kWriteFn write_long;
};

// One run of a region list: `pages` consecutive pages served by `*set`. The set is read when
// the list is laid, so a set that its unit replaces at start-up is picked up by the next
// power-on.
struct M68kMapRun {
    const M68kHandlerSet* set;
    u32 pages;
};

inline constexpr u32 kM68kBusPages = 4096;  // main CPU: 4 KB pages
inline constexpr u32 kS68kBusPages = 256;   // sub-CPU: 64 KB pages

using M68kReadTable  = std::array<M68kReadFn, kM68kBusPages>;
using M68kWriteTable = std::array<M68kWriteFn, kM68kBusPages>;
using S68kReadTable  = std::array<M68kReadFn, kS68kBusPages>;
using S68kWriteTable = std::array<M68kWriteFn, kS68kBusPages>;

// Main CPU page tables; entry p serves addresses p * 0x1000 to p * 0x1000 + 0xFFF.
extern M68kReadTable m68k_page_read_byte;
extern M68kReadTable m68k_page_read_word;
extern M68kReadTable m68k_page_read_long;
extern M68kWriteTable m68k_page_write_byte;
extern M68kWriteTable m68k_page_write_word;
extern M68kWriteTable m68k_page_write_long;

// Sub-CPU page tables; entry p serves addresses p * 0x10000 to p * 0x10000 + 0xFFFF.
extern S68kReadTable s68k_page_read_byte;
extern S68kReadTable s68k_page_read_word;
extern S68kReadTable s68k_page_read_long;
extern S68kWriteTable s68k_page_write_byte;
extern S68kWriteTable s68k_page_write_word;
extern S68kWriteTable s68k_page_write_long;

// A page without a device: reads give the (masked) address, writes are ignored.
inline u32 m68k_unmapped_read(u32 addr) { return addr; }
inline void m68k_unmapped_write(u32, u32) {}

// Steady reads on the main CPU's bus: true when a read of `size` bytes (1, 2 or 4) at `addr`
// made now, and made again later in the same slice of the main CPU with no other access in
// between, gives the same value both times and the second changes nothing that the first did
// not (work RAM, which only the main CPU changes during its slice; a status port whose value
// holds for the slice, unless it has a bit to report once). Asked before the read it is about.
// The core may then leave out the repeated reads of a loop that can do nothing but read
// again until the slice ends. Bound by the bus owner; null (the default) declares nothing
// steady.
extern bool (*m68k_steady_read)(u32 addr, u32 size);
inline bool m68k_read_is_steady(u32 addr, u32 size) {
    return m68k_steady_read != nullptr && m68k_steady_read(addr, size);
}

// Points every page of both buses at the unmapped handlers (the start-up contents) and
// clears m68k_steady_read.
void m68k_bus_clear();

inline constexpr u32 kM68kAddressMask = 0xFFFFFF;

// Main CPU accessors.
inline u32 m68k_read_byte(u32 addr) {
    addr &= kM68kAddressMask;
    return m68k_page_read_byte[addr >> 12](addr);
}
inline u32 m68k_read_word(u32 addr) {
    addr &= kM68kAddressMask;
    return m68k_page_read_word[addr >> 12](addr);
}
inline u32 m68k_read_long(u32 addr) {
    addr &= kM68kAddressMask;
    return m68k_page_read_long[addr >> 12](addr);
}
inline void m68k_write_byte(u32 addr, u32 value) {
    addr &= kM68kAddressMask;
    m68k_page_write_byte[addr >> 12](addr, value);
}
inline void m68k_write_word(u32 addr, u32 value) {
    addr &= kM68kAddressMask;
    m68k_page_write_word[addr >> 12](addr, value);
}
inline void m68k_write_long(u32 addr, u32 value) {
    addr &= kM68kAddressMask;
    m68k_page_write_long[addr >> 12](addr, value);
}

// Sub-CPU accessors.
inline u32 s68k_read_byte(u32 addr) {
    addr &= kM68kAddressMask;
    return s68k_page_read_byte[addr >> 16](addr);
}
inline u32 s68k_read_word(u32 addr) {
    addr &= kM68kAddressMask;
    return s68k_page_read_word[addr >> 16](addr);
}
inline u32 s68k_read_long(u32 addr) {
    addr &= kM68kAddressMask;
    return s68k_page_read_long[addr >> 16](addr);
}
inline void s68k_write_byte(u32 addr, u32 value) {
    addr &= kM68kAddressMask;
    s68k_page_write_byte[addr >> 16](addr, value);
}
inline void s68k_write_word(u32 addr, u32 value) {
    addr &= kM68kAddressMask;
    s68k_page_write_word[addr >> 16](addr, value);
}
inline void s68k_write_long(u32 addr, u32 value) {
    addr &= kM68kAddressMask;
    s68k_page_write_long[addr >> 16](addr, value);
}

}  // namespace varn
