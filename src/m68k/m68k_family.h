#pragma once
// Instruction families and the opcode table's pattern list.
//
// Each family lives in its own file, src/m68k/ops_<name>.cpp, and provides its patterns
// {handler, match, mask} for both instances through M68K_FAMILY:
//
//     #include "m68k/m68k_family.h"
//     #include "m68k/m68k_flags.h"
//     namespace varn::m68k {
//     namespace {
//     template <class I> u32 op_nop(u32) { advance<I>(2); return 4; }
//     }  // namespace
//     M68K_FAMILY(control) {             // `I` is the instance, `out` the pattern sink
//         add_pattern<&op_nop<I>>(out, 0x4E71, 0xFFFF);
//     }
//     }  // namespace varn::m68k
//
// and joins the table with one line in m68k_op_list.cpp. Opcodes matched by several
// patterns go to the most specific one (the mask with the most bits; a specific form such as
// (A7)+ always refines a general one). Two overlapping patterns where neither refines the
// other are a mistake in the list; the m68k tests look for them.

#include <array>
#include <vector>

#include "base/pattern_table.h"
#include "m68k/m68k_core.h"
#include "m68k/m68k_speed_paths.h"

namespace varn::m68k {

using Pattern = OpcodePattern<M68kHandler>;

class PatternSink {
  public:
    void add(M68kHandler handler, u32 match, u32 mask) {
        patterns_.push_back({handler, static_cast<u16>(match), static_cast<u16>(mask)});
    }
    const std::vector<Pattern>& patterns() const { return patterns_; }

  private:
    std::vector<Pattern> patterns_;
};

enum class Instance { kMain, kSub };

// The pattern sink as a family of instance I sees it.
template <class I>
struct Sink {
    PatternSink& out;
};

// Cycle tables: each family names its counts, and a handler returns an entry of them.
// Counts that depend on the size alone: byte and word alike, long apart.
struct SizeCycles {
    u32 byte_word;
    u32 longword;
};
template <Size S>
M68K_INLINE constexpr u32 by_size(SizeCycles t) {
    return S == Size::kLong ? t.longword : t.byte_word;
}
// Counts that depend on the size and on whether the operand is a register or memory.
struct OperandCycles {
    SizeCycles reg;
    SizeCycles mem;
};
template <Size S, Mode M>
M68K_INLINE constexpr u32 by_operand(OperandCycles t) {
    return (M == Mode::kDn || M == Mode::kAn) ? by_size<S>(t.reg) : by_size<S>(t.mem);
}

// What the opcode table holds for handler H of instance I (see chained).
template <class I, M68kHandler H, Then T = Then::kNext>
inline constexpr M68kHandler kTableEntry = &chained<I, H, T>;

// Appends the pattern {H, match, mask}; a test or compare passes Then::kBranch.
template <M68kHandler H, Then T = Then::kNext, class I>
void add_pattern(Sink<I>& out, u32 match, u32 mask) {
    out.out.add(kTableEntry<I, H, T>, match, mask);
}

#define M68K_FAMILY(name)                                          \
    template <class I>                                             \
    static void m68k_family_body_##name(Sink<I>& out);             \
    void m68k_family_##name(PatternSink& out, Instance instance) { \
        if (instance == Instance::kMain) {                         \
            Sink<Main> sink{out};                                  \
            m68k_family_body_##name<Main>(sink);                   \
        } else {                                                   \
            Sink<Sub> sink{out};                                   \
            m68k_family_body_##name<Sub>(sink);                    \
        }                                                          \
    }                                                              \
    template <class I>                                             \
    static void m68k_family_body_##name([[maybe_unused]] Sink<I>& out)

// The two defaults behind every family: line F takes its exception, every other opcode
// without a handler halts the machine.
template <class I>
u32 op_unassigned(u32) {
    return halt<I>();
}
template <class I>
u32 op_line_f(u32) {
    return raise_exception<I>(11, 0);
}

// The whole pattern list of an instance: every family, then line F, then the catch-all.
std::vector<Pattern> pattern_list(Instance instance);

// Counts of the opcode table per opcode line (bits 12-15).
struct TableCensus {
    std::array<u32, 16> handled{};     // opcodes with an instruction handler
    std::array<u32, 16> line_f{};      // opcodes taking the line-F exception
    std::array<u32, 16> unassigned{};  // opcodes that halt
    u32 total_handled() const;
    u32 total_unassigned() const;
};
TableCensus table_census(Instance instance);

}  // namespace varn::m68k
