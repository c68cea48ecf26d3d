// The SH-2 memories and both cores' bus maps.

#include "sh2/sh2_bus.h"

#include <algorithm>

#include "base/endian.h"
#include "memory/memory.h"

namespace varn {

alignas(64) u8 sh2_memory[kSh2MemorySize];
u32 s32x_fb_display = 0;
u32 sh2_cart_size   = 0;
namespace {
// Until the maps are built, every access is unmapped (never a jump through null).
template <class T>
T unmapped() {
    T t;
    if constexpr (requires { t.clear(); }) {
        t.clear();
    } else {
        t.sysregs.clear();
        t.vdpregs.clear();
        t.onchip.clear();
    }
    return t;
}
}  // namespace

Sh2PageTables sh2_page_tables          = unmapped<Sh2PageTables>();
Sh2PageTables sh2s_page_tables         = unmapped<Sh2PageTables>();
Sh2RegisterTables sh2_register_tables  = unmapped<Sh2RegisterTables>();
Sh2RegisterTables sh2s_register_tables = unmapped<Sh2RegisterTables>();

void sh2_memory_clear() {
    std::fill(std::begin(sh2_memory), std::end(sh2_memory), u8{0});
    s32x_fb_display = 0;
}

namespace {

// Loads and stores of N bytes (1, 2 or 4) in the SH-2's byte order.
template <u32 N>
u32 load(const u8* p) {
    if constexpr (N == 1) return *p;
    if constexpr (N == 2) return load_be16(p);
    if constexpr (N == 4) return load_be32(p);
}
template <u32 N>
void store(u8* p, u32 v) {
    if constexpr (N == 1) *p = static_cast<u8>(v);
    if constexpr (N == 2) store_be16(p, static_cast<u16>(v));
    if constexpr (N == 4) store_be32(p, v);
}

// A plain memory reached through an address mask: SDRAM (256 KB through its 1 MB page), the
// palette (512 bytes through the palette area of page 0). The guard after each image takes
// the bytes of an unaligned access at its end.
template <u32 Offset, u32 Mask, u32 N>
u32 read_masked(u32 a) {
    return load<N>(sh2_memory + Offset + (a & Mask));
}
template <u32 Offset, u32 Mask, u32 N>
void write_masked(u32 a, u32 v) {
    store<N>(sh2_memory + Offset + (a & Mask), v);
}

// Cartridge ROM: the loaded image, zeros past its end; writes are ignored.
template <u32 N>
u32 read_cart(u32 a) {
    const u32 off = a & 0x3FFFFF;
    if (off >= sh2_cart_size) return 0;
    // The arena's guard after the 4 MB image takes an access at its last bytes.
    return load<N>(memory_arena + kCartRomOffset + off);
}

// The cache data array: 2 KB at the start of page 0xC00, the rest of the page unmapped.
template <u32 Offset, u32 N>
u32 read_cache(u32 a) {
    const u32 off = a & 0xFFFFF;
    return off < kSh2CacheArraySize ? load<N>(sh2_memory + Offset + off) : 0;
}
template <u32 Offset, u32 N>
void write_cache(u32 a, u32 v) {
    const u32 off = a & 0xFFFFF;
    if (off < kSh2CacheArraySize) store<N>(sh2_memory + Offset + off, v);
}

// Frame buffer: 0x04000000-0x0401FFFF the buffer not displayed, 0x04020000-0x0403FFFF the
// same buffer as overwrite image, the rest of pages 0x040-0x05F unmapped.
inline u8* frame_buffer_at(u32 off) {
    return sh2_memory + kS32xFrameBufOffset + (s32x_fb_display ^ 1) * kS32xFrameBufferSize +
           (off & (kS32xFrameBufferSize - 1));
}
template <u32 N>
u32 read_fb(u32 a) {
    const u32 off = (a & 0x1FFFFFFF) - 0x04000000;
    return off < 2 * kS32xFrameBufferSize ? load<N>(frame_buffer_at(off)) : 0;
}
template <u32 N>
void write_fb(u32 a, u32 v) {
    const u32 off = (a & 0x1FFFFFFF) - 0x04000000;
    if (off >= 2 * kS32xFrameBufferSize) return;
    u8* p = frame_buffer_at(off);
    if (off < kS32xFrameBufferSize) {
        store<N>(p, v);
        return;
    }
    // Overwrite image: every byte of the value that is 0 leaves the buffer's byte as it is.
    for (u32 i = 0; i < N; ++i) {
        const u8 b = static_cast<u8>(v >> (8 * (N - 1 - i)));
        if (b != 0) p[i] = b;
    }
}

// Page 0 of one core.
template <bool Slave>
struct Page0 {
    static constexpr u32 kUnmappedBits = Slave ? 0xF8C00 : 0xF8800;
    static constexpr u32 kRomMask      = Slave ? kSh2sBootRomSize - 1 : kSh2BootRomSize - 1;
    static constexpr u32 kRomOffset    = Slave ? kSh2sBootRomOffset : kSh2BootRomOffset;
    static Sh2RegisterTables& regs() { return Slave ? sh2s_register_tables : sh2_register_tables; }

