#pragma once
// Puts every runtime record, the configuration words the runtime reads and the host back
// to a clean state for each test; MachineTest also powers on a Genesis with an assembled
// cartridge.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/config.h"
#include "base/host.h"
#include "genesis/bus/bus.h"
#include "genesis/io/lightgun.h"
#include "genesis/runtime/power_on.h"
#include "genesis/runtime/scheduler.h"
#include "genesis/sound/ym2612.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"
#include "genesis/z80/genesis_z80.h"
#include "m68k/m68k.h"
#include "memory/memory.h"
#include "runtime/pacing.h"
#include "runtime/region.h"
#include "runtime/sound_output.h"
#include "runtime/thread_link.h"
#include "support/machine_records.h"
#include "support/test_files.h"
#include "support/test_machine.h"

namespace varn::test {

class RuntimeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reset_runtime_records();
        cfg_set(cfg_frame_skip, 15);
        cfg_set(cfg_sound_rate, 0);
        cfg_set(cfg_region_order, 0);
        cfg_set(cfg_disable_z80, 0);
        emu_set_host(&host);
    }
    void TearDown() override {
        emu_set_host(nullptr);
        cfg_set(cfg_frame_skip, 15);
        cfg_set(cfg_sound_rate, 0);
        cfg_set(cfg_region_order, 0);
    }

    RecordingHost host;
};

class MachineTest : public RuntimeTest {
  protected:
    static void SetUpTestSuite() { compose_machines(); }

    void SetUp() override {
        RuntimeTest::SetUp();
        reset_genesis_records();
    }

    // Loads an assembled cartridge, powers the machine on and places the scheduler at a
    // frame start; the caller hands the run entry over (or runs frames itself).
    void power_on(const std::string& program) {
        load_cartridge(program);
        genesis_power_on_machine();
        scheduler_reset();
    }

    static void load_cartridge(const std::string& program) {
        const auto image = read_program(program);
        ASSERT_FALSE(image.empty()) << program;
        std::fill(cart_rom.begin(), cart_rom.end(), u8{0});
        std::copy(image.begin(), image.end(), cart_rom.begin());
    }

    static u16 ram_word(u32 offset) {
        return static_cast<u16>(m68k_ram[offset] << 8 | m68k_ram[offset + 1]);
    }
};

}  // namespace varn::test
