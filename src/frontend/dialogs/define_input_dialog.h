#pragma once
// Define Input: the twelve buttons of an emulated pad against keyboard keys (Define Keys) or
// joystick buttons (Define Joystick) of one player slot. A Change button waits for a key or
// a button, with the item blinking "??", and writes it into the slot's key map at once; the
// wait runs on a timer, so the window and everything else go on meanwhile. Closing the
// dialog in any way writes back what the items show.

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <array>

#include "frontend/dialogs/dialog_base.h"
#include "genesis/io/input_devices.h"
#include "settings/option_host.h"

namespace varn {

class DefineInputDialog : public ModelessDialog {
  public:
    // A wait polls this often, this far apart, before it gives up.
    static constexpr int kWaitPolls    = 42;
    static constexpr int kPollPeriodMs = 150;

    DefineInputDialog(u32 player_slot, DefineInputPart part);
    ~DefineInputDialog() override;

    u32 player_slot() const { return slot_; }
    DefineInputPart part() const { return part_; }
    QLabel* value_item(u32 row) const { return items_[row]; }
    QPushButton* change_button(u32 row) const { return buttons_[row]; }

    // The wait of row 0-11 (Up, Down, Left, Right, Start, A, B, C, X, Y, Z, Mode).
    void start_wait(u32 row);
    bool waiting() const { return wait_row_ >= 0; }
    // One poll of the wait; the timer calls it, tests may too.
    void poll_once();

  protected:
    void show_data() override;
    void store_data() override;
    void after_exchange() override;
    void before_close() override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // The key map byte a row edits: keys 0-11, joystick buttons 20-27 for rows 4-11.
    u32 record_offset(u32 row) const;
    bool row_editable(u32 row) const;
    void end_wait();

    u32 slot_;
    DefineInputPart part_;
    std::array<QLabel*, kPadButtons> items_{};
    std::array<QPushButton*, kPadButtons> buttons_{};
    QTimer timer_;
    int wait_row_  = -1;
    int wait_poll_ = 0;
};

}  // namespace varn
