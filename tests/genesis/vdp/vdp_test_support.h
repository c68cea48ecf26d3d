#pragma once
// Shared set-up for the VDP tests: a clean chip with a 5-6-5 colour table, and helpers
// that speak the control port's protocol.

#include <gtest/gtest.h>

#include "genesis/vdp/vdp.h"
#include "genesis/z80/genesis_z80.h"
#include "m68k/m68k.h"

namespace varn::test {

// Access codes (CD5-CD0).
inline constexpr u8 kVramRead = 0x00, kVramWrite = 0x01, kCramWrite = 0x03, kVsramRead = 0x04,
                    kVsramWrite = 0x05, kCramRead = 0x08, kVramDma = 0x21, kCramDma = 0x23,
                    kVsramDma = 0x25, kVramCopy = 0x31;

inline u16 command_first(u32 address, u8 code) {
    return static_cast<u16>(((code & 3) << 14) | (address & 0x3FFF));
}
inline u16 command_second(u32 address, u8 code) {
    return static_cast<u16>(((code & 0x3C) << 2) | ((address >> 14) & 3));
}
inline void vdp_command(u32 address, u8 code) {
    vdp_write_control(command_first(address, code));
    vdp_write_control(command_second(address, code));
}
inline void vdp_reg(u32 n, u32 v) {
    vdp_write_control(static_cast<u16>(0x8000 | n << 8 | (v & 0xFF)));
}

// Console byte A of VRAM.
inline u8 vram_byte(u32 a) {
    const u16 w = vdp_vram[(a & 0xFFFF) >> 1];
    return static_cast<u8>((a & 1) ? w : w >> 8);
}

class VdpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(host_colour_table_build(15, 10, 4), nullptr);
        vdp_runtime_slots = {};
        vdp_reset_all();
        m68k_context = M68kCpuContext{};
        z80_context  = z80_cpu_context{};
    }
    void TearDown() override {
        vdp_runtime_slots = {};
        vdp_reset_all();
    }
};

}  // namespace varn::test
