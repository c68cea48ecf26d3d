#include "segacd/scd_cache.h"

#include <algorithm>
#include <cstring>

#include "runtime/thread_link.h"

namespace varn {

CdSectorCache cd_cache;
CdToc cd_toc{};
bool (*cd_toc_builder)(CdToc& toc) = nullptr;

namespace {

// On the emulation thread the wait honours pause and stop. Without that thread (headless
// runs and tests call the frame loop themselves) there is nobody to pause or stop it, and
// the requests are served as they are posted.
bool default_wait() {
    if (emu_thread_alive() && !emu_check_pause_stop()) return false;
    thread_yield();
    return true;
}

// Looks that find nothing before the missing sector is asked for again, and, without an
// emulation thread, how often it is asked for before the wait gives up.
constexpr u32 kLooksBeforeRequestAgain = 4096;
constexpr u32 kRequestsWithoutThread   = 4;

constexpr u32 kTocHeaderBytes = 4;

u32 descriptor_at(s32 index) { return kTocHeaderBytes + static_cast<u32>(index) * 8; }
bool in_table(s32 index) { return index >= 0 && index < static_cast<s32>(kCdTocDescriptors); }

}  // namespace

bool (*cd_cache_wait)() = default_wait;

std::span<u8, kCdRawSectorBytes> cd_cache_fill_begin(s32 sector) {
    const u32 k           = cd_cache.fill_index.load(std::memory_order_relaxed) % kCdCacheSlots;
    std::atomic<u8>& slot = cd_cache.state[k];
    // Claim the slot: wait while the emulation thread copies out of it.
    u8 s = slot.load(std::memory_order_relaxed);
    for (;;) {
        if ((s & kCdSlotReading) != 0) {
            thread_yield();
            s = slot.load(std::memory_order_relaxed);
            continue;
        }
        if (slot.compare_exchange_weak(s, kCdSlotFilling, std::memory_order_acquire,
                                       std::memory_order_relaxed))
            break;
    }
    cd_cache.sector[k].store(sector, std::memory_order_relaxed);
    return cd_cache.data[k];
}

void cd_cache_fill_end() {
    const u32 k = cd_cache.fill_index.load(std::memory_order_relaxed) % kCdCacheSlots;
    cd_cache.state[k].store(kCdSlotReady, std::memory_order_release);
    cd_cache.fill_index.store((k + 1) % kCdCacheSlots, std::memory_order_relaxed);
}

void cd_cache_fill(s32 sector, const std::function<void(std::span<u8, kCdRawSectorBytes>)>& read) {
    const auto slot = cd_cache_fill_begin(sector);
    if (sector >= 0 && read) read(slot);
    cd_cache_fill_end();
}

void cd_request_sector(u32 sector) { gui_post_to_frame(sector, kRequestCdReadSector); }

bool cd_cache_peek(u32 sector, std::span<u8, kCdRawSectorBytes> out) {
    const s32 wanted = static_cast<s32>(sector);
    for (u32 k = 0; k < kCdCacheSlots; ++k) {
        if (cd_cache.sector[k].load(std::memory_order_relaxed) != wanted) continue;
        std::atomic<u8>& slot = cd_cache.state[k];
        u8 s                  = slot.load(std::memory_order_relaxed);
        if ((s & kCdSlotReady) == 0) continue;
        if (!slot.compare_exchange_strong(s, static_cast<u8>(s | kCdSlotReading),
                                          std::memory_order_acquire, std::memory_order_relaxed))
            continue;
        // Ours until the reading bit is dropped; the filler may have reused the slot between
        // the look at its sector and the claim, so look again.
        const bool same = cd_cache.sector[k].load(std::memory_order_relaxed) == wanted;
        if (same) std::memcpy(out.data(), cd_cache.data[k].data(), kCdRawSectorBytes);
        slot.store(static_cast<u8>(same ? (s | kCdSlotTaken) : s), std::memory_order_release);
        if (same) return true;
    }
    return false;
}

bool cd_read_sector_cached(u32 sector, std::span<u8, kCdRawSectorBytes> out) {
    for (u32 looks = 1;; ++looks) {
        if (cd_cache_peek(sector, out)) return true;
        if (looks % kLooksBeforeRequestAgain == 0) {
            if (looks / kLooksBeforeRequestAgain > kRequestsWithoutThread && !emu_thread_alive())
                return false;
            cd_request_sector(sector);
        }
        if (!cd_cache_wait()) return false;
    }
}

void cd_clear_read_cache() {
    cd_cache.fill_index.store(0);
    for (u32 k = 0; k < kCdCacheSlots; ++k) {
        cd_cache.state[k].store(kCdSlotFilling);
        cd_cache.sector[k].store(-1);
        cd_cache.data[k].fill(0);
    }
}

// ---- table of contents ----

void cd_toc_set(CdToc& toc, u32 index, u8 track, u32 start, u8 control) {
    if (index >= kCdTocDescriptors) return;
    u8* d = toc.data() + descriptor_at(static_cast<s32>(index));
    d[0]  = 0;
    d[1]  = control;
    d[2]  = track;
    d[3]  = 0;
    d[4]  = static_cast<u8>(start >> 24);
    d[5]  = static_cast<u8>(start >> 16);
    d[6]  = static_cast<u8>(start >> 8);
    d[7]  = static_cast<u8>(start);
}

void cd_default_toc(CdToc& toc) {
    toc.fill(0);
    toc[2] = 1;
    toc[3] = 1;
    cd_toc_set(toc, 0, 1, 0, 0x04);
    cd_toc_set(toc, 1, 0xAA, 332999, 0x04);
}

void cd_read_toc() {
    cd_toc.fill(0);
    if (cd_toc_builder == nullptr || !cd_toc_builder(cd_toc)) cd_default_toc(cd_toc);
}

u8 cd_toc_first_track() { return cd_toc[2]; }
u8 cd_toc_last_track() { return cd_toc[3]; }

u32 cd_toc_start(s32 index) {
    if (!in_table(index)) return 0;
    const u8* d = cd_toc.data() + descriptor_at(index);
    return u32{d[4]} << 24 | u32{d[5]} << 16 | u32{d[6]} << 8 | d[7];
}

u8 cd_toc_control(s32 index) { return in_table(index) ? cd_toc[descriptor_at(index) + 1] : 0; }

s32 cd_track_lookup(u32 frame) {
    // The lead-out follows the last track; the descriptors after it are not part of the disc.
    const s32 lead_out = std::min<s32>(cd_toc_last_track(), kCdTocDescriptors - 1);
    for (s32 i = 0; i <= lead_out; ++i) {
        const u32 start = cd_toc_start(i);
        if (start == frame) return i;
        if (start > frame) return i - 1;
    }
    return lead_out;
}

}  // namespace varn
