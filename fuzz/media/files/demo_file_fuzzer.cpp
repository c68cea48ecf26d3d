// Demo files of arbitrary bytes as Load Demo reads them: written to disk, loaded and played
// frame by frame through the input update, with the 68000 side reading both ports.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/config.h"
#include "base/host.h"
#include "genesis/io/controller_ports.h"
#include "genesis/io/demo_stream.h"
#include "genesis/io/input_update.h"
#include "media/demo_file.h"

namespace {

constexpr varn::u32 kMaxFrames = 1000;  // long waits are valid; bound the run

const std::filesystem::path& scratch_file() {
    static const std::filesystem::path p =
        std::filesystem::temp_directory_path() /
        ("varn_demo_file_fuzz_" + std::to_string(::getpid()) + ".DEM");
    return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varn;
    static RecordingHost host;
    input_reset_records();
    input_power_on();
    input_apply_config();
    std::ofstream(scratch_file(), std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!demo_file_play(scratch_file(), host)) return 0;
    for (u32 frame = 0; frame < kMaxFrames && demo_mode.load() == 1; ++frame) {
        input_frame_update(host);
        for (u32 port = 0; port < kPorts; ++port) {
            controller_port_write(port, static_cast<u8>(frame * 0x35));
            (void)controller_port_read(port);
        }
    }
    return 0;
}
