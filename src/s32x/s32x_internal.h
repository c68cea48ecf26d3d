#pragma once
// What the rooms of the 32X unit share: the register record's accessor, the cores' contexts,
// the interrupt masks, whether the unit is fitted, and the start of the cores booted from the
// cartridge header.
//
// Booted from the cartridge header, the SH-2s stay in reset, as their system ROMs keep them,
// until the 68000's start code has taken the checksum handed over in communication word 4
// and written that word back: the start code clears the shared registers (PWM, DREQ, bank,
// VDP) after the release, which would undo what an SH-2 program set up first. A start code
// that never writes the word gets the cores after kHeaderStartFrames frames.

#include "base/types.h"
#include "s32x/s32x.h"
#include "sh2/sh2.h"

namespace varn::s32x_detail {

inline S32xRegs& R() { return s32x_regs; }
inline Sh2CpuContext& core_context(u32 core) { return core == 0 ? sh2_context : sh2s_context; }

extern bool fitted;  // the machine has a 32X

inline constexpr u32 kHeaderStartFrames = 30;
extern u32 header_start_frames;  // frames left before the cores start anyway; 0 = none
void start_header_booted_cores();

// A core's interrupt mask byte and the four enable words that follow it.
void set_mask(u32 core, u8 mask);

// The register tables of both SH-2s and of the 68000's 0xA15100-0xA153FF window.
void fill_sh2_register_tables();
void fill_a15_tables();

// The board's memories and register ends in the SH-2s' DMA controllers.
void bind_dma_board();

}  // namespace varn::s32x_detail
