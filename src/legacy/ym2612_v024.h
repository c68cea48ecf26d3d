#pragma once
// The earlier machine's YM2612: the register file and the two timers, without sound
// synthesis (the earlier machine is silent). Both CPUs reach it through the same status
// byte, address latches and data routines.
//
// Timers count up once a 68000 timeslice from a negative reload:
//   period A = (461 x (1024 - A)) >> 8      A = 0: 1,844 slices; A = 1023: 1
//   period B = (7373 x (256 - B)) >> 8      B = 0: 7,373 slices; B = 255: 28
// A timer whose flag is enabled stops after its overflow until it is loaded again; timer B
// stops after any overflow.

#include <array>

#include "base/types.h"

namespace varn {

struct Ym2612TimerV024 {
    s32 counter = 0;
    s32 reload  = 0;  // minus the period
    u32 step    = 0;  // 1 running, 0 stopped
    u32 enable  = 0;  // all ones while the flag is enabled
    u8 flag     = 0;  // all ones after an enabled overflow
};

struct Ym2612ChannelV024 {
    u8 fnum_low  = 0;
    u8 fnum_high = 0;  // bits 0-2
    u8 block     = 0;  // bits 0-2
    u8 algorithm = 0;
    u8 feedback  = 0;
};

struct Ym2612OperatorV024 {
    u8 dt = 0, mul = 0, tl = 0, ks = 0, ar = 0, d1r = 0, d2r = 0, d1l = 0, rr = 0;
    u8 am     = 0;  // all ones or 0
    u8 key_on = 0;  // all ones or 0
};

struct Ym2612V024 {
    std::array<u8, 2> latch{};  // address latch of part I and part II
    std::array<Ym2612ChannelV024, 6> channels{};
    std::array<Ym2612OperatorV024, 24> operators{};   // channel * 4 + slot (S1, S3, S2, S4)
    std::array<Ym2612ChannelV024, 2> special_freq{};  // channel-3 special-mode record a part
    std::array<u8, 2> special_mode{};                 // 0x27 bit 6 of part I, part II
    u32 timer_a_value = 0;                            // 10 bits (0x24 high, 0x25 low 2 bits)
    u32 timer_b_value = 0;                            // 0x26
    Ym2612TimerV024 timer_a{};
    Ym2612TimerV024 timer_b{};
    u32 sample_fraction = 0;
    u32 slice_count     = 0;  // the frame end clears it
};
extern Ym2612V024 ym2612_v024;

// Status byte: bit 0 timer A's flag, bit 1 timer B's.
u8 ym2612_status_v024();
// A write to port 0-3: part I address, part I data, part II address, part II data.
void ym2612_port_write_v024(u32 port, u8 value);
// The data routines: the latched register's handler with `value`.
void ym2612_write_part1_v024(u8 value);
void ym2612_write_part2_v024(u8 value);
// The register handler of index part * 256 + register.
void ym2612_write_register_v024(u32 index, u8 value);

// Power-on: both timers cleared (the register file keeps its contents).
void ym2612_timers_reset_v024();
// The per-slice step of both timers.
void ym2612_timers_line_v024();

// Everything back to zero (tests).
void ym2612_reset_records_v024();

}  // namespace varn
