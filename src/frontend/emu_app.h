#pragma once
// The application: brings the program up and takes it down.
//
// Start-up, in this order: the one-time set-up of the emulation side and the code cache;
// the main window; the language file; the processor check; the settings file; the optional
// libraries; the display (its failure ends start-up); the sound device (its failure leaves
// silent mode); the input devices; the emulation thread, proven alive by a stop-and-wait.
// Only then are the emulation thread's requests accepted. A start-up that ends early writes
// no settings.
//
// Shut-down, from the main window's close: requests are dropped from then on; the machine
// is closed; the thread is stopped, handed the exit entry and joined; the code cache is
// released; the settings file is written; the libraries and devices are released.
//
// Each step is a virtual function with the program's behaviour, so that tests can watch the
// order and make a step fail.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "base/types.h"
#include "frontend/frontend_profile.h"

namespace varn {

class MainFrame;
class WindowHost;
class SoundOutput;
class RequestQueue;
class OptionModel;
struct FrameSurface;

class EmuApp {
  public:
    explicit EmuApp(const FrontendProfile& profile = main_frontend_profile());
    virtual ~EmuApp();
    EmuApp(const EmuApp&)            = delete;
    EmuApp& operator=(const EmuApp&) = delete;

    // Start-up; false when the program must end (its message has been shown).
    bool start();
    // Shut-down; runs once, from the main window's close.
    void shutdown();

    // Alt+P: pauses, or resumes while paused; with or without a machine.
    void toggle_pause();
    // Alt+R: drops a demo being recorded or played and reboots the loaded image.
    void reset();
    // Loads and boots an image as the Load ROM command does once its file is chosen, and
    // restarts the sound that closing the previous machine stopped.
    void load_image(const std::string& path);
    // A menu item or accelerator: the File and Help commands, the state-slot keys, Alt+P
    // and Alt+R, and every option command. Ids without a handler do nothing.
    void command(u32 id);

    MainFrame* frame() const { return frame_.get(); }
    SoundOutput* sound() const { return sound_.get(); }
    bool started() const { return started_; }

  protected:
    // The steps, in the order start-up runs them.
    virtual bool components_init();  // emulation set-up and the code cache
    // Binds the program's emulation units (the first part of the set-up).
    virtual void compose();
    virtual bool create_frame();
    virtual void lang_load();
    virtual bool cpu_check();
    virtual void ini_read();
    virtual void dll_bind_optional();
    virtual void display_pre_init();
    virtual bool display_init();
    virtual void sound_init();
    virtual void input_init();
    virtual bool thread_start();
    // The steps shut-down adds.
    virtual void machine_close();
    virtual void thread_end();
    virtual void code_cache_release();
    virtual void ini_write();
    virtual void dll_release();
    virtual void devices_release();

    // Shut-down after its first step (requests dropped): the main program closes the
    // machine before it stops the thread.
    virtual void shutdown_steps();
    // A File or Help command, a state-slot key, Alt+P or Alt+R; false when `id` is none.
    virtual bool file_command(u32 id);

    virtual void message_box(const std::string& text);

    const FrontendProfile& profile() const { return profile_; }
    OptionModel& options();
    // The profile folder of this program.
    std::filesystem::path profile_path() const;
    void with_machine_change(const std::function<void()>& work);
    // The last frame the window shows, at the picture's own size; none without a window.
    bool last_picture(FrameSurface& picture) const;

  private:
    void save_screenshot();
    void about_box();

    const FrontendProfile& profile_;

    struct Parts;
    std::unique_ptr<Parts> parts_;
    std::unique_ptr<RequestQueue> requests_;
    std::unique_ptr<SoundOutput> sound_;
    std::unique_ptr<WindowHost> host_;
    std::unique_ptr<MainFrame> frame_;
    std::thread emu_thread_;
    bool started_   = false;
    bool shut_down_ = false;
};

}  // namespace varn
