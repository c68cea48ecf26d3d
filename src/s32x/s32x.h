#pragma once
// The 32X unit: the register block the 68000 and the two SH-2s share (adapter control,
// interrupt masks, DREQ and its FIFO, communication words, PWM, the 32X VDP), the SH-2 boot
// when the 68000 releases them, the interrupt merges of every line and frame, the PWM timer
// and the binding of the slots the Genesis side holds for the unit.
//
// Life of the unit:
//   start-up   s32x_init_sh2_cores(): both cores' opcode tables and bus maps, the register
//              tables of both cores and the 68000's 0xA15000 page filled
//   power-on   s32x_set_fitted() by the boot, then s32x_reset(): memories and registers
//              cleared, the SH-2s held; on a machine with a 32X the frame slots are bound,
//              otherwise they are left unbound and a Genesis run pays nothing
//   release    the 68000 writes 0xA15101 with bit 1 set: s32x_boot_sh2_program(), and from
//              the next timeslice the unit takes part in the slice chain; booted from their
//              system ROMs both SH-2s run at once, booted from the cartridge header they
//              start when the 68000's start code writes back communication word 4 (the
//              checksum handed over), as the system ROMs hold them
//
// The FIFO of the DREQ transfer holds 8 words; its counts are kept in words (fill + free =
// 8), for the 68000, the SH-2 register and the DMA controller alike.

#include <array>

#include "base/types.h"

namespace varn {

struct S32xPwmQueue {
    std::array<u16, 8> words{};
    u8 fill = 0;
    u8 free = 8;
};

inline constexpr u32 kS32xFifoWords = 8;

// Enable-word index per source.
enum S32xIrqSource : u32 { kS32xEnPwm = 0, kS32xEnCmd = 1, kS32xEnH = 2, kS32xEnV = 3 };

struct S32xRegs {
    u8 adapter     = 0x80;  // SH-2 0x4000 high byte, 68000 0xA15100: bit 7 FM (SH-2 owns the VDP)
    u8 adapter_low = 0x80;  // 68000 0xA15101: bit 1 the SH-2 reset released
    u8 int_control = 0;     // 68000 0xA15103: bit 0 command to the master, bit 1 to the slave
    u8 bank        = 0;     // 68000 0xA15105: bits 0-1 the 1 MB bank at 0x900000
    u8 reg_1b      = 0;     // 68000 0xA1511B, stored only
    std::array<u8, 2> int_mask{};                // per core: bit 3 V, 2 H, 1 CMD, 0 PWM
    std::array<std::array<u16, 4>, 2> enable{};  // per core and source: all ones or 0
    u8 hcount       = 0;
    u16 dreq_ctrl   = 0;
    u16 dreq_src_hi = 0, dreq_src_lo = 0;
    u16 dreq_dst_hi = 0, dreq_dst_lo = 0;
    u16 dreq_len = 0;
    std::array<u16, kS32xFifoWords> fifo{};  // host order, oldest first
    u8 fifo_fill = 0;                        // words held
    u8 fifo_free = kS32xFifoWords;           // words that may still be pushed
    std::array<u16, 5> irq_clear{};          // V-reset, V, H, CMD, PWM clear words as written
    std::array<u8, 16> comm{};               // communication words, big-endian

    // PWM
    u16 pwm_ctrl  = 0;
    u16 pwm_cycle = 0;
    std::array<S32xPwmQueue, 2> pwm_queue{};  // left, right (a mono word enters both)
    u32 pwm_acc       = 0;
    u8 pwm_down       = 0;
    u16 pwm_out_left  = 0;  // the pulse widths on the outputs now (the last words dropped)
    u16 pwm_out_right = 0;
    s32 pwm_dc        = 0;  // the constant level the output stage blocks, 1/65536 units

    // 32X VDP
    u16 bitmap_mode            = 0;
    u16 screen_shift           = 0;
    u16 fill_len               = 0;
    u16 fill_start             = 0;
    u16 fill_data              = 0;
    u16 fb_ctrl                = 0;  // as written
    u32 fb_next                = 0;  // the select taken at the next vertical interrupt
    u32 palette_access_pending = 0;  // all ones or 0
    u32 palette_access         = 0;  // the copy taken at the last line
    u8 fen_busy                = 0;
};
extern S32xRegs s32x_regs;

// Whether the machine has a 32X (the boot's 32X-active word). Without it the unit's slots
// stay unbound and the 0xA15000 page answers as on a bare console.
void s32x_set_fitted(bool fitted);
bool s32x_fitted();

// Whether the SH-2s take part in the frame (the 68000 has released them).
bool s32x_running();

// Once at program start.
void s32x_init_sh2_cores();

// Machine power-on (after the Genesis power-on): memories, registers, VDP and PWM cleared,
// both SH-2s held, the slots bound or unbound as the machine has a 32X or not.
void s32x_reset();
void s32x_vdp_regs_clear();
void s32x_pwm_regs_clear();

// The 68000 released the SH-2s: boot both from their system ROMs or from the cartridge
// header, leave what the system ROM leaves, build the 68000 vector overlay.
void s32x_boot_sh2_program();

// Per-line and per-frame merges of the 32X interrupt sources into the cores.
void s32x_hint_line();
void s32x_vint_frame();
// The 68000 wrote the interrupt control byte.
void s32x_command_irq();

// 32X VDP and PWM (s32x_vdp.cpp).
// Host colours of the 256 palette entries, converted at the start of every frame.
extern std::array<u32, 256> s32x_palette_host;
void s32x_palette_refresh();
void s32x_vdp_fill();
void s32x_pwm_line();
u16 s32x_vdp_read(u32 offset);               // offset 0x00-0x0E
void s32x_vdp_write(u32 offset, u16 value);  // offset 0x00-0x0E, whole word
void s32x_vdp_write_fb_select(u32 select);   // frame-buffer control bit 0
u16 s32x_pwm_read(u32 offset);               // offset 0x30-0x38
void s32x_pwm_write(u32 offset, u16 value);
// Pulse-width register 0 left, 1 right, 2 mono (a word into both queues).
void s32x_pwm_push(u32 reg, u16 value);
// Words a pulse-width register takes before a word of it would be lost.
u32 s32x_pwm_room(u32 reg);
// Adds the PWM outputs, both channels mixed, to a sound sample.
void s32x_pwm_sample(s16* slot);
// The render mode bits from the bitmap mode register.
void s32x_apply_render_mode();
// Points the composite source and the 68000 windows at the buffers as selected now.
void s32x_frame_buffers_changed();

// The FIFO: the 68000 pushes; the SH-2 register and the DMA controller take the oldest.
void s32x_fifo_push(u16 word);
u16 s32x_fifo_pop();
void s32x_fifo_restart();  // from DREQ control bit 7

// The chain after both SH-2 slices: DMA controllers, timers, watchdogs, then the PWM timer.
void s32x_chain_tail();

}  // namespace varn
