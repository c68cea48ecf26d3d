#pragma once
// The earlier release's file commands where they differ from the main program's: Load ROM
// without the Master System, Load State of Genecyst files only, the Save State command that
// saves nothing (the user is told), and screenshots at double width, compressed at level 9,
// that never replace an older one. Load Patch and the demo commands are the main
// program's. Each pauses the emulation while it works, as the main program's do.

#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "base/host.h"
#include "base/types.h"
#include "media/media_file.h"
#include "media/media_ui.h"

namespace varn {

// The four Load ROM filters of the last library binding: Genesis, 32X, Sega CD image and
// Sega CD cue sheet (with the archive patterns of the bound libraries).
std::vector<FileFilter> legacy_rom_filters();
// Load ROM: closes the running machine, asks for a file under those filters and loads it.
void legacy_rom_load_dialog();

// Load State: the automatic name (`ANGSS`: folder, game name, ".GS" and the slot) or a file
// chosen under the Genecyst filter, whose last digit becomes the state slot.
void legacy_state_load_dialog();
// Reads a Genecyst file as the earlier release does: at most 140,408 bytes, a shorter file
// read as if zeros followed it; then imports it into the running Genesis.
MediaResult legacy_gs_state_file_load(const std::filesystem::path& path);

// The registers of the earlier machine from a Genecyst image: its own 68000, Z80 and VDP
// register layers. False, nothing changed, when the image is too short or its PC has no code.
bool legacy_gs_load_registers(std::span<const u8> image);

// Save State: writes nothing.
void legacy_state_save_stub();
inline constexpr const char* kLegacySaveStateText =
    "This version of VARN cannot save states: nothing was saved.";

// The compression level of every screenshot.
inline constexpr u32 kLegacyPngLevel = 9;
// The first of "GAME 000.PNG" .. "GAME 999.PNG" in `folder` that does not exist; none when
// all of them do.
std::optional<std::filesystem::path> legacy_screenshot_free_name(
    const std::filesystem::path& folder, std::string_view game_name);
inline constexpr const char* kLegacyScreenshotsFullText =
    "Screenshot not saved: the names 000 to 999 are all taken in the screenshot folder.";
// The picture at double width (each pixel twice), at most 640 pixels wide.
std::vector<u16> legacy_double_width(const FrameSurface& picture, u32& width);
// Save Screenshot of `picture`.
void legacy_screenshot_save_dialog(const FrameSurface& picture);

}  // namespace varn
