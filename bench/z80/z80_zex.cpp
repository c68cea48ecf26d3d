// Diagnostic: runs the Z80 instruction exerciser built for the debug-console ports
// (zexdoc_sdsc.sms / zexall_sdsc.sms) on a bare Master System-like bus and prints what it
// writes to the console. The core's flag rules differ from the real chip in places, so some
// groups are expected to report errors, and undefined opcodes stop the core by design; this
// is a tool for looking at the core, not a pass/fail gate. To let the later groups run, an
// undefined opcode is stepped over as the chip would (a DD/FD prefix on an instruction that
// does not use HL is dropped; other undefined forms are skipped whole) and counted.
// --older runs the earlier release's Z80 instead: the core's handlers with the older
// instructions in place, under the older run loop (legacy/z80_v024_ops.h).
//   z80_zex IMAGE [MAX_SECONDS] [--older]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include <cstring>

#include "legacy/z80_v024_ops.h"
#include "z80/z80_core.h"

namespace varn {
namespace {

std::array<u8, 0x8000> zex_rom{};
std::array<u8, 0x2000> zex_ram{};

// 0x0000-0x7FFF cartridge ROM (32 KB, no paging), 0xC000-0xFFFF 8 KB RAM mirrored once.
// Ports: 0xFD writes a console character; everything else reads 0xFF and ignores writes.
struct ZexBus {
    static u8 read_byte(u16 a) {
        if (a < 0x8000) return zex_rom[a];
        if (a >= 0xC000) return zex_ram[a & 0x1FFF];
        return 0xFF;
    }
    static u16 read_word(u16 a) {
        return static_cast<u16>(read_byte(a) | (read_byte(static_cast<u16>(a + 1)) << 8));
    }
    static void write_byte(u16 a, u8 v) {
        if (a >= 0xC000) zex_ram[a & 0x1FFF] = v;
    }
    static void write_word(u16 a, u16 v) {
        write_byte(a, static_cast<u8>(v));
        write_byte(static_cast<u16>(a + 1), static_cast<u8>(v >> 8));
    }
    static u8 port_in(u8) { return 0xFF; }
    static void port_out(u8 port, u8 v) {
        if (port == 0xFD) {
            std::putchar(v == '\r' ? '\n' : v);
            std::fflush(stdout);
        }
    }
    static bool fetch_window(u16 pc, Z80FetchWindow& w) {
        if (pc < 0x8000) {
            w = {zex_rom.data(), 0, 0x8000};
            return true;
        }
        if (pc >= 0xC000) {
            w = {zex_ram.data(), pc & 0xE000u, 0x2000};
            return true;
        }
        return false;
    }
    static constexpr bool kIrqCheckExact     = false;
    static constexpr bool kCountInstructions = false;
    static void add_instructions(u64) {}
    static void on_stop() {}
};

using ZexZ80   = Z80Core<ZexBus>;
using ZexOlder = Z80OlderSet<ZexBus>;
z80_cpu_context zex_context{};

}  // namespace
}  // namespace varn

int main(int argc, char** argv) {
    using namespace varn;
    bool older = false;
    if (argc > 1 && std::strcmp(argv[argc - 1], "--older") == 0) {
        older = true;
        --argc;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: z80_zex IMAGE [MAX_SECONDS] [--older]\n");
        return 2;
    }
    if (older) ZexOlder::build();
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<char> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && image.empty()) {
        std::fprintf(stderr, "z80_zex: cannot read %s\n", argv[1]);
        return 1;
    }
    for (std::size_t i = 0; i < image.size() && i < zex_rom.size(); ++i)
        zex_rom[i] = static_cast<u8>(image[i]);
    const double limit = argc > 2 ? std::atof(argv[2]) : 600.0;

    z80_cpu_context& c = zex_context;
    c.slice_budget     = -(1 << 24);
    ZexZ80::reset(c, 0xDFF0);
    const auto t0 = std::chrono::steady_clock::now();
    u64 skipped   = 0;
    for (;;) {
        c.cycle_counter = 0;
        if (older) {
            ZexOlder::run(c);
        } else {
            ZexZ80::run(c);
        }
        if (c.status & kZ80StatusHalted) {
            const u8 b0 = ZexBus::read_byte(c.pc), b1 = ZexBus::read_byte(c.pc + 1);
            const bool index = b0 == 0xDD || b0 == 0xFD;
            const u32 len    = index ? (b1 == 0xCB ? 4 : 1) : 2;
            ++skipped;
            c.status &= ~kZ80StatusHalted;
            ZexZ80::set_pc(c, c.pc + len);
            continue;
        }
        if (c.halted) break;
        // The exerciser ends in a jump to itself.
        const u8 op = ZexBus::read_byte(c.pc);
        if ((op == 0x18 && ZexBus::read_byte(c.pc + 1) == 0xFE) ||
            (op == 0xC3 && ZexBus::read_word(c.pc + 1) == c.pc))
            break;
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (s > limit) {
            std::printf("\n[time limit]\n");
            return 1;
        }
    }
    std::printf("\n[stopped; %llu undefined opcodes stepped over]\n",
                static_cast<unsigned long long>(skipped));
    return 0;
}
