#include "media/image_decoder.h"

#include <algorithm>
#include <cstring>

#include "media/load_detect.h"

namespace varn {

u64 decoded_image_size(u32 type, u64 source_size) {
    switch (type) {
        case kLoadInterleaved:
            // The limit applies to the image, after its header: a full 4 MB image in the
            // copier layout is 4 MB + 512 bytes long.
            return std::min<u64>(
                source_size > kInterleavedHeader ? source_size - kInterleavedHeader : 0,
                kCartImageLimit);
        case kLoadHalfSplit:
            return std::min<u64>(source_size, kCartImageLimit);
        default:
            return source_size;
    }
}

void ImageDecoder::start(u32 type, u64 source_size, std::span<u8> dest, u64 offset,
                         bool whole_blocks_only) {
    type_        = type;
    source_size_ = source_size;
    dest_        = dest;
    offset_      = offset;
    consumed_    = 0;
    data_size_   = decoded_image_size(type, source_size);
    if (type == kLoadInterleaved && whole_blocks_only) {
        data_size_ -= data_size_ % kInterleavedBlock;
    }
    compute_needed();
}

void ImageDecoder::compute_needed() {
    needed_ = 0;
    if (dest_.empty()) return;
    const u64 last = offset_ + dest_.size() - 1;  // last decoded byte wanted
    switch (type_) {
        case kLoadInterleaved: {
            if (offset_ >= data_size_) return;
            const u64 block_end = (last / kInterleavedBlock + 1) * kInterleavedBlock;
            needed_             = kInterleavedHeader + std::min(data_size_, block_end);
            break;
        }
        case kLoadHalfSplit:
            // The even bytes come from the second half: the whole image is needed.
            needed_ = offset_ < data_size_ ? data_size_ : 0;
            break;
        case kLoadRawCd:
            needed_ = (last / kCdSectorBytes) * kRawSectorBytes + kRawSectorDataStart +
                      last % kCdSectorBytes + 1;
            break;
        default:
            needed_ = last + 1;
            break;
    }
    needed_ = std::min(needed_, source_size_);
}

s64 ImageDecoder::decoded_position(u64 pos) const {
    switch (type_) {
        case kLoadInterleaved: {
            if (pos < kInterleavedHeader) return -1;
            const u64 data = pos - kInterleavedHeader;
            if (data >= data_size_) return -1;
            const u64 base = data - data % kInterleavedBlock;
            // A last, partial block is split at its middle like a whole one.
            const u64 block = std::min<u64>(kInterleavedBlock, data_size_ - base);
            const u64 split = block / 2;
            const u64 q     = data - base;
            return static_cast<s64>(q < split ? base + 2 * q + 1 : base + 2 * (q - split));
        }
        case kLoadHalfSplit: {
            if (pos >= data_size_) return -1;
            const u64 half = data_size_ / 2;
            return static_cast<s64>(pos < half ? 2 * pos + 1 : 2 * (pos - half));
        }
        case kLoadRawCd: {
            const u64 within = pos % kRawSectorBytes;
            if (within < kRawSectorDataStart || within >= kRawSectorDataStart + kCdSectorBytes) {
                return -1;
            }
            return static_cast<s64>((pos / kRawSectorBytes) * kCdSectorBytes + within -
                                    kRawSectorDataStart);
        }
        default:
            return static_cast<s64>(pos);
    }
}

bool ImageDecoder::feed(std::span<const u8> chunk) {
    if (done()) return false;
    const u64 take = std::min<u64>(chunk.size(), needed_ - consumed_);
    const u64 end  = offset_ + dest_.size();
    if (type_ == kLoadPlain || type_ == kLoadCueSheet) {
        // One copy of the part of the chunk that falls in the window.
        const u64 from = std::max(consumed_, offset_);
        const u64 to   = std::min(consumed_ + take, end);
        if (from < to) {
            std::memcpy(dest_.data() + (from - offset_), chunk.data() + (from - consumed_),
                        static_cast<std::size_t>(to - from));
        }
    } else {
        for (u64 i = 0; i < take; ++i) {
            const s64 d = decoded_position(consumed_ + i);
            if (d < 0) continue;
            const u64 at = static_cast<u64>(d);
            if (at >= offset_ && at < end) dest_[static_cast<std::size_t>(at - offset_)] = chunk[i];
        }
    }
    consumed_ += take;
    return !done();
}

}  // namespace varn
