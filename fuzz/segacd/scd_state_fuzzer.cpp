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
#include <cstring>
#include <vector>

#include "base/endian.h"
#include "genesis/runtime/power_on.h"
#include "genesis/state/save_state.h"
#include "segacd/scd_state.h"
#include "segacd/segacd.h"

namespace {

using namespace varn;

std::vector<u8> base_state;
std::vector<u8> before;
std::vector<u8> after;

void power_on_once() {
    if (!base_state.empty()) return;
    emu_components_init();
    scd_sub_cpu_init();
    scd_power_on();
    const std::size_t max = kStateMaxBytes + kScdStateMaxBytes;
    base_state.resize(max);
    before.resize(max);
    after.resize(max);
    base_state.resize(scd_state_save(base_state));
    if (base_state.empty()) std::abort();
}

std::vector<u8> patched_state(const u8* data, std::size_t size) {
    if (size < 5) return base_state;
    std::vector<u8> s = base_state;
    s.resize(load_le32(data + 1) % (s.size() + 1));
    for (std::size_t i = 5; i + 5 <= size && !s.empty(); i += 5)
        s[load_le32(data + i) % s.size()] = data[i + 4];
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    power_on_once();
    if (size == 0) return 0;
    const std::vector<u8> input =
        (data[0] & 1) ? patched_state(data, size) : std::vector<u8>(data + 1, data + size);

    const u32 before_size = scd_state_save(before);
    if (scd_state_load(input) != 0) {
        const u32 after_size = scd_state_save(after);
        if (after_size != before_size || std::memcmp(before.data(), after.data(), after_size))
            std::abort();  // a failed load changed the machine
    } else {
        const u32 saved = scd_state_save(after);
        if (saved == 0 || scd_state_load(std::span<const u8>(after.data(), saved)) != 0)
            std::abort();  // a loaded machine must save a state that loads
    }
    return 0;
}
