#pragma once
// The main window: the picture area (a widget that paints the last finished frame, scaled
// by nearest neighbour into the destination rectangle, black around it) and the status
// bar. It drains the emulation thread's requests, keeps the picture fitted to the screen
// size and stretch mode, and switches between a window and full screen, where a borderless
// window covers the current desktop mode and the picture area of the configured full-screen
// size is scaled onto it keeping its shape.
//
// The window carries the menu bar (built from the menu data), the accelerators and four
// status bar panes: two empty ones, the emulation thread's state and the save-state slot.
// While a menu is open the emulation pauses; losing the focus pauses it too when the
// auto-pause option is on (a popup menu is not a focus loss). Both pauses are taken only
// once start-up is over.

#include <QLabel>
#include <QMainWindow>
#include <QWidget>
#include <array>
#include <atomic>
#include <functional>

#include "frontend/frontend_profile.h"
#include "frontend/host/display_geometry.h"
#include "frontend/host/frame_images.h"
#include "frontend/host/request_queue.h"

namespace varn {

class QtMenu;

class DisplayWidget : public QWidget {
  public:
    DisplayWidget(FrameImages& images, QWidget* parent);

    // The area the picture area of the configured size is shown in (the whole widget in a
    // window; letterboxed onto the screen in full screen).
    QRect area_on_widget() const;

    std::function<void()> on_painted;
    std::function<void(int width, int height)> on_resized;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    FrameImages& images_;
};

class MainFrame : public QMainWindow {
    Q_OBJECT

  public:
    MainFrame(FrameImages& images, RequestQueue& requests,
              const FrontendProfile& profile = main_frontend_profile());

    // A request of the emulation thread (the queue's handler).
    void handle_request(const ThreadRequest& request);
    // The queue's wake-up runs this on the user-interface thread, queued by name from the
    // posting thread.
    Q_INVOKABLE void drain_requests();

    // Recomputes the geometry for the screen size and stretch mode and sizes the window.
    void fit_to_mode();
    // Sizes the window so that the picture area is the target size (windowed sizes).
    void resize_to_client();
    // Blackens the frame images and the picture area.
    void clear_surfaces();
    void enter_fullscreen();
    void enter_windowed();
    // Pane 2: the emulation thread's state; pane 3: the save-state slot and state file type.
    // Nothing while in full screen.
    void update_status_bar();
    QLabel* status_pane(u32 index) const { return panes_[index]; }

    DisplayWidget* display() const { return display_; }
    QtMenu* menu() const { return menu_; }

    // A menu item or accelerator was chosen (accelerator-only ids already mapped).
    std::function<void(u32 command_id)> on_command;
    // The window gained (true) or lost (false) the focus, after the pause handling: the
    // input devices are read only while it has it.
    std::function<void(bool focused)> on_focus_changed;

    // The window events, callable by tests.
    void menu_opened();
    void menu_closed();
    void focus_gained();
    void focus_lost();

    // Called by the close box (and the exit command) before the window goes.
    std::function<void()> on_close;
    // Runs a CD drive request (codes 0x30000000-0x30000007); none without a drive.
    std::function<void(const ThreadRequest&)> on_cd_request;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void install_accelerators();

    FrameImages& images_;
    RequestQueue& requests_;
    const FrontendProfile& profile_;
    DisplayWidget* display_ = nullptr;
    QtMenu* menu_           = nullptr;
    std::array<QLabel*, 4> panes_{};
    bool fullscreen_ = false;
    bool focused_    = false;
};

}  // namespace varn
