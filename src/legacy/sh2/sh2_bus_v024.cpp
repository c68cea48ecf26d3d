// The earlier release's SH-2 accessors over the main bus map.

#include "legacy/sh2/sh2_bus_v024.h"

namespace varn {

Sh2RegisterOverridesV024 sh2_register_overrides_v024;
Sh2RegisterOverridesV024 sh2s_register_overrides_v024;

namespace {

template <bool S>
const Sh2PageTables& main_pages() {
    return S ? sh2s_page_tables : sh2_page_tables;
}
template <bool S>
const Sh2RegisterTables& main_regs() {
    return S ? sh2s_register_tables : sh2_register_tables;
}
template <bool S>
Sh2RegisterOverridesV024& overrides() {
    return S ? sh2s_register_overrides_v024 : sh2_register_overrides_v024;
}

template <u32 N, class T>
auto& reads(T& t) {
    if constexpr (N == 1) return t.read_byte;
    if constexpr (N == 2) return t.read_word;
    if constexpr (N == 4) return t.read_long;
}
template <u32 N, class T>
auto& writes(T& t) {
    if constexpr (N == 1) return t.write_byte;
    if constexpr (N == 2) return t.write_word;
    if constexpr (N == 4) return t.write_long;
}

// Page 0 (and its cache-through mirror): boot ROM, system registers, VDP registers, palette,
// with the holes the main map leaves (bits 11 and 15-19, on the slave also bit 10).
enum class Area { kNone, kRom, kSysRegs, kVdpRegs, kPalette };
template <bool S>
Area page0_area(u32 a) {
    constexpr u32 kUnmappedBits = S ? 0xF8C00 : 0xF8800;
    const u32 low               = a & 0xFFFFF;
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
inline bool is_page0(u32 a) { return ((a >> 20) & 0x1FF) == 0; }

template <bool S, u32 N>
Sh2ReadFn read_override(u32 a) {
    if (!is_page0(a)) return nullptr;
    switch (page0_area<S>(a)) {
        case Area::kSysRegs:
            return reads<N>(overrides<S>().sysregs)[a & 0x3F];
        case Area::kVdpRegs:
            return reads<N>(overrides<S>().vdpregs)[a & 0xF];
        default:
            return nullptr;
    }
}
template <bool S, u32 N>
Sh2WriteFn write_override(u32 a) {
    if (!is_page0(a)) return nullptr;
    switch (page0_area<S>(a)) {
        case Area::kSysRegs:
            return writes<N>(overrides<S>().sysregs)[a & 0x3F];
        case Area::kVdpRegs:
            return writes<N>(overrides<S>().vdpregs)[a & 0xF];
        default:
            return nullptr;
    }
}

template <bool S, u32 N>
bool has_region(u32 a) {
    const u32 page = a >> 20;
    if (page >= 0x400) {
        if (page == 0xC00) return (a & 0xFFFFF) < kSh2CacheArraySize;
        if (page == 0xFFF)
            return a >= 0xFFFFFE00u &&
                   reads<N>(main_regs<S>().onchip)[a & 0x1FF] != &sh2_unmapped_read;
        return false;
    }
    const u32 mirrored = page & 0x1FF;  // the cache-through mirror repeats the map
    if (mirrored == 0) {
        switch (page0_area<S>(a)) {
            case Area::kNone:
                return false;
            case Area::kSysRegs:
                return read_override<S, N>(a) != nullptr ||
                       reads<N>(main_regs<S>().sysregs)[a & 0x3F] != &sh2_unmapped_read;
            case Area::kVdpRegs:
                return read_override<S, N>(a) != nullptr ||
                       reads<N>(main_regs<S>().vdpregs)[a & 0xF] != &sh2_unmapped_read;
            default:
                return true;
        }
    }
    if (mirrored >= 0x040 && mirrored < 0x060)
        return (a & 0x1FFFFFFF) - 0x04000000u < 2 * kS32xFrameBufferSize;
    // The cartridge window and SDRAM (through both of its pages).
    return (mirrored >= 0x020 && mirrored < 0x024) || mirrored == 0x060 || mirrored == 0x0C0;
}

template <bool S, u32 N>
u32 read_v024(u32 a) {
    if (Sh2ReadFn fn = read_override<S, N>(a)) return fn(a);
    // Without a region the bus answers with the address the core put on it.
    if (!has_region<S, N>(a)) return N == 4 ? a : a & ((1u << (8 * N)) - 1);
    return reads<N>(main_pages<S>())[a >> 20](a);
}
template <bool S, u32 N>
void write_v024(u32 a, u32 v) {
    if (Sh2WriteFn fn = write_override<S, N>(a)) {
        fn(a, v);
        return;
    }
    writes<N>(main_pages<S>())[a >> 20](a, v);
}

template <bool S>
void build(Sh2PageTables& t) {
    t.read_byte.fill(&read_v024<S, 1>);
    t.read_word.fill(&read_v024<S, 2>);
    t.read_long.fill(&read_v024<S, 4>);
    t.write_byte.fill(&write_v024<S, 1>);
    t.write_word.fill(&write_v024<S, 2>);
    t.write_long.fill(&write_v024<S, 4>);
}

template <bool S>
Sh2PageTables built() {
    Sh2PageTables t;
    build<S>(t);
    return t;
}

}  // namespace

// Filled from the start (the routines find their regions in the main map when they run).
Sh2PageTables sh2_page_tables_v024  = built<false>();
Sh2PageTables sh2s_page_tables_v024 = built<true>();

void sh2_build_memory_map_v024() {
    sh2_register_overrides_v024  = {};
    sh2s_register_overrides_v024 = {};
    build<false>(sh2_page_tables_v024);
    build<true>(sh2s_page_tables_v024);
}

}  // namespace varn
