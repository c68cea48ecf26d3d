#pragma once
// The I/O page at 0xA10000: version register, the data and control registers of the two
// controller ports and of the expansion port, and the serial-interface bytes behind them.
//
// A port's data register mixes two sources: bits whose control bit is set are outputs and
// read back the data latch; the others are inputs driven by the device in the port. A write
// to the data register (or to the control register, which re-sends the latch) hands the
// device its output lines: the latch on the output bits, 1 (pulled up) on the input bits.
//
// The devices themselves (pads, mouse, multitap, light guns) are the controller-port code's;
// it plugs into `io_port_device_read` and `io_port_device_write` below.

#include <array>

#include "base/types.h"

namespace varn {

// The fifteen bytes saved with a state, in the order they sit at 0xA10003-0xA1001F.
struct IoPortRegs {
    std::array<u8, 3> data;     // data latches of port 1, port 2 and the expansion port
    std::array<u8, 3> control;  // direction registers (bit set = output)
    std::array<u8, 9> serial;   // serial-interface registers: kept and saved, never used
};

extern IoPortRegs io_port_regs;

// Power-on: data latches 0xFF, control and serial bytes 0.
void io_ports_power_on();

// State chunk image of the fifteen registers, in address order.
inline constexpr u32 kIoPortStateBytes = 15;
void io_ports_save(u8 (&out)[kIoPortStateBytes]);
// Restores the fifteen registers from such an image, so that save then load round-trips.
void io_ports_load(const u8 (&in)[kIoPortStateBytes]);

// Slot to the controller-port code (port 0 = port 1, 1 = port 2).
// read: the byte the device drives on the port's lines now.
// write: the device sees new output lines (called on every data write and control write).
// Null means nothing is plugged in: the inputs float high (kIoPortNoDevice) and writes go
// nowhere.
inline constexpr u8 kIoPortNoDevice = 0x7F;
extern u8 (*io_port_device_read)(u32 port);
extern void (*io_port_device_write)(u32 port, u8 lines);

// Console region as the version register reports it: bit 7 overseas, bit 6 PAL. Owned here
// until the region flags have a home; null reads as a Japanese NTSC console (0).
extern u8 (*io_version_bits)();

}  // namespace varn
