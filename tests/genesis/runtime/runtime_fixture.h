#pragma once
// Puts every runtime record, the configuration words the runtime reads and the host back
// to a clean state for each test.

#include <gtest/gtest.h>

#include "base/config.h"
#include "base/host.h"
#include "genesis/runtime/pacing.h"
#include "genesis/runtime/region.h"
#include "genesis/runtime/scheduler.h"
#include "genesis/runtime/sound_output.h"
#include "genesis/runtime/thread_link.h"

namespace varn::test {

class RuntimeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        thread_link_reset();
        scheduler_reset_all();
        sound_output_reset();
        pace_reset();
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

}  // namespace varn::test
