#pragma once
// A clean Genesis bus for each test: zeroed images, every record at its start value, the
// cartridge map laid, and helpers to access the bus by width.

#include <gtest/gtest.h>

#include "base/config.h"
#include "genesis/bus/bus.h"
#include "genesis/bus/eeprom.h"
#include "m68k/m68k.h"
#include "m68k/m68k_bus.h"
#include "memory/memory.h"

namespace varn::test {

inline u32 bus_read(int width, u32 addr) {
    switch (width) {
        case 1:
            return m68k_read_byte(addr) & 0xFF;
        case 2:
            return m68k_read_word(addr) & 0xFFFF;
        default:
            return m68k_read_long(addr);
    }
}

inline void bus_write(int width, u32 addr, u32 value) {
    switch (width) {
        case 1:
            m68k_write_byte(addr, value);
            break;
        case 2:
            m68k_write_word(addr, value);
            break;
        default:
            m68k_write_long(addr, value);
            break;
    }
}

class BusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        cfg_set(cfg_gen_use_bios, 0);
        cfg_set(cfg_scd_ram_cart, 1);
        cfg_set(cfg_scd_ram_cart_size, 3);
        memory_clear();
        m68k_reset_records();
        genesis_bus_reset_records();
        eeprom_reset();
    }
    void TearDown() override {
        cfg_set(cfg_gen_use_bios, 0);
        cfg_set(cfg_scd_ram_cart, 1);
        cfg_set(cfg_scd_ram_cart_size, 3);
        genesis_bus_reset_records();
    }
};

}  // namespace varn::test
