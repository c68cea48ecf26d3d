// State files as Load State reads them. Byte 0 bit 0 clear: the rest is an own state file,
// read from disk; set: the rest is a Genecyst file image. Either the load succeeds or it is
// refused and the machine is exactly as it was (the state it saves is the same to the byte).

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "compose/compose.h"
#include "genesis/runtime/power_on.h"
#include "genesis/state/save_state.h"
#include "media/state_file.h"
#include "runtime/machine_table.h"
#include "runtime/sound_output.h"

namespace {

using namespace varn;

std::vector<u8> before(kStateMaxBytes);
std::vector<u8> after(kStateMaxBytes);

const std::filesystem::path& scratch_file() {
    static const std::filesystem::path p =
        std::filesystem::temp_directory_path() /
        ("varn_state_file_fuzz_" + std::to_string(::getpid()) + ".VK0");
    return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = [] {
        compose_varn();
        genesis_power_on_machine();
        machine_kind = kMachineGenesis;
        return true;
    }();
    (void)ready;
    if (size == 0) return 0;
    before.resize(kStateMaxBytes);
    before.resize(state_save(before));

    const std::span<const u8> file(data + 1, size - 1);
    MediaResult result;
    if ((data[0] & 1) == 0) {
        std::ofstream(scratch_file(), std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()),
                   static_cast<std::streamsize>(file.size()));
        result = state_file_load(scratch_file());
    } else {
        result = gs_state_import(file);
    }

    after.resize(kStateMaxBytes);
    after.resize(state_save(after));
    if (!result && after != before) std::abort();  // a refused file changed the machine
    if (result) genesis_power_on_machine();        // the next input starts from power-on
    return 0;
}
