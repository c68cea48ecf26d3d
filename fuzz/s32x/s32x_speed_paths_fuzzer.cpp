// The speed paths on random 32X code: the random cartridge of the 32X machine target (layout
// in s32x_machine_fuzzer.cpp) runs twice from the same power-on, with the speed paths on and
// with every instruction run plainly, and the two runs must agree at every slice end, the
// 32X unit's parts included. A difference is reported with the slice and the parts that
// differ, then the target stops.

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "e2e/e2e_machine.h"
#include "s32x/s32x.h"
#include "s32x_fuzz_image.h"
#include "support/machine_compare_32x.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varn;
    if (size < fuzz::kCodeIn + 2) return 0;
    const auto image = fuzz::build_image(data, size);
    const u64 frames = 1 + (data[0] & 3);
    const test::SpeedPathComparison r =
        test::compare_speed_paths_32x([&] { test::e2e_power_on(image, true); }, frames);
    s32x_set_fitted(false);
    s32x_reset();
    test::e2e_power_off();
    if (!r.same) {
        std::fprintf(stderr, "speed paths differ from plain execution at %s\n", r.what.c_str());
        __builtin_trap();
    }
    return 0;
}
