#pragma once
// The 68000 CPU core, public face. Two instances of one interpreter: the Genesis main CPU
// (`m68k_context`) and the Sega CD sub-CPU (`s68k_context`), each with its own record,
// opcode table, fetch pages, bus (src/m68k/m68k_bus.h) and successor in the scheduler's chain.
//
// Life of a core:
//   start-up     m68k_build_jump_table() / s68k_build_jump_table(), once
//   power-on     fill the fetch pages (m68k_init_fetch_pages / m68k_restore_fetch_pages),
//                set `fetch_base` to the image holding the reset vectors, m68k_reset()
//   running      m68k_run_slice() once per timeslice from the scheduler, on the emulation
//                thread; the slice ends by calling the instance's successor hook
//   halted       an opcode without a handler or a jump into a page without code sets
//                `status` bits 0x300, calls m68k_halt_hook and ends the slice without the
//                successor; nothing runs until `status` is cleared (the idle loop does that
//                before it starts the next run entry, which resets the machine)
//   state        chunk 0x01 save/load and the Genecyst register load, between slices
//
// Instruction fetch never goes through the bus: it reads the memory arena
// (src/genesis/memory/memory.h) at a position found through the fetch pages.

#include <array>
#include <span>

#include "base/byte_io.h"
#include "base/types.h"

namespace varn {

// ---------------------------------------------------------------------------------------
// The context record
// ---------------------------------------------------------------------------------------

inline constexpr u32 kM68kStatusHalted   = 0x300;  // both bits together: the core is halted
inline constexpr u32 kM68kUserSlot       = 0;      // sp_slots index of the user stack pointer
inline constexpr u32 kM68kSupervisorSlot = 1;      // ... and of the supervisor stack pointer

// Register file indices: D0-D7 then A0-A7, so that kind * 8 + number selects any register
// (the index field of a brief extension word uses this numbering).
inline constexpr u32 kM68kD0 = 0;
inline constexpr u32 kM68kA0 = 8;
inline constexpr u32 kM68kA7 = 15;

// SR bits.
inline constexpr u16 kM68kSrC = 0x0001, kM68kSrV = 0x0002, kM68kSrZ = 0x0004, kM68kSrN = 0x0008,
                     kM68kSrX = 0x0010, kM68kSrS = 0x2000, kM68kSrT = 0x8000;

// Slice lengths as shipped (stored negative; the configuration replaces the low byte only).
inline constexpr s32 kM68kDefaultSliceCycles = -54;
inline constexpr s32 kS68kDefaultSliceCycles = -75;

// No PC (PCs are 24 bits).
inline constexpr u32 kM68kNoPc = 0xFFFFFFFFu;

// The status register. As the instructions and every reader see it (`value()`, or the
// conversion to u16) it holds every bit exactly as last written. N and Z, which nearly every
// instruction sets from its result, are not held as bits: `n` holds a word whose top bit is
// N and `z` a word that is zero exactly when Z is set, so that an instruction sets both with
// two stores of its result (moved to the top of the word) instead of deriving two bits. The
// other bits are held in `bits`, whose N and Z positions are always 0.
//
// `n` and `z` are kept apart on purpose: side by side, the compiler pairs their two stores
// through a vector register, which takes more instructions than the stores.
struct M68kStatusRegister {
    u32 n    = 0;
    u16 bits = 0;
    u32 z    = 1;

