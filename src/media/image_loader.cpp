#include "media/image_loader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "base/config.h"
#include "cddrive/cd_requests.h"
#include "media/cue_sheet.h"
#include "media/load_detect.h"
#include "media/machine_boot.h"
#include "media/media_file.h"
#include "media/media_ui.h"
#include "media/optional_libs.h"
#include "memory/memory.h"
#include "settings/config_paths.h"
#include "settings/lang_texts.h"

namespace varn {

ImageLoader image_loader;
void (*cue_parse_slot)() = cue_parse;

namespace {

// Bytes read from a plain file at a time by the layouts decoded on the way.
constexpr std::size_t kFileChunkBytes = 0x10000;

void show(lang::Slot slot) { media_ui().message_box(lang_text(slot)); }

LoadKind load_kind() { return {image_loader.load_type, image_loader.load_mode}; }
LoadKind probe_kind() { return {image_loader.probe_type, image_loader.probe_mode}; }
void set_probe(const LoadKind& kind) {
    image_loader.probe_type = kind.type;
    image_loader.probe_mode = kind.mode;
}

// The header test against the extension's decision (the validity warning, at most once a
// load): the extension wins.
void check_probe() {
    if (!load_kind().agrees_with(probe_kind())) {
        if (cfg(cfg_error_msg_rvf) != 0) show(lang::ERM_FIO_RVF);
        set_probe(load_kind());
    }
}

bool ready_to_boot() { return load_kind().known() && load_kind().agrees_with(probe_kind()); }

// Decodes a plain file through the stream decoder (the layouts that are not copied as they
// lie).
u32 decode_plain_file(std::span<u8> destination, u64 offset) {
    auto& d = image_loader.decoder;
    d.start(image_loader.load_type, image_loader.image_file_size, destination, offset,
            image_loader.load_type == kLoadInterleaved);
    std::vector<u8> chunk(kFileChunkBytes);
    while (!d.done()) {
        const u64 want = std::min<u64>(chunk.size(), d.needed() - d.consumed());
        const s64 n =
            file_read_at(image_loader.image_file, std::span(chunk.data(), want), d.consumed());
        if (n <= 0) return n < 0 ? 0 : 1;
        d.feed(std::span<const u8>(chunk.data(), static_cast<std::size_t>(n)));
    }
    return 1;
}

LoadResult boot_if_ready() {
    if (!ready_to_boot()) {
        image_loader.image_file_name.clear();
        return LoadResult::kRejected;
    }
    if (image_loader.load_type == kLoadCueSheet && cue_parse_slot != nullptr) {
        cue_parse_slot();
        // The sheet's first file must be there and agree with the sheet.
        if (!ready_to_boot()) {
            image_loader.image_file_name.clear();
            return LoadResult::kRejected;
        }
    }
    return boot_current_image() ? LoadResult::kBooted : LoadResult::kBootFailed;
}

LoadResult load_plain(const std::string& path, u32 filter_index) {
    image_loader.image_source = kSourceFile;
    const int fd              = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0) ::close(fd);
        image_loader.image_source = kSourceNone;
        show(lang::ERM_FIO_COF);
        return LoadResult::kRejected;
    }
    image_loader.image_file      = fd;
    image_loader.image_file_size = static_cast<u64>(st.st_size);
    image_loader.image_file_name = std::string(file_base_name(path));
    image_loader.image_folder = path.substr(0, path.size() - image_loader.image_file_name.size());
    const auto extension      = file_extension(path);
    rom_detect_load_type(extension, filter_index);
    if (equal_nocase(extension, "CUE")) {
        set_probe(load_kind());
    } else {
        set_probe(probe_all(FileProbeSource(fd, image_loader.image_file_size)));
    }
    if (!load_kind().known()) {
        show(lang::ERM_FIO_LMT);
    } else {
        check_probe();
    }
    if (ready_to_boot()) {
        if (image_loader.image_file_size == 0) {
            // Nothing to run: an empty file is refused rather than booted as a blank cartridge.
            show(lang::ERM_FIO_COF);
            image_loader.image_file_name.clear();
            return LoadResult::kRejected;
        }
        if (rom_stream_file(cart_rom, 0) == 0) {
            show(lang::ERM_FIO_COF);
            image_loader.image_file_name.clear();
            return LoadResult::kRejected;
        }
    }
    return boot_if_ready();
}

// The archive at `path`, opened and its entries listed, or null when it cannot be read.
std::unique_ptr<ImageArchive> open_listed_archive(const std::string& path, bool rar,
                                                  std::vector<std::string>& entries) {
    auto archive = rar ? open_rar_archive(path) : open_zip_archive(path);
    if (archive == nullptr || !archive->list(entries)) return nullptr;
    return archive;
}

