#include "frontend/emu_app.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaMethod>
#include <system_error>

#include "base/config.h"
#include "cddrive/cd_drive_commands.h"
#include "cddrive/cd_drive_table.h"
#include "cddrive/cd_requests.h"
#include "compose/compose.h"
#include "frontend/app_option_host.h"
#include "frontend/dialogs/dialogs.h"
#include "frontend/host/code_cache.h"
#include "frontend/host/display.h"
#include "frontend/host/request_queue.h"
#include "frontend/host/sound_output.h"
#include "frontend/host/window_host.h"
#include "frontend/input/input_devices.h"
#include "frontend/main_frame.h"
#include "frontend/menu_resource.h"
#include "frontend/qt_media_ui.h"
#include "frontend/qt_menu.h"
#include "genesis/io/demo_stream.h"
#include "media/image_loader.h"
#include "media/machine_boot.h"
#include "media/media_ui.h"
#include "media/optional_libs.h"
#include "runtime/low_level.h"
#include "runtime/thread_link.h"
#include "settings/config_paths.h"
#include "settings/ini_file.h"
#include "settings/lang_file.h"
#include "settings/lang_texts.h"
#include "settings/option_model.h"
#include "settings/profile_folder.h"

namespace varn {

struct EmuApp::Parts {
    MenuForwarder menu;
    MainFrame* frame = nullptr;
    std::unique_ptr<AppOptionHost> option_host;
    std::unique_ptr<OptionModel> options;
    std::unique_ptr<QtMediaUi> media_ui;
};

EmuApp::EmuApp(const FrontendProfile& profile)
    : profile_(profile), parts_(std::make_unique<Parts>()) {
    // Nothing reaches the window until start-up is over, and no fit runs before the
    // settings are read.
    gui_ready.store(0);
    display_rebuild_busy = true;
    emu_thread_target.store(nullptr);
    requests_ = std::make_unique<RequestQueue>();
    sound_ = std::make_unique<SoundOutput>([this](const std::string& text) { message_box(text); });
    host_  = std::make_unique<WindowHost>(*requests_, display_frame_images(), *sound_);
    parts_->option_host          = std::make_unique<AppOptionHost>(parts_->frame, *sound_);
    parts_->option_host->message = [this](const std::string& text) { message_box(text); };
    parts_->options = std::make_unique<OptionModel>(parts_->menu, *parts_->option_host);
}

EmuApp::~EmuApp() {
    // A start-up that ended early, or a test that never closed the window: the thread is
    // not left running behind the objects it uses.
    if (emu_thread_.joinable()) thread_end();
    varn::code_cache_release();
    if (&emu_host() == host_.get()) emu_set_host(nullptr);
    media_set_ui(nullptr);
    display_close();
}

bool EmuApp::start() {
    if (!components_init()) return false;
    if (!create_frame()) return false;
    lang_load();
    parts_->options->menu_refresh_checks();
    frame_->show();
    if (!cpu_check()) return false;
    ini_read();
    dll_bind_optional();
    display_pre_init();
    if (!display_init()) return false;
    sound_init();
    input_init();
    if (!thread_start()) return false;
    // The hand-shake: returns once the new thread runs its idle loop.
    emu_stop_and_wait();
    gui_ready.store(1);
    started_ = true;
    return true;
}

void EmuApp::shutdown() {
    if (shut_down_) return;
    shut_down_ = true;
    gui_ready.store(0);
    shutdown_steps();
}

void EmuApp::shutdown_steps() {
    machine_close();
    thread_end();
    code_cache_release();
    if (frame_) frame_->display()->update();
    ini_write();
    dll_release();
    devices_release();
}

OptionModel& EmuApp::options() { return *parts_->options; }

std::filesystem::path EmuApp::profile_path() const { return profile_folder(profile_.folder_name); }

void EmuApp::toggle_pause() {
    if ((emu_state_flags.load() & kStatePaused) != 0) {
        emu_resume_request(kPauseUser);
    } else {
        emu_pause_request(kPauseUser);
    }
}

void EmuApp::reset() {
    // A demo being recorded or played is dropped without writing anything.
    demo_recording.store(0);
    demo_mode.store(0);
    emu_reboot_sequence(0);
}

void EmuApp::load_image(const std::string& path) {
    // As the Load ROM command does once its file is chosen, under the filter the user would
    // have chosen it with.
    with_machine_change([&path] { (void)rom_load_file(path, image_filter_for_file(path)); });
}

void EmuApp::command(u32 id) {
    id = accelerator_target(id);
    if (file_command(id)) return;
    (void)parts_->options->command(id);
}

void EmuApp::about_box() { show_about_box(frame_.get()); }

// ---- Steps -------------------------------------------------------------------------------

void EmuApp::compose() { compose_varn(); }

bool EmuApp::components_init() {
    compose();
    emu_set_host(host_.get());
    if (!code_cache_allocate()) {
        message_box("VARN could not reserve memory for its code cache.");
        return false;
    }
    return true;
}

bool EmuApp::create_frame() {
    frame_           = std::make_unique<MainFrame>(display_frame_images(), *requests_, profile_);
    parts_->frame    = frame_.get();
    frame_->on_close = [this] { shutdown(); };
    frame_->on_cd_request         = [](const ThreadRequest& r) { cd_request(r.code, r.param); };
    frame_->display()->on_painted = [this] { host_->painted(); };
    QWidget* display              = frame_->display();
    // Called on the emulation thread: the window's update slot, looked up once here, is
    // queued as a method, so no callable object is made on one thread and destroyed on the
    // other.
    const QMetaMethod update =
        display->metaObject()->method(display->metaObject()->indexOfSlot("update()"));
    host_->set_repaint([display, update] { update.invoke(display, Qt::QueuedConnection); });
    // The language file and the check marks act on the window's menu from now on.
    parts_->menu.target = frame_->menu();
    frame_->on_command  = [this](u32 id) { command(id); };
    // The input devices are read only while the window has the focus.
    frame_->on_focus_changed = [](bool focused) {
        if (focused) {
            input_focus_in();
        } else {
            input_focus_out();
        }
    };
    parts_->media_ui = std::make_unique<QtMediaUi>(frame_.get(), [this] { ini_write(); });
    media_set_ui(parts_->media_ui.get());
    return true;
}

void EmuApp::lang_load() { varn::lang_load(profile_path() / kLangFileName, parts_->menu); }

bool EmuApp::cpu_check() {
    cpu_detect_features();
    if (cpu_has_mmx != 0) return true;
    message_box(lang_text(lang::ERM_SYS_MMX));
    return false;
}

void EmuApp::ini_read() {
    // The settings' relative paths (every default) name files in the profile folder.
    config_program_folder = profile_path();
    const IniReadResult result =
        varn::ini_read(config_program_folder / kIniFileName, *parts_->options);
    if (!result.error.empty()) message_box(result.error);
}

void EmuApp::dll_bind_optional() {
    LibraryBindOptions options;
    options.namer_folder    = executable_folder();
    options.message_kestgen = cfg(cfg_error_msg_kestgen) != 0;
    options.message_kest32x = cfg(cfg_error_msg_kest32x) != 0;
    options.message_unrar   = cfg(cfg_error_msg_unr) != 0;
    options.message_zlib    = cfg(cfg_error_msg_zlb) != 0;
    varn::dll_bind_optional(options);
    aspi_init();  // the host's CD-ROM drives, and the default one restored by name
}

void EmuApp::display_pre_init() {
    display_rebuild_busy = false;
    // A naming library that is not there has no About box.
    if (kestgen_available == 0) frame_->menu()->remove(cmd::kAboutKestgen);
    if (kest32x_available == 0) frame_->menu()->remove(cmd::kAboutKest32x);
    cfg_enable_status_bar.store(1);
}

bool EmuApp::display_init() {
    if (!display_open()) {
        message_box(lang_text(lang::ERM_GFX_DX));
        return false;
    }
    parts_->options->apply_display_setup();
    frame_->fit_to_mode();
    return true;
}

void EmuApp::sound_init() {
    sound_->init();
    parts_->options->apply_sound_setup();
}

void EmuApp::input_init() {
    input_devices_init(frame_.get(),
                       [this](std::string_view text) { message_box(std::string(text)); });
    host_->set_input_poll([](HostInputState& state) { input_devices_poll(state); });
    parts_->options->apply_input_setup();
}

bool EmuApp::thread_start() {
    try {
        emu_thread_ = emu_thread_start();
    } catch (const std::system_error&) {
        message_box("VARN could not start its emulation thread.");
        return false;
    }
    return true;
}

void EmuApp::machine_close() { varn::machine_close(); }

void EmuApp::thread_end() {
    if (!emu_thread_.joinable()) return;
    emu_stop_and_wait();
    emu_thread_target.store(emu_thread_exit);
    emu_thread_.join();
}

void EmuApp::code_cache_release() { varn::code_cache_release(); }

void EmuApp::ini_write() {
    // No settings file was read (it could not be): it is not written over.
    if (ini_file_path.empty()) return;
    const FileWriteResult result = varn::ini_write(cd_drive_settings_name());
    if (!result) message_box(result.error);
}

void EmuApp::dll_release() {
    aspi_stop_disc();
    varn::dll_release();
}

void EmuApp::devices_release() {
    host_->set_input_poll(nullptr);
    input_devices_shutdown();
    display_close();
    sound_->shutdown();
}

void EmuApp::message_box(const std::string& text) {
    QMessageBox::warning(frame_ ? frame_.get() : nullptr, "VARN", QString::fromStdString(text));
}

}  // namespace varn
