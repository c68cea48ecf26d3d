#pragma once
// Cue sheets: a Sega CD game given as a text sheet that names its track files (binary data
// tracks, WAVE or MP3 audio tracks). After Load ROM has read the sheet's text into the
// cartridge area, `cue_parse` scans it into a file table and a track table, decides the
// layout of the first track (2048-byte or raw 2352-byte sectors) and opens the first file as
// the CD image the sector reads use. The table of contents of such a disc is built from the
// track table. A plain ISO, BIN or RAW image has no sheet and leaves the tables empty.
//
// The scan is deliberately forgiving (keywords are searched for, case-insensitively, rather
// than parsed line by line) but bounded everywhere: at most 16 KB of text, 100 files, 99
// tracks (the most a disc can hold), 320 bytes of file name; a time field that does not fit
// on its line reads as 0, and a track that would end before it starts is 0 frames long.

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "base/types.h"

namespace varn {

inline constexpr u32 kCueSheetBytes  = 0x4000;
inline constexpr u32 kCueMaxFiles    = 100;
inline constexpr u32 kCueMaxTracks   = 99;
inline constexpr u32 kCueNameBytes   = 320;
inline constexpr u32 kCdFramesPerSec = 75;

// Shown when a sheet has no FILE line: there is no track file to read the disc from.
inline constexpr const char* kCueNoFileText =
    "The cue sheet names no track file (it has no FILE line).";

// Track modes.
inline constexpr u8 kCueModeUnknown = 0;
inline constexpr u8 kCueMode1_2048  = 1;
inline constexpr u8 kCueMode1_2352  = 2;
inline constexpr u8 kCueModeAudio   = 3;  // audio in a binary file, or a WAVE file
inline constexpr u8 kCueModeMp3     = 4;

// File types as the FILE line gives them (the same codes as the modes they imply).
inline constexpr u8 kCueFileUnknown = 0;
inline constexpr u8 kCueFileBinary  = 1;
inline constexpr u8 kCueFileWave    = 3;
inline constexpr u8 kCueFileMp3     = 4;

struct CueFile {
    u32 size = 0;  // bytes; 0 when the file was not found
    u8 type  = kCueFileUnknown;
    std::string name;  // as written in the sheet (quotes removed), at most kCueNameBytes
};

struct CueTrack {
    u8 mode    = kCueModeUnknown;
    u8 file    = 0;  // index into the file table
    u32 offset = 0;  // bytes into its file
    u32 bytes  = 0;
    u32 start  = 0;  // frames, from the track's first INDEX line
    u32 length = 0;  // frames
};

struct CueTables {
    std::array<CueFile, kCueMaxFiles> files{};
    std::array<CueTrack, kCueMaxTracks> tracks{};
    u8 file_count  = 0;
    u8 track_count = 0;
};
extern CueTables cue_tables;

// Bytes per sector of a track mode, as the lengths count them (MP3 tracks count 218 bytes a
// frame; an unknown mode counts single bytes).
u32 cue_sector_size(u8 mode);

// Steps of the parse that look only at the text: the file and track records (sizes 0).
void cue_scan(std::span<const u8> sheet, CueTables& out);
// Offsets, byte lengths and frame lengths of every track, from the file sizes.
void cue_compute_lengths(CueTables& tables);
// The first track's layout as the sheet states it: kLoadPlain for MODE1/2048, kLoadRawCd for
// MODE1/2352, 0 when it states neither or both.
u32 cue_first_track_layout(std::span<const u8> sheet);

// The whole parse after Load ROM has put the sheet's text in `cart_rom`: scan, file sizes
// (a missing file shows "<name> not found."), lengths, the layout, and the first file opened
// as the image (a plain file, or an archive entry unpacked into memory).
void cue_parse();
// Forgets the tables (the machine close).
void cue_clear_tables();

// The twin of an audio file: its name with the extension replaced by "MP3". Empty when the
// name has no extension.
std::string cue_mp3_twin_name(std::string_view name);

// Start frame (from 00:00:00) and control byte of every track on the disc the sheet makes,
// and the lead-out: track i starts 2 seconds in plus the lengths of the tracks before it.
struct CueDiscLayout {
    u8 track_count = 0;
    std::array<u32, kCueMaxTracks + 1> start{};  // [track_count] is the lead-out
    std::array<u8, kCueMaxTracks> control{};     // 0x14 data, 0x10 audio
};
CueDiscLayout cue_disc_layout(const CueTables& tables);

}  // namespace varn
