// The CD controller: the 64 KB sector ring, its register file, the host-data register and
// the transfers into PRG-RAM and word RAM.

#include <algorithm>

#include "memory/memory.h"
#include "segacd/scd_cache.h"
#include "segacd/scd_drive.h"
#include "segacd/segacd.h"

namespace varn {

CdcState cdc;

namespace {

constexpr u32 kRingMask = kScdCdcBufferSize - 1;

u8 bcd_minute() { return static_cast<u8>(cdd.abs_time >> 16); }
u8 bcd_second() { return static_cast<u8>(cdd.abs_time >> 8); }
u8 bcd_frame() { return static_cast<u8>(cdd.abs_time); }

void set_low(u16& r, u8 v) { r = static_cast<u16>((r & 0xFF00) | v); }
void set_high(u16& r, u8 v) { r = static_cast<u16>((r & 0x00FF) | v << 8); }

// The transfer's end: nothing left to count, the data no longer ready.
void transfer_done() {
    cdc.byte_count             = 0;
    scd_ga.cdc_data_ready      = 0;
    scd_ga.cdc_end_of_transfer = 1;
}

// Copies `words` ring words from the data address into `memory` at `offset` within
// [base, base + size): the destination wraps inside its memory or bank.
void copy_words(std::span<u8> memory, u32 base, u32 size, u32 offset, u32 words) {
    for (u32 w = 0; w < words; ++w) {
        const u32 at   = base + (offset & (size - 1));
        memory[at]     = scd_cdc_buffer[cdc.data_addr & kRingMask];
        memory[at + 1] = scd_cdc_buffer[(cdc.data_addr + 1u) & kRingMask];
        cdc.data_addr  = static_cast<u16>(cdc.data_addr + 2);
        offset += 2;
    }
}

}  // namespace

void cdd_cdc_reset_regs() {
    cdc                        = CdcState{};
    scd_ga.cdc_data_ready      = 0;
    scd_ga.cdc_end_of_transfer = 0;
    scd_ga.transfer_countdown  = 0;
}

void cdc_load_sector() {
    scd_raise_irq(5);
    cdc.header_ptr     = static_cast<u16>(cdc.write_addr + 12);
    cdc.write_addr     = static_cast<u16>(cdc.header_ptr + 2340);
    const u8 header[4] = {bcd_minute(), bcd_second(), bcd_frame(), 0x01};
    for (u32 i = 0; i < 4; ++i) scd_cdc_buffer[(cdc.header_ptr + i) & kRingMask] = header[i];

    // Frames before image sector 0 hold nothing of the image: they read as zeros.
    std::array<u8, kCdRawSectorBytes> raw{};
    const bool in_image = cdd.position >= kCdLeadInFrames;
    const u32 sector    = in_image ? cdd.position - kCdLeadInFrames : 0;
    if (in_image && !cd_read_sector_cached(sector, raw)) return;  // the machine is stopping
    const u32 data = cdc.header_ptr + 4u;
    for (u32 i = 0; i < kCdUserDataBytes; ++i)
        scd_cdc_buffer[(data + i) & kRingMask] = raw[kCdUserDataStart + i];
    if (in_image) cd_request_sector(sector + 3);
}

void cdc_transfer_step() {
    const u32 words = (cdc.byte_count + 1u) >> 1;
    const u32 dma   = u32{scd_ga.regs[0x0A]} << 8 | scd_ga.regs[0x0B];
    switch (scd_ga.regs[0x04] & 7) {
        case 5:  // PRG-RAM
            copy_words(scd_prg_ram, 0, kScdPrgRamSize, (dma & 0xFFFF) * 8, words);
            break;
        case 7:  // word RAM: the whole 256 KB, or in 1M mode the sub-CPU's bank
            if (scd_ga.wram_1m == 0) {
                copy_words(scd_word_ram, 0, kScdWordRamSize, (dma & 0x7FFF) * 8, words);
            } else {
                const u32 bank = (scd_ga.return_bit ^ 1u) * (kScdWordRamSize / 2);
                copy_words(scd_word_ram, bank, kScdWordRamSize / 2, (dma & 0x3FFF) * 8, words);
            }
            break;
        case 4:  // PCM RAM: the data is consumed, nothing stored
            cdc.data_addr = static_cast<u16>(cdc.data_addr + words * 2);
            break;
        default:  // drained by the host-data register, or no destination
            return;
    }
    transfer_done();
}

void cdc_pointer_write(u8 v) { cdc.pointer = v & 0x0F; }

u8 cdc_register_read() {
    const u8 r  = cdc.pointer;
    cdc.pointer = (cdc.pointer + 1) & 0x0F;
    switch (r) {
        case 0:
            return cdc.regs[0];
        case 1:
            return 0xFF;
        case 2:
            return static_cast<u8>(cdc.byte_count);
        case 3:
            return (cdc.byte_count >> 8) & 0x0F;
        case 4:
            return bcd_minute();
        case 5:
            return bcd_second();
        case 6:
            return bcd_frame();
        case 7:
            return 0x01;
        case 8:
            return static_cast<u8>(cdc.header_ptr);
        case 9:
            return static_cast<u8>(cdc.header_ptr >> 8);
        case 10:
            return static_cast<u8>(cdc.write_addr);
        case 11:
            return static_cast<u8>(cdc.write_addr >> 8);
        case 12:
            return 0x80;
        default:
            return 0;
    }
}

void cdc_register_write(u8 v) {
    const u8 r  = cdc.pointer;
    cdc.pointer = (cdc.pointer + 1) & 0x0F;
    switch (r) {
        case 2:
            set_low(cdc.byte_count, v);
            break;
        case 3:
            set_high(cdc.byte_count, v);
            break;
        case 4:
            set_low(cdc.data_addr, v);
            break;
        case 5:
            set_high(cdc.data_addr, v);
            break;
        case 6:  // transfer trigger
            scd_ga.cdc_data_ready      = 1;
            scd_ga.cdc_end_of_transfer = 0;
            scd_ga.transfer_countdown  = 2;
            break;
        case 8:
            set_low(cdc.write_addr, v);
            break;
        case 9:
            set_high(cdc.write_addr, v);
            break;
        case 12:
            set_low(cdc.header_ptr, v);
            break;
        case 13:
            set_high(cdc.header_ptr, v);
            break;
        default:
            break;
    }
    cdc.regs[r] = v;
}

u16 cdc_host_data_read() {
    const u16 word = static_cast<u16>(scd_cdc_buffer[cdc.data_addr & kRingMask] << 8 |
                                      scd_cdc_buffer[(cdc.data_addr + 1u) & kRingMask]);
    cdc.data_addr  = static_cast<u16>(cdc.data_addr + 2);
    cdc.byte_count = cdc.byte_count >= 2 ? static_cast<u16>(cdc.byte_count - 2) : 0;
    if (cdc.byte_count == 0) {
        scd_ga.cdc_data_ready      = 0;
        scd_ga.cdc_end_of_transfer = 1;
    }
    return word;
}

}  // namespace varn
