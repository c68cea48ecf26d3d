#pragma once
// CD times and the table of contents as the drive layer reads them. A time is packed BCD
// 0x00MMSSFF (minutes, seconds, frames, two decimal digits each); a frame count runs 75
// frames a second from 00:00:00. The table is a READ TOC answer: a 4-byte header (data
// length, first track, last track) and up to 100 descriptors of 8 bytes {reserved,
// ADR/control, track number, reserved, big-endian start block}, the lead-out after the
// last track.

#include <span>

#include "base/types.h"

namespace varn {

inline constexpr u32 kFramesPerSecond = 75;
inline constexpr u32 kFramesPerMinute = 75 * 60;
inline constexpr u32 kTocHeaderBytes  = 4;
inline constexpr u32 kTocEntryBytes   = 8;
inline constexpr u32 kTocEntries      = 100;
inline constexpr u32 kTocLeadOutTrack = 0xAA;
inline constexpr u32 kTocDataControl  = 0x14;  // ADR 1, data track
inline constexpr u32 kTocAudioControl = 0x10;  // ADR 1, audio track

// Digit by digit: F + 10 F' + 75 S + 750 S' + 4500 M + 45000 M'.
constexpr u32 bcd_msf_to_frames(u32 bcd) {
    const u32 f = (bcd & 0x0F) + 10 * ((bcd >> 4) & 0x0F);
    const u32 s = ((bcd >> 8) & 0x0F) + 10 * ((bcd >> 12) & 0x0F);
    const u32 m = ((bcd >> 16) & 0x0F) + 10 * ((bcd >> 20) & 0x0F);
    return f + kFramesPerSecond * s + kFramesPerMinute * m;
}

// The minutes' tens digit keeps four bits, so a count of 100 minutes or more wraps.
constexpr u32 frames_to_bcd_msf(u32 frames) {
    const u32 f = frames % kFramesPerSecond;
    const u32 s = (frames / kFramesPerSecond) % 60;
    const u32 m = frames / kFramesPerMinute;
    return (f % 10) | (f / 10) << 4 | (s % 10) << 8 | (s / 10) << 12 | (m % 10) << 16 |
           ((m / 10) & 0x0F) << 20;
}

// Start block of descriptor `index` (0-99) of a table.
u32 toc_entry_start(std::span<const u8> toc, u32 index);

// The descriptor that holds frame `frames`: the first whose start equals it, else the one
// before the first whose start exceeds it, else the last of the 100. Returns its byte
// offset in the descriptor list (a multiple of 8); below the first descriptor's start the
// offset is -8.
s32 toc_find_track(std::span<const u8> toc, u32 frames);

}  // namespace varn
