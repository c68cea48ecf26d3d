#include "base/file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>

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

// The file a path names after its symbolic links: a link is replaced through, never by a
// plain file of its own name. A dangling link names the file it would create; a loop stops
// at the last link followed (the rename then replaces that link).
std::filesystem::path link_target(const std::filesystem::path& path) {
    std::filesystem::path p = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(p, ec)) || ec) break;
        const std::filesystem::path link = std::filesystem::read_symlink(p, ec);
        if (ec) break;
        p = link.is_absolute() ? link : p.parent_path() / link;
    }
    return p;
}

void sync_folder(const std::filesystem::path& file) {
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    const int fd                       = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

}  // namespace

FileWriteResult ReplacingFile::fail(const char* what, int err) {
    discard();
    return failure(path_, what, err);
}

FileWriteResult ReplacingFile::open(const std::filesystem::path& path) {
    discard();
    path_   = path;
    target_ = link_target(path);
    error_  = 0;
    // The file that is replaced keeps its permissions; a new one gets what the umask lets a
    // plain file have, as any program's new file does.
    struct stat st {};
    keep_mode_ = ::stat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    mode_      = keep_mode_ ? st.st_mode & 07777 : 0;
    // Beside the target, so that the rename stays within one file system; created by name
    // (not mkstemp, which makes it 0600) with the mode a new file takes.
    static std::atomic<u32> serial{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp_ = target_.string() + "." + std::to_string(::getpid()) + "-" +
                std::to_string(serial.fetch_add(1)) + ".tmp";
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0 || errno != EEXIST) break;
    }
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
    if (keep_mode_ && ::fchmod(fd_, mode_) != 0) return fail("cannot write", errno);
    if (::fsync(fd_) != 0) return fail("cannot write", errno);
    const int fd = fd_;
    fd_          = -1;
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp_.c_str());
        return failure(path_, "cannot write", err);
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp_.c_str());
        return failure(path_, "cannot replace", err);
    }
    // The rename lives in the folder: sync it too, so that a crash now cannot bring back the
    // older file (or none). The new file is in place whatever this says; a file system that
    // cannot sync a folder has nothing more to write.
    sync_folder(target_);
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
