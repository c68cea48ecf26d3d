// The opcode tables of both instances, built once from the families' pattern lists.

#include <algorithm>
#include <bit>

#include "m68k/m68k_family.h"

namespace varn {

namespace {
// Until the build, every opcode halts (so a table used too early cannot jump through null).
template <class I>
constexpr M68kJumpTable unbuilt_table() {
    M68kJumpTable t{};
    t.fill(m68k::kTableEntry<I, &m68k::op_unassigned<I>>);
    return t;
}
}  // namespace

M68kJumpTable m68k_jump_table = unbuilt_table<m68k::Main>();
M68kJumpTable s68k_jump_table = unbuilt_table<m68k::Sub>();

namespace m68k {

// Declares a family's list function and appends its patterns.
#define M68K_FAMILY_ENTRY(name)                          \
    do {                                                 \
        void m68k_family_##name(PatternSink&, Instance); \
        m68k_family_##name(out, instance);               \
    } while (false)

// The families, in the order of the opcode table's pattern list (by opcode line).
static void collect_families(PatternSink& out, Instance instance) {
    // Line 0: ORI, ANDI, SUBI, ADDI, EORI, CMPI; ORI, ANDI, EORI to CCR and SR.
    M68K_FAMILY_ENTRY(immediate);

    // Line 0: BTST, BCHG, BCLR, BSET (immediate and register bit number).
    M68K_FAMILY_ENTRY(bit);

    // Line 0: MOVEP.
    M68K_FAMILY_ENTRY(movep);

    // Lines 1-3: MOVE, MOVEA.
    M68K_FAMILY_ENTRY(move_byte);
    M68K_FAMILY_ENTRY(move_word);
    M68K_FAMILY_ENTRY(move_long);

    // Line 4: NEGX, CLR, NEG, NOT, TST, TAS, NBCD, EXT, SWAP, PEA, 0x4848 no-operation.
    M68K_FAMILY_ENTRY(single);

    // Line 4: MOVE from SR, MOVE to CCR, MOVE to SR.
    M68K_FAMILY_ENTRY(sr_move);

    // Line 4: MOVEM.
    M68K_FAMILY_ENTRY(movem);

    // Line 4: ILLEGAL, TRAP, TRAPV, CHK, LINK, UNLK, MOVE USP, RESET, NOP, STOP, RTE, RTS, RTR,
    // JSR, JMP, LEA, EXTB.L.
    M68K_FAMILY_ENTRY(control);

    // Lines 5 and 7: ADDQ, SUBQ, MOVEQ.
    M68K_FAMILY_ENTRY(quick);

    // Lines 5 and 6: Scc, DBcc, Bcc, BRA, BSR.
    M68K_FAMILY_ENTRY(branch);

    // Lines 8 and C: OR, AND.
    M68K_FAMILY_ENTRY(or_and);

    // Lines 8 and C: MULU, MULS, DIVU, DIVS.
    M68K_FAMILY_ENTRY(muldiv);

    // Lines 8 and C: ABCD, SBCD, EXG.
    M68K_FAMILY_ENTRY(bcd_exg);

    // Lines 9 and D: ADD, SUB.
    M68K_FAMILY_ENTRY(add_sub);

    // Lines 9 and D: ADDA, SUBA.
    M68K_FAMILY_ENTRY(adda_suba);

    // Lines 9 and D: ADDX, SUBX.
    M68K_FAMILY_ENTRY(addx_subx);

    // Line B: CMP, CMPA, CMPM.
    M68K_FAMILY_ENTRY(cmp);

    // Line B: EOR.
    M68K_FAMILY_ENTRY(eor);

    // Line E: shifts and rotates, register and memory forms.
    M68K_FAMILY_ENTRY(shift);
}

#undef M68K_FAMILY_ENTRY

namespace {

template <class I>
void add_defaults(PatternSink& sink) {
    Sink<I> out{sink};
    add_pattern<&op_line_f<I>>(out, 0xF000, 0xF000);
    add_pattern<&op_unassigned<I>>(out, 0x0000, 0x0000);
}

template <class I>
void build(M68kJumpTable& table, Instance instance) {
    std::vector<Pattern> list = pattern_list(instance);
    // Most specific first: a refinement (more mask bits) owns the opcodes it shares with the
    // general form; the stable sort keeps the list order among equals.
    std::stable_sort(list.begin(), list.end(), [](const Pattern& a, const Pattern& b) {
        return std::popcount(a.mask) > std::popcount(b.mask);
    });
    table.fill(kTableEntry<I, &op_unassigned<I>>);
    build_pattern_table<M68kHandler>(list, table, MatchOrder::kFirstWins);
}

}  // namespace

std::vector<Pattern> pattern_list(Instance instance) {
    PatternSink out;
    collect_families(out, instance);
    if (instance == Instance::kMain) {
        add_defaults<Main>(out);
    } else {
        add_defaults<Sub>(out);
    }
    return out.patterns();
}

u32 TableCensus::total_handled() const {
    u32 n = 0;
    for (u32 v : handled) n += v;
    return n;
}
u32 TableCensus::total_unassigned() const {
    u32 n = 0;
    for (u32 v : unassigned) n += v;
    return n;
}

TableCensus table_census(Instance instance) {
    const bool main            = instance == Instance::kMain;
    const M68kJumpTable& table = main ? m68k_jump_table : s68k_jump_table;
    const M68kHandler unassigned =
        main ? kTableEntry<Main, &op_unassigned<Main>> : kTableEntry<Sub, &op_unassigned<Sub>>;
    const M68kHandler line_f =
        main ? kTableEntry<Main, &op_line_f<Main>> : kTableEntry<Sub, &op_line_f<Sub>>;
    TableCensus census;
    for (u32 x = 0; x < table.size(); ++x) {
        const u32 line = x >> 12;
        if (table[x] == unassigned || table[x] == nullptr) {
            ++census.unassigned[line];
        } else if (table[x] == line_f) {
            ++census.line_f[line];
        } else {
            ++census.handled[line];
        }
    }
    return census;
}

}  // namespace m68k

void m68k_build_jump_table() { m68k::build<m68k::Main>(m68k_jump_table, m68k::Instance::kMain); }
void s68k_build_jump_table() { m68k::build<m68k::Sub>(s68k_jump_table, m68k::Instance::kSub); }

}  // namespace varn
