// Runs a raw 68000 image on a flat 16 MB bus until the line-A opcode that ends it, and reports
// the instruction rate of the core.
//
//   m68k_flat IMAGE [--slice CYCLES] [--no-count]
//
// The image is loaded at address 0 (up to 4 MB; SSP and PC are its first two longs) and the
// core resets from it. 0x000000-0x3FFFFF is the image, 0xF00000-0xFFFFFF the 64 KB work RAM
// (mirrored), every other address plain RAM; everything is writable. By default the core runs
// to the halt in slices of 2^30 cycles, which measures the interpreter itself; --slice 54 runs
// it in the main CPU's shipped slices as the frame loop calls it (no successor call: the frame
// loop runs the slice chain itself), which adds the slice entry and exit every few
// instructions.
//
// The instructions are counted in a first run through a counting entry in every opcode slot;
// the timed second run uses the real table, so the count costs the measurement nothing.
// --no-count leaves the counting run out (for profilers, which should see the timed run only).

#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/endian.h"
#include "m68k/m68k.h"
#include "m68k/m68k_bus.h"
#include "m68k/m68k_core.h"
#include "memory/memory.h"

namespace varn {
namespace {

constexpr u32 kFlatSize = 0x1000000;
std::vector<u8> flat_ram(kFlatSize + 4);

// The three regions of the bus: a base pointer and an address mask each. Accesses that would
// run past a region's end go byte by byte with the address wrapped like the region.
enum class Region { kCart, kWorkRam, kFlat };

template <Region R>
inline u8* region_base() {
    if constexpr (R == Region::kCart) {
        return memory_arena + kCartRomOffset;
    } else if constexpr (R == Region::kWorkRam) {
        return memory_arena + kWorkRamOffset;
    } else {
        return flat_ram.data();
    }
}
template <Region R>
inline constexpr u32 kRegionMask = R == Region::kCart      ? 0x3FFFFF
                                   : R == Region::kWorkRam ? 0xFFFF
                                                           : 0xFFFFFF;

template <Region R, u32 N>
u32 read(u32 a) {
    u8* base    = region_base<R>();
    const u32 o = a & kRegionMask<R>;
    if (o + N - 1 <= kRegionMask<R>) [[likely]] {
        if constexpr (N == 1) return base[o];
        if constexpr (N == 2) return load_be16(base + o);
        if constexpr (N == 4) return load_be32(base + o);
    }
    u32 v = 0;
    for (u32 i = 0; i < N; ++i) v = (v << 8) | base[(o + i) & kRegionMask<R>];
    return v;
}

template <Region R, u32 N>
void write(u32 a, u32 v) {
    u8* base    = region_base<R>();
    const u32 o = a & kRegionMask<R>;
    if (o + N - 1 <= kRegionMask<R>) [[likely]] {
        if constexpr (N == 1) base[o] = static_cast<u8>(v);
        if constexpr (N == 2) store_be16(base + o, static_cast<u16>(v));
        if constexpr (N == 4) store_be32(base + o, v);
        return;
    }
    for (u32 i = 0; i < N; ++i)
        base[(o + i) & kRegionMask<R>] = static_cast<u8>(v >> (8 * (N - 1 - i)));
}

template <Region R>
void map(u32 first_page, u32 last_page) {
    for (u32 p = first_page; p <= last_page; ++p) {
        m68k_page_read_byte[p]  = &read<R, 1>;
        m68k_page_read_word[p]  = &read<R, 2>;
        m68k_page_read_long[p]  = &read<R, 4>;
        m68k_page_write_byte[p] = &write<R, 1>;
        m68k_page_write_word[p] = &write<R, 2>;
        m68k_page_write_long[p] = &write<R, 4>;
    }
}

// Counting run: every slot goes through here to the real handler.
M68kJumpTable real_table;
u64 dispatched = 0;
u32 count_and_run(u32 ir) {
    ++dispatched;
    return real_table[ir >> 16](ir);
}

bool halted = false;

struct Outcome {
    u64 slices         = 0;
    double seconds     = 0;  // wall clock
    double cpu_seconds = 0;  // this thread's processor time
    M68kCpuContext end;
};

// Processor time of this thread: on a loaded machine the wall clock also counts the time
// other processes had the core.
double thread_cpu_seconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void power_on(const std::vector<u8>& image) {
    memory_clear();
    std::fill(flat_ram.begin(), flat_ram.end(), u8{0});
    std::copy(image.begin(), image.end(), cart_rom.begin());
    m68k_reset_records();
    m68k_clear_slots();
    m68k_halt_slot          = [] { halted = true; };
    halted                  = false;
    m68k_context.fetch_base = kCartRomOffset;
    m68k_reset();
}

Outcome run(const std::vector<u8>& image, s32 slice) {
    power_on(image);
    m68k_context.slice_cycles = slice;
    Outcome out;
    const auto t0   = std::chrono::steady_clock::now();
    const double c0 = thread_cpu_seconds();
    while (!halted) {
        m68k_run_slice_alone();
        ++out.slices;
    }
    out.cpu_seconds = thread_cpu_seconds() - c0;
    out.seconds     = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    out.end         = m68k_context;
    return out;
}

bool read_image(const char* path, std::vector<u8>& image) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "m68k_flat: cannot open %s\n", path);
        return false;
    }
    image.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (image.size() < 8) {
        std::fprintf(stderr, "m68k_flat: %s is too short for the two reset vectors\n", path);
        return false;
    }
    if (image.size() > cart_rom.size()) {
        std::fprintf(stderr, "m68k_flat: %s is larger than 4 MB\n", path);
        return false;
    }
    return true;
}

}  // namespace
}  // namespace varn

