// Runs the input as a program on the main 68000 core and the earlier release's core in
// lockstep (tests/support/m68k_differential.h, which gives the input layout). Any difference
// outside the named intended ones is a crash.

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "support/m68k_differential.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const varn::test::DiffResult r = varn::test::run_differential({data, size}, 256);
    if (r.differs) {
        std::fprintf(stderr, "%s\n", r.detail.c_str());
        __builtin_trap();
    }
    return 0;
}
