// varn-run: the headless runner. Loads an image the way the Load ROM command does (plain,
// copier layouts, ZIP or RAR entries), boots it and runs frames without a window, sound
// device or input, then prints what it did. It links the emulation core only; its options
// stand for the choices a user makes in the dialogs.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/config.h"
#include "base/host.h"
#include "frontend/config/config_paths.h"
#include "frontend/config/lang_texts.h"
#include "genesis/runtime/pacing.h"
#include "genesis/runtime/power_on.h"
#include "genesis/runtime/scheduler.h"
#include "genesis/runtime/sound_output.h"
#include "genesis/runtime/thread_link.h"
#include "genesis/state/save_state.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"
#include "media/image_loader.h"
#include "media/machine_boot.h"
#include "media/media_ui.h"
#include "media/optional_libs.h"
#include "wav_writer.h"

namespace varn {
namespace {

constexpr int kExitOk       = 0;
constexpr int kExitHalted   = 1;
constexpr int kExitBadInput = 2;

struct Options {
    u64 frames         = 60;
    bool fake_clock    = false;
    std::string system = "genesis";
    std::string image;
    std::string wav_path;
    bool frame_crc = false;
    std::string dump_frame_path;
    std::string load_state_path;
    std::string save_state_path;
    bool bench = false;
    u32 filter = lang::kFilterGenesis;
    std::string entry;
    std::string brm_path;
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
        {"--system", "NAME", "machine to run (genesis)",
         [](Options& o, const std::string& v) {
             if (v != "genesis") return "unsupported system: " + v;
             o.system = v;
             return std::string();
         }},
        {"--filter", "N",
         "file-dialog filter the image is chosen under: 1 Genesis (default), 2 32X, 3 Sega CD "
         "image, 4 Sega CD cue sheet, 5 Master System",
         [](Options& o, const std::string& v) {
             if (v.size() != 1 || v[0] < '1' || v[0] > '5') return "filter out of range: " + v;
             o.filter = static_cast<u32>(v[0] - '0');
             return std::string();
         }},
        {"--entry", "NAME", "the archive entry to load when more than one fits the filter",
         [](Options& o, const std::string& v) {
             o.entry = v;
             return std::string();
         }},
        {"--brm-path", "DIR",
         "folder of the save RAM files, read at boot and written at the end (default: none)",
         [](Options& o, const std::string& v) {
             o.brm_path = v;
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
    std::fprintf(out,
                 "Loads an image (plain, interleaved .SMD, half-split .MD, or an entry of a ZIP\n");
    std::fprintf(out, "or RAR archive), runs it headless and prints frames, slices, samples and\n");
    std::fprintf(out, "wall seconds.\n\noptions:\n");
    for (const auto& option : option_table()) {
        std::string left = option.name;
        if (option.value_name != nullptr) left += std::string(" ") + option.value_name;
        std::fprintf(out, "  %-18s %s\n", left.c_str(), option.help);
    }
    std::fprintf(out, "  %-18s %s\n", "--help", "show this text");
    std::fprintf(out, "\nexit status: 0 done, 1 the 68000 halted, 2 bad arguments or image\n");
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

// The image path as given: a file that can be opened and is not empty. The loader then
// says what it makes of it.
std::string check_image_path(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "cannot open " + path + ": " + std::strerror(errno);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return "cannot read " + path;
    if (std::filesystem::file_size(path, ec) == 0 || ec) return path + " is empty";
    return {};
}

// The dialogs' answers come from the options; messages go to standard error.
class RunnerUi : public HeadlessUi {
  public:
    void message_box(const std::string& text) override {
        std::fprintf(stderr, "varn-run: %s\n", text.c_str());
    }
};

// A whole state file into memory; an error text, empty on success.
std::string read_state_file(const std::string& path, std::vector<u8>& out) {
    return read_file(path, out, out.max_size());
}

std::string write_state_file(const std::string& path) {
    std::vector<u8> state(kStateMaxBytes);
    state.resize(state_save(state));
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(state.data()),
              static_cast<std::streamsize>(state.size()));
    out.close();
    if (!out) return "cannot write " + path;
    return {};
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

// Everything the runner set up for the run is undone here on every way out.
struct RunScope {
    ~RunScope() {
        machine_close();
        sound_log_hook = nullptr;
        if (wav.is_open()) (void)wav.close();
        emu_set_host(nullptr);
        media_set_ui(nullptr);
        dll_release();
    }
};

int run(const Options& options) {
    if (auto error = check_image_path(options.image); !error.empty()) {
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
    RunnerUi ui;
    RunScope scope;
    emu_set_host(&host);
    media_set_ui(&ui);
    host.attach_frame(320, 480);  // room for an interlaced picture of 448 or 480 rows

    // Start-up as the program's: the one-time set-up and the optional libraries (the
    // naming libraries from the runner's own folder).
    emu_components_init();
    LibraryBindOptions libraries;
    libraries.namer_folder = executable_folder();
    dll_bind_optional(libraries);
    media_ram_files_enabled = !options.brm_path.empty();
    if (media_ram_files_enabled) cfg_brm_path = options.brm_path + "/";
    if (!options.entry.empty()) ui.entry = options.entry;

    if (rom_load_file(options.image, options.filter) != LoadResult::kBooted) {
        return kExitBadInput;
    }
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
            return kExitBadInput;
        }
    }

    const auto start = std::chrono::steady_clock::now();
    bool halted      = false;
    for (u64 i = 0; i < options.frames; ++i) {
        const u64 drawn = host.frames_drawn();
        if (run_frame() == FrameResult::kHalted) {
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
    if (halted) std::fprintf(stderr, "varn-run: the 68000 halted\n");
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
