#pragma once
// The earlier release's SH-2 bus accessors. They keep the main bus's map and memories
// (src/sh2/sh2_bus.h) and differ in two points:
//   - an address without a region reads as the address itself (cut to the access width:
//     bits above a byte or word stay zero, as for every read); writes there vanish;
//   - named registers can be given older routines (`sh2_register_overrides_v024`): the 32X
//     code of the earlier release puts its own 0x4000 write and 0x410A read there.
// "Without a region": a page the main map leaves without a memory (the map below repeats at
// +0x20000000: page 0, the cartridge at 0x020-0x023, the frame buffer at 0x040-0x05F, SDRAM
// at 0x060 and 0x0C0; then the cache page 0xC00 and the on-chip page 0xFFF), and within those
// pages the addresses the main handlers answer with nothing: the holes of page 0, system, VDP and
// on-chip registers that nobody filled, the cache page past its 2 KB, the frame-buffer pages past
// their two windows and the on-chip page below 0xFFFFFE00.

#include "base/types.h"
#include "sh2/sh2_bus.h"

namespace varn {

// Each core's register routines of the earlier release; a null entry takes the main
// program's routine from sh2_register_tables / sh2s_register_tables.
struct Sh2RegisterOverridesV024 {
    template <std::size_t N>
    struct Set {
        std::array<Sh2ReadFn, N> read_byte{}, read_word{}, read_long{};
        std::array<Sh2WriteFn, N> write_byte{}, write_word{}, write_long{};
    };
    Set<64> sysregs;
    Set<16> vdpregs;
};
extern Sh2RegisterOverridesV024 sh2_register_overrides_v024;
extern Sh2RegisterOverridesV024 sh2s_register_overrides_v024;

// Each core's page tables of the earlier release (filled by sh2_build_memory_map_v024).
extern Sh2PageTables sh2_page_tables_v024;
extern Sh2PageTables sh2s_page_tables_v024;

// Fills both cores' older page tables and clears the overrides. The main maps must be built
// first (sh2_build_memory_map and sh2s_build_memory_map): the older routines hand every access
// with a region on to them.
void sh2_build_memory_map_v024();

inline u32 sh2_read_byte_v024(u32 a) { return sh2_page_tables_v024.read_byte[a >> 20](a); }
inline u32 sh2_read_word_v024(u32 a) { return sh2_page_tables_v024.read_word[a >> 20](a); }
inline u32 sh2_read_long_v024(u32 a) { return sh2_page_tables_v024.read_long[a >> 20](a); }
inline void sh2_write_byte_v024(u32 a, u32 v) { sh2_page_tables_v024.write_byte[a >> 20](a, v); }
inline void sh2_write_word_v024(u32 a, u32 v) { sh2_page_tables_v024.write_word[a >> 20](a, v); }
inline void sh2_write_long_v024(u32 a, u32 v) { sh2_page_tables_v024.write_long[a >> 20](a, v); }

inline u32 sh2s_read_byte_v024(u32 a) { return sh2s_page_tables_v024.read_byte[a >> 20](a); }
inline u32 sh2s_read_word_v024(u32 a) { return sh2s_page_tables_v024.read_word[a >> 20](a); }
inline u32 sh2s_read_long_v024(u32 a) { return sh2s_page_tables_v024.read_long[a >> 20](a); }
inline void sh2s_write_byte_v024(u32 a, u32 v) { sh2s_page_tables_v024.write_byte[a >> 20](a, v); }
inline void sh2s_write_word_v024(u32 a, u32 v) { sh2s_page_tables_v024.write_word[a >> 20](a, v); }
inline void sh2s_write_long_v024(u32 a, u32 v) { sh2s_page_tables_v024.write_long[a >> 20](a, v); }

}  // namespace varn
