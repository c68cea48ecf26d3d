#pragma once
// The main SH-2 test bench (both cores on the 32X bus, programs in the boot ROMs) with the
// earlier release's interpreter and accessors built on top, run instead of the main core.

#include "legacy/sh2/sh2_bus_v024.h"
#include "legacy/sh2/sh2_v024.h"
#include "sh2/sh2_test_support.h"

namespace varn::test {

class LegacySh2Test : public Sh2Test {
  protected:
    void SetUp() override {
        Sh2Test::SetUp();
        sh2_interp_reset_v024();
        sh2_build_memory_map_v024();
        sh2_reset_records_v024();
    }

    // Master boot ROM := the program, reset from it, running.
    void boot_program(const std::string& name) {
        boot_master(program_v024(name));
        sh2_context.status = 0;
    }
    static std::vector<u8> program_v024(const std::string& name) {
        auto p = read_program("legacy_sh2_" + name);
        EXPECT_FALSE(p.empty()) << "program " << name << " was not assembled";
        return p;
    }

    // Master boot ROM: vectors {0x100, 0x06040000}, `code` at 0x100 followed by NOPs to the
    // end of the ROM; reset from it, running.
    void boot_words(std::initializer_list<u16> code) {
        place(sh2_boot_rom, 0, words({0x0000, 0x0100, 0x0604, 0x0000}));
        for (u32 a = 0x100; a < kSh2BootRomSize; a += 2) store_be16(&sh2_boot_rom[a], kNop);
        place(sh2_boot_rom, 0x100, words(code));
        sh2_context.status = 0;
        sh2_reset_from_bios();
    }

    // One master slice of `budget` cycles from a counter of 0.
    static void slice(s32 budget) {
        sh2_context.slice_cycles  = -budget;
        sh2_context.cycle_counter = 0;
        sh2_run_slice_alone_v024();
    }
};

}  // namespace varn::test
