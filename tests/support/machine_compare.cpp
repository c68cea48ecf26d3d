#include "machine_compare.h"

#include <cstring>
#include <vector>

#include "base/speed_paths.h"
#include "genesis/bus/boot_rom_switch.h"
#include "genesis/bus/cart_regs.h"
#include "genesis/bus/io_ports.h"
#include "genesis/bus/save_ram.h"
#include "genesis/io/controller_ports.h"
#include "genesis/io/eeprom.h"
#include "genesis/io/lightgun.h"
#include "genesis/io/pad_timeout.h"
#include "genesis/memory/memory.h"
#include "genesis/runtime/scheduler.h"
#include "genesis/runtime/sound_output.h"
#include "genesis/sound/psg.h"
#include "genesis/sound/ym2612.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"
#include "genesis/vdp/vdp_render.h"
#include "genesis/z80/genesis_z80.h"
#include "m68k/m68k.h"
#include "m68k/m68k_bus.h"

namespace varn::test {

namespace {

// A 64-bit digest, fed in words; byte runs go through four lanes so that a long memory is
// read at the machine's pace.
class Digest {
  public:
    void word(u64 w) { h_ = mix(h_ ^ w); }
    template <class T>
    void value(const T& v) {
        bytes(&v, sizeof v);
    }
    void bytes(const void* data, std::size_t n) {
        const u8* p = static_cast<const u8*>(data);
        u64 lane[4] = {h_, h_ + 1, h_ + 2, h_ + 3};
        for (; n >= 32; n -= 32, p += 32) {
            for (u32 k = 0; k < 4; ++k) {
                u64 w;
                std::memcpy(&w, p + 8 * k, 8);
                lane[k] = (lane[k] ^ w) * kPrime;
            }
        }
        for (u32 k = 0; k < 4; ++k) word(lane[k]);
        for (; n >= 8; n -= 8, p += 8) {
            u64 w;
            std::memcpy(&w, p, 8);
            word(w);
        }
        u64 tail = n;
        for (std::size_t k = 0; k < n; ++k) tail = (tail << 8) | p[k];
        word(tail);
    }
    u64 get() const { return h_; }

