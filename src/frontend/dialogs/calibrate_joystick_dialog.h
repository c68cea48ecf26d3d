#pragma once
// Calibrate Joystick: learns the range the stick's two axes report at rest. The centre
// calibration reads the joystick for about six seconds, widening the limits from 0x8000 by
// every value seen, and shows them as it goes. No other part of the program reads the
// limits; the four direction rows are never filled in.

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <array>

#include "frontend/dialogs/dialog_base.h"

namespace varn {

// Resting range of the stick: Y low, Y high, X low, X high.
struct JoystickCentreLimits {
    u16 y_low  = 0x8000;
    u16 y_high = 0x8000;
    u16 x_low  = 0x8000;
    u16 x_high = 0x8000;
};
extern JoystickCentreLimits joystick_centre_limits;

class CalibrateJoystickDialog : public ModelessDialog {
  public:
    static constexpr int kRounds       = 21;  // each two reads of the stick
    static constexpr int kPollPeriodMs = 150;

    CalibrateJoystickDialog();
    ~CalibrateJoystickDialog() override;

    // Centre U, D, L, R (Y low, Y high, X low, X high).
    QLabel* centre_item(u32 index) const { return centre_items_[index]; }
    QPushButton* centre_button() const { return centre_button_; }

    void start_centre_calibration();
    bool calibrating() const { return poll_ >= 0; }
    // One read of the stick; the timer calls it, tests may too.
    void poll_once();

  protected:
    void before_close() override;

  private:
    void show_limits();

    std::array<QLabel*, 4> centre_items_{};
    std::array<QLabel*, 4> direction_items_{};
    QPushButton* centre_button_ = nullptr;
    QTimer timer_;
    int poll_ = -1;
};

}  // namespace varn