    // Z is the borrow of z - 1 taken in 64 bits: one shift rather than a compare and a set.
    constexpr u16 value() const {
        return static_cast<u16>(bits | ((n >> 28) & kM68kSrN) |
                                static_cast<u32>(((u64{z} - 1) >> 61) & kM68kSrZ));
    }
    constexpr operator u16() const { return value(); }
    constexpr M68kStatusRegister& operator=(u32 v) {
        bits = static_cast<u16>(v & ~u32{kM68kSrN | kM68kSrZ});
        n    = (v & kM68kSrN) << 28;
        z    = (v & kM68kSrZ) ^ kM68kSrZ;
        return *this;
    }
    constexpr M68kStatusRegister& operator|=(u32 v) { return *this = value() | v; }
    constexpr M68kStatusRegister& operator&=(u32 v) { return *this = value() & v; }
};

struct M68kCpuContext {
    u32 status     = 0;     // 0x300 = halted; no other bit is used by the core
    u32 fetch_base = 0;     // arena offset standing for 68000 address 0 in the current code
                            // page (mod 2^32): arena index of the instruction at PC = base + PC
    u8 irq_check      = 0;  // 1 = look for an acceptable interrupt at the next slice entry
    u8 irq_pending    = 0;  // bit n = interrupt level n pending (bit 0 never examined)
    s32 slice_cycles  = 0;  // slice length, negative
    s32 cycle_counter = 0;  // counts up through negative values; the slice ends when adding
                            // an instruction's cycles carries out of 32 bits (reaches >= 0).
                            // Cycles run so far in the slice: cycle_counter - slice_cycles.
    std::array<u32, 16> regs{};     // D0-D7, A0-A7; A7 is always the active stack pointer
    u32 pc = 0;                     // 24-bit PC, valid between slices
    std::array<u32, 2> sp_slots{};  // saved stack pointers: user, supervisor
    M68kStatusRegister sr{};        // status register (every bit as last written)
    u32 sp_slot_index = 0;          // slot of the current mode (stale while that mode runs)
    u8 stopped        = 0;          // non-zero while STOP waits for an interrupt
    u8 irq_taken      = 0;          // non-zero once an interrupt was accepted during STOP

