// Demo playback of arbitrary bytes: the stream is loaded as a demo file would be and played
// frame by frame through the input update, with the 68000 side stepping and reading both
// ports between frames.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base/config.h"
#include "base/host.h"
#include "genesis/io/controller_ports.h"
#include "genesis/io/demo_stream.h"
#include "genesis/io/input_update.h"

namespace {

constexpr varn::u32 kMaxFrames = 1000;  // long waits are valid; bound the run

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace varn;
    static RecordingHost host;
    input_reset_records();
    input_power_on();
    // Port configuration to return to when playback ends: taken from the first byte.
    const u8 config = size > 0 ? data[0] : 0;
    cfg_set(cfg_port_device[0], config % 6);
    cfg_set(cfg_port_device[1], (config / 6) % 6);
    input_apply_config();

    const size_t length = std::min<size_t>(size, kDemoBufferBytes);
    if (length > 0) std::memcpy(demo_buffer.data(), data, length);
    demo_mode = 1;
    if (!demo_playback_start(static_cast<u32>(length), host)) return 0;

    for (u32 frame = 0; frame < kMaxFrames && demo_mode.load() == 1; ++frame) {
        input_frame_update(host);
        for (u32 port = 0; port < kPorts; ++port) {
            for (u32 step = 0; step < 8; ++step) {
                controller_port_write(port, static_cast<u8>((frame + step) * 0x35));
                (void)controller_port_read(port);
            }
            controller_port_timeout(port);
        }
    }
    return 0;
}
