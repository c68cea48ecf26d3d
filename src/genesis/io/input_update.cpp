#include "genesis/io/input_update.h"

#include <algorithm>

#include "genesis/io/controller_ports.h"
#include "genesis/io/demo_stream.h"
#include "genesis/io/input_devices.h"
#include "genesis/vdp/render_output.h"

namespace varn {

HostInputState input_host_state{};
InputRuntimeSlots input_runtime_slots{};

namespace {

u32 fast_forward_key_down = 0;

void fast_forward_edge() {
    const u32 now = (input_host_state.keyboard[kKeyFastForward] >> 7) & 1;
    if (now == fast_forward_key_down) return;
    fast_forward_key_down = now;
    void (*const act)() =
        now ? input_runtime_slots.fast_forward_on : input_runtime_slots.fast_forward_off;
    if (act) act();
}

void live_port(u32 port) {
    const u32 first_slot = port * kSubPortsPerTap;
    ButtonBlock block;
    input_source_read(first_slot, input_host_state, block);
    input_device_run(port, first_slot + 1, block, input_host_state);
}

}  // namespace

void input_frame_update(Host& host) {
    // Movement is what happened since the last poll; a host that reads nothing has none.
    input_host_state.mouse.dx = 0;
    input_host_state.mouse.dy = 0;
    host.poll_input(input_host_state);

    fast_forward_edge();
    overlay_text.text[0] = 0;

    if (demo_mode.load(std::memory_order_relaxed) == 1) {
        demo_playback_step(host);
        return;
    }
    live_port(0);
    live_port(1);
    demo_event_writer();
}

int input_first_key_down(const HostInputState& state) {
    for (u32 i = 0; i < state.keyboard.size(); ++i)
        if (state.keyboard[i] != 0) return static_cast<int>(i);
    return -1;
}

int input_first_button_down(const HostInputState& state) {
    for (u32 i = 0; i < state.joystick.buttons.size(); ++i)
        if (state.joystick.buttons[i] != 0) return static_cast<int>(kJoystickButtonOffset + i);
    return -1;
}

void input_read_joystick_axes(const HostInputState& state, JoystickRange& range) {
    range.min_x = std::min(range.min_x, state.joystick.x);
    range.max_x = std::max(range.max_x, state.joystick.x);
    range.min_y = std::min(range.min_y, state.joystick.y);
    range.max_y = std::max(range.max_y, state.joystick.y);
}

void input_update_reset() {
    input_host_state      = HostInputState{};
    input_runtime_slots   = InputRuntimeSlots{};
    fast_forward_key_down = 0;
    gun_screen            = GunScreen{};
}

}  // namespace varn
