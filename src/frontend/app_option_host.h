#pragma once
// What the option commands reach in the window program beyond the machine: the emulation
// thread's pauses, the display, the sound output, the input devices, message boxes and the
// dialogs.

#include <functional>

#include "settings/menu_view.h"
#include "settings/option_host.h"

namespace varn {

class MainFrame;
class SoundOutput;

class AppOptionHost : public MachineOptionHost {
  public:
    AppOptionHost(MainFrame*& frame, SoundOutput& sound) : frame_(frame), sound_(sound) {}

    void pause_request(u32 reasons) override;
    void resume_request(u32 reasons) override;
    void clear_surfaces() override;
    void window_fit_to_mode() override;
    void status_bar_update() override;
    void enter_fullscreen() override;
    void enter_windowed() override;
    void rebuild_sound_output() override;

    bool joystick_ok() override;
    bool mouse_captured() override;
    void mouse_acquire() override;
    void mouse_release() override;

    void show_message(std::string_view text) override;
    void open_define_input(u32 player_slot, DefineInputPart part) override;
    void open_cd_drive_chooser() override;
    std::optional<std::string> choose_brm_folder() override;
    std::optional<std::string> choose_system_rom(std::string_view current) override;

    // Where messages go (the application's message box).
    std::function<void(const std::string&)> message;

  private:
    MainFrame*& frame_;
    SoundOutput& sound_;
};

// The menu before the window exists, and then the window's: every call goes to `target`,
// and every item is missing while there is none.
class MenuForwarder : public MenuView {
  public:
    MenuView* target = nullptr;
    bool set_checked(u32 id, bool checked) override {
        return target != nullptr && target->set_checked(id, checked);
    }
    bool set_text(u32 id, std::string_view text) override {
        return target != nullptr && target->set_text(id, text);
    }
    bool set_text_at(std::span<const u32> path, std::string_view text) override {
        return target != nullptr && target->set_text_at(path, text);
    }
};

}  // namespace varn
