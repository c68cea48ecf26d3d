#pragma once
// Small services shared by the front end and the emulation code: the processor feature
// probe, the shared text buffer, digit conversions and block clear, copy and byte swap.

#include "base/types.h"

namespace varn {

// All ones when the processor has MMX, else 0; set by `cpu_detect_features`.
extern u32 cpu_has_mmx;
void cpu_detect_features();

// The 256-byte text buffer in which the front end composes the window title and messages.
// The append helpers write at the fill length (wrapping within the buffer) and keep the
// text zero-terminated.
char* debug_text_buffer();
void debug_text_reset();
void debug_text_append(const char* text);
void debug_text_append_separator();  // ", "
void debug_text_append_blank();
// `digits` upper-case hexadecimal digits of `value` (8, 4, 2 or 1).
void debug_text_append_hex(u32 value, u32 digits);

// (v / 10) & 0xF in bits 8-11 and v % 10 in bits 0-3: two digits, not characters.
u32 byte_to_decimal_digits(u8 v);
// ((v / 10) & 0xF) << 4 | v % 10.
u32 byte_to_bcd(u8 v);

// Zeroes the 4 MB cartridge image (an image is released).
void rom_buffer_clear();
// Zeroes `count` blocks of 16 bytes.
void mem_clear16(u8* start, u32 count);
// Copies `count` 32-bit words upward (lowest address first).
void mem_copy_dwords(u8* dest, const u8* src, u32 count);
// Swaps the two bytes of each of the length / 2 words, from the last word to the first;
// an odd last byte stays.
void mem_swap_bytes16(u8* buffer, u32 length);

}  // namespace varn
