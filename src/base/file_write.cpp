#include "base/file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace varn {

namespace {

FileWriteResult failure(const std::filesystem::path& path, const char* what, int err) {
    return {false, std::string(what) + " " + path.string() + ": " + std::strerror(err)};
}

bool write_all(int fd, std::span<const u8> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes = bytes.subspan(static_cast<size_t>(n));
    }
    return true;
}

}  // namespace

FileWriteResult write_file_replacing(const std::filesystem::path& path, std::span<const u8> bytes) {
    // mkstemp wants a writable template ending in six X's, beside the target so that the
    // rename stays within one file system.
    std::string temp = path.string() + ".XXXXXX";
    const int fd     = ::mkstemp(temp.data());
    if (fd < 0) return failure(path, "cannot write", errno);

    const bool written  = write_all(fd, bytes) && ::fsync(fd) == 0;
    const int write_err = errno;
    // mkstemp creates the file 0600; a saved file should be as readable as any other.
    (void)::fchmod(fd, 0644);
    if (::close(fd) != 0 || !written) {
        const int err = written ? errno : write_err;
        ::unlink(temp.c_str());
        return failure(path, "cannot write", err);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        return failure(path, "cannot replace", err);
    }
    return {true, {}};
}

}  // namespace varn
