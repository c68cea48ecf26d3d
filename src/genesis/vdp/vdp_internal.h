#pragma once
// Pieces shared by the VDP's own source files; not for other folders.

#include <bit>
#include <cstddef>
#include <cstring>

#include "base/types.h"
#include "genesis/vdp/vdp.h"

namespace varn::vdp_detail {

// Runs the DMA-mode action chosen by the access code and registers 1 and 23 (called by the
// DMA-mode access routines while DMA start is not blocked).
void dma_select(u8 code);

// Clears the control state as at power-on: status, address, code, command words, pending
// flags, fill kind, interlace, field, both interrupt-pending flags and the H counter.
void clear_control_state();

// Re-selects the access of a saved command (first and second word) without starting any
// DMA: DMA start must be blocked by the caller.
void restore_command(u16 first, u16 second);

// Recomputes every value derived from the registers, without interrupt or notice side
// effects (power-on).
void recompute_derived();

// The four forms of one CRAM colour: shadow, normal, normal, highlight.
void colour_forms(u16 cram_word, u16 out[4]);

// Console byte access to VRAM (byte A is the high byte of word A/2 when A is even).
inline u8 vram_byte(u32 a) {
    const u16 w = vdp_vram[(a & 0xFFFF) >> 1];
    return static_cast<u8>((a & 1) ? w : w >> 8);
}
inline void vram_set_byte(u32 a, u8 v) {
    u16& w        = vdp_vram[(a & 0xFFFF) >> 1];
    const u16 old = w;
    w = (a & 1) ? static_cast<u16>((w & 0xFF00) | v) : static_cast<u16>((w & 0x00FF) | v << 8);
    if (w != old) vdp_count_vram_change(a);
}

// Every store into colour_lut: a changed entry is counted.
inline void set_colour(u32 index, u16 host_pixel) {
    u16& entry = colour_lut[index];
    vdp_changes.colours += entry != host_pixel;
    entry = host_pixel;
}

// What a drawn line (or one plane of it) was drawn from, kept to tell whether drawing it
// again would give the same bytes: the VRAM blocks it read (by their change counts) and the
// renderers' settings (the control-state fields derived from the registers, from
// display_enabled on, by content). Whoever keeps one compares what else the drawing read
// (V-scroll words among them).
class DrawnInputs {
  public:
    bool current() const {
        if (!valid_) return false;
        if (vram_changes_ != vdp_changes.vram) {  // else VRAM is as it was
            for (u64 blocks = reads_; blocks != 0; blocks &= blocks - 1) {
                if (vdp_changes.vram_blocks[std::countr_zero(blocks)] > vram_changes_) return false;
            }
        }
        return std::memcmp(settings_, settings(), kSettingsSize) == 0;
    }
    // Takes the inputs now, for a drawing that read the VRAM blocks `reads`.
    void take(u64 reads) {
        valid_        = true;
        vram_changes_ = vdp_changes.vram;
        reads_        = reads;
        std::memcpy(settings_, settings(), kSettingsSize);
    }
    void forget() { valid_ = false; }
    u64 reads() const { return reads_; }

  private:
    static constexpr std::size_t kSettingsOffset = offsetof(VdpControlState, display_enabled);
    static constexpr std::size_t kSettingsSize   = sizeof(VdpControlState) - kSettingsOffset;
    static const u8* settings() {
        return reinterpret_cast<const u8*>(&vdp_control_state) + kSettingsOffset;
    }

    bool valid_       = false;
    u64 vram_changes_ = 0;  // VRAM's count when it was drawn
    u64 reads_        = 0;
    u8 settings_[kSettingsSize]{};
};

}  // namespace varn::vdp_detail
