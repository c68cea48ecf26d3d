#pragma once
// What the state-loader fuzz targets share: turning an input into a state stream (either the
// raw bytes, or a saved state of the powered-on machine cut to a length and patched byte by
// byte, which reaches deep into the chunks), and the loader's contract: a failed load leaves
// the machine as it was, a successful one leaves a machine whose own state loads again.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "base/endian.h"
#include "base/types.h"

namespace varn::fuzz {

// Input byte 0 bit 0 picks the form; the patched form reads a length word at 1 and then
// (offset word, byte) pairs of five bytes.
inline std::vector<u8> state_from_input(const std::vector<u8>& base, const u8* data,
                                        std::size_t size) {
    if ((data[0] & 1) == 0) return std::vector<u8>(data + 1, data + size);
    if (size < 5) return base;
    std::vector<u8> s = base;
    s.resize(load_le32(data + 1) % (s.size() + 1));
    for (std::size_t i = 5; i + 5 <= size && !s.empty(); i += 5)
        s[load_le32(data + i) % s.size()] = data[i + 4];
    return s;
}

// Aborts when `load` breaks the contract; `before` and `after` are scratch buffers of the
// largest state size.
template <typename Save, typename Load>
void check_state_load(Save save, Load load, std::span<const u8> input, std::vector<u8>& before,
                      std::vector<u8>& after) {
    const u32 before_size = save(std::span<u8>(before));
    if (load(input) != 0) {
        const u32 after_size = save(std::span<u8>(after));
        if (after_size != before_size || std::memcmp(before.data(), after.data(), after_size))
            std::abort();  // a failed load changed the machine
    } else {
        const u32 saved = save(std::span<u8>(after));
        if (saved == 0 || load(std::span<const u8>(after.data(), saved)) != 0)
            std::abort();  // a loaded machine must save a state that loads
    }
}

}  // namespace varn::fuzz
