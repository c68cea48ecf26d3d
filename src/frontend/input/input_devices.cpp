#include "frontend/input/input_devices.h"

#include <SDL.h>

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QInputDevice>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>
#include <mutex>

#include "base/endian.h"

namespace varn {

namespace {

// ---- Live device state -----------------------------------------------------------------

// Written by the user-interface thread (key events, mouse events), read by the emulation
// thread's poll: every byte is a word of its own.
std::array<std::atomic<u8>, 256> live_keys{};
// Keys pressed since the input dialog's last read: a tap between two of its polls counts.
std::array<std::atomic<u8>, 256> pressed_since_read{};
std::atomic<bool> window_has_focus{false};
std::atomic<bool> keyboard_ok{false};
std::atomic<bool> mouse_ok{false};
std::atomic<bool> mouse_captured{false};
std::atomic<s32> mouse_dx{0};
std::atomic<s32> mouse_dy{0};
std::array<std::atomic<u8>, 4> mouse_buttons{};

// The joystick is read from both threads; one lock around every use of the device.
std::mutex joystick_mutex;
std::unique_ptr<JoystickSource> joystick;
std::atomic<bool> joystick_ok{false};
JoystickRecord joystick_last = joystick_record_at_rest();  // the last record the poll read

QPointer<QWidget> main_window;
InputMessage report;
QPoint capture_centre;

void clear_mouse_motion() {
    mouse_dx.store(0, std::memory_order_relaxed);
    mouse_dy.store(0, std::memory_order_relaxed);
    for (auto& b : mouse_buttons) b.store(0, std::memory_order_relaxed);
}

void say(std::string_view text) {
    if (report) report(text);
}

// ---- The first SDL joystick --------------------------------------------------------------

u32 sdl_axis_to_record(Sint16 value) { return static_cast<u32>(static_cast<s32>(value) + 0x8000); }

u32 sdl_hat_to_pov(Uint8 hat) {
    switch (hat) {
        case SDL_HAT_UP:
            return 0;
        case SDL_HAT_RIGHTUP:
            return 4500;
        case SDL_HAT_RIGHT:
            return 9000;
        case SDL_HAT_RIGHTDOWN:
            return 13500;
        case SDL_HAT_DOWN:
            return 18000;
        case SDL_HAT_LEFTDOWN:
            return 22500;
        case SDL_HAT_LEFT:
            return 27000;
        case SDL_HAT_LEFTUP:
            return 31500;
        default:
            return joy::kPovCentred;
    }
}

class SdlJoystick : public JoystickSource {
  public:
    explicit SdlJoystick(SDL_Joystick* device) : device_(device) {}
    ~SdlJoystick() override {
        SDL_JoystickClose(device_);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }
    SdlJoystick(const SdlJoystick&)            = delete;
    SdlJoystick& operator=(const SdlJoystick&) = delete;

    bool read(JoystickRecord& record) override {
        SDL_JoystickUpdate();
        if (!SDL_JoystickGetAttached(device_)) return false;
        record = joystick_record_at_rest();
        // Axes in the record's order: X, Y, Z, RX, RY, RZ, then the two sliders.
        static constexpr u32 kAxisOffsets[] = {joy::kX,       joy::kY,          joy::kZ,
                                               joy::kRx,      joy::kRy,         joy::kRz,
                                               joy::kSlider0, joy::kSlider0 + 4};
        const int axes                      = SDL_JoystickNumAxes(device_);
        for (int i = 0; i < axes && i < 8; ++i)
            joystick_record_set_u32(record, kAxisOffsets[i],
                                    sdl_axis_to_record(SDL_JoystickGetAxis(device_, i)));
        const int hats = SDL_JoystickNumHats(device_);
        for (int i = 0; i < hats && i < 4; ++i)
            joystick_record_set_u32(record, joy::kPov0 + 4 * static_cast<u32>(i),
                                    sdl_hat_to_pov(SDL_JoystickGetHat(device_, i)));
        const int buttons = SDL_JoystickNumButtons(device_);
        for (int i = 0; i < buttons && i < 32; ++i)
            record[joy::kButtons + static_cast<u32>(i)] =
                SDL_JoystickGetButton(device_, i) != 0 ? 0x80 : 0;
        return true;
    }

