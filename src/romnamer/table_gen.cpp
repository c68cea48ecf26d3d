// romnamer_table_gen: turns a naming catalogue into the C++ name table of a naming library.
//
//   romnamer_table_gen --table <symbol> --out <file.cpp> [--tsv <catalogue>] [--credit <text>]
//
// The catalogue has one row per image: the CRC-32 as 8 hexadecimal digits, a tab, the name.
// The table the libraries search relies on a few rules, checked here so that a bad row
// fails the build instead of shipping: every CRC is unique and not 0 (0 is what the CRC
// call gives for an image it does not recognise), and every name is 1 to 256 printable
// ASCII characters (the program names an image through a 257-byte buffer). Without --tsv
// the table is empty. --credit lines go into the generated file's heading comment.
//
// Host tool run at build time: plain standard C++, no project headers.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kMaxNameLength = 256;
constexpr int kMaxReportedErrors     = 20;

struct Row {
    std::uint32_t crc;
    std::string name;
};

struct Options {
    std::string table;
    std::string out;
    std::string tsv;
    std::vector<std::string> credits;
};

void usage() {
    std::cerr << "usage: romnamer_table_gen --table <symbol> --out <file.cpp> [--tsv <catalogue>]"
                 " [--credit <text>]...\n";
}

bool parse_options(int argc, char** argv, Options& opt) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        if (arg == "--table") {
            opt.table = value;
        } else if (arg == "--out") {
            opt.out = value;
        } else if (arg == "--tsv") {
            opt.tsv = value;
        } else if (arg == "--credit") {
            opt.credits.push_back(value);
        } else {
            return false;
        }
    }
    return !opt.table.empty() && !opt.out.empty();
}

bool parse_crc(const std::string& text, std::uint32_t& crc) {
    if (text.size() != 8) return false;
    crc = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return false;
        }
        crc = crc << 4 | static_cast<std::uint32_t>(digit);
    }
    return true;
}

std::string hex8(std::uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08Xu", v);
    return buf;
}

// Reads and checks the catalogue; every broken rule is reported with its line.
bool read_catalogue(const std::string& path, std::vector<Row>& rows) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << path << ": cannot open the catalogue\n";
        return false;
    }
    int errors     = 0;
    const auto bad = [&](std::size_t line, const std::string& what) {
        if (++errors <= kMaxReportedErrors)
            std::cerr << path << ":" << line << ": " << what << "\n";
    };

    std::map<std::uint32_t, std::size_t> seen;  // CRC -> line of its first row
    std::string text;
    for (std::size_t line = 1; std::getline(in, text); ++line) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (text.empty()) continue;

        const std::size_t tab = text.find('\t');
        std::uint32_t crc     = 0;
        if (tab == std::string::npos || !parse_crc(text.substr(0, tab), crc)) {
            bad(line, "expected 8 hexadecimal digits, a tab and a name");
            continue;
        }
        std::string name = text.substr(tab + 1);
        if (name.empty() || name.size() > kMaxNameLength) {
            bad(line, "name must be 1 to " + std::to_string(kMaxNameLength) + " characters");
            continue;
        }
        bool printable = true;
        for (unsigned char c : name) printable = printable && c >= 0x20 && c <= 0x7E;
        if (!printable) {
            bad(line, "name holds a character that is not printable ASCII");
            continue;
        }
        if (crc == 0) {
            bad(line, "CRC 0 is reserved for unrecognised images");
            continue;
        }
        const auto [it, inserted] = seen.emplace(crc, line);
        if (!inserted) {
            bad(line, "duplicate CRC " + hex8(crc) + " (first on line " +
                          std::to_string(it->second) + ")");
            continue;
        }
        rows.push_back({crc, std::move(name)});
    }
    if (in.bad()) {
        std::cerr << path << ": read error\n";
        return false;
    }
    if (errors > kMaxReportedErrors) {
        std::cerr << path << ": " << errors - kMaxReportedErrors << " further errors\n";
    }
    if (rows.size() > UINT32_MAX) {
        std::cerr << path << ": too many rows\n";
        return false;
    }
    return errors == 0;
}

std::string escape(const std::string& name) {
    std::string s;
    for (char c : name) {
        if (c == '"' || c == '\\') s += '\\';
        s += c;
    }
    return s;
}

std::string generate(const Options& opt, const std::vector<Row>& rows) {
    std::ostringstream o;
    o << "// Generated by romnamer_table_gen";
    if (!opt.tsv.empty()) o << " from " << std::filesystem::path(opt.tsv).filename().string();
    o << ": do not edit.\n";
    for (const std::string& c : opt.credits) o << "// " << c << "\n";
    o << "\n#include \"romnamer/rom_name_table.h\"\n\nnamespace varn {\n";
    if (rows.empty()) {
        o << "\nconstinit const RomNameTable " << opt.table << "{};\n";
    } else {
        // All names back to back, each with its NUL; the records point into this block.
        o << "namespace {\n\nconstexpr char kNames[] =\n";
        for (std::size_t i = 0; i < rows.size(); ++i) {
            o << "    \"" << escape(rows[i].name) << "\\0\"" << (i + 1 == rows.size() ? ";" : "")
              << "\n";
        }
        o << "\nconstexpr RomNameRecord kRecords[" << rows.size() << "] = {\n";
        std::size_t offset = 0;
        for (const Row& r : rows) {
            o << "    {" << hex8(r.crc) << ", kNames + " << offset << "},\n";
            offset += r.name.size() + 1;
        }
        o << "};\n\n}  // namespace\n\n";
        o << "constinit const RomNameTable " << opt.table << "{kRecords};\n";
    }
    o << "\n}  // namespace varn\n";
    return o.str();
}

// Written through a temporary file, so a failed run never leaves a half table behind.
bool write_output(const std::string& path, const std::string& text) {
    const std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) {
            std::cerr << tmp << ": cannot write\n";
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    if (ec) {
        std::cerr << path << ": " << ec.message() << "\n";
        std::filesystem::remove(tmp, ec);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    if (!parse_options(argc, argv, opt)) {
        usage();
        return 2;
    }
    std::vector<Row> rows;
    if (!opt.tsv.empty() && !read_catalogue(opt.tsv, rows)) {
        std::error_code ec;
        std::filesystem::remove(opt.out, ec);
        return 1;
    }
    return write_output(opt.out, generate(opt, rows)) ? 0 : 1;
}
