#include "frontend/dialogs/calibrate_joystick_dialog.h"

#include <QGridLayout>

#include "frontend/dialogs/dialogs.h"
#include "frontend/input/input_devices.h"
#include "genesis/io/input_update.h"

namespace varn {

JoystickCentreLimits joystick_centre_limits{};

CalibrateJoystickDialog::CalibrateJoystickDialog() {
    setWindowTitle("Calibrate Joystick");
    auto* grid                    = new QGridLayout(this);
    const char* const centre[]    = {"Center U", "Center D", "Center L", "Center R"};
    const char* const direction[] = {"Up", "Down", "Left", "Right"};
    for (u32 i = 0; i < 4; ++i) {
        const int line = static_cast<int>(i);
        grid->addWidget(new QLabel(centre[i], this), line, 0);
        centre_items_[i] = new QLabel("0000", this);
        grid->addWidget(centre_items_[i], line, 1);
    }
    centre_button_ = new QPushButton("Change", this);
    centre_button_->setAutoDefault(false);
    grid->addWidget(centre_button_, 0, 2, 4, 1);
    connect(centre_button_, &QPushButton::clicked, this,
            &CalibrateJoystickDialog::start_centre_calibration);
    for (u32 i = 0; i < 4; ++i) {
        const int line = static_cast<int>(4 + i);
        grid->addWidget(new QLabel(direction[i], this), line, 0);
        direction_items_[i] = new QLabel("0000", this);
        grid->addWidget(direction_items_[i], line, 1);
        // The direction rows have no calibration behind them.
        auto* button = new QPushButton("Change", this);
        button->setAutoDefault(false);
        grid->addWidget(button, line, 2);
    }
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &CalibrateJoystickDialog::poll_once);
}

CalibrateJoystickDialog::~CalibrateJoystickDialog() {
    if (calibrate_joystick_dialog == this) calibrate_joystick_dialog = nullptr;
}

void CalibrateJoystickDialog::start_centre_calibration() {
    if (calibrating() || closing()) return;
    joystick_centre_limits = JoystickCentreLimits{};
    centre_button_->setEnabled(false);
    poll_ = 0;
    poll_once();
}

void CalibrateJoystickDialog::poll_once() {
    if (!calibrating()) return;
    // Each round: "????", a read, the limits so far, a second read.
    if (poll_ % 2 == 0) {
        for (QLabel* item : centre_items_) item->setText("????");
    } else {
        show_limits();
    }
    HostInputState state;
    if (input_read_joystick(state)) {
        JoystickRange range;
        range.min_x = joystick_centre_limits.x_low;
        range.max_x = joystick_centre_limits.x_high;
        range.min_y = joystick_centre_limits.y_low;
        range.max_y = joystick_centre_limits.y_high;
        state.joystick.x &= 0xFFFF;
        state.joystick.y &= 0xFFFF;
        input_read_joystick_axes(state, range);
        joystick_centre_limits = {static_cast<u16>(range.min_y), static_cast<u16>(range.max_y),
                                  static_cast<u16>(range.min_x), static_cast<u16>(range.max_x)};
    }
    if (++poll_ >= 2 * kRounds) {
        // The last read counts too.
        show_limits();
        before_close();
        return;
    }
    timer_.start(kPollPeriodMs);
}

void CalibrateJoystickDialog::show_limits() {
    dialog_set_hex16(centre_items_[0], joystick_centre_limits.y_low);
    dialog_set_hex16(centre_items_[1], joystick_centre_limits.y_high);
    dialog_set_hex16(centre_items_[2], joystick_centre_limits.x_low);
    dialog_set_hex16(centre_items_[3], joystick_centre_limits.x_high);
}

void CalibrateJoystickDialog::before_close() {
    timer_.stop();
    poll_ = -1;
    centre_button_->setEnabled(true);
}

}  // namespace varn
