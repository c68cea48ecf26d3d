#include "frontend/main_frame.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMetaMethod>
#include <QPainter>
#include <QShortcut>
#include <QStatusBar>
#include <cmath>

#include "base/config.h"
#include "frontend/host/display.h"
#include "frontend/qt_menu.h"
#include "media/state_file.h"
#include "runtime/thread_link.h"

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

MainFrame::MainFrame(FrameImages& images, RequestQueue& requests, const FrontendProfile& profile)
    : images_(images), requests_(requests), profile_(profile) {
    setWindowTitle("VARN");
    display_ = new DisplayWidget(images_, this);
    setCentralWidget(display_);

    menu_             = new QtMenu(menuBar(), profile_.menu_entries());
    menu_->on_command = [this](u32 id) {
        if (on_command) on_command(id);
    };
    menu_->on_opened = [this] { menu_opened(); };
    menu_->on_closed = [this] { menu_closed(); };
    install_accelerators();

    // Four panes sized from the width a pane needs for "X": the first takes what is left,
    // the second is empty, the third holds the thread state, the fourth the state slot.
    for (u32 i = 0; i < panes_.size(); ++i) {
        panes_[i] = new QLabel("X", this);
        panes_[i]->setFrameShape(QFrame::Panel);
        panes_[i]->setFrameShadow(QFrame::Sunken);
    }
    const int x_width = panes_[3]->sizeHint().width();
    statusBar()->addWidget(panes_[0], 1);
    statusBar()->addPermanentWidget(panes_[1]);
    statusBar()->addPermanentWidget(panes_[2]);
    statusBar()->addPermanentWidget(panes_[3]);
    panes_[1]->setFixedWidth(0);
    panes_[1]->hide();
    panes_[2]->setMinimumWidth(2 * x_width);
    panes_[3]->setMinimumWidth(3 * x_width);
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
    // Called on the posting thread (the emulation thread): the drain, looked up once here,
    // is queued as a method, so no callable object is made on that thread and destroyed on
    // this one; the event Qt queues holds nothing of ours.
    const QMetaMethod drain = metaObject()->method(metaObject()->indexOfMethod("drain_requests()"));
    requests_.set_wake([this, drain] { drain.invoke(this, Qt::QueuedConnection); });

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
    menuBar()->hide();
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
    menuBar()->show();
    statusBar()->show();
    images_.clear();
    display_rebuild_busy = busy;
    fit_to_mode();
}

void MainFrame::update_status_bar() {
    if (cfg(cfg_screen_size) == kScreenFullScreen) return;
    panes_[0]->setText({});
    panes_[1]->setText({});
    static const char* const kStateText[4] = {"K", "P", "E", "FF"};
    const u32 state                        = emu_thread_state.load();
    if (state < 4) panes_[2]->setText(kStateText[state]);
    if (state_slot <= 9) {
        const std::string_view type =
            cfg(cfg_state_filter_index) == 2 ? std::string_view("GS") : profile_.own_state_letters;
        panes_[3]->setText(QString("%1%2")
                               .arg(QString::fromUtf8(type.data(), static_cast<int>(type.size())))
                               .arg(state_slot));
    }
    for (QLabel* pane : panes_) pane->repaint();
}

namespace {

// The toolkit key of an accelerator's key.
int accelerator_key(const Accelerator& a) {
    if (a.key >= kKeyF1) return Qt::Key_F1 + static_cast<int>(a.key - kKeyF1);
    if (a.key == '+') return Qt::Key_Plus;
    if (a.key == '-') return Qt::Key_Minus;
    return static_cast<int>(a.key);  // letters and digits are their own codes
}

bool by_key_handler(const Accelerator& a) {
    return (a.modifiers & Accelerator::kKeypad) != 0 || (a.key >= '0' && a.key <= '9');
}

}  // namespace

void MainFrame::install_accelerators() {
    for (const Accelerator& a : accelerator_table()) {
        // The keypad chords and the digits are matched by the key handler below: the
        // toolkit's shortcuts do not tell the keypad's keys from the main keyboard's, and the
        // keypad's digits belong to the controllers.
        if (by_key_handler(a)) continue;
        int modifiers = 0;
        if ((a.modifiers & Accelerator::kAlt) != 0) modifiers |= Qt::ALT;
        auto* shortcut = new QShortcut(QKeySequence(accelerator_key(a) | modifiers), this);
        shortcut->setAutoRepeat(false);
        const u32 id = accelerator_target(a.id);
        connect(shortcut, &QShortcut::activated, this, [this, id] {
            if (on_command) on_command(id);
        });
    }
}

void MainFrame::keyPressEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat()) {
        const bool keypad = (event->modifiers() & Qt::KeypadModifier) != 0;
        const bool alt    = (event->modifiers() & Qt::AltModifier) != 0;
        for (const Accelerator& a : accelerator_table()) {
            if (!by_key_handler(a) || event->key() != accelerator_key(a) ||
                keypad != ((a.modifiers & Accelerator::kKeypad) != 0) ||
                alt != ((a.modifiers & Accelerator::kAlt) != 0)) {
                continue;
            }
            if (on_command) on_command(accelerator_target(a.id));
            event->accept();
            return;
        }
    }
    QMainWindow::keyPressEvent(event);
}

void MainFrame::menu_opened() {
    if (gui_ready.load() == 1) emu_pause_request(kPauseMenu);
}

void MainFrame::menu_closed() {
    if (gui_ready.load() == 1) emu_resume_request(kPauseMenu);
}

void MainFrame::focus_lost() {
    if (cfg(cfg_auto_pause_focus) != 0 && gui_ready.load() == 1) emu_pause_request(kPauseFocus);
    if (on_focus_changed) on_focus_changed(false);
}

void MainFrame::focus_gained() {
    // Released even when the focus pause was not taken.
    if (gui_ready.load() == 1) emu_resume_request(kPauseFocus);
    if (on_focus_changed) on_focus_changed(true);
}

void MainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange) return;
    // A popup menu leaves the window active, so only another window or application taking
    // over counts.
    const bool active = isActiveWindow();
    if (active == focused_) return;
    focused_ = active;
    if (active) {
        focus_gained();
    } else {
        focus_lost();
    }
}

void MainFrame::closeEvent(QCloseEvent* event) {
    if (on_close) on_close();
    event->accept();
}

}  // namespace varn
