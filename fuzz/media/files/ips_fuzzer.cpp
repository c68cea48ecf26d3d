// IPS patches of arbitrary bytes over a small image buffer: a patch is applied within the
// buffer, or refused with the buffer and the image size untouched.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "media/ips_patch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varn;
    // A buffer far smaller than the patch's reach, so that records pass its end.
    static std::vector<u8> image(0x10000);
    static std::vector<u8> copy(0x10000);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<u8>(i * 7);
    copy            = image;
    u32 image_size  = size > 0 ? 0x100u * data[0] : 0;
    const u32 given = image_size;

    const auto result = ips_apply(std::span<const u8>(data, size), image, image_size);
    if (image_size > image.size()) std::abort();
    if (!result && (image_size != given || image != copy)) std::abort();
    return 0;
}
