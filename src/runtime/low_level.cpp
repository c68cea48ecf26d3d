#include "runtime/low_level.h"

#include <algorithm>
#include <cstring>

#include "memory/memory.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace varn {

u32 cpu_has_mmx = 0;

void cpu_detect_features() {
    cpu_has_mmx = 0;
#if defined(__i386__) || defined(__x86_64__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(0, &eax, &ebx, &ecx, &edx) == 0 || eax == 0) return;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return;
    if ((edx & (1u << 23)) != 0) cpu_has_mmx = 0xFFFFFFFF;
#else
    // The renderers here are portable code: nothing needs the x86 vector unit.
    cpu_has_mmx = 0xFFFFFFFF;
#endif
}

namespace {

char text_buffer[256];
u8 text_fill = 0;

void put_char(char c) {
    text_buffer[text_fill] = c;
    text_fill              = static_cast<u8>(text_fill + 1);
    text_buffer[text_fill] = '\0';
}

}  // namespace

char* debug_text_buffer() { return text_buffer; }

void debug_text_reset() {
    text_fill      = 0;
    text_buffer[0] = '\0';
}

void debug_text_append(const char* text) {
    while (*text != '\0') put_char(*text++);
}

void debug_text_append_separator() { debug_text_append(", "); }
void debug_text_append_blank() { put_char(' '); }

void debug_text_append_hex(u32 value, u32 digits) {
    for (u32 i = digits; i-- > 0;) put_char("0123456789ABCDEF"[(value >> (i * 4)) & 0xF]);
}

u32 byte_to_decimal_digits(u8 v) { return (((v / 10u) & 0xFu) << 8) | (v % 10u); }
u32 byte_to_bcd(u8 v) { return (((v / 10u) & 0xFu) << 4) | (v % 10u); }

void rom_buffer_clear() { std::fill(cart_rom.begin(), cart_rom.end(), u8{0}); }

void mem_clear16(u8* start, u32 count) {
    if (count != 0) std::memset(start, 0, static_cast<std::size_t>(count) * 16);
}

void mem_copy_dwords(u8* dest, const u8* src, u32 count) {
    // Word by word, so an overlapping upward copy behaves as the hardware loop does.
    for (u32 i = 0; i < count; ++i) std::memmove(dest + i * 4, src + i * 4, 4);
}

void mem_swap_bytes16(u8* buffer, u32 length) {
    for (u32 i = length / 2; i-- > 0;) {
        const u8 t        = buffer[2 * i];
        buffer[2 * i]     = buffer[2 * i + 1];
        buffer[2 * i + 1] = t;
    }
}

}  // namespace varn
