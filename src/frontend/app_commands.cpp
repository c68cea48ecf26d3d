// The File and Help commands, the state-slot keys and the application's own accelerators.
// Each media command hands over to the media code, which pauses the emulation for its work,
// asks for its file and reports its own failures.

#include <array>

#include "frontend/desktop_help.h"
#include "frontend/emu_app.h"
#include "frontend/host/display.h"
#include "frontend/host/display_geometry.h"
#include "frontend/host/help.h"
#include "frontend/main_frame.h"
#include "frontend/menu_resource.h"
#include "media/file_commands.h"
#include "media/image_loader.h"
#include "media/machine_boot.h"
#include "media/optional_libs.h"
#include "media/state_file.h"
#include "runtime/thread_link.h"
#include "settings/lang_texts.h"

namespace varn {

namespace {

// The About text of a naming library. The library writes at most the length it is given
// and then its terminator, so it is given one byte less than the buffer holds.
std::string namer_about(const NamerLibrary& lib) {
    std::array<char, 256> buffer{};
    if (lib.about == nullptr) return {};
    lib.about(buffer.data(), static_cast<unsigned>(buffer.size() - 1));
    buffer.back() = '\0';
    return buffer.data();
}

}  // namespace

// Closing the machine stops the emulation and its sound; the new machine starts once the
// file commands' pause (and the menu's, the menu being closed by then) is released, which
// also restarts the sound.
void EmuApp::with_machine_change(const std::function<void()>& work) {
    emu_pause_request(kPauseFile);
    work();
    emu_resume_request(kPauseFile | kPauseMenu);
}

bool EmuApp::file_command(u32 id) {
    if (id >= cmd::kStateSlotFirst && id <= cmd::kStateSlotFirst + 9) {
        state_slot = id - cmd::kStateSlotFirst;
        if (frame_ && gui_ready.load() == 1) frame_->update_status_bar();
        return true;
    }
    switch (id) {
        case cmd::kLoadRom:
            with_machine_change([] { (void)rom_load_dialog(); });
            return true;
        case cmd::kBootSegaCd:
            with_machine_change([] { boot_sega_cd_from_drive(); });
            return true;
        case cmd::kLoadState:
            (void)state_load_dialog();
            return true;
        case cmd::kSaveState:
            state_save_dialog();
            return true;
        case cmd::kLoadDemo:
            demo_load_dialog();
            return true;
        case cmd::kSaveDemo:
            demo_save_dialog();
            return true;
        case cmd::kLoadPatch:
            patch_load_dialog();
            return true;
        case cmd::kSaveScreenshot:
            save_screenshot();
            return true;
        case cmd::kSaveWaveLog:
            wav_log_start_dialog();
            return true;
        case cmd::kExit:
            if (frame_) frame_->close();
            return true;
        case cmd::kHelpDatabase: {
            DesktopHelpUi help(frame_.get());
            (void)help_show_database(help, boot_names.namer_crc);
            return true;
        }
        case cmd::kAboutKestgen:
        case cmd::kAboutKest32x: {
            const bool genesis = id == cmd::kAboutKestgen;
            if ((genesis ? kestgen_available : kest32x_available) == 0) return true;
            message_box(namer_about(genesis ? kestgen_lib : kest32x_lib));
            return true;
        }
        case cmd::kAbout:
            about_box();
            return true;
        case cmd::kTogglePause:
            toggle_pause();
            return true;
        case cmd::kReset:
            reset();
            return true;
        default:
            return false;
    }
}

bool EmuApp::last_picture(FrameSurface& picture) const {
    if (!frame_) return false;
    FrameImages& images = display_frame_images();
    picture.pixels      = const_cast<u16*>(images.latest());
    picture.pitch       = FrameImages::kPitch;
    picture.width       = std::min(display_geometry.source_width, kSurfaceWidth);
    picture.height      = std::min(display_geometry.source_height, kSurfaceHeight);
    return true;
}

void EmuApp::save_screenshot() {
    FrameSurface picture;
    if (last_picture(picture)) screenshot_save_dialog(picture);
}

}  // namespace varn
