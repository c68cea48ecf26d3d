#include "media/archive.h"

#include <vector>

#include "media/load_detect.h"
#include "media/optional_libs.h"

namespace varn {

namespace {

class ZipArchive final : public ImageArchive {
  public:
    explicit ZipArchive(unzFile handle) : handle_(handle) {}
    ~ZipArchive() override { zlib_lib.unzClose(handle_); }

    bool list(std::vector<std::string>& names) override {
        names.clear();
        int rc = zlib_lib.unzGoToFirstFile(handle_);
        while (rc == UNZ_OK) {
            std::string name;
            if (!current_name(name)) return false;
            names.push_back(std::move(name));
            rc = zlib_lib.unzGoToNextFile(handle_);
        }
        return rc == UNZ_END_OF_LIST_OF_FILE;
    }

    // Walks the directory comparing whole names: the library's own look-up refuses names
    // of 256 characters or more.
    bool select(const std::string& wanted) override {
        selected_ = false;
        for (int rc = zlib_lib.unzGoToFirstFile(handle_); rc == UNZ_OK;
             rc     = zlib_lib.unzGoToNextFile(handle_)) {
            std::string name;
            if (!current_name(name)) return false;
            if (equal_nocase(name, wanted)) {
                unz_file_info info{};
                if (zlib_lib.unzGetCurrentFileInfo(handle_, &info, nullptr, 0, nullptr, 0, nullptr,
                                                   0) != UNZ_OK) {
                    return false;
                }
                size_     = info.uncompressed_size;
                selected_ = true;
                return true;
            }
        }
        return false;
    }

    u64 entry_size() const override { return selected_ ? size_ : 0; }

    bool read(const ChunkSink& sink) override {
        if (!selected_ || zlib_lib.unzOpenCurrentFile(handle_) != UNZ_OK) return false;
        std::vector<u8> buffer(kZipChunkBytes);
        bool ok = true;
        for (;;) {
            const int n = zlib_lib.unzReadCurrentFile(handle_, buffer.data(),
                                                      static_cast<unsigned>(buffer.size()));
            if (n < 0) {
                ok = false;
                break;
            }
            if (n == 0) break;
            if (!sink(std::span<const u8>(buffer.data(), static_cast<std::size_t>(n)))) break;
        }
        zlib_lib.unzCloseCurrentFile(handle_);
        return ok;
    }

  private:
    // The current entry's name at its full length.
    bool current_name(std::string& name) {
        unz_file_info info{};
        if (zlib_lib.unzGetCurrentFileInfo(handle_, &info, nullptr, 0, nullptr, 0, nullptr, 0) !=
            UNZ_OK) {
            return false;
        }
        std::vector<char> text(info.size_filename + 1, '\0');
        if (zlib_lib.unzGetCurrentFileInfo(handle_, &info, text.data(),
                                           static_cast<uLong>(text.size()), nullptr, 0, nullptr,
                                           0) != UNZ_OK) {
            return false;
        }
        // A NUL inside a stored name ends it, as it would for any file system.
        name.assign(text.data());
        return true;
    }

    unzFile handle_;
    bool selected_ = false;
    u64 size_      = 0;
};

// RAR archives are read through libarchive, which reads entries in order: listing and
// selection each start from the archive's beginning.
class RarArchive final : public ImageArchive {
  public:
    explicit RarArchive(std::string path) : path_(std::move(path)) {}
    ~RarArchive() override { close(); }

    bool open() {
        close();
        handle_ = archive_lib.archive_read_new();
        if (handle_ == nullptr) return false;
        archive_lib.archive_read_support_format_rar(handle_);
        archive_lib.archive_read_support_format_rar5(handle_);
        if (archive_lib.archive_read_open_filename(handle_, path_.c_str(), 0x10000) != ARCHIVE_OK) {
            close();
            return false;
        }
        return true;
    }

    bool list(std::vector<std::string>& names) override {
        names.clear();
        if (!open()) return false;
        archive_entry* entry = nullptr;
        int rc               = ARCHIVE_OK;
        while ((rc = archive_lib.archive_read_next_header(handle_, &entry)) == ARCHIVE_OK ||
               rc == ARCHIVE_WARN) {
            const char* name = archive_lib.archive_entry_pathname(entry);
            names.emplace_back(name != nullptr ? name : "");
        }
        close();
        return rc == ARCHIVE_EOF;
    }

    bool select(const std::string& wanted) override {
        selected_ = false;
        if (!open()) return false;
        archive_entry* entry = nullptr;
        int rc               = ARCHIVE_OK;
        while ((rc = archive_lib.archive_read_next_header(handle_, &entry)) == ARCHIVE_OK ||
               rc == ARCHIVE_WARN) {
            const char* name = archive_lib.archive_entry_pathname(entry);
            if (name != nullptr && equal_nocase(name, wanted)) {
                const bool known      = archive_lib.archive_entry_size_is_set(entry) != 0;
                const la_int64_t size = archive_lib.archive_entry_size(entry);
                size_                 = known && size > 0 ? static_cast<u64>(size) : 0;
                selected_             = true;
                return true;
            }
        }
        close();
        return false;
    }

    u64 entry_size() const override { return selected_ ? size_ : 0; }

    bool read(const ChunkSink& sink) override {
        if (!selected_ || handle_ == nullptr) return false;
        std::vector<u8> buffer(0x10000);
        bool ok = true;
        for (;;) {
            // Whole buffers until the entry ends, so the first chunk holds the image's
            // header area whatever sizes the decompressor hands out.
            std::size_t filled = 0;
            while (filled < buffer.size()) {
                const la_ssize_t n = archive_lib.archive_read_data(handle_, buffer.data() + filled,
                                                                   buffer.size() - filled);
                if (n < 0) ok = false;
                if (n <= 0) break;
                filled += static_cast<std::size_t>(n);
            }
            if (!ok || filled == 0) break;
            if (!sink(std::span<const u8>(buffer.data(), filled))) break;
            if (filled < buffer.size()) break;
        }
        // The entry is read once; reading it again selects it again.
        selected_ = false;
        close();
        return ok;
    }

  private:
    void close() {
        if (handle_ != nullptr) archive_lib.archive_read_free(handle_);
        handle_ = nullptr;
    }

    std::string path_;
    archive* handle_ = nullptr;
    bool selected_   = false;
    u64 size_        = 0;
};

}  // namespace

std::unique_ptr<ImageArchive> open_zip_archive(const std::string& path) {
    if (zlib_available == 0) return nullptr;
    unzFile handle = zlib_lib.unzOpen(path.c_str());
    if (handle == nullptr) return nullptr;
    return std::make_unique<ZipArchive>(handle);
}

std::unique_ptr<ImageArchive> open_rar_archive(const std::string& path) {
    if (unrar_available == 0) return nullptr;
    auto rar = std::make_unique<RarArchive>(path);
    if (!rar->open()) return nullptr;
    return rar;
}

}  // namespace varn
