// The 68000 core's records, slice execution, reset and fetch pages.

#include "m68k/m68k.h"

#include <algorithm>

#include "base/config.h"
#include "base/speed_paths.h"
#include "m68k/m68k_core.h"
#include "m68k/m68k_speed_paths.h"

namespace varn {

M68kCpuContext m68k_context{.slice_cycles = kM68kDefaultSliceCycles};
M68kCpuContext s68k_context{.slice_cycles = kS68kDefaultSliceCycles};
const M68kCpuContext* cpu_current_context = nullptr;

M68kChainFn m68k_successor           = nullptr;
bool (*m68k_z80_released)()          = nullptr;
M68kChainFn m68k_z80_successor       = nullptr;
M68kChainFn s68k_successor           = nullptr;
M68kChainFn m68k_halt_hook           = nullptr;
void (*m68k_irq_ack_hook)(u32 level) = nullptr;
void (*s68k_irq_ack_hook)(u32 level) = nullptr;
u32 (*m68k_banked_rom_offset)()      = nullptr;
u32 (*m68k_word_ram_bank_offset)()   = nullptr;

void m68k_clear_hooks() {
    m68k_successor            = nullptr;
    m68k_z80_successor        = nullptr;
    m68k_z80_released         = nullptr;
    s68k_successor            = nullptr;
    m68k_halt_hook            = nullptr;
    m68k_irq_ack_hook         = nullptr;
    s68k_irq_ack_hook         = nullptr;
    m68k_banked_rom_offset    = nullptr;
    m68k_word_ram_bank_offset = nullptr;
}

// ---------------------------------------------------------------------------------------
// Fetch pages
// ---------------------------------------------------------------------------------------

namespace {

using K = M68kFetchKind;

// Pages 0x40-0xFF as the main CPU sees them in every machine.
constexpr void fill_upper_pages(M68kFetchPages& p) {
    // 0x800000-0x87FFFF holds no code (the bus has nothing there either); 0x880000-0x8FFFFF
    // is the cartridge window.
    for (u32 page = 0x88; page <= 0x8F; ++page)
        p[page] = m68k_fetch_page(K::kPlain, kCartRomOffset, 0x880000);
    for (u32 page = 0x90; page <= 0x9F; ++page)
        p[page] = m68k_fetch_page(K::kBankedRom, kCartRomOffset, 0x900000);
    // Work RAM repeats every 64 KB from 0xF00000 up, as on the bus.
    for (u32 page = 0xF0; page <= 0xFF; ++page)
        p[page] = m68k_fetch_page(K::kPlain, kWorkRamOffset, page << 16);
}

constexpr M68kFetchPages startup_pages() {
    M68kFetchPages p{};
    for (u32 page = 0; page < 0x40; ++page) p[page] = m68k_fetch_page(K::kPlain, kCartRomOffset, 0);
    fill_upper_pages(p);
    return p;
}

constexpr M68kFetchPages startup_pages_scd() {
    M68kFetchPages p{};
    // BIOS at 0x000000, followed in the arena by PRG-RAM, whose first bank shows at 0x020000.
    for (u32 page = 0; page < 0x04; ++page) p[page] = m68k_fetch_page(K::kPlain, kScdBiosOffset, 0);
    for (u32 page = 0x20; page < 0x24; ++page)
        p[page] = m68k_fetch_page(K::kWordRam, kScdWordRamOffset, 0x200000);
    fill_upper_pages(p);
    return p;
}

constexpr M68kFetchPages startup_pages_sub() {
    M68kFetchPages p{};
    // PRG-RAM (512 KB) followed by the whole word RAM (256 KB), as in 2 Mbit mode.
    for (u32 page = 0; page < 0x0C; ++page)
        p[page] = m68k_fetch_page(K::kPlain, kScdPrgRamOffset, 0);
    return p;
}

constexpr bool same_plain_page(const M68kFetchPage& a, const M68kFetchPage& b) {
    return a.kind == K::kPlain && b.kind == K::kPlain && a.offset == b.offset;
}

constexpr m68k::M68kPageRuns page_runs(const M68kFetchPages& p) {
    m68k::M68kPageRuns runs{};
    u32 first = 0;
    for (u32 page = 0; page < 256; ++page) {
        if (page > 0 && !same_plain_page(p[page - 1], p[page])) first = page;
        runs[page].first = static_cast<u8>(first);
    }
    u32 last = 255;
    for (u32 page = 256; page-- > 0;) {
        if (page < 255 && !same_plain_page(p[page], p[page + 1])) last = page;
        runs[page].last = static_cast<u8>(last);
    }
    return runs;
}

// After the main CPU's pages changed: their runs made again, and its jump window emptied so
// that the next PC load looks at the pages.
void main_pages_changed() {
    m68k::m68k_page_runs   = page_runs(m68k_fetch_pages);
    m68k_context.jump_size = 0;
}

}  // namespace

M68kFetchPages m68k_fetch_pages         = startup_pages();
M68kFetchPages m68k_fetch_pages_scd     = startup_pages_scd();
M68kFetchPages s68k_fetch_pages         = startup_pages_sub();
m68k::M68kPageRuns m68k::m68k_page_runs = page_runs(startup_pages());
m68k::M68kPageRuns m68k::s68k_page_runs = page_runs(startup_pages_sub());

// The main CPU's jump window was made from the pages that change here: the next PC load
// looks at the pages again.
void m68k_set_fetch_page(u32 page, M68kFetchPage entry) {
    m68k_fetch_pages[page & 0xFF] = entry;
    main_pages_changed();
}

void m68k_fill_cart_fetch_pages(M68kFetchPages& pages, u32 cart_enable_latch) {
    for (u32 page = 0; page < 0x40; ++page)
        pages[page] = m68k_fetch_page(K::kPlain, kCartRomOffset, 0);
    if (cfg(cfg_gen_use_bios) != 0 && (cart_enable_latch & 1) == 0)
        pages[0] = m68k_fetch_page(K::kPlain, kBootRomOffset, 0);
}

void m68k_copy_scd_fetch_pages(M68kFetchPages& pages, const M68kFetchPages& scd_pages) {
    for (u32 page = 0; page < 0x40; ++page) pages[page] = scd_pages[page];
}

M68kFetchPages m68k_startup_fetch_pages() { return startup_pages(); }
M68kFetchPages m68k_startup_fetch_pages_scd() { return startup_pages_scd(); }
M68kFetchPages s68k_startup_fetch_pages() { return startup_pages_sub(); }

void m68k_init_fetch_pages(u32 cart_enable_latch) {
    m68k_fill_cart_fetch_pages(m68k_fetch_pages, cart_enable_latch);
    main_pages_changed();
}

void m68k_restore_fetch_pages() {
    m68k_copy_scd_fetch_pages(m68k_fetch_pages, m68k_fetch_pages_scd);
    main_pages_changed();
}

void m68k_reset_records() {
    m68k_context         = M68kCpuContext{.slice_cycles = kM68kDefaultSliceCycles};
    s68k_context         = M68kCpuContext{.slice_cycles = kS68kDefaultSliceCycles};
    cpu_current_context  = nullptr;
    m68k_fetch_pages     = startup_pages();
    m68k_fetch_pages_scd = startup_pages_scd();
    s68k_fetch_pages     = startup_pages_sub();
    m68k::m68k_page_runs = page_runs(m68k_fetch_pages);
    m68k::s68k_page_runs = page_runs(s68k_fetch_pages);
}

// ---------------------------------------------------------------------------------------
// Slice execution
// ---------------------------------------------------------------------------------------

namespace m68k {

bool enter_fetch_region(M68kCpuContext& c, u32 pos) {
    const ArenaRegion r = arena_fetch_region(pos);
    if (r.empty()) return false;
    c.fetch_begin = r.begin;
    c.fetch_end   = r.end;
    return true;
}

void make_jump_window(M68kCpuContext& c, const M68kFetchPages& pages, const M68kPageRuns& runs,
                      u32 pc) {
    c.jump_base           = c.fetch_base;
    c.jump_size           = 0;
    const u32 page        = pc >> 16;
    const M68kFetchPage e = pages[page];
    if (e.kind != K::kPlain || e.offset != c.fetch_base) return;
    const M68kPageRun run = runs[page];
    // Distances from the position just loaded, so that no bound is taken modulo 2^32.
    const u32 pos  = c.fetch_pos;
    const u32 down = std::min(pc - (u32{run.first} << 16), pos - c.fetch_begin);
    const u32 up   = std::min(((u32{run.last} + 1) << 16) - pc, c.fetch_end - pos);
    c.jump_begin   = pos - down;
    c.jump_size    = down + up;
}

namespace {

// Places the fetch position at `pc` at slice entry. The fetch base normally still holds the
// position (a boot ROM running on into the cartridge, a 32X BIOS overlay); when it does not
// place the PC inside an image (a state load over a marker page), the PC is resolved afresh.
// The common case (still in the fetch region the last slice ran in) stays inline and leaves
// the slice entry without saved registers; the rest is out of line.
template <class I>
[[gnu::noinline]] bool enter_position_slow(u32 pc, u32 pos) {
    auto& c             = I::cpu();
    const ArenaRegion r = arena_fetch_region(pos);
    if (!r.empty()) {
        c.fetch_begin = r.begin;
        c.fetch_end   = r.end;
        c.fetch_pos   = pos;
        c.jump_size   = 0;
        return true;
    }
    return resolve_pc<I, Adjust::kAll>(pc);
}

// The full placement of the fetch position at `pc`, out of line.
template <class I>
[[gnu::noinline]] bool place_position() {
    auto& c       = I::cpu();
    const u32 pc  = c.pc & 0xFFFFFF;
    const u32 pos = c.fetch_base + pc;
    // A fetch base set from outside between slices (a state load, a test) invalidates the
    // jump window made for the old one.
    if (c.jump_base != c.fetch_base) {
        c.jump_size = 0;
        c.jump_base = c.fetch_base;
    }
    if (in_fetch_region(c, pos)) {
        c.fetch_pos = pos;
        return true;
    }
    return enter_position_slow<I>(pc, pos);
}

// Slice entry: the position the last slice left is still the one to run from while `pc`
// and the fetch base hold what that slice left (nothing between slices moved them), which
// is the common case; otherwise the position is placed afresh.
template <class I>
M68K_INLINE bool enter_position() {
    auto& c = I::cpu();
    if (c.pc == c.exit_pc && c.fetch_base == c.jump_base) [[likely]]
        return true;
    return place_position<I>();
}

// The dispatch loop: starts a chain of instructions through the opcode table (see chained)
// and, when the chain returns, adds the cycles of the instruction it ended with; the slice
// ends when that carries. True when the carry came from a handler that left the slice
// (kLeaveSlice): only such a handler can have halted the core, and the record's counter is
// then still the 1 it parked (see leave_slice), which the slice body puts back.
//
// The counter lives in the record and is updated before each instruction, so that the record
// holds the cycles run so far whenever a handler or the bus looks (the VDP reads it for its
// position).
//
// Running off the end of an image needs no test in the chained loop: every fetch region is
// followed by zero guard bytes, which read as opcode 0x0000, and the table entry of that opcode
// resolves the PC afresh when its position lies past the region (run_off_entry).
//
// `Plain` is the loop with the speed paths off: every instruction is its own dispatch step (a
// chain of one, so no branch runs in the step of the test before it), and the position is
// checked against the fetch region before each instruction rather than left to the guard
// bytes' opcode.
template <class I, bool Plain>
M68K_INLINE bool dispatch(u32 cycles) {
    auto& c                    = I::cpu();
    const M68kJumpTable& table = I::table();
    for (;;) {
        const u32 counter = static_cast<u32>(c.cycle_counter) + cycles;
        c.cycle_counter   = static_cast<s32>(counter);
        if (counter < cycles) [[unlikely]]
            return cycles == kLeaveSlice;
        if constexpr (Plain) {
            if (ran_off_image<I>()) [[unlikely]] {
                cycles = run_off_image<I>();
                continue;
            }
        }
        I::chain_left() = Plain ? 1 : kM68kChainLength;
        const u32 ir    = load_be32(memory_arena + c.fetch_pos);
        cycles          = table[ir >> 16](ir);
    }
}

template <class I>
void hand_off() {
    if constexpr (I::kIsMain) {
        // The hook first: without a Z80 bound the configuration word need not be read.
        if (m68k_z80_released && cfg(cfg_disable_z80) == 0 && m68k_z80_released()) {
            if (m68k_z80_successor) m68k_z80_successor();
            return;
        }
        if (m68k_successor) m68k_successor();
    } else {
        if (s68k_successor) s68k_successor();
    }
}

// One slice up to the hand-off. False when the core is or became halted: then no successor
// runs. `Plain` runs it with the speed paths off. The switch is not read here: the slice is
// the hottest call of the machine, so the caller picks the body (the frame loop once a frame,
// see m68k_run_slice_alone_plain), and the body keeps the registers of the dispatch loop to
// itself.
template <class I, bool Plain>
M68K_INLINE bool run_slice_body() {
    auto& c = I::cpu();
    if (c.status & kM68kStatusHalted) return false;
    // The slice length is negative, so the addition carries only from a counter a whole
    // slice past zero or from one below zero, both rare (a slice normally starts with the few
    // cycles the last one overran): the sign is looked at on that path alone.
    const u32 before = static_cast<u32>(c.cycle_counter);
    const u32 after  = before + static_cast<u32>(c.slice_cycles);
    c.cycle_counter  = static_cast<s32>(after);
    // A counter already a whole slice or more past zero skips the slice; below zero, the
    // slice runs.
    if (after < before && static_cast<s32>(before) >= 0) [[unlikely]]
        return true;
    cpu_current_context = &c;
    if (c.halt_pending) [[unlikely]] {
        c.halt_pending = 0;
        halt_machine<I>();
        return false;
    }
    if (!enter_position<I>()) [[unlikely]] {
        halt_machine<I>();
        return false;
    }
    // A wait loop is resumed only where a slice with the speed paths on left one.
    u32 cycles = 0;
    if (c.irq_check == 1) {
        cycles = check_irq<I>(0);
    } else if constexpr (I::kIsMain && !Plain) {
        if (c.fetch_pos == m68k_wait_stop.at) cycles = m68k_wait_stop.resume();
    }
    // The interrupt check may have left the slice itself: the counter is taken from the
    // record after it.
    if (dispatch<I, Plain>(cycles)) [[unlikely]] {
        // A handler left the slice: the counter it parked is the one the slice ends with.
        c.cycle_counter = c.leave_counter;
        if (c.status & kM68kStatusHalted) return false;
    }
    c.pc      = m68k_current_pc(c);
    c.exit_pc = c.pc;
    return true;
}

// The plain body out of line, so that the chained one keeps its registers.
template <class I>
[[gnu::noinline, gnu::cold]] bool run_slice_plain() {
    return run_slice_body<I, true>();
}

// The slice with the hand-off, for the callers that do not pick a body themselves (the
// sub-CPU, tests): the switch is read here.
template <class I>
void run_slice() {
    const bool ran = speed_paths_enabled() ? run_slice_body<I, false>() : run_slice_plain<I>();
    if (ran) hand_off<I>();
}

template <class I>
void reset() {
    auto& c             = I::cpu();
    cpu_current_context = &c;
    c.cycle_counter     = 0;
    c.irq_pending       = 0;
    c.irq_check         = 0;
    c.sr                = 0x2700;
    c.sp_slot_index     = kM68kSupervisorSlot;
    c.stopped           = 0;
    c.irq_taken         = 0;
    c.halt_pending      = 0;
    c.exception_run     = 0;
    c.pc                = 0;
    c.exit_pc           = kM68kNoPc;
    if constexpr (I::kIsMain) m68k_wait_stop = {};
    u32 ssp = 0, new_pc = 0;
    if (!m68k_read_reset_vectors(c.fetch_base, ssp, new_pc)) {
        c.halt_pending = 1;
        return;
    }
    c.regs[kM68kA7] = ssp;
    new_pc &= 0xFFFFFF;
    if (!resolve_pc<I, Adjust::kOverlay>(new_pc)) {
        c.halt_pending = 1;
        return;
    }
    c.pc = new_pc;
}

}  // namespace
}  // namespace m68k

bool m68k_read_reset_vectors(u32 fetch_base, u32& ssp, u32& pc) {
    const ArenaRegion r = arena_fetch_region(fetch_base);
    if (r.empty() || r.end - fetch_base < 8) return false;
    ssp = load_be32(memory_arena + fetch_base);
    pc  = load_be32(memory_arena + fetch_base + 4);
    return true;
}

void m68k_run_slice() { m68k::run_slice<m68k::Main>(); }
void m68k_run_slice_alone() { m68k::run_slice_body<m68k::Main, false>(); }
void m68k_run_slice_alone_plain() { m68k::run_slice_plain<m68k::Main>(); }
void s68k_run_slice() { m68k::run_slice<m68k::Sub>(); }
void m68k_reset() { m68k::reset<m68k::Main>(); }
void s68k_reset() { m68k::reset<m68k::Sub>(); }

}  // namespace varn
