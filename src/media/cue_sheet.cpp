#include "media/cue_sheet.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "media/image_loader.h"
#include "media/load_detect.h"
#include "media/media_ui.h"
#include "memory/memory.h"
#include "settings/lang_texts.h"

namespace varn {

CueTables cue_tables;

namespace {

constexpr std::size_t kNone = std::string_view::npos;

// An archive entry may declare any size; a CD holds at most about 870 MB of sectors, so more
// than this is no disc image and is never allocated.
constexpr u64 kMemoryImageCap = 1ull << 30;

u8 upper(u8 c) { return c >= 'a' && c <= 'z' ? static_cast<u8>(c - 0x20) : c; }

// First case-insensitive match of `needle` in text[from, to), or kNone.
std::size_t find_nocase(std::span<const u8> text, std::size_t from, std::size_t to,
                        std::string_view needle) {
    to = std::min(to, text.size());
    if (needle.empty() || from >= to || to - from < needle.size()) return kNone;
    for (std::size_t i = from; i + needle.size() <= to; ++i) {
        std::size_t k = 0;
        while (k < needle.size() && upper(text[i + k]) == upper(static_cast<u8>(needle[k]))) ++k;
        if (k == needle.size()) return i;
    }
    return kNone;
}

// A line ends at a carriage return or a line feed (sheets come with either), or with the
// text.
std::size_t line_end(std::span<const u8> text, std::size_t from) {
    for (std::size_t i = from; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') return i;
    }
    return text.size();
}

// One character of a time field: a hexadecimal digit's value, anything else 0.
u32 digit(u8 c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = upper(c);
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

// The start of an INDEX line "INDEX nn mm:ss:ff" in frames: two characters before its first
// colon are the minutes, two after it the seconds, two after the next separator the frames.
// A field that does not fit on the line reads as 0.
u32 index_start(std::span<const u8> text, std::size_t line, std::size_t end) {
    const std::size_t colon = find_nocase(text, line, end, ":");
    if (colon == kNone || colon < line + 2 || colon + 5 >= end) return 0;
    auto pair         = [&](std::size_t at) { return digit(text[at]) * 10 + digit(text[at + 1]); };
    const u32 minutes = pair(colon - 2);
    const u32 seconds = pair(colon + 1);
    const u32 frames  = pair(colon + 4);
    return (minutes * 60 + seconds) * kCdFramesPerSec + frames;
}

u8 track_mode(std::span<const u8> text, std::size_t line, std::size_t end, u8 file_type) {
    if (file_type != kCueFileBinary) return file_type;
    if (find_nocase(text, line, end, "/2048") != kNone) return kCueMode1_2048;
    if (find_nocase(text, line, end, "/2352") != kNone) return kCueMode1_2352;
    if (find_nocase(text, line, end, "AUDIO") != kNone) return kCueModeAudio;
    return kCueModeUnknown;
}

void show(const std::string& text) { media_ui().message_box(text); }

// A track file's path: names in the sheet are relative to the sheet's folder.
std::string track_file_path(const std::string& name) {
    std::filesystem::path p(name);
    if (p.is_relative() && !image_loader.image_folder.empty())
        p = std::filesystem::path(image_loader.image_folder) / p;
    return p.string();
}

bool plain_file_exists(const std::string& name) {
    struct stat st {};
    return ::stat(track_file_path(name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool source_has(const std::string& name) {
    if (image_loader.image_source == kSourceFile) return plain_file_exists(name);
    return image_loader.archive != nullptr && image_loader.archive->select(name);
}

// The file's size in bytes, or -1 when it cannot be found.
s64 cue_file_size(const CueFile& f) {
    if (image_loader.image_source == kSourceFile) {
        struct stat st {};
        if (::stat(track_file_path(f.name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
        return static_cast<s64>(st.st_size);
    }
    if (image_loader.archive == nullptr || !image_loader.archive->select(f.name)) return -1;
    return static_cast<s64>(image_loader.archive->entry_size());
}

// A WAVE or MP3 file that is missing while its MP3 twin is there: the record takes the
// twin's name.
bool cue_file_exists_as_mp3(CueFile& f) {
    if (source_has(f.name)) return false;
    std::string twin = cue_mp3_twin_name(f.name);
    if (twin.empty() || !source_has(twin)) return false;
    f.name = std::move(twin);
    return true;
}

// The first file of a plain sheet becomes the image file, tested like a loaded image.
void open_plain_image(const CueFile& first) {
    auto& l = image_loader;
    if (l.image_file >= 0) ::close(l.image_file);
    l.image_file      = -1;
    l.image_file_size = 0;
    const int fd      = ::open(track_file_path(first.name).c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0) ::close(fd);
        return;  // the probe keeps the sheet's values: no boot
    }
    l.image_file      = fd;
    l.image_file_size = static_cast<u64>(st.st_size);
    l.image_size      = l.image_file_size;
    const FileProbeSource src(fd, l.image_file_size);
    LoadKind probe = probe_header(src);
    if (!probe.known()) probe = probe_raw_cd(src);
    rom_take_probe(probe);
}

// The first file of an archived sheet is unpacked whole into memory.
void unpack_archived_image(const CueFile& first) {
    auto& l         = image_loader;
    l.probe_type    = 0;
    l.probe_mode    = 0;
    l.stream_failed = false;
    l.cd_memory_image.clear();
    if (l.archive == nullptr || !l.archive->select(first.name)) return;
    l.archive_entry_size = l.archive->entry_size();
    const u64 size       = decoded_image_size(l.load_type, l.archive_entry_size);
    if (size == 0 || size > kMemoryImageCap) {
        show(lang_text(lang::ERM_FIO_COF));
        return;
    }
    l.cd_memory_image.assign(static_cast<std::size_t>(size), 0);
    if (rom_stream_file(l.cd_memory_image, 0) == 0 || l.stream_failed) {
        l.cd_memory_image.clear();
        l.probe_type = 0;  // nothing to boot from
        l.probe_mode = 0;
    }
}

}  // namespace

u32 cue_sector_size(u8 mode) {
    switch (mode) {
        case kCueMode1_2048:
            return 2048;
        case kCueMode1_2352:
        case kCueModeAudio:
            return 2352;
        case kCueModeMp3:
            return 218;
        default:
            return 1;
    }
}

void cue_scan(std::span<const u8> sheet, CueTables& out) {
    out             = CueTables{};
    sheet           = sheet.first(std::min<std::size_t>(sheet.size(), kCueSheetBytes));
    std::size_t pos = find_nocase(sheet, 0, sheet.size(), "FILE ");
    while (pos != kNone && out.file_count < kCueMaxFiles && out.track_count < kCueMaxTracks) {
        const std::size_t eol = line_end(sheet, pos);
        std::size_t name_from = pos + 5;
        std::size_t name_to   = 0;
        if (name_from < eol && sheet[name_from] == '"') {
            ++name_from;
            name_to = find_nocase(sheet, name_from, eol, "\"");
            if (name_to == kNone) name_to = eol;
        } else {
            name_to = find_nocase(sheet, name_from, eol, " ");
            if (name_to == kNone) name_to = eol;
        }
        CueFile& file = out.files[out.file_count];
        file.name.assign(reinterpret_cast<const char*>(sheet.data() + name_from),
                         std::min<std::size_t>(name_to - name_from, kCueNameBytes));
        file.type           = find_nocase(sheet, name_to, eol, "BINARY") != kNone ? kCueFileBinary
                              : find_nocase(sheet, name_to, eol, "WAVE") != kNone ? kCueFileWave
                              : find_nocase(sheet, name_to, eol, "MP3") != kNone  ? kCueFileMp3
                                                                                  : kCueFileUnknown;
        const u8 file_index = out.file_count++;

        const std::size_t next_file = find_nocase(sheet, eol, sheet.size(), "FILE ");
        const std::size_t region    = next_file == kNone ? sheet.size() : next_file;
        std::size_t t               = find_nocase(sheet, eol, region, "TRACK ");
        while (t != kNone && out.track_count < kCueMaxTracks) {
            const std::size_t t_end      = line_end(sheet, t);
            const std::size_t next_track = find_nocase(sheet, t_end, region, "TRACK ");
            const std::size_t bound      = next_track == kNone ? region : next_track;
            CueTrack& track              = out.tracks[out.track_count++];
            track.file                   = file_index;
            track.mode                   = track_mode(sheet, t, t_end, file.type);
            const std::size_t index      = find_nocase(sheet, t_end, bound, "INDEX ");
            if (index != kNone) track.start = index_start(sheet, index, line_end(sheet, index));
            t = next_track;
        }
        pos = next_file;
    }
}

void cue_compute_lengths(CueTables& tables) {
    u64 running = 0;
    for (u32 i = 0; i < tables.track_count; ++i) {
        CueTrack& t       = tables.tracks[i];
        const u32 s       = cue_sector_size(t.mode);
        const bool inside = i + 1 < tables.track_count && tables.tracks[i + 1].file == t.file;
        u64 bytes         = 0;
        if (inside) {
            const u32 next = tables.tracks[i + 1].start;
            t.length       = next > t.start ? next - t.start : 0;  // never negative
            bytes          = u64{t.length} * s;
        } else {
            const u64 size = t.file < tables.file_count ? tables.files[t.file].size : 0;
            bytes          = size > running ? size - running : 0;
            t.length       = static_cast<u32>(bytes / s);
        }
        t.offset = static_cast<u32>(std::min<u64>(running, 0xFFFFFFFF));
        t.bytes  = static_cast<u32>(std::min<u64>(bytes, 0xFFFFFFFF));
        running  = inside ? running + bytes : 0;
    }
}

u32 cue_first_track_layout(std::span<const u8> sheet) {
    sheet           = sheet.first(std::min<std::size_t>(sheet.size(), kCueSheetBytes));
    const bool cd48 = find_nocase(sheet, 0, sheet.size(), "TRACK 01 MODE1/2048") != kNone;
    const bool cd52 = find_nocase(sheet, 0, sheet.size(), "TRACK 01 MODE1/2352") != kNone;
    if (cd48 == cd52) return kLoadUnknown;
    return cd48 ? kLoadPlain : kLoadRawCd;
}

std::string cue_mp3_twin_name(std::string_view name) {
    const std::string_view ext = file_extension(name);
    if (ext.empty()) return {};
    std::string twin(name.substr(0, name.size() - ext.size()));
    twin += "MP3";
    return twin;
}

void cue_parse() {
    auto& l                  = image_loader;
    const std::size_t length = static_cast<std::size_t>(
        std::min<u64>({l.image_size, u64{kCueSheetBytes}, u64{cart_rom.size()}}));
    const std::span<const u8> sheet(cart_rom.data(), length);
    cue_scan(sheet, cue_tables);

    for (u32 f = 0; f < cue_tables.file_count; ++f) {
        CueFile& file = cue_tables.files[f];
        if ((file.type == kCueFileWave || file.type == kCueFileMp3) &&
            cue_file_exists_as_mp3(file)) {
            for (u32 t = 0; t < cue_tables.track_count; ++t) {
                if (cue_tables.tracks[t].file == f) cue_tables.tracks[t].mode = kCueModeMp3;
            }
        }
        const s64 size = cue_file_size(file);
        if (size < 0) {
            show(file.name + " " + lang_text(lang::ERM_FIO_NF));
            file.size = 0;
        } else {
            file.size = static_cast<u32>(std::min<s64>(size, 0xFFFFFFFF));
        }
    }
    cue_compute_lengths(cue_tables);

    const u32 layout = cue_first_track_layout(sheet);
    if (layout == kLoadUnknown) {
        show(lang_text(lang::ERM_FIO_LMT));
        l.load_type = kLoadUnknown;
        return;
    }
    l.load_type = layout;
    if (cue_tables.file_count == 0) {
        // The sheet names its tracks but no file holds them: nothing can be read.
        show(kCueNoFileText);
        l.load_type = kLoadUnknown;
        return;
    }
    if (l.image_source == kSourceFile) {
        open_plain_image(cue_tables.files[0]);
    } else {
        unpack_archived_image(cue_tables.files[0]);
    }
}

void cue_clear_tables() { cue_tables = CueTables{}; }

CueDiscLayout cue_disc_layout(const CueTables& tables) {
    CueDiscLayout d;
    d.track_count = tables.track_count;
    u64 at        = 150;  // the first track begins two seconds into the disc
    for (u32 i = 0; i < tables.track_count; ++i) {
        const u8 mode = tables.tracks[i].mode;
        d.start[i]    = static_cast<u32>(std::min<u64>(at, 0xFFFFFFFF));
        d.control[i]  = mode == kCueMode1_2048 || mode == kCueMode1_2352 ? 0x14 : 0x10;
        at += tables.tracks[i].length;
    }
    d.start[tables.track_count] = static_cast<u32>(std::min<u64>(at, 0xFFFFFFFF));
    return d;
}

}  // namespace varn
