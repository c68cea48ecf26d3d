#pragma once
// The earlier release's application: the main program's start-up and shut-down with that
// release's steps. Start-up makes no processor test, binds no naming library, opens no sound
// device (the program is silent) and reads the earlier release's own settings file from its
// own profile folder. Shut-down stops the emulation thread before it closes the machine.

#include "frontend/emu_app.h"

namespace varn {

class LegacyApp : public EmuApp {
  public:
    LegacyApp();

    // Sets the check marks of the earlier release's own two items.
    void refresh_own_checks();

  protected:
    void compose() override;
    void lang_load() override;
    bool cpu_check() override;
    void ini_read() override;
    void dll_bind_optional() override;
    void sound_init() override;
    void ini_write() override;
    void shutdown_steps() override;
    bool file_command(u32 id) override;
};

}  // namespace varn
