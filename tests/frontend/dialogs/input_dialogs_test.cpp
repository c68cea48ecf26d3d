// Define Input and the joystick calibration: the wait for a key or a button, the store on
// every way of closing, one dialog at a time.

#include <gtest/gtest.h>

#include <QTest>
#include <deque>

#include "frontend/dialogs/calibrate_joystick_dialog.h"
#include "frontend/dialogs/define_input_dialog.h"
#include "frontend/dialogs/dialogs.h"
#include "frontend/input/input_devices.h"
#include "genesis/io/key_map.h"
#include "settings/lang_texts.h"
#include "support/qt_offscreen.h"

namespace varn {
namespace {

// A joystick whose reads the test scripts: each read takes the next record (the last one
// stays), and the reads are counted.
class ScriptedJoystick : public JoystickSource {
  public:
    explicit ScriptedJoystick(int* reads) : reads_(reads) {}
    bool read(JoystickRecord& record) override {
        ++*reads_;
        if (script.size() > 1) {
            record = script.front();
            script.pop_front();
        } else {
            record = script.empty() ? joystick_record_at_rest() : script.front();
        }
        return true;
    }
    std::deque<JoystickRecord> script;

  private:
    int* reads_;
};

JoystickRecord with_buttons(std::initializer_list<u32> buttons) {
    JoystickRecord r = joystick_record_at_rest();
    for (u32 b : buttons) r[joy::kButtons + b] = 0x80;
    return r;
}

class InputDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::qt_offscreen_app();
        lang_texts_reset();
        key_maps_load_defaults();
        input_devices_reset();
        input_set_keyboard_ok(true);
        auto source = std::make_unique<ScriptedJoystick>(&reads);
        joystick    = source.get();
        input_set_joystick_source(std::move(source));
    }
    void TearDown() override {
        if (define_input_dialog != nullptr) define_input_dialog->accept();
        if (calibrate_joystick_dialog != nullptr) calibrate_joystick_dialog->accept();
        test::qt_run_deferred_deletes();
        input_devices_reset();
        key_maps_load_defaults();
        lang_texts_reset();
    }

    DefineInputDialog* open(u32 slot, DefineInputPart part) {
        open_define_input(slot, part);
        return define_input_dialog;
    }

    int reads                  = 0;
    ScriptedJoystick* joystick = nullptr;
};

TEST_F(InputDialogTest, ChangeTakesTheHeldKeyLowestCodeFirst) {
    DefineInputDialog* d = open(0, DefineInputPart::kKeys);
    ASSERT_NE(d, nullptr);
    for (u32 k = 0; k < kKeyMapKeys; ++k)
        EXPECT_EQ(d->value_item(k)->text().toStdString(), format_hex_digits(key_map_byte(0, k), 2))
            << k;

    input_set_key(0xC8, true);
    QTest::mouseClick(d->change_button(0), Qt::LeftButton);
    EXPECT_FALSE(d->waiting());           // found at the first poll
    EXPECT_EQ(key_map_byte(0, 0), 0xC8);  // in the key map at once
    EXPECT_EQ(d->value_item(0)->text(), "C8");

    input_set_key(0x30, true);
    input_set_key(0x1E, true);
    d->start_wait(11);
    EXPECT_EQ(key_map_byte(0, 11), 0x1E);
    EXPECT_EQ(key_map_byte(0, 12), 0);  // the joystick part is not touched
}

TEST_F(InputDialogTest, ATapBetweenPollsCountsButNotOneBeforeTheWait) {
    DefineInputDialog* d = open(0, DefineInputPart::kKeys);
    input_set_key(0x39, true);  // Space pressed Change...
    input_set_key(0x39, false);
    d->start_wait(3);
    ASSERT_TRUE(d->waiting());  // ...and is not the answer
    input_set_key(0x2A, true);  // a tap shorter than the poll period
    input_set_key(0x2A, false);
    d->poll_once();
    EXPECT_FALSE(d->waiting());
    EXPECT_EQ(key_map_byte(0, 3), 0x2A);
}

