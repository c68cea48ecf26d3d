#pragma once
// Genesis video display processor: the programmable side (registers, control port with its
// two-word command protocol, status word, HV counter, interrupt-pending flags), the data
// port and the DMA unit, and the colour conversion that feeds the line renderers.
//
// Every access completes at once inside the 68000 instruction that makes it: there is no
// access FIFO, no slot timing and no DMA timing. Only the emulation thread touches this
// state (the configuration words it reads are atomics).
//
// The 68000 bus maps the ports 0xC00000-0xC0001F onto:
//   data port     0xC00000/02  vdp_read_data, vdp_write_data
//   control port  0xC00004/06  vdp_read_status, vdp_write_control
//   HV counter    0xC00008/0A  vdp_read_hv_counter
// with 16-bit values; the byte and long forms are the bus's business.

#include <array>
#include <atomic>
#include <span>

#include "base/byte_io.h"
#include "base/types.h"

namespace varn {

// ---------------------------------------------------------------------------------------
// Records

// Which memory the data port reaches.
enum VdpTarget : u8 { kVdpVram = 0, kVdpCram = 1, kVdpVsram = 2 };

// Pending DMA fill kinds.
enum VdpFillKind : u8 { kVdpFillNone = 0, kVdpFillVram = 1, kVdpFillCram = 2, kVdpFillVsram = 3 };

struct VdpControlState {
    // Status bits 1 (DMA busy), 5 and 6 are held here; the others are computed on read.
    u8 status;

    // Data-port access selected by the last command.
    u8 target;         // VdpTarget
    u16 address_mask;  // 0xFFFF VRAM, 0x7F CRAM and VSRAM
    u16 address;
    u8 code;  // CD5-CD0
    u16 command_first;
    u16 command_second;
    bool second_word_pending;
    u8 fill_kind;  // VdpFillKind
    bool read_enabled;
    bool write_enabled;
    bool dma_mode;
    // Set at the end of every DMA (and by loads and invalid codes), cleared by the second
    // command word: the first word of the next command keeps the old upper code bits and
    // must not start the DMA again.
    bool dma_start_blocked;

    bool interlace;  // register 12 bit 1
    bool odd_field;
    bool vint_pending;
    bool hint_pending;
    u8 hint_counter;

    // Values derived from the registers for the renderers.
    bool display_enabled;
    u16 plane_a_base;
    u16 plane_b_base;
    u16 window_base;
    u16 sprite_base;
    u16 hscroll_base;
    u16 hscroll_line_mask;    // 0, 0x3F8 (per cell) or 0x3FF (per line)
    u16 vscroll_column_mask;  // 0 whole screen, 0x7C per 2-cell column
    bool shadow_highlight;
    u16 plane_width;        // cells: 32, 64, 96, 128
    u16 plane_height;       // cells
    u16 plane_hwrap_mask;   // horizontal pixel wrap
    u16 plane_vwrap_mask;   // vertical pixel wrap
    u8 plane_row_shift;     // log2(bytes of a name-table row) - 3
    u8 sprite_table_size;   // 64 or 80
    u16 window_line_start;  // first non-window line
    u16 window_line_count;  // number of non-window lines
    u16 window_col_start;   // first non-window column (cells)
    u16 window_col_count;   // number of non-window columns
    u8 window_row_shift;    // 3 in 32-column mode, 4 in 40-column mode

