#include "frontend/main_frame.h"

#include <QCloseEvent>
#include <QPainter>
#include <QStatusBar>
#include <cmath>

#include "base/config.h"
#include "frontend/host/display.h"
#include "genesis/runtime/thread_link.h"

namespace varn {

namespace {

// The frame images as the toolkit sees them: 640 x 480, 5-6-5.
QImage frame_image(const u16* pixels) {
    return QImage(reinterpret_cast<const uchar*>(pixels), kSurfaceWidth, kSurfaceHeight,
                  FrameImages::kPitch * 2, QImage::Format_RGB16);
}

}  // namespace

DisplayWidget::DisplayWidget(FrameImages& images, QWidget* parent)
    : QWidget(parent), images_(images) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(1, 1);
}

QRect DisplayWidget::area_on_widget() const {
    if (cfg(cfg_screen_size) != kScreenFullScreen) return rect();
    // The full-screen picture area keeps its shape on the desktop's own mode.
    u32 w = 0, h = 0;
    display_fit_aspect(display_geometry.target_width, display_geometry.target_height,
                       static_cast<u32>(std::max(width(), 1)),
                       static_cast<u32>(std::max(height(), 1)), w, h);
    return QRect((width() - static_cast<int>(w)) / 2, (height() - static_cast<int>(h)) / 2,
                 static_cast<int>(w), static_cast<int>(h));
}

void DisplayWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const u16* pixels = images_.latest();
    if (on_painted) on_painted();
    if (!images_.has_frame()) return;

    const DisplayGeometry& g = display_geometry;
    const QRect area         = area_on_widget();
    const double sx          = static_cast<double>(area.width()) / g.target_width;
    const double sy          = static_cast<double>(area.height()) / g.target_height;
    const DisplayRect& d     = g.dest_rect;
    const QRect dest(area.x() + static_cast<int>(std::lround(d.left * sx)),
                     area.y() + static_cast<int>(std::lround(d.top * sy)),
                     static_cast<int>(std::lround(d.width() * sx)),
                     static_cast<int>(std::lround(d.height() * sy)));
    const QRect source(0, 0, static_cast<int>(g.source_width), static_cast<int>(g.source_height));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setClipRect(area);
    painter.drawImage(dest, frame_image(pixels), source);
}

void DisplayWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (on_resized) on_resized(width(), height());
}

MainFrame::MainFrame(FrameImages& images, RequestQueue& requests)
    : images_(images), requests_(requests) {
    setWindowTitle("VARN");
    display_ = new DisplayWidget(images_, this);
    setCentralWidget(display_);
    state_pane_ = new QLabel(this);
    statusBar()->addPermanentWidget(state_pane_);
    update_status_bar();

    // Resizeable stretch modes: the new picture area becomes the target.
    display_->on_resized = [this](int width, int height) {
        const u32 mode = cfg(cfg_frame_stretch_behavior);
        if (fullscreen_ || mode < kStretchResizeSquare || mode > kStretchResizeStretched) return;
        const u32 w = static_cast<u32>(width), h = static_cast<u32>(height);
        if (display_geometry.target_width == w && display_geometry.target_height == h) return;
        display_geometry.target_width  = w;
        display_geometry.target_height = h;
        fit_to_mode();
    };
    requests_.set_wake([this] {
        QMetaObject::invokeMethod(
            this, [this] { drain_requests(); }, Qt::QueuedConnection);
    });

    // A picture area of 320 x 224 to begin with.
    display_->setFixedSize(320, 224);
    adjustSize();
}

void MainFrame::drain_requests() {
    requests_.drain([this](const ThreadRequest& request) { handle_request(request); });
}

void MainFrame::handle_request(const ThreadRequest& request) {
    switch (request.code) {
        case kRequestReboot:
            emu_reboot_sequence(request.param);
            break;
        case kRequestStop:
            emu_stop_and_wait();
            break;
        case kRequestDisplaySizeChanged:
            fit_to_mode();
            break;
        case kRequestThreadStateChanged:
            update_status_bar();
            break;
        default:
            if (request.code >= kRequestCdFirst && request.code <= kRequestCdLast &&
                on_cd_request) {
                on_cd_request(request);
            }
            break;  // anything else is not a request of this program
    }
}

void MainFrame::fit_to_mode() {
    if (display_rebuild_busy) return;
    display_rebuild_busy   = true;
    const DisplayInputs in = display_inputs_from_config();
    const FitFollowUp next = display_fit(in, display_geometry);
    const u32 mode         = in.stretch_mode;
    if (!fullscreen_) {
        if (mode >= kStretchResizeSquare && mode <= kStretchResizeStretched) {
            // The user sizes the window: the picture area takes whatever it is given.
            display_->setMinimumSize(1, 1);
            display_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        }
    }
    switch (next) {
        case FitFollowUp::kResizeWindow:
            resize_to_client();
            break;
        case FitFollowUp::kResizeWindowAndClear:
            resize_to_client();
            clear_surfaces();
            break;
        case FitFollowUp::kClear:
            clear_surfaces();
            break;
        case FitFollowUp::kNothing:
            break;
    }
    display_->update();
    display_rebuild_busy = false;
}

void MainFrame::resize_to_client() {
    if (fullscreen_ || cfg(cfg_screen_size) == kScreenFullScreen) {
        clear_surfaces();
        return;
    }
    display_->setFixedSize(static_cast<int>(display_geometry.target_width),
                           static_cast<int>(display_geometry.target_height));
    adjustSize();
}

void MainFrame::clear_surfaces() {
    images_.clear();
    display_->update();
}

void MainFrame::enter_fullscreen() {
    const bool busy      = display_rebuild_busy;
    display_rebuild_busy = true;
    fullscreen_          = true;
    statusBar()->hide();
    display_->setMinimumSize(1, 1);
    display_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setWindowFlag(Qt::FramelessWindowHint, true);
    showFullScreen();
    images_.clear();
    display_rebuild_busy = busy;
    fit_to_mode();
}

void MainFrame::enter_windowed() {
    const bool busy      = display_rebuild_busy;
    display_rebuild_busy = true;
    fullscreen_          = false;
    setWindowFlag(Qt::FramelessWindowHint, false);
    showNormal();
    statusBar()->show();
    images_.clear();
    display_rebuild_busy = busy;
    fit_to_mode();
}

void MainFrame::update_status_bar() {
    if (cfg(cfg_screen_size) == kScreenFullScreen) return;
    static const char* const kStateText[4] = {"K", "P", "E", "FF"};
    const u32 state                        = emu_thread_state.load();
    if (state < 4) state_pane_->setText(kStateText[state]);
}

void MainFrame::closeEvent(QCloseEvent* event) {
    if (on_close) on_close();
    event->accept();
}

}  // namespace varn
