// Instructions per second of the 68000 core on a flat bus (cartridge ROM low, work RAM high,
// one image load per access), with a loop of memory moves and a branch:
//
//   loop: move.w (a0),d1     8 cycles
//         move.w d1,d2       4
//         move.l d2,(a0)     8
//         bra.s  loop       10     -> 30 cycles per 4 instructions
//
// Reported as items (instructions) per second, with long slices (dispatch alone) and with
// the shipped 54-cycle slices (slice entry and hand-off included).
#include <benchmark/benchmark.h>

#include "base/endian.h"
#include "m68k/m68k.h"
#include "m68k/m68k_bus.h"
#include "memory/memory.h"

namespace {

using namespace varn;

u8* at(u32 a) { return a < 0x400000 ? &cart_rom[a] : &m68k_ram[a & 0xFFFF]; }
u32 rb(u32 a) { return *at(a); }
u32 rw(u32 a) { return load_be16(at(a & ~1u)); }
u32 rl(u32 a) { return load_be32(at(a & ~3u)); }
void wb(u32 a, u32 v) { *at(a) = static_cast<u8>(v); }
void ww(u32 a, u32 v) { store_be16(at(a & ~1u), static_cast<u16>(v)); }
void wl(u32 a, u32 v) { store_be32(at(a & ~3u), v); }

void set_up(s32 slice) {
    memory_clear();
    m68k_reset_records();
    m68k_clear_slots();
    m68k_page_read_byte.fill(&rb);
    m68k_page_read_word.fill(&rw);
    m68k_page_read_long.fill(&rl);
    m68k_page_write_byte.fill(&wb);
    m68k_page_write_word.fill(&ww);
    m68k_page_write_long.fill(&wl);
    m68k_build_jump_table();
    const u16 code[] = {0x207C, 0x00FF, 0x8000,  // movea.l #0xFF8000,a0
                        0x3210,                  // loop: move.w (a0),d1
                        0x3401,                  //       move.w d1,d2
                        0x2082,                  //       move.l d2,(a0)
                        0x60F8};                 //       bra.s loop
    store_be32(&cart_rom[0], 0x00FFFE00);
    store_be32(&cart_rom[4], 0x100);
    for (u32 i = 0; i < std::size(code); ++i) store_be16(&cart_rom[0x100 + 2 * i], code[i]);
    m68k_context.fetch_base   = kCartRomOffset;
    m68k_context.slice_cycles = slice;
    m68k_reset();
}

void run(benchmark::State& state, s32 slice) {
    set_up(slice);
    u64 cycles = 0;
    for (auto _ : state) {
        m68k_run_slice_alone();
        cycles += static_cast<u64>(-static_cast<s64>(slice));
    }
    if (m68k_context.status != 0) state.SkipWithError("the core halted");
    state.SetItemsProcessed(static_cast<s64>(cycles * 4 / 30));
}

void BM_M68kLongSlices(benchmark::State& state) { run(state, -300000); }
void BM_M68kShippedSlices(benchmark::State& state) { run(state, kM68kDefaultSliceCycles); }

BENCHMARK(BM_M68kLongSlices);
BENCHMARK(BM_M68kShippedSlices);

}  // namespace

BENCHMARK_MAIN();
