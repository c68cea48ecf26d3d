#pragma once
// Loading a cartridge or CD image: the Load ROM command, from the file the user chose to
// the image in the cartridge area, ready for the boot.
//
// The file may be a plain file or an entry of a ZIP or RAR archive. Its console and layout
// come from the extension and the dialog filter (load_detect.h); the header tests only
// confirm them, with a warning when they disagree. Every layout is decoded while it is
// read, archives chunk by chunk, into `cart_rom`. The source stays open while the machine
// runs (the CD request handler reads sectors from it) and is released by the machine
// close.

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/types.h"
#include "media/archive.h"
#include "media/image_decoder.h"
#include "media/load_detect.h"

namespace varn {

// Where the image comes from (`image_source`).
inline constexpr u8 kSourceNone = 0;
inline constexpr u8 kSourceFile = 1;
inline constexpr u8 kSourceRar  = 2;
inline constexpr u8 kSourceZip  = 3;

struct ImageLoader {
    u32 load_type       = 0;  // layout by extension and filter
    u32 load_mode       = 0;  // console by extension and filter
    u32 probe_type      = 0;  // what the header tests found (0 = nothing yet)
    u32 probe_mode      = 0;
    u8 image_source     = kSourceNone;
    int image_file      = -1;  // the plain file, open for reading
    u64 image_file_size = 0;
    u64 image_size      = 0;      // the image's size as the naming step sees it
    std::string image_file_name;  // file or entry name without folders; empty: none
    std::string image_folder;     // a plain file's folder (a cue sheet's tracks are there)
    // The first file of an archived cue sheet, unpacked (2048-byte user data per sector).
    std::vector<u8> cd_memory_image;
    std::unique_ptr<ImageArchive> archive;
    u64 archive_entry_size = 0;
    ImageDecoder decoder;
    bool stream_failed = false;  // the chunk sink refused the stream
};
extern ImageLoader image_loader;

// Runs after the image of a cue sheet is in: parses the sheet (cue_sheet.h). The boot then
// follows only when the sheet's first file agrees with it.
extern void (*cue_parse_slot)();

// Takes a header test's result as the probe and checks it against the extension's
// decision, as a load does: "could not be determined" when the decision is unknown, the
// validity warning when they disagree (the decision then stands).
void rom_take_probe(const LoadKind& probe);

// How a load ended.
enum class LoadResult {
    kBooted,      // the machine runs the image
    kBootFailed,  // the image is loaded but the boot failed (message shown)
    kRejected,    // nothing loaded (message shown)
    kCancelled,   // the user chose nothing
};

// The Load ROM command: closes the running machine, asks for a file and loads it. Returns 1.
u32 rom_load_dialog();
// The same from the point where the file and filter are known (`filter_index` 1-5): the
// command's steps after the dialog, without the settings write.
LoadResult rom_load_file(const std::string& path, u32 filter_index);

// Sets the load type and mode from an extension and a filter; clears the probe results.
void rom_detect_load_type(std::string_view extension, u32 filter_index);

// Fills `destination` with the decoded image from decoded byte `offset` on, from whichever
// source is open. Returns 0 when `offset` lies beyond the image, else 1.
u32 rom_stream_file(std::span<u8> destination, u64 offset);

// The chunk sink of archive reads: probes the first chunk, checks the decision and decodes.
// Returns false to stop the stream.
bool rom_stream_chunk(std::span<const u8> chunk);

// Readers of the open plain file by logical offset: plain bytes, and 2048-byte user data of
// raw 2352-byte sectors. Bytes that do not exist are left as they are. Return 1 when the
// file could be read, 0 otherwise.
u32 cd_image_read(std::span<u8> destination, u64 offset);
u32 cd_image_read_raw(std::span<u8> destination, u64 offset);

// The 2048 user bytes of image sector `sector` of the loaded CD image, whatever holds it (the
// plain file in either layout, a cue sheet's unpacked first file, or an archived image in the
// cartridge area). Bytes beyond the image read as 0. False when no CD image is loaded.
bool cd_image_read_sector(u32 sector, std::span<u8, 2048> out);

// Boots the loaded image (mode 0).
bool boot_current_image();

// Closes the plain file or archive and forgets the loader state (the machine close).
void rom_release_source();

// Keeps only the archive entries whose extension is one of the filter's patterns
// ("*.BIN;*.SMD"), ignoring case.
bool entry_matches_filter(std::string_view entry_name, std::string_view patterns);

// The file-dialog filter a file named outside the dialog (on the command line) is loaded
// under, as a user would pick it: the filter whose patterns hold its extension; where several
// do (".BIN"), the one whose decision agrees with the file's header; for an archive the first
// filter that names one of its entries; the Genesis filter when none does.
u32 image_filter_for_file(const std::string& path);

}  // namespace varn
