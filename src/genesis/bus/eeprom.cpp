#include "genesis/bus/eeprom.h"

#include "genesis/bus/save_ram.h"

namespace varn {

EepromState eeprom;

namespace {

constexpr u8 kSda = 1;
constexpr u8 kScl = 2;

void drive_sda(u32 bit) { eeprom.lines = static_cast<u8>((eeprom.lines & ~kSda) | (bit & 1)); }

// One rising clock edge with the data line sampled as `bit`.
void clock_edge(u32 bit) {
    switch (eeprom.step) {
        case EepromStep::kIdle:
            break;
        case EepromStep::kAddress:
            eeprom.word_address =
                static_cast<u8>((eeprom.word_address & ~(1u << eeprom.bit)) | (bit << eeprom.bit));
            if (eeprom.bit == 0) {
                eeprom.step = EepromStep::kReadWrite;
            } else {
                --eeprom.bit;
            }
            break;
        case EepromStep::kReadWrite:
            eeprom.step = bit ? EepromStep::kReadAck : EepromStep::kWriteAck;
            break;
        case EepromStep::kReadAck:
            drive_sda(0);
            eeprom.step = EepromStep::kRead;
            eeprom.bit  = 7;
            break;
        case EepromStep::kRead:
            if (eeprom.bit == 7) eeprom.data = cart_sram[eeprom.word_address & 0x7F];
            drive_sda(eeprom.data >> eeprom.bit);
            if (eeprom.bit == 0) {
                eeprom.step = EepromStep::kMasterAck;
            } else {
                --eeprom.bit;
            }
            break;
        case EepromStep::kMasterAck:
            // A 1 (no acknowledge) ends the read: further clocks are ignored until a start.
            if (bit == 0) {
                eeprom.word_address = (eeprom.word_address + 1) & 0x7F;
                eeprom.step         = EepromStep::kRead;
                eeprom.bit          = 7;
            } else {
                eeprom.step = EepromStep::kIdle;
            }
            break;
        case EepromStep::kWriteAck:
            drive_sda(0);
            eeprom.step = EepromStep::kWrite;
            eeprom.bit  = 7;
            break;
        case EepromStep::kWrite:
            eeprom.data =
                static_cast<u8>((eeprom.data & ~(1u << eeprom.bit)) | (bit << eeprom.bit));
            if (eeprom.bit == 0) {
                const u8 a          = eeprom.word_address & 0x7F;
                cart_sram[a]        = eeprom.data;
                eeprom.word_address = static_cast<u8>((a & 0x7C) | ((a + 1) & 3));
                eeprom.step         = EepromStep::kWriteAck;
            } else {
                --eeprom.bit;
            }
            break;
    }
}

}  // namespace

void eeprom_reset() { eeprom = EepromState{7, 7, 0, 0, EepromStep::kIdle, 0}; }

u32 eeprom_read_lines() { return eeprom.lines; }

void eeprom_write_lines(u32 value) {
    const u8 now = static_cast<u8>(value & 7);
    // The transition is judged on the lines the 68000 drives: the device pulling SDA low for
    // an acknowledge or a data bit must not read as a start or stop of the 68000's own.
    const u32 from    = eeprom.prev_lines & 3u;
    const u32 to      = now & 3u;
    eeprom.prev_lines = now;
    eeprom.lines      = now;

    switch (from << 2 | to) {
        case (kScl | kSda) << 2 | kScl:  // SDA falls while SCL high: start
        case (kScl | kSda) << 2 | 0:     // both fall together: also taken as a start
            eeprom.step = EepromStep::kAddress;
            eeprom.bit  = 6;
            break;
        case 0 << 2 | kScl:  // SCL rises, SDA low
            clock_edge(0);
            break;
        case kSda << 2 | (kScl | kSda):  // SCL rises, SDA high
            clock_edge(1);
            break;
        case kScl << 2 | (kScl | kSda):  // SDA rises while SCL high: stop
        case 0 << 2 | (kScl | kSda):     // SCL and SDA change together: no protocol step
        case kSda << 2 | kScl:
        case kScl << 2 | kSda:
            eeprom.step = EepromStep::kIdle;
            break;
        default:
            break;
    }
}

}  // namespace varn
