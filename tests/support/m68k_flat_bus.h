#pragma once
// A flat 68000 bus for the unit tests and the fuzz targets: 0x000000-0x3FFFFF is the
// cartridge ROM image (writable here, so that code can patch vectors or rewrite itself),
// 0xE00000-0xFFFFFF the work RAM image (64 KB, mirrored), everything else one flat 16 MB
// array. The sub-CPU's bus is flat too, with PRG-RAM at 0x000000-0x07FFFF and word RAM at
// 0x080000-0x0BFFFF, so that code it runs is what the bus shows. Accesses go byte by byte,
// so a word or long that crosses the end of an image stays inside the arrays.

#include <array>
#include <vector>

#include "m68k/m68k.h"
#include "m68k/m68k_bus.h"
#include "memory/memory.h"

namespace varn::test {

// Backing store of the addresses no image covers.
inline std::vector<u8>& flat_memory() {
    static std::vector<u8> mem(0x1000000);
    return mem;
}

// Where a main-CPU address lands: an image span position, or the flat array.
inline u8* main_byte(u32 a) {
    a &= 0xFFFFFF;
    if (a < 0x400000) return &cart_rom[a];
    if (a >= 0xE00000) return &m68k_ram[a & 0xFFFF];
    return &flat_memory()[a];
}
inline u8* sub_byte(u32 a) {
    a &= 0xFFFFFF;
    if (a < 0x080000) return &scd_prg_ram[a];
    if (a < 0x0C0000) return &scd_word_ram[a - 0x080000];
    return &flat_memory()[a];
}

template <u8* (*At)(u32)>
u32 read_n(u32 a, u32 n) {
    u32 v = 0;
    for (u32 i = 0; i < n; ++i) v = (v << 8) | *At(a + i);
    return v;
}
template <u8* (*At)(u32)>
void write_n(u32 a, u32 v, u32 n) {
    for (u32 i = 0; i < n; ++i) *At(a + i) = static_cast<u8>(v >> (8 * (n - 1 - i)));
}

// Installs Bus::read<At, N> and Bus::write<At, N> (N = 1, 2, 4 bytes) behind every page of
// both CPUs, with At = main_byte or sub_byte; the caller's Bus adds what it watches.
template <class Bus>
void install_flat_buses() {
    m68k_page_read_byte.fill(&Bus::template read<main_byte, 1>);
    m68k_page_read_word.fill(&Bus::template read<main_byte, 2>);
    m68k_page_read_long.fill(&Bus::template read<main_byte, 4>);
    m68k_page_write_byte.fill(&Bus::template write<main_byte, 1>);
    m68k_page_write_word.fill(&Bus::template write<main_byte, 2>);
    m68k_page_write_long.fill(&Bus::template write<main_byte, 4>);
    s68k_page_read_byte.fill(&Bus::template read<sub_byte, 1>);
    s68k_page_read_word.fill(&Bus::template read<sub_byte, 2>);
    s68k_page_read_long.fill(&Bus::template read<sub_byte, 4>);
    s68k_page_write_byte.fill(&Bus::template write<sub_byte, 1>);
    s68k_page_write_word.fill(&Bus::template write<sub_byte, 2>);
    s68k_page_write_long.fill(&Bus::template write<sub_byte, 4>);
}

// What a slice leaves in a 68000's record, for comparing two runs of one program.
struct M68kSliceEnd {
    u32 pc;
    s32 counter;
    u16 sr;
    u32 status;
    std::array<u32, 16> regs;
    std::array<u32, 2> sp_slots;
    u32 irq;  // pending levels, STOP's two flags
    bool operator==(const M68kSliceEnd&) const = default;
};
inline M68kSliceEnd slice_end(const M68kCpuContext& c) {
    return {c.pc,
            c.cycle_counter,
            c.sr.value(),
            c.status,
            c.regs,
            c.sp_slots,
            u32{c.irq_pending} | u32{c.stopped} << 8 | u32{c.irq_taken} << 16};
}

}  // namespace varn::test
