#pragma once
// A clean pair of SH-2s on the 32X bus for tests: programs placed in the boot ROMs, the
// cartridge or SDRAM, cores reset from their boot ROMs and run slice by slice to their halt.

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/endian.h"
#include "memory/memory.h"
#include "sh2/sh2.h"
#include "sh2/sh2_bus.h"
#include "support/test_files.h"

namespace varn::test {

// Every program ends on SLEEP (which halts), so that "ran to its end" is a halt with the PC
// on a SLEEP.
inline constexpr u16 kSleep = 0x001B;
inline constexpr u16 kNop   = 0x0009;

class Sh2Test : public ::testing::Test {
  protected:
    void SetUp() override {
        memory_clear();
        sh2_memory_clear();
        sh2_reset_records();
        sh2_clear_slots();
        sh2_interp_reset();
        sh2s_interp_reset();
        sh2_build_memory_map();
        sh2s_build_memory_map();
        sh2_set_cart_size(0);
        halts         = 0;
        sh2_halt_slot = [] { ++halts; };
    }

    // Copies `bytes` into `image` at `offset`.
    static void place(std::span<u8> image, u32 offset, const std::vector<u8>& bytes) {
        ASSERT_LE(offset + bytes.size(), image.size());
        std::copy(bytes.begin(), bytes.end(), image.begin() + offset);
    }
    static std::vector<u8> words(std::initializer_list<u16> ws) {
        std::vector<u8> out;
        for (u16 w : ws) {
            out.push_back(static_cast<u8>(w >> 8));
            out.push_back(static_cast<u8>(w));
        }
        return out;
    }
    static std::vector<u8> program(const std::string& name) {
        auto p = read_program("sh2_" + name);
        EXPECT_FALSE(p.empty()) << "program " << name << " was not assembled";
        return p;
    }

    // Master boot ROM := program (linked at 0: its first longs are PC and SP), reset from it.
    void boot_master(const std::vector<u8>& p) {
        place(sh2_boot_rom, 0, p);
        sh2_reset_from_bios();
    }

    // Runs the master alone until it halts (at most `slices` slices).
    void run_master(u32 slices = 100000) {
        for (u32 i = 0; i < slices && !(sh2_context.status & kSh2StatusHalted); ++i)
            sh2_run_slice_alone();
    }

    // True when the master halted on the SLEEP that ends its program.
    static bool ended_on_sleep() {
        const auto& c = sh2_context;
        return (c.status & kSh2StatusHalted) && sh2_read_word(c.pc) == kSleep;
    }

    // Master boot ROM: vectors {0x100, 0x06040000}, `code` at 0x100, SLEEP in every other word
    // from 0x100 to its end; reset from it. `setup` then adjusts the context.
    template <class Setup>
    void boot_code(std::initializer_list<u16> code, Setup&& setup) {
        place(sh2_boot_rom, 0, words({0x0000, 0x0100, 0x0604, 0x0000}));
        for (u32 a = 0x100; a < kSh2BootRomSize; a += 2) store_be16(&sh2_boot_rom[a], kSleep);
        place(sh2_boot_rom, 0x100, words(code));
        sh2_context.status = 0;  // as a new run of the machine clears it
        sh2_reset_from_bios();
        setup(sh2_context);
    }
    void boot_code(std::initializer_list<u16> code) {
        boot_code(code, [](Sh2CpuContext&) {});
    }

    // Runs one long slice of the master (to its halt) and gives the cycles it charged.
    static s32 run_one_slice(s32 budget = 1000) {
        sh2_context.slice_cycles  = -budget;
        sh2_context.cycle_counter = 0;
        sh2_run_slice_alone();
        return sh2_context.cycle_counter + budget;
    }

    static inline int halts = 0;
};

}  // namespace varn::test
