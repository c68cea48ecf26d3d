#include "cddrive/cd_msf.h"

namespace varn {

u32 toc_entry_start(std::span<const u8> toc, u32 index) {
    const std::size_t at = kTocHeaderBytes + std::size_t{index} * kTocEntryBytes + 4;
    if (at + 4 > toc.size()) return 0;
    return u32{toc[at]} << 24 | u32{toc[at + 1]} << 16 | u32{toc[at + 2]} << 8 | toc[at + 3];
}

s32 toc_find_track(std::span<const u8> toc, u32 frames) {
    for (u32 i = 0; i < kTocEntries; ++i) {
        const u32 start = toc_entry_start(toc, i);
        if (start == frames) return static_cast<s32>(i * kTocEntryBytes);
        if (start > frames) return static_cast<s32>(i * kTocEntryBytes) - s32{kTocEntryBytes};
    }
    return static_cast<s32>((kTocEntries - 1) * kTocEntryBytes);
}

}  // namespace varn
