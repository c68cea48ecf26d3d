#include "romnamer/image_crc.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "base/crc32.h"

namespace varn {
namespace {

using namespace std::string_view_literals;

constexpr std::size_t kCopierHeaderSize = 512;

// One header test: the bytes of text at offset from the probed base. A probe holds when
// all its pieces do (an empty second piece always holds).
struct ProbePiece {
    u32 offset;
    std::string_view text;
};

struct Probe {
    ProbePiece first;
    ProbePiece second{};
};

bool piece_holds(std::span<const u8> base, const ProbePiece& piece) {
    if (piece.text.empty()) return true;
    if (piece.offset > base.size() || piece.text.size() > base.size() - piece.offset) {
        return false;
    }
    return std::memcmp(base.data() + piece.offset, piece.text.data(), piece.text.size()) == 0;
}

bool probe_holds(std::span<const u8> base, const Probe& probe) {
    return piece_holds(base, probe.first) && piece_holds(base, probe.second);
}

template <std::size_t N>
bool any_probe_holds(std::span<const u8> base, const std::array<Probe, N>& probes) {
    return std::any_of(probes.begin(), probes.end(),
                       [&](const Probe& p) { return probe_holds(base, p); });
}

// Interleaved blocks, probed from the start of the data after the copier header. The
// header's "SEGA" at 0x100 lands as "EA" at 0x80 (odd bytes, first 8 KB of the block) and
// "SG" at 0x2080 (even bytes, second 8 KB). The rest catch cartridges whose header text
// differs, by a text that is known to sit at that spot of their interleaved dump.
constexpr std::array<Probe, 14> kInterleavedProbes{{
    {{0x80, "EA"sv}, {0x2080, "SG"sv}},
    {{0xF0, "UZ(-01  "sv}},
    {{0x80, "SG"sv}, {0x2080, " E"sv}},
    {{0xF0, "OL R-AEAL"sv}},
    {{0xF3, "optrEtranet"sv}},
    {{0x100, "<\0\0<"sv}},
    {{0x90, "OEARC   "sv}},
    {{0x6708, " NTEBDKN"sv}},
    {{0x2C0, "so fCXP"sv}},
    {{0x90, "sio-Wyo "sv}},
    {{0x88, "SS  CAL "sv}},
    {{0x3648, "SG NEPIE"sv}},
    {{0x7, "\x1C\x0A\xB8\x0A"sv}},
    {{0x1CBE, "@TTI>"sv}},
}};

// Plain images: "SEGA" at 0x100, or the text of a cartridge whose header lacks it.
constexpr std::array<Probe, 14> kPlainProbes{{
    {{0x100, "SEGA"sv}},
    {{0x1E0, "QUIZ (G-3051"sv}},
    {{0x101, "SEGA"sv}},
    {{0x1E0, "WORLD PRO-B"sv}},
    {{0x120, "DEVILISH MAH"sv}},
    {{0xE40A, "SEGA"sv}},
    {{0x120, " OMEGA RAC"sv}},
    {{0x4E18, "BUDOKAN."sv}},
    {{0x588, " CDX PRO"sv}},
    {{0x120, "Ishido - "sv}},
    {{0x118, "(C)ACLD 1991"sv}},
    {{0x2C70, "DREAMWORK"sv}},
    {{0xF, "\x1C\x00\x0A\x5C"sv}},
    {{0x397F, "TETRIS"sv}},
}};

// Every probe reads inside the smallest work image, so a short image is probed against
// its zero padding rather than past the buffer.
constexpr bool probes_fit(std::size_t base, std::span<const Probe> probes) {
    for (const Probe& p : probes) {
        for (const ProbePiece& piece : {p.first, p.second}) {
            if (base + piece.offset + piece.text.size() > kNamerMinWorkSize) return false;
        }
    }
    return true;
}
static_assert(probes_fit(kCopierHeaderSize, kInterleavedProbes));
static_assert(probes_fit(0, kPlainProbes));

// A half-split image holds the odd bytes of the cartridge in its first half, so the
// "SEGA MEGA DRIVE" or "SEGA GENESIS" at 0x100 shows as "EA M" / "EA G" from 0x80.
bool is_half_split(std::span<const u8> image) {
    return image[0x80] == 'E' && image[0x81] == 'A' && (image[0x82] == 'M' || image[0x82] == 'G');
}

}  // namespace

bool namer_is_interleaved_image(std::span<const u8> base) {
    return any_probe_holds(base, kInterleavedProbes);
}

bool namer_has_plain_header(std::span<const u8> base) {
    return any_probe_holds(base, kPlainProbes);
}

bool namer_deinterleave(std::span<u8> data) {
    const std::size_t len = data.size();
    if (len < kNamerBlockSize) return false;
    const std::size_t blocks = (len + kNamerBlockSize - 1) / kNamerBlockSize;
    std::unique_ptr<u8[]> out(new (std::nothrow) u8[blocks * kNamerBlockSize]);
    if (!out) return false;

    // The last block may be partial; the bytes it lacks count as 0.
    const auto in               = [&](std::size_t i) -> u8 { return i < len ? data[i] : 0; };
    constexpr std::size_t kHalf = kNamerBlockSize / 2;
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::size_t o = b * kNamerBlockSize;
        for (std::size_t i = 0; i < kHalf; ++i) {
            out[o + 2 * i + 1] = in(o + i);
            out[o + 2 * i]     = in(o + kHalf + i);
        }
    }
    std::copy_n(out.get(), len, data.begin());
    return true;
}

