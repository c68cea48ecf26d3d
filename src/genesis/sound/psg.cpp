// SN76489 PSG: latch and data protocol, the four-lane generator and the state chunk.

#include "genesis/sound/psg.h"

#include <algorithm>

#include "runtime/sound_options.h"

namespace varn {

PsgRegs psg_regs{};

// 2 dB steps from 65534 down; 15 is silent.
const std::array<u16, 16> psg_volume_table = {
    0xFFFE, 0xCB58, 0xA185, 0x804D, 0x65E9, 0x50F3, 0x404D, 0x3313,
    0x2892, 0x203A, 0x1999, 0x1455, 0x1026, 0x0CD4, 0x0A30, 0x0000,
};

// A tone of period N sounds at about 109,905 / N Hz at every output rate.
const std::array<u16, 3> psg_step_table = {0x013F, 0x027E, 0x04FC};

namespace {

constexpr int kNoiseLane = 3;

void volume_refresh(PsgRegs& p, int lane) {
    u16 level = psg_volume_table[p.volume[static_cast<std::size_t>(lane)] & 15];
    // A tone channel with period 0 is silent whatever its volume.
    if (lane != kNoiseLane && p.tone_period[static_cast<std::size_t>(lane)] == 0) level = 0;
    p.level[static_cast<std::size_t>(lane)] = level;
}

void period_refresh(PsgRegs& p, int ch) {
    p.reload[static_cast<std::size_t>(ch)] =
        static_cast<u16>(p.tone_period[static_cast<std::size_t>(ch)] << 6);
}

void latch_tone(PsgRegs& p, int ch, u8 data) {
    auto& per = p.tone_period[static_cast<std::size_t>(ch)];
    p.latch   = static_cast<u8>(ch * 2);
    per       = (per & 0x3F0) | (data & 0x0F);
    period_refresh(p, ch);
    volume_refresh(p, ch);
}

void latch_volume(PsgRegs& p, int lane, u8 data) {
    p.latch                                  = static_cast<u8>(lane * 2 + 1);
    p.volume[static_cast<std::size_t>(lane)] = data & 0x0F;
    volume_refresh(p, lane);
}

// A byte with bit 7 clear: bits 4-9 of the period last latched. After a volume or noise
// latch it changes nothing.
void psg_write_data(PsgRegs& p, u8 data) {
    if (p.latch > 4 || (p.latch & 1)) return;
    const int ch = p.latch / 2;
    auto& per    = p.tone_period[static_cast<std::size_t>(ch)];
    per          = (per & 0x0F) | (static_cast<u32>(data & 0x3F) << 4);
    period_refresh(p, ch);
    volume_refresh(p, ch);
}

}  // namespace

void psg_chip_write(PsgRegs& p, u8 data) {
    psg_chip_settle(p);  // the owed steps belong to the old periods
    switch (data >> 4) {
        case 0x8:
            latch_tone(p, 0, data);
            break;
        case 0x9:
            latch_volume(p, 0, data);
            break;
        case 0xA:
            latch_tone(p, 1, data);
            break;
        case 0xB:
            latch_volume(p, 1, data);
            break;
        case 0xC:
            latch_tone(p, 2, data);
            break;
        case 0xD:
            latch_volume(p, 2, data);
            break;
        case 0xE:
            p.latch = 6;
            break;  // noise control is not decoded
        case 0xF:
            latch_volume(p, kNoiseLane, data);
            break;
        default:
            psg_write_data(p, data);
            break;
    }
}

void psg_write(u8 data) { psg_chip_write(psg_regs, data); }

void psg_reset() { psg_regs = PsgRegs{}; }

namespace {

// A lane's output: a square wave of +-level/2 by its polarity. A tone so high that it would
// flip at every output sample or faster (beyond what the output rate can carry) holds the
// high half instead, as the chip's output does once the analogue stage smooths it: games
// play samples by holding a tone at period 1 and stepping its volume, which must give the
// sample's waveform rather than a buzz at the output's Nyquist frequency.
u16 lane_output(const PsgRegs& p, std::size_t i, u16 step) {
    const u16 held = (p.reload[i] - 1u) < step ? 0xFFFF : 0;  // 1 <= reload <= step
    return static_cast<u16>(((p.polarity[i] | held) & p.level[i]) - (p.level[i] >> 1));
}

// Bound on the steps a silent PSG owes, so that no settle takes long.
constexpr u32 kMaxOwed = 1u << 16;

// n samples of one lane at decrement s, as n passes of the per-sample step below: runs of
// samples in which the counter does not run out are taken in one subtraction.
void lane_advance(u16& counter, u16& polarity, u16 reload, u16 s, u32 n) {
    u32 c = counter;
    while (n != 0) {
        if (c > s) {
            // The counter stays above s for (c - 1) / s more samples.
            const u32 run = std::min(n, (c - 1) / s);
            c -= run * s;
            n -= run;
            if (n == 0) break;
        }
        c = (c - s + reload) & 0xFFFF;  // runs out: reload, keeping the remainder
        polarity ^= 0xFFFF;
        --n;
    }
    counter = static_cast<u16>(c);
}

}  // namespace

void psg_chip_settle(PsgRegs& p) {
    if (p.owed_samples == 0) return;
    for (std::size_t i = 0; i < 4; ++i) {
        lane_advance(p.counter[i], p.polarity[i], p.reload[i], p.owed_step, p.owed_samples);
        // Levels do not change while steps are owed: every write settles first.
        p.output[i] = lane_output(p, i, p.owed_step);
    }
    p.owed_samples = 0;
}

void psg_settle() { psg_chip_settle(psg_regs); }

s32 psg_chip_tone_sum(PsgRegs& p, u16 s) {
    if ((p.level[0] | p.level[1] | p.level[2]) == 0) {
        // Silent: the sum is 0 whatever the counters hold. Owe the step.
        if (p.owed_step != s || p.owed_samples >= kMaxOwed) {
            psg_chip_settle(p);  // steps owed at another rate are taken at that rate
            p.owed_step = s;
        }
        ++p.owed_samples;
        return 0;
    }
    psg_chip_settle(p);
    // All four lanes alike and without a branch per channel: a lane whose counter runs
    // out reloads (keeping the remainder) and flips its polarity.
    for (std::size_t i = 0; i < 4; ++i) {
        const u16 expired = p.counter[i] <= s ? 0xFFFF : 0;
        p.counter[i]      = static_cast<u16>(p.counter[i] - s + (p.reload[i] & expired));
        p.polarity[i] ^= expired;
        p.output[i] = lane_output(p, i, s);
    }
    // The noise lane makes no sound.
    return static_cast<s16>(p.output[0]) + static_cast<s16>(p.output[1]) +
           static_cast<s16>(p.output[2]);
}

void psg_render_sample(s16& sample) {
    if ((cfg(sound_enable_all) & cfg(sound_enable_psg)) == 0) {
        sample = 0;
        return;
    }
    sample = static_cast<s16>(psg_chip_tone_sum(psg_regs, psg_step_table[sound_rate_index()]) >> 3);
}

// --- State chunk 0x89 ------------------------------------------------------------------------

bool psg_save_state(ByteWriter& out, u32 id_width) {
    if (out.remaining() < std::size_t{id_width} + 4 + kPsgChunkLength) return false;
    const PsgRegs& p = psg_regs;
    out.write_u8(kPsgChunkId);
    if (id_width > 1) out.fill(id_width - 1, 0);
    out.write_le32(kPsgChunkLength);
    for (u32 period : p.tone_period) out.write_le16(static_cast<u16>(period));
    out.write_u8(static_cast<u8>(p.noise_control));
    out.write_u8(static_cast<u8>((p.volume[0] & 15) | (p.volume[1] & 15) << 4));
    out.write_u8(static_cast<u8>((p.volume[2] & 15) | (p.volume[3] & 15) << 4));
    out.write_u8(p.latch);
    return true;
}

bool psg_load_state(ByteReader& in, u32 id_width) {
    ByteReader r = in;
    u32 length   = 0;
    std::span<const u8> d;
    if (!r.skip(id_width) || !r.read_le32(length) || length < kPsgChunkLength ||
        !r.read_view(length, d)) {
        return false;
    }
    in = r;

    psg_settle();
    PsgRegs& p = psg_regs;
    // Periods are 10-bit registers and the latch names one of eight; a damaged file must
    // not leave wider values behind.
    for (std::size_t ch = 0; ch < 3; ++ch) {
        p.tone_period[ch] = static_cast<u32>(d[ch * 2] | d[ch * 2 + 1] << 8) & 0x3FF;
    }
    p.noise_control = d[6];
    p.volume = {static_cast<u8>(d[7] & 15), static_cast<u8>(d[7] >> 4), static_cast<u8>(d[8] & 15),
                static_cast<u8>(d[8] >> 4)};
    p.latch  = d[9] & 7;
    for (int ch = 0; ch < 3; ++ch) period_refresh(p, ch);
    for (int lane = 0; lane < 4; ++lane) volume_refresh(p, lane);
    return true;
}

}  // namespace varn
