// Fuzzes the CRC call of the naming library with arbitrary image bytes, sizes and swap
// arguments. The input is the image itself followed by one byte for the swap argument, so
// real dumps serve as seeds; the size passed is the image's length, which libFuzzer varies.

#include <cstddef>
#include <cstdint>

#include "romnamer/namer_api.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // -1, 0, 1, 2 and everything else between -128 and 127.
    const int swap = static_cast<std::int8_t>(data[size - 1]);
    (void)kestgen_CRC(data, static_cast<unsigned>(size - 1), swap);
    return 0;
}
