#include "media/media_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace varn {

FileReadResult read_file_capped(const std::filesystem::path& path, std::size_t cap,
                                std::vector<u8>& out) {
    out.clear();
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return {FileReadStatus::kCannotOpen, "cannot read " + path.string() + ": is a folder"};
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {FileReadStatus::kCannotOpen,
                "cannot open " + path.string() + ": " + std::strerror(errno)};
    }
    // Read in pieces rather than trusting a size taken beforehand: the file may be a pipe or
    // change under us, and the cap must hold whatever it turns out to be.
    constexpr std::size_t kPiece = 0x10000;
    for (;;) {
        const std::size_t want = std::min(kPiece, cap + 1 - out.size());
        const std::size_t at   = out.size();
        out.resize(at + want);
        in.read(reinterpret_cast<char*>(out.data() + at), static_cast<std::streamsize>(want));
        out.resize(at + static_cast<std::size_t>(in.gcount()));
        if (in.bad()) return {FileReadStatus::kReadError, "cannot read " + path.string()};
        if (out.size() > cap) {
            out.resize(cap);
            return {FileReadStatus::kTooLarge, path.string() + " is too large"};
        }
        if (!in) break;  // end of file
    }
    return {FileReadStatus::kOk, {}};
}

bool ends_with_nocase(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    const std::string_view tail = name.substr(name.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(tail[i]) != lower(suffix[i])) return false;
    }
    return true;
}

std::string with_extension(std::string name, std::string_view extension) {
    if (!ends_with_nocase(name, extension)) name += extension;
    return name;
}

std::string stored_folder(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    std::string folder =
        slash == std::string::npos ? std::string(".\\") : path.substr(0, slash + 1);
    std::replace(folder.begin(), folder.end(), '/', '\\');
    return folder;
}

std::filesystem::path automatic_file_name(const std::filesystem::path& folder,
                                          std::string_view game_name, std::string_view extension) {
    return folder / (std::string(game_name) + std::string(extension));
}

}  // namespace varn
