#include "m68k/m68k_wait_replay.h"

#include <cstring>

#include "m68k/m68k_bus.h"

namespace varn {

M68kWaitReplay m68k_wait_replay{};
M68kWaitStats m68k_wait_stats{};

namespace {

using m68k::m68k_wait_stop;
using m68k::M68kWaitStop;

// What every kept slice was made under: the loop, and the parts of the record that no round
// of it changes but that it depends on.
struct Identity {
    u32 start, address, size, reg, bit;
    u32 (*resume)();
    bool while_set;
    std::array<u32, 3> code;
    s32 slice_cycles;
    u32 fetch_base, fetch_begin, fetch_end, jump_begin, jump_size, jump_base;

    bool operator==(const Identity&) const = default;
};

Identity identity_now() {
    const M68kCpuContext& c = m68k_context;
    const M68kWaitStop& w   = m68k_wait_stop;
    return {w.start,       w.address,   w.size,       w.reg,          w.bit,
            w.resume,      w.while_set, w.code,       c.slice_cycles, c.fetch_base,
            c.fetch_begin, c.fetch_end, c.jump_begin, c.jump_size,    c.jump_base};
}

struct Made {
    bool valid = false;
    Identity identity{};
};
Made made;  // what the kept slices were made under

// The record with the fields a round of the loop changes taken from `to`: equal to `to` when
// nothing else differs. Copied byte for byte, so that padding compares equal too.
bool differs_only_in_loop_fields(const M68kCpuContext& from, const M68kCpuContext& to) {
    M68kCpuContext n;
    std::memcpy(static_cast<void*>(&n), &from, sizeof n);
    const u32 r     = m68k_wait_replay.reg;
    n.cycle_counter = to.cycle_counter;
    n.fetch_pos     = to.fetch_pos;
    n.pc            = to.pc;
    n.exit_pc       = to.exit_pc;
    n.regs[r]       = to.regs[r];
    std::memcpy(static_cast<void*>(&n.sr), &to.sr, sizeof n.sr);  // its padding too
    return std::memcmp(&n, &to, sizeof n) == 0;
}

// Nothing but the loop is due at the next slice: it starts in the loop with no interrupt to
// look at, no halt, and it is not a slice the counter skips.
bool only_the_loop_is_due() {
    const M68kCpuContext& c = m68k_context;
    if (c.fetch_pos != m68k_wait_stop.at || c.irq_check == 1 || c.status != 0 ||
        c.halt_pending != 0 || c.stopped != 0 || c.pc != c.exit_pc || c.fetch_base != c.jump_base)
        return false;
    const u32 before = static_cast<u32>(c.cycle_counter);
    const u32 after  = before + static_cast<u32>(c.slice_cycles);
    return !(after < before && static_cast<s32>(before) >= 0);
}

// The slice in `slot` follows the one the CPU stood at the end of: chained, and the CPU now
// stands at its end.
void link_to(u32 slot) {
    M68kWaitReplay& rp = m68k_wait_replay;
    M68kKeptSlice& k   = rp.kept[slot];
    if (rp.cur != &kM68kNoKeptSlice) {
        M68kKeptSlice& cur = rp.kept[static_cast<std::size_t>(rp.cur - rp.kept.data())];
        cur.next           = &k;
        cur.next_stamp     = k.stamp;
    }
    rp.cur = &k;
}

// Whether the counter skips the slice after one that ended with the record `c`: the counter
// wrapped past 0 into the positive range, so the next slice runs nothing.
bool next_slice_skipped(const M68kCpuContext& c) {
    const u32 before = static_cast<u32>(c.cycle_counter);
    const u32 after  = before + static_cast<u32>(c.slice_cycles);
    return after < before && static_cast<s32>(before) >= 0;
}

bool read_value(u32& value) {
    const M68kWaitStop& w = m68k_wait_stop;
    if (!m68k_read_is_steady(w.address, w.size)) return false;
    value = w.size == 1 ? m68k_read_byte(w.address) : m68k_read_word(w.address);
    return true;
}

}  // namespace

bool m68k_wait_replay_start() {
    const M68kWaitStop& w = m68k_wait_stop;
    if (w.goes_round == nullptr || (w.size != 1 && w.size != 2) || !only_the_loop_is_due())
        return false;
    if (m68k::wait_loop_code(w.start) != w.code) return false;
    u32 value = 0;
    if (!read_value(value) || !w.goes_round(value)) return false;
    m68k_wait_replay.value  = value;
    m68k_wait_replay.reg    = w.reg & 15;
    m68k_wait_replay.cur    = &kM68kNoKeptSlice;
    m68k_wait_replay.behind = false;
    const Identity id       = identity_now();
    if (!made.valid || !(made.identity == id)) {
        made.identity           = id;
        made.valid              = true;
        m68k_wait_replay.kept   = {};
        m68k_wait_replay.stamps = 0;
    }
    return true;
}

bool m68k_wait_reads_work_ram() { return (m68k_wait_stop.address & kM68kAddressMask) >= 0xE00000; }

bool m68k_wait_slice_run() {
    M68kCpuContext& c = m68k_context;
    M68kCpuContext before;
    std::memcpy(static_cast<void*>(&before), &c, sizeof before);
    const M68kWaitStop loop = m68k_wait_stop;
    m68k_run_slice_alone();
    ++m68k_wait_stats.run;
    // The loop ran and nothing else: the record moved only where a round moves it, the slice
    // ended in the loop, and the loop is the one it was.
    const M68kWaitStop& w = m68k_wait_stop;
    if (!differs_only_in_loop_fields(before, c) || c.exit_pc != c.pc || c.fetch_pos != w.at ||
        cpu_current_context != &c || w.start != loop.start || w.resume != loop.resume ||
        w.reg != loop.reg || w.address != loop.address || w.size != loop.size ||
        w.bit != loop.bit || w.while_set != loop.while_set || w.code != loop.code)
        return false;
    M68kWaitReplay& rp = m68k_wait_replay;
    const u32 r        = rp.reg;
    const u32 slot =
        m68k_kept_slot(static_cast<u32>(before.cycle_counter), before.fetch_pos, rp.value);
    if (++rp.stamps == 0) ++rp.stamps;
    if (rp.cur == &rp.kept[slot]) rp.cur = &kM68kNoKeptSlice;  // its slice is gone
    rp.kept[slot] = {before.cycle_counter,
                     before.fetch_pos,
                     before.regs[r],
                     rp.value,
                     before.sr.n,
                     before.sr.z,
                     before.sr.bits,
                     c.cycle_counter,
                     c.fetch_pos,
                     c.pc,
                     c.regs[r],
                     c.sr.n,
                     c.sr.z,
                     c.sr.bits,
                     next_slice_skipped(c),
                     rp.stamps,
                     nullptr,
                     0};
    link_to(slot);
    return true;
}

void m68k_wait_write_record(const M68kKeptSlice& k) {
    M68kCpuContext& c            = m68k_context;
    c.cycle_counter              = k.counter_after;
    c.fetch_pos                  = k.pos_after;
    c.pc                         = k.pc_after;
    c.exit_pc                    = k.pc_after;
    c.regs[m68k_wait_replay.reg] = k.reg_after;
    c.sr.n                       = k.sr_n_after;
    c.sr.z                       = k.sr_z_after;
    c.sr.bits                    = k.sr_bits_after;
    m68k::m68k_wait_stop.at      = k.pos_after;
    cpu_current_context          = &c;
}

bool m68k_wait_slice_slow() {
    m68k_wait_catch_up();
    const M68kKeptSlice* k = m68k_wait_find();
    if (k == nullptr) return m68k_wait_slice_run();
    m68k_wait_write_record(*k);
    ++m68k_wait_stats.replayed;
    return true;
}

const M68kKeptSlice* m68k_wait_find() {
    M68kWaitReplay& rp      = m68k_wait_replay;
    const M68kCpuContext& c = m68k_context;
    const u32 slot = m68k_kept_slot(static_cast<u32>(c.cycle_counter), c.fetch_pos, rp.value);
    const M68kKeptSlice& k = rp.kept[slot];
    if (k.stamp == 0 || k.counter != c.cycle_counter || k.pos != c.fetch_pos ||
        k.value != rp.value || k.reg != c.regs[rp.reg] || k.sr_n != c.sr.n || k.sr_z != c.sr.z ||
        k.sr_bits != c.sr.bits)
        return nullptr;
    link_to(slot);
    return &k;
}

void m68k_wait_replay_reset() {
    m68k_wait_replay = M68kWaitReplay{};
    made             = Made{};
    m68k_wait_stats  = {};
}

}  // namespace varn