LoadResult load_archive(const std::string& path, u32 filter_index, u8 source) {
    // A typed name can reach an archive whose library is not bound: refuse it with the
    // library's message instead of calling what is not there.
    const bool rar = source == kSourceRar;
    if ((rar ? unrar_available : zlib_available) == 0) {
        show(rar ? lang::ERM_FIO_UNR : lang::ERM_FIO_ZLB);
        return LoadResult::kRejected;
    }
    std::vector<std::string> entries;
    image_loader.image_source = source;
    image_loader.archive      = open_listed_archive(path, rar, entries);
    if (image_loader.archive == nullptr) {
        rom_release_source();
        show(lang::ERM_FIO_COF);
        return LoadResult::kRejected;
    }
    std::vector<std::string> matching;
    const char* patterns = lang_filter_pattern(filter_index);
    for (const auto& entry : entries) {
        if (entry_matches_filter(entry, patterns)) matching.push_back(entry);
    }
    std::optional<std::string> chosen;
    if (matching.size() == 1) {
        chosen = matching.front();
    } else if (matching.size() > 1) {
        chosen = media_ui().choose_entry(lang_filter_description(filter_index), matching);
        if (chosen && std::find(matching.begin(), matching.end(), *chosen) == matching.end()) {
            chosen.reset();  // only an offered entry can be chosen
        }
        if (!chosen) {
            rom_release_source();
            return LoadResult::kCancelled;
        }
    }
    if (!chosen || !image_loader.archive->select(*chosen)) {
        rom_release_source();
        show(lang::ERM_FIO_COF);
        return LoadResult::kRejected;
    }
    image_loader.archive_entry_size = image_loader.archive->entry_size();
    // Only the entry's own name counts: folders inside the archive never reach a path.
    image_loader.image_file_name = std::string(file_base_name(*chosen));
    rom_detect_load_type(file_extension(*chosen), filter_index);
    image_loader.stream_failed = false;
    const u32 streamed         = rom_stream_file(cart_rom, 0);
    if (image_loader.stream_failed) {
        // The sink refused the stream and said why.
        image_loader.image_file_name.clear();
        return LoadResult::kRejected;
    }
    if (streamed == 0 || image_loader.image_size == 0 || !image_loader.decoder.done()) {
        show(lang::ERM_FIO_COF);
        image_loader.image_file_name.clear();
        return LoadResult::kRejected;
    }
    return boot_if_ready();
}

// An archive's filter: the first whose patterns name one of its entries. Genesis when the
// archive cannot be listed; the load then says why.
u32 archive_filter(const std::string& path, bool rar) {
    std::vector<std::string> entries;
    if ((rar ? unrar_available : zlib_available) == 0 ||
        open_listed_archive(path, rar, entries) == nullptr) {
        return lang::kFilterGenesis;
    }
    for (u32 i = 1; i <= lang::kFilterCount; ++i) {
        for (const auto& entry : entries) {
            if (entry_matches_filter(entry, lang_filter_pattern(i))) return i;
        }
    }
    return lang::kFilterGenesis;
}

}  // namespace

void rom_take_probe(const LoadKind& probe) {
    set_probe(probe);
    if (!load_kind().known()) {
        show(lang::ERM_FIO_LMT);
    } else {
        check_probe();
    }
}

void rom_detect_load_type(std::string_view extension, u32 filter_index) {
    const LoadKind kind     = detect_load_kind(extension, filter_index);
    image_loader.load_type  = kind.type;
    image_loader.load_mode  = kind.mode;
    image_loader.probe_type = 0;
    image_loader.probe_mode = 0;
}

bool entry_matches_filter(std::string_view entry_name, std::string_view patterns) {
    const auto extension = file_extension(entry_name);
    if (extension.empty()) return false;
    while (!patterns.empty()) {
        const auto semi          = patterns.find(';');
        const std::string_view p = patterns.substr(0, semi);
        if (p.size() > 2 && p.substr(0, 2) == "*." && equal_nocase(p.substr(2), extension)) {
            return true;
        }
        if (semi == std::string_view::npos) break;
        patterns.remove_prefix(semi + 1);
    }
    return false;
}

u32 image_filter_for_file(const std::string& path) {
    const auto extension = file_extension(path);
    const bool rar       = equal_nocase(extension, "RAR");
    if (rar || equal_nocase(extension, "ZIP")) return archive_filter(path, rar);
    std::vector<u32> candidates;
    for (u32 i = 1; i <= lang::kFilterCount; ++i) {
        if (entry_matches_filter(path, lang_filter_pattern(i))) candidates.push_back(i);
    }
    if (candidates.empty()) return lang::kFilterGenesis;
    if (candidates.size() > 1) {
        // Only a regular file is opened: opening a FIFO would wait for a writer.
        LoadKind probe;
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            if (const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC); fd >= 0) {
                probe = probe_all(FileProbeSource(fd, static_cast<u64>(st.st_size)));
                ::close(fd);
            }
        }
        for (const u32 i : candidates) {
            if (probe.known() && detect_load_kind(extension, i).agrees_with(probe)) return i;
        }
    }
    return candidates.front();
}