int main(int argc, char** argv) {
    using namespace varn;
    const char* path = nullptr;
    long slice       = 1L << 30;
    bool count       = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--slice") == 0 && i + 1 < argc) {
            char* end = nullptr;
            slice     = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || slice < 1 || slice > (1L << 30)) {
                std::fprintf(stderr, "m68k_flat: --slice takes a cycle count from 1 to 2^30\n");
                return 2;
            }
        } else if (std::strcmp(argv[i], "--no-count") == 0) {
            count = false;
        } else if (!path && argv[i][0] != '-') {
            path = argv[i];
        } else {
            path = nullptr;
            break;
        }
    }
    if (!path) {
        std::fprintf(stderr, "usage: m68k_flat IMAGE [--slice CYCLES] [--no-count]\n");
        return 2;
    }
    std::vector<u8> image;
    if (!read_image(path, image)) return 1;

    m68k_build_jump_table();
    m68k_bus_clear();
    map<Region::kFlat>(0x000, 0xFFF);
    map<Region::kCart>(0x000, 0x3FF);
    map<Region::kWorkRam>(0xF00, 0xFFF);

    // First run: count. Second run: time.
    Outcome counted;
    if (count) {
        real_table = m68k_jump_table;
        m68k_jump_table.fill(&count_and_run);
        counted         = run(image, static_cast<s32>(-slice));
        m68k_jump_table = real_table;
    }
    const Outcome timed = run(image, static_cast<s32>(-slice));

    const u32 pc     = m68k_current_pc(timed.end);
    const u32 opcode = m68k_read_word(pc) & 0xFFFF;
    if ((opcode & 0xF000) != 0xA000) {
        std::fprintf(stderr,
                     "m68k_flat: halted on opcode 0x%04X at 0x%06X, not on a line-A opcode\n",
                     opcode, pc);
        return 1;
    }
    if (!count) {
        std::printf("seconds: %.3f (processor time %.3f)\n", timed.seconds, timed.cpu_seconds);
        return 0;
    }
    if (counted.end.regs != timed.end.regs || m68k_current_pc(counted.end) != pc) {
        std::fprintf(stderr, "m68k_flat: the counting and the timed run ended differently\n");
        return 1;
    }
    // The line-A opcode that halts was dispatched but never ran.
    const u64 instructions = dispatched - 1;
    std::printf("instructions: %llu\n", static_cast<unsigned long long>(instructions));
    const auto mips = [&](double secs) { return secs > 0 ? instructions / secs / 1e6 : 0.0; };
    std::printf("seconds: %.3f (processor time %.3f)\n", timed.seconds, timed.cpu_seconds);
    std::printf("MIPS: %.1f (per processor second %.1f)\n", mips(timed.seconds),
                mips(timed.cpu_seconds));
    std::printf("slice: %ld cycles, %llu slices\n", slice,
                static_cast<unsigned long long>(timed.slices));
    return 0;
}