    // Run state of this implementation.
    u32 fetch_pos   = 0;  // arena index of the running instruction (valid during a slice)
    u32 fetch_begin = 0;  // the fetch region fetch_pos runs in: [fetch_begin, fetch_end)
    u32 fetch_end   = 0;
    // The jump window: arena indices [jump_begin, jump_begin + jump_size) that a PC load may
    // reach without looking at the fetch pages. It lies inside the fetch region, on plain
    // pages whose offset is `jump_base` (the fetch base it was made for). Every full PC load
    // makes it afresh; a change of the pages or the region empties it, and slice entry empties
    // it when the fetch base was set to another value from outside.
    u32 jump_begin = 0;
    u32 jump_size  = 0;
    u32 jump_base  = 0;
    // `pc` as the last slice stored it (kM68kNoPc after anything else placed the fetch
    // position): while `pc` and the fetch base still hold what that slice left, its fetch
    // position is still the one to run from.
    u32 exit_pc     = kM68kNoPc;
    u8 halt_pending = 0;     // a halt found outside a slice (reset vector or loaded PC without
                             // code); taken at this core's next slice entry
    u32 exception_run  = 0;  // zero-cycle exceptions in a row without the counter moving
    u32 exception_mark = 0;  // counter value at the last of them
    s32 leave_counter  = 0;  // the counter a handler that left the slice ends it with
};
using m68k_cpu_context = M68kCpuContext;

extern M68kCpuContext m68k_context;  // Genesis main CPU
extern M68kCpuContext s68k_context;  // Sega CD sub-CPU

// The core that runs now (set at slice entry and at reset).
extern const M68kCpuContext* cpu_current_context;

// PC of the running instruction (during a slice, e.g. from a bus handler), or `pc` between
// slices: host position minus fetch base, 24 bits.
inline u32 m68k_current_pc(const M68kCpuContext& c) {
    return (c.fetch_pos - c.fetch_base) & 0xFFFFFF;
}

// Back to the records' start-up contents: both contexts cleared with their shipped slice
// lengths, fetch pages as at program start. Hooks are left bound.
void m68k_reset_records();

// ---------------------------------------------------------------------------------------
// Fetch pages: where code runs from, one entry per 64 KB page of the 24-bit space.
// ---------------------------------------------------------------------------------------

enum class M68kFetchKind : u8 {
    kNone,       // no code: a PC loaded here halts the machine
    kPlain,      // offset + PC is the arena index
    kS32xBios,   // 32X BIOS overlay: a PC loaded below 0x100 runs from the BIOS image,
                 // otherwise from the cartridge (main CPU only)
    kBankedRom,  // cartridge ROM banked by the 32X: an exception or interrupt adds
                 // m68k_banked_rom_offset() to the offset (main CPU only)
    kWordRam,    // Sega CD word RAM: an exception or interrupt adds
                 // m68k_word_ram_bank_offset() (the 1 Mbit-mode bank) (main CPU only)
};

struct M68kFetchPage {
    M68kFetchKind kind = M68kFetchKind::kNone;
    u32 offset         = 0;  // arena offset of the image minus the 68000 address where it
                             // starts (mod 2^32), so that offset + PC lands in the image
};

// The entry for a page of an image that starts at 68000 address `image_address` and lies at
// arena offset `arena_offset` (kCartRomOffset, kWorkRamOffset, ... from memory.h).
constexpr M68kFetchPage m68k_fetch_page(M68kFetchKind kind, u32 arena_offset, u32 image_address) {
    return {kind, arena_offset - image_address};
}
inline constexpr M68kFetchPage kM68kNoCodePage{};

using M68kFetchPages = std::array<M68kFetchPage, 256>;

// Live pages of the main CPU. At program start: 0x00-0x3F and 0x88-0x8F cartridge ROM,
// 0x90-0x9F banked ROM marker, 0xF0-0xFF work RAM (0xF0-0xFE mirror it, as the bus does),
// everything else (0x80-0x87 included) no code. Read freely; changed only through the
// functions below, which keep the core's jump window and page runs in step with them.
extern M68kFetchPages m68k_fetch_pages;
// The main CPU's pages while the Sega CD is attached (copied into m68k_fetch_pages by
// m68k_restore_fetch_pages): as above except 0x00-0x3F: 0x00-0x03 Sega CD BIOS then
// PRG-RAM, 0x20-0x23 word RAM marker, others no code.
extern M68kFetchPages m68k_fetch_pages_scd;
// Sub-CPU pages: 0x00-0x0B PRG-RAM then word RAM, everything else no code.
extern M68kFetchPages s68k_fetch_pages;

// Rewrites one entry of the main CPU's live pages (boot-ROM latch, PRG-RAM bank, word-RAM
// mode, 32X ROM bank and 32X enable). Takes effect at the next PC load.
void m68k_set_fetch_page(u32 page, M68kFetchPage entry);

// Genesis power-on: pages 0x00-0x3F := cartridge ROM; then page 0 := boot ROM when
// cfg_gen_use_bios is on and bit 0 of the cartridge-enable latch (0xA14101) is clear.
void m68k_init_fetch_pages(u32 cart_enable_latch);
// Sega CD power-on: pages 0x00-0x3F of m68k_fetch_pages_scd into m68k_fetch_pages.
void m68k_restore_fetch_pages();

// The two rules above on any page table, for a core that keeps tables of its own (the
// earlier release's 68000 core); they change nothing but the table.
void m68k_fill_cart_fetch_pages(M68kFetchPages& pages, u32 cart_enable_latch);
void m68k_copy_scd_fetch_pages(M68kFetchPages& pages, const M68kFetchPages& scd_pages);
// The program-start contents of m68k_fetch_pages, m68k_fetch_pages_scd and s68k_fetch_pages.
M68kFetchPages m68k_startup_fetch_pages();
M68kFetchPages m68k_startup_fetch_pages_scd();
M68kFetchPages s68k_startup_fetch_pages();

// ---------------------------------------------------------------------------------------
// Hooks: how the core meets its neighbours. All default to null; the owner binds them.
// ---------------------------------------------------------------------------------------

using M68kChainFn = void (*)();

// Next component after a main-CPU slice (lightgun_tick), also after a skipped slice.
extern M68kChainFn m68k_successor;
// Called instead of m68k_successor after a main-CPU slice when the Z80 runs: cfg_disable_z80
// is 0 and m68k_z80_released() is true. Bind it to the Z80's slice, which then continues the
// chain as m68k_successor would (z80_run, then lightgun_tick).
extern M68kChainFn m68k_z80_successor;
// The Z80 latches, read at every main-CPU slice end: true while the 68000 does not hold the
// Z80 bus and the Z80 is out of reset (z80_busreq_latch == 0 && z80_reset_latch != 0; bind
// z80_released from src/z80/genesis_z80.h). A seam rather than a direct read, so that the
// 68000 core does not link the Z80 and its sound chips. Null: the Z80 never runs.
extern bool (*m68k_z80_released)();
// Next component after every sub-CPU slice (scd_tick), also after a skipped slice.
extern M68kChainFn s68k_successor;
// Called on the emulation thread when either core halts (clears emu_thread_target).
extern M68kChainFn m68k_halt_hook;
// Interrupt acknowledgement with the accepted level: main CPU (level 6 clears
// vdp_vint_pending, level 4 vdp_hint_pending), sub-CPU (level 2 clears bit 0 of
// scd_sub_irq2_request).
extern void (*m68k_irq_ack_hook)(u32 level);
extern void (*s68k_irq_ack_hook)(u32 level);
// Fetch-page adjustments of the main CPU's exceptions and interrupts: the byte offset of the
// selected 32X ROM bank (s32x_rom_bank_offset), and of the word-RAM bank the main CPU sees
// in 1 Mbit mode (scd_word_ram_main_bank * 0x20000 while scd_word_ram_1m_mode, else 0).
// Null: no adjustment.
extern u32 (*m68k_banked_rom_offset)();
extern u32 (*m68k_word_ram_bank_offset)();

// Clears every hook above.
void m68k_clear_hooks();

// ---------------------------------------------------------------------------------------
// Running
// ---------------------------------------------------------------------------------------

// Builds the opcode tables from the pattern lists; once at start-up (each is idempotent).
void m68k_build_jump_table();
void s68k_build_jump_table();

// One timeslice: adds the (negative) slice length to the counter, takes a pending interrupt
// when irq_check is 1, runs instructions until the counter reaches zero or more, stores `pc`
// and calls the successor hook. A counter already past a whole slice skips the slice (still
// calling the successor). A halted core (status & 0x300) does nothing.
void m68k_run_slice();
void s68k_run_slice();

// The same slice without the successor call, for a caller that runs the slice chain itself.
// These two do not read the speed-path switch (base/speed_paths.h), which would cost every
// slice: the caller reads it (the frame loop once a frame) and runs the plain form with the
// paths off. m68k_run_slice and s68k_run_slice read it themselves.
void m68k_run_slice_alone();
void m68k_run_slice_alone_plain();

// Reset: SR 0x2700, counter and interrupt state cleared, A7 and PC from the two longs at
// `fetch_base` (set by the caller to the image holding the vectors). A PC without code is
// recorded and halts the core at its next slice entry. D0-D7, A0-A6, sp_slots and the slice
// length keep their values.
void m68k_reset();
void s68k_reset();

// The reset vectors (supervisor stack pointer, PC) as a core reads them at reset: from the
// image at arena offset `fetch_base` itself, not through the bus. False when no image holds
// both longs there.
bool m68k_read_reset_vectors(u32 fetch_base, u32& ssp, u32& pc);

// Interrupt raisers (VDP, light gun, Sega CD units) call these between slices or from a bus
// access: sets (or clears) level n pending and requests the check at the next slice entry.
inline void m68k_set_irq(M68kCpuContext& c, u32 level, bool pending) {
    const u8 bit  = static_cast<u8>(1u << (level & 7));
    c.irq_pending = static_cast<u8>(pending ? (c.irq_pending | bit) : (c.irq_pending & ~bit));
    c.irq_check   = 1;
}

// ---------------------------------------------------------------------------------------
// Saved state
// ---------------------------------------------------------------------------------------

inline constexpr u32 kM68kStateChunkId       = 0x01;
inline constexpr u32 kM68kStateChunkDataSize = 76;

// Writes chunk 0x01 (id in `id_width` bytes, little-endian u32 length 76, the registers).
// False, with nothing written, when `out` lacks room or id_width is not 1 to 4.
bool m68k_save_state_chunk(ByteWriter& out, u32 id_width);
bool s68k_save_state_chunk(ByteWriter& out, u32 id_width);

// Loads chunk 0x01. `in` is positioned at the chunk's id and ends at the end of its block.
// Returns 0 with `in` at the chunk's end, or -1, with no register touched and `in` where it
// was, when the chunk is shorter than its 76 data bytes or runs past the block. A PC in a page
// without code loads, and halts the core at its next slice entry.
int m68k_load_state_chunk(ByteReader& in, u32 id_width);
int s68k_load_state_chunk(ByteReader& in, u32 id_width);

// Loads the main CPU's registers from a Genecyst state image (D0-D7 at 0x80, A0-A7 at 0xA0,
// PC 0xC8, SR 0xD0, USP 0xD2, SSP 0xD6). False, nothing touched, when the image is too short.
inline constexpr u32 kM68kGsRegistersEnd = 0xDA;
bool m68k_load_gs_registers(std::span<const u8> image);

}  // namespace varn
