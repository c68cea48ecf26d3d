// Record-then-replay on a test cartridge run by the machine's power-on and frame loop: the
// cartridge logs the pad bytes it reads every frame, and the replayed demo must give it
// the same bytes in the same frames.

#include <algorithm>
#include <vector>

#include "genesis/io/controller_ports.h"
#include "genesis/io/demo_stream.h"
#include "genesis/io/input_update.h"
#include "genesis/io/key_map.h"
#include "genesis/runtime/runtime_fixture.h"
#include "input_fixture.h"

namespace varn {
namespace {

using test::keys;
namespace key1 = test::key1;
namespace key2 = test::key2;

constexpr u32 kFrameFlag = 0x100;  // work RAM offsets
constexpr u32 kLog       = 0x200;
constexpr u32 kLogEntry  = 6;

class DemoCartridgeTest : public test::MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        cfg_set(cfg_frame_skip, 0);  // no pacing: frames run as fast as the host allows
        input_reset_records();
        key_maps_load_defaults();
        for (auto& w : cfg_input_device) cfg_set(w, 0);
        for (auto& w : cfg_port_device) cfg_set(w, 0);
        cfg_set(cfg_port_device[0], kPortPad6);
        input_apply_config();
    }
    void TearDown() override {
        input_reset_records();
        for (auto& w : cfg_port_device) cfg_set(w, 0);
        MachineTest::TearDown();
    }

    // Runs the frames, the host giving each frame's input at its end, and returns the log.
    std::vector<u8> run(const std::vector<HostInputState>& frames) {
        for (const HostInputState& in : frames) {
            host.set_input(in);
            EXPECT_EQ(run_frame(), FrameResult::kFrameEnd);
            m68k_ram[kFrameFlag] = 1;  // the cartridge reads the pads once a frame
        }
        host.set_input(HostInputState{});
        EXPECT_EQ(run_frame(), FrameResult::kFrameEnd);
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

    // Record Demo: the recorder is started, then the machine is powered on.
    demo_recording = 1;
    demo_record_start();
    power_on("input_pad_log_cart");
    const std::vector<u8> recorded = run(frames);
    demo_recording                 = 0;
    const std::vector<u8> stream(demo_buffer.begin(), demo_buffer.begin() + demo_record_length());
    EXPECT_EQ(stream[kDemoHeaderBytes + 1], 4) << "the stream opens with a wait of 4";

    // The cartridge saw the live pads.
    ASSERT_EQ(recorded[kLogEntry - 1], 0xEE) << "the cartridge did not run";
    EXPECT_EQ(recorded[0 * kLogEntry + 1], 0x33);
    EXPECT_EQ(recorded[4 * kLogEntry + 1], 0x13) << "Start";
    EXPECT_EQ(recorded[5 * kLogEntry + 2], 0x7B) << "X";
    EXPECT_EQ(recorded[5 * kLogEntry + 4], 0x23) << "A on port 2";

    // Load Demo: the stream is loaded and played from a new power-on; the host gives no
    // input at all.
    input_reset_records();
    std::copy(stream.begin(), stream.end(), demo_buffer.begin());
    demo_mode = 1;
    ASSERT_TRUE(demo_playback_start(static_cast<u32>(stream.size()), host));
    power_on("input_pad_log_cart");
    const std::vector<u8> replayed = run(std::vector<HostInputState>(frames.size()));

    for (u32 f = 0; f < frames.size(); ++f) {
        const auto at = recorded.begin() + f * kLogEntry;
        EXPECT_TRUE(std::equal(at, at + kLogEntry, replayed.begin() + f * kLogEntry))
            << "frame " << f;
    }
}

}  // namespace
}  // namespace varn
