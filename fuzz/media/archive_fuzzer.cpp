// Archive listing and entry reads on any bytes, through the bound zlib/unzip and libarchive
// libraries, as the Load ROM command reaches them: list the entries, select each name the
// list gave, and stream the first one, stopping where the sink says.
//
// Input: byte 0 bit 0 picks ZIP (0) or RAR (1); the rest is the archive file.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "media/archive.h"
#include "media/optional_libs.h"

namespace {

using namespace varn;

bool bound = [] {
    dll_bind_optional(LibraryBindOptions{});
    return zlib_available != 0 && unrar_available != 0;
}();

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!bound) std::abort();  // the libraries are needed to fuzz them
    if (size < 1) return 0;
    const bool rar = (data[0] & 1) != 0;
    const int fd   = memfd_create("archive", 0);
    if (fd < 0) std::abort();
    if (size > 1 && ::write(fd, data + 1, size - 1) != static_cast<ssize_t>(size - 1)) std::abort();
    const std::string path = "/proc/self/fd/" + std::to_string(fd);

    auto archive = rar ? open_rar_archive(path) : open_zip_archive(path);
    if (archive != nullptr) {
        std::vector<std::string> names;
        if (archive->list(names)) {
            for (std::size_t i = 0; i < names.size() && i < 8; ++i) {
                if (!archive->select(names[i])) continue;  // damaged past its directory
                if (i == 0) {
                    u64 taken = 0;
                    archive->read([&](std::span<const u8> chunk) {
                        taken += chunk.size();
                        return taken < 0x40000;
                    });
                }
            }
        }
    }
    ::close(fd);
    return 0;
}
