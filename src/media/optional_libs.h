#pragma once
// The outside libraries the program can do without, bound at run time by name: the two
// ROM-naming libraries of this system (beside the executable), zlib with its unzip
// functions (ZIP archives, and deflate for the screenshot writer) and libarchive (RAR
// archives). Each library is all or nothing: when it or any function the program needs is
// missing it is released and its feature is absent. The Load ROM filters follow what was
// bound.

#include <archive.h>
#include <archive_entry.h>
#include <minizip/unzip.h>
#include <zlib.h>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/types.h"
#include "media/media_ui.h"
#include "romnamer/namer_api.h"
#include "settings/profile_folder.h"

namespace varn {

// Availability flags: 1 while bound.
extern u32 kestgen_available;
extern u32 kest32x_available;
extern u32 unrar_available;
extern u32 zlib_available;

struct NamerLibrary {
    NamerCrcFn crc     = nullptr;
    NamerNameFn name   = nullptr;
    NamerAboutFn about = nullptr;
};
extern NamerLibrary kestgen_lib;
extern NamerLibrary kest32x_lib;

#define VARN_LIB_FN(fn) decltype(&::fn) fn = nullptr

// zlib and its unzip interface. Those marked optional may be null while the library is
// bound.
struct ZlibLibrary {
    VARN_LIB_FN(zlibVersion);  // optional
    VARN_LIB_FN(compress);     // optional
    VARN_LIB_FN(compress2);    // optional
    VARN_LIB_FN(deflateInit_);
    VARN_LIB_FN(deflateInit2_);  // optional
    VARN_LIB_FN(deflate);
    VARN_LIB_FN(deflateEnd);
    VARN_LIB_FN(deflateReset);
    VARN_LIB_FN(deflateBound);  // optional; screenshots need it
    VARN_LIB_FN(unzStringFileNameCompare);
    VARN_LIB_FN(unzOpen);
    VARN_LIB_FN(unzClose);
    VARN_LIB_FN(unzGetGlobalInfo);
    VARN_LIB_FN(unzGetGlobalComment);
    VARN_LIB_FN(unzGoToFirstFile);
    VARN_LIB_FN(unzGoToNextFile);
    VARN_LIB_FN(unzLocateFile);
    VARN_LIB_FN(unzGetCurrentFileInfo);
    VARN_LIB_FN(unzOpenCurrentFile);
    VARN_LIB_FN(unzCloseCurrentFile);
    VARN_LIB_FN(unzReadCurrentFile);
    VARN_LIB_FN(unzGetLocalExtrafield);
};
extern ZlibLibrary zlib_lib;

// The part of libarchive through which RAR archives are read.
struct ArchiveLibrary {
    VARN_LIB_FN(archive_read_new);
    VARN_LIB_FN(archive_read_support_format_rar);
    VARN_LIB_FN(archive_read_support_format_rar5);
    VARN_LIB_FN(archive_read_open_filename);
    VARN_LIB_FN(archive_read_next_header);
    VARN_LIB_FN(archive_read_data);
    VARN_LIB_FN(archive_read_free);
    VARN_LIB_FN(archive_entry_pathname);
    VARN_LIB_FN(archive_entry_size);
    VARN_LIB_FN(archive_entry_size_is_set);
};
extern ArchiveLibrary archive_lib;

#undef VARN_LIB_FN

// Where the libraries are found and which messages a failure shows. The defaults are the
// program's; tests point them elsewhere to see a library absent or incomplete.
struct LibraryBindOptions {
    std::filesystem::path namer_folder;  // the executable's own folder
    std::string kestgen_file = "libkestgen.so";
    std::string kest32x_file = "libkest32x.so";
    std::string archive_file = "libarchive.so.13";
    std::string zlib_file    = "libz.so.1";
    std::string unzip_file   = "libminizip.so.1";
    // A name this returns true for is treated as missing from its library.
    std::function<bool(std::string_view)> hide_symbol;
    // The message options of the four libraries.
    bool message_kestgen = false;
    bool message_kest32x = false;
    bool message_unrar   = false;
    bool message_zlib    = false;
};

// Binds the four libraries in the order kestgen, kest32x, RAR, zlib and chooses the Load
// ROM filters. Returns 1.
u32 dll_bind_optional(const LibraryBindOptions& options);
// Releases the archive libraries (the naming libraries stay until the process ends; a
// second bind releases them first).
void dll_release();

// The Load ROM filters chosen by the last bind, in the order Genesis, 32X, Sega CD image,
// Sega CD cue sheet, Master System.
const std::vector<FileFilter>& rom_filter_text();

}  // namespace varn