    enum class Area { kNone, kRom, kSysRegs, kVdpRegs, kPalette };
    static Area area(u32 a) {
        const u32 low = a & 0xFFFFF;
        if (low & kUnmappedBits) return Area::kNone;
        if ((low & 0x4000) == 0) return Area::kRom;
        switch ((low >> 8) & 3) {
            case 0:
                return (low & 0x30C0) == 0 ? Area::kSysRegs : Area::kNone;
            case 1:
                return (low & 0x30F0) == 0 ? Area::kVdpRegs : Area::kNone;
            default:
                return Area::kPalette;
        }
    }

    template <u32 N>
    static u32 read(u32 a) {
        auto& b = regs();
        switch (area(a)) {
            case Area::kRom:
                return load<N>(sh2_memory + kRomOffset + (a & kRomMask));
            case Area::kSysRegs:
                if constexpr (N == 1) return b.sysregs.read_byte[a & 0x3F](a);
                if constexpr (N == 2) return b.sysregs.read_word[a & 0x3F](a);
                if constexpr (N == 4) return b.sysregs.read_long[a & 0x3F](a);
            case Area::kVdpRegs:
                if constexpr (N == 1) return b.vdpregs.read_byte[a & 0xF](a);
                if constexpr (N == 2) return b.vdpregs.read_word[a & 0xF](a);
                if constexpr (N == 4) return b.vdpregs.read_long[a & 0xF](a);
            case Area::kPalette:
                return load<N>(sh2_memory + kS32xPaletteOffset + (a & (kS32xPaletteSize - 1)));
            case Area::kNone:
                break;
        }
        return 0;
    }

