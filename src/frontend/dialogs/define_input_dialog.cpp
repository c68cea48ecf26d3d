#include "frontend/dialogs/define_input_dialog.h"

#include <QGridLayout>
#include <QKeyEvent>

#include "frontend/dialogs/dialogs.h"
#include "frontend/input/input_devices.h"
#include "genesis/io/input_update.h"
#include "genesis/io/key_map.h"
#include "settings/lang_texts.h"

namespace varn {

namespace {

constexpr const char* kRowNames[kPadButtons] = {"Up", "Down", "Left", "Right", "Start", "A",
                                                "B",  "C",    "X",    "Y",     "Z",     "Mode"};
// The joystick's buttons stand for Start to Mode; the directions come from its axes.
constexpr u32 kFirstButtonRow      = kBtnStart;
constexpr u32 kJoystickButtonsByte = 20;
// Rows 0-7 in the left column, 8-11 in the right.
constexpr u32 kLeftColumnRows = 8;

}  // namespace

DefineInputDialog::DefineInputDialog(u32 player_slot, DefineInputPart part)
    : slot_(player_slot % kPlayerSlots), part_(part) {
    setWindowTitle("Define Input");
    auto* grid = new QGridLayout(this);
    for (u32 row = 0; row < kPadButtons; ++row) {
        const int line   = static_cast<int>(row < kLeftColumnRows ? row : row - kLeftColumnRows);
        const int column = row < kLeftColumnRows ? 0 : 3;
        auto* label      = new QLabel(kRowNames[row], this);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        items_[row] = new QLabel("00", this);
        items_[row]->setMinimumWidth(items_[row]->fontMetrics().horizontalAdvance("000"));
        buttons_[row] = new QPushButton("Change", this);
        buttons_[row]->setAutoDefault(false);
        connect(buttons_[row], &QPushButton::clicked, this, [this, row] { start_wait(row); });
        grid->addWidget(label, line, column);
        grid->addWidget(items_[row], line, column + 1);
        grid->addWidget(buttons_[row], line, column + 2);
    }
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &DefineInputDialog::poll_once);
    exchange(false);
}

DefineInputDialog::~DefineInputDialog() {
    if (define_input_dialog == this) define_input_dialog = nullptr;
}

u32 DefineInputDialog::record_offset(u32 row) const {
    if (part_ == DefineInputPart::kKeys) return row;
    return kJoystickButtonsByte + (row - kFirstButtonRow);
}

bool DefineInputDialog::row_editable(u32 row) const {
    return row < kPadButtons && (part_ == DefineInputPart::kKeys || row >= kFirstButtonRow);
}

void DefineInputDialog::show_data() {
    for (u32 row = 0; row < kPadButtons; ++row)
        if (row_editable(row))
            dialog_set_hex8(items_[row], key_map_byte(slot_, record_offset(row)));
}

void DefineInputDialog::store_data() {
    for (u32 row = 0; row < kPadButtons; ++row)
        if (row_editable(row))
            key_map_set_byte(slot_, record_offset(row), dialog_get_hex8(items_[row]));
}

void DefineInputDialog::after_exchange() {
    if (part_ == DefineInputPart::kJoystick) {
        for (u32 row = 0; row < kFirstButtonRow; ++row) {
            buttons_[row]->setEnabled(false);
            items_[row]->setText("--");
        }
    }
    if (lang_file_loaded == 1) {
        setWindowTitle(lang_text(lang::DBX_INP_DEF));
        for (QPushButton* button : buttons_) button->setText(lang_text(lang::DBX_INP_DEF_CHG));
    }
}

void DefineInputDialog::start_wait(u32 row) {
    if (waiting() || closing() || !row_editable(row)) return;
    wait_row_  = static_cast<int>(row);
    wait_poll_ = 0;
    // One wait at a time: the other Change buttons rest until it ends.
    for (QPushButton* button : buttons_) button->setEnabled(false);
    // Keys pressed before the wait (the one that pressed Change, say) are not the answer.
    input_forget_key_presses();
    poll_once();
}

void DefineInputDialog::poll_once() {
    if (!waiting()) return;
    const u32 row = static_cast<u32>(wait_row_);
    // The item blinks between "??" and blank while the wait goes on.
    items_[row]->setText(wait_poll_ % 2 == 0 ? "??" : "  ");
    HostInputState state;
    int found = -1;
    if (part_ == DefineInputPart::kKeys) {
        if (input_read_keyboard(state)) found = input_first_key_down(state);
    } else {
        if (input_read_joystick(state)) found = input_first_button_down(state);
    }
    if (found >= 0) {
        key_map_set_byte(slot_, record_offset(row), static_cast<u8>(found));
        end_wait();
        return;
    }
    if (++wait_poll_ >= kWaitPolls) {
        end_wait();  // nothing pressed: the old value stays
        return;
    }
    timer_.start(kPollPeriodMs);
}

void DefineInputDialog::end_wait() {
    timer_.stop();
    if (!waiting()) return;
    const u32 row = static_cast<u32>(wait_row_);
    wait_row_     = -1;
    dialog_set_hex8(items_[row], key_map_byte(slot_, record_offset(row)));
    for (u32 r = 0; r < kPadButtons; ++r) buttons_[r]->setEnabled(row_editable(r));
}

void DefineInputDialog::before_close() {
    // A close during a wait must not store the blinking text: the item shows the key map's
    // value again first.
    end_wait();
}

void DefineInputDialog::keyPressEvent(QKeyEvent* event) {
    // While waiting, a key is what is being defined, not a command to the dialog (Escape or
    // Enter would otherwise close it).
    if (waiting()) {
        event->accept();
        return;
    }
    ModelessDialog::keyPressEvent(event);
}

}  // namespace varn