u32 rom_stream_file(std::span<u8> destination, u64 offset) {
    auto& l = image_loader;
    if (l.image_source == kSourceFile) {
        l.image_size = decoded_image_size(l.load_type, l.image_file_size);
        if (offset > l.image_size) return 0;
        destination = destination.first(
            static_cast<std::size_t>(std::min<u64>(destination.size(), l.image_size - offset)));
        switch (l.load_type) {
            case kLoadInterleaved:
            case kLoadHalfSplit:
                return decode_plain_file(destination, offset);
            case kLoadRawCd:
                return cd_image_read_raw(destination, offset);
            default:
                return cd_image_read(destination, offset);
        }
    }
    if (l.archive == nullptr) return 0;
    l.image_size = decoded_image_size(l.load_type, l.archive_entry_size);
    if (offset > l.image_size) return 0;
    destination = destination.first(
        static_cast<std::size_t>(std::min<u64>(destination.size(), l.image_size - offset)));
    l.decoder.start(l.load_type, l.archive_entry_size, destination, offset);
    if (!l.archive->read(rom_stream_chunk)) return 0;
    return 1;
}

bool rom_stream_chunk(std::span<const u8> chunk) {
    auto& l = image_loader;
    if (l.decoder.consumed() == 0) {
        // The header tests look at the start of the entry, which the first chunk holds
        // (archive readers hand over whole buffers of at least 64 KB until the entry ends).
        if (l.load_type == kLoadCueSheet) {
            set_probe(load_kind());
        } else {
            set_probe(probe_all(SpanProbeSource(chunk)));
        }
        if (!load_kind().known()) {
            show(lang::ERM_FIO_LMT);
            l.stream_failed = true;
            return false;
        }
        check_probe();
    }
    return l.decoder.feed(chunk);
}

u32 cd_image_read(std::span<u8> destination, u64 offset) {
    if (image_loader.image_file < 0) return 0;
    return file_read_at(image_loader.image_file, destination, offset) < 0 ? 0 : 1;
}

u32 cd_image_read_raw(std::span<u8> destination, u64 offset) {
    if (image_loader.image_file < 0) return 0;
    u64 logical      = offset;
    std::size_t done = 0;
    while (done < destination.size()) {
        const u64 sector    = logical / kCdSectorBytes;
        const u64 within    = logical % kCdSectorBytes;
        const std::size_t n = static_cast<std::size_t>(
            std::min<u64>(kCdSectorBytes - within, destination.size() - done));
        const s64 got = file_read_at(image_loader.image_file, destination.subspan(done, n),
                                     sector * kRawSectorBytes + kRawSectorDataStart + within);
        if (got < 0) return 0;
        if (static_cast<std::size_t>(got) < n) break;  // the file ends here
        done += n;
        logical += n;
    }
    return 1;
}

bool cd_image_read_sector(u32 sector, std::span<u8, 2048> out) {
    auto& l = image_loader;
    std::fill(out.begin(), out.end(), u8{0});
    const u64 offset = u64{sector} * kCdSectorBytes;
    if (l.image_file >= 0) {
        return (l.load_type == kLoadRawCd ? cd_image_read_raw(out, offset)
                                          : cd_image_read(out, offset)) != 0;
    }
    // Unpacked images hold the user data only, whatever the layout was.
    std::span<const u8> memory = l.cd_memory_image;
    if (memory.empty() && l.archive != nullptr)
        memory = std::span<const u8>(cart_rom).first(
            static_cast<std::size_t>(std::min<u64>(l.image_size, cart_rom.size())));
    if (memory.empty()) return false;
    if (offset < memory.size()) {
        const auto n = static_cast<std::size_t>(std::min<u64>(out.size(), memory.size() - offset));
        std::copy_n(memory.begin() + static_cast<std::ptrdiff_t>(offset), n, out.begin());
    }
    return true;
}

bool boot_current_image() { return machine_boot(0); }

void rom_release_source() {
    auto& l = image_loader;
    if (l.image_file >= 0) ::close(l.image_file);
    l.image_file      = -1;
    l.image_file_size = 0;
    l.archive.reset();
    l.cd_memory_image.clear();
    l.cd_memory_image.shrink_to_fit();
    l.archive_entry_size = 0;
    l.image_source       = kSourceNone;
}

LoadResult rom_load_file(const std::string& path, u32 filter_index) {
    machine_close();
    cd_drive_release();  // a loaded disc image, not a real drive, serves the CD requests
    rom_release_source();
    image_loader.image_file_name.clear();
    const auto extension = file_extension(path);
    if (equal_nocase(extension, "RAR")) return load_archive(path, filter_index, kSourceRar);
    if (equal_nocase(extension, "ZIP")) return load_archive(path, filter_index, kSourceZip);
    return load_plain(path, filter_index);
}

u32 rom_load_dialog() {
    machine_close();
    const auto choice = media_ui().open_file_dialog(config_host_path(cfg_rom_path),
                                                    rom_filter_text(), cfg(cfg_rom_filter_index));
    if (choice) {
        cfg_set(cfg_rom_filter_index, choice->filter_index);
        cfg_rom_path = stored_folder(choice->path);
        rom_load_file(choice->path, choice->filter_index);
    }
    media_ui().ini_write();
    return 1;
}

}  // namespace varn
