// varn-run: the headless runner. Loads a plain cartridge image, powers the machine on and
// runs frames without a window, sound device or input, then prints what it did. It links
// the emulation core only.

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/config.h"
#include "base/file_write.h"
#include "base/host.h"
#include "base/speed_paths.h"
#include "genesis/memory/memory.h"
#include "genesis/runtime/pacing.h"
#include "genesis/runtime/power_on.h"
#include "genesis/runtime/scheduler.h"
#include "genesis/runtime/sound_output.h"
#include "genesis/runtime/thread_link.h"
#include "genesis/state/save_state.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"
#include "genesis/z80/genesis_z80.h"
#include "sms/sms.h"
#include "wav_writer.h"

namespace varn {
namespace {

constexpr int kExitOk       = 0;
constexpr int kExitHalted   = 1;
constexpr int kExitBadInput = 2;

struct Options {
    u64 frames      = 60;
    bool fake_clock = false;
    std::string system;  // empty: by the image's extension
    std::string image;
    std::string wav_path;
    bool frame_crc = false;
    std::string dump_frame_path;
    std::string load_state_path;
    std::string save_state_path;
    bool bench = false;
    bool plain = false;
};

// One command-line option: its name, whether it takes a value, and what it does with it.
// Returns an error text, empty when the value is good.
struct OptionDef {
    const char* name;
    const char* value_name;  // null: a flag
    const char* help;
    std::function<std::string(Options&, const std::string&)> apply;
};

std::string parse_count(const std::string& text, u64& out) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        return "not a number: " + text;
    }
    errno                      = 0;
    const unsigned long long v = std::strtoull(text.c_str(), nullptr, 10);
    if (errno != 0 || v == 0) return "frame count out of range: " + text;
    out = v;
    return {};
}

const std::vector<OptionDef>& option_table() {
    static const std::vector<OptionDef> table = {
        {"--frames", "N", "run N frames (default 60)",
         [](Options& o, const std::string& v) { return parse_count(v, o.frames); }},
        {"--fake-clock", nullptr,
         "pace by a clock that moves only while waiting: full speed, repeatable",
         [](Options& o, const std::string&) {
             o.fake_clock = true;
             return std::string();
         }},
        {"--bench", nullptr,
         "run unpaced (the clock moves only while waiting) and print frames a second",
         [](Options& o, const std::string&) {
             o.bench      = true;
             o.fake_clock = true;
             return std::string();
         }},
        {"--plain", nullptr,
         "run every instruction and line plainly: the speed paths off (for comparison)",
         [](Options& o, const std::string&) {
             o.plain = true;
             return std::string();
         }},
        {"--system", "NAME", "machine to run (genesis, sms; default by the extension)",
         [](Options& o, const std::string& v) {
             if (v != "genesis" && v != "sms") return "unsupported system: " + v;
             o.system = v;
             return std::string();
         }},
        {"--wav", "FILE", "write the frames' samples as a 16-bit mono WAV at the configured rate",
         [](Options& o, const std::string& v) {
             o.wav_path = v;
             return std::string();
         }},
        {"--frame-crc", nullptr, "print the CRC-32 of each drawn frame's picture",
         [](Options& o, const std::string&) {
             o.frame_crc = true;
             return std::string();
         }},
        {"--dump-frame", "FILE", "write the last drawn frame's picture as a binary PPM",
         [](Options& o, const std::string& v) {
             o.dump_frame_path = v;
             return std::string();
         }},
        {"--load-state", "FILE", "load a saved state after the power-on, before the frames",
         [](Options& o, const std::string& v) {
             o.load_state_path = v;
             return std::string();
         }},
        {"--save-state", "FILE", "save a state after the frames",
         [](Options& o, const std::string& v) {
             o.save_state_path = v;
             return std::string();
         }},
    };
    return table;
}

void print_usage(std::FILE* out) {
    std::fprintf(out, "usage: varn-run [options] IMAGE\n\n");
    std::fprintf(out, "Runs a plain cartridge image headless and prints frames, slices, samples\n");
    std::fprintf(out, "and wall seconds.\n\noptions:\n");
    for (const auto& option : option_table()) {
        std::string left = option.name;
        if (option.value_name != nullptr) left += std::string(" ") + option.value_name;
        std::fprintf(out, "  %-18s %s\n", left.c_str(), option.help);
    }
    std::fprintf(out, "  %-18s %s\n", "--help", "show this text");
    std::fprintf(out,
                 "\nexit status: 0 done; 1 a CPU halted (the 68000, or the Z80 on an error);\n");
    std::fprintf(out,
                 "2 bad arguments, image or state, or an output file that cannot be written\n");
}

