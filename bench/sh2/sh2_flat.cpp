// Runs a raw SH-2 image on a flat bus until the SLEEP that ends it, and reports the
// instruction rate of the core.
//
//   sh2_flat IMAGE [--slice CYCLES] [--no-count]
//
// The image (up to 4 MB) is loaded as the cartridge and the master runs it from 0x02000000:
// its first long is the entry as an offset into the image, its second the stack pointer.
// The cartridge and SDRAM are mapped as on the 32X; every other address is plain RAM (16 MB,
// mirrored), with no registers anywhere. By default the core runs to the halt in slices of
// 2^30 cycles, which measures the interpreter itself; --slice 139 runs it in the machine's
// slices, which adds the slice entry and exit every few dozen instructions.
//
// The instructions are counted in a first run through a counting entry in every opcode slot;
// the timed second run uses the real table, so the count costs the measurement nothing.
// --no-count leaves the counting run out (for profilers, which should see the timed run only).

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "base/endian.h"
#include "memory/memory.h"
#include "sh2/sh2.h"
#include "sh2/sh2_bus.h"
#include "sh2/sh2_core.h"

namespace varn {
namespace {

constexpr u32 kFlatMask = 0xFFFFFF;
std::vector<u8> flat_ram(kFlatMask + 1 + 4);

template <u32 N>
u32 flat_read(u32 a) {
    const u8* p = flat_ram.data() + (a & kFlatMask);
    if constexpr (N == 1) return *p;
    if constexpr (N == 2) return load_be16(p);
    if constexpr (N == 4) return load_be32(p);
}
template <u32 N>
void flat_write(u32 a, u32 v) {
    u8* p = flat_ram.data() + (a & kFlatMask);
    if constexpr (N == 1) *p = static_cast<u8>(v);
    if constexpr (N == 2) store_be16(p, static_cast<u16>(v));
    if constexpr (N == 4) store_be32(p, v);
}

// The 32X map for the cartridge and SDRAM pages, flat RAM everywhere else.
void map_flat_bus() {
    sh2_build_memory_map();
    auto& t = sh2_page_tables;
    for (u32 page = 0; page < kSh2BusPages; ++page) {
        const u32 low   = page & 0x1FF;  // the map repeats at 0x20000000
        const bool real = page < 0x400 && ((low >= 0x020 && low <= 0x023) || low == 0x060);
        if (real) continue;
        t.read_byte[page]  = &flat_read<1>;
        t.read_word[page]  = &flat_read<2>;
        t.read_long[page]  = &flat_read<4>;
        t.write_byte[page] = &flat_write<1>;
        t.write_word[page] = &flat_write<2>;
        t.write_long[page] = &flat_write<4>;
    }
}

// Counting run: every slot goes through here to the real handler.
Sh2JumpTable real_table;
u64 dispatched = 0;
u32 count_and_run(u32 ir) {
    ++dispatched;
    return real_table[ir](ir);
}

bool halted = false;

struct Outcome {
    u64 slices         = 0;
    double seconds     = 0;  // wall clock
    double cpu_seconds = 0;  // this thread's processor time
    Sh2CpuContext end;
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
    sh2_memory_clear();
    std::fill(flat_ram.begin(), flat_ram.end(), u8{0});
    std::copy(image.begin(), image.end(), cart_rom.begin());
    sh2_set_cart_size(static_cast<u32>(image.size()));
    sh2_reset_records();
    sh2_clear_slots();
    sh2_halt_slot = [] { halted = true; };
    halted        = false;
    // The entry and stack where a boot ROM's vectors would be (address 0 is flat RAM here).
    store_be32(flat_ram.data(), 0x02000000 + load_be32(image.data()));
    store_be32(flat_ram.data() + 4, load_be32(image.data() + 4));
    sh2_reset_from_bios();
}

Outcome run(const std::vector<u8>& image, s32 slice) {
    power_on(image);
    sh2_context.slice_cycles = slice;
    Outcome out;
    const auto t0   = std::chrono::steady_clock::now();
    const double c0 = thread_cpu_seconds();
    while (!halted) {
        sh2_run_slice_alone();
        ++out.slices;
    }
    out.cpu_seconds = thread_cpu_seconds() - c0;
    out.seconds     = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    out.end         = sh2_context;
    return out;
}

bool read_image(const char* path, std::vector<u8>& image) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "sh2_flat: cannot open %s\n", path);
        return false;
    }
    image.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (image.size() < 8) {
        std::fprintf(stderr, "sh2_flat: %s is too short for its entry and stack\n", path);
        return false;
    }
    if (image.size() > cart_rom.size()) {
        std::fprintf(stderr, "sh2_flat: %s is larger than 4 MB\n", path);
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
                std::fprintf(stderr, "sh2_flat: --slice takes a cycle count from 1 to 2^30\n");
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
        std::fprintf(stderr, "usage: sh2_flat IMAGE [--slice CYCLES] [--no-count]\n");
        return 2;
    }
    std::vector<u8> image;
    if (!read_image(path, image)) return 1;

    sh2_interp_reset();
    map_flat_bus();

    // First run: count. Second run: time.
    Outcome counted;
    if (count) {
        real_table = sh2_jump_table;
        sh2_jump_table.fill(&count_and_run);
        counted        = run(image, static_cast<s32>(-slice));
        sh2_jump_table = real_table;
    }
    const Outcome timed = run(image, static_cast<s32>(-slice));

    const u32 pc   = timed.end.pc;
    const u32 word = sh2_read_word(pc);
    if (word != 0x001B) {
        std::fprintf(stderr, "sh2_flat: halted on 0x%04X at 0x%08X, not on SLEEP\n", word, pc);
        return 1;
    }
    if (!count) {
        std::printf("seconds: %.3f (processor time %.3f)\n", timed.seconds, timed.cpu_seconds);
        return 0;
    }
    if (counted.end.r != timed.end.r || counted.end.pc != pc) {
        std::fprintf(stderr, "sh2_flat: the counting and the timed run ended differently\n");
        return 1;
    }
    // The SLEEP that halts was dispatched but never ran.
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
