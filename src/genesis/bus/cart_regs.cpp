#include "genesis/bus/cart_regs.h"

#include "genesis/bus/bus_pages.h"
#include "genesis/bus/save_ram.h"

namespace varn {

std::array<u8, 8> cart_bank_regs{0, 1, 2, 3, 4, 5, 6, 7};
void (*cart_bank_load)(u32 window, u32 file_bank) = nullptr;
bool (*cart_is_32x_image)()                       = nullptr;

void cart_bank_regs_power_on() { cart_bank_regs = {0, 1, 2, 3, 4, 5, 6, 7}; }

namespace {

constexpr u32 kMarsOffset = 0x0C;
constexpr u32 kMarsId     = 0x4D415253;  // "MARS"

u32 mars_id() { return cart_is_32x_image && cart_is_32x_image() ? kMarsId : 0xFFFFFFFF; }

// Registers sit on the odd bytes 0x11-0x1F of each 32-byte block; a word or long at the even
// address before one reaches it, as the 68000 can only write words to even addresses.
bool bank_register(u32 a, u32& k) {
    const u32 off = (a | 1) & 0x1F;
    if (off < 0x11) return false;
    k = (off - 0x11) >> 1;
    return true;
}

void store_register(u32 k, u32 v) {
    cart_bank_regs[k] = static_cast<u8>(v);
    if (k == 0) cart_sram_enable = (v & 1) ? 0xFFFFFFFF : 0;
}

u32 regs_read_byte(u32 a) {
    if ((a & 0x1F) == kMarsOffset) return mars_id() & 0xFF;
    u32 k;
    if ((a & 1) == 0 || !bank_register(a, k)) return a;
    return cart_bank_regs[k];
}

u32 regs_read_word(u32 a) {
    if ((a & 0x1F) == kMarsOffset) return mars_id() & 0xFFFF;
    u32 k;
    return bank_register(a, k) ? cart_bank_regs[k] : a;
}

u32 regs_read_long(u32 a) {
    if ((a & 0x1F) == kMarsOffset) return mars_id();
    return a;
}

void regs_write_byte(u32 a, u32 v) {
    u32 k;
    if ((a & 1) == 0 || !bank_register(a, k)) return;
    store_register(k, v);
    if (k != 0 && cart_bank_load) cart_bank_load(k, v & 0xF);
}

void regs_write_word(u32 a, u32 v) {
    u32 k;
    if (bank_register(a, k)) store_register(k, v);
}

void regs_write_long(u32 a, u32 v) {
    // Covers two registers: bits 16-23 into the first, bits 0-7 into the second.
    u32 k;
    if (!bank_register(a, k)) return;
    store_register(k, v >> 16);
    if (k + 1 < cart_bank_regs.size()) store_register(k + 1, v);
}

}  // namespace

const M68kHandlerSet m68k_cart_register_set{regs_read_byte,  regs_read_word,  regs_read_long,
                                            regs_write_byte, regs_write_word, regs_write_long};

}  // namespace varn
