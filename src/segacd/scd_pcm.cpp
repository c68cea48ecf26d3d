// The RF5C164 PCM chip: eight channels of 8-bit sign-magnitude samples from 64 KB of wave
// RAM, stepped 31,300 times a second by the unit's tick and mixed into each output sample.

#include <algorithm>

#include "runtime/sound_options.h"
#include "segacd/segacd.h"

namespace varn {

PcmState pcm;

namespace {

// Index (sample << 8) | envelope; sample bytes 0x00-0xFE (0xFF is the loop marker).
std::array<s16, 0xFF * 256> volume_table{};

bool sound_on() { return cfg(sound_enable_all) != 0; }

void recompute_envelopes() {
    const bool on = pcm.on_mask != 0 && sound_on();
    for (auto& c : pcm.ch) c.eff_env = on && c.active != 0 ? c.env : 0;
}

void start(PcmChannel& c) {
    c.address = u32{c.st} << 24;
    c.active  = 1;
}

}  // namespace

void pcm_build_volume_table() {
    for (u32 s = 0; s < 0xFF; ++s) {
        const s32 v = (s & 0x80) != 0 ? static_cast<s32>(s & 0x7F) : -static_cast<s32>(s & 0x7F);
        for (u32 e = 0; e < 256; ++e)
            volume_table[s << 8 | e] = static_cast<s16>(v * static_cast<s32>(e));
    }
    pcm.on_mask = (pcm.control & 0x80) != 0 ? 0xFF : 0;
}

s16 pcm_volume(u8 sample, u8 env) { return sample == 0xFF ? 0 : volume_table[sample << 8 | env]; }

void pcm_reset() { pcm = PcmState{}; }

void pcm_write_control(u8 v) {
    const u8 old = pcm.control;
    pcm.control  = v;
    if ((v & 0x40) != 0)
        pcm.channel = v & 7;
    else
        pcm.bank = v & 0x0F;
    const bool was_on = (old & 0x80) != 0, now_on = (v & 0x80) != 0;
    for (u32 k = 0; k < 8; ++k) {
        if ((pcm.on_off >> k & 1) != 0) continue;
        if (!was_on && now_on) start(pcm.ch[k]);
        if (was_on && !now_on) pcm.ch[k].active = 0;
    }
    pcm.on_mask = now_on ? 0xFF : 0;
    recompute_envelopes();
}

void pcm_write_on_off(u8 v) {
    const u8 old = pcm.on_off;
    pcm.on_off   = v;
    for (u32 k = 0; k < 8; ++k) {
        const u32 was = old >> k & 1, now = v >> k & 1;
        if (was == 1 && now == 0) start(pcm.ch[k]);
        if (was == 0 && now == 1) pcm.ch[k].active = 0;
    }
    recompute_envelopes();
}

void pcm_write_env(u8 v) {
    pcm.ch[pcm.channel].env = v;
    recompute_envelopes();
}

u8 pcm_read_register(u32 reg) {
    const PcmChannel& c = pcm.ch[pcm.channel];
    switch (reg) {
        case 0:
            return c.env;
        case 1:
            return c.pan;
        case 2:
            return static_cast<u8>(c.fd);
        case 3:
            return static_cast<u8>(c.fd >> 8);
        case 4:
            return static_cast<u8>(c.ls);
        case 5:
            return static_cast<u8>(c.ls >> 8);
        case 6:
            return c.st;
        case 7:
            return pcm.control;
        case 8:
            return pcm.on_off;
        default:
            break;
    }
    if (reg >= 0x10 && reg < 0x20) {  // channel (reg - 0x10) / 2: address low, high byte
        const PcmChannel& k = pcm.ch[(reg - 0x10) >> 1];
        return static_cast<u8>((k.address >> ((reg & 1) != 0 ? 24 : 16)) & 0xFF);
    }
    return 0;
}

void pcm_write_register(u32 reg, u8 v) {
    PcmChannel& c = pcm.ch[pcm.channel];
    switch (reg) {
        case 0:
            pcm_write_env(v);
            break;
        case 1:
            c.pan = v;
            break;
        case 2:
            c.fd = static_cast<u16>((c.fd & 0xFF00) | v);
            break;
        case 3:
            c.fd = static_cast<u16>((c.fd & 0x00FF) | v << 8);
            break;
        case 4:
            c.ls = static_cast<u16>((c.ls & 0xFF00) | v);
            break;
        case 5:
            c.ls = static_cast<u16>((c.ls & 0x00FF) | v << 8);
            break;
        case 6:
            c.st = v;
            break;
        case 7:
            pcm_write_control(v);
            break;
        case 8:
            pcm_write_on_off(v);
            break;
        default:
            break;  // the current addresses are read-only
    }
}

void pcm_step_channels() {
    if ((pcm.control & 0x80) == 0) return;
    for (u32 k = 0; k < 8; ++k) {
        if ((pcm.on_off >> k & 1) != 0) continue;
        PcmChannel& c = pcm.ch[k];
        const u32 old = c.address >> 16;
        c.address += u32{c.fd} << 5;
        const u32 now = c.address >> 16;
        // Only the byte landed on is looked at for the loop marker.
        if (now != old && scd_wave_ram[now & 0xFFFF] == 0xFF) c.address = u32{c.ls} << 16;
    }
}

void pcm_mix(s16* slot) {
    s32 sum = 0;
    for (const PcmChannel& c : pcm.ch)
        sum += pcm_volume(scd_wave_ram[(c.address >> 16) & 0xFFFF], c.eff_env);
    const s32 out = (sum >> 1) + *slot;
    *slot         = static_cast<s16>(std::clamp(out, -32768, 32767));
}

}  // namespace varn
