#pragma once
// A powered-on Genesis bus with the controller ports plugged in: devices from the
// configuration words, default key maps, and a recording host whose input the test sets.

#include <gtest/gtest.h>

#include "base/config.h"
#include "base/host.h"
#include "genesis/bus/bus.h"
#include "genesis/io/controller_ports.h"
#include "genesis/io/demo_stream.h"
#include "genesis/io/input_devices.h"
#include "genesis/io/input_update.h"
#include "genesis/io/key_map.h"
#include "genesis/io/lightgun.h"
#include "genesis/vdp/render_output.h"
#include "m68k/m68k.h"
#include "m68k/m68k_bus.h"
#include "memory/memory.h"

namespace varn::test {

inline constexpr u32 kPort1Data = 0xA10003, kPort2Data = 0xA10005;
inline constexpr u32 kPort1Ctrl = 0xA10009, kPort2Ctrl = 0xA1000B;

class InputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        memory_clear();
        m68k_reset_records();
        genesis_bus_reset_records();
        input_reset_records();
        lightgun_reset();
        key_maps_load_defaults();
        for (auto& w : cfg_port_device) cfg_set(w, 0);
        for (auto& w : cfg_input_device) cfg_set(w, 0);
        cfg_set(cfg_mouse_sensitivity_multiplier, 1);
        overlay_text = OverlayText{};
        io_ports_power_on();
        input_power_on();
    }
    void TearDown() override {
        input_reset_records();
        genesis_bus_reset_records();
        for (auto& w : cfg_port_device) cfg_set(w, 0);
        for (auto& w : cfg_input_device) cfg_set(w, 0);
        cfg_set(cfg_mouse_sensitivity_multiplier, 1);
        key_maps_load_defaults();
    }

    // Port types (port 1, port 2, then sub-ports 1A-1D, 2A-2D) into the configuration and
    // the live set.
    static void plug(u32 port1, u32 port2, std::array<u32, 4> subs1 = {},
                     std::array<u32, 4> subs2 = {}) {
        cfg_set(cfg_port_device[0], port1);
        cfg_set(cfg_port_device[1], port2);
        for (u32 k = 0; k < 4; ++k) {
            cfg_set(cfg_port_device[2 + k], subs1[k]);
            cfg_set(cfg_port_device[6 + k], subs2[k]);
        }
        input_apply_config();
    }

    // One frame's input update with `state` as the host's devices.
    void frame(const HostInputState& state) {
        host.set_input(state);
        input_frame_update(host);
    }
    void frame() { frame(HostInputState{}); }

    // The 68000's view of a port: TH (and TR, TL) as outputs.
    static void set_control(u32 port, u8 ctrl) {
        m68k_write_byte(port == 0 ? kPort1Ctrl : kPort2Ctrl, ctrl);
    }
    static void write_data(u32 port, u8 value) {
        m68k_write_byte(port == 0 ? kPort1Data : kPort2Data, value);
    }
    static u8 read_data(u32 port) {
        return static_cast<u8>(m68k_read_byte(port == 0 ? kPort1Data : kPort2Data));
    }

    RecordingHost host;
};

// Host keyboard state with the given DirectInput keys held.
inline HostInputState keys(std::initializer_list<u8> held) {
    HostInputState s;
    for (u8 k : held) s.keyboard[k] = 0x80;
    return s;
}

// Default slot 1A and 2A keys.
namespace key1 {
inline constexpr u8 kUp = 0x48, kDown = 0x50, kLeft = 0x4B, kRight = 0x4D, kStart = 0x1C, kA = 0x1E,
                    kB = 0x1F, kC = 0x20, kX = 0x2C, kY = 0x2D, kZ = 0x2E, kMode = 0x2F;
}
namespace key2 {
inline constexpr u8 kUp = 0x18, kDown = 0x34, kLeft = 0x25, kRight = 0x27, kStart = 0x26, kA = 0x14,
                    kB = 0x15, kC = 0x16, kX = 0x22, kY = 0x23, kZ = 0x24, kMode = 0x30;
}

}  // namespace varn::test