TEST_F(InputDialogTest, WaitBlinksThenGivesUpAndKeepsTheOldKey) {
    DefineInputDialog* d = open(4, DefineInputPart::kKeys);
    const u8 old         = key_map_byte(4, 5);
    d->start_wait(5);
    ASSERT_TRUE(d->waiting());  // the call returns; the wait goes on in the event loop
    EXPECT_EQ(d->value_item(5)->text(), "??");
    // The other Change buttons rest during the wait.
    for (u32 k = 0; k < kPadButtons; ++k) EXPECT_FALSE(d->change_button(k)->isEnabled()) << k;
    d->poll_once();
    EXPECT_EQ(d->value_item(5)->text(), "  ");
    for (int poll = 2; poll < DefineInputDialog::kWaitPolls; ++poll) {
        ASSERT_TRUE(d->waiting()) << poll;
        d->poll_once();
    }
    EXPECT_FALSE(d->waiting());
    EXPECT_EQ(key_map_byte(4, 5), old);
    EXPECT_EQ(d->value_item(5)->text().toStdString(), format_hex_digits(old, 2));
    for (u32 k = 0; k < kPadButtons; ++k) EXPECT_TRUE(d->change_button(k)->isEnabled()) << k;
}

TEST_F(InputDialogTest, TheTimerDrivesTheWait) {
    DefineInputDialog* d = open(0, DefineInputPart::kKeys);
    d->start_wait(2);
    ASSERT_TRUE(d->waiting());
    input_set_key(0x10, true);  // pressed while the dialog waits
    EXPECT_TRUE(QTest::qWaitFor([&] { return !d->waiting(); }, 2000));
    EXPECT_EQ(key_map_byte(0, 2), 0x10);
}

TEST_F(InputDialogTest, JoystickButtonGoesToTheButtonBytes) {
    joystick->script     = {with_buttons({3, 2})};
    DefineInputDialog* d = open(4, DefineInputPart::kJoystick);
    ASSERT_NE(d, nullptr);
    // The directions come from the stick: no Change there.
    for (u32 k = 0; k < 4; ++k) {
        EXPECT_FALSE(d->change_button(k)->isEnabled()) << k;
        EXPECT_EQ(d->value_item(k)->text(), "--") << k;
    }
    EXPECT_EQ(d->value_item(4)->text(), "31");
    std::array<u8, 8> centre{};
    for (u32 i = 0; i < 8; ++i) centre[i] = key_map_byte(4, 12 + i);

    QTest::mouseClick(d->change_button(4), Qt::LeftButton);
    EXPECT_EQ(key_map_byte(4, 20), 0x32);  // button 2, the lowest held
    EXPECT_EQ(d->value_item(4)->text(), "32");
    for (u32 i = 0; i < 8; ++i) EXPECT_EQ(key_map_byte(4, 12 + i), centre[i]);
    EXPECT_FALSE(d->change_button(0)->isEnabled());  // still resting after the wait

    // No button for the whole wait: 42 reads, then the old value.
    joystick->script = {joystick_record_at_rest()};
    reads            = 0;
    d->start_wait(11);
    while (d->waiting()) d->poll_once();
    EXPECT_EQ(reads, DefineInputDialog::kWaitPolls);
    EXPECT_EQ(key_map_byte(4, 27), 0x37);

    d->accept();  // the store writes the button bytes only
    EXPECT_EQ(key_map_byte(4, 20), 0x32);
    EXPECT_EQ(key_map_byte(4, 0), 0x18);  // the keys stay as they were
}

