#pragma once
// Shared set-up for the sound-chip tests: tables built once per process, chips reset and
// options at their defaults before every test.

#include <gtest/gtest.h>

#include "base/config.h"
#include "genesis/sound/psg.h"
#include "genesis/sound/ym2612.h"
#include "genesis/sound/ym2612_tables.h"
#include "runtime/sound_options.h"

namespace varn::test {

class SoundTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static bool built = false;
        if (built) return;
        ym2612_tables_init_sine();
        ym2612_tables_init_level();
        ym2612_tables_init_env_a();
        ym2612_tables_init_env_c();
        built = true;
    }

    void SetUp() override {
        cfg_set(cfg_sound_rate, 0);
        cfg_set(cfg_sound_aliasing, 1);
        for (ConfigWord* w :
             {&sound_enable_all, &sound_enable_fm, &sound_enable_dac, &sound_enable_psg}) {
            cfg_set(*w, kSoundEnabled);
        }
        ym2612_clear();
        ym2612_reset();
        psg_reset();
    }

  public:
    static void ym_write_public(int bank, u8 reg, u8 data) { ym_write(bank, reg, data); }

  protected:
    static void ym_write(int bank, u8 reg, u8 data) {
        if (bank == 0) {
            ym2612_latch_part1(reg);
            ym2612_write_data_part1(data);
        } else {
            ym2612_latch_part2(reg);
            ym2612_write_data_part2(data);
        }
    }
};

}  // namespace varn::test
