#pragma once
// The per-frame input update and the front end's key-definition helpers.
//
// At every frame end the runtime calls `input_frame_update` with its host: the host's
// devices are polled into `input_host_state`, F12 drives fast-forward, and each port's
// read tables are rebuilt from its player slots' input sources, or from the demo stream
// while a demo plays; a recording takes the frame's input last.

#include <array>

#include "base/host.h"
#include "base/types.h"

namespace varn {

// The host devices as polled this frame.
extern HostInputState input_host_state;

// What the input update needs of the runtime: fast-forward while F12 is held (each edge
// calls once). Null entries do nothing.
struct InputRuntimeSlots {
    void (*fast_forward_on)()  = nullptr;
    void (*fast_forward_off)() = nullptr;
};
extern InputRuntimeSlots input_runtime_slots;

inline constexpr u32 kKeyFastForward = 0x58;  // F12

void input_frame_update(Host& host);

// Define Input dialog helpers, on what the front end polled:
// the lowest key code whose state byte is not 0, else -1;
int input_first_key_down(const HostInputState& state);
// 0x30 + the lowest joystick button whose byte is not 0, else -1.
int input_first_button_down(const HostInputState& state);

// Joystick calibration: widens the range seen so far by the current axis values.
struct JoystickRange {
    u32 min_x = 0xFFFFFFFF;
    u32 max_x = 0;
    u32 min_y = 0xFFFFFFFF;
    u32 max_y = 0;
};
void input_read_joystick_axes(const HostInputState& state, JoystickRange& range);

// Frame-to-frame state of the update (F12, polled state) back to program start (tests).
void input_update_reset();

}  // namespace varn
