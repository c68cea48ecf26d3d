// The Sega CD state loader over a powered-on Sega CD machine. Whatever the bytes, a load
// either succeeds, and the machine saves a state that loads again, or fails and leaves the
// machine exactly as it was (the state it saves is the same to the byte).
//
// Input byte 0 chooses the form: bit 0 clear, the bytes are the stream; bit 0 set, a valid
// state of the machine (Genesis block and Sega CD block) is cut to the length in bytes 1-4
// (modulo its size + 1) and patched by the 5-byte records that follow (offset, value), so
// that the walk reaches deep into well-framed chunks.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "compose/compose.h"
#include "genesis/runtime/power_on.h"
#include "genesis/state/save_state.h"
#include "runtime/machine_table.h"
#include "segacd/scd_state.h"
#include "segacd/segacd.h"
#include "support/state_fuzz.h"

namespace {

using namespace varn;

std::vector<u8> base_state;
std::vector<u8> before;
std::vector<u8> after;

void power_on_once() {
    if (!base_state.empty()) return;
    compose_varn();
    scd_sub_cpu_init();
    scd_power_on();
    machine_kind          = kMachineSegaCd;  // the Sega CD block loads only into a running Sega CD
    const std::size_t max = kStateMaxBytes + kScdStateMaxBytes;
    base_state.resize(max);
    before.resize(max);
    after.resize(max);
    base_state.resize(scd_state_save(base_state));
    if (base_state.empty()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    power_on_once();
    if (size == 0) return 0;
    const std::vector<u8> input = fuzz::state_from_input(base_state, data, size);
    fuzz::check_state_load(scd_state_save, scd_state_load, input, before, after);
    return 0;
}
