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

FileWriteResult ReplacingFile::fail(const char* what, int err) {
    discard();
    return failure(path_, what, err);
}

FileWriteResult ReplacingFile::open(const std::filesystem::path& path) {
    discard();
    path_  = path;
    error_ = 0;
    // mkstemp wants a writable template ending in six X's, beside the target so that the
    // rename stays within one file system.
    temp_ = path.string() + ".XXXXXX";
    fd_   = ::mkstemp(temp_.data());
    if (fd_ < 0) return failure(path, "cannot write", errno);
    return {true, {}};
}

bool ReplacingFile::append(std::span<const u8> bytes) {
    if (fd_ < 0 || error_ != 0) return false;
    if (!write_all(fd_, bytes)) error_ = errno != 0 ? errno : EIO;
    return error_ == 0;
}

bool ReplacingFile::write_at(u64 offset, std::span<const u8> bytes) {
    if (fd_ < 0 || error_ != 0) return false;
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    const bool ok   = end >= 0 && ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) >= 0 &&
                    write_all(fd_, bytes) && ::lseek(fd_, end, SEEK_SET) >= 0;
    if (!ok) error_ = errno != 0 ? errno : EIO;
    return ok;
}

FileWriteResult ReplacingFile::commit() {
    if (fd_ < 0) return failure(path_, "cannot write", EBADF);
    if (error_ != 0) return fail("cannot write", error_);
    if (::fsync(fd_) != 0) return fail("cannot write", errno);
    // mkstemp creates the file 0600; a saved file should be as readable as any other.
    ::fchmod(fd_, 0644);
    const int fd = fd_;
    fd_          = -1;
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp_.c_str());
        return failure(path_, "cannot write", err);
    }
    if (::rename(temp_.c_str(), path_.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp_.c_str());
        return failure(path_, "cannot replace", err);
    }
    return {true, {}};
}

void ReplacingFile::discard() {
    if (fd_ < 0) return;
    ::close(fd_);
    ::unlink(temp_.c_str());
    fd_ = -1;
}

FileWriteResult write_file_replacing(const std::filesystem::path& path, std::span<const u8> bytes) {
    ReplacingFile file;
    if (auto opened = file.open(path); !opened) return opened;
    file.append(bytes);
    return file.commit();
}

}  // namespace varn
