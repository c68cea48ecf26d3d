// Runs a raw Z80 image on a flat 64 KB bus until HALT and reports the instruction rate.
//   z80_flat IMAGE

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "z80/z80_core.h"

namespace varn {
namespace {

std::array<u8, 0x10000> flat_mem{};
u64 flat_instructions = 0;

struct FlatBus {
    static u8 read_byte(u16 a) { return flat_mem[a]; }
    static u16 read_word(u16 a) {
        return static_cast<u16>(flat_mem[a] | (flat_mem[static_cast<u16>(a + 1)] << 8));
    }
    static void write_byte(u16 a, u8 v) { flat_mem[a] = v; }
    static void write_word(u16 a, u16 v) {
        flat_mem[a]                       = static_cast<u8>(v);
        flat_mem[static_cast<u16>(a + 1)] = static_cast<u8>(v >> 8);
    }
    static u8 port_in(u8 port) { return port; }
    static void port_out(u8, u8) {}
    static bool fetch_window(u16, Z80FetchWindow& w) {
        w = {flat_mem.data(), 0, 0x10000};
        return true;
    }
    static constexpr bool kIrqCheckExact     = false;
    static constexpr bool kCountInstructions = true;
    static void add_instructions(u64 n) { flat_instructions += n; }
    static void on_stop() {}
};

using FlatZ80 = Z80Core<FlatBus>;
z80_cpu_context flat_context{};

}  // namespace
}  // namespace varn

int main(int argc, char** argv) {
    using namespace varn;
    if (argc != 2) {
        std::fprintf(stderr, "usage: z80_flat IMAGE\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "z80_flat: cannot open %s\n", argv[1]);
        return 1;
    }
    std::vector<char> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (image.size() > flat_mem.size()) {
        std::fprintf(stderr, "z80_flat: %s is larger than 64 KB\n", argv[1]);
        return 1;
    }
    for (std::size_t i = 0; i < image.size(); ++i) flat_mem[i] = static_cast<u8>(image[i]);

    z80_cpu_context& c = flat_context;
    c.slice_budget     = -(1 << 30);
    FlatZ80::reset(c, 0);
    const auto t0 = std::chrono::steady_clock::now();
    while (!c.halted && !(c.status & kZ80StatusHalted)) {
        c.cycle_counter = 0;
        FlatZ80::run(c);
    }
    const double secs =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (c.status & kZ80StatusHalted) {
        std::fprintf(stderr, "z80_flat: stopped on an undefined opcode near 0x%04X\n", c.pc);
        return 1;
    }
    // The HALT's own dispatch is counted; it is an instruction like any other.
    std::printf("instructions: %llu\n", static_cast<unsigned long long>(flat_instructions));
    std::printf("seconds: %.3f\n", secs);
    std::printf("MIPS: %.1f\n", secs > 0 ? flat_instructions / secs / 1e6 : 0.0);
    return 0;
}
