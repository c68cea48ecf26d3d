// Record-then-replay on a test cartridge run by the 68000 core: the cartridge logs the pad
// bytes it reads every frame, and the replayed demo must give it the same bytes in the
// same frames.

#include <algorithm>
#include <vector>

#include "genesis/bus/bus.h"
#include "input_fixture.h"
#include "support/test_files.h"

namespace varn {
namespace {

using test::keys;
namespace key1 = test::key1;
namespace key2 = test::key2;

constexpr u32 kSlicesPerFrame = 2752;
constexpr u32 kFrameFlag      = 0x100;  // work RAM offsets
constexpr u32 kLog            = 0x200;
constexpr u32 kLogEntry       = 6;

class DemoCartridgeTest : public test::InputTest {
  protected:
    void SetUp() override {
        InputTest::SetUp();
        m68k_build_jump_table();
        m68k_clear_hooks();
        plug(kPortPad6, kPortPad3);
    }
    void TearDown() override {
        m68k_clear_hooks();
        InputTest::TearDown();
    }

    // The machine's power-on, as far as this cartridge needs it.
    bool power_on() {
        const auto image = test::read_program("input_pad_log_cart");
        if (image.empty()) return false;
        memory_clear();
        std::copy_n(image.begin(), std::min<size_t>(image.size(), kCartRomSize), cart_rom.begin());
        boot_rom_latch_power_on();
        m68k_reset_memory_map();
        cart_save_setup();
        io_ports_power_on();
        cart_bank_regs_power_on();
        input_power_on();
        m68k_init_fetch_pages(boot_rom_latch);
        m68k_context.fetch_base = kCartRomOffset;
        m68k_reset();
        return true;
    }

    // Runs the frames, giving the host input of each at its end, and returns the log.
    std::vector<u8> run(const std::vector<HostInputState>& frames) {
        for (const HostInputState& in : frames) {
            for (u32 i = 0; i < kSlicesPerFrame; ++i) {
                m68k_run_slice();
                lightgun_tick(0, 2);
            }
            EXPECT_EQ(m68k_context.status & kM68kStatusHalted, 0u) << "68000 halted";
            frame(in);
            m68k_ram[kFrameFlag] = 1;
        }
        for (u32 i = 0; i < kSlicesPerFrame; ++i) m68k_run_slice();
        return std::vector<u8>(m68k_ram.begin() + kLog,
                               m68k_ram.begin() + kLog + frames.size() * kLogEntry);
    }
};

TEST_F(DemoCartridgeTest, ReplayedDemoGivesTheCartridgeTheSameReadsInTheSameFrames) {
    std::vector<HostInputState> frames(4);  // the demo opens with a wait
    frames.push_back(keys({key1::kStart}));
    frames.push_back(keys({key1::kX, key2::kA}));
    frames.push_back(keys({}));
    frames.push_back(keys({key1::kUp, key1::kMode, key2::kC}));
    frames.push_back(keys({key2::kStart}));
    frames.push_back(keys({}));
    frames.push_back(keys({key1::kB, key1::kZ}));

    demo_recording = 1;
    demo_record_start();
    if (!power_on()) GTEST_SKIP() << "test cartridge input_pad_log_cart not built";
    const std::vector<u8> recorded = run(frames);
    demo_recording                 = 0;
    const std::vector<u8> stream(demo_buffer.begin(), demo_buffer.begin() + demo_record_length());

    // The cartridge saw the live pads: nothing, then Start on port 1 in the fifth frame.
    ASSERT_EQ(recorded[kLogEntry - 1], 0xEE) << "the cartridge did not run";
    EXPECT_EQ(recorded[0 * kLogEntry + 1], 0x33);
    EXPECT_EQ(recorded[4 * kLogEntry + 1], 0x13) << "Start";
    EXPECT_EQ(recorded[5 * kLogEntry + 2], 0x7B) << "X";
    EXPECT_EQ(recorded[5 * kLogEntry + 4], 0x23) << "A on port 2";

    // Replay: no host input at all, the demo drives the ports.
    input_reset_records();
    std::copy(stream.begin(), stream.end(), demo_buffer.begin());
    ASSERT_TRUE(demo_playback_start(static_cast<u32>(stream.size()), host));
    ASSERT_TRUE(power_on());
    const std::vector<u8> replayed = run(std::vector<HostInputState>(frames.size()));

    for (u32 f = 0; f < frames.size(); ++f) {
        const auto at = recorded.begin() + f * kLogEntry;
        EXPECT_TRUE(std::equal(at, at + kLogEntry, replayed.begin() + f * kLogEntry))
            << "frame " << f;
    }
}

}  // namespace
}  // namespace varn
