// Demo files: a demo recorded, written, read back and played from a new power-on must give
// the same pictures in the same frames.

#include "media/demo_file.h"

#include <fstream>
#include <set>

#include "files_fixture.h"
#include "genesis/input/input_fixture.h"
#include "genesis/io/demo_stream.h"

namespace varn {
namespace {

namespace fs = std::filesystem;

using test::keys;
using test::MediaMachineTest;
using test::read_file;
using test::ScratchFolder;
namespace key1 = test::key1;

class DemoFileTest : public MediaMachineTest {
  protected:
    void SetUp() override {
        MediaMachineTest::SetUp();
        input_reset_records();
        demo_reset();
        key_maps_load_defaults();
        for (auto& w : cfg_input_device) cfg_set(w, 0);
        for (auto& w : cfg_port_device) cfg_set(w, 0);  // three-button pads
        input_apply_config();
    }
    void TearDown() override {
        demo_recording = 0;
        demo_mode      = 0;
        input_reset_records();
        MediaMachineTest::TearDown();
    }

    ScratchFolder folder;
};

TEST_F(DemoFileTest, ARecordedDemoReplaysFromItsFileFrameExact) {
    // Input from the first frame on, so the recording's opening wait counts no frames.
    std::vector<HostInputState> script;
    for (u32 f = 0; f < 90; ++f) {
        if (f < 3)
            script.push_back(keys({key1::kRight}));
        else if (f % 20 < 6)
            script.push_back(keys({key1::kA, key1::kDown}));
        else if (f % 20 < 9)
            script.push_back(keys({key1::kStart}));
        else
            script.push_back(keys({}));
    }
    demo_recording = 1;
    demo_record_start();
    if (!boot("sgdk-joy-test.bin")) GTEST_SKIP() << "shared test images absent";
    std::vector<u32> recorded;
    for (const auto& in : script) {
        drawing_host.set_input(in);
        recorded.push_back(run_frames(1)[0]);
    }
    demo_recording   = 0;
    const u32 length = demo_record_length();

    const fs::path file = folder / "run.DEM";
    ASSERT_TRUE(demo_file_save(file));
    const auto bytes = read_file(file);
    ASSERT_EQ(bytes.size(), length - 3) << "the empty opening wait is left out";
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + kDemoHeaderBytes, demo_buffer.begin()));
    EXPECT_TRUE(std::equal(bytes.begin() + kDemoHeaderBytes, bytes.end(),
                           demo_buffer.begin() + kDemoHeaderBytes + 3));

    // Load Demo: a clean buffer, the file, a new power-on and no live input.
    demo_buffer.fill(0);
    input_reset_records();
    ASSERT_TRUE(demo_file_play(file, drawing_host));
    ASSERT_TRUE(boot("sgdk-joy-test.bin"));
    drawing_host.set_input(keys({key1::kB}));  // ignored while the demo plays
    EXPECT_EQ(run_frames(static_cast<u32>(script.size())), recorded);
    EXPECT_GT(std::set<u32>(recorded.begin(), recorded.end()).size(), 2u)
        << "the pad test should show the presses";
}

TEST_F(DemoFileTest, LongFilesLoadTheirFirstPartAndOtherFilesAreNoDemo) {
    std::vector<u8> big(200000);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<u8>(i * 13);
    std::ofstream(folder / "big.DEM", std::ios::binary)
        .write(reinterpret_cast<const char*>(big.data()), static_cast<std::streamsize>(big.size()));
    u32 length = 0;
    ASSERT_TRUE(demo_file_load(folder / "big.DEM", length));
    EXPECT_EQ(length, kDemoBufferBytes);
    EXPECT_TRUE(std::equal(demo_buffer.begin(), demo_buffer.end(), big.begin()));

    const auto r = demo_file_play(folder / "big.DEM", drawing_host);
    EXPECT_EQ(r.status, MediaStatus::kFailed);
    EXPECT_EQ(demo_mode, 0u) << "playback ended at once";
    EXPECT_EQ(demo_file_play(folder / "none.DEM", drawing_host).status, MediaStatus::kNotOpened);
}

}  // namespace
}  // namespace varn
