// The state loader and the Genecyst register import read whole files. Whatever the bytes, a
// load either succeeds, and the machine saves a state that loads again, or fails and leaves
// the machine exactly as it was (the state it saves is the same to the byte).
//
// Input byte 0 chooses the form: bit 0 clear, the bytes are the file; bit 0 set, a valid
// state of the powered-on machine is cut to the length in bytes 1-4 (modulo its size + 1)
// and patched by the 5-byte records that follow (offset, value), so that the walk reaches
// deep into well-framed streams.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "base/config.h"
#include "compose/compose.h"
#include "genesis/runtime/power_on.h"
#include "genesis/state/save_state.h"
#include "support/state_fuzz.h"

namespace {

using namespace varn;

std::vector<u8> base_state;
std::vector<u8> before(kStateMaxBytes);
std::vector<u8> after(kStateMaxBytes);

void power_on_once() {
    if (!base_state.empty()) return;
    compose_varn();
    genesis_power_on_machine();
    cfg_set(cfg_brm_in_states, 1);
    base_state.resize(kStateMaxBytes);
    base_state.resize(state_save(base_state));
    if (base_state.empty()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    power_on_once();
    if (size == 0) return 0;
    const std::vector<u8> input = fuzz::state_from_input(base_state, data, size);
    fuzz::check_state_load(state_save, state_load, input, before, after);
    (void)gs_state_load_registers(input);
    return 0;
}
