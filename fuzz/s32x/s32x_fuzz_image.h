#pragma once
// The random 32X cartridge of the 32X fuzz targets, built from a fuzz input (layout in
// s32x_machine_fuzzer.cpp): vectors and the 32X jump table, the 68000's start code that
// releases the SH-2s and points its address registers at the unit, the SH-2s' start code that
// does the same, both sides' random programs and the header's boot fields.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "base/endian.h"
#include "base/types.h"

namespace varn::fuzz {

constexpr std::size_t kHeaderIn = 0x04;
constexpr std::size_t kCodeIn   = 0x20;
constexpr u32 kRte              = 0x1FE;
constexpr u32 kJumpTable        = 0x200;  // the 32X vectors lead to 0x880200 + 6 (n - 1)
constexpr u32 kBootFields       = 0x3D4;
constexpr u32 kM68kStart        = 0x400;
constexpr u32 kM68kCode         = 0x600;
constexpr u32 kSh2Start         = 0x2000;
constexpr u32 kSh2Code          = kSh2Start + 0x40;
constexpr u32 kImageEnd         = kSh2Code + 0x4000;

inline void put_words(std::vector<u8>& image, u32 at, std::initializer_list<u16> words) {
    for (const u16 w : words) {
        store_be16(&image[at], w);
        at += 2;
    }
}

inline std::vector<u8> build_image(const std::uint8_t* data, std::size_t size) {
    std::vector<u8> image(kImageEnd, 0);
    store_be32(&image[0], 0x00FFFE00);
    store_be32(&image[4], kM68kStart);
    for (u32 v = 2; v < 64; ++v) store_be32(&image[4 * v], kRte);
    store_be16(&image[kRte], 0x4E73);  // RTE
    for (u32 n = 1; n < 48; ++n) {     // JMP 0x880000 + kRte, the cartridge seen at 0x880000
        put_words(image, kJumpTable + 6 * (n - 1), {0x4EF9, 0x0088, kRte});
    }

    // 68000: release the SH-2s with the adapter on, hand the checksum word back so they start
    // now, then A0 the system registers, A1 the frame buffer, A2 the 32X VDP, A3 the
    // cartridge through the 32X window, A4 the Genesis VDP.
    put_words(image, kM68kStart, {0x13FC, 0x0003, 0x00A1,   0x5101,  // move.b #3,$A15101
                                  0x33FC, 0x0000, 0x00A1,   0x5128,  // move.w #0,$A15128
                                  0x41F9, 0x00A1, 0x5100,            // lea $A15100,a0
                                  0x43F9, 0x0084, 0x0000,            // lea $840000,a1
                                  0x45F9, 0x00A1, 0x5180,            // lea $A15180,a2
                                  0x47F9, 0x0088, 0x0000,            // lea $880000,a3
                                  0x49F9, 0x00C0, 0x0000,            // lea $C00000,a4
                                  0x4EF9, 0x0000, kM68kCode});       // jmp kM68kCode

    // SH-2s: R8 the system registers, R9 the frame buffer, R10 the VDP registers, R11 PWM,
    // R12 the on-chip modules, R13 the cartridge, R14 SDRAM (all cache-through), then on to
    // the code after the constants.
    put_words(image, kSh2Start,
              {0xD807, 0xD908, 0xDA08, 0xDB09, 0xDC09, 0xDD0A, 0xDE0A,  // mov.l @(disp,pc),Rn
               0xA017, 0x0009});                                        // bra +0x40; nop
    const u32 constants[] = {0x20004000, 0x24000000, 0x20004100, 0x20004030,
                             0xFFFFFE00, 0x22000000, 0x26000000};
    for (u32 k = 0; k < 7; ++k) store_be32(&image[kSh2Start + 0x20 + 4 * k], constants[k]);

    const std::size_t code     = size - kCodeIn;
    const std::size_t m68k_len = std::min<std::size_t>(code, std::size_t{data[1]} * 16);
    const std::size_t sh2_len  = std::min<std::size_t>(code - m68k_len, kImageEnd - kSh2Code);
    std::copy_n(data + kCodeIn, std::min<std::size_t>(m68k_len, kSh2Start - kM68kCode),
                image.begin() + kM68kCode);
    std::copy_n(data + kCodeIn + m68k_len, sh2_len, image.begin() + kSh2Code);

    if (data[0] & 4) {
        std::copy_n(data + kHeaderIn, 7 * 4, image.begin() + kBootFields);
    } else {
        const u32 fields[] = {kSh2Start,  0x06000000, 0x40 + static_cast<u32>(sh2_len),
                              0x06000000, 0x06000000, 0x06000000,
                              0x06000000};
        for (u32 k = 0; k < 7; ++k) store_be32(&image[kBootFields + 4 * k], fields[k]);
    }
    return image;
}

}  // namespace varn::fuzz
