#pragma once
// Writing a whole file so that a failure never destroys what was there: the bytes go to a
// temporary file in the same folder, are flushed, and only then replace the old file with
// one rename, after which the folder is synced too. A full disk, a read-only folder or a
// failed write leaves the older file as it was and reports why. The new file keeps the older
// file's permissions (a new one takes the umask's); a symbolic link is written through, so
// the file it points to is replaced and the link stays.

#include <filesystem>
#include <span>
#include <string>

#include "base/types.h"

namespace varn {

struct FileWriteResult {
    bool ok = false;
    std::string error;  // what failed, for the user; empty on success
    explicit operator bool() const { return ok; }
};

FileWriteResult write_file_replacing(const std::filesystem::path& path, std::span<const u8> bytes);

// The same for a file written piece by piece over a long time (a sound log): the pieces go
// to the temporary file as they come, and commit() flushes it and puts it in the target's
// place. Until then the target is untouched; a file dropped or destroyed uncommitted leaves
// no trace. After a failed write every later call fails too, and commit() reports the first
// error.
class ReplacingFile {
  public:
    ReplacingFile()                                = default;
    ReplacingFile(const ReplacingFile&)            = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    ~ReplacingFile() { discard(); }

    // Creates the temporary file beside `path`.
    FileWriteResult open(const std::filesystem::path& path);
    bool is_open() const { return fd_ >= 0; }
    // Appends at the end.
    bool append(std::span<const u8> bytes);
    // Overwrites bytes already written, at `offset` from the start (a header's sizes).
    bool write_at(u64 offset, std::span<const u8> bytes);
    // Flushes, closes and renames; the file is closed whatever the result.
    FileWriteResult commit();
    // Closes and removes the temporary file.
    void discard();

  private:
    FileWriteResult fail(const char* what, int err);

    int fd_ = -1;
    std::filesystem::path path_;    // as the caller named it (for messages)
    std::filesystem::path target_;  // the file replaced: the path with its links followed
    std::string temp_;
    bool keep_mode_ = false;
    unsigned mode_  = 0;
    int error_      = 0;  // errno of the first failed write, 0 while all is well
};

}  // namespace varn
