// YM2612 register interface, key on/off, timers, reset and state chunk.

#include "genesis/sound/ym2612.h"

#include <utility>

#include "genesis/sound/ym2612_tables.h"

namespace varn {

Ym2612State ym2612_state{};

namespace {

constexpr u32 kEnvStart    = 0x80000000u;  // attack start / off-phase base
constexpr u32 kEnvOffCount = 0x7F000000u;  // counter of an operator that was never keyed
constexpr u32 kEnvEnd      = 0xFF000000u;

// Slices until a counter wraps to zero: a zero counter takes 2^32, which is counted as a
// first wait of 2^32 - 1 at whose end nothing carries.
u32 steps_to_carry(u32 counter) { return counter != 0 ? 0u - counter : 0xFFFFFFFFu; }

// Counts down to the nearest carry of the running timers, from counters just brought up to
// date.
void timers_rearm() {
    Ym2612State& ym = ym2612_state;
    u32 wait        = 0;
    if (ym.timer_a_run != 0) wait = steps_to_carry(ym.timer_a_counter);
    if (ym.timer_b_run != 0) {
        const u32 b = steps_to_carry(ym.timer_b_counter);
        if (wait == 0 || b < wait) wait = b;
    }
    ym.timer_wait = ym.timer_span = wait;
}

// --- Register handlers -------------------------------------------------------------------
// One instance per bank and register number, so no write decodes the number at run time.

void recalc_phase_special_ops(int channel) {
    for (int slot = 1; slot < 4; ++slot) ym2612_recalc_phase(channel * 4 + slot);
}

template <int Bank, int Reg>
void register_write(u8 d) {
    Ym2612State& ym = ym2612_state;
    if constexpr (Bank == 0 && Reg == 0x22) {
        ym.reg_22 = d;  // LFO: stored only
    } else if constexpr (Bank == 0 && Reg == 0x24) {
        ym.reg_24 = d;  // timer A high bits, used at the next load
    } else if constexpr (Bank == 0 && Reg == 0x25) {
        ym.reg_25 = d;  // timer A low bits
    } else if constexpr (Bank == 0 && Reg == 0x26) {
        ym.reg_26 = d;  // timer B, used at the next load
    } else if constexpr (Bank == 0 && Reg == 0x27) {
        // Timer control and channel 3 mode.
        ym2612_timers_sync();
        ym.reg_27      = d;
        ym.ch3_special = (d & 0x40) ? 0xFFFFFFFFu : 0;
        if (d & 0x20) ym.timer_b_overflow = 0;
        if (d & 0x10) ym.timer_a_overflow = 0;
        ym.timer_b_flag_enable = (d & 0x08) ? 0xFFFFFFFFu : 0;
        ym.timer_a_flag_enable = (d & 0x04) ? 0xFFFFFFFFu : 0;
        const u32 run_b        = (d >> 1) & 1;
        const u32 was_b        = ym.timer_b_run;
        ym.timer_b_run         = run_b;
        if (was_b == 0 && run_b == 1) ym2612_timer_b_load();
        const u32 run_a = d & 1;
        const u32 was_a = ym.timer_a_run;
        ym.timer_a_run  = run_a;
        if (was_a == 0 && run_a == 1) ym2612_timer_a_load();
        timers_rearm();
        recalc_phase_special_ops(2);
    } else if constexpr (Bank == 1 && Reg == 0x27) {
        ym.reg_27_part2 = d;
        ym.ch6_special  = (d & 0x40) ? 0xFFFFFFFFu : 0;
        recalc_phase_special_ops(5);
    } else if constexpr (Bank == 0 && Reg == 0x28) {
        // Key on/off. Channel codes 0-2 are channels 1-3, 4-6 channels 4-6.
        const int code = d & 7;
        if (code == 3 || code == 7) return;
        const int ch = code < 4 ? code : code - 1;
        // Key bits S1, S2, S3, S4 (4-7) to operators in slot order +0, +4, +8, +0xC.
        const u8 keys =
            static_cast<u8>(((d >> 4) & 1) | ((d >> 5) & 2) | ((d >> 3) & 4) | ((d >> 4) & 8));
        const u8 old     = ym.key_mask[ch];
        const u8 changed = old ^ keys;
        ym.key_mask[ch]  = keys;
        ym2612_key_on_off(ch, keys & changed, old & changed);
    } else if constexpr (Bank == 0 && Reg == 0x2A) {
        ym.dac_data = d;
    } else if constexpr (Bank == 0 && Reg == 0x2B) {
        ym.reg_2b          = d;
        ym.dac_enable_mask = (d & 0x80) ? 0xFFFFFFFFu : 0;
    } else if constexpr (Reg >= 0x30 && Reg <= 0x9F && (Reg & 3) != 3) {
        constexpr int ch   = Bank * 3 + (Reg & 3);
        constexpr int slot = (Reg >> 2) & 3;
        constexpr int op   = ch * 4 + slot;
        auto& r            = ym.channel[ch].op[slot];
        if constexpr (Reg < 0x40) {
            r.mul = d & 0x0F;
            r.dt  = (d >> 4) & 7;
            ym2612_recalc_phase(op);
        } else if constexpr (Reg < 0x50) {
            r.tl = d & 0x7F;
            ym2612_recalc_envelope(op);
        } else if constexpr (Reg < 0x60) {
            r.ar = d & 0x1F;
            r.ks = (d >> 6) & 3;
            ym2612_recalc_envelope(op);
        } else if constexpr (Reg < 0x70) {
            r.dr = d & 0x1F;
            r.am = (d & 0x80) ? 0xFF : 0;
            ym2612_recalc_envelope(op);
        } else if constexpr (Reg < 0x80) {
            r.sr = d & 0x1F;
            ym2612_recalc_envelope(op);
        } else if constexpr (Reg < 0x90) {
            r.rr = d & 0x0F;
            r.sl = (d >> 4) & 0x0F;
            ym2612_recalc_envelope(op);
        } else {
            r.ssg_eg = d & 0x0F;  // stored only
        }
    } else if constexpr (Reg >= 0xA0 && Reg <= 0xA2) {
        constexpr int ch       = Bank * 3 + (Reg & 3);
        ym.channel[ch].fnum_lo = d;
        for (int slot = 0; slot < 4; ++slot) ym2612_recalc_phase(ch * 4 + slot);
    } else if constexpr (Reg >= 0xA4 && Reg <= 0xA6) {
        constexpr int ch       = Bank * 3 + (Reg & 3);
        ym.channel[ch].fnum_hi = d & 7;
        ym.channel[ch].block   = (d >> 3) & 7;
        for (int slot = 0; slot < 4; ++slot) ym2612_recalc_phase(ch * 4 + slot);
    } else if constexpr (Reg >= 0xA8 && Reg <= 0xAA) {
        // Special frequency of the operator at +4, +8, +0xC of channel 3 (bank I) or 6.
        constexpr int ch                  = Bank * 3 + 2;
        constexpr int i                   = Reg - 0xA8;
        ym.channel[ch].special_fnum_lo[i] = d;
        ym2612_recalc_phase(ch * 4 + 1 + i);
    } else if constexpr (Reg >= 0xAC && Reg <= 0xAE) {
        constexpr int ch                  = Bank * 3 + 2;
        constexpr int i                   = Reg - 0xAC;
        ym.channel[ch].special_fnum_hi[i] = d & 7;
        ym.channel[ch].special_block[i]   = (d >> 3) & 7;
        ym2612_recalc_phase(ch * 4 + 1 + i);
    } else if constexpr (Reg >= 0xB0 && Reg <= 0xB2) {
        constexpr int ch         = Bank * 3 + (Reg & 3);
        ym.channel[ch].algorithm = d & 7;
        ym.channel[ch].feedback  = (d >> 3) & 7;
    } else if constexpr (Reg >= 0xB4 && Reg <= 0xB6) {
        constexpr int ch   = Bank * 3 + (Reg & 3);
        ym.channel[ch].pms = d & 7;
        ym.channel[ch].ams = (d >> 4) & 3;
        ym.channel[ch].lr  = (d >> 6) & 3;
    } else {
        (void)d;  // no register here
    }
}

template <int Bank, std::size_t... R>
constexpr std::array<Ym2612RegisterHandler, 256> bank_table(std::index_sequence<R...>) {
    return {&register_write<Bank, static_cast<int>(R)>...};
}

}  // namespace

const std::array<std::array<Ym2612RegisterHandler, 256>, 2> ym2612_register_tables = {
    bank_table<0>(std::make_index_sequence<256>{}),
    bank_table<1>(std::make_index_sequence<256>{}),
};

void ym2612_write_data_part1(u8 data) {
    ym2612_register_tables[0][ym2612_state.ym2612_latch_part1](data);
}
void ym2612_write_data_part2(u8 data) {
    ym2612_register_tables[1][ym2612_state.ym2612_latch_part2](data);
}

// --- Key on/off ----------------------------------------------------------------------------

void ym2612_key_on_off(int channel, u8 keys_on, u8 keys_off) {
    Ym2612State& ym = ym2612_state;
    for (int slot = 0; slot < 4; ++slot) {
        if (!(keys_on & (1u << slot))) continue;
        const int n = channel * 4 + slot;
        auto& o     = ym.op[n];
        u32 counter = kEnvStart;
        if (o.env_phase == kYmPhaseRelease) {
            // Restart the attack at the point as loud as the release is now.
            const u32 att = ym2612_env_curve[(o.env_counter - o.env_base) >> 14];
            counter       = (ym2612_attack_inverse[att & (kYmInvSize - 1)] << 14) + kEnvStart;
        }
        o.phase_acc   = 0;
        o.env_phase   = kYmPhaseAttack;
        o.env_counter = counter;
        o.env_base    = kEnvStart;
        o.env_rate    = ym.rate[n][kYmPhaseAttack];
        ym.sounding_ops |= 1u << n;
    }
    for (int slot = 0; slot < 4; ++slot) {
        if (!(keys_off & (1u << slot))) continue;
        const int n    = channel * 4 + slot;
        auto& o        = ym.op[n];
        const u8 prior = o.env_phase;
        o.env_phase    = kYmPhaseRelease;
        if (prior == kYmPhaseAttack) {
            // Carry on from the same loudness on the decay curve.
            const u32 att = ym2612_env_curve[(o.env_counter - o.env_base) >> 14];
            o.env_counter = (ym2612_decay_inverse[att & (kYmInvSize - 1)] << 14) + kEnvStart;
        } else {
            o.env_counter -= o.env_base;
        }
        o.env_base = 0;
        o.env_rate = ym.rate[n][kYmPhaseRelease];
        ym.sounding_ops |= 1u << n;  // also an operator that was off: it releases from there
    }
}

// --- Timers ----------------------------------------------------------------------------------
// Counts are in 68000 timeslices (165,120 a second): one timer A step is 18 us, one
// timer B step 288 us. The factors are those fractions of a slice in fixed point.

void ym2612_timer_a_load() {
    Ym2612State& ym  = ym2612_state;
    const u32 value  = (static_cast<u32>(ym.reg_24) << 2) | (ym.reg_25 & 3);
    const u64 period = 1024 - value;
    const u32 count  = static_cast<u32>((period * 0x2F8DF7A5ull) >> 28);
    ym2612_timers_sync();
    ym.timer_a_counter = ym.timer_a_reload = 0u - count;
    timers_rearm();
}

void ym2612_timer_b_load() {
    Ym2612State& ym  = ym2612_state;
    const u64 period = 256 - static_cast<u32>(ym.reg_26);
    const u32 count  = static_cast<u32>((period * 0xBE37DE94ull) >> 26);
    ym2612_timers_sync();
    ym.timer_b_counter = ym.timer_b_reload = 0u - count;
    timers_rearm();
}

void ym2612_timers_sync() {
    Ym2612State& ym   = ym2612_state;
    const u32 elapsed = ym.timer_span - ym.timer_wait;
    ym.timer_span     = ym.timer_wait;
    ym.timer_a_counter += ym.timer_a_run * elapsed;
    ym.timer_b_counter += ym.timer_b_run * elapsed;
}

namespace {

// A running timer whose counter has just wrapped to zero reloads; with its flag enabled it
// raises the flag and stops until a 0x27 write loads it again.
void timer_carry(u32& counter, u32 reload, u32& run, u32 flag_enable, u8& overflow) {
    if (run == 0 || counter != 0) return;
    counter = reload;
    if (flag_enable != 0) {
        overflow = 0xFF;
        run      = 0;
    }
}

}  // namespace

void ym2612_timers_event() {
    Ym2612State& ym = ym2612_state;
    ym2612_timers_sync();  // the counters that carry now land on zero
    timer_carry(ym.timer_a_counter, ym.timer_a_reload, ym.timer_a_run, ym.timer_a_flag_enable,
                ym.timer_a_overflow);
    timer_carry(ym.timer_b_counter, ym.timer_b_reload, ym.timer_b_run, ym.timer_b_flag_enable,
                ym.timer_b_overflow);
    timers_rearm();
}

void ym2612_clear() { ym2612_state = Ym2612State{}; }

// --- Reset -----------------------------------------------------------------------------------

void ym2612_reset() {
    Ym2612State& ym        = ym2612_state;
    ym.timer_a_reload      = 0;
    ym.timer_b_reload      = 0;
    ym.timer_a_counter     = 0;
    ym.timer_b_counter     = 0;
    ym.timer_a_run         = 0;
    ym.timer_b_run         = 0;
    ym.timer_a_flag_enable = 0;
    ym.timer_b_flag_enable = 0;
    ym.timer_a_overflow    = 0;
    ym.timer_b_overflow    = 0;
    ym.timer_wait          = 0;
    ym.timer_span          = 0;
    ym.dac_data            = 0x80;
    // Every operator is off after a power-on, so no key is held: the next key-on of any
    // operator must start it.
    ym.key_mask.fill(0);
    for (auto& c : ym.channel) c = Ym2612ChannelRegs{};
    for (auto& l : ym.level) l = {kEnvStart, 0, 0, kEnvEnd};
    for (auto& r : ym.rate) r = {0, 0, 0, 0, 0};
    for (auto& o : ym.op) {
        o.phase_acc   = 0;
        o.phase_inc   = 0;
        o.env_counter = kEnvOffCount;
        o.env_rate    = 0;
        o.env_base    = kEnvStart;
        o.env_phase   = kYmPhaseOff;
    }
    ym.sounding_ops = 0;
}

// --- State chunk 0x88 ------------------------------------------------------------------------

namespace {

// The 102 register numbers of a bank from 0x30 to 0xB6 that hold something, ascending.
constexpr std::array<u8, 102> kChannelRegisters = [] {
    std::array<u8, 102> list{};
    std::size_t n = 0;
    for (int reg = 0x30; reg <= 0xB6; ++reg) {
        if ((reg & 3) == 3) continue;
        list[n++] = static_cast<u8>(reg);
    }
    return list;
}();

// A register byte as the chip would hold it, rebuilt from the decoded fields.
u8 register_value(int bank, u8 reg) {
    const Ym2612State& ym = ym2612_state;
    const int ch          = bank * 3 + (reg & 3);
    if (reg < 0xA0) {
        const auto& r = ym.channel[ch].op[(reg >> 2) & 3];
        switch (reg & 0xF0) {
            case 0x30:
                return static_cast<u8>(r.dt << 4 | r.mul);
            case 0x40:
                return r.tl;
            case 0x50:
                return static_cast<u8>(r.ks << 6 | r.ar);
            case 0x60:
                return static_cast<u8>((r.am & 0x80) | r.dr);
            case 0x70:
                return r.sr;
            case 0x80:
                return static_cast<u8>(r.sl << 4 | r.rr);
            default:
                return r.ssg_eg;
        }
    }
    const auto& c = ym.channel[ch];
    const auto& s = ym.channel[bank * 3 + 2];
    switch (reg & 0xFC) {
        case 0xA0:
            return c.fnum_lo;
        case 0xA4:
            return static_cast<u8>(c.block << 3 | c.fnum_hi);
        case 0xA8:
            return s.special_fnum_lo[reg & 3];
        case 0xAC:
            return static_cast<u8>(s.special_block[reg & 3] << 3 | s.special_fnum_hi[reg & 3]);
        case 0xB0:
            return static_cast<u8>(c.feedback << 3 | c.algorithm);
        default:
            return static_cast<u8>(c.lr << 6 | c.ams << 4 | c.pms);
    }
}

bool write_chunk_header(ByteWriter& out, u8 id, u32 id_width, u32 length) {
    if (out.remaining() < std::size_t{id_width} + 4 + length) return false;
    out.write_u8(id);
    if (id_width > 1) out.fill(id_width - 1, 0);
    out.write_le32(length);
    return true;
}

}  // namespace

bool ym2612_save_state_chunk(ByteWriter& out, u32 id_width) {
    if (!write_chunk_header(out, kYm2612ChunkId, id_width, kYm2612ChunkLength)) return false;
    const Ym2612State& ym = ym2612_state;
    for (int pair = 0; pair < 3; ++pair) {
        out.write_u8(static_cast<u8>((ym.key_mask[pair * 2] & 0xF) |
                                     (ym.key_mask[pair * 2 + 1] & 0xF) << 4));
    }
    for (u8 v : {ym.reg_22, ym.reg_24, ym.reg_25, ym.reg_26, ym.reg_27, ym.reg_2b}) {
        out.write_u8(v);
    }
    for (int bank = 0; bank < 2; ++bank) {
        for (u8 reg : kChannelRegisters) out.write_u8(register_value(bank, reg));
    }
    return true;
}

bool ym2612_load_state_chunk(ByteReader& in, u32 id_width) {
    // Check the whole chunk before anything changes.
    ByteReader r = in;
    u32 length   = 0;
    std::span<const u8> data;
    if (!r.skip(id_width) || !r.read_le32(length) || length < kYm2612ChunkLength ||
        !r.read_view(length, data)) {
        return false;
    }
    in = r;

    Ym2612State& ym = ym2612_state;
    // Key masks: the keyed operators start their attack; operators the state holds as
    // released that still sound here are keyed off.
    for (int ch = 0; ch < kYmChannels; ++ch) {
        const u8 mask =
            static_cast<u8>((data[static_cast<std::size_t>(ch / 2)] >> ((ch & 1) * 4)) & 0xF);
        u8 sounding = 0;
        for (int slot = 0; slot < 4; ++slot) {
            const u8 phase = ym.op[ch * 4 + slot].env_phase;
            if (phase >= kYmPhaseAttack && phase <= kYmPhaseSustain) sounding |= 1u << slot;
        }
        ym.key_mask[ch] = mask;
        ym2612_key_on_off(ch, mask, static_cast<u8>(sounding & ~mask));
    }
    // Replay the registers through their handlers, so every recalculation runs.
    const auto& bank1 = ym2612_register_tables[0];
    std::size_t pos   = 3;
    for (u8 reg : {0x22, 0x24, 0x25, 0x26, 0x27, 0x2B}) bank1[reg](data[pos++]);
    for (int bank = 0; bank < 2; ++bank) {
        for (u8 reg : kChannelRegisters) ym2612_register_tables[bank][reg](data[pos++]);
    }
    return true;
}

}  // namespace varn
