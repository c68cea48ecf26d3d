#pragma once
// The differential check of the two 68000 cores: one program, run in lockstep on the main
// core (src/m68k/, speed paths off) and on the earlier release's core (src/legacy/m68k/) over
// one flat bus. Each round runs one slice of each core (one instruction, or a few when
// instructions of no cost come first: the older core's Scc, the main core's exceptions), and
// then the core that has run fewer instructions (the live tables count them) runs on until
// both have run as many; the two must then agree on every register, SR, the inactive stack
// pointer, the halt and STOP state, and every byte written. Each core's writes of a round
// are kept apart, so that both start the round from the same memory.
//
// Cycle costs are not compared. A run stops, without a difference, before an instruction
// where the two cores differ on purpose (kIntendedDifferences).
//
// Input layout (the fuzz target's bytes; the gtest makes them at random):
//   0x00  D0-D7, A0-A6       15 x u32 big-endian
//   0x3C  SR                 u16 (A7 is the supervisor stack pointer, the user one 0xFFF000)
//   0x3E  interrupt levels   u8, raised on both cores every 8th round
//   0x3F  unused
//   0x40  code               at 0x001000 of the cartridge; every vector points into it

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "base/bits.h"
#include "base/endian.h"
#include "base/speed_paths.h"
#include "legacy/m68k/m68k_v024.h"
#include "legacy/m68k/m68k_v024_table.h"
#include "m68k/m68k.h"
#include "m68k/m68k_bus.h"
#include "m68k/m68k_family.h"
#include "memory/memory.h"
#include "support/m68k_flat_bus.h"

