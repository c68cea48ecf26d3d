#pragma once
// Archives that hold images: ZIP through zlib's unzip functions and RAR through
// libarchive, both bound at run time (see optional_libs.h). An archive lists its entries,
// selects one by name (case-insensitive, as the file systems the archives come from) and
// streams the selected entry's data in chunks to a sink until the sink has what it wants.

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/types.h"

namespace varn {

// Returns false to stop the stream.
using ChunkSink = std::function<bool(std::span<const u8>)>;

class ImageArchive {
  public:
    virtual ~ImageArchive() = default;
    // Every entry's name as stored (folders included), in archive order. False when the
    // archive cannot be read.
    virtual bool list(std::vector<std::string>& names) = 0;
    // Positions on the first entry named `name`, ignoring case. False when there is none.
    virtual bool select(const std::string& name) = 0;
    // The selected entry's unpacked size as the archive records it.
    virtual u64 entry_size() const = 0;
    // Streams the selected entry. False when the data could not be unpacked (a damaged
    // archive); the chunks delivered until then stay delivered.
    virtual bool read(const ChunkSink& sink) = 0;
};

// Null when the library is not bound or the file is not such an archive.
std::unique_ptr<ImageArchive> open_zip_archive(const std::string& path);
std::unique_ptr<ImageArchive> open_rar_archive(const std::string& path);

// Bytes handed to the sink at a time.
inline constexpr u32 kZipChunkBytes = 0x100000;

}  // namespace varn
