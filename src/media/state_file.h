#pragma once
// State files: the Save State and Load State commands' files. The program's own files
// (".VK0" to ".VK9", one per state slot) hold the save-state stream whole; Load State also
// imports the state files of Genecyst (".GS0" to ".GS9"), a flat image of the machine's
// memories and registers at fixed offsets:
//
//   offset    bytes   contents
//   0x080        90   68000 registers (little-endian, as every register value here)
//   0x0FA        24   VDP registers 0-23
//   0x112       128   CRAM, 64 big-endian colour words
//   0x192        80   VSRAM, 40 little-endian words
//   0x404        52   Z80 registers
//   0x474      8192   Z80 RAM
//   0x2478    65536   68000 work RAM, as the console holds it
//   0x12478   65536   VRAM, big-endian words
//
// Every call runs on the user-interface thread while the emulation is paused.

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "base/types.h"
#include "media/media_file.h"

namespace varn {

// The current state slot (0-9), shown in the status bar.
extern u32 state_slot;

// An own state file is read whole; anything longer than this cannot be a state and is
// refused unread.
inline constexpr u32 kStateFileCap = 4u << 20;
// A Genecyst state file's size; bytes after it are not read.
inline constexpr u32 kGsStateFileBytes = 0x22478;

// Extensions without the slot digit.
inline constexpr std::string_view kStateExtension   = ".VK";
inline constexpr std::string_view kGsStateExtension = ".GS";

// The slot a file name stands for: its last character as a digit, 0 when that is no digit.
u32 state_slot_from_name(std::string_view name);
// The name Save State writes for a name typed in its dialog: kept when it already ends in
// ".VK" and one more character (any case), else with ".VK" and the slot digit appended.
std::string state_save_name(std::string name, u32 slot);
// The name the commands take without a dialog: the folder, the game's name, ".VK" (or
// ".GS" for Genecyst files) and the slot digit.
std::filesystem::path state_automatic_name(const std::filesystem::path& folder,
                                           std::string_view game_name, bool genecyst, u32 slot);

// Every save and load asks the running machine first: only a Genesis and a Sega CD have
// state blocks. On any other machine (or with none running) the file is neither written
// nor read, and the machine stays as it was.
//
// Writes the machine's state to `path`, replacing the file only once the new one is whole.
MediaResult state_file_save(const std::filesystem::path& path);
// Loads an own state file. A damaged, truncated or oversized file is refused with the
// state-load error text and leaves the machine as it was; so is a file with a Sega CD block
// while no Sega CD runs. A file that is not there is reported as such.
MediaResult state_file_load(const std::filesystem::path& path);
// Imports a Genecyst state file, a Genesis alone: refused unless a Genesis runs. A file too
// short to hold the registers, or whose registers cannot run, is refused with the state-load
// error text and leaves the machine as it was; a file that ends inside the memory images
// fills them as far as it reaches.
MediaResult gs_state_file_load(const std::filesystem::path& path);
// The same import from a file image in memory (at most kGsStateFileBytes are used).
MediaResult gs_state_import(std::span<const u8> image);
// Loads the registers of the running machine's CPUs and VDP from a Genecyst image once its
// memories are in; false, with the registers untouched, when the state cannot run. The main
// program's loader unless a program with CPUs of its own sets its own.
extern bool (*gs_registers_slot)(std::span<const u8> image);

// Why the running machine takes no state for saving or loading; null when it takes one.
const char* state_unsupported_text(bool loading);

// Texts shown when a state command is refused because the machine has no state block yet.
inline constexpr const char* kStateSaveUnsupportedText =
    "Saving a state is not supported for this machine yet.";
inline constexpr const char* kStateLoadUnsupportedText =
    "Loading a state is not supported for this machine yet.";
inline constexpr const char* kStateNoMachineText = "No game is running: load one first.";
inline constexpr const char* kGsStateGenesisOnlyText =
    "A Genecyst state holds a Genesis alone: it loads only while a Genesis runs.";
// Load State when the file is not there (a slot never saved, or a name the dialog lost).
inline constexpr const char* kStateFileMissingText = "No saved state at";

}  // namespace varn
