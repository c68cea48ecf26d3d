// Every file the commands write replaces an older one only once it is whole: a full disk
// reports the failure and leaves the older file as it was, with no temporary file behind.

#include <fstream>
#include <functional>

#include "files_fixture.h"
#include "genesis/io/demo_stream.h"
#include "media/demo_file.h"
#include "media/png_writer.h"
#include "media/state_file.h"
#include "media/wav_log.h"

namespace varn {
namespace {

namespace fs = std::filesystem;

using test::DiskFullSimulation;
using test::MediaMachineTest;
using test::read_file;
using test::ScratchFolder;

class WriteFailureTest : public MediaMachineTest {
  protected:
    ScratchFolder folder;
};

TEST_F(WriteFailureTest, AFullDiskReportsAndKeepsTheOlderFile) {
    if (!boot("sgdk-hilight-shadow.bin")) GTEST_SKIP() << "shared test images absent";
    demo_record_start();  // a short recording to save
    run_frames(30);

    using Writer                                   = std::function<MediaResult(const fs::path&)>;
    const std::pair<const char*, Writer> writers[] = {
        {"GAME.VK0", [](const fs::path& p) { return state_file_save(p); }},
        {"GAME.DEM", [](const fs::path& p) { return demo_file_save(p); }},
        {"GAME 000.PNG",
         [](const fs::path& p) {
             return screenshot_save(p, render_surface.pixels, render_surface.pitch, screen_width,
                                    screen_height, 0, test::linked_zlib());
         }},
        {"GAME.WAV",
         [](const fs::path& p) {
             if (auto started = wav_log_start(p); !started) return started;
             run_frame();
             run_frame();
             return wav_log_stop();
         }},
        // The runner's picture dump.
        {"GAME.PPM",
         [this](const fs::path& p) {
             const std::string error = frame.write_ppm(p.string(), 320, 224);
             return error.empty() ? MediaResult::ok() : MediaResult::failed(error);
         }},
    };
    for (const auto& [name, write] : writers) {
        const fs::path file = folder / name;
        std::ofstream(file) << "the older file";
        const auto older = read_file(file);
        {
            DiskFullSimulation full(16);  // less than any of the files
            const auto r = write(file);
            EXPECT_FALSE(r) << name;
            EXPECT_NE(r.message.find(name), std::string::npos) << name << ": " << r.message;
        }
        EXPECT_EQ(read_file(file), older) << name;
        EXPECT_TRUE(write(file)) << name << " once there is room again";
        EXPECT_NE(read_file(file), older) << name;
    }
    EXPECT_EQ(folder.entries(), 5u) << "no temporary file is left";
}

}  // namespace
}  // namespace varn