  private:
    SDL_Joystick* device_;
};

// Opens the first joystick; none attached leaves the joystick off without a word.
std::unique_ptr<JoystickSource> open_sdl_joystick() {
    // The joystick is read whatever window has the focus, as the dialogs need it.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return nullptr;
    // Nobody drains SDL's event queue here: the state is read by SDL_JoystickUpdate.
    SDL_JoystickEventState(SDL_IGNORE);
    if (SDL_NumJoysticks() < 1) {
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        return nullptr;
    }
    SDL_Joystick* device = SDL_JoystickOpen(0);
    if (device == nullptr) {
        say("Could not Acquire joystick.");
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        return nullptr;
    }
    return std::make_unique<SdlJoystick>(device);
}

// ---- The application-wide event filter ---------------------------------------------------

class KeyFilter : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            // A key that is bound to a shortcut never arrives as a key press; its shortcut
            // check comes first.
            case QEvent::ShortcutOverride:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
                key(static_cast<QKeyEvent*>(event));
                break;
            case QEvent::ApplicationDeactivate:
                input_clear_keys();
                break;
            case QEvent::MouseMove:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
                if (mouse_captured.load(std::memory_order_relaxed))
                    return mouse(watched, static_cast<QMouseEvent*>(event));
                break;
            default:
                break;
        }
        return false;
    }

  private:
    static void key(const QKeyEvent* event) {
        if (event->isAutoRepeat()) return;
        const u8 dik = dik_from_native_scan_code(event->nativeScanCode());
        if (dik == 0) return;
        input_set_key(dik, event->type() != QEvent::KeyRelease);
    }

    // While captured, the mouse is ours: its events do not reach the widgets.
    static bool mouse(QObject* watched, const QMouseEvent* event) {
        // Taken at the window, which gets every movement (its widgets get them only when
        // they track the mouse) and passes on what it is not stopped from passing.
        if (!watched->isWindowType()) return false;
        if (event->type() == QEvent::MouseMove) {
            const QPoint delta = event->globalPosition().toPoint() - capture_centre;
            if (delta.isNull()) return true;  // our own warp back to the centre
            mouse_dx.fetch_add(delta.x(), std::memory_order_relaxed);
            mouse_dy.fetch_add(delta.y(), std::memory_order_relaxed);
            QCursor::setPos(capture_centre);
            return true;
        }
        // Button order of the device record: left, right, middle, fourth.
        u32 index = 4;
        switch (event->button()) {
            case Qt::LeftButton:
                index = 0;
                break;
            case Qt::RightButton:
                index = 1;
                break;
            case Qt::MiddleButton:
                index = 2;
                break;
            case Qt::BackButton:
                index = 3;
                break;
            default:
                break;
        }
        if (index < 4)
            mouse_buttons[index].store(event->type() == QEvent::MouseButtonRelease ? 0 : 0x80,
                                       std::memory_order_relaxed);
        return true;
    }
};

KeyFilter* key_filter = nullptr;

bool pointing_device_present() {
    for (const QInputDevice* device : QInputDevice::devices()) {
        if (device->type() == QInputDevice::DeviceType::Mouse ||
            device->type() == QInputDevice::DeviceType::TouchPad)
            return true;
    }
    return false;
}

}  // namespace

// ---- The joystick record -----------------------------------------------------------------

JoystickRecord joystick_record_at_rest() {
    JoystickRecord record{};
    for (u32 off = joy::kX; off < joy::kPov0; off += 4)
        joystick_record_set_u32(record, off, 0x8000);
    for (u32 off = joy::kPov0; off < joy::kButtons; off += 4)
        joystick_record_set_u32(record, off, joy::kPovCentred);
    return record;
}

u32 joystick_record_u32(const JoystickRecord& record, u32 offset) {
    return load_le32(record.data() + offset);
}

void joystick_record_set_u32(JoystickRecord& record, u32 offset, u32 value) {
    store_le32(record.data() + offset, value);
}

HostJoystick host_joystick_from_record(const JoystickRecord& record) {
    HostJoystick j;
    j.x = joystick_record_u32(record, joy::kX);
    j.y = joystick_record_u32(record, joy::kY);
    for (u32 i = 0; i < j.buttons.size(); ++i) j.buttons[i] = record[joy::kButtons + i];
    return j;
}

// ---- Set-up and shut-down ----------------------------------------------------------------

void input_devices_init(QWidget* window, const InputMessage& message) {
    main_window = window;
    report      = message;
    if (key_filter == nullptr && QCoreApplication::instance() != nullptr) {
        key_filter = new KeyFilter;
        QCoreApplication::instance()->installEventFilter(key_filter);
    }
    keyboard_ok.store(key_filter != nullptr);
    if (!keyboard_ok.load()) say("DirectInput not initialized.  Executing in watch-only mode.");
    {
        std::lock_guard lock(joystick_mutex);
        joystick = open_sdl_joystick();
        joystick_ok.store(joystick != nullptr);
        joystick_last = joystick_record_at_rest();
    }
    mouse_ok.store(pointing_device_present());
    if (window != nullptr && window->isActiveWindow()) input_focus_in();
}

void input_devices_shutdown() {
    input_mouse_release();
    {
        std::lock_guard lock(joystick_mutex);
        joystick.reset();
        joystick_ok.store(false);
    }
    if (key_filter != nullptr) {
        if (QCoreApplication::instance() != nullptr)
            QCoreApplication::instance()->removeEventFilter(key_filter);
        delete key_filter;
        key_filter = nullptr;
    }
    keyboard_ok.store(false);
    mouse_ok.store(false);
    window_has_focus.store(false);
    input_clear_keys();
    main_window = nullptr;
    report      = nullptr;
}

