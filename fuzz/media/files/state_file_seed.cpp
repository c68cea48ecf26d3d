// Writes the state-file target's seed: a whole state file of the machine the target powers
// on, behind the byte that says "an own state file". Mutations of it reach every chunk
// loader with well-framed blocks, which the fuzzer seldom builds from nothing.

#include <cstdio>
#include <fstream>
#include <vector>

#include "genesis/runtime/power_on.h"
#include "genesis/state/save_state.h"
#include "runtime/machine_table.h"

int main(int argc, char** argv) {
    using namespace varn;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SEED-FILE\n", argv[0]);
        return 2;
    }
    emu_components_init();
    genesis_power_on_machine();
    machine_kind = kMachineGenesis;
    std::vector<u8> state(kStateMaxBytes);
    state.resize(state_save(state));
    if (state.empty()) return 1;
    std::ofstream out(argv[1], std::ios::binary);
    out.put(0);
    out.write(reinterpret_cast<const char*>(state.data()),
              static_cast<std::streamsize>(state.size()));
    return out ? 0 : 1;
}
