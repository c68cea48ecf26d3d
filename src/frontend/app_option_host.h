#pragma once
// What the option commands reach in the window program beyond the machine: the emulation
// thread's pauses, the display and the sound output. The menu and dialogs join later.

#include "frontend/config/menu_view.h"
#include "frontend/config/option_host.h"

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

  private:
    MainFrame*& frame_;
    SoundOutput& sound_;
};

// The menu before there is one: every item is missing.
class NoMenu : public MenuView {
  public:
    bool set_checked(u32, bool) override { return false; }
    bool set_text(u32, std::string_view) override { return false; }
    bool set_text_at(std::span<const u32>, std::string_view) override { return false; }
};

}  // namespace varn
