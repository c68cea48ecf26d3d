#include "media/ips_patch.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/byte_io.h"
#include "settings/lang_texts.h"

namespace varn {

namespace {

constexpr u8 kMagic[5]   = {'P', 'A', 'T', 'C', 'H'};
constexpr u32 kEofMarker = 0x454F46;  // "EOF" read as an offset
constexpr u32 kCutBytes  = 3;

struct IpsRecord {
    u32 offset = 0;
    u32 length = 0;
    std::span<const u8> data;  // empty for a run
    u8 run_value = 0;
};

// The outcome of walking a patch: whether it is whole, and its cut length if it has one.
struct IpsWalk {
    bool valid = false;
    std::optional<u32> cut;
};

// Walks the records from the magic to the "EOF" marker, handing each to `visit`. The walk
// ends at the end of the file whatever the records claim, so no patch can make it run on.
template <class Visit>
IpsWalk walk_records(std::span<const u8> patch, Visit&& visit) {
    ByteReader in(patch);
    std::span<const u8> magic;
    if (!in.read_view(sizeof kMagic, magic) || !std::equal(magic.begin(), magic.end(), kMagic)) {
        return {};
    }
    for (;;) {
        u8 b[3];
        if (!in.read_bytes(b)) return {};  // the file ends without "EOF"
        IpsRecord r;
        r.offset = static_cast<u32>(b[0] << 16 | b[1] << 8 | b[2]);
        if (r.offset == kEofMarker) break;
        u16 length = 0;
        if (!in.read_be16(length)) return {};
        if (length != 0) {
            r.length = length;
            if (!in.read_view(length, r.data)) return {};
        } else {
            u16 count = 0;
            if (!in.read_be16(count) || !in.read_u8(r.run_value)) return {};
            r.length = count;
        }
        visit(r);
    }
    IpsWalk walk{true, {}};
    const auto tail        = patch.last(3);
    const bool ends_in_eof = tail[0] == 'E' && tail[1] == 'O' && tail[2] == 'F';
    if (in.remaining() == kCutBytes && !ends_in_eof) {
        u8 b[3];
        in.read_bytes(b);
        walk.cut = static_cast<u32>(b[0] << 16 | b[1] << 8 | b[2]);
    } else if (in.remaining() != 0) {
        // Bytes after the marker: the patch still counts when the file itself ends in "EOF"
        // (its records end at the first marker), as older tools wrote them.
        walk.valid = ends_in_eof;
    }
    return walk;
}

}  // namespace

MediaResult ips_apply(std::span<const u8> patch, std::span<u8> image, u32& image_size) {
    // First pass: the patch must be whole before any byte of the image changes.
    if (!walk_records(patch, [](const IpsRecord&) {}).valid) {
        return MediaResult::failed(lang_text(lang::ERM_FIO_IP));
    }
    const std::size_t capacity = image.size();
    std::size_t size           = std::min<std::size_t>(image_size, capacity);
    const IpsWalk walk         = walk_records(patch, [&](const IpsRecord& r) {
        if (r.offset >= capacity) return;
        const std::size_t n = std::min<std::size_t>(r.length, capacity - r.offset);
        const auto at       = image.begin() + r.offset;
        if (r.data.empty()) {
            std::fill_n(at, n, r.run_value);
        } else {
            std::copy_n(r.data.begin(), n, at);
        }
        size = std::max(size, r.offset + n);
    });
    if (walk.cut) {
        const std::size_t cut = std::min<std::size_t>(*walk.cut, capacity);
        if (cut < size) std::fill(image.begin() + cut, image.begin() + size, u8{0});
        size = cut;
    }
    image_size = static_cast<u32>(size);
    return MediaResult::ok();
}

MediaResult ips_patch_file(const std::filesystem::path& path, std::span<u8> image,
                           u32& image_size) {
    std::vector<u8> patch;
    const auto read = read_file_capped(path, kIpsFileCap, patch);
    if (read.status == FileReadStatus::kCannotOpen) return MediaResult::not_opened(read.error);
    if (read.status == FileReadStatus::kTooLarge)
        return MediaResult::failed(lang_text(lang::ERM_FIO_IP));
    if (!read) return MediaResult::failed(read.error);
    return ips_apply(patch, image, image_size);
}

}  // namespace varn
