#pragma once
// What the dialogs share: the two directions of their data exchange, the modeless dialog
// that stores its values however it is closed and then deletes itself, and the items that
// show numbers as fixed-width upper-case hexadecimal.

#include <QDialog>
#include <QLabel>
#include <functional>

#include "base/types.h"

namespace varn {

// The dialogs' fixed-width font.
QFont dialog_font();

// Number items: exactly 8, 4 or 2 upper-case hexadecimal digits with leading zeros.
void dialog_set_hex32(QLabel* item, u32 value);
void dialog_set_hex16(QLabel* item, u16 value);
void dialog_set_hex8(QLabel* item, u8 value);

// Reads an item's text as hexadecimal, at most 8, 4 or 2 characters. Digits are '0'-'9'
// and 'A'-'F'; any other character cuts the text there (the item then shows the digits
// before it), sounds the beep and gives the value of the digits before it.
u32 dialog_get_hex32(QLabel* item);
u16 dialog_get_hex16(QLabel* item);
u8 dialog_get_hex8(QLabel* item);

// The beep of a rejected character; tests count it.
extern std::function<void()> dialog_beep;

// A dialog that runs beside the main window. Closing it in any way (Enter, Escape, the
// close box, a program close) stores its values as OK does, and the object deletes itself
// once the event loop comes back.
class ModelessDialog : public QDialog {
  public:
    ModelessDialog();

    // Controls from the data, or data from the controls, then the texts of the direction.
    void exchange(bool store);
    // Stores and closes (the window is gone at once, the object once the loop comes back).
    void accept() override;
    void reject() override { accept(); }

  protected:
    virtual void show_data() {}
    virtual void store_data() {}
    // What every exchange ends with (captions and button texts).
    virtual void after_exchange() {}
    // Before the store of a close: work in progress ends here.
    virtual void before_close() {}

    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    bool closing() const { return closing_; }

  private:
    bool closing_ = false;
};

}  // namespace varn
