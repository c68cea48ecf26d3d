// The Z80's readers of outside bytes: the state chunk (length, then data) and the Genecyst
// register block. Whatever the bytes, loading must stay in bounds, and a loaded core must run
// a slice without touching memory it does not own.

#include <cstddef>
#include <cstdint>
#include <span>

#include "base/byte_io.h"
#include "genesis/z80/genesis_z80.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varn;
    static const bool ready = (z80_reset_records(), true);
    (void)ready;
    const std::span<const u8> bytes(data, size);

    z80_reset_records();
    ByteReader in(bytes);
    if (z80_load_state_chunk(in)) {
        z80_context.slice_budget = -200;
        z80_run();
    }
    z80_reset_records();
    if (z80_load_gs_registers(bytes)) {
        z80_context.slice_budget = -200;
        z80_run();
    }
    return 0;
}
