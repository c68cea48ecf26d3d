// Header tests and decoders on any bytes. The same bytes go through the file form (an
// in-memory file read by the plain-file readers) and the stream form (the chunk decoder fed
// in chunks of a size the input chooses); both must place the same bytes, and the header
// tests must give the same answer on the file and on its first chunk.
//
// Input: byte 0 the layout (1-4), byte 1 the chunk size (1-256 x 64 bytes), bytes 2-3 the
// decoded offset of the window in 16-byte steps; the rest is the file.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/endian.h"
#include "media/image_decoder.h"
#include "media/image_loader.h"
#include "media/load_detect.h"

namespace {

using namespace varn;

constexpr std::size_t kWindow = 0x10000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const u32 type          = 1 + data[0] % 4;
    const std::size_t chunk = (1 + data[1]) * 64u;
    const u64 offset        = u64{load_be16(data + 2)} * 16;
    const std::span<const u8> file(data + 4, size - 4);

    const int fd = memfd_create("image", 0);
    if (fd < 0) std::abort();
    if (!file.empty() &&
        ::write(fd, file.data(), file.size()) != static_cast<ssize_t>(file.size())) {
        std::abort();
    }

    // Header tests: the file and its bytes in memory agree.
    const LoadKind from_file = probe_all(FileProbeSource(fd, file.size()));
    if (!(from_file == probe_all(SpanProbeSource(file)))) std::abort();

    // File form.
    std::vector<u8> by_file(kWindow, 0xA5), by_stream(kWindow, 0xA5);
    image_loader.image_source    = kSourceFile;
    image_loader.image_file      = fd;
    image_loader.image_file_size = file.size();
    image_loader.load_type       = type;
    const u32 file_ok            = rom_stream_file(by_file, offset);
    const u64 image_size         = image_loader.image_size;
    image_loader.image_file      = -1;
    image_loader.image_source    = kSourceNone;
    ::close(fd);

    // Stream form of the same window.
    ImageDecoder decoder;
    const u64 window = offset <= image_size ? std::min<u64>(kWindow, image_size - offset) : 0;
    decoder.start(type, file.size(), std::span(by_stream).first(window), offset);
    for (std::size_t at = 0;
         at < file.size() && decoder.feed(file.subspan(at, std::min(chunk, file.size() - at)));
         at += chunk) {
    }
    if (decoder.consumed() > decoder.needed() || decoder.needed() > file.size()) std::abort();

    // The plain-file reader of the copier layout leaves a last, partial block out; the
    // stream places it. Everything else is the same.
    const bool partial_block =
        type == kLoadInterleaved && decoded_image_size(type, file.size()) % kInterleavedBlock != 0;
    if (file_ok != 0 && !partial_block && by_file != by_stream) std::abort();
    return 0;
}