// Returns an error text, empty on success; sets `help` for --help.
std::string parse_arguments(int argc, char** argv, Options& options, bool& help) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
            return {};
        }
        if (arg.size() > 1 && arg[0] == '-') {
            std::string name  = arg, value;
            bool inline_value = false;
            if (const auto eq = arg.find('='); eq != std::string::npos) {
                name         = arg.substr(0, eq);
                value        = arg.substr(eq + 1);
                inline_value = true;
            }
            const auto& table = option_table();
            const auto option = std::find_if(table.begin(), table.end(),
                                             [&](const OptionDef& s) { return name == s.name; });
            if (option == table.end()) return "unknown option: " + arg;
            if (option->value_name != nullptr && !inline_value) {
                if (i + 1 >= argc) return name + " needs " + option->value_name;
                value = argv[++i];
            } else if (option->value_name == nullptr && inline_value) {
                return name + " takes no value";
            }
            if (auto error = option->apply(options, value); !error.empty()) return error;
            continue;
        }
        if (!options.image.empty()) return "more than one image: " + arg;
        options.image = arg;
    }
    if (options.image.empty()) return "no image given";
    if (options.system.empty()) {
        std::string ext =
            options.image.substr(std::min(options.image.size(), options.image.rfind('.')));
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
        options.system = ext == ".sms" ? "sms" : "genesis";
    }
    if (options.system == "sms" &&
        (!options.load_state_path.empty() || !options.save_state_path.empty())) {
        return kSmsNoStateText;
    }
    return {};
}

// Reads a file into `out`, stopping once it holds more than `limit` bytes. Returns an error
// text, empty on success. A path that cannot be read (a directory, a failing device) is an
// error like any other, never an exception.
std::string read_file(const std::string& path, std::vector<u8>& out, std::size_t limit) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "cannot open " + path + ": " + std::strerror(errno);
    out.clear();
    std::vector<char> chunk(0x10000);
    while (out.size() <= limit) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        out.insert(out.end(), chunk.begin(), chunk.begin() + in.gcount());
        if (!in) break;
    }
    if (in.bad()) return "cannot read " + path;
    return {};
}

// The runner-only loader: a plain image into the cartridge area, the rest of it zero.
std::string load_plain_image(const std::string& path) {
    std::vector<u8> data;
    if (auto error = read_file(path, data, cart_rom.size()); !error.empty()) return error;
    if (data.empty()) return path + " is empty";
    if (data.size() > cart_rom.size()) {
        return path + " is larger than the 4 MB cartridge area";
    }
    const auto end = std::copy(data.begin(), data.end(), cart_rom.begin());
    std::fill(end, cart_rom.end(), u8{0});
    return {};
}

// A whole state file into memory; an error text, empty on success.
std::string read_state_file(const std::string& path, std::vector<u8>& out) {
    return read_file(path, out, out.max_size());
}

// A failed write leaves an older file of that name as it was.
std::string write_state_file(const std::string& path) {
    std::vector<u8> state(kStateMaxBytes);
    state.resize(state_save(state));
    return write_file_replacing(path, state).error;
}

// The runner's host: no user interface, no sound device, no input. The picture goes to one
// frame image in memory. With the fake clock, time passes only while the core waits.
class RunnerHost : public Host {
  public:
    explicit RunnerHost(bool fake_clock) : fake_clock_(fake_clock) {}

    void post_request(u32, u32) override {}
    u32 now_ms() override { return fake_clock_ ? fake_ms_ : real_.now_ms(); }
    void sleep_ms(u32 ms) override {
        if (fake_clock_) {
            fake_ms_ += ms != 0 ? ms : 1;
        } else {
            real_.sleep_ms(ms);
        }
    }
    FrameSurface present_frame() override {
        ++frames_drawn_;
        return surface();
    }

    void attach_frame(u32 width, u32 height) { image_.attach(width, height); }
    FrameSurface surface() const {
        return {render_surface.pixels, render_surface.pitch, render_surface.width,
                render_surface.height, render_surface.x,     render_surface.y};
    }
    const FrameImage& image() const { return image_; }
    u64 frames_drawn() const { return frames_drawn_; }

  private:
    bool fake_clock_;
    u32 fake_ms_ = 0;
    NullHost real_;
    FrameImage image_;
    u64 frames_drawn_ = 0;
};

WavWriter wav;

