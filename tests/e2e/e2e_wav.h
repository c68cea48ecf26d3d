#pragma once
// The sound of a test run as a 16-bit mono WAV at 44,100 Hz, to listen to before recording
// new CRCs. A file that cannot be written is simply not there: dumps are a review aid.

#include <cstdio>
#include <span>
#include <string>

#include "base/endian.h"
#include "base/types.h"

namespace varn::test {

inline void e2e_write_wav(const std::string& path, std::span<const s16> samples) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return;
    const u32 data = static_cast<u32>(samples.size() * 2);
    u8 hdr[44]     = {'R', 'I', 'F', 'F', 0,  0, 0,   0,   'W', 'A',  'V',  'E', 'f', 'm',  't',
                      ' ', 16,  0,   0,   0,  1, 0,   1,   0,   0x44, 0xAC, 0,   0,   0x88, 0x58,
                      1,   0,   2,   0,   16, 0, 'd', 'a', 't', 'a',  0,    0,   0,   0};
    store_le32(hdr + 4, 36 + data);
    store_le32(hdr + 40, data);
    std::fwrite(hdr, 1, sizeof hdr, f);
    for (const s16 v : samples) {
        u8 le[2];
        store_le16(le, static_cast<u16>(v));
        std::fwrite(le, 1, 2, f);
    }
    std::fclose(f);
}

}  // namespace varn::test
