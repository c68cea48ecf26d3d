#pragma once
// The opcode-table builder every CPU core shares. A core describes its instruction set as
// a list of {handler, match, mask} patterns; opcode x belongs to a pattern when
// (x & mask) == match. The builder fills a 65536-entry table so that dispatch is a single
// indexed load at run time.
//
// Which pattern owns an opcode matched by several is the caller's choice: the first in
// list order (specific forms listed before the general forms they refine) or the last.
// The build visits only the opcodes each pattern matches, walking the subsets of its free
// bits, so its cost is the number of matched values rather than 65536 x patterns.

#include <optional>
#include <span>

#include "base/types.h"

namespace varn {

inline constexpr std::size_t kOpcodeTableSize = 65536;

template <class Handler>
struct OpcodePattern {
    Handler handler;
    u16 match;
    u16 mask;
};

enum class MatchOrder { kFirstWins, kLastWins };

// Calls fn(x) for every 16-bit x with (x & mask) == match, in ascending order.
template <class Fn>
constexpr void for_each_match(u16 match, u16 mask, Fn&& fn) {
    const u32 free_bits = ~u32{mask} & 0xFFFFu;
    u32 sub             = 0;
    do {
        fn(static_cast<u16>(match | sub));
        sub = (sub - free_bits) & free_bits;  // next subset of the free bits
    } while (sub != 0);
}

// A pattern whose match has bits outside its mask can never match anything the way it
// reads: it is a typing error in the list, so the whole build is refused.
template <class Handler>
constexpr bool pattern_is_valid(const OpcodePattern<Handler>& p) {
    return (p.match & ~p.mask) == 0;
}

// Fills `table` from `patterns`. Opcodes no pattern matches keep their previous entry,
// so the caller seeds the table (or lists a catch-all pattern). Returns the index of the
// first invalid pattern, in which case the table is untouched; std::nullopt on success.
template <class Handler>
constexpr std::optional<std::size_t> build_pattern_table(
    std::span<const OpcodePattern<Handler>> patterns, std::span<Handler, kOpcodeTableSize> table,
    MatchOrder order) {
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        if (!pattern_is_valid(patterns[i])) return i;
    }
    // Writing in reverse list order and letting later writes win makes the first pattern
    // of the list the owner, and vice versa.
    auto place = [&](const OpcodePattern<Handler>& p) {
        for_each_match(p.match, p.mask, [&](u16 x) { table[x] = p.handler; });
    };
    if (order == MatchOrder::kLastWins) {
        for (const auto& p : patterns) place(p);
    } else {
        for (auto it = patterns.rbegin(); it != patterns.rend(); ++it) place(*it);
    }
    return std::nullopt;
}

}  // namespace varn
