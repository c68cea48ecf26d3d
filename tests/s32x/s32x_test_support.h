#pragma once
// A 32X machine's unit without the rest of the frame: the cores and register tables set up,
// the unit reset as on a machine with a 32X, and both sides' accessors at hand.

#include <gtest/gtest.h>

#include "base/config.h"
#include "genesis/bus/bus.h"
#include "genesis/runtime/scheduler.h"
#include "memory/memory.h"
#include "runtime/machine_table.h"
#include "runtime/sound_output.h"
#include "runtime/thread_link.h"
#include "s32x/s32x.h"
#include "sh2/sh2.h"
#include "sh2/sh2_bus.h"
#include "sh2/sh2_onchip.h"

namespace varn::test {

class S32xTest : public ::testing::Test {
  protected:
    void SetUp() override {
        memory_clear();
        sh2_memory_clear();
        genesis_bus_reset_records();
        scheduler_reset_all();
        s32x_init_sh2_cores();
        machine_kind     = kMachine32x;
        cfg_32x_use_bios = 0;
        s32x_set_fitted(true);
        s32x_reset();
    }
    void TearDown() override {
        s32x_set_fitted(false);
        s32x_reset();
        cfg_32x_use_bios = 1;
        machine_kind     = kMachineGenesis;
    }

    // The 68000's view of 0xA15000-0xA15FFF.
    static u32 m68k_rb(u32 a) { return m68k_a15_tables.read_byte[a & 0x3FF](a); }
    static u32 m68k_rw(u32 a) { return m68k_a15_tables.read_word[a & 0x3FF](a); }
    static void m68k_wb(u32 a, u32 v) { m68k_a15_tables.write_byte[a & 0x3FF](a, v); }
    static void m68k_ww(u32 a, u32 v) { m68k_a15_tables.write_word[a & 0x3FF](a, v); }

    // Accessors of core 0 (master) or 1 (slave).
    static u32 rb(u32 core, u32 a) { return core == 0 ? sh2_read_byte(a) : sh2s_read_byte(a); }
    static u32 rw(u32 core, u32 a) { return core == 0 ? sh2_read_word(a) : sh2s_read_word(a); }
    static u32 rl(u32 core, u32 a) { return core == 0 ? sh2_read_long(a) : sh2s_read_long(a); }
    static void wb(u32 core, u32 a, u32 v) {
        core == 0 ? sh2_write_byte(a, v) : sh2s_write_byte(a, v);
    }
    static void ww(u32 core, u32 a, u32 v) {
        core == 0 ? sh2_write_word(a, v) : sh2s_write_word(a, v);
    }
    static void wl(u32 core, u32 a, u32 v) {
        core == 0 ? sh2_write_long(a, v) : sh2s_write_long(a, v);
    }
    static Sh2CpuContext& cpu(u32 core) { return core == 0 ? sh2_context : sh2s_context; }
};

}  // namespace varn::test
