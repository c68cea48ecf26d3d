#include "genesis/bus/eeprom.h"

#include <gtest/gtest.h>

#include <vector>

#include "genesis/bus/save_ram.h"

namespace varn {
namespace {

// Drives the two lines as a cartridge's save routine does: one line change per write.
class EepromMaster {
  public:
    void lines(u32 scl, u32 sda) { eeprom_write_lines(scl << 1 | sda); }
    void start() {
        lines(1, 1);
        lines(1, 0);
        lines(0, 0);
    }
    void stop() {
        lines(0, 0);
        lines(1, 0);
        lines(1, 1);
    }
    void send_bit(u32 b) {
        lines(0, b);
        lines(1, b);
        lines(0, b);
    }
    // Releases SDA, raises SCL, samples what the device drives.
    u32 recv_bit() {
        lines(0, 1);
        lines(1, 1);
        const u32 b = eeprom_read_lines() & 1;
        lines(0, 1);
        return b;
    }
    void request(u32 address, u32 read) {
        start();
        for (int k = 6; k >= 0; --k) send_bit(address >> k & 1);
        send_bit(read);
    }
    void write(u32 address, const std::vector<u8>& bytes) {
        request(address, 0);
        EXPECT_EQ(recv_bit(), 0u) << "acknowledge of the request";
        for (u8 byte : bytes) {
            for (int k = 7; k >= 0; --k) send_bit(byte >> k & 1);
            EXPECT_EQ(recv_bit(), 0u) << "acknowledge of a data byte";
        }
        stop();
    }
    std::vector<u8> read(u32 address, u32 count) {
        request(address, 1);
        EXPECT_EQ(recv_bit(), 0u) << "acknowledge of the request";
        std::vector<u8> out;
        for (u32 i = 0; i < count; ++i) {
            u32 byte = 0;
            for (int k = 7; k >= 0; --k) byte = byte << 1 | recv_bit();
            out.push_back(static_cast<u8>(byte));
            send_bit(i + 1 < count ? 0 : 1);  // acknowledge all but the last
        }
        stop();
        return out;
    }
};

class EepromTest : public ::testing::Test {
  protected:
    void SetUp() override {
        save_ram_reset();
        eeprom_reset();
        for (u32 i = 0; i < kCartEepromSize; ++i) cart_sram[i] = static_cast<u8>(0xA0 ^ i);
    }
    EepromMaster m;
};

TEST_F(EepromTest, ResetLeavesBothLinesHigh) { EXPECT_EQ(eeprom_read_lines(), 7u); }

TEST_F(EepromTest, WriteWrapsWithinTheFourBytePage) {
    m.write(0x06, {0x11, 0x22, 0x33, 0x44});
    EXPECT_EQ(cart_sram[0x06], 0x11);
    EXPECT_EQ(cart_sram[0x07], 0x22);
    EXPECT_EQ(cart_sram[0x04], 0x33);
    EXPECT_EQ(cart_sram[0x05], 0x44);
    EXPECT_EQ(cart_sram[0x08], 0xA8) << "next page untouched";
}

TEST_F(EepromTest, SequentialReadRunsOnThroughTheWholeMemory) {
    cart_sram[0x7F] = 0x5A;
    cart_sram[0x00] = 0x0F;  // zero bits read back while the 68000 keeps SDA released
    EXPECT_EQ(m.read(0x7F, 2), (std::vector<u8>{0x5A, 0x0F}));
}

TEST_F(EepromTest, WrittenBytesReadBack) {
    m.write(0x40, {0x00, 0xFF, 0x81});
    EXPECT_EQ(m.read(0x40, 3), (std::vector<u8>{0x00, 0xFF, 0x81}));
}

TEST_F(EepromTest, ClockAndDataChangingTogetherParksTheDevice) {
    m.request(0x10, 0);
    m.lines(0, 0);
    m.lines(1, 1);  // SCL rises while SDA changes: no protocol step
    // Without a new start the rest of the write goes nowhere.
    for (int i = 0; i < 20; ++i) m.send_bit(0);
    EXPECT_EQ(cart_sram[0x10], 0xB0);
    m.write(0x10, {0x77});
    EXPECT_EQ(cart_sram[0x10], 0x77);
}

TEST_F(EepromTest, StopBeforeTheLastBitStoresNothing) {
    m.request(0x20, 0);
    m.recv_bit();
    for (int k = 7; k >= 2; --k) m.send_bit(0);
    m.stop();  // its rising clock is data bit 1; the SDA rise after it ends the write
    m.send_bit(0);
    EXPECT_EQ(cart_sram[0x20], 0x80);
}

TEST_F(EepromTest, NoAcknowledgeEndsTheRead) {
    m.request(0x30, 1);
    m.recv_bit();
    for (int k = 0; k < 8; ++k) m.recv_bit();
    m.send_bit(1);  // no acknowledge
    // Further clocks neither move the address nor drive the line.
    for (int k = 0; k < 9; ++k) EXPECT_EQ(m.recv_bit(), 1u);
    EXPECT_EQ(eeprom.word_address, 0x30);
}

}  // namespace
}  // namespace varn
