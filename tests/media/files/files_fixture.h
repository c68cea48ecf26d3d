#pragma once
// A Genesis running a shared test cartridge frame by frame, its pictures drawn into a frame
// image, for the file commands' tests; and a scratch folder per test.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "genesis/runtime/runtime_fixture.h"
#include "media/png_writer.h"
#include "runtime/machine_table.h"
#include "support/test_files.h"
#include "support/test_machine.h"

namespace varn::test {

namespace fs = std::filesystem;

// zlib as linked with the tests, in the form the program binds it.
inline DeflateCalls linked_zlib() {
    return {&::deflateInit_, &::deflate, &::deflateEnd, &::deflateBound};
}

// Runs a command, returning its exit status and output.
inline std::pair<int, std::string> run_command(const std::string& command) {
    std::string output;
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return {-1, {}};
    std::array<char, 256> buffer;
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) output += buffer.data();
    const int raw = pclose(pipe);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, output};
}

// A recording host whose frames land in the attached frame image.
class DrawingHost : public RecordingHost {
  public:
    FrameSurface present_frame() override {
        RecordingHost::present_frame();
        return {render_surface.pixels, render_surface.pitch, render_surface.width,
                render_surface.height, render_surface.x,     render_surface.y};
    }
};

// A folder of its own for each test, removed afterwards.
class ScratchFolder {
  public:
    ScratchFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = fs::temp_directory_path() / ("varn_media_" + std::to_string(::getpid()) + "_" +
                                             info->test_suite_name() + "_" + info->name());
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(path_), {}));
    }

  private:
    fs::path path_;
};

// While alive, no file of this process may grow past `bytes`: every write past it fails as
// on a full disk (also for root, whom permissions do not stop).
class DiskFullSimulation {
  public:
    explicit DiskFullSimulation(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        old_handler_   = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit   = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~DiskFullSimulation() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, old_handler_);
    }

  private:
    rlimit saved_{};
    void (*old_handler_)(int) = nullptr;
};

class MediaMachineTest : public RuntimeTest {
  protected:
    void SetUp() override {
        compose_machines();
        // The machine is powered on by hand here, with no image loaded through the media:
        // a reboot (a demo recording starts with one) restarts the frames without a boot.
        machine_boot_slot            = nullptr;
        machine_save_backup_ram_slot = nullptr;
        RuntimeTest::SetUp();
        reset_genesis_records();
        emu_set_host(&drawing_host);
        cfg_set(cfg_frame_skip, 0);
        frame.attach(320, 240);
    }
    void TearDown() override {
        machine_kind = 0;
        RuntimeTest::TearDown();
    }

    // Loads a shared cartridge and powers the machine on; false (the test skips) when the
    // shared test folder is absent.
    bool boot(const std::string& image) {
        const auto path = testdata_file("roms/genesis/" + image);
        if (path.empty()) return false;
        const auto bytes = read_file(path);
        std::fill(cart_rom.begin(), cart_rom.end(), u8{0});
        std::copy(bytes.begin(), bytes.end(), cart_rom.begin());
        machine_kind = kMachineGenesis;
        region_autodetect();
        sound_reset_positions();
        genesis_power_on_machine();
        surface_set_origin(render_surface.pixels, render_surface.pitch, render_surface.width,
                           render_surface.height, 0, 0);
        scheduler_reset();
        pace_rebase(drawing_host.now_ms());
        return true;
    }

    // Runs `n` frames and returns the CRC-32 of each one's picture.
    std::vector<u32> run_frames(u32 n) {
        std::vector<u32> crcs;
        for (u32 i = 0; i < n; ++i) {
            EXPECT_EQ(run_frame(), FrameResult::kFrameEnd);
            crcs.push_back(frame.crc32(screen_width, screen_height));
        }
        return crcs;
    }

    DrawingHost drawing_host;
    FrameImage frame;
};

}  // namespace varn::test
