#pragma once
// Writing a whole file so that a failure never destroys what was there: the bytes go to a
// temporary file in the same folder, are flushed, and only then replace the old file with
// one rename. A full disk, a read-only folder or a failed write leaves the older file as it
// was and reports why.

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

}  // namespace varn
