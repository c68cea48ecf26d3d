// The earlier release's Sega CD register routines.

#include "legacy/segacd/scd_registers_v024.h"

#include "genesis/vdp/vdp.h"
#include "m68k/m68k_bus.h"
#include "memory/memory.h"
#include "segacd/segacd.h"

namespace varn {

ScdRegisterTablesV024 scd_register_tables_v024{};
std::array<u8, 0x40000> scd_wram_cell_image_v024{};

namespace {

constexpr u32 kBlock = 0xFF;  // the sub-CPU's 64 KB page of PCM and gate array

// The main program's block-0xFF routines, taken when the older ones are installed.
struct MainBlock {
    u32 (*rb)(u32)       = nullptr;
    u32 (*rw)(u32)       = nullptr;
    u32 (*rl)(u32)       = nullptr;
    void (*wb)(u32, u32) = nullptr;
    void (*ww)(u32, u32) = nullptr;
    void (*wl)(u32, u32) = nullptr;
};
MainBlock main_block;

// Table entry of an address of block 0xFF, or -1 for the rest of the block.
int entry(u32 a) {
    const u32 o = a & 0xFFFF;
    if (o < 0x40) return static_cast<int>(o);
    if (o >= 0x8000 && o < 0x8080) return static_cast<int>(64 + (o & 0x7F));
    return -1;
}

u32 block_read_byte(u32 a) {
    const int e = entry(a);
    if (e >= 0 && scd_register_tables_v024.read_byte[e])
        return scd_register_tables_v024.read_byte[e](a);
    return main_block.rb(a);
}
u32 block_read_word(u32 a) {
    const int e = entry(a);
    if (e >= 0 && scd_register_tables_v024.read_word[e])
        return scd_register_tables_v024.read_word[e](a);
    return main_block.rw(a);
}
u32 block_read_long(u32 a) {
    const int e = entry(a);
    if (e >= 0 && scd_register_tables_v024.read_long[e])
        return scd_register_tables_v024.read_long[e](a);
    return main_block.rl(a);
}
void block_write_byte(u32 a, u32 v) {
    const int e = entry(a);
    if (e >= 0 && scd_register_tables_v024.write_byte[e])
        return scd_register_tables_v024.write_byte[e](a, v);
    main_block.wb(a, v);
}
void block_write_word(u32 a, u32 v) {
    const int e = entry(a);
    if (e >= 0 && scd_register_tables_v024.write_word[e])
        return scd_register_tables_v024.write_word[e](a, v);
    main_block.ww(a, v);
}
void block_write_long(u32 a, u32 v) {
    const int e = entry(a);
    if (e >= 0 && scd_register_tables_v024.write_long[e])
        return scd_register_tables_v024.write_long[e](a, v);
    main_block.wl(a, v);
}

// ---- command area ----

void command_write_byte(u32 a, u32 v) { scd_ga.regs[0x10 + (a & 0x0F)] = static_cast<u8>(v); }
void command_write_word(u32 a, u32 v) {
    const u32 at        = 0x10 + (a & 0x0E);
    scd_ga.regs[at]     = static_cast<u8>(v >> 8);
    scd_ga.regs[at + 1] = static_cast<u8>(v);
}
void command_write_long(u32 a, u32 v) {
    command_write_word(a, v >> 16);
    command_write_word(a + 2, v);
}

// ---- memory mode ----

void mode_write_byte(u32 a, u32 v) {
    if (a & 1) {
        scd_memory_mode_write_v024(static_cast<u8>(v));
    } else {
        main_block.wb(a, v);  // the write-protect byte is the main program's
    }
}
void mode_write_word(u32 a, u32 v) {
    main_block.wb(a & ~1u, v >> 8);
    scd_memory_mode_write_v024(static_cast<u8>(v));
}

// ---- PCM ----

// Register `reg` of the channel window, stored as it is.
void pcm_store(u32 reg, u8 v) {
    PcmChannel& c = pcm.ch[pcm.channel];
    switch (reg) {
        case 0:
            c.env = v;
            return;
        default:
            pcm_write_register(reg, v);
            return;
    }
}
void pcm_env_write_byte(u32 a, u32 v) {
    if (a & 1) pcm_store(0, static_cast<u8>(v));
}
// Word and long writes at 0x00: the low byte of each word to its register, stored only.
void pcm_low_write_word(u32 a, u32 v) { pcm_store((a & 0x3F) >> 1, static_cast<u8>(v)); }
void pcm_low_write_long(u32 a, u32 v) {
    pcm_store((a & 0x3F) >> 1, static_cast<u8>(v >> 16));
    pcm_store(((a + 2) & 0x3F) >> 1, static_cast<u8>(v));
}
void pcm_control_write(u32, u32 v) { pcm_write_control_v024(static_cast<u8>(v)); }
void pcm_on_off_write(u32, u32 v) { pcm_write_on_off_v024(static_cast<u8>(v)); }

void restart(u32 k) {
    PcmChannel& c = pcm.ch[k];
    c.address     = u32{c.st} << 24;
    c.active      = (pcm.on_off >> k & 1) == 0 && (pcm.control & 0x80) != 0;
}
// Brings the effective envelopes in step with the on state (the main routine recomputes them
// on every ENV write).
void refresh_envelopes() { pcm_write_env(pcm.ch[pcm.channel].env); }

}  // namespace

void pcm_write_control_v024(u8 v) {
    const bool was_on = (pcm.control & 0x80) != 0;
    pcm.control       = v;
    if (v & 0x40) {
        pcm.channel = v & 7;
    } else {
        pcm.bank = v & 0x0F;
    }
    pcm.on_mask = (v & 0x80) ? 0xFF : 0;
    if (!was_on && (v & 0x80)) {
        for (u32 k = 0; k < 8; ++k) restart(k);
    }
    if (!(v & 0x80)) {
        for (auto& c : pcm.ch) c.active = 0;
    }
    refresh_envelopes();
}

void pcm_write_on_off_v024(u8 v) {
    const u8 old = pcm.on_off;
    pcm.on_off   = v;
    for (u32 k = 0; k < 8; ++k) {
        const u32 was = old >> k & 1, now = v >> k & 1;
        if (was == 1 && now == 0) restart(k);
        if (now == 1) pcm.ch[k].active = 0;
    }
    refresh_envelopes();
}

void scd_memory_mode_write_v024(u8 v) {
    scd_ga.priority = (v >> 3) & 3;
    scd_ga.wram_1m  = (v >> 2) & 1;
    const u8 ret    = v & 1;
    // DMA from word RAM runs one word behind, as in the main program: the image starts at the
    // word just below word RAM.
    const u32 below = kScdWordRamOffset - 2;
    if (scd_ga.wram_1m == 0) {
        scd_ga.return_bit = ret;
        scd_ga.regs[3]    = static_cast<u8>((v & 0x1D) | (ret ? 0 : 2));  // DMNA := NOT RET
        vdp_dma_map_set(0x20, 0x04, {memory_arena, kArenaSize, below, 0x3FFFF});
    } else {
        scd_ga.return_bit = ret;
        scd_ga.regs[3]    = static_cast<u8>(v & 0x1D);
        vdp_dma_map_set(0x20, 0x02, {memory_arena, kArenaSize, below + ret * 0x20000u, 0x1FFFF});
        vdp_dma_map_set(0x22, 0x02,
                        {scd_wram_cell_image_v024.data(),
                         static_cast<u32>(scd_wram_cell_image_v024.size()), 0, 0x1FFFF});
    }
}

void scd_install_registers_v024() {
    auto& t = scd_register_tables_v024;
    t       = {};
    for (u32 i = 0x10; i < 0x20; ++i) {
        t.write_byte[64 + i] = &command_write_byte;
        t.write_word[64 + i] = &command_write_word;
        t.write_long[64 + i] = &command_write_long;
    }
    for (u32 i : {0x02u, 0x03u}) {
        t.write_byte[64 + i] = &mode_write_byte;
        t.write_word[64 + i] = &mode_write_word;
    }
    t.write_byte[0x01] = &pcm_env_write_byte;
    t.write_word[0x00] = &pcm_low_write_word;
    t.write_long[0x00] = &pcm_low_write_long;
    t.write_byte[0x0F] = &pcm_control_write;
    t.write_word[0x0E] = &pcm_control_write;
    t.write_byte[0x11] = &pcm_on_off_write;
    t.write_word[0x10] = &pcm_on_off_write;

    if (s68k_page_read_byte[kBlock] != &block_read_byte) {
        main_block = {s68k_page_read_byte[kBlock],  s68k_page_read_word[kBlock],
                      s68k_page_read_long[kBlock],  s68k_page_write_byte[kBlock],
                      s68k_page_write_word[kBlock], s68k_page_write_long[kBlock]};
    }
    s68k_page_read_byte[kBlock]  = &block_read_byte;
    s68k_page_read_word[kBlock]  = &block_read_word;
    s68k_page_read_long[kBlock]  = &block_read_long;
    s68k_page_write_byte[kBlock] = &block_write_byte;
    s68k_page_write_word[kBlock] = &block_write_word;
    s68k_page_write_long[kBlock] = &block_write_long;
}

}  // namespace varn
