#pragma once
// Inside the SH-2 core: the instance bindings, the handler contract, fetch regions, halts.
// The instruction handlers (sh2_ops.cpp) and the run loop (sh2.cpp) include this header;
// nothing outside src/sh2/ should.
//
// Handler contract. A handler is `u32 handler(u32 ir)` with the instruction word in `ir`. It
// knows its operation from its template arguments and takes only register numbers and
// immediates from the word. It reaches memory only through its instance's bus (I::read8 ...)
// and returns its cycle count:
//   - an ordinary instruction returns its cycles; a branch that is not delayed (BT, BF,
//     TRAPA) has set `next` to its target first;
//   - a delayed branch sets `next` to its target (or leaves it for a branch not taken) and
//     returns its cycles plus kSh2Delayed: the loop then runs the delay slot in the same slice;
//   - a halt returns kSh2Leave, having set the status bits and `pc`.

#include <array>

#include "base/endian.h"
#include "base/types.h"
#include "memory/memory.h"
#include "sh2/sh2.h"
#include "sh2/sh2_bus.h"

#define SH2_INLINE [[gnu::always_inline]] inline

namespace varn {

using Sh2Handler   = u32 (*)(u32 ir);
using Sh2JumpTable = std::array<Sh2Handler, 65536>;

extern Sh2JumpTable sh2_jump_table;
extern Sh2JumpTable sh2s_jump_table;

namespace sh2 {

inline constexpr u32 kSh2Delayed = 0x100;  // added to a delayed branch's cycles
inline constexpr u32 kSh2Leave   = 0x200;  // the handler halted the core

// ---------------------------------------------------------------------------------------
// Instances
// ---------------------------------------------------------------------------------------

struct Master {
    static constexpr u32 kCore          = 0;
    static constexpr u32 kBootRomOffset = kSh2BootRomOffset;
    static constexpr u32 kBootRomSize   = kSh2BootRomSize;
    static constexpr u32 kCacheOffset   = kSh2CacheOffset;
    static Sh2CpuContext& cpu() { return sh2_context; }
    static Sh2JumpTable& table() { return sh2_jump_table; }
    static u32 read8(u32 a) { return sh2_read_byte(a); }
    static u32 read16(u32 a) { return sh2_read_word(a); }
    static u32 read32(u32 a) { return sh2_read_long(a); }
    static void write8(u32 a, u32 v) { sh2_write_byte(a, v); }
    static void write16(u32 a, u32 v) { sh2_write_word(a, v); }
    static void write32(u32 a, u32 v) { sh2_write_long(a, v); }
};

struct Slave {
    static constexpr u32 kCore          = 1;
    static constexpr u32 kBootRomOffset = kSh2sBootRomOffset;
    static constexpr u32 kBootRomSize   = kSh2sBootRomSize;
    static constexpr u32 kCacheOffset   = kSh2sCacheOffset;
    static Sh2CpuContext& cpu() { return sh2s_context; }
    static Sh2JumpTable& table() { return sh2s_jump_table; }
    static u32 read8(u32 a) { return sh2s_read_byte(a); }
    static u32 read16(u32 a) { return sh2s_read_word(a); }
    static u32 read32(u32 a) { return sh2s_read_long(a); }
    static void write8(u32 a, u32 v) { sh2s_write_byte(a, v); }
    static void write16(u32 a, u32 v) { sh2s_write_word(a, v); }
    static void write32(u32 a, u32 v) { sh2s_write_long(a, v); }
};

// ---------------------------------------------------------------------------------------
// Fetch regions
// ---------------------------------------------------------------------------------------

// The fetch region holding `addr`, by address bits 24-31: the boot ROM at 0x00, the
// cartridge as loaded at 0x02 and 0x22, SDRAM at 0x06 and 0x26, the cache data array at 0xC0.
// Each is bounded by its image: code beyond the end of an image, or in any other area (frame
// buffer, registers), has no region.
struct FetchRegion {
    const u8* image = nullptr;
    u32 start       = 0;
    u32 size        = 0;
};

template <class I>
FetchRegion fetch_region(u32 addr) {
    switch (addr >> 24) {
        case 0x00:
            return {sh2_memory + I::kBootRomOffset, 0, I::kBootRomSize};
        case 0x02:
        case 0x22:
            return {memory_arena + kCartRomOffset, addr & 0xFF000000u, sh2_cart_size};
        case 0x06:
        case 0x26:
            return {sh2_memory + kS32xSdramOffset, addr & 0xFF000000u, kS32xSdramSize};
        case 0xC0:
            return {sh2_memory + I::kCacheOffset, 0xC0000000u, kSh2CacheArraySize};
        default:
            return {};
    }
}

// Makes `addr` the running position (next := the instruction after it). False, with the
// context untouched, when no region holds it.
template <class I>
[[gnu::noinline]] bool enter_region(u32 addr) {
    const FetchRegion r = fetch_region<I>(addr);
    const u32 off       = addr - r.start;
    if (off >= r.size) return false;
    auto& c       = I::cpu();
    c.fetch_image = r.image;
    c.fetch_start = r.start;
    c.fetch_size  = r.size;
    c.cur         = off;
    c.next        = off + 2;
    return true;
}

// ---------------------------------------------------------------------------------------
// Halts
// ---------------------------------------------------------------------------------------

// The machine halt: status bits set, `pc` := `at`, the run entry cleared through the slot.
template <class I>
[[gnu::cold, gnu::noinline]] u32 halt_at(u32 at) {
    auto& c = I::cpu();
    c.pc    = at;
    c.status |= kSh2StatusHalted;
    if (sh2_halt_slot) sh2_halt_slot();
    return kSh2Leave;
}

// ---------------------------------------------------------------------------------------
// Helpers of the handlers
// ---------------------------------------------------------------------------------------

template <class I>
SH2_INLINE u32& rn(u32 ir) {
    return I::cpu().r[(ir >> 8) & 15];
}
template <class I>
SH2_INLINE u32& rm(u32 ir) {
    return I::cpu().r[(ir >> 4) & 15];
}

// SH-2 address of the running instruction.
template <class I>
SH2_INLINE u32 insn_address() {
    const auto& c = I::cpu();
    return c.fetch_start + c.cur;
}

// The base of PC-relative operands: the address where execution continues (the branch target
// for an instruction in a delay slot).
template <class I>
SH2_INLINE u32 next_address() {
    const auto& c = I::cpu();
    return c.fetch_start + c.next;
}

// Memory access cycles: 1 for an instruction at an address with bit 1 clear, 2 with it set
// (every region starts at an address that is a multiple of 4).
template <class I>
SH2_INLINE u32 mem_cycles() {
    return 1 + ((I::cpu().cur >> 1) & 1);
}

template <class I>
SH2_INLINE void set_t(bool t) {
    auto& c = I::cpu();
    c.sr    = (c.sr & ~kSh2SrT) | (t ? kSh2SrT : 0);
}
template <class I>
SH2_INLINE u32 get_t() {
    return I::cpu().sr & kSh2SrT;
}

// Branch target `addr`, as the offset `next` holds.
template <class I>
SH2_INLINE void jump_to(u32 addr) {
    auto& c = I::cpu();
    c.next  = addr - c.fetch_start;
}

}  // namespace sh2
}  // namespace varn
