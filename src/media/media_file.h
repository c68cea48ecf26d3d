#pragma once
// Reading the side files of the file commands (states, patches, demos): a whole file into
// memory, with a cap so that a wrong or hostile file can never make the program allocate
// without bound. Writing goes through write_file_replacing (base/file_write.h).

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/types.h"

namespace varn {

enum class FileReadStatus {
    kOk,
    kCannotOpen,  // missing, unreadable, a folder...
    kTooLarge,    // longer than the cap; `out` then holds the first cap bytes
    kReadError,
};

struct FileReadResult {
    FileReadStatus status = FileReadStatus::kCannotOpen;
    std::string error;  // for the user; empty on success
    explicit operator bool() const { return status == FileReadStatus::kOk; }
};

// The outcome of a file command. kNotOpened: the file named could not be opened or created
// (the commands end quietly then, as when a dialog is cancelled); kFailed: the file was
// there but could not be used or written, and `message` says why for a message box.
enum class MediaStatus { kOk, kNotOpened, kFailed };

struct MediaResult {
    MediaStatus status = MediaStatus::kOk;
    std::string message;
    explicit operator bool() const { return status == MediaStatus::kOk; }
    static MediaResult ok() { return {}; }
    static MediaResult not_opened(std::string why) {
        return {MediaStatus::kNotOpened, std::move(why)};
    }
    static MediaResult failed(std::string why) { return {MediaStatus::kFailed, std::move(why)}; }
};

// Reads the file into `out`, at most `cap` bytes. A longer file reads its first `cap` bytes
// and reports kTooLarge.
FileReadResult read_file_capped(const std::filesystem::path& path, std::size_t cap,
                                std::vector<u8>& out);

// True when `name` ends in `suffix`, ignoring the case of ASCII letters.
bool ends_with_nocase(std::string_view name, std::string_view suffix);

// `name` with `extension` (".PNG", ".DEM"...) appended unless it already ends in it,
// ignoring case: "shot.png" stays, "shot" becomes "shot.PNG".
std::string with_extension(std::string name, std::string_view extension);

// The folder of a chosen file in the settings' stored form ('\' between names, ending in
// '\'), as the commands keep it for their next dialog.
std::string stored_folder(const std::string& path);

// The name a file command takes without asking: the command's folder, the game's name and
// the command's extension.
std::filesystem::path automatic_file_name(const std::filesystem::path& folder,
                                          std::string_view game_name, std::string_view extension);

}  // namespace varn