    bool operator==(const VdpControlState&) const = default;
};

// Registers 0-23 are the console's; writes to 24-31 land in spare slots.
inline constexpr u32 kVdpRegisterSlots = 32;
extern std::array<u8, kVdpRegisterSlots> vdp_registers;
extern VdpControlState vdp_control_state;

// Video memories as 16-bit words holding the console's word values. Console byte address
// A of VRAM is the high byte of word A/2 when A is even and its low byte when A is odd.
inline constexpr u32 kVramWords         = 0x8000;
inline constexpr u32 kCramWords         = 64;
inline constexpr u32 kVsramWords        = 64;  // the console has 40; the rest is reachable slack
inline constexpr u32 kVsramConsoleWords = 40;
// The memories in bytes as the console holds them (and as states and Genecyst files keep
// them): VRAM, the palette and the console's 40 words of scroll RAM.
inline constexpr u32 kVramBytes  = kVramWords * 2;
inline constexpr u32 kCramBytes  = kCramWords * 2;
inline constexpr u32 kVsramBytes = kVsramConsoleWords * 2;
extern std::array<u16, kVramWords> vdp_vram;
extern std::array<u16, kCramWords> vdp_cram;
extern std::array<u16, kVsramWords> vdp_vsram;

// Host pixel values for the line-buffer pixel bytes: four blocks of 64 chosen by bits 6-7
// (0 shadowed, 1 and 2 normal, 3 highlighted); entry 0 of each block is the background.
extern std::array<u16, 256> colour_lut;

// Changes of VRAM and of colour_lut, counted by the VDP's own writers (data port, DMA,
// fills, copies, state loads, power-on, palette updates; a write that leaves the value as
// it was may count nothing). Each 1 KB block of VRAM keeps the VRAM count of its last
// change. The line output keeps a line's picture while none of the VRAM blocks it read
// changed and none of the renderers' settings, VSRAM or the sprite limit changed since it
// was drawn. Code that writes VRAM or colour_lut in place (tests, benchmarks) calls
// vdp_note_change() before the next line is drawn.
inline constexpr u32 kVramBlockShift = 10;
inline constexpr u32 kVramBlocks     = 0x10000 >> kVramBlockShift;
struct VdpChangeCounts {
    u64 vram    = 0;
    u64 colours = 0;
    std::array<u64, kVramBlocks> vram_blocks{};
};
extern VdpChangeCounts vdp_changes;
inline void vdp_count_vram_change(u32 byte_address) {
    vdp_changes.vram_blocks[(byte_address & 0xFFFF) >> kVramBlockShift] = ++vdp_changes.vram;
}
inline void vdp_note_change() {
    vdp_changes.vram_blocks.fill(++vdp_changes.vram);
    ++vdp_changes.colours;
}
// Host pixel value of each 9-bit console colour R*64 + G*8 + B for the surface format.
extern std::array<u16, 512> host_colour_table;

// The emulated picture size, written by the mode registers and the power-on.
extern u32 screen_width;
extern u32 screen_height;

// Render-mode offset: bit 2 doubled lines (front end), bit 3 interlace (register 12) or
// the 32X priority bit, bits 4-5 the 32X bitmap mode. Bits 0-1 are always 0.
// The window's thread sets bit 2 while the emulation changes the others, so every access
// goes through the two functions below: a change of some bits never undoes another
// thread's change of the rest (a relaxed load is a plain load on the host).
extern u32 render_mode;
inline u32 render_mode_load() {
    return std::atomic_ref<u32>(render_mode).load(std::memory_order_relaxed);
}
// Replaces the bits of `mask` with `bits` (which lie within it).
inline void render_mode_replace(u32 mask, u32 bits) {
    std::atomic_ref<u32> mode(render_mode);
    u32 old = mode.load(std::memory_order_relaxed);
    while (!mode.compare_exchange_weak(old, (old & ~mask) | bits, std::memory_order_relaxed)) {
    }
}

// ---------------------------------------------------------------------------------------
// Control port, registers, status (0xC00004-0xC0000A)

void vdp_write_control(u16 word);
void vdp_write_register(u32 number, u32 value);
inline u16 vdp_read_status();  // defined below the runtime links it reads
u16 vdp_read_hv_counter();

// Power-on: registers 0-23 to 0 (register 12 to 1) and the control state cleared. The
// data-port access keeps its selection.
void vdp_clear_state();
// Zeroes VRAM, CRAM and VSRAM (part of the machine power-on).
void vdp_clear_memories();
// Everything back to its program-start state (tests).
void vdp_reset_all();

// Sets V-interrupt pending from status bit 7 and the odd-field flag from bit 4.
void vdp_set_status_flags(u32 status);

// Interrupt events driven by the line scheduler.
void vdp_hint_counter_reload();  // start of line 0: counter := register 10
void vdp_hint_counter_step();    // start of every line's horizontal blank
void vdp_vint_raise();           // frame end

// The 68000 calls these when it takes level 4 / level 6 (vdp_irq_acknowledge fits the
// core's acknowledge slot: level 4 clears H-interrupt pending, level 6 V-interrupt pending).
void vdp_hint_acknowledge();
void vdp_vint_acknowledge();
void vdp_irq_acknowledge(u32 level);

// What the VDP reads of the runtime, bound by it (an unbound word points at a zero word and
// reads a quiet machine: line 0 of the drawing phase, a 60 Hz console; an unbound notice is
// null). The position and the region are the runtime's own words, read in place without a
// test: games poll the status port in tight loops.
//   slice_counter, slice_phase   the scheduler's position (status bits 2-3, HV counter, and
//                                the line render_line_dispatch renders)
//   pal_flag                     1 on a 50 Hz console (status bit 0, 240-line mode)
//   display_size_changed         screen_width or screen_height changed: post request
//                                0x20000000 to the front end
inline constexpr u32 kVdpUnboundLinkWord = 0;
struct VdpRuntimeSlots {
    const u32* slice_counter       = &kVdpUnboundLinkWord;
    const u32* slice_phase         = &kVdpUnboundLinkWord;
    const u32* pal_flag            = &kVdpUnboundLinkWord;
    void (*display_size_changed)() = nullptr;
};
extern VdpRuntimeSlots vdp_runtime_slots;

// Status bits held in `status` that a read reports once and clears: DMA busy.
inline constexpr u8 kVdpStatusClearedByRead = 0x02;

// True when a status read made now gives what the next one would, and changes nothing it
// reports: no bit that a read clears is pending.
inline bool vdp_status_read_is_steady() {
    return (vdp_control_state.status & kVdpStatusClearedByRead) == 0;
}

// Status: bits 0 (50 Hz console), 2-3 (H and V blank, by the scheduler's phase; the V blank
// bit already in the horizontal blank of line 223), 4 (odd field while interlaced), 7
// (V interrupt pending), 1, 5 and 6 as held, 9-10 and 12-13 set. Reading clears a pending
// second command word and reports DMA busy once. Games poll it in tight loops, so it is
// read inline by the bus.
inline u16 vdp_read_status() {
    // By phase (draw, horizontal blank, vertical blank); the scheduler's phase is 0-2.
    static constexpr u8 kPhaseBlank[4] = {0x00, 0x04, 0x08, 0x00};
    VdpControlState& s                 = vdp_control_state;
    s.second_word_pending              = false;
    const u32 phase                    = *vdp_runtime_slots.slice_phase;
    u32 status = 0x3600 | (*vdp_runtime_slots.pal_flag & 1) | (s.status & 0x62) |
                 (s.vint_pending << 7) | ((s.interlace & s.odd_field) << 4);
    s.status &= static_cast<u8>(~kVdpStatusClearedByRead);
    status |= kPhaseBlank[phase & 3];
    if (phase == 1 && *vdp_runtime_slots.slice_counter == ((223u << 4) | 1)) status |= 0x08;
    return static_cast<u16>(status);
}

// ---------------------------------------------------------------------------------------
// Data port and DMA (0xC00000-0xC00003)

u16 vdp_read_data();
// A byte write arrives with the byte in both halves.
void vdp_write_data(u16 word);

// One entry per 64 KB page of the 68000 space: the console address X reads the big-endian
// word at image[base + (X & mask)]. An entry without an image is unmapped: a DMA from it
// transfers nothing.
struct VdpDmaSource {
    const u8* image = nullptr;  // whole backing array (never a biased pointer)
    u32 image_size  = 0;
    u32 base        = 0;  // offset into image; reads outside the image give 0xFFFF
    u32 mask        = 0;
};
inline constexpr u32 kVdpDmaPages = 256;
extern std::array<VdpDmaSource, kVdpDmaPages> vdp_dma_source_map;

// Points `count` pages from `first_page` at one source (the bus pages call this on bank
// changes: PRG-RAM bank, word-RAM mode, the 32X ROM bank).
void vdp_dma_map_set(u32 first_page, u32 count, const VdpDmaSource& source);
// Marks `count` pages from `first_page` unmapped.
void vdp_dma_map_clear(u32 first_page, u32 count);
// The power-on maps. The images are the machine's: cartridge ROM (4 MB) and 68000 work RAM
// (64 KB) for a cartridge or 32X machine; BIOS, PRG-RAM and word RAM for the Sega CD.
// `word_ram_image` is the array holding word RAM and `word_ram_offset` its start in it:
// the console's DMA from word RAM delivers the word just below word RAM first.
void vdp_dma_map_cartridge(std::span<const u8> rom, std::span<const u8> work_ram);
void vdp_dma_map_segacd(std::span<const u8> bios, std::span<const u8> prg_ram,
                        std::span<const u8> word_ram_image, u32 word_ram_offset,
                        std::span<const u8> work_ram);
// The same over the machine's memory arena (src/memory/memory.h), as the power-on
// routines call them.
void vdp_dma_map_cartridge();
void vdp_dma_map_segacd();

// ---------------------------------------------------------------------------------------
// Colour conversion

void vdp_rebuild_palette();
void vdp_update_palette_entry(u32 index);

// With the fixed visibility palette on: false (this VDP) gives it shadow and highlight forms
// and the background colour of register 7; true (a VDP that writes it flat) puts each colour
// unchanged into all four blocks. Reset to false with the VDP.
extern bool vdp_visibility_palette_flat;

// Builds host_colour_table for a 16-bit surface whose red, green and blue fields have
// their most significant bits at r, g and b (5-6-5: 15, 10, 4; 5-5-5: 14, 9, 4; the
// blue-first orders too). Other layouts are refused: the result is an error text and the
// table is left as it was; nullptr on success. colour_lut follows at the next rebuild.
const char* host_colour_table_build(u32 r, u32 g, u32 b);

// The surface format the table was built for: bit position of the most significant bit of
// each field (5-6-5 until the front end says otherwise).
struct HostSurfaceFormat {
    u32 red_msb   = 15;
    u32 green_msb = 10;
    u32 blue_msb  = 4;
};
extern HostSurfaceFormat host_surface_format;

// ---------------------------------------------------------------------------------------
// Save states

// Chunk 0x87: id (id_width bytes, little-endian), 32-bit length 0x21, 33 data bytes.
inline constexpr u8 kVdpStateChunkId      = 0x87;
inline constexpr u32 kVdpStateChunkLength = 0x21;
bool vdp_save_state_chunk(ByteWriter& out, u32 id_width = 1);
// Reads a chunk whose id starts at the reader's position and leaves the reader after the
// chunk (by its stored length). 0 on success; -1, changing nothing and leaving the reader
// where it was, when the data or the chunk are shorter than the layout.
s32 vdp_load_state_chunk(ByteReader& in, u32 id_width = 1);

// Chunks 0x81-0x83: the memories as little-endian words (VRAM 0x10000 bytes, CRAM 0x80,
// VSRAM the console's 0x50). Loads fail (false, nothing changed) on short data; the CRAM
// load rebuilds the palette.
bool vdp_save_vram_data(ByteWriter& out);
bool vdp_save_cram_data(ByteWriter& out);
bool vdp_save_vsram_data(ByteWriter& out);
bool vdp_load_vram_data(ByteReader& in);
bool vdp_load_cram_data(ByteReader& in);
bool vdp_load_vsram_data(ByteReader& in);

// Takes the 24 registers from a Genecyst state image (offset 0xFA). False when the image is
// too short (nothing is changed then).
bool vdp_load_gs_registers(std::span<const u8> image);

}  // namespace varn