    template <u32 N>
    static void write(u32 a, u32 v) {
        auto& b = regs();
        switch (area(a)) {
            case Area::kSysRegs:
                if constexpr (N == 1) b.sysregs.write_byte[a & 0x3F](a, v);
                if constexpr (N == 2) b.sysregs.write_word[a & 0x3F](a, v);
                if constexpr (N == 4) b.sysregs.write_long[a & 0x3F](a, v);
                return;
            case Area::kVdpRegs:
                if constexpr (N == 1) b.vdpregs.write_byte[a & 0xF](a, v);
                if constexpr (N == 2) b.vdpregs.write_word[a & 0xF](a, v);
                if constexpr (N == 4) b.vdpregs.write_long[a & 0xF](a, v);
                return;
            case Area::kPalette:
                store<N>(sh2_memory + kS32xPaletteOffset + (a & (kS32xPaletteSize - 1)), v);
                return;
            case Area::kRom:  // the boot ROM ignores writes
            case Area::kNone:
                return;
        }
    }
};

// The on-chip page: its last 512 bytes through the core's on-chip tables.
template <bool Slave>
struct OnChip {
    static Sh2RegisterTables& regs() { return Slave ? sh2s_register_tables : sh2_register_tables; }
    template <u32 N>
    static u32 read(u32 a) {
        if (a < 0xFFFFFE00u) return 0;
        auto& t = regs().onchip;
        if constexpr (N == 1) return t.read_byte[a & 0x1FF](a);
        if constexpr (N == 2) return t.read_word[a & 0x1FF](a);
        if constexpr (N == 4) return t.read_long[a & 0x1FF](a);
    }
    template <u32 N>
    static void write(u32 a, u32 v) {
        if (a < 0xFFFFFE00u) return;
        auto& t = regs().onchip;
        if constexpr (N == 1) t.write_byte[a & 0x1FF](a, v);
        if constexpr (N == 2) t.write_word[a & 0x1FF](a, v);
        if constexpr (N == 4) t.write_long[a & 0x1FF](a, v);
    }
};

// One handler set: the six routines of one area.
struct HandlerSet {
    Sh2ReadFn rb, rw, rl;
    Sh2WriteFn wb, ww, wl;
};

template <template <u32> class R, template <u32> class W>
constexpr HandlerSet handler_set() {
    return {&R<1>::fn, &R<2>::fn, &R<4>::fn, &W<1>::fn, &W<2>::fn, &W<4>::fn};
}

// Adapters that give each area's templates one shape.
template <u32 N>
struct CartRead {
    static u32 fn(u32 a) { return read_cart<N>(a); }
};
template <u32 N>
struct NoWrite {
    static void fn(u32, u32) {}
};
template <u32 N>
struct NoRead {
    static u32 fn(u32) { return 0; }
};
template <u32 N>
struct FbRead {
    static u32 fn(u32 a) { return read_fb<N>(a); }
};
template <u32 N>
struct FbWrite {
    static void fn(u32 a, u32 v) { write_fb<N>(a, v); }
};
template <u32 N>
struct SdramRead {
    static u32 fn(u32 a) { return read_masked<kS32xSdramOffset, kS32xSdramSize - 1, N>(a); }
};
template <u32 N>
struct SdramWrite {
    static void fn(u32 a, u32 v) { write_masked<kS32xSdramOffset, kS32xSdramSize - 1, N>(a, v); }
};
template <bool S>
struct ForCore {
    template <u32 N>
    struct Page0Read {
        static u32 fn(u32 a) { return Page0<S>::template read<N>(a); }
    };
    template <u32 N>
    struct Page0Write {
        static void fn(u32 a, u32 v) { Page0<S>::template write<N>(a, v); }
    };
    template <u32 N>
    struct OnChipRead {
        static u32 fn(u32 a) { return OnChip<S>::template read<N>(a); }
    };
    template <u32 N>
    struct OnChipWrite {
        static void fn(u32 a, u32 v) { OnChip<S>::template write<N>(a, v); }
    };
    static constexpr u32 kCache = S ? kSh2sCacheOffset : kSh2CacheOffset;
    template <u32 N>
    struct CacheRead {
        static u32 fn(u32 a) { return read_cache<kCache, N>(a); }
    };
    template <u32 N>
    struct CacheWrite {
        static void fn(u32 a, u32 v) { write_cache<kCache, N>(a, v); }
    };
};

// A run of the map: `count` pages of one handler set.
struct Run {
    HandlerSet set;
    u32 count;
};

template <bool S>
void build(Sh2PageTables& pages, Sh2RegisterTables& regs) {
    using C                     = ForCore<S>;
    constexpr HandlerSet none   = handler_set<NoRead, NoWrite>();
    constexpr HandlerSet page0  = handler_set<C::template Page0Read, C::template Page0Write>();
    constexpr HandlerSet cart   = handler_set<CartRead, NoWrite>();
    constexpr HandlerSet fb     = handler_set<FbRead, FbWrite>();
    constexpr HandlerSet sdram  = handler_set<SdramRead, SdramWrite>();
    constexpr HandlerSet cache  = handler_set<C::template CacheRead, C::template CacheWrite>();
    constexpr HandlerSet onchip = handler_set<C::template OnChipRead, C::template OnChipWrite>();
    // Pages 0x000-0x1FF; the same again at 0x200-0x3FF.
    constexpr Run kLow[] = {
        {page0, 1}, {none, 0x1F},   // 0x000, 0x001-0x01F
        {cart, 4},  {none, 0x1C},   // 0x020-0x023, 0x024-0x03F
        {fb, 0x20},                 // 0x040-0x05F
        {sdram, 1}, {none, 0x5F},   // 0x060, 0x061-0x0BF
        {sdram, 1}, {none, 0x13F},  // 0x0C0, 0x0C1-0x1FF
    };
    constexpr Run kHigh[] = {
        {none, 0x800},  // 0x400-0xBFF
        {cache, 1},     // 0xC00
        {none, 0x3FE},  // 0xC01-0xFFE
        {onchip, 1},    // 0xFFF
    };
    u32 page  = 0;
    auto fill = [&](const Run& r) {
        for (u32 i = 0; i < r.count; ++i, ++page) {
            pages.read_byte[page]  = r.set.rb;
            pages.read_word[page]  = r.set.rw;
            pages.read_long[page]  = r.set.rl;
            pages.write_byte[page] = r.set.wb;
            pages.write_word[page] = r.set.ww;
            pages.write_long[page] = r.set.wl;
        }
    };
    for (const Run& r : kLow) fill(r);
    for (const Run& r : kLow) fill(r);
    for (const Run& r : kHigh) fill(r);
    regs.sysregs.clear();
    regs.vdpregs.clear();
    regs.onchip.clear();
}

}  // namespace

void sh2_build_memory_map() { build<false>(sh2_page_tables, sh2_register_tables); }
void sh2s_build_memory_map() { build<true>(sh2s_page_tables, sh2s_register_tables); }

}  // namespace varn
