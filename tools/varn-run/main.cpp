// varn-run: the headless runner. Loads an image the way the Load ROM command does (plain,
// copier layouts, ZIP or RAR entries), boots it and runs frames without a window, sound
// device or input, then prints what it did. It links the emulation core only; its options
// stand for the choices a user makes in the dialogs.

#include <algorithm>
#include <cctype>
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
#include "base/file_write.h"
#include "base/host.h"
#include "base/speed_paths.h"
#include "cddrive/cd_requests.h"
#include "compose/compose.h"
#include "genesis/runtime/scheduler.h"
#include "genesis/state/save_state.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"
#include "legacy/compose_legacy.h"
#include "media/demo_file.h"
#include "media/image_loader.h"
#include "media/ips_patch.h"
#include "media/machine_boot.h"
#include "media/media_ui.h"
#include "media/optional_libs.h"
#include "media/png_writer.h"
#include "media/state_file.h"
#include "media/system_roms.h"
#include "media/wav_log.h"
#include "memory/memory.h"
#include "runtime/machine_table.h"
#include "runtime/pacing.h"
#include "runtime/sound_output.h"
#include "runtime/thread_link.h"
#include "settings/config_paths.h"
#include "settings/ini_file.h"
#include "settings/lang_file.h"
#include "settings/lang_texts.h"
#include "settings/menu_view.h"
#include "settings/option_host.h"
#include "settings/option_model.h"
#include "settings/profile_folder.h"
#include "sms/sms.h"

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
    std::string ips_path;
    std::string screenshot_path;
    std::string demo_path;
    bool bench        = false;
    bool plain        = false;
    bool legacy       = false;  // the earlier release's machine
    bool system_given = false;  // --system named the machine
    u32 filter        = 0;      // 0: the one the image's name calls for
    std::string profile;        // --profile: the window's settings and folder
    std::string entry;
    std::string brm_path;
    int s32x_system_roms = -1;  // -1: as the setting stands
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
        {"--legacy", nullptr,
         "run the image on the earlier release's machine (Genesis, 32X and Sega CD; it makes no "
         "sound and saves no states)",
         [](Options& o, const std::string&) {
             o.legacy = true;
             return std::string();
         }},
        {"--system", "NAME", "machine to run (genesis, sms; default by the extension)",
         [](Options& o, const std::string& v) {
             if (v != "genesis" && v != "sms") return "unsupported system: " + v;
             o.system       = v;
             o.system_given = true;
             return std::string();
         }},
        {"--filter", "N",
         "file-dialog filter the image is chosen under: 1 Genesis, 2 32X, 3 Sega CD image, "
         "4 Sega CD cue sheet, 5 Master System (default: the one the extension calls for, "
         "as the window takes a file named on its command line)",
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
        {"--profile", "DIR",
         "read DIR/VARN.INI as the window does (system ROM files, save RAM folder, options); "
         "relative paths in it name files in DIR. Default: the window's profile folder for "
         "system ROM files, the default settings, and no save RAM files",
         [](Options& o, const std::string& v) {
             std::error_code ec;
             if (!std::filesystem::is_directory(v, ec)) return "--profile: not a folder: " + v;
             o.profile = std::filesystem::absolute(v, ec).string();
             return std::string();
         }},
        {"--brm-path", "DIR",
         "folder of the save RAM files, read at boot and written at the end (default: the "
         "profile's BRMPath with --profile, else none)",
         [](Options& o, const std::string& v) {
             o.brm_path = v;
             return std::string();
         }},
        {"--32x-system-roms", "on|off",
         "the \"Use System ROMs\" setting of the 32X (default on): off boots 32X images "
         "from their cartridge header alone",
         [](Options& o, const std::string& v) {
             if (v != "on" && v != "off") return "--32x-system-roms takes on or off: " + v;
             o.s32x_system_roms = v == "on" ? 1 : 0;
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
        {"--ips", "FILE", "apply an IPS patch to the loaded image",
         [](Options& o, const std::string& v) {
             o.ips_path = v;
             return std::string();
         }},
        {"--screenshot", "FILE", "write the last drawn frame's picture as a PNG",
         [](Options& o, const std::string& v) {
             o.screenshot_path = v;
             return std::string();
         }},
        {"--play-demo", "FILE", "play a demo file's input from a reboot of the loaded image",
         [](Options& o, const std::string& v) {
             o.demo_path = v;
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
    std::fprintf(out,
                 "wall seconds. The extension picks the machine: .bin .gen .md .smd Genesis\n");
    std::fprintf(out,
                 "(.bin a Sega CD image when its header says so), .32x 32X, .iso .raw Sega CD,\n");
    std::fprintf(out,
                 ".cue a Sega CD cue sheet, .sms Master System, .zip .rar by their entries.\n");
    std::fprintf(out, "\noptions:\n");
    for (const auto& option : option_table()) {
        std::string left = option.name;
        if (option.value_name != nullptr) left += std::string(" ") + option.value_name;
        std::fprintf(out, "  %-18s %s\n", left.c_str(), option.help);
    }
    std::fprintf(out, "  %-18s %s\n", "--help", "show this text");
    std::fprintf(out,
                 "\nexit status: 0 done; 1 a CPU halted (the 68000, an SH-2, or the Z80 on an\n");
    std::fprintf(out,
                 "error); 2 bad arguments, image or state, or an output file that cannot be\n");
    std::fprintf(out, "written\n");
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
        if (text.ends_with(lang_text(lang::ERM_FIO_NF))) system_rom_missing = true;
    }
    bool system_rom_missing = false;  // a system ROM loader said "PATH not found."
};

// The runner reads the settings without a menu: there are no check marks to set.
class NullMenu : public MenuView {
  public:
    bool set_checked(u32, bool) override { return false; }
    bool set_text(u32, std::string_view) override { return false; }
    bool set_text_at(std::span<const u32>, std::string_view) override { return false; }
};

// After a boot stopped for a missing system ROM: where the file was looked for, and for a
// 32X how to run it without its system ROMs.
void print_system_rom_hint(const Options& options) {
    std::fprintf(stderr,
                 "varn-run: relative system ROM paths are looked up in %s (where the window "
                 "looks too; --profile DIR reads the settings of another folder)\n",
                 config_program_folder.c_str());
    if (image_loader.load_mode == kMode32x && cfg(cfg_32x_use_bios) != 0 &&
        options.s32x_system_roms < 0) {
        std::fprintf(stderr,
                     "varn-run: to boot a 32X image without its system ROMs, run with "
                     "--32x-system-roms off (in the window: Config > Machine > 32X > Use "
                     "System ROMs)\n");
    }
}

// A file command's outcome as the runner reports it: an error text, empty on success.
std::string media_error(const MediaResult& result, const std::string& path) {
    if (result) return {};
    if (result.message.find(path) != std::string::npos) return result.message;
    return path + ": " + result.message;
}

// The runner's host: no user interface, no sound device, no input. The picture goes to one
// frame image in memory. With the fake clock, time passes only while the core waits.
class RunnerHost : public Host {
  public:
    explicit RunnerHost(bool fake_clock) : fake_clock_(fake_clock) {}

    // CD work is done at once: there is no user-interface thread to hand it to, and a Sega CD
    // waits for the sectors it asks for.
    void post_request(u32 code, u32 param) override {
        if (code >= kRequestCdReadSector && code <= kRequestCdOpenTray) cd_request(code, param);
    }
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
    FrameSurface surface() const { return render_surface; }
    const FrameImage& image() const { return image_; }
    u64 frames_drawn() const { return frames_drawn_; }

  private:
    bool fake_clock_;
    u32 fake_ms_ = 0;
    NullHost real_;
    FrameImage image_;
    u64 frames_drawn_ = 0;
};

// Everything the runner set up for the run is undone here on every way out.
struct RunScope {
    ~RunScope() {
        machine_close();
        sound_log_slot = nullptr;
        if (wav_logging != 0) (void)wav_log_stop();
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

    RunnerHost host(options.fake_clock);
    RunnerUi ui;
    RunScope scope;
    emu_set_host(&host);
    media_set_ui(&ui);
    host.attach_frame(320, 480);  // room for an interlaced picture of 448 or 480 rows

    set_speed_paths(!options.plain);
    // Start-up as the program's: the one-time set-up and the optional libraries (the
    // naming libraries from the runner's own folder).
    if (options.legacy) {
        compose_varn_legacy();
    } else {
        compose_varn();
    }
    LibraryBindOptions libraries;
    // The earlier release binds no naming library.
    if (!options.legacy) libraries.namer_folder = executable_folder();
    dll_bind_optional(libraries);
    // The settings as the window reads them, from --profile's folder, or the defaults; their
    // relative paths name files in that folder. Options given here win over the file.
    config_program_folder =
        options.profile.empty() ? profile_folder() : std::filesystem::path(options.profile);
    if (!options.profile.empty()) {
        NullMenu menu;
        MachineOptionHost option_host;
        OptionModel model(menu, option_host);
        const auto read = ini_read(config_program_folder / kIniFileName, model, IniMissing::kLeave);
        if (!read.error.empty()) std::fprintf(stderr, "varn-run: %s\n", read.error.c_str());
        (void)lang_load(config_program_folder / kLangFileName, menu);
    }
    if (options.s32x_system_roms >= 0)
        cfg_32x_use_bios = static_cast<u32>(options.s32x_system_roms);
    // Without a profile the runner touches no save RAM file unless it is given a folder.
    media_ram_files_enabled = !options.brm_path.empty() || !options.profile.empty();
    if (!options.brm_path.empty()) {
        // A folder named on the command line is the current folder's, not the profile's.
        std::error_code ec;
        cfg_brm_path = std::filesystem::absolute(options.brm_path, ec).string() + "/";
    }
    if (!options.entry.empty()) ui.entry = options.entry;

    // The filter the user would pick in the dialog for this file, unless an option says.
    const u32 filter = options.filter != 0 ? options.filter
                       : options.system_given
                           ? (options.system == "sms" ? lang::kFilterSms : lang::kFilterGenesis)
                           : image_filter_for_file(options.image);
    if (const LoadResult loaded = rom_load_file(options.image, filter);
        loaded != LoadResult::kBooted) {
        if (loaded == LoadResult::kBootFailed && ui.system_rom_missing) {
            print_system_rom_hint(options);
        }
        return kExitBadInput;
    }
    auto fail = [](const std::string& error) {
        std::fprintf(stderr, "varn-run: %s\n", error.c_str());
        return kExitBadInput;
    };
    if (!options.ips_path.empty()) {
        // Load Patch: the running image is patched in place, without a reboot.
        u32 size = static_cast<u32>(std::min<u64>(image_loader.image_size, cart_rom.size()));
        const auto patched = ips_patch_file(options.ips_path, cart_rom, size);
        if (!patched) return fail(media_error(patched, options.ips_path));
        image_loader.image_size = size;
    }
    if (!options.demo_path.empty()) {
        // Load Demo: the demo plays from a reboot of the loaded image.
        const auto playing = demo_file_play(options.demo_path, host);
        if (!playing) return fail(media_error(playing, options.demo_path));
        if (!machine_boot(0)) return kExitBadInput;
    }
    if (!options.wav_path.empty()) {
        const auto started = wav_log_start(options.wav_path);
        if (!started) return fail(media_error(started, options.wav_path));
    }
    const MachineRecord& machine = *machine_current();
    surface_set_origin(host.surface().pixels, host.surface().pitch, host.surface().width,
                       host.surface().height, 0, 0);
    // Whole frames from the start of a vertical blank, so that N frames are N x 2752 slices.
    scheduler_reset();
    pace_rebase(host.now_ms());
    if (!options.load_state_path.empty()) {
        const auto loaded = state_file_load(options.load_state_path);
        if (!loaded) return fail(media_error(loaded, options.load_state_path));
    }

    const auto start = std::chrono::steady_clock::now();
    bool halted      = false;
    for (u64 i = 0; i < options.frames; ++i) {
        const u64 drawn = host.frames_drawn();
        if (machine.run_frame() == FrameResult::kHalted) {
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
    if (halted) std::fprintf(stderr, "varn-run: %s\n", machine.halt_text());
    const u32 width  = std::min(screen_width, host.image().width());
    const u32 height = std::min(screen_height, host.image().height());
    if (!options.dump_frame_path.empty()) {
        if (auto error = host.image().write_ppm(options.dump_frame_path, width, height);
            !error.empty()) {
            std::fprintf(stderr, "varn-run: %s\n", error.c_str());
            status = kExitBadInput;
        }
    }
    // The file commands: each reports its own failure and the others still run.
    auto report = [&](const MediaResult& result, const std::string& path) {
        if (result) return;
        std::fprintf(stderr, "varn-run: %s\n", media_error(result, path).c_str());
        status = kExitBadInput;
    };
    if (!options.screenshot_path.empty()) {
        report(screenshot_save(options.screenshot_path, host.image().pixels().data(),
                               host.image().width(), width, height, cfg(cfg_png_compression_level),
                               screenshot_deflate_calls()),
               options.screenshot_path);
    }
    if (!options.save_state_path.empty()) {
        report(state_file_save(options.save_state_path), options.save_state_path);
    }
    if (!options.wav_path.empty()) {
        if (wav_logging != 0) {
            report(wav_log_stop(), options.wav_path);
        } else if (!wav_log_ended_error().empty()) {
            report(MediaResult::failed(wav_log_ended_error()), options.wav_path);
        }
    }
    // The close writes the save RAM; a file it cannot write (reported already) fails the run.
    machine_close();
    if (!machine_ram_files_written()) status = kExitBadInput;
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
