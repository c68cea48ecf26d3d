#include "media/file_commands.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/config.h"
#include "genesis/io/demo_stream.h"
#include "media/demo_file.h"
#include "media/image_loader.h"
#include "media/ips_patch.h"
#include "media/machine_boot.h"
#include "media/media_file.h"
#include "media/media_ui.h"
#include "media/png_writer.h"
#include "media/state_file.h"
#include "media/wav_log.h"
#include "memory/memory.h"
#include "runtime/thread_link.h"
#include "settings/config_paths.h"
#include "settings/lang_texts.h"

namespace varn {

namespace {

namespace fs = std::filesystem;

constexpr u32 kOwnStates      = 1;
constexpr u32 kGenecystStates = 2;

const FileFilter kStateFilter              = {"Ostrelan Sega State (*.VK?)",
                                              "*.VK0;*.VK1;*.VK2;*.VK3;*.VK4;*.VK5;*.VK6;*.VK7;*.VK8;*.VK9"};
const FileFilter kGsStateFilter            = {"Genecyst Saved State (*.GS?)",
                                              "*.GS0;*.GS1;*.GS2;*.GS3;*.GS4;*.GS5;*.GS6;*.GS7;*.GS8;*.GS9"};
const FileFilter kPatchFilter              = {"Patch (*.IPS)", "*.IPS"};
const FileFilter kPngFilter                = {"Portable Network Graphics (*.PNG)", "*.PNG"};
const FileFilter kDemoFilter               = {"VARN Demo File (*.DEM)", "*.DEM"};
const FileFilter kWaveFilter               = {"Wave File (*.WAV)", "*.WAV"};
constexpr std::string_view kPatchExtension = ".IPS";

// The emulation stays paused while a command works; a cancelled dialog also drops the
// menu's pause, as the menu that started the command is closed by then.
class FilePause {
  public:
    FilePause() { emu_pause_request(kPauseFile); }
    ~FilePause() { emu_resume_request(reasons_); }
    void cancelled() { reasons_ = kPauseFile | kPauseMenu; }

