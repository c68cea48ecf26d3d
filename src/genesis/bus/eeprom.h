#pragma once
// Two-wire serial EEPROM of 128 bytes with 7-bit word addresses, as fitted to cartridges
// whose header says "RA" with kind 0xE8. The 68000 drives the lines by writing to the
// save window and reads the data line back from it:
//   bit 0  SDA (data line), bit 1  SCL (clock line), bit 2  stored without effect.
// The device listens for a start (SDA falling while SCL is high), then takes, on each rising
// clock edge, seven address bits (6 first) and a read/write bit, and after its acknowledge
// shifts bytes out or in. Reads walk on through all 128 bytes; writes advance within the
// 4-byte page of the address. A stop, or moving both lines at once in a way no protocol
// step does, parks it until the next start.
//
// Its memory is the cartridge save image (`cart_sram`, the first 128 bytes). The line and
// bit state is reset at power-on and is not part of a saved state.

#include "base/types.h"

namespace varn {

enum class EepromStep : u8 {
    kIdle,       // waiting for a start (also after a stop or a broken sequence)
    kAddress,    // address bits 6..0
    kReadWrite,  // the direction bit
    kReadAck,    // device acknowledges a read request
    kRead,       // device shifts data bits 7..0 out
    kMasterAck,  // the 68000 acknowledges (0: next byte) or ends (1) a read
    kWriteAck,   // device acknowledges a request or a written byte
    kWrite,      // the 68000 shifts data bits 7..0 in
};

struct EepromState {
    u8 lines;         // the lines as the 68000 reads them back (device may drive SDA)
    u8 prev_lines;    // the lines as the 68000 last wrote them
    u8 word_address;  // 0-127
    u8 data;          // shift register
    EepromStep step;  // what the next rising clock edge does
    u8 bit;           // bit position within the address or data byte (7..0)
};

extern EepromState eeprom;

void eeprom_reset();

// The save window's bus entry points for byte and word accesses: a read gives the line byte
// (SDA in bit 0), a write drives SCL and SDA from the value's bits 1 and 0.
u32 eeprom_read_lines();
void eeprom_write_lines(u32 value);

}  // namespace varn
