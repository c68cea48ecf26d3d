#pragma once
// What the option commands do beyond the configuration words: the emulated machine's region
// lines, controller ports and frame skip, the display, the sound output, the input devices,
// dialogs and message boxes. `MachineOptionHost` drives the machine and leaves the rest
// empty; the window derives from it and fills in the display, sound and dialog parts.

#include <optional>
#include <string>
#include <string_view>

#include "base/types.h"

namespace varn {

// The input-definition dialog edits a slot's keyboard keys or its joystick buttons.
enum class DefineInputPart : u8 { kKeys, kJoystick };

class OptionHost {
  public:
    virtual ~OptionHost() = default;

    // Machine.
    // The console's PAL and overseas lines, and the Sega CD's region (0 Japan, 1 USA,
    // 2 Europe).
    virtual void set_console_lines(u32 pal, u32 overseas) = 0;
    virtual void set_scd_region(u32 region)               = 0;
    // Copies the port types into the live controller ports (unless a demo plays).
    virtual void input_apply_config() = 0;
    // Frame-skip level of the pacer, in eighths of a frame.
    virtual void set_frame_skip_level(u32 level) = 0;
    // Bit 2 of the render mode: the scan-line variant of the line copy.
    virtual void set_scanline_render(bool on) = 0;

    // Emulation thread pauses, by reason bits (8 file or mode change, 0x10 full screen).
    virtual void pause_request(u32) {}
    virtual void resume_request(u32) {}

    // Display.
    virtual void clear_surfaces() {}
    virtual void window_fit_to_mode() {}
    virtual void status_bar_update() {}
    virtual void enter_fullscreen() {}
    virtual void enter_windowed() {}
    // True once the display has said it cannot show the windowed picture.
    virtual bool display_not16_warned() { return false; }
    // Resizeable stretch behaviours give the frame a sizing border.
    virtual void set_frame_resizable(bool) {}

    // Sound: the output rate in Hz; `rebuild_sound_output` recreates the stream at it.
    virtual void set_stream_rate(u32) {}
    virtual void rebuild_sound_output() {}

    // Input devices.
    virtual bool joystick_ok() { return false; }
    virtual bool mouse_captured() { return false; }
    virtual void mouse_acquire() {}
    virtual void mouse_release() {}

    // Dialogs and messages. A modeless dialog that is already open is not opened twice.
    virtual void show_message(std::string_view) {}
    virtual void open_define_input(u32 /*player_slot*/, DefineInputPart) {}
    virtual void open_cd_drive_chooser() {}
    // The chosen folder, or nothing when the user cancelled.
    virtual std::optional<std::string> choose_brm_folder() { return std::nullopt; }
    // A system ROM file the user chose and that opens for reading (stored form), or nothing.
    virtual std::optional<std::string> choose_system_rom(std::string_view /*current*/) {
        return std::nullopt;
    }
};

// Drives the emulated machine: region lines, controller ports, frame skip, render mode, and
// the emulation thread's pause requests.
class MachineOptionHost : public OptionHost {
  public:
    void pause_request(u32 reasons) override;
    void resume_request(u32 reasons) override;
    void set_console_lines(u32 pal, u32 overseas) override;
    void set_scd_region(u32 region) override;
    void input_apply_config() override;
    void set_frame_skip_level(u32 level) override;
    void set_scanline_render(bool on) override;
};

}  // namespace varn
