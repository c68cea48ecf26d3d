#include "legacy/frontend/legacy_app.h"

#include "base/config.h"
#include "cddrive/cd_drive_table.h"
#include "frontend/host/sound_output.h"
#include "frontend/main_frame.h"
#include "frontend/qt_menu.h"
#include "genesis/io/demo_stream.h"
#include "legacy/compose_legacy.h"
#include "legacy/frontend/legacy_config.h"
#include "legacy/frontend/legacy_files.h"
#include "legacy/frontend/legacy_menu.h"
#include "legacy/genesis_v024.h"
#include "media/file_commands.h"
#include "media/optional_libs.h"
#include "media/state_file.h"
#include "settings/config_paths.h"
#include "settings/lang_file.h"
#include "settings/option_model.h"
#include "settings/profile_folder.h"

namespace varn {

namespace {

const FrontendProfile& legacy_profile() {
    static const FrontendProfile profile{&legacy_menu_entries(), "SS", kLegacyProfileName};
    return profile;
}

}  // namespace

LegacyApp::LegacyApp() : EmuApp(legacy_profile()) {}

void LegacyApp::refresh_own_checks() {
    if (frame() == nullptr) return;
    frame()->menu()->set_checked(cmd::kLegacyEnhanceVisibility,
                                 (cfg(cfg_enhance_visibility) & 1) != 0);
    frame()->menu()->set_checked(cmd::kLegacyScdCartridgeBrms,
                                 (cfg(legacy_scd_cartridge_brms) & 1) != 0);
}

void LegacyApp::compose() {
    compose_varn_legacy();
    // Genecyst states load into the earlier machine's own CPUs.
    gs_registers_slot = legacy_gs_load_registers;
}

void LegacyApp::lang_load() {
    if (frame() != nullptr)
        varn::lang_load(profile_path() / kLangFileName, *frame()->menu(), legacy_lang_keys());
}

// The earlier release made no processor test; this build needs none.
bool LegacyApp::cpu_check() { return true; }

void LegacyApp::ini_read() {
    config_program_folder      = profile_path();
    const IniReadResult result = legacy_ini_read(config_program_folder / kIniFileName, options());
    refresh_own_checks();
    if (!result.error.empty()) message_box(result.error);
}

void LegacyApp::dll_bind_optional() {
    LibraryBindOptions bind;  // no naming-library folder: none is bound
    bind.message_unrar = cfg(cfg_error_msg_unr) != 0;
    bind.message_zlib  = cfg(cfg_error_msg_zlb) != 0;
    varn::dll_bind_optional(bind);
    aspi_init();
}

// The earlier release opens no sound device.
void LegacyApp::sound_init() { sound()->init_silent(); }

void LegacyApp::ini_write() {
    if (ini_file_path.empty()) return;
    const FileWriteResult result = legacy_ini_write(cd_drive_settings_name());
    if (!result) message_box(result.error);
}

void LegacyApp::shutdown_steps() {
    // The thread first: the machine is closed while nothing runs it.
    thread_end();
    code_cache_release();
    if (frame() != nullptr) frame()->display()->update();
    machine_close();
    ini_write();
    dll_release();
    devices_release();
}

bool LegacyApp::file_command(u32 id) {
    switch (id) {
        case cmd::kLoadRom:
            with_machine_change([] { legacy_rom_load_dialog(); });
            return true;
        case cmd::kLoadState:
            legacy_state_load_dialog();
            if (frame() != nullptr) frame()->update_status_bar();
            return true;
        case cmd::kSaveState:
            legacy_state_save_stub();
            return true;
        case cmd::kSaveScreenshot: {
            FrameSurface picture;
            if (last_picture(picture)) legacy_screenshot_save_dialog(picture);
            return true;
        }
        case cmd::kReset:
            // The machine in memory restarts; the image and its save RAM stay as they are.
            demo_recording.store(0);
            demo_mode.store(0);
            emu_reboot_sequence_v024();
            return true;
        case cmd::kSaveWaveLog:
        case cmd::kHelpDatabase:
        case cmd::kAboutKestgen:
        case cmd::kAboutKest32x:
            return true;  // not in this release
        case cmd::kLegacyEnhanceVisibility:
        case cmd::kLegacyScdCartridgeBrms: {
            ConfigWord& word = id == cmd::kLegacyEnhanceVisibility ? cfg_enhance_visibility
                                                                   : legacy_scd_cartridge_brms;
            cfg_set(word, (cfg(word) & 1) ^ 1);
            options().menu_refresh_checks();
            refresh_own_checks();
            return true;
        }
        default:
            return EmuApp::file_command(id);
    }
}

}  // namespace varn
