#pragma once
// Bounds-checked readers and writers over byte spans, for every format that comes from
// outside the program (state files, patches, cue sheets, demo streams...). A read or write
// that would pass the end fails, returns false and leaves the position where it was; it
// never touches memory outside the span.

#include <cstring>
#include <span>

#include "base/endian.h"
#include "base/types.h"

namespace varn {

class ByteReader {
  public:
    constexpr ByteReader() = default;
    constexpr explicit ByteReader(std::span<const u8> data) : data_(data) {}

    constexpr std::size_t position() const { return pos_; }
    constexpr std::size_t size() const { return data_.size(); }
    constexpr std::size_t remaining() const { return data_.size() - pos_; }
    constexpr bool at_end() const { return pos_ == data_.size(); }
    constexpr std::span<const u8> data() const { return data_; }

    // Moves to an absolute position; fails (position unchanged) beyond the end.
    constexpr bool seek(std::size_t pos) {
        if (pos > data_.size()) return false;
        pos_ = pos;
        return true;
    }
    constexpr bool skip(std::size_t n) {
        if (n > remaining()) return false;
        pos_ += n;
        return true;
    }

    constexpr bool read_u8(u8& out) {
        return take(1, [&](const u8* p) { out = p[0]; });
    }
    constexpr bool read_be16(u16& out) {
        return take(2, [&](const u8* p) { out = load_be16(p); });
    }
    constexpr bool read_be32(u32& out) {
        return take(4, [&](const u8* p) { out = load_be32(p); });
    }
    constexpr bool read_le16(u16& out) {
        return take(2, [&](const u8* p) { out = load_le16(p); });
    }
    constexpr bool read_le32(u32& out) {
        return take(4, [&](const u8* p) { out = load_le32(p); });
    }

    // Copies out.size() bytes, or fails without copying anything.
    bool read_bytes(std::span<u8> out) {
        return take(out.size(), [&](const u8* p) {
            if (!out.empty()) std::memcpy(out.data(), p, out.size());
        });
    }
    // A view of the next n bytes, consumed; fails when fewer remain.
    constexpr bool read_view(std::size_t n, std::span<const u8>& out) {
        return take(n, [&](const u8* p) { out = std::span<const u8>(p, n); });
    }

  private:
    template <class Fn>
    constexpr bool take(std::size_t n, Fn&& fn) {
        if (n > remaining()) return false;
        fn(data_.data() + pos_);
        pos_ += n;
        return true;
    }

    std::span<const u8> data_{};
    std::size_t pos_ = 0;
};

class ByteWriter {
  public:
    constexpr ByteWriter() = default;
    constexpr explicit ByteWriter(std::span<u8> data) : data_(data) {}

    constexpr std::size_t position() const { return pos_; }
    constexpr std::size_t size() const { return data_.size(); }
    constexpr std::size_t remaining() const { return data_.size() - pos_; }
    // The bytes written so far.
    constexpr std::span<u8> written() const { return data_.first(pos_); }

    constexpr bool seek(std::size_t pos) {
        if (pos > data_.size()) return false;
        pos_ = pos;
        return true;
    }

    constexpr bool write_u8(u8 v) {
        return put(1, [&](u8* p) { p[0] = v; });
    }
    constexpr bool write_be16(u16 v) {
        return put(2, [&](u8* p) { store_be16(p, v); });
    }
    constexpr bool write_be32(u32 v) {
        return put(4, [&](u8* p) { store_be32(p, v); });
    }
    constexpr bool write_le16(u16 v) {
        return put(2, [&](u8* p) { store_le16(p, v); });
    }
    constexpr bool write_le32(u32 v) {
        return put(4, [&](u8* p) { store_le32(p, v); });
    }
    bool write_bytes(std::span<const u8> in) {
        return put(in.size(), [&](u8* p) {
            if (!in.empty()) std::memcpy(p, in.data(), in.size());
        });
    }
    // Writes n copies of v.
    bool fill(std::size_t n, u8 v) {
        return put(n, [&](u8* p) { std::memset(p, v, n); });
    }

  private:
    template <class Fn>
    constexpr bool put(std::size_t n, Fn&& fn) {
        if (n > remaining()) return false;
        fn(data_.data() + pos_);
        pos_ += n;
        return true;
    }

    std::span<u8> data_{};
    std::size_t pos_ = 0;
};

}  // namespace varn
