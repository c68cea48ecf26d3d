#include "settings/ini_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

#include "genesis/io/key_map.h"
#include "settings/config_paths.h"
#include "settings/option_model.h"
#include "settings/text_helpers.h"

namespace varn {

namespace {

int form_digits(KeyForm form) {
    switch (form) {
        case KeyForm::kHex1:
            return 1;
        case KeyForm::kHex2:
            return 2;
        default:
            return 4;
    }
}

}  // namespace

CdDriveName cd_drive_none() {
    CdDriveName name{};
    std::memcpy(name.data(), "<none>", 6);
    return name;
}

HexReader main_hex_reader() { return {parse_hex_u32, parse_hex_u8}; }

void ini_parse(std::string_view text, std::span<const ConfigKey> keys, HexReader hex) {
    text = text.substr(0, kIniReadLimit);
    for (const ConfigKey& k : keys) {
        const int at = text_find(text, k.name + "=");
        if (at < 0) continue;
        const std::string_view value = text.substr(static_cast<std::size_t>(at));
        switch (k.form) {
            case KeyForm::kHex1:
            case KeyForm::kHex2:
                if (k.key_slot >= 0) {
                    key_map_set_byte(static_cast<u32>(k.key_slot), k.key_offset,
                                     hex.read_u8(value, form_digits(k.form)));
                } else {
                    cfg_set(*k.word, hex.read_u32(value, form_digits(k.form)));
                }
                break;
            case KeyForm::kDec4:
                cfg_set(*k.word, parse_decimal(value, 4));
                break;
            case KeyForm::kText:
            case KeyForm::kDrive: {
                std::string line = text_copy_line(value);
                if (line.size() <= kConfigPathMax) *k.text = std::move(line);
                break;
            }
        }
        if (k.copy_word && k.word) cfg_set(*k.copy_word, cfg(*k.word) & 0xFF);
    }
}

void config_apply_limits(std::span<const ConfigKey> keys) {
    for (const ConfigKey& k : keys) {
        if (!k.limited || !k.word) continue;
        const u32 v = cfg(*k.word);
        if (v < k.limits.min) cfg_set(*k.word, k.limits.below);
        if (v > k.limits.max) cfg_set(*k.word, k.limits.above);
    }
}

void config_post_read(std::span<const ConfigKey> keys, OptionModel& options) {
    config_apply_limits(keys);
    options.select_region(cfg(cfg_region) & 0xFF);
    for (u32 port = 0; port < 2; ++port) {
        const u32 type = cfg(cfg_port_device[port]) & 0xFF;
        options.select_port(port, type >= 1 && type <= 5 ? type : 0);
    }
    for (u32 sub = 0; sub < 8; ++sub) {
        const u32 type = cfg(cfg_port_device[2 + sub]) & 0xFF;
        options.select_sub_port(sub, type == 1 || type == 2 ? type : 0);
    }
    options.menu_refresh_checks();
}

std::string ini_format(std::span<const ConfigKey> keys, const CdDriveName& drive) {
    std::string out;
    out.reserve(8192);
    bool first = true;
    KeySection section{};
    for (const ConfigKey& k : keys) {
        if (!k.written) continue;
        if (first || k.section != section) {
            // Sections without keys between the last one and this one keep their headers.
            if (!first) {
                for (auto s = static_cast<u8>(static_cast<u8>(section) + 1);
                     s < static_cast<u8>(k.section); ++s) {
                    out += '\n';
                    out += key_section_header(static_cast<KeySection>(s));
                    out += '\n';
                }
                out += '\n';
            }
            out += key_section_header(k.section);
            out += '\n';
            first   = false;
            section = k.section;
        }
        out += k.name;
        out += '=';
        switch (k.form) {
            case KeyForm::kHex1:
            case KeyForm::kHex2:
                if (k.key_slot >= 0) {
                    out +=
                        format_hex_digits(key_map_byte(static_cast<u32>(k.key_slot), k.key_offset),
                                          form_digits(k.form));
                } else {
                    out += format_hex_digits(cfg(k.write_word ? *k.write_word : *k.word),
                                             form_digits(k.form));
                }
                break;
            case KeyForm::kDec4:
                out += format_decimal_digits(cfg(*k.word), 4);
                break;
            case KeyForm::kText:
                out += k.text->substr(0, kConfigPathMax);
                break;
            case KeyForm::kDrive:
                out.append(drive.data(), drive.size());
                break;
        }
        out += '\n';
    }
    return out;
}

bool read_file_prefix(const std::filesystem::path& file, std::size_t limit, std::string& bytes,
                      std::string& error) {
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) {
        error = file.string() + " is a folder";
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = "cannot open " + file.string() + ": " + std::strerror(errno);
        return false;
    }
    bytes.assign(limit, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(limit));
    if (in.bad()) {
        error = "cannot read " + file.string();
        return false;
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return true;
}

IniReadResult ini_read(const std::filesystem::path& file, OptionModel& options,
                       IniMissing missing) {
    const auto keys = config_keys();
    return ini_read_keys(file, keys, main_hex_reader(), missing,
                         [&] { config_post_read(keys, options); });
}

IniReadResult ini_read_keys(const std::filesystem::path& file, std::span<const ConfigKey> keys,
                            HexReader hex, IniMissing missing,
                            const std::function<void()>& post_read) {
    IniReadResult result;
    config_load_defaults(keys);
    ini_file_path.clear();

    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
        std::string bytes;
        if (read_file_prefix(file, kIniReadLimit, bytes, result.error)) {
            result.found  = true;
            ini_file_path = std::filesystem::absolute(file, ec);
            if (ec) ini_file_path = file;
            ini_parse(bytes, keys, hex);
        }
    } else if (missing == IniMissing::kCreate) {
        // Created empty now, so that the settings have a home when the program ends.
        if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
        const FileWriteResult made = write_file_replacing(file, {});
        if (!made) result.error = made.error;
        // There was nothing to lose here: the writer tries again at exit.
        ini_file_path = std::filesystem::absolute(file, ec);
        if (ec) ini_file_path = file;
    }
    post_read();
    return result;
}

FileWriteResult ini_write(const CdDriveName& drive) { return ini_write_keys(config_keys(), drive); }

FileWriteResult ini_write_keys(std::span<const ConfigKey> keys, const CdDriveName& drive) {
    if (ini_file_path.empty()) return {false, "no settings file to write"};
    const std::string text = ini_format(keys, drive);
    return write_file_replacing(ini_file_path,
                                std::span(reinterpret_cast<const u8*>(text.data()), text.size()));
}

}  // namespace varn
