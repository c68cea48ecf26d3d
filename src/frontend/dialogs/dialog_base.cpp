#include "frontend/dialogs/dialog_base.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPushButton>

#include "settings/text_helpers.h"

namespace varn {

std::function<void()> dialog_beep = [] { QApplication::beep(); };

QFont dialog_font() { return QFontDatabase::systemFont(QFontDatabase::FixedFont); }

namespace {

void set_hex(QLabel* item, u32 value, int digits) {
    item->setText(QString::fromStdString(format_hex_digits(value, digits)));
}

u32 get_hex(QLabel* item, int digits) {
    const QString text = item->text().left(digits);
    u32 value          = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        u32 digit        = 0;
        if (c >= u'0' && c <= u'9') {
            digit = c - u'0';
        } else if (c >= u'A' && c <= u'F') {
            digit = c - u'A' + 10;
        } else {
            item->setText(text.left(i));
            if (dialog_beep) dialog_beep();
            return value;
        }
        value = value << 4 | digit;
    }
    return value;
}

}  // namespace

void dialog_set_hex32(QLabel* item, u32 value) { set_hex(item, value, 8); }
void dialog_set_hex16(QLabel* item, u16 value) { set_hex(item, value, 4); }
void dialog_set_hex8(QLabel* item, u8 value) { set_hex(item, value, 2); }
u32 dialog_get_hex32(QLabel* item) { return get_hex(item, 8); }
u16 dialog_get_hex16(QLabel* item) { return static_cast<u16>(get_hex(item, 4)); }
u8 dialog_get_hex8(QLabel* item) { return static_cast<u8>(get_hex(item, 2)); }

ModelessDialog::ModelessDialog() : QDialog(nullptr) {
    setModal(false);
    setFont(dialog_font());
}

void ModelessDialog::exchange(bool store) {
    if (store) {
        store_data();
    } else {
        show_data();
    }
    after_exchange();
}

void ModelessDialog::accept() {
    if (closing_) return;
    closing_ = true;
    before_close();
    exchange(true);
    QDialog::accept();
    hide();
    deleteLater();
}

void ModelessDialog::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    // The close box closes through the store path as well.
    event->ignore();
    accept();
}

void ModelessDialog::keyPressEvent(QKeyEvent* event) {
    // Enter on anything but a button is OK, as in a dialog with an OK button.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        qobject_cast<QPushButton*>(focusWidget()) == nullptr) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace varn