bool namer_rejoin_half_split(std::span<u8> data) {
    const std::size_t len = data.size();
    if (len < kNamerBlockSize) return false;
    std::unique_ptr<u8[]> out(new (std::nothrow) u8[len]);
    if (!out) return false;

    const std::size_t half = len / 2;
    for (std::size_t i = 0; i < half; ++i) {
        out[2 * i]     = data[half + i];
        out[2 * i + 1] = data[i];
    }
    if (len % 2 != 0) out[len - 1] = data[len - 1];
    std::copy_n(out.get(), len, data.begin());
    return true;
}

u32 namer_rom_crc(std::span<u8> work, std::size_t n) {
    if (n < kNamerMinImageSize) return 0;
    if (work.size() < std::max(n, kNamerMinWorkSize)) return 0;

    // A copier header followed by interleaved blocks: the header is not part of the CRC.
    // This comes first, so an image that also passes the plain probes counts as interleaved.
    if (namer_is_interleaved_image(work.subspan(kCopierHeaderSize))) {
        const std::span<u8> data = work.subspan(kCopierHeaderSize, n - kCopierHeaderSize);
        return namer_deinterleave(data) ? crc32(data) : 0;
    }
    const std::span<u8> image = work.first(n);
    if (namer_has_plain_header(work)) return crc32(image);
    if (is_half_split(work)) return namer_rejoin_half_split(image) ? crc32(image) : 0;
    return 0;
}

u32 namer_image_crc(const u8* rom, u32 size, int swap) {
    if (rom == nullptr || size == 0) return 0;

    // Work in 64 bits: rounding the largest 32-bit size up to even must not wrap to 0.
    const u64 n64 = u64{size} + (size & 1u);
    if constexpr (sizeof(std::size_t) < sizeof(u64)) {
        if (n64 > static_cast<u64>(static_cast<std::size_t>(-1))) return 0;
    }
    const auto n                = static_cast<std::size_t>(n64);
    const std::size_t work_size = std::max(n, kNamerMinWorkSize);
    std::unique_ptr<u8[]> work(new (std::nothrow) u8[work_size]());
    if (!work) return 0;

    if (swap == 1) {
        // Byte-swapped dumps: the two bytes of every 16-bit word change places. An odd
        // last byte pairs with the 0 that pads the image.
        for (std::size_t i = 0; i < size; i += 2) {
            const u8 hi = rom[i];
            const u8 lo = i + 1 < size ? rom[i + 1] : 0;
            work[i]     = lo;
            work[i + 1] = hi;
        }
    } else {
        std::memcpy(work.get(), rom, size);
    }
    return namer_rom_crc({work.get(), work_size}, n);
}

}  // namespace varn
