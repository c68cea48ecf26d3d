#include "e2e_machine.h"
#include "e2e_wav.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <span>
#include <utility>

#include "base/config.h"
#include "base/crc32.h"
#include "base/endian.h"
#include "base/host.h"
#include "genesis/bus/bus.h"
#include "genesis/bus/io_ports.h"
#include "genesis/io/lightgun.h"
#include "genesis/runtime/power_on.h"
#include "genesis/runtime/scheduler.h"
#include "genesis/sound/ym2612.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"
#include "genesis/z80/genesis_z80.h"
#include "m68k/m68k.h"
#include "memory/memory.h"
#include "runtime/machine_table.h"
#include "runtime/pacing.h"
#include "runtime/region.h"
#include "runtime/sound_output.h"
#include "runtime/thread_link.h"
#include "s32x/s32x.h"
#include "sh2/sh2.h"
#include "sh2/sh2_bus.h"
#include "support/machine_records.h"
#include "support/test_machine.h"

namespace varn::test {

namespace {

// Time passes only while the core waits, so the pacing never drops a frame.
class E2eHost : public Host {
  public:
    void post_request(u32, u32) override {}
    u32 now_ms() override { return clock_ms_; }
    void sleep_ms(u32 ms) override { clock_ms_ += ms != 0 ? ms : 1; }
    FrameSurface present_frame() override {
        return {render_surface.pixels, render_surface.pitch, render_surface.width,
                render_surface.height, render_surface.x,     render_surface.y};
    }
    void reset() { clock_ms_ = 0; }

