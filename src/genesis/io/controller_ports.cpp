#include "genesis/io/controller_ports.h"

#include "base/config.h"
#include "genesis/bus/io_ports.h"
#include "genesis/bus/pad_timeout.h"
#include "genesis/io/demo_stream.h"
#include "genesis/io/input_update.h"

namespace varn {

std::array<ControllerPort, kPorts> controller_ports{};
std::array<std::atomic<u32>, kPorts> port_device_type{};
std::array<std::atomic<u32>, kPorts * kSubPortsPerTap> port_sub_type{};

namespace {

// Pads: next phase by the new TH level. Even phases are TH high; a write that keeps TH
// leaves the phase where it is.
constexpr u8 kPadNext[2][10] = {
    {1, 1, 3, 3, 5, 5, 7, 7, 9, 9},  // TH = 0
    {0, 2, 2, 4, 4, 6, 6, 8, 8, 0},  // TH = 1
};

// Sega Mouse: next state by TH << 1 | TR. TH high restarts the handshake; with TH low each
// TR edge steps one nibble on.
constexpr u8 kMouseNext[4][11] = {
    {3, 3, 3, 3, 5, 5, 7, 7, 9, 9, 2},    // TH 0, TR 0
    {2, 2, 2, 4, 4, 6, 6, 8, 8, 10, 10},  // TH 0, TR 1
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},    // TH 1, TR 0
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},    // TH 1, TR 1
};

// Guns: next state by TH << 2 | TR << 1 | TL.
constexpr u8 kGunBNext[6][8] = {
    {1, 1, 1, 1, 0, 2, 0, 0}, {1, 1, 1, 1, 0, 2, 0, 0}, {0, 2, 2, 3, 0, 2, 2, 3},
    {0, 4, 3, 3, 0, 4, 3, 3}, {0, 4, 4, 5, 0, 4, 4, 5}, {0, 5, 5, 5, 0, 5, 5, 5},
};
constexpr u8 kGunCNext[6][8] = {
    {1, 1, 1, 1, 2, 3, 0, 0}, {1, 1, 1, 1, 2, 3, 0, 0}, {1, 1, 1, 1, 2, 3, 2, 2},
    {1, 1, 1, 1, 3, 3, 4, 3}, {1, 1, 1, 1, 4, 4, 4, 5}, {1, 1, 1, 1, 2, 5, 5, 5},
};

constexpr u32 kMouseLastStep = 10;
constexpr u32 kMultitapSteps = 32;

u32 th(u8 lines) { return (lines & kLineTH) ? 1 : 0; }
u32 tr(u8 lines) { return (lines & kLineTR) ? 1 : 0; }
u32 gun_lines(u8 lines) { return th(lines) << 2 | tr(lines) << 1 | ((lines & kLineTL) ? 1 : 0); }

void clear_positions(ControllerPort& p) {
    p.pad_phase      = 1;
    p.mouse_state    = 0;
    p.multitap_state = 0;
    p.gun_b_state    = 0;
    p.gun_c_state    = 0;
}

}  // namespace

u8 controller_port_read(u32 port) {
    ControllerPort& p = controller_ports[port & 1];
    switch (port_type(port & 1)) {
        case kPortPad3:
            return p.pad_seq[p.pad_phase & 1];
        case kPortPad6:
            return p.pad_seq[p.pad_phase];
        case kPortMouse: {
            const u8 value = p.mouse_seq[p.mouse_state];
            // The mouse answers the last nibble's handshake once; a second read of the same
            // step sees its busy bit set.
            if (p.mouse_state == kMouseLastStep) p.mouse_seq[kMouseLastStep] |= 0x10;
            return value;
        }
        case kPortGunB:
            return p.gun_b_seq[p.gun_b_state];
        case kPortMultitap:
            return p.multitap_seq[p.multitap_state];
        case kPortGunC:
            return p.gun_c_seq[p.gun_c_state];
        default:
            return kIoPortNoDevice;
    }
}

void controller_port_write(u32 port, u8 lines) {
    ControllerPort& p = controller_ports[port & 1];
    switch (port_type(port & 1)) {
        case kPortPad3:
        case kPortPad6:
            p.pad_phase = kPadNext[th(lines)][p.pad_phase];
            break;
        case kPortMouse:
            p.mouse_state = kMouseNext[th(lines) << 1 | tr(lines)][p.mouse_state];
            break;
        case kPortGunB:
            p.gun_b_state = kGunBNext[p.gun_b_state][gun_lines(lines)];
            break;
        case kPortMultitap:
            // TH high restarts; with TH low, TR going high steps from an even state and TR
            // going low from an odd one.
            if (th(lines)) {
                p.multitap_state = 0;
            } else if (tr(lines) != (p.multitap_state & 1)) {
                p.multitap_state = (p.multitap_state + 1) % kMultitapSteps;
            }
            break;
        case kPortGunC:
            p.gun_c_state = kGunCNext[p.gun_c_state][gun_lines(lines)];
            break;
        default:
            break;
    }
}

void controller_port_timeout(u32 port) {
    ControllerPort& p = controller_ports[port & 1];
    p.pad_phase &= 1;
}

void input_power_on() {
    for (ControllerPort& p : controller_ports) {
        p.pad_seq.fill(0);
        for (u32 i = 0; i < 4; ++i) p.pad_seq[i] = 0xFF;
        p.mouse_seq.fill(0);
        p.multitap_seq.fill(0);
        p.gun_b_seq.fill(0);
        p.gun_c_seq.fill(0);
        clear_positions(p);
        p.gun_c_held = 0;
    }
    io_port_device_read  = controller_port_read;
    io_port_device_write = controller_port_write;
    pad_timeout_expired  = controller_port_timeout;
}

void input_reset_positions() {
    for (ControllerPort& p : controller_ports) clear_positions(p);
}

void input_apply_config() {
    if (demo_mode.load(std::memory_order_relaxed) != 0) return;
    for (u32 i = 0; i < kPorts; ++i)
        port_device_type[i].store(cfg(cfg_port_device[i]), std::memory_order_relaxed);
    for (u32 i = 0; i < port_sub_type.size(); ++i)
        port_sub_type[i].store(cfg(cfg_port_device[kPorts + i]), std::memory_order_relaxed);
}

void input_reset_records() {
    controller_ports = {};
    for (ControllerPort& p : controller_ports) clear_positions(p);
    for (auto& t : port_device_type) t.store(0, std::memory_order_relaxed);
    for (auto& t : port_sub_type) t.store(0, std::memory_order_relaxed);
    if (io_port_device_read == controller_port_read) io_port_device_read = nullptr;
    if (io_port_device_write == controller_port_write) io_port_device_write = nullptr;
    if (pad_timeout_expired == controller_port_timeout) pad_timeout_expired = nullptr;
    demo_reset();
    input_update_reset();
}

}  // namespace varn
