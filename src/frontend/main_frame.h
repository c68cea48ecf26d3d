#pragma once
// The main window: the picture area (a widget that paints the last finished frame, scaled
// by nearest neighbour into the destination rectangle, black around it) and the status
// bar. It drains the emulation thread's requests, keeps the picture fitted to the screen
// size and stretch mode, and switches between a window and full screen, where a borderless
// window covers the current desktop mode and the picture area of the configured full-screen
// size is scaled onto it keeping its shape.

#include <QLabel>
#include <QMainWindow>
#include <QWidget>
#include <functional>

#include "frontend/host/display_geometry.h"
#include "frontend/host/frame_images.h"
#include "frontend/host/request_queue.h"

namespace varn {

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
  public:
    MainFrame(FrameImages& images, RequestQueue& requests);

    // A request of the emulation thread (the queue's handler).
    void handle_request(const ThreadRequest& request);
    void drain_requests();

    // Recomputes the geometry for the screen size and stretch mode and sizes the window.
    void fit_to_mode();
    // Sizes the window so that the picture area is the target size (windowed sizes).
    void resize_to_client();
    // Blackens the frame images and the picture area.
    void clear_surfaces();
    void enter_fullscreen();
    void enter_windowed();
    // Pane 2: the emulation thread's state.
    void update_status_bar();

    DisplayWidget* display() const { return display_; }

    // Called by the close box (and the exit command) before the window goes.
    std::function<void()> on_close;
    // Runs a CD drive request (codes 0x30000000-0x30000007); none without a drive.
    std::function<void(const ThreadRequest&)> on_cd_request;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    FrameImages& images_;
    RequestQueue& requests_;
    DisplayWidget* display_ = nullptr;
    QLabel* state_pane_     = nullptr;
    bool fullscreen_        = false;
};

// Request codes the window handles (the emulation side's codes).
inline constexpr u32 kRequestCdFirst = 0x30000000;
inline constexpr u32 kRequestCdLast  = 0x30000007;

}  // namespace varn
