// The data port and the DMA unit: 68000 memory to VRAM, CRAM or VSRAM, fills, and copies
// within VRAM. Every transfer runs to its end at once; the 68000 is not stalled.

#include "base/endian.h"
#include "genesis/vdp/vdp.h"
#include "genesis/vdp/vdp_internal.h"
#include "memory/memory.h"

namespace varn {

std::array<VdpDmaSource, kVdpDmaPages> vdp_dma_source_map{};

namespace {

VdpControlState& st() { return vdp_control_state; }
u8 reg(u32 n) { return vdp_registers[n]; }

u32 increment() { return vdp_registers[15]; }

// Transfer length from registers 19-20; 0 stands for 65,535, not 65,536.
u32 dma_length() {
    const u32 n = static_cast<u32>(reg(20)) << 8 | reg(19);
    return n == 0 ? 0xFFFF : n;
}

u16* target_words() {
    switch (st().target) {
        case kVdpCram:
            return vdp_cram.data();
        case kVdpVsram:
            return vdp_vsram.data();
        default:
            return vdp_vram.data();
    }
}

// Stores one word at the current address of the target (VRAM swaps the bytes at an odd
// address) and advances the address. Returns the address the word went to. Address and mask
// are kept in locals: a store into video memory could otherwise be taken to change them.
[[gnu::always_inline]] inline u32 store_word(u16 w) {
    auto& s        = st();
    const u32 mask = s.address_mask;
    const u32 at   = s.address & mask;
    if (s.target == kVdpVram) {
        u16& cell       = vdp_vram[at >> 1];
        const u16 value = (at & 1) ? byte_swap16(w) : w;
        if (cell != value) vdp_count_vram_change(at);
        cell = value;
    } else {
        target_words()[at >> 1] = w;  // below 64 under the 0x7F mask
    }
    s.address = static_cast<u16>((at + increment()) & mask);
    return at;
}

// The write step of the data port: store, update the colour of a CRAM entry.
void write_step(u16 w) {
    auto& s               = st();
    s.second_word_pending = false;
    const u32 at          = store_word(w);
    if (s.target == kVdpCram) vdp_update_palette_entry((at & 0x7E) >> 1);
}

// Writes one console byte of the target (byte A is the high byte of word A/2 when A is
// even).
void target_set_byte(u32 a, u8 v) {
    if (st().target == kVdpVram) {
        vdp_detail::vram_set_byte(a, v);
        return;
    }
    u16& w = target_words()[(a & 0x7F) >> 1];
    w      = (a & 1) ? static_cast<u16>((w & 0xFF00) | v) : static_cast<u16>((w & 0x00FF) | v << 8);
}

// Source word address of registers 21-23 after `count` words, keeping the register-23 bits
// above `bits` (the DMA kind).
void advance_source(u32 count, u32 bits) {
    const u32 mask    = (1u << bits) - 1;
    const u32 source  = static_cast<u32>(reg(23)) << 16 | static_cast<u32>(reg(22)) << 8 | reg(21);
    const u32 next    = (source + count) & mask;
    vdp_registers[21] = static_cast<u8>(next);
    vdp_registers[22] = static_cast<u8>(next >> 8);
    vdp_registers[23] = static_cast<u8>((reg(23) & ~(mask >> 16)) | (next >> 16));
    vdp_registers[19] = 0;
    vdp_registers[20] = 0;
    st().dma_start_blocked = true;
}

u16 source_word(const VdpDmaSource& src, u32 offset) {
    const u64 at = static_cast<u64>(src.base) + offset;
    if (at + 1 >= src.image_size) return 0xFFFF;  // outside the backing array
    return load_be16(src.image + at);
}

void dma_from_68000() {
    auto& s         = st();
    const u32 words = static_cast<u32>(reg(23)) << 16 | static_cast<u32>(reg(22)) << 8 | reg(21);
    const u32 byte_address  = (words & 0x7FFFFF) << 1;
    const VdpDmaSource& src = vdp_dma_source_map[(byte_address >> 16) & 0xFF];
    if (src.image == nullptr) return;  // unmapped: nothing moves, nothing changes
    const u32 count = dma_length();
    u32 offset      = byte_address & src.mask;
    s.address       = static_cast<u16>(s.address & s.address_mask);
    for (u32 i = 0; i < count; ++i) {
        store_word(source_word(src, offset));
        offset = (offset + 2) & src.mask;
    }
    advance_source(count, 23);
    if (s.target == kVdpCram) vdp_rebuild_palette();
}

// Rare and long: kept out of the data-port write so that the common store stays small.
[[gnu::noinline]] void dma_fill(u16 w) {
    auto& s = st();
    write_step(w);
    s.fill_kind     = kVdpFillNone;
    const u32 count = dma_length();
    const u8 value  = static_cast<u8>(w >> 8);
    for (u32 i = 0; i < count; ++i) {
        target_set_byte(s.address ^ 1u, value);
        s.address = static_cast<u16>((s.address + increment()) & s.address_mask);
    }
    advance_source(count, 22);
    s.status |= 0x02;  // DMA busy, reported by the next status read
    if (s.target == kVdpCram) vdp_rebuild_palette();
}

void dma_vram_copy() {
    auto& s         = st();
    u32 source      = static_cast<u32>(reg(22)) << 8 | reg(21);
    const u32 count = dma_length();
    s.address       = static_cast<u16>(s.address & 0xFFFF);
    for (u32 i = 0; i < count; ++i) {
        vdp_detail::vram_set_byte(s.address ^ 1u, vdp_detail::vram_byte(source ^ 1u));
        source    = (source + 1) & 0xFFFF;
        s.address = static_cast<u16>((s.address + increment()) & 0xFFFF);
    }
    advance_source(count, 22);
}

void no_access() {
    st().write_enabled = false;
    st().dma_mode      = false;
}

}  // namespace

namespace vdp_detail {

void dma_select(u8 code) {
    const u32 index = ((reg(1) & 0x10) ? 4u : 0u) + (reg(23) >> 6);
    if (index < 4) {  // DMA disabled: stays a plain write until register 1 enables it
        st().dma_start_blocked = true;
        return;
    }
    const bool copy_row = (code & 0x10) != 0;
    if (!copy_row) {
        switch (index) {
            case 4:
            case 5:
                dma_from_68000();
                return;
            case 6:
                st().fill_kind = static_cast<u8>(kVdpFillVram + ((code >> 1) & 3));
                return;
            default:
                no_access();
                return;
        }
    }
    if (index == 7) {
        if (code == 0x31) dma_vram_copy();
        return;  // 0x33 and 0x35 do nothing
    }
    no_access();
}

}  // namespace vdp_detail

u16 vdp_read_data() {
    auto& s               = st();
    s.second_word_pending = false;
    if (!s.read_enabled) return 0;
    s.address      = static_cast<u16>(s.address & s.address_mask);
    const u16 word = target_words()[(s.address & 0xFFFE) >> 1];
    s.address      = static_cast<u16>((s.address + increment()) & s.address_mask);
    return word;
}

void vdp_write_data(u16 word) {
    auto& s = st();
    if (s.fill_kind != kVdpFillNone) {
        dma_fill(word);
    } else if (s.read_enabled) {
        s.second_word_pending = false;
        s.address             = static_cast<u16>((s.address + increment()) & s.address_mask);
    } else if (s.write_enabled) {
        write_step(word);
    }
}

void vdp_dma_map_set(u32 first_page, u32 count, const VdpDmaSource& source) {
    for (u32 p = first_page; p < first_page + count && p < kVdpDmaPages; ++p)
        vdp_dma_source_map[p] = source;
}

void vdp_dma_map_clear(u32 first_page, u32 count) { vdp_dma_map_set(first_page, count, {}); }

namespace {

VdpDmaSource source_of(std::span<const u8> image, u32 base, u32 mask) {
    if (image.empty()) return {};
    return {image.data(), static_cast<u32>(image.size()), base, mask};
}

}  // namespace

void vdp_dma_map_cartridge(std::span<const u8> rom, std::span<const u8> work_ram) {
    vdp_dma_map_clear(0, kVdpDmaPages);
    vdp_dma_map_set(0x00, 0x40, source_of(rom, 0, 0x3FFFFF));
    vdp_dma_map_set(0x88, 0x08, source_of(rom, 0, 0x7FFFF));
    vdp_dma_map_set(0x90, 0x10, source_of(rom, 0, 0xFFFFF));
    vdp_dma_map_set(0xE0, 0x20, source_of(work_ram, 0, 0xFFFF));
}

void vdp_dma_map_segacd(std::span<const u8> bios, std::span<const u8> prg_ram,
                        std::span<const u8> word_ram_image, u32 word_ram_offset,
                        std::span<const u8> work_ram) {
    vdp_dma_map_clear(0, kVdpDmaPages);
    vdp_dma_map_set(0x00, 0x02, source_of(bios, 0, 0x1FFFF));
    vdp_dma_map_set(0x02, 0x02, source_of(prg_ram, 0, 0x1FFFF));
    // The console's DMA from word RAM runs one word behind: the first word delivered is
    // the one just below word RAM.
    // (Without a word below it in the same array the map starts at word RAM itself.)
    const u32 base = word_ram_offset >= 2 ? word_ram_offset - 2 : word_ram_offset;
    vdp_dma_map_set(0x20, 0x04, source_of(word_ram_image, base, 0x3FFFF));
    vdp_dma_map_set(0xE0, 0x20, source_of(work_ram, 0, 0xFFFF));
}

void vdp_dma_map_cartridge() { vdp_dma_map_cartridge(cart_rom, m68k_ram); }

void vdp_dma_map_segacd() {
    // Word RAM follows PRG-RAM in the arena, so the word below it is PRG-RAM's last.
    vdp_dma_map_segacd(scd_bios, scd_prg_ram, std::span<const u8>(memory_arena, kArenaSize),
                       kScdWordRamOffset, m68k_ram);
}

}  // namespace varn
