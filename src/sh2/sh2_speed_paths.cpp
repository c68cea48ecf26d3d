// Waiting loops of the SH-2 counted off a round at a time (see sh2_speed_paths.h).

#include "sh2/sh2_speed_paths.h"

#include <algorithm>
#include <cstring>

#include "base/bits.h"
#include "base/endian.h"
#include "sh2/sh2_bus.h"

namespace varn {

std::array<Sh2LoopWatch, 2> sh2_loop_watch;

void sh2_loop_watch_reset() {
    for (auto& w : sh2_loop_watch) w = Sh2LoopWatch{};
}

namespace {

enum StepKind : u8 { kNone, kLoad, kStore, kRefused };

Sh2LoopState state_of(const Sh2CpuContext& c) {
    return {c.r, c.sr, c.gbr, c.vbr, c.mach, c.macl, c.pr, c.div_q, c.div_m, c.status};
}

// SDRAM (pages 0x060 and 0x0C0 of either half of the map) is plain memory, the place most
// waiting loops read and store: reached straight in its image, the rest through the bus.
u8* sdram_at(u32 a) {
    const u32 page = a >> 20;
    if (page >= 0x400 || ((page & 0x1FF) != 0x060 && (page & 0x1FF) != 0x0C0)) return nullptr;
    return s32x_sdram.data() + (a & (kS32xSdramSize - 1));
}

u32 bus_read(u32 core, u32 a, u32 size) {
    if (const u8* p = sdram_at(a)) {
        return size == 1 ? *p : size == 2 ? load_be16(p) : load_be32(p);
    }
    if (core == 0) {
        return size == 1 ? sh2_read_byte(a) : size == 2 ? sh2_read_word(a) : sh2_read_long(a);
    }
    return size == 1 ? sh2s_read_byte(a) : size == 2 ? sh2s_read_word(a) : sh2s_read_long(a);
}

void bus_write(u32 core, u32 a, u32 size, u32 v) {
    if (u8* p = sdram_at(a)) {
        if (size == 1) *p = static_cast<u8>(v);
        if (size == 2) store_be16(p, static_cast<u16>(v));
        if (size == 4) store_be32(p, v);
        return;
    }
    if (core == 0) {
        if (size == 1) sh2_write_byte(a, v);
        if (size == 2) sh2_write_word(a, v);
        if (size == 4) sh2_write_long(a, v);
        return;
    }
    if (size == 1) sh2s_write_byte(a, v);
    if (size == 2) sh2s_write_word(a, v);
    if (size == 4) sh2s_write_long(a, v);
}

u32 size_mask(u32 size) { return size == 4 ? 0xFFFFFFFFu : (1u << (8 * size)) - 1; }

// Whether reading [a, a + size) changes nothing. Only the DREQ FIFO (system register 0x12,
// popped by a word read; its neighbours are kept clear too) and the on-chip modules act on
// a read; every other area of the map is memory or a register read as it stands.
bool read_is_pure(u32 a, u32 size) {
    const u32 page = a >> 20;
    if (page >= 0x400) return page != 0xFFF;
    if ((page & 0x1FF) != 0) return true;
    const u32 low = a & 0xFFFFF;
    if ((low & 0x4000) == 0 || ((low >> 8) & 3) != 0) return true;  // boot ROM, VDP, palette
    const u32 o = a & 0x3F;
    return o + size <= 0x10 || o >= 0x14;
}

// The cache control register: no cache is modelled, and its stores are ignored.
bool store_is_ignored(u32 a, u32 size) { return a == 0xFFFFFE92u && size == 1; }

// Whether storing to [a, a + size) does nothing but store (or is ignored): SDRAM, frame
// buffers, cartridge, cache array, palette, the communication words. The other registers act
// on a store.
bool store_is_plain(u32 a, u32 size) {
    const u32 page = a >> 20;
    if (page >= 0x400) return page != 0xFFF;
    if ((page & 0x1FF) != 0) return true;
    const u32 low = a & 0xFFFFF;
    if ((low & 0x4000) == 0) return true;  // the boot ROM ignores stores
    switch ((low >> 8) & 3) {
        case 0: {
            const u32 o = a & 0x3F;
            return o >= 0x20 && o + size <= 0x30;
        }
        case 1:
            return false;  // 32X VDP registers
        default:
            return true;  // palette
    }
}

// Instructions with a delay slot.
bool is_delayed_branch(u32 ir) {
    switch (ir >> 12) {
        case 0x0:
            return (ir & 0xF0FF) == 0x0003 || (ir & 0xF0FF) == 0x0023 || ir == 0x000B ||
                   ir == 0x002B;
        case 0x4:
            return (ir & 0xF0DF) == 0x400B;  // JSR, JMP
        case 0x8:
            return (ir & 0xFD00) == 0x8D00;  // BT/S, BF/S
        case 0xA:
        case 0xB:
            return true;
        default:
            return false;
    }
}

struct Access {
    u8 kind  = kNone;
    u32 addr = 0;
    u32 size = 0;
};

// The memory operand of instruction `ir` at SH-2 address `pc`, with the registers `r` and
// GBR as they stand before it: which the round may hold (kRefused for instructions that read
// and store one location, the MAC instructions, exceptions and SLEEP, and a PC-relative
// operand in a delay slot, whose base is the branch target).
Access operand(u32 ir, u32 pc, const std::array<u32, 16>& r, u32 gbr, bool slot) {
    const u32 n = (ir >> 8) & 15, m = (ir >> 4) & 15, lo = ir & 15, d8 = ir & 0xFF;
    constexpr u32 kSize[4] = {1, 2, 4, 0};
    switch (ir >> 12) {
        case 0x0:
            if (lo >= 4 && lo <= 6) return {kStore, r[0] + r[n], kSize[lo - 4]};
            if (lo >= 0xC && lo <= 0xE) return {kLoad, r[0] + r[m], kSize[lo - 0xC]};
            if (lo == 0xF || ir == 0x001B || ir == 0x002B) return {kRefused};
            return {};
        case 0x1:
            return {kStore, r[n] + lo * 4, 4};
        case 0x2:
            if (lo <= 2) return {kStore, r[n], kSize[lo]};
            if (lo >= 4 && lo <= 6) return {kStore, r[n] - kSize[lo - 4], kSize[lo - 4]};
            return lo == 3 ? Access{kRefused} : Access{};
        case 0x4:
            if (lo == 2 || lo == 3) return {kStore, r[n] - 4, 4};         // STS.L, STC.L
            if (lo == 6 || lo == 7) return {kLoad, r[n], 4};              // LDS.L, LDC.L
            if (lo == 0xF || (ir & 0xF0FF) == 0x401B) return {kRefused};  // MAC.W, TAS.B
            return {};
        case 0x5:
            return {kLoad, r[m] + lo * 4, 4};
        case 0x6:
            if (lo <= 2) return {kLoad, r[m], kSize[lo]};
            if (lo >= 4 && lo <= 6) return {kLoad, r[m], kSize[lo - 4]};
            return {};
        case 0x8:
            switch (n) {
                case 0x0:
                    return {kStore, r[m] + lo, 1};
                case 0x1:
                    return {kStore, r[m] + lo * 2, 2};
                case 0x4:
                    return {kLoad, r[m] + lo, 1};
                case 0x5:
                    return {kLoad, r[m] + lo * 2, 2};
                case 0x8:
                case 0x9:
                case 0xB:
                case 0xD:
                case 0xF:
                    return {};
                default:
                    return {kRefused};
            }
        case 0x9:
            if (slot) return {kRefused};
            return {kLoad, pc + 4 + d8 * 2, 2};
        case 0xC:
            if (n <= 2) return {kStore, gbr + d8 * kSize[n], kSize[n]};
            if (n >= 4 && n <= 6) return {kLoad, gbr + d8 * kSize[n - 4], kSize[n - 4]};
            if (n == 0xC) return {kLoad, gbr + r[0], 1};  // TST.B #imm,@(R0,GBR)
            if (n == 3 || n >= 0xD) return {kRefused};
            return {};
        case 0xD:
            if (slot) return {kRefused};
            return {kLoad, ((pc + 4) & ~3u) + d8 * 4, 4};
        default:
            return {};
    }
}

bool overlap(u32 a, u32 as, u32 b, u32 bs) { return a - b < bs || b - a < as; }

// The location an address reaches, the same for every address that reaches it (the
// cache-through mirror, SDRAM through its pages, the palette and registers through page 0,
// the frame buffer's overwrite image), so that two accesses to one location are seen as such.
u32 location(u32 a) {
    const u32 page = a >> 20;
    if (page >= 0x400) return page == 0xC00 ? 0xC0000000u | (a & 0xFFFFF) : a;
    const u32 p = page & 0x1FF;
    if (p == 0x060 || p == 0x0C0) return 0x06000000u | (a & (kS32xSdramSize - 1));
    if (p >= 0x020 && p < 0x024) return 0x02000000u | (a & 0x3FFFFF);
    if (p >= 0x040 && p < 0x060) {
        const u32 off = (a & 0x1FFFFFFF) - 0x04000000;
        return off < 2 * kS32xFrameBufferSize ? 0x04000000u | (off & (kS32xFrameBufferSize - 1))
                                              : a & 0x1FFFFFFF;
    }
    if (p != 0) return a & 0x1FFFFFFF;
    const u32 low = a & 0xFFFFF;
    if ((low & 0x4000) == 0) return low & 0x7FF;
    switch ((low >> 8) & 3) {
        case 0:
            return 0x4000 | (a & 0x3F);
        case 1:
            return 0x4100 | (a & 0xF);
        default:
            return 0x4200 | (a & (kS32xPaletteSize - 1));
    }
}

// Whether two accesses that may share bytes give those bytes the same values.
bool agree(const Sh2LoopAccess& x, const Sh2LoopAccess& y) {
    const u32 lx = location(x.addr), ly = location(y.addr);
    for (u32 i = 0; i < x.size; ++i) {
        const u32 at = lx + i;
        if (at - ly >= y.size) continue;
        const u32 bx = (x.value >> (8 * (x.size - 1 - i))) & 0xFF;
        const u32 by = (y.value >> (8 * (y.size - 1 - (at - ly)))) & 0xFF;
        if (bx != by) return false;
    }
    return true;
}

bool shares(const Sh2LoopAccess& x, const Sh2LoopAccess& y) {
    return overlap(location(x.addr), x.size, location(y.addr), y.size);
}

// Whether instruction `ir` might read or write register `x` (its register fields, and R0
// where the encoding names it implicitly): a careful over-estimate.
bool may_touch(u32 ir, u32 x) {
    if (((ir >> 8) & 15) == x || ((ir >> 4) & 15) == x) return true;
    if (x != 0) return false;
    const u32 hi = ir >> 12, lo = ir & 15;
    return hi == 0x8 || hi == 0xC || (hi == 0 && ((lo >= 4 && lo <= 6) || lo >= 0xC));
}

// Whether `ir` gives register `x` a value without reading it first.
bool overwrites(u32 ir, u32 x) {
    const u32 hi = ir >> 12, n = (ir >> 8) & 15, m = (ir >> 4) & 15, lo = ir & 15;
    if (hi == 0xE || hi == 0x9 || hi == 0xD) return n == x;          // MOV #imm, MOV.W/L @(disp,PC)
    if (hi == 0x6 && (lo <= 3 || lo >= 7)) return n == x && m != x;  // loads @Rm, MOV, unary ops
    if (hi == 0x5) return n == x && m != x;                          // MOV.L @(disp,Rm)
    if (hi == 0xC)
        return x == 0 && (((ir >> 8) & 15) >= 4 && ((ir >> 8) & 15) <= 7);  // GBR loads, MOVA
    if (hi == 0x8 && (n == 4 || n == 5)) return x == 0 && m != 0;           // MOV.B/W @(disp,Rm),R0
    return false;
}

// The hash of a place that indexes `rejected_hint` and picks its bit of `rejected_bits`: a
// jump back whose bit is clear is in no entry.
u32 place_hash(const Sh2LoopPlace& p) { return ((p.head ^ p.end) >> 1) & 63; }
u64 rejected_bit(const Sh2LoopPlace& p) { return u64{1} << place_hash(p); }

// A loop that did not qualify is left alone for kSh2LoopRejectSlices slices of its core.
void reject(Sh2LoopWatch& w) {
    w.rejected[w.rejected_next++ % w.rejected.size()] = {{w.region, w.head, w.end},
                                                         w.serial + kSh2LoopRejectSlices};
    w.mode                                            = Sh2LoopMode::kIdle;
    w.rejected_bits                                   = 0;
    for (const Sh2LoopReject& r : w.rejected) w.rejected_bits |= rejected_bit(r.place);
}

bool rejected(Sh2LoopWatch& w, const Sh2LoopPlace& p) {
    const auto active = [&](const Sh2LoopReject& r) {
        return r.place == p && static_cast<s32>(r.until - w.serial) > 0;
    };
    if ((w.rejected_bits & rejected_bit(p)) == 0) return false;
    u8& hint = w.rejected_hint[place_hash(p)];
    if (active(w.rejected[hint])) return true;
    for (u32 k = 0; k < w.rejected.size(); ++k) {
        if (active(w.rejected[k])) {
            hint = static_cast<u8>(k);
            return true;
        }
    }
    return false;
}

// Whether the jump back `p` was seen lately; it is remembered if not.
bool seen_before(Sh2LoopWatch& w, const Sh2LoopPlace& p) {
    if (std::find(w.seen.begin(), w.seen.end(), p) != w.seen.end()) return true;
    w.seen[w.seen_next++ % w.seen.size()] = p;
    return false;
}

// The stored value of the last step, once it has run (a plain store reads back as stored).
void complete_last_store(u32 core, Sh2LoopWatch& w) {
    if (w.steps == 0 || w.last_complete) return;
    w.last_complete = true;
    Sh2LoopStep& s  = w.trace[w.steps - 1];
    if (s.kind == kStore) s.value = bus_read(core, s.addr, s.size);
}

// The heartbeat at steps i to i + 2, if it is one: MOV.x @Ra,Rx / ADD #imm,Rx / MOV.x Rx,@Ra,
// with Rx overwritten later in the round before anything reads it.
bool heartbeat_at(const Sh2LoopWatch& w, u32 i, Sh2LoopCounter& out) {
    if (i + 2 >= w.steps) return false;
    const u32 load = w.trace[i].ir, add = w.trace[i + 1].ir, store = w.trace[i + 2].ir;
    const u32 x = (load >> 8) & 15, a = (load >> 4) & 15;
    if ((load & 0xF00C) != 0x6000 || (load & 3) == 3 || x == a) return false;
    if ((add & 0xFF00) != (0x7000u | x << 8)) return false;
    if (store != (0x2000u | a << 8 | x << 4 | (load & 3))) return false;
    if (w.trace[i].addr != w.trace[i + 2].addr) return false;
    for (u32 j = i + 3; j < w.steps; ++j) {
        if (overwrites(w.trace[j].ir, x)) {
            out = {w.trace[i].addr, w.trace[i].size, sign_extend8(add & 0xFF), i, i + 2, j};
            return true;
        }
        if (may_touch(w.trace[j].ir, x)) return false;
    }
    return false;
}

// Whether a store of the round reaches the code it ran.
bool stores_into_code(const Sh2LoopWatch& w, const Sh2LoopAccess& s) {
    const u32 at = location(s.addr);
    for (u32 i = 0; i < w.steps; ++i) {
        if (overlap(location(w.region + w.trace[i].cur), 2, at, s.size)) return true;
    }
    return false;
}

bool is_sr_load(u32 ir) { return (ir & 0xF0FF) == 0x400E || (ir & 0xF0FF) == 0x4007; }

// The recorded round, whole: whether it qualifies, with what the loop reads, stores and
// counts filed in the watch.
bool qualifies(Sh2LoopWatch& w) {
    w.reads = w.stores = w.counters = 0;
    std::array<bool, kSh2LoopSteps> in_counter{};
    std::array<u8, kSh2LoopSteps> resumable{};
    for (u32 i = 0; i < w.steps; ++i) {
        resumable[i] = 1;
        // A delay slot that holds a delayed branch is left to plain execution.
        if (i > 0 && is_delayed_branch(w.trace[i - 1].ir) && is_delayed_branch(w.trace[i].ir))
            return false;
    }
    for (u32 i = 0; i < w.steps; ++i) {
        Sh2LoopCounter hb;
        if (!in_counter[i] && w.trace[i].kind == kLoad && heartbeat_at(w, i, hb)) {
            if (w.counters == w.counter.size()) return false;
            for (u32 k = 0; k < w.counters; ++k) {
                if (shares({w.counter[k].addr, w.counter[k].size, 0, 0}, {hb.addr, hb.size, 0, 0}))
                    return false;
            }
            w.counter[w.counters++] = hb;
            in_counter[i] = in_counter[i + 2] = true;
            // Between the load and the overwrite the counting register holds the heartbeat
            // as it was when recorded: no slice stops or resumes there.
            for (u32 j = i + 1; j <= hb.overwrite; ++j) resumable[j] = 0;
        }
    }
    // The stores first: none into the code, none that another store contradicts, none that
    // reaches a heartbeat.
    for (u32 i = 0; i < w.steps; ++i) {
        const Sh2LoopStep& s = w.trace[i];
        if (s.kind == kNone || in_counter[i]) continue;
        const Sh2LoopAccess a{s.addr, s.size, s.value, i};
        for (u32 k = 0; k < w.counters; ++k) {
            if (shares(a, {w.counter[k].addr, w.counter[k].size, 0, 0})) return false;
        }
        if (s.kind != kStore) continue;
        if (stores_into_code(w, a)) return false;
        for (u32 j = 0; j < w.stores; ++j) {
            if (shares(w.store[j], a) && !agree(w.store[j], a)) return false;
        }
        if (w.stores == kSh2LoopAccesses) return false;
        w.store[w.stores++] = a;
    }
    // A read that a store of the round overlaps reads exactly what is stored: before the
    // store, because the location already holds it; after, because it was just stored.
    for (u32 i = 0; i < w.steps; ++i) {
        const Sh2LoopStep& s = w.trace[i];
        if (s.kind != kLoad || in_counter[i]) continue;
        const Sh2LoopAccess a{s.addr, s.size, s.value, i};
        for (u32 j = 0; j < w.stores; ++j) {
            if (shares(w.store[j], a) && !agree(w.store[j], a)) return false;
        }
        // A place read again is checked once. Read again with another value (what another
        // unit changed between the slices the round was recorded in), it never holds.
        bool again = false;
        for (u32 j = 0; j < w.reads && !again; ++j) {
            const Sh2LoopAccess& r = w.read[j];
            if (r.addr != a.addr || r.size != a.size) continue;
            if (r.value != a.value) return false;
            again = true;
        }
        if (again) continue;
        if (w.reads == kSh2LoopAccesses) return false;
        w.read[w.reads++] = a;
    }
    w.sr_loads  = 0;
    w.code_runs = 0;
    for (u32 i = 0; i < w.steps; ++i) {
        const Sh2LoopStep& s = w.trace[i];
        w.code[i]            = s.ir;
        w.resumable[i]       = resumable[i];
        w.delayed[i]         = is_delayed_branch(s.ir) ? 1 : 0;
        if (is_sr_load(s.ir)) w.sr_load[w.sr_loads++] = static_cast<u8>(i);
        store_be16(&w.code_bytes[2 * i], s.ir);
        Sh2LoopCodeRun* run = w.code_runs != 0 ? &w.code_run[w.code_runs - 1] : nullptr;
        if (run != nullptr && run->cur + run->bytes == s.cur) {
            run->bytes += 2;
        } else {
            w.code_run[w.code_runs++] = {s.cur, 2, 2 * i};
        }
    }
    return true;
}

// A value loaded into a register as the load of `size` bytes gives it (sign-extended).
u32 as_loaded(u32 v, u32 size) {
    return size == 1 ? sign_extend8(v) : size == 2 ? sign_extend16(v) : v;
}

// Cycles from the round's start (step 0 at 0) to step `k` of two rounds run one after the
// other (k <= 2n).
s32 two_round_at(const Sh2LoopWatch& w, u32 k) {
    const u32 n = w.steps;
    if (k < n) return w.at[k];
    if (k < 2 * n) return static_cast<s32>(w.round) + w.at[k - n];
    return 2 * static_cast<s32>(w.round);
}

// The rounds from step `s` of the loop, the counter `x` (below zero) before it, up to where
// plain execution stops the slice: whole rounds first, then the last one instruction by
// instruction, a delayed branch whose cycles reach the end running its slot all the same
// (the cycles past the end carried to the next slice). The core is left as plain execution
// leaves it there: the round's registers at that instruction, the stores of the instructions
// run, each heartbeat moved on once for each of its stores (and its register, where that
// instruction lies between its load and the overwrite of the register, holding the count).
Sh2LoopJump advance(u32 core, Sh2CpuContext& c, Sh2LoopWatch& w, u32 s, s32 x) {
    const u32 n    = w.steps;
    const u32 full = static_cast<u32>(-(x + 1)) / w.round;
    s32 counter    = x + static_cast<s32>(full * w.round);
    // The last round: the first step whose cycles bring the counter to zero or above (the
    // cycles from `s` grow step by step, so a bisection finds it).
    const s32 need = -counter;
    const s32 from = two_round_at(w, s);
    u32 lo = s + 1, hi = s + n;
    while (lo < hi) {
        const u32 mid = lo + (hi - lo) / 2;
        if (two_round_at(w, mid) - from >= need) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    u32 ran_count = lo - s;  // steps run in the last round
    counter += two_round_at(w, lo) - from;
    s32 carry = 0;
    u32 i     = lo % n;
    if (w.delayed[(lo - 1) % n] != 0) {
        // The step that reached the end is a delayed branch: its slot runs in this slice.
        carry += counter + 1;
        counter = -1 + (two_round_at(w, lo + 1) - two_round_at(w, lo));
        ++ran_count;
        i = (lo + 1) % n;
    }
    const auto ran  = [&](u32 step) { return (step >= s ? step - s : step + n - s) < ran_count; };
    const auto runs = [&](u32 step) { return full != 0 || ran(step); };
    w.rounds_counted += full + (s + ran_count) / n;  // the rounds ended, the last one's too
    for (u32 k = 0; k < w.stores; ++k) {
        const Sh2LoopAccess& a = w.store[k];
        if (runs(a.step)) bus_write(core, a.addr, a.size, a.value);
    }
    Sh2LoopState out = w.trace[i].state;
    w.exit_holds     = 0;
    for (u32 k = 0; k < w.counters; ++k) {
        const Sh2LoopCounter& h = w.counter[k];
        const u32 mask          = size_mask(h.size);
        const u32 times         = full + (ran(h.store) ? 1 : 0);
        const u32 v             = (bus_read(core, h.addr, h.size) + times * h.step) & mask;
        if (times != 0) bus_write(core, h.addr, h.size, v);
        if (i <= h.load || i > h.overwrite) continue;
        // The slice ends inside the heartbeat: its register holds the count as plain
        // execution leaves it. Before the store, the last load read the count as it stands
        // (and the place must still hold it when the loop is resumed); after it, the count
        // less one step.
        u32& reg = out.r[(w.trace[h.load].ir >> 8) & 15];
        if (i == h.load + 1) {
            reg = as_loaded(v, h.size);
        } else if (i == h.store) {
            reg = as_loaded(v, h.size) + h.step;
        } else {
            reg = as_loaded((v - h.step) & mask, h.size) + h.step;
        }
        if (i <= h.store) w.exit_hold[w.exit_holds++] = {h.addr, h.size, v, 0};
    }
    for (u32 k = 0; k < w.sr_loads; ++k) {
        if (runs(w.sr_load[k])) c.irq_check = 1;
    }
    w.exit_step   = i;
    w.exit_serial = w.serial;
    w.exit_state  = out;
    c.r           = out.r;
    c.sr          = out.sr;
    c.gbr         = out.gbr;
    c.vbr         = out.vbr;
    c.mach        = out.mach;
    c.macl        = out.macl;
    c.pr          = out.pr;
    c.div_q       = out.div_q;
    c.div_m       = out.div_m;
    c.branch_carry += carry;
    return {counter - x, w.trace[i].cur};
}

// Whether `n` bytes (a few dozen at most) at `a` and `b` are the same, eight at a time.
bool same_bytes(const u8* a, const u8* b, u32 n) {
    u32 i = 0;
    for (; i + 8 <= n; i += 8) {
        u64 x, y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y) return false;
    }
    for (; i < n; ++i) {
        if (a[i] != b[i]) return false;
    }
    return true;
}

// Whether the loop's code and every location it reads (the heartbeats aside) are as recorded.
bool still_holds(u32 core, const Sh2CpuContext& c, const Sh2LoopWatch& w) {
    for (u32 k = 0; k < w.code_runs; ++k) {
        const Sh2LoopCodeRun& run = w.code_run[k];
        if (!same_bytes(c.fetch_image + run.cur, &w.code_bytes[run.at], run.bytes)) return false;
    }
    for (u32 i = 0; i < w.reads; ++i) {
        const Sh2LoopAccess& r = w.read[i];
        if (bus_read(core, r.addr, r.size) != r.value) return false;
    }
    return true;
}

// The round's step the core stands at: the instruction at `cur` with the registers `now`
// (a subroutine the round calls twice is told apart by its return address), where a slice
// may stop and resume; kSh2LoopSteps if none or more than one.
u32 step_at(const Sh2LoopWatch& w, u32 cur, const Sh2LoopState& now) {
    u32 found = kSh2LoopSteps;
    for (u32 i = 0; i < w.steps; ++i) {
        if (w.trace[i].cur != cur || w.trace[i].state != now) continue;
        if (found != kSh2LoopSteps || w.resumable[i] == 0) return kSh2LoopSteps;
        found = i;
    }
    return found;
}

}  // namespace

void sh2_loop_record(u32 core, const Sh2CpuContext& c, u32 cur, s32 counter) {
    Sh2LoopWatch& w = sh2_loop_watch[core];
    complete_last_store(core, w);
    if (w.steps == kSh2LoopSteps) {
        reject(w);  // longer than a record holds
        return;
    }
    const u32 ir    = load_be16(c.fetch_image + cur);
    const bool slot = w.steps != 0 && is_delayed_branch(w.trace[w.steps - 1].ir);
    Access a        = operand(ir, c.fetch_start + cur, c.r, c.gbr, slot);
    if (a.kind == kStore && store_is_ignored(a.addr, a.size)) a.kind = kNone;
    const bool fine =
        a.kind == kNone || (a.kind == kLoad && read_is_pure(a.addr, a.size)) ||
        (a.kind == kStore && store_is_plain(a.addr, a.size) && read_is_pure(a.addr, a.size));
    if (!fine) {
        reject(w);
        return;
    }
    w.last_complete = false;
    Sh2LoopStep& s  = w.trace[w.steps++];
    s.cur           = cur;
    s.ir            = static_cast<u16>(ir);
    s.kind          = a.kind;
    s.size          = static_cast<u8>(a.size);
    s.addr          = a.addr;
    s.value         = a.kind == kLoad ? bus_read(core, a.addr, a.size) : 0;
    s.at            = counter - w.started_at;
    s.state         = state_of(c);
}

Sh2LoopJump sh2_loop_back(u32 core, Sh2CpuContext& c, u32 head, u32 end, s32 counter) {
    Sh2LoopWatch& w = sh2_loop_watch[core];
    const bool same = w.head == head && w.end == end && w.region == c.fetch_start;
    if (w.mode == Sh2LoopMode::kAsleep) {
        if (same && w.asleep_serial == w.serial) return {0, head};  // the rounds after the count
        w.mode = Sh2LoopMode::kIdle;
    }
    // The loop counted off last, come round again (after an interrupt, or a slice that
    // stopped where none resumes): at its start with the registers the round started with,
    // and reading what it read, it is the round recorded.
    if (w.mode == Sh2LoopMode::kIdle && w.known && same && counter < 0 &&
        state_of(c) == w.trace[0].state && still_holds(core, c, w)) {
        w.mode          = Sh2LoopMode::kAsleep;
        w.asleep_serial = w.serial;
        return advance(core, c, w, 0, counter);
    }
    if (w.mode == Sh2LoopMode::kRecording) {
        if (!same) return {0, head};  // a jump within the round (a call's return, an inner loop)
        complete_last_store(core, w);
        if (counter >= 0) {  // the slice ends here: nothing to count off
            w.mode = Sh2LoopMode::kIdle;
            return {0, head};
        }
        if (state_of(c) != w.start) {
            // Not yet settled (the first round after an SR load, say): record once more.
            if (++w.attempts > 1) {
                reject(w);
                return {0, head};
            }
        } else if (!qualifies(w)) {
            reject(w);
            return {0, head};
        } else if (still_holds(core, c, w)) {
            // (What the round read holds unless other units changed it between the slices
            // the round was recorded in: then it is recorded again from here.)
            w.known = true;
            w.round = static_cast<u32>(counter - w.started_at);
            for (u32 k = 0; k < w.steps; ++k) w.at[k] = w.trace[k].at - w.trace[0].at;
            w.mode          = Sh2LoopMode::kAsleep;
            w.asleep_serial = w.serial;
            return advance(core, c, w, 0, counter);
        }
    } else {
        const Sh2LoopPlace place{c.fetch_start, head, end};
        if (rejected(w, place) || !seen_before(w, place)) return {0, head};
        w.attempts = 0;
    }
    w.mode       = Sh2LoopMode::kRecording;
    w.known      = false;
    w.region     = c.fetch_start;
    w.head       = head;
    w.end        = end;
    w.started_at = counter;
    w.start      = state_of(c);
    w.steps      = 0;
    return {0, head};
}

void sh2_loop_left(u32 core) {
    Sh2LoopWatch& w = sh2_loop_watch[core];
    if (w.mode != Sh2LoopMode::kIdle) w.mode = Sh2LoopMode::kIdle;
}

void sh2_loop_leave(u32 core, const Sh2CpuContext& c, u32 cur) {
    Sh2LoopWatch& w = sh2_loop_watch[core];
    if (w.mode == Sh2LoopMode::kRecording) {
        // The record goes on in the next slice. The value the last step stored is filed now,
        // before other units run. A delayed branch that crossed the slice's end pushed the
        // counter back to -1 for its slot, the last step: the slot's place in the round and
        // the counter here take those cycles back.
        complete_last_store(core, w);
        const s32 carry = c.branch_carry;
        if (carry != 0) {
            if (w.steps < 2 || !is_delayed_branch(w.trace[w.steps - 2].ir)) {
                w.mode = Sh2LoopMode::kIdle;
                return;
            }
            w.trace[w.steps - 1].at += carry;
        }
        w.leave_counter = c.cycle_counter + carry;
        w.leave_cur     = cur;
        w.leave_state   = state_of(c);
        return;
    }
    if (w.mode != Sh2LoopMode::kAsleep || w.asleep_serial != w.serial) return;
    // Counted off to its end, the slice stopped at a step the count off knows.
    if (w.exit_serial == w.serial && w.trace[w.exit_step].cur == cur) return;
    w.exit_step = step_at(w, cur, state_of(c));
    if (w.exit_step == kSh2LoopSteps) {
        w.mode = Sh2LoopMode::kIdle;
        return;
    }
    w.exit_state = w.trace[w.exit_step].state;
    w.exit_holds = 0;
}

Sh2LoopJump sh2_loop_enter(u32 core, Sh2CpuContext& c, s32 counter, u32 cur, u32 pending) {
    Sh2LoopWatch& w = sh2_loop_watch[core];
    ++w.serial;
    if (w.mode == Sh2LoopMode::kRecording) {
        // A record the last slice's end cut: going on where it stopped, the counter's new
        // budget kept out of the round's cycles.
        if (pending != 0 || c.fetch_start != w.region || cur != w.leave_cur ||
            state_of(c) != w.leave_state) {
            w.mode = Sh2LoopMode::kIdle;
        } else {
            w.started_at += counter - w.leave_counter;
        }
        return {0, cur};
    }
    if (w.mode != Sh2LoopMode::kAsleep) return {0, cur};
    w.mode = Sh2LoopMode::kIdle;
    // Since the last slice, nothing but other units ran: no interrupt taken, the core where
    // it stopped with the registers it had, the code as it was, every location read (the
    // heartbeats aside) holding what the round read.
    const u32 at = w.exit_step;
    if (pending != 0 || w.asleep_serial + 1 != w.serial || c.fetch_start != w.region ||
        w.trace[at].cur != cur || state_of(c) != w.exit_state)
        return {0, cur};
    if (!still_holds(core, c, w)) return {0, cur};
    for (u32 k = 0; k < w.exit_holds; ++k) {
        const Sh2LoopAccess& h = w.exit_hold[k];
        if (bus_read(core, h.addr, h.size) != h.value) return {0, cur};
    }
    w.mode          = Sh2LoopMode::kAsleep;
    w.asleep_serial = w.serial;
    return advance(core, c, w, at, counter);
}

}  // namespace varn
