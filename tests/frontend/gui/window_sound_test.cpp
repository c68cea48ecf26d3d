// The window program's sound on a real device: SDL's disk driver plays the PSG tone
// cartridge for ten seconds into a file at the device's own pace, and what reached the
// device is the tone the headless runner writes to its WAV file, without silent gaps.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "../../genesis/sound/signal.h"
#include "base/types.h"

namespace varn {
namespace {

namespace fs = std::filesystem;

std::vector<s16> read_samples(const fs::path& file, std::size_t skip_bytes) {
    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<s16> samples;
    for (std::size_t i = skip_bytes; i + 1 < bytes.size(); i += 2) {
        samples.push_back(
            static_cast<s16>(static_cast<u8>(bytes[i]) | (static_cast<u8>(bytes[i + 1]) << 8)));
    }
    return samples;
}

// Runs `argv` with extra environment words; returns its pid.
pid_t spawn(std::vector<std::string> argv, std::vector<std::string> env) {
    const pid_t pid = fork();
    if (pid == 0) {
        for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
        std::vector<char*> args;
        for (std::string& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    return pid;
}

int wait_for(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(WindowSound, TenSecondsOfTheToneReachTheDevice) {
    const fs::path image = fs::path(VARN_TESTPROG_DIR) / "sound_psg_tone.bin";
    ASSERT_TRUE(fs::exists(image));
    const fs::path work = fs::temp_directory_path() / ("varn_sound_" + std::to_string(getpid()));
    fs::create_directories(work / "config");

    // The runner's tone: 10 seconds at 44100 Hz.
    const pid_t runner = spawn({VARN_RUN_PATH, "--frames", "600", "--fake-clock", "--wav",
                                (work / "runner.wav").string(), image.string()},
                               {});
    ASSERT_EQ(wait_for(runner), 0);
    const std::vector<s16> wav = read_samples(work / "runner.wav", 44);
    ASSERT_GT(wav.size(), 44100u);

    // The disk device sleeps a whole number of milliseconds per 512-sample chunk (11.6 ms of
    // sound). Its default, 11, takes the sound about 4% faster than any real device and
    // makes the measured pitch depend on how long each file write takes on the machine;
    // 12 ms, about 3% slower, is a steady device the program must keep up with.
    const std::string raw = (work / "device.raw").string();
    const pid_t window =
        spawn({WINVARN_PATH, image.string()},
              {"QT_QPA_PLATFORM=offscreen", "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + raw,
               "SDL_DISKAUDIODELAY=12", "XDG_CONFIG_HOME=" + (work / "config").string()});
    std::this_thread::sleep_for(std::chrono::milliseconds(10500));
    kill(window, SIGTERM);
    ASSERT_EQ(wait_for(window), 0);

    std::vector<s16> device = read_samples(raw, 0);
    // Start-up takes a moment, and the disk device keeps its pace only roughly.
    ASSERT_GT(device.size(), 44100u * 7) << "the device took too little";
    // Start-up, boot and exit are at the ends: measure the seconds in between.
    const std::size_t from = 44100, to = device.size() - 22050;
    const std::span<const s16> middle(device.data() + from, to - from);

    const double want =
        test::dominant_hz(std::span<const s16>(wav).subspan(4410), 44100, 300, 600, 0.5);
    const double got = test::dominant_hz(middle, 44100, 300, 600, 0.5);
    EXPECT_NEAR(got, want, want * 0.01) << "runner " << want << " Hz, device " << got << " Hz";

    // When the device comes too close to the written sound the next frame goes 788 samples
    // ahead of it, a short silence; an emulation thread that the machine's load holds back
    // for a moment leaves a longer one. Neither may add up to much, and none may last long.
    std::size_t run = 0, longest = 0, silent = 0;
    for (s16 v : middle) {
        run     = v == 0 ? run + 1 : 0;
        longest = std::max(longest, run);
        silent += v == 0;
    }
    EXPECT_LE(longest, 4410u) << "a silent gap of " << longest << " samples";
    EXPECT_LT(silent, middle.size() / 20) << silent << " silent samples";
    fs::remove_all(work);
}

}  // namespace
}  // namespace varn
