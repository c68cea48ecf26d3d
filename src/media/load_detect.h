#pragma once
// What an image file is: which console it belongs to (the load mode) and how its bytes are
// laid out (the load type).
//
// The decision comes from the file's extension together with the filter the user picked
// in the file dialog. The header tests then look for the console's signature where each
// layout puts it; they only confirm or question that decision (a disagreement is a warning,
// the extension wins).

#include <array>
#include <span>
#include <string_view>

#include "base/types.h"
#include "settings/lang_texts.h"

namespace varn {

// Layouts (`load_type`).
inline constexpr u32 kLoadUnknown     = 0;
inline constexpr u32 kLoadPlain       = 1;  // the image as the console sees it (also ISO)
inline constexpr u32 kLoadInterleaved = 2;  // copier layout: 512-byte header, 16 KB blocks
inline constexpr u32 kLoadHalfSplit   = 3;  // odd bytes in the first half, even in the second
inline constexpr u32 kLoadRawCd       = 4;  // CD image of raw 2352-byte sectors
inline constexpr u32 kLoadCueSheet    = 5;

// Consoles (`load_mode`), the machine kind shifted left by 4.
inline constexpr u32 kModeUnknown = 0;
inline constexpr u32 kModeGenesis = 16;
inline constexpr u32 kMode32x     = 32;
inline constexpr u32 kModeSegaCd  = 64;
inline constexpr u32 kModeSms     = 128;

struct LoadKind {
    u32 type = kLoadUnknown;
    u32 mode = kModeUnknown;

    bool known() const { return type != kLoadUnknown && mode != kModeUnknown; }
    // Two decisions agree when the OR of type and mode is the same (the values occupy
    // separate bits, so this compares both at once).
    bool agrees_with(const LoadKind& other) const {
        return (type | mode) == (other.type | other.mode);
    }
    friend bool operator==(const LoadKind&, const LoadKind&) = default;
};

// The extension (without its dot, any case) and the chosen filter (`lang::kFilter...`) to layout
// and console. A pairing the table does not know leaves both unknown; some extensions fix the
// layout under every filter but the console only under their own.
LoadKind detect_load_kind(std::string_view extension, u32 filter_index);

// The four header tests. Each reads 4 bytes at fixed offsets through `read4` (which
// returns false when those bytes do not exist) and returns the layout and console it
// recognises, or an unknown kind.
class ProbeSource {
  public:
    virtual ~ProbeSource()                                       = default;
    virtual bool read4(u32 offset, std::array<u8, 4>& out) const = 0;
};

LoadKind probe_header(const ProbeSource& src);  // plain image: the console header
LoadKind probe_smd(const ProbeSource& src);     // interleaved: its odd header bytes
LoadKind probe_md(const ProbeSource& src);      // half-split: the same, in the first half
LoadKind probe_raw_cd(const ProbeSource& src);  // raw sectors: the disc header of sector 0
// The four in that order; the first hit wins.
LoadKind probe_all(const ProbeSource& src);

// A probe source over bytes in memory (the first chunk of a stream).
class SpanProbeSource final : public ProbeSource {
  public:
    explicit SpanProbeSource(std::span<const u8> bytes) : bytes_(bytes) {}
    bool read4(u32 offset, std::array<u8, 4>& out) const override;

  private:
    std::span<const u8> bytes_;
};

// A probe source over an open file (reads with pread; the file position is not used).
class FileProbeSource final : public ProbeSource {
  public:
    FileProbeSource(int fd, u64 size) : fd_(fd), size_(size) {}
    bool read4(u32 offset, std::array<u8, 4>& out) const override;

  private:
    int fd_;
    u64 size_;
};

// Reads up to dest.size() bytes of a file at `offset`: the count read (short at the file's
// end), or -1 on a read error.
s64 file_read_at(int fd, std::span<u8> dest, u64 offset);

// The extension of a file name: the text after its last dot, or empty when the last
// path component has no dot.
std::string_view file_extension(std::string_view name);
// The name without any folder ('/' or '\' separated).
std::string_view file_base_name(std::string_view name);
// Case-insensitive ASCII comparison.
bool equal_nocase(std::string_view a, std::string_view b);

}  // namespace varn