// ---- Per frame ---------------------------------------------------------------------------

void input_devices_poll(HostInputState& state) {
    const bool focused = window_has_focus.load(std::memory_order_acquire);
    if (keyboard_ok.load(std::memory_order_relaxed)) {
        for (u32 i = 0; i < state.keyboard.size(); ++i)
            state.keyboard[i] = focused ? live_keys[i].load(std::memory_order_relaxed) : 0;
    }
    if (joystick_ok.load(std::memory_order_relaxed)) {
        std::lock_guard lock(joystick_mutex);
        if (joystick && focused && joystick->read(joystick_last)) {
            state.joystick = host_joystick_from_record(joystick_last);
        }
    }
    if (mouse_captured.load(std::memory_order_relaxed) && focused) {
        state.mouse.dx = mouse_dx.exchange(0, std::memory_order_relaxed);
        state.mouse.dy = mouse_dy.exchange(0, std::memory_order_relaxed);
        for (u32 i = 0; i < 4; ++i)
            state.mouse.buttons[i] = mouse_buttons[i].load(std::memory_order_relaxed);
    }
}

// ---- Focus and capture -------------------------------------------------------------------

void input_focus_in() { window_has_focus.store(true, std::memory_order_release); }

void input_focus_out() {
    window_has_focus.store(false, std::memory_order_release);
    input_clear_keys();
    input_mouse_release();
}

bool input_window_has_focus() { return window_has_focus.load(std::memory_order_acquire); }
bool input_keyboard_ok() { return keyboard_ok.load(std::memory_order_relaxed); }
bool input_joystick_ok() { return joystick_ok.load(std::memory_order_relaxed); }
bool input_mouse_ok() { return mouse_ok.load(std::memory_order_relaxed); }
bool input_mouse_captured() { return mouse_captured.load(std::memory_order_relaxed); }

void input_mouse_acquire() {
    if (!mouse_ok.load() || mouse_captured.load() || main_window == nullptr) return;
    QWindow* handle = main_window->window()->windowHandle();
    if (handle == nullptr || !handle->setMouseGrabEnabled(true)) {
        say("Could not get exclusive access to SysMouse.");
        return;
    }
    clear_mouse_motion();
    capture_centre = main_window->mapToGlobal(main_window->rect().center());
    QGuiApplication::setOverrideCursor(Qt::BlankCursor);
    QCursor::setPos(capture_centre);
    mouse_captured.store(true);
}

void input_mouse_release() {
    if (!mouse_captured.exchange(false)) return;
    if (main_window != nullptr) {
        if (QWindow* handle = main_window->window()->windowHandle())
            handle->setMouseGrabEnabled(false);
    }
    QGuiApplication::restoreOverrideCursor();
    clear_mouse_motion();
}

// ---- Dialog reads ------------------------------------------------------------------------

bool input_read_keyboard(HostInputState& state) {
    if (!keyboard_ok.load(std::memory_order_relaxed)) return false;
    for (u32 i = 0; i < state.keyboard.size(); ++i)
        state.keyboard[i] = live_keys[i].load(std::memory_order_relaxed) |
                            pressed_since_read[i].exchange(0, std::memory_order_relaxed);
    return true;
}

void input_forget_key_presses() {
    for (auto& k : pressed_since_read) k.store(0, std::memory_order_relaxed);
}

bool input_read_joystick(HostInputState& state, JoystickRecord* record) {
    std::lock_guard lock(joystick_mutex);
    if (!joystick_ok.load(std::memory_order_relaxed) || !joystick) return false;
    JoystickRecord now = joystick_record_at_rest();
    if (!joystick->read(now)) return false;
    state.joystick = host_joystick_from_record(now);
    if (record != nullptr) *record = now;
    return true;
}

// ---- Test controls -----------------------------------------------------------------------

void input_set_key(u8 dik, bool down) {
    live_keys[dik].store(down ? 0x80 : 0, std::memory_order_relaxed);
    if (down) pressed_since_read[dik].store(0x80, std::memory_order_relaxed);
}

void input_clear_keys() {
    for (auto& k : live_keys) k.store(0, std::memory_order_relaxed);
    input_forget_key_presses();
}

void input_set_joystick_source(std::unique_ptr<JoystickSource> source) {
    std::lock_guard lock(joystick_mutex);
    joystick = std::move(source);
    joystick_ok.store(joystick != nullptr);
    joystick_last = joystick_record_at_rest();
}

void input_set_keyboard_ok(bool ok) { keyboard_ok.store(ok); }
void input_set_mouse_ok(bool ok) { mouse_ok.store(ok); }

void input_devices_reset() { input_devices_shutdown(); }

}  // namespace varn
