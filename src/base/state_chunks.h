#pragma once
// The one form of every block of a saved state: a list of chunk kinds, in the order the
// block writes them, each with its id, the data length a load needs at least, the writer of
// the whole chunk and the loader that applies it. The same list writes the block and reads
// it back, so a block's layout is written once.
//
//   chunk    id (W bytes, the first one counts), u32 length, data   (little-endian)
//
// A chunk made of a record's fields names them once in a field list, `template <class F>
// void fields(F& f)`, which FieldWriter, FieldReader and FieldSizer walk alike.

#include <array>
#include <span>

#include "base/byte_io.h"
#include "base/endian.h"
#include "base/types.h"

namespace varn {

inline constexpr u32 kStateLengthBytes = 4;
inline constexpr u32 kStateMaxIdWidth  = 4;

// How a chunk loader is applied: a normal load, or putting back the snapshot of a failed one.
enum class StateApply { kLoad, kRestore };

// A chunk as the walk hands it over: the whole chunk (id, length, data) and its data.
struct StateChunk {
    u8 id = 0;
    std::span<const u8> whole;
    std::span<const u8> data;
};

struct StateChunkKind {
    u8 id          = 0;
    u32 min_length = 0;  // data bytes a load needs at least
    // Writes the whole chunk (ids `width` bytes wide); true when written or when the chunk
    // has nothing to write this time. Null: a chunk that is read but never written.
    bool (*save)(ByteWriter& out, u32 width) = nullptr;
    // Applies a chunk that passed the walk's checks; 0 success. Null: taken as it is (a
    // chunk that is compared or skipped).
    s32 (*load)(const StateChunk& chunk, u32 width, StateApply mode) = nullptr;
};

// The kind of `id` in a block's list, or null when the block has no such chunk.
inline const StateChunkKind* state_chunk_kind(std::span<const StateChunkKind> kinds, u8 id) {
    for (const StateChunkKind& kind : kinds)
        if (kind.id == id) return &kind;
    return nullptr;
}

// Writes a chunk header: the id as a `width`-byte little-endian number, then the length;
// false (nothing meaningful written) when `out` has no room for the whole chunk.
inline bool state_write_chunk_header(ByteWriter& out, u8 id, u32 width, u32 length) {
    if (out.remaining() < width + kStateLengthBytes + length) return false;
    if (!out.write_u8(id)) return false;
    for (u32 i = 1; i < width; ++i)
        if (!out.write_u8(0)) return false;
    return out.write_le32(length);
}

// A chunk of raw bytes (a memory image).
inline bool state_write_bytes(ByteWriter& out, u8 id, u32 width, std::span<const u8> bytes) {
    return state_write_chunk_header(out, id, width, static_cast<u32>(bytes.size())) &&
           out.write_bytes(bytes);
}

// Every chunk of the list, in its order.
inline bool state_save_chunks(ByteWriter& out, std::span<const StateChunkKind> kinds, u32 width) {
    for (const StateChunkKind& kind : kinds)
        if (kind.save != nullptr && !kind.save(out, width)) return false;
    return true;
}

// Walks the chunks of a block's contents, calling `visit(const StateChunk&, const
// StateChunkKind&)` for each; stops at the first it refuses. False when a chunk's header or
// data run past the block, its id is not in the list or it is shorter than its kind needs.
// An empty block holds no chunk.
template <class Visit>
bool state_walk_chunks(std::span<const u8> block, u32 width, std::span<const StateChunkKind> kinds,
                       Visit&& visit) {
    std::size_t pos = 0;
    while (pos < block.size()) {
        const std::size_t left = block.size() - pos;
        if (left < width + kStateLengthBytes) return false;
        const u8 id      = block[pos];
        const u32 length = load_le32(&block[pos + width]);
        if (length > left - width - kStateLengthBytes) return false;
        const StateChunkKind* kind = state_chunk_kind(kinds, id);
        if (kind == nullptr || length < kind->min_length) return false;
        const std::size_t total = width + kStateLengthBytes + length;
        const StateChunk chunk{id, block.subspan(pos, total),
                               block.subspan(pos + width + kStateLengthBytes, length)};
        if (!visit(chunk, *kind)) return false;
        pos += total;
    }
    return true;
}

// ---- Field lists -------------------------------------------------------------------------

struct FieldWriter {
    ByteWriter& w;
    bool ok = true;
    void operator()(u8& v) { ok = w.write_u8(v) && ok; }
    void operator()(u16& v) { ok = w.write_le16(v) && ok; }
    void operator()(u32& v) { ok = w.write_le32(v) && ok; }
    void operator()(s32& v) { ok = w.write_le32(static_cast<u32>(v)) && ok; }
    template <std::size_t N>
    void operator()(std::array<u8, N>& a) {
        ok = w.write_bytes(a) && ok;
    }
};

struct FieldReader {
    ByteReader r;
    void operator()(u8& v) { r.read_u8(v); }
    void operator()(u16& v) { r.read_le16(v); }
    void operator()(u32& v) { r.read_le32(v); }
    void operator()(s32& v) {
        u32 u = 0;
        r.read_le32(u);
        v = static_cast<s32>(u);
    }
    template <std::size_t N>
    void operator()(std::array<u8, N>& a) {
        r.read_bytes(a);
    }
};

struct FieldSizer {
    u32 bytes = 0;
    void operator()(u8&) { bytes += 1; }
    void operator()(u16&) { bytes += 2; }
    void operator()(u32&) { bytes += 4; }
    void operator()(s32&) { bytes += 4; }
    template <std::size_t N>
    void operator()(std::array<u8, N>&) {
        bytes += N;
    }
};

// The bytes a field list takes: `Fields` is the list's FieldSizer instance.
template <void (*Fields)(FieldSizer&)>
u32 state_fields_size() {
    FieldSizer s;
    Fields(s);
    return s.bytes;
}

// Chunk `Id` holding a field list: header, then the fields.
template <u8 Id, void (*Fields)(FieldSizer&), void (*Write)(FieldWriter&)>
bool state_write_fields(ByteWriter& out, u32 width) {
    if (!state_write_chunk_header(out, Id, width, state_fields_size<Fields>())) return false;
    FieldWriter fw{out};
    Write(fw);
    return fw.ok;
}

// Reads a field list from a chunk's data (at least as long as the list).
template <void (*Read)(FieldReader&)>
void state_read_fields(std::span<const u8> data) {
    FieldReader fr{ByteReader(data)};
    Read(fr);
}

}  // namespace varn
