#include "genesis/z80/z80_wait_loop.h"

#include <array>
#include <bit>
#include <cstring>

#include "genesis/z80/genesis_z80.h"
#include "genesis/z80/genesis_z80_bus.h"

namespace varn {

Z80WaitStats z80_wait_stats{};
Z80WaitReplay z80_wait_replay{};
Z80WaitPortReads z80_wait_port_reads{};

namespace {

// The longest run of instructions looked at before the loop must have closed.
constexpr u32 kMaxSteps = 24;
// Code must lie where the fetch reads it in one piece (see GenesisZ80Bus::fetch_direct).
constexpr u32 kCodeEnd = kZ80RamSize - 4;
// The loop's reads: the RAM and the YM2612 page, whose reads change nothing.
constexpr u32 kReadEnd = 0x5000;

// Whether the condition of a CALL cc or RET cc (bits 3-5 of its opcode) holds with flags `f`:
// NZ, Z, NC, C, PO, PE, P, M.
bool condition_holds(u32 opcode, u32 f) {
    constexpr u32 kFlag[4] = {0x40, 0x01, 0x04, 0x80};  // Z, C, P/V, S
    const u32 cc           = (opcode >> 3) & 7;
    return ((f & kFlag[cc >> 1]) != 0) == ((cc & 1) != 0);
}

// What an instruction does with the stack: a call pushes its return address, a return pops.
enum class Stack { kNone, kPush, kPop };

// The length of the instruction whose bytes are `op`, run with flags `f`, when it reads only
// A, F and (for LD A,(nn)) the byte at `read`, and writes only A, F and PC, or is a call or
// return (`stack`: RST, CALL and RET, and CALL cc and RET cc whose condition holds), which
// moves SP and the stack bytes as well; else 0. A call qualifies only where it stores the
// bytes already there (prove_afresh).
u32 read_only_length(u32 op, u32 f, u32& read, bool& reads, Stack& stack) {
    reads = false;
    stack = Stack::kNone;
    switch (op & 0xFF) {
        case 0x00:  // NOP
        case 0x07:  // RLCA
        case 0x0F:  // RRCA
        case 0x17:  // RLA
        case 0x1F:  // RRA
        case 0x27:  // DAA
        case 0x2F:  // CPL
        case 0x37:  // SCF
        case 0x3F:  // CCF
        case 0x3C:  // INC A
        case 0x3D:  // DEC A
        case 0x87:  // ADD A,A
        case 0x8F:  // ADC A,A
        case 0x97:  // SUB A
        case 0x9F:  // SBC A,A
        case 0xA7:  // AND A
        case 0xAF:  // XOR A
        case 0xB7:  // OR A
        case 0xBF:  // CP A
            return 1;
        case 0xC0:  // RET cc
        case 0xC8:
        case 0xD0:
        case 0xD8:
        case 0xE0:
        case 0xE8:
        case 0xF0:
        case 0xF8:
            if (condition_holds(op, f)) stack = Stack::kPop;
            return 1;
        case 0xC9:  // RET
            stack = Stack::kPop;
            return 1;
        case 0xC7:  // RST p
        case 0xCF:
        case 0xD7:
        case 0xDF:
        case 0xE7:
        case 0xEF:
        case 0xF7:
        case 0xFF:
            stack = Stack::kPush;
            return 1;
        case 0xCD:  // CALL nn
            stack = Stack::kPush;
            return 3;
        case 0x3E:  // LD A,n
        case 0xC6:  // ALU A,n
        case 0xCE:
        case 0xD6:
        case 0xDE:
        case 0xE6:
        case 0xEE:
        case 0xF6:
        case 0xFE:
        case 0x18:  // JR e, JR cc,e
        case 0x20:
        case 0x28:
        case 0x30:
        case 0x38:
            return 2;
        case 0xCB:  // BIT b,A
            return ((op >> 8) & 0xC7) == 0x47 ? 2 : 0;
        case 0x3A:  // LD A,(nn)
            read  = (op >> 8) & 0xFFFF;
            reads = true;
            return read < kReadEnd ? 3 : 0;
        case 0xC3:  // JP nn, JP cc,nn
        case 0xC2:
        case 0xCA:
        case 0xD2:
        case 0xDA:
        case 0xE2:
        case 0xEA:
        case 0xF2:
        case 0xFA:
            return 3;
        case 0xC4:  // CALL cc,nn
        case 0xCC:
        case 0xD4:
        case 0xDC:
        case 0xE4:
        case 0xEC:
        case 0xF4:
        case 0xFC:
            if (condition_holds(op, f)) stack = Stack::kPush;
            return 3;
        default:
            return 0;
    }
}

// A record with the fields a read-only loop changes taken from `to`: equal to `to` when
// nothing else differs. Copied byte for byte, so that padding compares equal too.
bool differs_only_in_loop_fields(const z80_cpu_context& from, const z80_cpu_context& to) {
    z80_cpu_context n;
    std::memcpy(&n, &from, sizeof n);
    n.af            = to.af;
    n.pc            = to.pc;
    n.sp            = to.sp;
    n.r             = to.r;
    n.cycle_counter = to.cycle_counter;
    n.last_tstates  = to.last_tstates;
    return std::memcmp(&n, &to, sizeof n) == 0;
}

// A proven loop: the instructions from where the proof started (their PC, SP, the A and F
// they started with, the stack word its calls store as it stood before each, and their bytes,
// so that a changed program is noticed), the bytes they read with their values (a return
// that pops anything but that word reads the stack), the slice length, and the slices kept
// while the Z80 went round it.
struct ProvenLoop {
    bool valid   = false;
    u32 count    = 0;
    u32 stack_at = kZ80NoStackWord;  // the word the calls store (its low byte), if any
    std::array<u16, kMaxSteps> pc{};
    std::array<u16, kMaxSteps> sp{};
    std::array<u16, kMaxSteps> af{};
    std::array<u16, kMaxSteps> word{};
    std::array<u32, kMaxSteps> code{};  // the instruction's bytes, the rest masked off
    std::array<u32, kMaxSteps> mask{};
    u32 reads = 0;
    std::array<u16, kZ80WaitReads> read_at{};
    std::array<u8, kZ80WaitReads> read_value{};
    s32 budget = 0;
};
// A driver waits in a few loops (or in one loop whose reads change now and then): the last
// few proven stay, with their kept slices.
constexpr u32 kLoops = 4;
std::array<ProvenLoop, kLoops> loops;
std::array<std::array<Z80KeptSlice, 1u << kZ80KeptBits>, kLoops> kept;
std::array<u32, kLoops> stamps{};  // the last stamp given in each loop's kept slices
u32 current_loop = 0;              // the loop of the running stretch
u32 next_loop    = 0;              // the slot the next new proof takes

bool read_byte_of(u32 addr, u8& value) {
    if (addr >= kReadEnd) return false;
    value = GenesisZ80Bus::read_byte(static_cast<u16>(addr));
    return true;
}

// Runs the instruction at PC alone, as a slice of its own would, with the paths off (a jump
// to itself goes round once). False when it changed more than A, F, PC and the counts.
bool step(z80_cpu_context& c) {
    c.slice_budget  = -1;
    c.cycle_counter = 0;
    c.extra_tstates = 0;
    z80_cpu_context before;
    std::memcpy(&before, &c, sizeof before);
    GenesisZ80::run<GenesisZ80::Paths::kOff>(c);
    return differs_only_in_loop_fields(before, c);
}

}  // namespace

namespace {

// The proven loop's reads give the values it was proven with and its code is unchanged.
bool reads_and_code_hold(const ProvenLoop& p) {
    for (u32 k = 0; k < p.reads; ++k) {
        u8 value = 0;
        if (!read_byte_of(p.read_at[k], value) || value != p.read_value[k]) return false;
    }
    for (u32 i = 0; i < p.count; ++i) {
        if ((load_le32(z80_ram.data() + p.pc[i]) & p.mask[i]) != p.code[i]) return false;
    }
    return true;
}

// The stack word at `at` (0 for none).
u16 stack_word(u32 at) { return at == kZ80NoStackWord ? 0 : load_le16(z80_ram.data() + at); }

// The Z80's state is one that the proven loop went through: its future is the loop's.
bool stands_in(const ProvenLoop& p, const z80_cpu_context& c) {
    const u16 word = stack_word(p.stack_at);
    for (u32 i = 0; i < p.count; ++i) {
        if (p.pc[i] == c.pc && p.af[i] == c.af && p.sp[i] == c.sp && p.word[i] == word) return true;
    }
    return false;
}

void take_loop(u32 slot) {
    current_loop          = slot;
    const ProvenLoop& p   = loops[slot];
    z80_wait_replay       = {kept[slot].data(), p.stack_at, &kZ80NoKeptSlice, false, 0};
    Z80WaitPortReads& out = z80_wait_port_reads;
    out.count             = 0;
    for (u32 k = 0; k < p.reads; ++k) {
        if (p.read_at[k] < GenesisZ80Bus::kRamEnd) continue;
        out.at[out.count]    = p.read_at[k];
        out.value[out.count] = p.read_value[k];
        ++out.count;
    }
}

// Adds the byte at `addr`, holding `value`, to the loop's reads. False when they are full.
bool note_read(ProvenLoop& p, u32 addr, u8 value) {
    u32 k = 0;
    while (k < p.reads && p.read_at[k] != addr) ++k;
    if (k < p.reads) return true;
    if (p.reads == p.read_at.size()) return false;
    p.read_at[k]    = static_cast<u16>(addr);
    p.read_value[k] = value;
    ++p.reads;
    return true;
}

// A call's push or a return's pop at SP `sp`, the `i` first steps taken. Every push stores
// the one stack word (the first push names it; the earlier steps saw it as it was), in the
// RAM; a return pops that word or reads the stack bytes it pops. False otherwise.
bool stack_step_fits(ProvenLoop& p, Stack stack, u32 sp, u32 i) {
    const u32 at = stack == Stack::kPush ? sp - 2 : sp;
    if (at + 1 >= kZ80RamSize) return false;  // below 0 (wrapped) or past the RAM
    if (stack == Stack::kPush) {
        if (p.stack_at == kZ80NoStackWord) {
            p.stack_at = at;
            for (u32 j = 0; j < i; ++j) p.word[j] = stack_word(at);
        }
        return at == p.stack_at;
    }
    if (at == p.stack_at) return true;
    return note_read(p, at, z80_ram[at]) && note_read(p, at + 1, z80_ram[at + 1]);
}

// A loop whose stores reach its own code or the bytes it reads is not one that only waits.
bool stores_stay_apart(const ProvenLoop& p) {
    if (p.stack_at == kZ80NoStackWord) return true;
    const u32 at = p.stack_at;
    for (u32 k = 0; k < p.reads; ++k) {
        if (p.read_at[k] == at || p.read_at[k] == at + 1) return false;
    }
    for (u32 i = 0; i < p.count; ++i) {
        const u32 len = static_cast<u32>(std::bit_width(p.mask[i])) / 8;
        if (at + 2 > p.pc[i] && at < p.pc[i] + len) return false;
    }
    return true;
}

// Runs the instructions from the Z80's state one at a time, on the record, until the Z80
// comes back to a PC, SP and stack word with the A and F it had there, and puts the record
// and the stack word back. True, with the loop in `p`, when it did so running only
// instructions that read and write what such a loop may: calls store only the one stack
// word, apart from the loop's code and reads.
bool prove_afresh(ProvenLoop& p) {
    z80_cpu_context& c = z80_context;
    p.budget           = c.slice_budget;
    z80_cpu_context saved;
    std::memcpy(&saved, &c, sizeof saved);
    u16 saved_word = 0;
    bool closed    = false;
    for (u32 i = 0; i < kMaxSteps; ++i) {
        const u16 word = stack_word(p.stack_at);
        for (u32 j = 0; j < i; ++j) {
            if (p.pc[j] == c.pc && p.af[j] == c.af && p.sp[j] == c.sp && p.word[j] == word)
                closed = true;
        }
        if (closed) break;
        if (c.pc >= kCodeEnd) break;
        const u32 op = load_le32(z80_ram.data() + c.pc);
        u32 read     = 0;
        bool reads   = false;
        Stack stack  = Stack::kNone;
        const u32 n  = read_only_length(op, c.af & 0xFF, read, reads, stack);
        if (n == 0) break;
        if (reads) {
            u8 value = 0;
            if (!read_byte_of(read, value) || !note_read(p, read, value)) break;
        }
        const bool named = p.stack_at != kZ80NoStackWord;
        if (stack != Stack::kNone && !stack_step_fits(p, stack, c.sp, i)) break;
        if (!named && p.stack_at != kZ80NoStackWord) saved_word = stack_word(p.stack_at);
        p.pc[i]   = c.pc;
        p.sp[i]   = c.sp;
        p.af[i]   = c.af;
        p.word[i] = stack_word(p.stack_at);
        p.mask[i] = 0xFFFFFFFFu >> (32 - 8 * n);
        p.code[i] = op & p.mask[i];
        p.count   = i + 1;
        // Only A, F, PC, SP and the counts may move (and the stack word, put back below).
        if (!step(c)) break;
    }
    std::memcpy(&c, &saved, sizeof c);
    if (p.stack_at != kZ80NoStackWord) store_le16(z80_ram.data() + p.stack_at, saved_word);
    return closed && stores_stay_apart(p);
}

}  // namespace

bool z80_wait_loop_prove() {
    const z80_cpu_context& c = z80_context;
    if (c.status != 0 || c.irq_check != 0 || c.extra_tstates != 0 || c.halted != 0 ||
        c.slice_exit != 0)
        return false;
    for (u32 l = 0; l < kLoops; ++l) {
        const ProvenLoop& p = loops[l];
        if (p.valid && p.budget == c.slice_budget && stands_in(p, c) && reads_and_code_hold(p)) {
            take_loop(l);
            return true;
        }
    }
    ProvenLoop p;
    if (!prove_afresh(p)) return false;
    p.valid           = true;
    loops[next_loop]  = p;
    kept[next_loop]   = {};  // the kept slices belong to the loop they were made in
    stamps[next_loop] = 0;
    take_loop(next_loop);
    next_loop = (next_loop + 1) % kLoops;
    return true;
}

bool z80_wait_reads_hold() { return reads_and_code_hold(loops[current_loop]); }

namespace {

// The slice in `slot` follows the one the Z80 stood at the end of: chained, and the Z80 now
// stands at its end.
void link_to(u32 slot) {
    Z80WaitReplay& r = z80_wait_replay;
    Z80KeptSlice& k  = r.kept[slot];
    if (r.cur != &kZ80NoKeptSlice) {
        Z80KeptSlice& cur = r.kept[r.cur - r.kept];
        cur.next          = &k;
        cur.next_stamp    = k.stamp;
    }
    r.cur = &k;
}

}  // namespace

bool z80_wait_slice_run() {
    z80_cpu_context& c = z80_context;
    z80_cpu_context before;
    std::memcpy(&before, &c, sizeof before);
    const u16 word_before = stack_word(z80_wait_replay.stack_at);
    z80_run_paths_on();
    ++z80_wait_stats.run;
    if (!differs_only_in_loop_fields(before, c)) return false;
    const u32 at         = z80_wait_replay.stack_at;
    const u16 word_after = stack_word(at);
    const u32 slot =
        z80_kept_slot(before.pc, before.af, before.sp, word_before, before.cycle_counter);
    u32& stamp = stamps[current_loop];
    if (++stamp == 0) ++stamp;
    if (z80_wait_replay.cur == &z80_wait_replay.kept[slot])
        z80_wait_replay.cur = &kZ80NoKeptSlice;  // its slice is gone
    z80_wait_replay.kept[slot] = {before.pc,
                                  before.af,
                                  before.sp,
                                  word_before,
                                  before.cycle_counter,
                                  c.pc,
                                  c.af,
                                  c.sp,
                                  word_after,
                                  c.cycle_counter,
                                  c.last_tstates,
                                  static_cast<u8>(c.r - before.r),
                                  stamp,
                                  nullptr,
                                  0};
    link_to(slot);
    return true;
}

void z80_wait_write_record(const Z80KeptSlice& k, u8 r_steps) {
    z80_cpu_context& c = z80_context;
    c.pc               = k.pc_after;
    c.af               = k.af_after;
    c.sp               = k.sp_after;
    if (z80_wait_replay.stack_at != kZ80NoStackWord)
        store_le16(z80_ram.data() + z80_wait_replay.stack_at, k.word_after);
    c.cycle_counter = k.counter_after;
    c.last_tstates  = k.last_tstates;
    c.r             = static_cast<u8>(c.r + r_steps);
}

bool z80_wait_slice_slow() {
    z80_wait_catch_up();
    const Z80KeptSlice* k = z80_wait_find();
    if (k == nullptr) return z80_wait_slice_run();
    z80_wait_write_record(*k, k->r_delta);
    ++z80_wait_stats.replayed;
    return true;
}

const Z80KeptSlice* z80_wait_find() {
    const z80_cpu_context& c = z80_context;
    const u16 word           = stack_word(z80_wait_replay.stack_at);
    const u32 slot           = z80_kept_slot(c.pc, c.af, c.sp, word, c.cycle_counter);
    const Z80KeptSlice& k    = z80_wait_replay.kept[slot];
    if (k.stamp == 0 || k.pc != c.pc || k.af != c.af || k.sp != c.sp || k.word != word ||
        k.counter != c.cycle_counter)
        return nullptr;
    link_to(slot);
    return &k;
}

void z80_wait_loop_reset() {
    for (ProvenLoop& p : loops) p = ProvenLoop{};
    for (auto& k : kept) k = {};
    stamps              = {};
    current_loop        = 0;
    next_loop           = 0;
    z80_wait_replay     = {};
    z80_wait_port_reads = {};
    z80_wait_stats      = {};
}

}  // namespace varn
