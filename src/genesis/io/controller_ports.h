#pragma once
// The two controller ports and what is plugged into them.
//
// Once a frame the input update turns the host's devices into, for each port, small tables
// of bytes: what the device puts on the port's lines at each step of its read protocol.
// Between updates the 68000 walks through those tables: every write to the port's data
// register hands the device new output lines (TH bit 6, TR bit 5, TL bit 4), which move its
// state machine, and a read returns the byte at the state it has reached.
//
// Device types of a port:          Sub-port types behind a multitap:
//   0 three-button pad               0 three-button pad
//   1 six-button pad                 1 six-button pad
//   2 Sega Mouse                     2 Sega Mouse
//   3 mouse-aimed gun, trigger B
//   4 four-player multitap
//   5 mouse-aimed gun, trigger C
//
// The bus's I/O page reaches the ports through its device slot (genesis/bus/io_ports.h) and
// the six-button time-out through pad_timeout.h; `input_power_on` binds both.

#include <array>
#include <atomic>

#include "base/types.h"

namespace varn {

inline constexpr u32 kPortPad3     = 0;
inline constexpr u32 kPortPad6     = 1;
inline constexpr u32 kPortMouse    = 2;
inline constexpr u32 kPortGunB     = 3;
inline constexpr u32 kPortMultitap = 4;
inline constexpr u32 kPortGunC     = 5;
inline constexpr u32 kPortTypes    = 6;

inline constexpr u32 kSubPad3  = 0;
inline constexpr u32 kSubPad6  = 1;
inline constexpr u32 kSubMouse = 2;
inline constexpr u32 kSubTypes = 3;

inline constexpr u32 kPorts          = 2;
inline constexpr u32 kSubPortsPerTap = 4;

// Output lines as the device sees them.
inline constexpr u8 kLineTH = 0x40;
inline constexpr u8 kLineTR = 0x20;
inline constexpr u8 kLineTL = 0x10;

struct ControllerPort {
    std::array<u8, 16> pad_seq;       // pads: 10 steps used, the three-button pad 2
    std::array<u8, 11> mouse_seq;     // Sega Mouse
    std::array<u8, 32> multitap_seq;  // multitap: header, then the sub-ports' nibbles
    std::array<u8, 6> gun_b_seq;      // type 3
    std::array<u8, 6> gun_c_seq;      // type 5
    u32 pad_phase;                    // 0-9, even while TH is high
    u32 mouse_state;                  // 0-10
    u32 multitap_state;               // 0-31
    u32 gun_b_state;                  // 0-5
    u32 gun_c_state;                  // 0-5
    u32 gun_x;                        // gun cursor in screen pixels
    u32 gun_y;
    u32 gun_c_held;  // type 5: the trigger (C) is held; it fires once per press
};

extern std::array<ControllerPort, kPorts> controller_ports;

// The live device types, copied from the configuration (`cfg_port_device`) by
// `input_apply_config` and set by demo playback; the user-interface thread may write them
// while a frame runs. Sub-port k of port p is entry p * 4 + k.
extern std::array<std::atomic<u32>, kPorts> port_device_type;
extern std::array<std::atomic<u32>, kPorts * kSubPortsPerTap> port_sub_type;

inline u32 port_type(u32 port) { return port_device_type[port].load(std::memory_order_relaxed); }
inline u32 sub_port_type(u32 port, u32 sub) {
    return port_sub_type[port * kSubPortsPerTap + sub].load(std::memory_order_relaxed);
}

// The byte the device of `port` (0 or 1) drives now. A Sega Mouse read at its last step
// also raises bit 4 of that step's byte (the next read sees it set).
u8 controller_port_read(u32 port);
// A write of the port's data or control register: `lines` are the output lines as the
// device sees them (inputs pulled high).
void controller_port_write(u32 port, u8 lines);
// The six-button time-out ran out: the pad returns to the start of its sequence, keeping
// the TH level.
void controller_port_timeout(u32 port);

// Genesis power-on: pads read 0xFF until the first update, phases 1, other states 0; binds
// the bus's device slot and the time-out to these ports.
void input_power_on();
// After a state load: the state machines back to their power-on positions.
void input_reset_positions();
// Copies the port and sub-port types from the configuration into the live set, unless a
// demo plays (it owns them then).
void input_apply_config();
// Every record of the input code back to its program-start value, slots unbound (tests).
void input_reset_records();

}  // namespace varn
