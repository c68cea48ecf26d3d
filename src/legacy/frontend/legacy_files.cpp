#include "legacy/frontend/legacy_files.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <system_error>

#include "base/config.h"
#include "genesis/state/save_state.h"
#include "legacy/m68k/m68k_v024.h"
#include "legacy/vdp_v024.h"
#include "legacy/z80_v024.h"
#include "media/image_loader.h"
#include "media/machine_boot.h"
#include "media/optional_libs.h"
#include "media/png_writer.h"
#include "media/state_file.h"
#include "runtime/thread_link.h"
#include "settings/config_paths.h"
#include "settings/lang_texts.h"

namespace varn {

namespace {

namespace fs = std::filesystem;

constexpr u32 kRomFilters = 4;  // no Master System

const FileFilter kGsStateFilter = {"Genecyst Saved State (*.GS?)",
                                   "*.GS0;*.GS1;*.GS2;*.GS3;*.GS4;*.GS5;*.GS6;*.GS7;*.GS8;*.GS9"};
const FileFilter kPngFilter     = {"Portable Network Graphics (*.PNG)", "*.PNG"};

// The emulation stays paused while a command works; a cancelled dialog also drops the
// menu's pause, the menu that started the command being closed by then.
class FilePause {
  public:
    FilePause() { emu_pause_request(kPauseFile); }
    ~FilePause() { emu_resume_request(reasons_); }
    void cancelled() { reasons_ = kPauseFile | kPauseMenu; }

  private:
    u32 reasons_ = kPauseFile;
};

void report(const MediaResult& result) {
    if (result.status == MediaStatus::kFailed) media_ui().message_box(result.message);
}

}  // namespace

std::vector<FileFilter> legacy_rom_filters() {
    const auto& all = rom_filter_text();
    return {all.begin(), all.begin() + std::min<std::size_t>(kRomFilters, all.size())};
}

void legacy_rom_load_dialog() {
    machine_close();
    u32 index = cfg(cfg_rom_filter_index);
    if (index > kRomFilters) index = 0;
    const auto choice =
        media_ui().open_file_dialog(config_host_path(cfg_rom_path), legacy_rom_filters(), index);
    if (choice && choice->filter_index >= 1 && choice->filter_index <= kRomFilters) {
        cfg_set(cfg_rom_filter_index, choice->filter_index);
        cfg_rom_path = stored_folder(choice->path);
        (void)rom_load_file(choice->path, choice->filter_index);
    }
    media_ui().ini_write();
}

MediaResult legacy_gs_state_file_load(const fs::path& path) {
    std::vector<u8> image;
    const auto read = read_file_capped(path, kGsStateFileBytes, image);
    if (read.status == FileReadStatus::kCannotOpen) return MediaResult::not_opened(read.error);
    if (read.status == FileReadStatus::kReadError)
        return MediaResult::failed(lang_text(lang::TXT_STATE_LOAD_FAILED));
    // What the file does not cover reads as zeros, never as what a previous load left.
    image.resize(kGsStateFileBytes, 0);
    return gs_state_import(image);
}

bool legacy_gs_load_registers(std::span<const u8> image) {
    if (image.size() < kGsRegistersImageBytes) return false;
    // A PC in memory without code would load and halt the machine at once.
    const u32 pc = (u32{image[0xC8]} | u32{image[0xC9]} << 8 | u32{image[0xCA]} << 16) & 0xFFFFFF;
    if (m68k_fetch_pages_v024[pc >> 16].kind == M68kFetchKind::kNone) return false;
    // The earlier machine's own 68000, Z80 and VDP register layers, in that order.
    return m68k_load_gs_registers_v024(image) && z80_load_gs_registers_v024(image) &&
           vdp_load_context_from_image_v024(image);
}

void legacy_state_load_dialog() {
    FilePause pause;
    fs::path path;
    if (cfg(cfg_autoname_states) != 0) {
        path = state_automatic_name(config_host_path(cfg_state_path), boot_names.game_name, true,
                                    state_slot);
    } else {
        const auto choice = media_ui().open_file_dialog(
            config_host_path(cfg_state_path), {kGsStateFilter}, cfg(cfg_state_filter_index));
        if (!choice) {
            pause.cancelled();
            return;
        }
        cfg_set(cfg_state_filter_index, choice->filter_index);
        cfg_state_path = stored_folder(choice->path);
        path           = choice->path;
        state_slot     = state_slot_from_name(choice->path);
    }
    // A file that cannot be opened loads nothing, quietly.
    report(legacy_gs_state_file_load(path));
}

void legacy_state_save_stub() {
    FilePause pause;
    media_ui().message_box(kLegacySaveStateText);
}

std::optional<fs::path> legacy_screenshot_free_name(const fs::path& folder,
                                                    std::string_view game_name) {
    for (u32 n = 0; n < 1000; ++n) {
        char number[8];
        std::snprintf(number, sizeof number, " %03u", n);
        fs::path name = automatic_file_name(folder, std::string(game_name) + number, ".PNG");
        std::error_code ec;
        if (!fs::exists(name, ec) && !ec) return name;
    }
    return std::nullopt;
}

std::vector<u16> legacy_double_width(const FrameSurface& picture, u32& width) {
    width = std::min<u32>(picture.width * 2, kScreenshotMaxWidth);
    std::vector<u16> doubled(std::size_t{width} * picture.height);
    for (u32 y = 0; y < picture.height; ++y) {
        const u16* row = picture.pixels + std::size_t{y} * picture.pitch;
        for (u32 x = 0; x < width; ++x) doubled[std::size_t{y} * width + x] = row[x / 2];
    }
    return doubled;
}

void legacy_screenshot_save_dialog(const FrameSurface& picture) {
    FilePause pause;
    const DeflateCalls zlib = screenshot_deflate_calls();
    if (!zlib) {
        media_ui().message_box(lang_text(lang::ERM_FIO_SHT));
        return;
    }
    fs::path path;
    if (cfg(cfg_autoname_screenshots) != 0) {
        const auto free = legacy_screenshot_free_name(config_host_path(cfg_screenshot_path),
                                                      boot_names.game_name);
        if (!free) {
            media_ui().message_box(kLegacyScreenshotsFullText);
            return;
        }
        path = *free;
    } else {
        const auto choice =
            media_ui().save_file_dialog(config_host_path(cfg_screenshot_path), {kPngFilter}, 1);
        if (!choice) {
            pause.cancelled();
            return;
        }
        cfg_screenshot_path = stored_folder(choice->path);
        path                = with_extension(choice->path, ".PNG");
    }
    if (picture.pixels == nullptr || picture.width == 0 || picture.height == 0) {
        media_ui().message_box("No picture to save: load a game first.");
        return;
    }
    u32 width          = 0;
    const auto doubled = legacy_double_width(picture, width);
    report(
        screenshot_save(path, doubled.data(), width, width, picture.height, kLegacyPngLevel, zlib));
}

}  // namespace varn
