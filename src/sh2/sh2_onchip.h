#pragma once
// The SH-2's on-chip modules, one set per core, reached through the on-chip page
// 0xFFFFFE00-0xFFFFFFFF: interrupt controller (priorities and vectors), division unit, the
// two-channel DMA controller, free-running timer, watchdog timer and the serial interface
// wired from one core to the other. The DMA controller, the timer and the watchdog advance
// once per run of the SH-2 slice chain.
//
// Of the on-chip interrupt sources only the watchdog's interval timer raises a request;
// the other modules keep their status flags. The DMA controller moves data between the
// memories directly (not through the bus), so SAR and DAR keep their programmed values and
// only TCR counts down.

#include <array>

#include "base/types.h"
#include "sh2/sh2_bus.h"

namespace varn {

// One end of a DMA channel, resolved when the channel starts.
enum class Sh2DmaEndKind : u8 { kIdle, kMemory, kFifo, kPwm, kSerial };

struct Sh2DmaEnd {
    Sh2DmaEndKind kind = Sh2DmaEndKind::kIdle;
    u8* base           = nullptr;  // kMemory: the area's image
    u32 size           = 0;        // kMemory: the area's bytes
    u32 pos            = 0;        // kMemory: offset of the next unit
    s32 step           = 0;
    u32 queue          = 0;  // kPwm: 0 left, 1 right, 2 mono
};

struct Sh2DmaChannel {
    u32 sar = 0, dar = 0, tcr = 0, chcr = 0;
    u32 unit    = 1;  // bytes a unit
    u32 cost    = 2;  // cycles a unit
    bool active = false;
    bool frozen = false;  // a fixed step of mode 3, or an end that cannot move: nothing moves
    Sh2DmaEnd src, dst;
};

struct Sh2OnChip {
    // Interrupt controller
    u16 iprb = 0, vcra = 0, vcrb = 0, vcrc = 0, vcrd = 0, icr = 0, ipra = 0, vcrwdt = 0;
    // Division unit
    u32 dvsr = 0, dvdnt = 0, dvcr = 0, vcrdiv = 0, dvdnth = 0, dvdntl = 0;
    u32 dvdnth_mirror = 0, dvdntl_mirror = 0;
    // DMA controller
    std::array<Sh2DmaChannel, 2> dma{};
    u32 vcrdma0 = 0, vcrdma1 = 0, dmaor = 0;
    // Free-running timer: counter as 16.16 fixed point
    u8 tier = 1, tcr = 0, tocr = 0xE0, cclra = 0, ocfa = 0, ocfb = 0, ovf = 0, temp = 0;
    u32 frc  = 0;
    u16 ocra = 0xFFFF, ocrb = 0xFFFF;
    u32 frt_step = 0x114000;
    // Watchdog timer: the count in the top 8 bits of the accumulator
    u8 wtcsr = 0x18, rstcsr = 0x1F, wdt_ovf = 0, wdt_wovf = 0;
    u32 wdt_acc = 0, wdt_step = 0;
    // Serial interface
    u8 smr = 0, brr = 0xFF, scr = 0, tdr = 0xFF, ssr = 0x84, rdr = 0;
};
extern std::array<Sh2OnChip, 2> sh2_onchip;  // master, slave

// The board the SH-2s sit on, as their DMA controller reaches it: the board's memories and
// the two register ends a channel can feed (the FIFO and the PWM queues). Filled by the
// board's unit at start-up; a null entry leaves such an end idle.
struct Sh2DmaBoardSlots {
    // The board's end at `addr` (areas 0x00, 0x04, 0x06 and their cache-through images):
    // a memory, a register end or, where nothing answers, kIdle.
    void (*resolve)(u32 addr, Sh2DmaEnd& end) = nullptr;
    // Units a register end can still give (as source) or take.
    u32 (*register_avail)(const Sh2DmaEnd& end, bool as_source) = nullptr;
    // The FIFO's oldest word as a DMA source reads it (the board counts its request down).
    u16 (*fifo_read)()                     = nullptr;
    void (*fifo_write)(u16 word)           = nullptr;
    void (*pwm_write)(u32 queue, u16 word) = nullptr;
};
extern Sh2DmaBoardSlots sh2_dma_board_slots;

// Fills one core's on-chip register tables.
void sh2_onchip_fill_tables(u32 core, Sh2OnChipTables& t);
// Binds the modules' resets to the cores' reset steps.
void sh2_onchip_bind_resets();
// Every module of both cores to its reset values (machine power-on).
void sh2_onchip_reset_all();

// Once per run of the slice chain.
void sh2_dmac_service(u32 core);
void sh2_frt_advance(u32 core);
void sh2_wdt_advance(u32 core);

}  // namespace varn