namespace varn::test {

// The differences the older core has on purpose, by name (costs aside).
inline constexpr const char* kIntendedDifferences[] = {
    "an encoding outside the 68000's set",  // line A and F, the older core's extra forms
    "MOVEM to -(An) listing An",            // writes An already lowered by one step
    "ASL.B #8",                             // clears V
    "LSL.L or LSR.L by a count of 32",      // clears C
    "SBCD or NBCD of a digit above 9",      // the low-digit correction borrows nothing
    // Not the older core's: the main core compares CHK's register and bound by the sign of
    // their 16-bit difference, which is wrong when they lie more than 0x7FFF apart.
    "CHK with Dn and the bound more than 0x7FFF apart",
    // ORI, ANDI and EORI to CCR keep to the five flags in the older core; the main core's
    // change bits 5-7 of the CCR byte as the immediate says.
    "ORI, ANDI or EORI to CCR touching bits 5-7",
    // Code run on past the end of its image: the older core goes on through whatever the
    // arena holds behind it (and halts outside the arena), the main core looks the PC up.
    "running off the end of an image",
};

struct DiffResult {
    u32 rounds          = 0;        // rounds compared
    const char* stopped = nullptr;  // the intended difference a run stopped before
    bool differs        = false;
    std::string detail;  // what differed, for the report
};

namespace diff {

inline constexpr std::size_t kHeader = 0x40;
inline constexpr u32 kCodeAt         = 0x001000;
inline constexpr u32 kMaxCode        = 0x2000;
inline constexpr u32 kUserStack      = 0xFFF000;

struct Write {
    u8* at;
    u8 old;
    u8 value;
    u32 addr;
};
inline std::vector<Write>& writes() {
    static std::vector<Write> w;
    return w;
}

// The flat bus, logging every byte written (so that it can be compared and undone).
struct UndoBus {
    template <u8* (*At)(u32), u32 N>
    static u32 read(u32 a) {
        return read_n<At>(a, N);
    }
    template <u8* (*At)(u32), u32 N>
    static void write(u32 a, u32 v) {
        for (u32 i = 0; i < N; ++i) {
            u8* p        = At(a + i);
            const u8 val = static_cast<u8>(v >> (8 * (N - 1 - i)));
            writes().push_back({p, *p, val, (a + i) & 0xFFFFFF});
            *p = val;
        }
    }
};

// Memory changes only through the bus. Each core's writes of a round are kept apart, so
// that the other core can run from the memory the round started with; what both agreed on
// joins `committed`, which restores the memory before the next program.
inline void revert(const std::vector<Write>& w) {
    for (auto it = w.rbegin(); it != w.rend(); ++it) *it->at = it->old;
}
inline void apply(const std::vector<Write>& w) {
    for (const Write& x : w) *x.at = x.value;
}
inline std::vector<Write>& committed() {
    static std::vector<Write> w;
    return w;
}

// Memory as at program start, whatever ran before.
inline void reset_memory() {
    memory_clear();
    std::fill(flat_memory().begin(), flat_memory().end(), u8{0});
    committed().clear();
    writes().clear();
}

// Everything a round compares, taken from either core's record.
struct State {
    u32 pc;
    u32 halted;
    u16 sr;
    std::array<u32, 16> regs;
    u32 inactive_sp;
    u32 stopped;
    u32 irq_taken;
    u32 irq_pending;
    bool operator==(const State&) const = default;
};
inline State state_of(const M68kCpuContext& c) {
    return {c.pc & 0xFFFFFF,
            (c.status & kM68kStatusHalted) != 0,
            c.sr.value(),
            c.regs,
            c.sp_slots[c.sp_slot_index ^ 1],
            c.stopped != 0,
            c.irq_taken != 0,
            c.irq_pending};
}
inline State state_of(const M68kCpuContextV024& c) {
    return {c.pc & 0xFFFFFF,
            (c.status & kM68kStatusHalted) != 0,
            c.sr,
            c.regs,
            c.sp_slots[(c.sp_slot_index / 4) ^ 1],
            c.stopped != 0,
            c.irq_taken != 0,
            c.irq_pending};
}

inline std::string describe(const State& s) {
    char buf[512];
    int n = std::snprintf(buf, sizeof buf,
                          "pc=%06X halted=%u sr=%04X sp'=%08X stop=%u/%u irq=%02X regs", s.pc,
                          s.halted, s.sr, s.inactive_sp, s.stopped, s.irq_taken, s.irq_pending);
    for (u32 r : s.regs)
        n += std::snprintf(buf + n, sizeof buf - static_cast<std::size_t>(n), " %08X", r);
    return buf;
}

// The tables as built; the live ones hold counting entries that run them (see prepare_once).
inline M68kJumpTable& main_table() {
    static M68kJumpTable t;
    return t;
}
inline M68kJumpTableV024& older_table() {
    static M68kJumpTableV024 t;
    return t;
}
inline u64 main_count  = 0;  // instructions run by each core
inline u64 older_count = 0;
inline u32 counting_main(u32 ir) {
    ++main_count;
    return main_table()[ir >> 16](ir);
}
inline bool counting_older() {
    ++older_count;
    return older_table()[load_be16(memory_arena + m68k_context_v024.host_pc)]();
}

inline bool main_defines(u32 op) {
    const M68kHandler h = main_table()[op];
    return h != m68k::kTableEntry<m68k::Main, &m68k::op_unassigned<m68k::Main>> &&
           h != m68k::kTableEntry<m68k::Main, &m68k::op_line_f<m68k::Main>>;
}
inline bool legacy_defines(u32 op) {
    return older_table()[op] != m68k_v024::m68k_unassigned_v024();
}

// The word a source operand reads, without moving any register (for a look at CHK's bound).
inline u32 peek_word_operand(const M68kCpuContextV024& c, u32 at, u32 op) {
    const u32 mode = (op >> 3) & 7, reg = op & 7;
    const u32 ext = read_n<main_byte>(at + 2, 2);
    auto index    = [&] {
        u32 x = c.regs[(ext >> 12) & 15];
        if (!(ext & 0x800)) x = sign_extend16(x);
        return x + sign_extend8(ext);
    };
    u32 addr = 0;
    switch (mode) {
        case 0:
            return c.regs[reg] & 0xFFFF;
        case 1:
            return c.regs[8 + reg] & 0xFFFF;
        case 2:
        case 3:
            addr = c.regs[8 + reg];
            break;
        case 4:
            addr = c.regs[8 + reg] - 2;
            break;
        case 5:
            addr = c.regs[8 + reg] + sign_extend16(ext);
            break;
        case 6:
            addr = c.regs[8 + reg] + index();
            break;
        default:
            switch (reg) {
                case 0:
                    addr = sign_extend16(ext);
                    break;
                case 1:
                    addr = read_n<main_byte>(at + 2, 4);
                    break;
                case 2:
                    addr = at + 2 + sign_extend16(ext);
                    break;
                case 3:
                    addr = at + 2 + index();
                    break;
                default:
                    return ext;
            }
    }
    return read_n<main_byte>(addr, 2);
}

inline bool bad_digits(u32 v) { return (v & 0x0F) > 9 || (v & 0xF0) > 0x90; }

// Where the next slice starts running: the vector of an interrupt its entry accepts, or the
// PC.
inline u32 next_pc(const M68kCpuContextV024& c) {
    const u32 level = c.irq_check == 1 ? m68k::m68k_acceptable_irq_level(c.sr, c.irq_pending) : 0;
    if (level == 0) return c.pc & 0xFFFFFF;
    return read_n<main_byte>((24 + level) * 4, 4) & 0xFFFFFF;
}

// Bytes of extension words of a word operand's mode.
inline u32 ext_bytes(u32 op) {
    const u32 mode = (op >> 3) & 7, reg = op & 7;
    if (mode == 5 || mode == 6) return 2;
    if (mode == 7) return reg == 1 ? 4 : 2;
    return 0;
}

// The older core's instructions that store no cost (Scc, 0x4848-0x484F, CHK when it does not
// trap) run in one slice with the instruction after them: the instruction length, else 0.
inline u32 costless_length(u32 op) {
    if ((op & 0xF0C0) == 0x50C0 && (op & 0xF0F8) != 0x50C8) return 2 + ext_bytes(op);
    if ((op & 0xFFF8) == 0x4848) return 2;
    if ((op & 0xF140) == 0x4100) return 2 + ext_bytes(op);
    return 0;
}

inline const char* intended_difference_at(const M68kCpuContextV024& c, u32 at, u32 depth);

// The intended difference the next slice runs into, or null.
inline const char* intended_difference(const M68kCpuContextV024& c) {
    const u32 at        = next_pc(c);
    const ArenaRegion r = arena_fetch_region(c.fetch_base + at);
    if (c.irq_check != 1 && (r.empty() || c.fetch_base + at + 16 >= r.end))
        return kIntendedDifferences[7];
    return intended_difference_at(c, at, 0);
}

// The intended difference of the one instruction at `at` (opcode `op`), or null.
inline const char* instruction_difference(const M68kCpuContextV024& c, u32 at, u32 op);

// The instruction at `at` and those an older slice runs with it: the ones after instructions
// of no cost, and the CHK vector's (a few levels deep).
inline const char* intended_difference_at(const M68kCpuContextV024& c, u32 at, u32 depth) {
    for (u32 steps = 0; steps < 0x10000; ++steps) {
        const u32 op = read_n<main_byte>(at, 2);
        if (const char* why = instruction_difference(c, at, op)) return why;
        const u32 n = costless_length(op);
        if (n == 0) return nullptr;
        if ((op & 0xF140) == 0x4100 && depth < 8) {
            const u32 vector = read_n<main_byte>(6 * 4, 4) & 0xFFFFFF;
            if (const char* why = intended_difference_at(c, vector, depth + 1)) return why;
        }
        at = (at + n) & 0xFFFFFF;
    }
    return nullptr;
}

inline const char* instruction_difference(const M68kCpuContextV024& c, u32 at, u32 op) {
    if (!main_defines(op) || !legacy_defines(op)) return kIntendedDifferences[0];
    if ((op & 0xFFB8) == 0x48A0) {  // MOVEM regs,-(An): mask bit 7 - n is An
        const u32 mask = read_n<main_byte>(at + 2, 2);
        if (mask & (0x80u >> (op & 7))) return kIntendedDifferences[1];
    }
    if ((op & 0xF1C0) == 0x4180) {  // CHK.W <ea>,Dn
        const s32 value = static_cast<s16>(c.regs[(op >> 9) & 7]);
        const s32 bound = static_cast<s16>(peek_word_operand(c, at, op));
        if (value - bound > 0x7FFF || bound - value > 0x7FFF) return kIntendedDifferences[5];
    }
    if (op == 0x003C || op == 0x0A3C || op == 0x023C) {
        const u32 high = read_n<main_byte>(at + 2, 2) & 0xE0;
        if (op == 0x023C ? (high != 0xE0 && (c.sr & 0xE0) != 0) : high != 0)
            return kIntendedDifferences[6];
    }
    if ((op & 0xFFF8) == 0xE100) return kIntendedDifferences[2];  // ASL.B #8,Dn
    if ((op & 0xF1F8) == 0xE1A8 || (op & 0xF1F8) == 0xE0A8) {     // LSL.L / LSR.L Dx,Dy
        if ((c.regs[(op >> 9) & 7] & 63) == 32) return kIntendedDifferences[3];
    }
    // SBCD, NBCD: the register forms by their operands; the memory forms always.
    if ((op & 0xF1F8) == 0x8100) {
        if (bad_digits(c.regs[op & 7] & 0xFF) || bad_digits(c.regs[(op >> 9) & 7] & 0xFF))
            return kIntendedDifferences[4];
    } else if ((op & 0xFFF8) == 0x4800) {
        if (bad_digits(c.regs[op & 7] & 0xFF)) return kIntendedDifferences[4];
    } else if ((op & 0xF1F8) == 0x8108 || (op & 0xFFC0) == 0x4800) {
        return kIntendedDifferences[4];
    }
    return nullptr;
}

inline void prepare_once() {
    static const bool ready = [] {
        m68k_build_jump_table();
        s68k_build_jump_table();
        m68k_build_jump_table_v024();
        s68k_build_jump_table_v024();
        main_table()  = m68k_jump_table;
        older_table() = m68k_jump_table_v024;
        m68k_jump_table.fill(&counting_main);
        m68k_jump_table_v024.fill(&counting_older);
        reset_memory();
        return true;
    }();
    (void)ready;
}

// Places the input in memory and both records.
inline void load(std::span<const u8> input) {
    revert(committed());
    committed().clear();
    writes().clear();
    std::fill_n(cart_rom.begin(), kCodeAt + kMaxCode, u8{0});
    m68k_reset_records();
    m68k_clear_slots();
    m68k_reset_records_v024();
    const std::size_t code = std::min<std::size_t>(input.size() - kHeader, kMaxCode);
    std::copy_n(input.begin() + kHeader, code, cart_rom.begin() + kCodeAt);
    // Every vector points into the code, at a different place for each.
    for (u32 v = 0; v < 256; ++v) {
        const u32 target = kCodeAt + ((v * 26) % std::max<u32>(static_cast<u32>(code & ~1u), 2));
        store_be32(&cart_rom[v * 4], target);
    }
    const u16 sr = load_be16(&input[0x3C]);
    auto place   = [&](auto& c, u32 supervisor_index) {
        for (u32 i = 0; i < 15; ++i) c.regs[i] = load_be32(&input[4 * i]);
        c.regs[15]      = 0xFFFF00;
        c.sp_slots      = {kUserStack, 0xFFFF00};
        c.sr            = sr;
        c.pc            = kCodeAt;
        c.fetch_base    = kCartRomOffset;
        c.slice_cycles  = -1;
        c.cycle_counter = 0;
        if (sr & kM68kSrS) {
            c.sp_slot_index = supervisor_index;
        } else {
            c.sp_slot_index = 0;
            c.regs[15]      = kUserStack;
        }
    };
    place(m68k_context, kM68kSupervisorSlot);
    place(m68k_context_v024, kSupervisorSlotIndexV024);
}

}  // namespace diff

// What a round's writes leave in memory, by address. The order of the accesses is not
// compared: the main core writes a long to -(An) low word first, as the 68000 does, where the
// older core makes one long access.
inline std::map<u32, u8> final_bytes(const std::vector<diff::Write>& w) {
    std::map<u32, u8> bytes;
    for (const diff::Write& x : w) bytes[x.addr] = x.value;
    return bytes;
}

// Runs `input` on both cores for up to `max_rounds` rounds.
inline DiffResult run_differential(std::span<const u8> input, u32 max_rounds) {
    using namespace diff;
    DiffResult result;
    if (input.size() < kHeader + 2) return result;
    prepare_once();
    // The live tables count instructions through the built ones, and the bus logs writes, for
    // this run only.
    m68k_jump_table.fill(&counting_main);
    m68k_jump_table_v024.fill(&counting_older);
    install_flat_buses<UndoBus>();
    set_speed_paths(false);
    load(input);
    const u8 levels       = input[0x3E];
    M68kCpuContext& m     = m68k_context;
    M68kCpuContextV024& l = m68k_context_v024;
    main_count = older_count = 0;
    std::vector<Write> main_writes, older_writes;
    // Runs one slice of a core with its writes of the round in memory.
    bool older_in_memory = true;
    auto run             = [&](bool older) {
        if (older != older_in_memory) {
            revert(older_in_memory ? older_writes : main_writes);
            apply(older ? older_writes : main_writes);
            older_in_memory = older;
        }
        if (older) {
            m68k_run_slice_v024();
        } else {
            m.cycle_counter = 0;
            m68k_run_slice();
        }
        auto& mine = older ? older_writes : main_writes;
        mine.insert(mine.end(), writes().begin(), writes().end());
        writes().clear();
    };
    for (u32 round = 0; round < max_rounds; ++round) {
        if (l.status & kM68kStatusHalted) break;
        if (levels != 0 && (round & 7) == 7) {
            for (u32 level = 1; level < 8; ++level) {
                if (levels & (1u << level)) {
                    m68k_set_irq(m, level, true);
                    m68k_set_irq_v024(l, level);
                }
            }
        }
        if (const char* why = intended_difference(l)) {
            result.stopped = why;
            break;
        }
        const u32 at = next_pc(l);
        if (const char* trace = std::getenv("VARN_DIFF_TRACE")) {
            if (*trace)
                std::fprintf(stderr, "round %u at %06X: %04X %04X %04X\n", round, at,
                             read_n<main_byte>(at, 2), read_n<main_byte>(at + 2, 2),
                             read_n<main_byte>(at + 4, 2));
        }
        main_writes.clear();
        older_writes.clear();
        older_in_memory = true;
        // A slice runs one instruction, more where instructions of no cost come first (the
        // older core's Scc, the main core's exceptions): the core behind runs on until both
        // have run as many.
        run(true);
        run(false);
        for (u32 k = 0; k < 4096 && main_count != older_count; ++k) {
            const bool older = older_count < main_count;
            if ((older ? l.status : m.status) & kM68kStatusHalted) break;
            // The main core went further within one slice (through exceptions of no cost):
            // the older core catches up one instruction at a time, and the run stops where it
            // would meet an intended difference.
            if (older && (result.stopped = intended_difference(l)) != nullptr) break;
            run(older);
        }
        if (result.stopped) break;
        State main        = state_of(m);
        const State older = state_of(l);
        // The main core leaves `pc` where its slice began when an opcode without a handler
        // halts it (the older core stores the halting instruction's address): after a halt
        // the PCs are not compared.
        if (main.halted && older.halted) main.pc = older.pc;
        const bool same_writes = final_bytes(main_writes) == final_bytes(older_writes);
        const auto& kept       = older_in_memory ? older_writes : main_writes;
        committed().insert(committed().end(), kept.begin(), kept.end());
        ++result.rounds;
        if (!(main == older) || !same_writes || main_count != older_count) {
            result.differs = true;
            char code[96];
            std::snprintf(code, sizeof code, " at %06X: %04X %04X %04X, instructions %llu / %llu",
                          at, read_n<main_byte>(at, 2), read_n<main_byte>(at + 2, 2),
                          read_n<main_byte>(at + 4, 2), static_cast<unsigned long long>(main_count),
                          static_cast<unsigned long long>(older_count));
            result.detail =
                "round " + std::to_string(round) + code + "\n main:  " + describe(main) +
                "\n older: " + describe(older) +
                (same_writes ? ""
                             : "\n writes differ (" + std::to_string(main_writes.size()) + " / " +
                                   std::to_string(older_writes.size()) + ")") +
                (main == older ? "" : "\n states differ");
            for (std::size_t i = 0; i < std::min(main_writes.size(), older_writes.size()); ++i) {
                char w[80];
                std::snprintf(w, sizeof w, "\n write %zu: %06X=%02X / %06X=%02X", i,
                              main_writes[i].addr, main_writes[i].value, older_writes[i].addr,
                              older_writes[i].value);
                result.detail += w;
            }
            break;
        }
        if (older.halted) break;
    }
    m68k_jump_table      = main_table();
    m68k_jump_table_v024 = older_table();
    return result;
}

}  // namespace varn::test
