#pragma once
// Set-up of the earlier machine's tests: the records of every unit it has back at their
// program-start values, its tables built and its map laid, and a cartridge image written in
// place.

#include <gtest/gtest.h>

#include <initializer_list>

#include "base/config.h"
#include "base/endian.h"
#include "genesis/vdp/vdp.h"
#include "legacy/compose_legacy.h"
#include "legacy/genesis_v024.h"
#include "legacy/m68k/m68k_v024.h"
#include "legacy/m68k_map_v024.h"
#include "legacy/ym2612_v024.h"
#include "legacy/z80_v024.h"
#include "memory/memory.h"
#include "runtime/thread_link.h"

namespace varn::test {

class LegacyMachineFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        static const bool composed = [] {
            compose_varn_legacy();
            return true;
        }();
        (void)composed;
        cfg_gen_use_bios.store(0);
        cfg_disable_z80.store(0);
        memory_clear();
        vdp_reset_all();
        m68k_reset_records_v024();
        m68k_map_reset_records_v024();
        ym2612_reset_records_v024();
        z80_reset_records_v024();
        genesis_reset_records_v024();
        emu_state_flags.store(0);
    }
    void TearDown() override {
        cfg_gen_use_bios.store(0);
        cfg_disable_z80.store(0);
    }

    static void put_long(u32 addr, u32 v) { store_be32(&cart_rom[addr], v); }
    static void put_words(u32 addr, std::initializer_list<u16> words) {
        for (const u16 w : words) {
            store_be16(&cart_rom[addr], w);
            addr += 2;
        }
    }
    // A save RAM header: "RA" at 0x1B0, first and last address at 0x1B4 and 0x1B8.
    static void save_ram_header(u32 start, u32 end) {
        cart_rom[0x1B0] = 'R';
        cart_rom[0x1B1] = 'A';
        put_long(0x1B4, start);
        put_long(0x1B8, end);
    }
};

}  // namespace varn::test