  private:
    u32 clock_ms_ = 0;
};

// The pad in port 1: a three-button pad answers TH high with C B Right Left Down Up and TH
// low with Start A 0 0 Down Up, every button active low.
u8 pad_held = 0;
u8 pad_th   = 0x40;

u8 pad_read(u32 port) {
    if (port != 0) return kIoPortNoDevice;
    const u8 pressed = static_cast<u8>(~pad_held);
    if (pad_th != 0) return static_cast<u8>(0x40 | (pressed & 0x3F));
    return static_cast<u8>((pressed & 0x03) | ((pressed >> 2) & 0x30));
}

void pad_write(u32 port, u8 lines) {
    if (port == 0) pad_th = lines & 0x40;
}

struct SoundTally {
    u64 frames_left = 0;
    u32 crc         = 0;
    u64 samples     = 0;
    u64 loud        = 0;
    std::vector<s16> samples_kept;
};
SoundTally tally;

void tally_sound(const s16* samples, u32 bytes) {
    if (tally.frames_left == 0) return;
    --tally.frames_left;
    const u32 count = bytes / 2;
    for (u32 i = 0; i < count; ++i) {
        const s32 v    = samples[i];
        const u8 le[2] = {static_cast<u8>(v), static_cast<u8>(static_cast<u16>(v) >> 8)};
        tally.crc      = crc32_update(tally.crc, le);
        if (v > 256 || v < -256) ++tally.loud;
    }
    tally.samples_kept.insert(tally.samples_kept.end(), samples, samples + count);
    tally.samples += count;
}

void reset_machine() {
    test::compose_machines();
    test::reset_runtime_records();
    cfg_set(cfg_frame_skip, 15);
    cfg_set(cfg_sound_rate, 0);
    cfg_set(cfg_region_order, 0);
    cfg_set(cfg_disable_z80, 0);
    test::reset_genesis_records();
}

E2eHost* host     = nullptr;
FrameImage* frame = nullptr;

}  // namespace

void e2e_power_on(const std::vector<u8>& image, bool with_32x) {
    static E2eHost the_host;
    static FrameImage the_frame;
    the_host.reset();
    host  = &the_host;
    frame = &the_frame;
    reset_machine();
    emu_set_host(host);
    frame->attach(320, 240);
    std::fill(cart_rom.begin(), cart_rom.end(), u8{0});
    std::copy_n(image.begin(), std::min(image.size(), cart_rom.size()), cart_rom.begin());

    machine_kind = with_32x ? kMachine32x : kMachineGenesis;
    region_autodetect();
    sound_reset_positions();
    genesis_power_on_machine();
    // The 32X boots from the cartridge header, without its system ROMs.
    cfg_set(cfg_32x_use_bios, 0);
    sh2_set_cart_size(static_cast<u32>(image.size()));
    s32x_set_fitted(with_32x);
    s32x_reset();
    io_port_device_read  = pad_read;
    io_port_device_write = pad_write;
    pad_held             = 0;
    pad_th               = 0x40;
    surface_set_origin(render_surface.pixels, render_surface.pitch, render_surface.width,
                       render_surface.height, 0, 0);
    scheduler_reset();
    pace_rebase(host->now_ms());
}

void e2e_set_pad(u8 buttons) { pad_held = buttons; }

void e2e_power_off() {
    io_port_device_read  = nullptr;
    io_port_device_write = nullptr;
    emu_set_host(nullptr);
}

E2eRunResult e2e_run(const E2eRunPlan& plan) {
    E2eRunResult result;
    std::ifstream in(plan.image, std::ios::binary);
    const std::vector<u8> image((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
    if (image.empty() || image.size() > cart_rom.size()) return result;
    result.loaded = true;

    e2e_power_on(image, plan.with_32x);
    tally             = SoundTally{};
    tally.frames_left = plan.sound_frames;
    sound_log_slot    = tally_sound;

    for (u64 f = 0; f < plan.frames; ++f) {
        u8 held = 0;
        for (const auto& p : plan.presses) {
            if (f >= p.first && f < p.end) held |= p.buttons;
        }
        e2e_set_pad(held);
        if (run_frame() == FrameResult::kHalted) {
            result.halted = true;
            break;
        }
        ++result.frames_run;
        if (z80_context.pc != 0 || z80_get_r(z80_context) != 0) result.z80_ran = true;
        if (plan.with_32x) {
            s16 pwm = 0;
            s32x_pwm_sample(&pwm);
            if (pwm != 0) result.pwm_played = true;
        }
        if (result.frames_run == plan.picture_frame) {
            result.picture_width  = std::min(screen_width, frame->width());
            result.picture_height = std::min(screen_height, frame->height());
            result.picture_crc    = frame->crc32(result.picture_width, result.picture_height);
            result.picture        = frame->pixels();
        }
    }
    sound_log_slot = nullptr;
    if (plan.with_32x) {
        s32x_set_fitted(false);
        s32x_reset();
    }
    cfg_set(cfg_32x_use_bios, 1);
    result.sound_crc     = tally.crc;
    result.sound_samples = tally.samples;
    result.loud_samples  = tally.loud;
    result.sound         = std::move(tally.samples_kept);
    e2e_power_off();
    return result;
}

// With VARN_E2E_DUMP set to a folder, the kept picture (PPM) and the sound (WAV, 16-bit
// mono) are written there, to look at and listen to before recording new CRCs.
void e2e_dump(const std::string& dir, const std::string& file, const E2eRunResult& r) {
    const std::string stem = dir + "/" + file.substr(0, file.rfind('.'));
    const u32 w = r.picture_width, h = r.picture_height;
    std::vector<u8> rows((static_cast<std::size_t>(w) * 3 + 1) * h);
    if (!r.picture.empty() && png_convert_surface_rows(r.picture.data(), 320, w, h, rows)) {
        if (std::FILE* f = std::fopen((stem + ".ppm").c_str(), "wb")) {
            std::fprintf(f, "P6\n%u %u\n255\n", w, h);
            for (u32 y = 0; y < h; ++y) std::fwrite(&rows[y * (w * 3 + 1) + 1], 1, w * 3, f);
            std::fclose(f);
        }
    }
    e2e_write_wav(stem + ".wav", r.sound);
}

}  // namespace varn::test