  private:
    u32 reasons_ = kPauseFile;
};

enum class Dialog { kOpen, kSave };

// The file dialog of a command, starting in the command's folder, which then becomes the
// chosen file's folder.
std::optional<FileChoice> ask(Dialog kind, std::string& folder, std::vector<FileFilter> filters,
                              u32 filter_index) {
    const std::string start = config_host_path(folder);
    auto choice = kind == Dialog::kOpen ? media_ui().open_file_dialog(start, filters, filter_index)
                                        : media_ui().save_file_dialog(start, filters, filter_index);
    if (choice) folder = stored_folder(choice->path);
    return choice;
}

fs::path automatic(const std::string& folder, std::string_view extension) {
    return automatic_file_name(config_host_path(folder), boot_names.game_name, extension);
}

// The file of a command with one filter and one extension: the automatic name, or the
// dialog's choice with the extension added unless it is there. None when cancelled.
std::optional<fs::path> choose_file(Dialog kind, const ConfigWord& automatic_naming,
                                    std::string& folder, const FileFilter& filter,
                                    std::string_view extension) {
    if (cfg(automatic_naming) != 0) return automatic(folder, extension);
    auto choice = ask(kind, folder, {filter}, 1);
    if (!choice) return std::nullopt;
    return fs::path(with_extension(choice->path, extension));
}

void report(const MediaResult& result) {
    if (result.status == MediaStatus::kFailed) media_ui().message_box(result.message);
}

}  // namespace

u32 state_load_dialog() {
    FilePause pause;
    u32 filter = cfg(cfg_state_filter_index) == kGenecystStates ? kGenecystStates : kOwnStates;
    fs::path path;
    if (cfg(cfg_autoname_states) != 0) {
        path = state_automatic_name(config_host_path(cfg_state_path), boot_names.game_name,
                                    filter == kGenecystStates, state_slot);
    } else {
        const auto choice =
            ask(Dialog::kOpen, cfg_state_path, {kStateFilter, kGsStateFilter}, filter);
        if (!choice) {
            pause.cancelled();
            return 0;
        }
        filter = choice->filter_index == kGenecystStates ? kGenecystStates : kOwnStates;
        cfg_set(cfg_state_filter_index, filter);
        path       = choice->path;
        state_slot = state_slot_from_name(choice->path);
    }
    const auto loaded =
        filter == kGenecystStates ? gs_state_file_load(path) : state_file_load(path);
    report(loaded);
    // A slot never saved (or a name the dialog no longer finds) is said, not passed over.
    if (loaded.status == MediaStatus::kNotOpened) {
        std::error_code ec;
        media_ui().message_box(fs::exists(path, ec) ? loaded.message
                                                    : std::string(kStateFileMissingText) + " " +
                                                          path.string() + ".");
    }
    return 1;
}

void state_save_dialog() {
    FilePause pause;
    fs::path path;
    if (cfg(cfg_autoname_states) != 0) {
        path = state_automatic_name(config_host_path(cfg_state_path), boot_names.game_name, false,
                                    state_slot);
    } else {
        const auto choice = ask(Dialog::kSave, cfg_state_path, {kStateFilter}, kOwnStates);
        if (!choice) {
            pause.cancelled();
            return;
        }
        cfg_set(cfg_state_filter_index, kOwnStates);
        const std::string name = state_save_name(choice->path, state_slot);
        state_slot             = state_slot_from_name(name);
        path                   = name;
    }
    report(state_file_save(path));
}

void patch_load_dialog() {
    FilePause pause;
    const auto path = choose_file(Dialog::kOpen, cfg_autoname_patches, cfg_patch_path, kPatchFilter,
                                  kPatchExtension);
    if (!path) {
        pause.cancelled();
        return;
    }
    u32 size           = static_cast<u32>(std::min<u64>(image_loader.image_size, cart_rom.size()));
    const auto patched = ips_patch_file(*path, cart_rom, size);
    if (patched) image_loader.image_size = size;
    report(patched);
}

void screenshot_save_dialog(const FrameSurface& picture) {
    FilePause pause;
    const DeflateCalls zlib = screenshot_deflate_calls();
    if (!zlib) {
        media_ui().message_box(lang_text(lang::ERM_FIO_SHT));
        return;
    }
    std::optional<fs::path> path;
    if (cfg(cfg_autoname_screenshots) != 0) {
        path =
            screenshot_automatic_name(config_host_path(cfg_screenshot_path), boot_names.game_name);
    } else {
        path = choose_file(Dialog::kSave, cfg_autoname_screenshots, cfg_screenshot_path, kPngFilter,
                           kScreenshotExtension);
    }
    if (!path) {
        pause.cancelled();
        return;
    }
    report(screenshot_save(*path, picture.pixels, picture.pitch, picture.width, picture.height,
                           cfg(cfg_png_compression_level), zlib));
}

void demo_load_dialog() {
    FilePause pause;
    const auto path =
        choose_file(Dialog::kOpen, cfg_autoname_demos, cfg_demo_path, kDemoFilter, kDemoExtension);
    if (!path) {
        pause.cancelled();
        return;
    }
    const auto playing = demo_file_play(*path, emu_host());
    report(playing);
    if (playing) emu_reboot_sequence(0);
}

void demo_save_dialog() {
    FilePause pause;
    if (demo_recording == 0) {
        demo_mode      = 0;
        demo_recording = 1;
        demo_record_start();
        emu_reboot_sequence(0);
        return;
    }
    demo_recording = 0;
    const auto path =
        choose_file(Dialog::kSave, cfg_autoname_demos, cfg_demo_path, kDemoFilter, kDemoExtension);
    if (!path) {
        pause.cancelled();
        return;
    }
    report(demo_file_save(*path));
}

void wav_log_start_dialog() {
    FilePause pause;
    if (wav_logging != 0) {
        report(wav_log_stop());
        return;
    }
    if (!wav_log_ended_error().empty()) {
        report(MediaResult::failed(wav_log_ended_error()));  // the last log ended badly
    }
    const auto path =
        choose_file(Dialog::kSave, cfg_autoname_waves, cfg_wave_path, kWaveFilter, kWavExtension);
    if (!path) {
        pause.cancelled();
        return;
    }
    report(wav_log_start(*path));
}

}  // namespace varn