TEST_F(InputDialogTest, EveryWayOfClosingStoresTheItems) {
    // The items are what the store writes back; a test sets them as a wait would.
    const std::function<void(DefineInputDialog*)> closers[] = {
        [](DefineInputDialog* d) { QTest::keyClick(d, Qt::Key_Escape); },
        [](DefineInputDialog* d) { d->close(); },
        [](DefineInputDialog* d) { QTest::keyClick(d, Qt::Key_Return); },
    };
    u8 value = 0x40;
    for (const auto& close : closers) {
        DefineInputDialog* d = open(2, DefineInputPart::kKeys);
        ASSERT_NE(d, nullptr);
        d->setFocus();
        d->value_item(7)->setText(QString::fromStdString(format_hex_digits(value, 2)));
        close(d);
        test::qt_run_deferred_deletes();
        EXPECT_EQ(define_input_dialog, nullptr);
        EXPECT_EQ(key_map_byte(2, 7), value);
        ++value;
    }
}

TEST_F(InputDialogTest, ClosingDuringAWaitKeepsTheKeyAndKeysDoNotCloseIt) {
    DefineInputDialog* d = open(0, DefineInputPart::kKeys);
    const u8 old         = key_map_byte(0, 4);
    d->start_wait(4);
    QTest::keyClick(d, Qt::Key_Escape);  // a key to define, not to close with
    EXPECT_EQ(define_input_dialog, d);
    EXPECT_TRUE(d->waiting());
    d->close();  // the item shows "??" or blanks: they are not what gets stored
    test::qt_run_deferred_deletes();
    EXPECT_EQ(define_input_dialog, nullptr);
    EXPECT_EQ(key_map_byte(0, 4), old);
}

TEST_F(InputDialogTest, OneDialogAtATimeAndNoneWithoutTheDevice) {
    DefineInputDialog* first = open(0, DefineInputPart::kKeys);
    open_define_input(4, DefineInputPart::kJoystick);
    EXPECT_EQ(define_input_dialog, first);
    first->accept();
    test::qt_run_deferred_deletes();

    input_set_keyboard_ok(false);
    open_define_input(4, DefineInputPart::kKeys);
    EXPECT_EQ(define_input_dialog, nullptr);
    input_set_joystick_source(nullptr);
    open_define_input(4, DefineInputPart::kJoystick);
    EXPECT_EQ(define_input_dialog, nullptr);
}

TEST_F(InputDialogTest, TextsFromTheLanguageFile) {
    lang_file_loaded = 1;
    lang_set_text(lang::DBX_INP_DEF, "Touches");
    lang_set_text(lang::DBX_INP_DEF_CHG, "Changer");
    DefineInputDialog* d = open(0, DefineInputPart::kKeys);
    EXPECT_EQ(d->windowTitle(), "Touches");
    EXPECT_EQ(d->change_button(11)->text(), "Changer");
}

TEST_F(InputDialogTest, CentreCalibrationWidensFromTheMiddle) {
    auto at = [](u32 x, u32 y) {
        JoystickRecord r = joystick_record_at_rest();
        joystick_record_set_u32(r, joy::kX, x);
        joystick_record_set_u32(r, joy::kY, y);
        return r;
    };
    joystick->script = {at(0x8000, 0x7F00), at(0x8000, 0x8100), at(0x8000, 0x8000),
                        at(0x8000, 0x8000)};
    open_calibrate_joystick();
    CalibrateJoystickDialog* d = calibrate_joystick_dialog;
    ASSERT_NE(d, nullptr);
    reads = 0;
    QTest::mouseClick(d->centre_button(), Qt::LeftButton);
    EXPECT_TRUE(d->calibrating());
    EXPECT_EQ(d->centre_item(0)->text(), "????");
    while (d->calibrating()) d->poll_once();
    EXPECT_EQ(reads, 2 * CalibrateJoystickDialog::kRounds);  // no early end
    EXPECT_EQ(joystick_centre_limits.y_low, 0x7F00);
    EXPECT_EQ(joystick_centre_limits.y_high, 0x8100);
    EXPECT_EQ(joystick_centre_limits.x_low, 0x8000);
    EXPECT_EQ(joystick_centre_limits.x_high, 0x8000);
    const char* shown[] = {"7F00", "8100", "8000", "8000"};
    for (u32 i = 0; i < 4; ++i) EXPECT_EQ(d->centre_item(i)->text(), shown[i]) << i;
}

}  // namespace
}  // namespace varn
