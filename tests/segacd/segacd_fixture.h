#pragma once
// A Sega CD machine for the unit's tests: the sub-CPU's tables built once, a blank BIOS image
// and the USA region for each test, and power-on from a blank or an assembled test BIOS.

#include <algorithm>
#include <string>

#include "genesis/runtime/runtime_fixture.h"
#include "segacd/segacd.h"

namespace varn::test {

class SegaCdTest : public MachineTest {
  protected:
    static void SetUpTestSuite() {
        MachineTest::SetUpTestSuite();
        scd_sub_cpu_init();
    }
    void SetUp() override {
        MachineTest::SetUp();
        cfg_set(cfg_scd_ram_cart_size, 3);
        std::fill(scd_bios.begin(), scd_bios.end(), u8{0});
        region.scd_region = kRegionUsa;
    }
    void TearDown() override {
        cfg_set(cfg_scd_ram_cart_size, 3);
        MachineTest::TearDown();
    }

    void boot(const std::string& program) {
        const auto image = read_program(program);
        ASSERT_FALSE(image.empty()) << program;
        std::copy(image.begin(), image.end(), scd_bios.begin());
        scd_power_on();
        scheduler_reset();
    }
    void boot_blank() {
        scd_power_on();
        scheduler_reset();
    }
    static u32 prg_long(u32 at) {
        return u32{scd_prg_ram[at]} << 24 | u32{scd_prg_ram[at + 1]} << 16 |
               u32{scd_prg_ram[at + 2]} << 8 | scd_prg_ram[at + 3];
    }
    // Sub-CPU reset vectors in PRG-RAM: a stack and a loop at 0x100 (BRA.S to itself).
    static void idle_sub_program() {
        const u8 vectors[] = {0, 0x07, 0xFF, 0x00, 0, 0, 0x01, 0x00};
        std::copy(std::begin(vectors), std::end(vectors), scd_prg_ram.begin());
        scd_prg_ram[0x100] = 0x60;
        scd_prg_ram[0x101] = 0xFE;
    }
};

}  // namespace varn::test
