#include "media/load_detect.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace varn {

namespace {

struct DetectRow {
    std::string_view extension;
    u32 filter;  // 0: layout under every filter, console only under `mode_filter`
    u32 mode_filter;
    u32 type;
    u32 mode;
};

// Where the table lists no filter the layout holds under any of them and the console only
// under the filter named.
constexpr DetectRow kDetectTable[] = {
    {"BIN", lang::kFilterGenesis, 0, kLoadPlain, kModeGenesis},
    {"BIN", lang::kFilterSegaCd, 0, kLoadRawCd, kModeSegaCd},
    {"SMD", 0, lang::kFilterGenesis, kLoadInterleaved, kModeGenesis},
    {"MD", 0, lang::kFilterGenesis, kLoadHalfSplit, kModeGenesis},
    {"GEN", 0, lang::kFilterGenesis, kLoadPlain, kModeGenesis},
    {"32X", 0, lang::kFilter32x, kLoadPlain, kMode32x},
    {"CUE", lang::kFilterCue, 0, kLoadCueSheet, kModeSegaCd},
    {"ISO", lang::kFilterSegaCd, 0, kLoadPlain, kModeSegaCd},
    {"RAW", lang::kFilterSegaCd, 0, kLoadRawCd, kModeSegaCd},
    {"SMS", lang::kFilterSms, 0, kLoadPlain, kModeSms},
};

struct ProbeRow {
    u32 offset;
    const char* text;
    u32 type;
    u32 mode;
};

// The interleaved and half-split texts are the odd-addressed bytes of the console header's
// "SEGA 32X", "SEGA GENESIS" and "SEGA MEGA DRIVE".
constexpr ProbeRow kHeaderRows[] = {
    {0x004, "DISC", kLoadPlain, kModeSegaCd},  {0x105, "32X ", kLoadPlain, kMode32x},
    {0x105, "GENE", kLoadPlain, kModeGenesis}, {0x105, "MEGA", kLoadPlain, kModeGenesis},
    {0x7FF4, "SEGA", kLoadPlain, kModeSms},
};
constexpr ProbeRow kSmdRows[] = {
    {0x280, "EA3X", kLoadInterleaved, kMode32x},
    {0x280, "EAGN", kLoadInterleaved, kModeGenesis},
    {0x280, "EAMG", kLoadInterleaved, kModeGenesis},
};
constexpr ProbeRow kMdRows[] = {
    {0x80, "EA3X", kLoadHalfSplit, kMode32x},
    {0x80, "EAGN", kLoadHalfSplit, kModeGenesis},
    {0x80, "EAMG", kLoadHalfSplit, kModeGenesis},
};
constexpr ProbeRow kRawCdRows[] = {
    {0x14, "DISC", kLoadRawCd, kModeSegaCd},
};

template <std::size_t N>
LoadKind run_rows(const ProbeSource& src, const ProbeRow (&rows)[N]) {
    for (const auto& row : rows) {
        std::array<u8, 4> bytes{};
        if (!src.read4(row.offset, bytes)) continue;
        if (std::memcmp(bytes.data(), row.text, 4) == 0) return {row.type, row.mode};
    }
    return {};
}

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool equal_nocase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return upper(x) == upper(y); });
}

std::string_view file_base_name(std::string_view name) {
    const auto slash = name.find_last_of("/\\");
    return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

std::string_view file_extension(std::string_view name) {
    const auto base = file_base_name(name);
    const auto dot  = base.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : base.substr(dot + 1);
}

LoadKind detect_load_kind(std::string_view extension, u32 filter_index) {
    for (const auto& row : kDetectTable) {
        if (!equal_nocase(extension, row.extension)) continue;
        if (row.filter != 0) {
            if (row.filter == filter_index) return {row.type, row.mode};
            continue;
        }
        return {row.type, filter_index == row.mode_filter ? row.mode : kModeUnknown};
    }
    return {};
}

bool SpanProbeSource::read4(u32 offset, std::array<u8, 4>& out) const {
    if (offset > bytes_.size() || bytes_.size() - offset < 4) return false;
    std::memcpy(out.data(), bytes_.data() + offset, 4);
    return true;
}

s64 file_read_at(int fd, std::span<u8> dest, u64 offset) {
    std::size_t done = 0;
    while (done < dest.size()) {
        const ssize_t n =
            ::pread(fd, dest.data() + done, dest.size() - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<s64>(done);
}

bool FileProbeSource::read4(u32 offset, std::array<u8, 4>& out) const {
    if (offset + 4ull > size_) return false;
    return file_read_at(fd_, out, offset) == 4;
}

LoadKind probe_header(const ProbeSource& src) { return run_rows(src, kHeaderRows); }
LoadKind probe_smd(const ProbeSource& src) { return run_rows(src, kSmdRows); }
LoadKind probe_md(const ProbeSource& src) { return run_rows(src, kMdRows); }
LoadKind probe_raw_cd(const ProbeSource& src) { return run_rows(src, kRawCdRows); }

LoadKind probe_all(const ProbeSource& src) {
    for (auto* probe : {probe_header, probe_smd, probe_md, probe_raw_cd}) {
        if (const LoadKind hit = probe(src); hit.type != kLoadUnknown) return hit;
    }
    return {};
}

}  // namespace varn