int run(const Options& options) {
    if (auto error = load_plain_image(options.image); !error.empty()) {
        std::fprintf(stderr, "varn-run: %s\n", error.c_str());
        return kExitBadInput;
    }
    const u32 rate = kSoundRates[sound_rate_index()];
    if (!options.wav_path.empty()) {
        if (auto error = wav.open(options.wav_path, rate); !error.empty()) {
            std::fprintf(stderr, "varn-run: %s\n", error.c_str());
            return kExitBadInput;
        }
        sound_log_hook = [](const s16* samples, u32 bytes) { wav.write(samples, bytes / 2); };
    }

    RunnerHost host(options.fake_clock);
    emu_set_host(&host);
    host.attach_frame(320, 480);  // room for an interlaced picture of 448 or 480 rows

    // What the boot does for a cartridge: region, machine kind, sound positions, power-on.
    set_speed_paths(!options.plain);
    emu_components_init();
    const bool sms = options.system == "sms";
    if (sms) {
        sms_z80_init();
        machine_kind = kMachineSms;
        sms_region_select();
        sound_reset_positions();
        sms_power_on_machine();
    } else {
        machine_kind = kMachineGenesis;
        region_autodetect();
        sound_reset_positions();
        genesis_power_on_machine();
    }
    FrameResult (*const frame)() = sms ? sms_run_frame : run_frame;
    surface_set_origin(host.surface().pixels, host.surface().pitch, host.surface().width,
                       host.surface().height, 0, 0);
    // Whole frames from the start of a vertical blank, so that N frames are N x 2752 slices.
    scheduler_reset();
    pace_rebase(host.now_ms());
    if (!options.load_state_path.empty()) {
        std::vector<u8> state;
        std::string error = read_state_file(options.load_state_path, state);
        if (error.empty() && state_load(state) != 0) {
            error = options.load_state_path + ": " + kStateLoadErrorText;
        }
        if (!error.empty()) {
            std::fprintf(stderr, "varn-run: %s\n", error.c_str());
            sound_log_hook = nullptr;
            if (wav.is_open()) (void)wav.close();
            emu_set_host(nullptr);
            return kExitBadInput;
        }
    }

    const auto start = std::chrono::steady_clock::now();
    bool halted      = false;
    for (u64 i = 0; i < options.frames; ++i) {
        const u64 drawn = host.frames_drawn();
        if (frame() == FrameResult::kHalted) {
            halted = true;
            break;
        }
        if (options.frame_crc && host.frames_drawn() != drawn) {
            const u32 w = std::min(screen_width, host.image().width());
            const u32 h = std::min(screen_height, host.image().height());
            std::printf("frame-crc %08x\n", static_cast<unsigned>(host.image().crc32(w, h)));
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::printf("frames %llu slices %llu samples %llu seconds %.3f\n",
                static_cast<unsigned long long>(run_stats.frames),
                static_cast<unsigned long long>(run_stats.slices),
                static_cast<unsigned long long>(run_stats.samples), seconds);

    if (options.bench) {
        std::printf("fps %.0f\n",
                    seconds > 0 ? static_cast<double>(run_stats.frames) / seconds : 0.0);
    }

    int status = halted ? kExitHalted : kExitOk;
    if (halted) {
        const bool z80 = sms ? sms_z80_is_stopped() : z80_is_stopped();
        std::fprintf(stderr, "varn-run: %s\n",
                     z80 ? "the Z80 stopped on an emulation error" : "the 68000 halted");
    }
    const u32 width  = std::min(screen_width, host.image().width());
    const u32 height = std::min(screen_height, host.image().height());
    if (!options.dump_frame_path.empty()) {
        if (auto error = host.image().write_ppm(options.dump_frame_path, width, height);
            !error.empty()) {
            std::fprintf(stderr, "varn-run: %s\n", error.c_str());
            status = kExitBadInput;
        }
    }
    if (!options.save_state_path.empty()) {
        if (auto error = write_state_file(options.save_state_path); !error.empty()) {
            std::fprintf(stderr, "varn-run: %s\n", error.c_str());
            status = kExitBadInput;
        }
    }
    if (wav.is_open()) {
        sound_log_hook = nullptr;
        if (auto error = wav.close(); !error.empty()) {
            std::fprintf(stderr, "varn-run: %s\n", error.c_str());
            status = kExitBadInput;
        }
    }
    emu_set_host(nullptr);
    return status;
}

}  // namespace
}  // namespace varn

int main(int argc, char** argv) {
    varn::Options options;
    bool help = false;
    if (auto error = varn::parse_arguments(argc, argv, options, help); !error.empty() && !help) {
        std::fprintf(stderr, "varn-run: %s\n", error.c_str());
        varn::print_usage(stderr);
        return varn::kExitBadInput;
    }
    if (help) {
        varn::print_usage(stdout);
        return varn::kExitOk;
    }
    return varn::run(options);
}
