#pragma once
// A Master System with a cartridge image in memory: every record at its program-start
// state, the options the tests rely on, a frame image to draw into and a host whose clock
// moves only while the machine waits.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "base/config.h"
#include "base/host.h"
#include "genesis/bus/save_ram.h"
#include "genesis/io/controller_ports.h"
#include "genesis/runtime/power_on.h"
#include "runtime/machine_table.h"
#include "runtime/region.h"
#include "sms/sms.h"
#include "support/machine_records.h"
#include "support/test_machine.h"

namespace varn::test {

class SmsHost : public Host {
  public:
    void post_request(u32, u32) override {}
    u32 now_ms() override { return clock_ms_; }
    void sleep_ms(u32 ms) override { clock_ms_ += ms != 0 ? ms : 1; }
    FrameSurface present_frame() override {
        return {render_surface.pixels, render_surface.pitch, render_surface.width,
                render_surface.height, render_surface.x,     render_surface.y};
    }

  private:
    u32 clock_ms_ = 0;
};

class SmsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::compose_machines();
        reset_runtime_records();
        cfg_set(cfg_frame_skip, 15);
        cfg_set(cfg_sound_rate, 0);
        cfg_set(cfg_region_order, 0);
        cfg_set(cfg_sms_use_bios, 0);
        cfg_set(cfg_sms_sprite_limit, 1);
        cfg_set(cfg_sms_z80_speed, 0xEB);
        reset_genesis_records();
        sms_reset_records();
        machine_kind = kMachineSms;
        emu_set_host(&host_);
    }
    void TearDown() override {
        emu_set_host(nullptr);
        cfg_set(cfg_sms_use_bios, 0);
        render_output_reset();
    }

    // A cartridge whose every 16 KB page starts with its page number in each byte's place:
    // byte a of page p is (p << 4) ^ (a & 0x0F) ^ (a >> 8).
    static void fill_paged_cartridge(u32 pages) {
        for (u32 a = 0; a < pages * 0x4000; ++a) {
            cart_rom[a] = static_cast<u8>(((a >> 14) << 4) ^ (a & 0x0F) ^ ((a >> 8) & 0x3F));
        }
    }

    // A program at the start of the cartridge, then the power-on from a frame start.
    void boot_program(const std::vector<u8>& program) {
        ASSERT_FALSE(program.empty());
        std::copy(program.begin(), program.end(), cart_rom.begin());
        sms_region_select();
        sms_power_on_machine();
        scheduler_reset();
    }

    // Runs frames, with the first pad's buttons (active-low TH-high and TH-low bytes) as
    // the tests set them after every frame's input update.
    void run_frames(int n) {
        for (int i = 0; i < n; ++i) {
            ASSERT_EQ(sms_run_frame(), FrameResult::kFrameEnd);
            controller_ports[0].pad_seq[0] = pad_th_high;
            controller_ports[0].pad_seq[1] = pad_th_low;
        }
    }

    u8 pad_th_high = 0x7F;
    u8 pad_th_low  = 0x3F;
    SmsHost host_;
};

}  // namespace varn::test
