#pragma once
// The host input devices: the keyboard, the first joystick and the mouse, read into the
// layouts the settings file and the controller code use.
//
// Keyboard: an application-wide Qt event filter keeps a live 256-entry key array indexed by
// DirectInput key codes (the codes `VARN.INI` stores), translated from the Linux key code of
// each key event through a fixed table. Auto-repeated presses change nothing. The array is
// cleared when the main window loses the focus and when the application is deactivated: the
// key releases that follow would never reach us, and a key must not stay held for ever.
//
// Joystick: the first joystick SDL finds when the devices are opened, read into the 80-byte
// device record (axes, sliders, hat switches, 32 button bytes from byte 0x30).
//
// Mouse: read only while captured. Capturing grabs the pointer for the main window, hides the
// cursor and turns every movement into relative motion (the pointer is put back in the middle
// of the window after each move). The capture ends on the capture key or a focus loss.
//
// The emulation thread reads all three once a frame through `input_devices_poll` (the
// window's Host interface), and only while the main window has the focus; the input dialogs read
// the keyboard and the joystick directly on the user-interface thread, whatever has the focus.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string_view>

#include "base/host.h"
#include "base/types.h"

namespace varn {

// ---- Key codes -------------------------------------------------------------------------

// The DirectInput key code of a Linux (evdev) key code; 0 for keys without one.
u8 dik_from_linux_key(u32 linux_code);
// The same from the native scan code of a Qt key event on X11 and Wayland, which is the
// X key code: the Linux key code plus 8.
u8 dik_from_native_scan_code(u32 native_scan_code);

// ---- The joystick device record --------------------------------------------------------

// Byte offsets in the 80-byte record, all fields little-endian u32 except the buttons.
namespace joy {
inline constexpr u32 kX          = 0x00;
inline constexpr u32 kY          = 0x04;
inline constexpr u32 kZ          = 0x08;
inline constexpr u32 kRx         = 0x0C;
inline constexpr u32 kRy         = 0x10;
inline constexpr u32 kRz         = 0x14;
inline constexpr u32 kSlider0    = 0x18;  // two sliders
inline constexpr u32 kPov0       = 0x20;  // four hat switches: hundredths of a degree
inline constexpr u32 kButtons    = 0x30;  // 32 bytes, bit 7 = down
inline constexpr u32 kRecordSize = 0x50;
inline constexpr u32 kPovCentred = 0xFFFFFFFF;
}  // namespace joy
static_assert(joy::kButtons == kJoystickButtonOffset);

using JoystickRecord = std::array<u8, joy::kRecordSize>;

// A record at rest: axes and sliders centred (0x8000 of 0-0xFFFF), hats centred, no button.
JoystickRecord joystick_record_at_rest();
u32 joystick_record_u32(const JoystickRecord& record, u32 offset);
void joystick_record_set_u32(JoystickRecord& record, u32 offset, u32 value);
// What the controller code reads of it: the X and Y axes and the buttons.
HostJoystick host_joystick_from_record(const JoystickRecord& record);

// Where joystick records come from: SDL's first joystick in the program; tests put a source
// of their own in its place.
class JoystickSource {
  public:
    virtual ~JoystickSource() = default;
    // Reads the device now; false when it cannot be read (the record is then left alone).
    virtual bool read(JoystickRecord& record) = 0;
};

// ---- The devices -----------------------------------------------------------------------

// What the set-up reports: message texts (the texts of the language table where there is
// one). Called on the user-interface thread.
using InputMessage = std::function<void(std::string_view text)>;

// Opens the devices for the main window: installs the key filter on the application, opens
// the first joystick (none attached is no error), looks for a pointing device. A device
// that cannot be opened is reported through `message` and stays unusable for the run.
// Then the caller re-applies the player slots' input sources (OptionModel::apply_input_setup).
void input_devices_init(QWidget* main_window, const InputMessage& message);
// Frees the mouse, closes the joystick and removes the key filter.
void input_devices_shutdown();

// Once a frame, on the emulation thread (the window's Host::poll_input): while the main
// window has the focus, the key array, the joystick record and, while captured, the mouse
// movement since the last poll and its buttons. Without the focus the keyboard reads as no
// key held, the joystick keeps its last record and the mouse gives no movement.
void input_devices_poll(HostInputState& state);

// The main window's focus changes. Losing it clears the key array and ends a mouse capture.
void input_focus_in();
void input_focus_out();
bool input_window_has_focus();

bool input_keyboard_ok();
bool input_joystick_ok();
bool input_mouse_ok();
bool input_mouse_captured();

// The capture key: takes the mouse for the main window (without a mouse it does nothing)
// and gives it back.
void input_mouse_acquire();
void input_mouse_release();

// For the input dialogs, on the user-interface thread: the keys held now and those pressed
// since the previous read, so that a short tap between two polls is not lost (false without
// a keyboard); and the joystick read now into `state.joystick` and `record` (false without a
// joystick or when the read fails).
bool input_read_keyboard(HostInputState& state);
// Forgets the presses gathered so far (a wait starts from what is held from then on).
void input_forget_key_presses();
bool input_read_joystick(HostInputState& state, JoystickRecord* record = nullptr);

// ---- For tests -------------------------------------------------------------------------

// Sets or clears a key of the live array by its DirectInput code, as a key event would.
void input_set_key(u8 dik, bool down);
void input_clear_keys();
// Replaces the joystick (null: none attached); the devices then count as opened with it.
void input_set_joystick_source(std::unique_ptr<JoystickSource> source);
// Marks a device as present or missing without a window system behind it.
void input_set_keyboard_ok(bool ok);
void input_set_mouse_ok(bool ok);
// Back to program start: no devices, no focus, no capture, empty key array.
void input_devices_reset();

}  // namespace varn