  private:
    static constexpr u64 kPrime = 0x9E3779B97F4A7C15ull;
    static u64 mix(u64 x) {
        x *= kPrime;
        return x ^ (x >> 29);
    }
    u64 h_ = 0x243F6A8885A308D3ull;
};

template <class... T>
u64 digest_of(const T&... v) {
    Digest d;
    (d.value(v), ...);
    return d.get();
}

// ---- work RAM: which 1 KB blocks the bus wrote -------------------------------------------

// The 68000 and the Z80's bank window reach work RAM only through the main bus's pages, so
// the watch puts a marker in front of the RAM pages' write handlers for the run.
constexpr u32 kRamFirstPage  = 0xE00;
constexpr u32 kRamPages      = 0x200;
constexpr u32 kRamBlockShift = 10;
constexpr u32 kRamBlocks     = kWorkRamSize >> kRamBlockShift;

struct RamWatch {
    std::array<M68kWriteFn, kRamPages> byte{}, word{}, lng{};
    u64 dirty = ~u64{0};
    std::array<u64, kRamBlocks> blocks{};
};
RamWatch ram_watch;

void mark(u32 a, u32 bytes) {
    const u32 first = (a & (kWorkRamSize - 1)) >> kRamBlockShift;
    const u32 last  = ((a + bytes - 1) & (kWorkRamSize - 1)) >> kRamBlockShift;
    ram_watch.dirty |= (u64{1} << first) | (u64{1} << last);
}
u32 page_of(u32 a) { return ((a & kM68kAddressMask) >> 12) - kRamFirstPage; }
void watch_byte(u32 a, u32 v) {
    mark(a, 1);
    ram_watch.byte[page_of(a)](a, v);
}
void watch_word(u32 a, u32 v) {
    mark(a, 2);
    ram_watch.word[page_of(a)](a, v);
}
void watch_long(u32 a, u32 v) {
    mark(a, 4);
    ram_watch.lng[page_of(a)](a, v);
}

void watch_ram() {
    for (u32 p = 0; p < kRamPages; ++p) {
        ram_watch.byte[p]                       = m68k_page_write_byte[kRamFirstPage + p];
        ram_watch.word[p]                       = m68k_page_write_word[kRamFirstPage + p];
        ram_watch.lng[p]                        = m68k_page_write_long[kRamFirstPage + p];
        m68k_page_write_byte[kRamFirstPage + p] = watch_byte;
        m68k_page_write_word[kRamFirstPage + p] = watch_word;
        m68k_page_write_long[kRamFirstPage + p] = watch_long;
    }
    ram_watch.dirty = ~u64{0};
}

void unwatch_ram() {
    for (u32 p = 0; p < kRamPages; ++p) {
        if (m68k_page_write_byte[kRamFirstPage + p] == watch_byte)
            m68k_page_write_byte[kRamFirstPage + p] = ram_watch.byte[p];
        if (m68k_page_write_word[kRamFirstPage + p] == watch_word)
            m68k_page_write_word[kRamFirstPage + p] = ram_watch.word[p];
        if (m68k_page_write_long[kRamFirstPage + p] == watch_long)
            m68k_page_write_long[kRamFirstPage + p] = ram_watch.lng[p];
    }
}

u64 work_ram_digest() {
    for (u64 d = ram_watch.dirty; d != 0; d &= d - 1) {
        const u32 b = static_cast<u32>(__builtin_ctzll(d));
        Digest h;
        h.bytes(m68k_ram.data() + (b << kRamBlockShift), 1u << kRamBlockShift);
        ram_watch.blocks[b] = h.get();
    }
    ram_watch.dirty = 0;
    return digest_of(ram_watch.blocks);
}

// ---- the other parts ---------------------------------------------------------------------

u64 m68k_digest() {
    const M68kCpuContext& c = m68k_context;
    Digest d;
    d.value(c.regs);
    d.value(c.sp_slots);
    for (u64 w : {u64{c.status}, u64{c.fetch_base}, u64{c.irq_check}, u64{c.irq_pending},
                  u64(u32(c.slice_cycles)), u64(u32(c.cycle_counter)), u64{c.pc}, u64{c.sr.value()},
                  u64{c.sp_slot_index}, u64{c.stopped}, u64{c.irq_taken}, u64{c.halt_pending}})
        d.word(w);
    return d.get();
}

u64 z80_digest() {
    const z80_cpu_context& c = z80_context;
    Digest d;
    for (u64 w : {u64{c.status},
                  u64{c.irq_check},
                  u64{c.irq_lines},
                  u64{c.last_tstates},
                  u64(u32(c.slice_budget)),
                  u64{c.cycle_counter},
                  u64{c.extra_tstates},
                  u64{c.af},
                  u64{c.bc},
                  u64{c.de},
                  u64{c.hl},
                  u64{c.ix},
                  u64{c.iy},
                  u64{c.pc},
                  u64{c.sp},
                  u64{c.i},
                  u64{z80_get_r(c)},
                  u64{c.iff1},
                  u64{c.iff2},
                  u64{c.af2},
                  u64{c.bc2},
                  u64{c.de2},
                  u64{c.hl2},
                  u64{c.im},
                  u64{c.halted},
                  u64{c.woken}})
        d.word(w);
    return d.get();
}

// VRAM changes only through the VDP's own writers, which count every change.
struct VramWatch {
    u64 count  = ~u64{0};
    u64 digest = 0;
};
VramWatch vram_watch;

u64 vram_digest() {
    if (vram_watch.count != vdp_changes.vram) {
        vram_watch.count  = vdp_changes.vram;
        vram_watch.digest = digest_of(vdp_vram);
    }
    return vram_watch.digest;
}

// The samples of the frame so far, taken in as they are made.
struct SoundWatch {
    u32 taken = 0;  // bytes of the frame's samples already in the digest
    Digest digest;
};
SoundWatch sound_watch;

u64 sound_digest() {
    const u32 pos = sound_frame.sound_write_pos;
    if (pos < sound_watch.taken) sound_watch.taken = 0;  // a new frame
    if (pos > sound_watch.taken) {
        sound_watch.digest.bytes(
            reinterpret_cast<const u8*>(sound_frame.samples) + sound_watch.taken,
            pos - sound_watch.taken);
        sound_watch.taken = pos;
    }
    return digest_of(sound_watch.digest.get(), pos, sound_frame.sound_host_write_pos);
}

// Each line as drawn into the line buffer, and each finished picture.
Digest picture_watch;

u64 picture_digest() {
    if (frame_pos.slice_phase == kPhaseHblank) {
        const u32 line = current_line();
        if (line < kLineBufferRows) {
            picture_watch.bytes(vdp_line_buffer.data() + line * kLineBufferPitch, kLineWidth);
        }
    } else if (frame_pos.slice_phase == kPhaseVblank && frame_pos.slice_counter == 0 &&
               render_surface.pixels != nullptr) {
        for (u32 y = 0; y < render_surface.height; ++y) {
            picture_watch.bytes(
                render_surface.pixels + static_cast<std::size_t>(y) * render_surface.pitch,
                render_surface.width * sizeof(u16));
        }
    }
    return picture_watch.get();
}

MachineDigest machine_digest() {
    MachineDigest m{};
    m[kPartM68k]      = m68k_digest();
    m[kPartZ80]       = z80_digest();
    m[kPartWorkRam]   = work_ram_digest();
    m[kPartZ80Ram]    = digest_of(z80_ram);
    m[kPartVram]      = vram_digest();
    m[kPartCramVsram] = digest_of(vdp_cram, vdp_vsram);
    m[kPartVdp]       = digest_of(vdp_registers, vdp_control_state);
    m[kPartYm2612]    = digest_of(ym2612_state);
    m[kPartPsg]       = digest_of(psg_regs);
    m[kPartBusAndIo] =
        digest_of(z80_bank, z80_busreq_latch, z80_reset_latch, io_port_regs, cart_bank_regs,
                  boot_rom_latch, controller_ports, lightgun_latch, pad_timeout, eeprom);
    {
        Digest d;
        d.word(cart_sram_size);
        d.bytes(cart_sram, std::min<u32>(cart_sram_size, kCartSramBytes));
        m[kPartSaveRam] = d.get();
    }
    m[kPartCounters] =
        digest_of(frame_pos.slice_counter, frame_pos.slice_phase, frame_pos.sound_sample_clock,
                  run_stats.frames, run_stats.slices, run_stats.samples);
    m[kPartSound]   = sound_digest();
    m[kPartPicture] = picture_digest();
    return m;
}

using ExtraDigest = std::array<u64, kMaxExtraParts>;
ExtraParts extra_parts;

ExtraDigest extra_digest() {
    ExtraDigest e{};
    if (extra_parts.digest != nullptr) extra_parts.digest(e.data());
    return e;
}

u64 combined(const MachineDigest& m, const ExtraDigest& e) { return digest_of(m, e); }

// ---- the two runs ------------------------------------------------------------------------

enum class Mode { kRecord, kCompare, kCapture };

struct RunState {
    Mode mode = Mode::kRecord;
    std::vector<u64> recorded;
    u64 slice         = 0;
    u64 first_differs = ~u64{0};
    u64 capture_at    = 0;
    MachineDigest captured{};
    ExtraDigest captured_extra{};
    bool captured_any = false;
};
RunState run;

void probe() {
    const u64 i = run.slice++;
    switch (run.mode) {
        case Mode::kRecord:
            run.recorded.push_back(combined(machine_digest(), extra_digest()));
            break;
        case Mode::kCompare:
            if (run.first_differs != ~u64{0}) return;
            if (i >= run.recorded.size() ||
                combined(machine_digest(), extra_digest()) != run.recorded[i])
                run.first_differs = i;
            break;
        case Mode::kCapture: {
            const MachineDigest m = machine_digest();  // every slice: the watches keep up
            if (i == run.capture_at) {
                run.captured       = m;
                run.captured_extra = extra_digest();
                run.captured_any   = true;
            }
            break;
        }
    }
}

struct RunResult {
    u64 frames  = 0;
    bool halted = false;
};

// One run from the start state. Stops after `frames` frames, at a halt, or (comparing) at the
// end of the frame in which the runs parted, or (capturing) at the end of the frame that
// holds the slice to capture.
RunResult run_once(const std::function<void()>& start, u64 frames,
                   const std::function<void(u64)>& before_frame, bool paths, Mode mode) {
    set_speed_paths(paths);
    start();
    watch_ram();
    vram_watch    = VramWatch{};
    sound_watch   = SoundWatch{};
    picture_watch = Digest{};
    run.mode      = mode;
    run.slice     = 0;
    RunResult r;
    slice_end_probe = probe;
    for (; r.frames < frames; ++r.frames) {
        if (before_frame) before_frame(r.frames);
        if (run_frame() == FrameResult::kHalted) {
            r.halted = true;
            break;
        }
        if (mode == Mode::kCompare && run.first_differs != ~u64{0}) break;
        if (mode == Mode::kCapture && run.captured_any) break;
    }
    slice_end_probe = nullptr;
    unwatch_ram();
    set_speed_paths(true);
    return r;
}

}  // namespace

u64 machine_digest_bytes(const void* data, std::size_t n) {
    Digest d;
    d.bytes(data, n);
    return d.get();
}

const char* machine_part_name(u32 part) {
    static constexpr const char* kNames[kMachineParts] = {
        "68000 record", "Z80 record", "work RAM", "Z80 RAM", "VRAM",
        "CRAM/VSRAM",   "VDP state",  "YM2612",   "PSG",     "bus latches, I/O and banks",
        "save RAM",     "counters",   "sound",    "picture"};
    return part < kMachineParts ? kNames[part] : "?";
}

SpeedPathComparison compare_speed_paths(const std::function<void()>& start, u64 frames,
                                        const std::function<void(u64)>& before_frame,
                                        const ExtraParts& extra) {
    SpeedPathComparison out;
    run               = RunState{};
    extra_parts       = extra;
    const auto a      = run_once(start, frames, before_frame, true, Mode::kRecord);
    out.frames        = a.frames;
    out.halted        = a.halted;
    run.first_differs = ~u64{0};
    run_once(start, frames, before_frame, false, Mode::kCompare);
    const u64 differs = run.first_differs != ~u64{0} ? run.first_differs
                        : run.slice != run.recorded.size()
                            ? std::min(run.slice, run.recorded.size())
                            : ~u64{0};
    out.slices        = std::min<u64>(run.slice, run.recorded.size());
    if (differs == ~u64{0}) return out;

    out.same = false;
    out.what = "slice " + std::to_string(differs) + " (frame " +
               std::to_string(differs / kSlicesPerFrame) + ", slice " +
               std::to_string(differs % kSlicesPerFrame) + " of it)";
    if (run.slice != run.recorded.size() && run.first_differs == ~u64{0}) {
        out.what += ": the runs ended after " + std::to_string(run.recorded.size()) + " and " +
                    std::to_string(run.slice) + " slices";
        return out;
    }
    // Both runs again, up to that slice, for the parts that differ.
    MachineDigest on{}, off{};
    ExtraDigest extra_on{}, extra_off{};
    for (bool paths : {true, false}) {
        run.capture_at   = differs;
        run.captured_any = false;
        run_once(start, frames, before_frame, paths, Mode::kCapture);
        (paths ? on : off)             = run.captured;
        (paths ? extra_on : extra_off) = run.captured_extra;
    }
    out.what += ": ";
    bool first = true;
    for (u32 p = 0; p < kMachineParts; ++p) {
        if (on[p] == off[p]) continue;
        out.what += (first ? "" : ", ") + std::string(machine_part_name(p));
        first = false;
    }
    for (u32 p = 0; p < extra.count && p < kMaxExtraParts; ++p) {
        if (extra_on[p] == extra_off[p]) continue;
        out.what += (first ? "" : ", ") + std::string(extra.name(p));
        first = false;
    }
    return out;
}

}  // namespace varn::test
