#pragma once
// A 16-bit mono PCM WAV file written as the frames' samples arrive. The header is written
// field by field, little-endian, with its sizes patched when the file is closed.

#include <cstdio>
#include <string>

#include "base/types.h"

namespace varn {

class WavWriter {
  public:
    WavWriter()                            = default;
    WavWriter(const WavWriter&)            = delete;
    WavWriter& operator=(const WavWriter&) = delete;
    ~WavWriter();

    // Creates the file with a header for `rate` samples a second. Returns an error text,
    // empty on success.
    std::string open(const std::string& path, u32 rate);
    // Appends samples (host-order 16-bit values); false once a write has failed.
    bool write(const s16* samples, u32 count);
    // Patches the sizes and closes the file. Returns an error text, empty on success.
    std::string close();

    bool is_open() const { return file_ != nullptr; }
    u32 samples_written() const { return data_bytes_ / 2; }

  private:
    bool write_header(u32 data_bytes);

    std::FILE* file_ = nullptr;
    std::string path_;
    u32 rate_       = 0;
    u32 data_bytes_ = 0;
    bool failed_    = false;
};

}  // namespace varn
