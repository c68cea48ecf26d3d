// The cue-sheet scan, track lengths and the disc they make, over any text. The tables stay
// within their limits whatever the sheet holds, and the disc's tracks never run backwards.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "media/cue_sheet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varn;
    const std::span<const u8> sheet(data, size);
    static CueTables t;
    cue_scan(sheet, t);
    if (t.file_count > kCueMaxFiles || t.track_count > kCueMaxTracks) std::abort();
    for (u32 f = 0; f < t.file_count; ++f) {
        if (t.files[f].name.size() > kCueNameBytes) std::abort();
        // Sizes of every kind, up to the largest a file record holds.
        t.files[f].size = f * 0x9E3779B9u ^ static_cast<u32>(size);
    }
    for (u32 i = 0; i < t.track_count; ++i) {
        if (t.tracks[i].file >= t.file_count) std::abort();
    }
    cue_compute_lengths(t);
    (void)cue_first_track_layout(sheet);
    const CueDiscLayout d = cue_disc_layout(t);
    for (u32 i = 0; i < d.track_count; ++i) {
        if (d.start[i + 1] < d.start[i]) std::abort();
    }
    return 0;
}
