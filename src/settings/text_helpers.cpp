#include "settings/text_helpers.h"

#include <algorithm>

namespace varn {

namespace {

// A byte of `text`, NUL past its end.
char at(std::string_view text, std::size_t i) { return i < text.size() ? text[i] : '\0'; }

u32 hex_digit(char c) {
    if (c >= '1' && c <= '9') return static_cast<u32>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<u32>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<u32>(c - 'a' + 10);
    return 0;  // '0', blanks, line ends and the end of the data alike
}

int find_last(std::string_view text, char c) {
    const std::size_t p = text.rfind(c);
    return p == std::string_view::npos ? -1 : static_cast<int>(p);
}

template <typename Equal>
int find_key(std::string_view text, std::string_view key, Equal equal) {
    if (key.empty() || key.size() > text.size()) return -1;
    for (std::size_t p = 0; p + key.size() <= text.size(); ++p) {
        if (std::equal(key.begin(), key.end(), text.begin() + static_cast<std::ptrdiff_t>(p),
                       equal))
            return static_cast<int>(p + key.size());
    }
    return -1;
}

std::string copy_until(std::string_view src, std::string_view stops) {
    std::size_t n = 0;
    while (n < src.size() && src[n] != '\0' && stops.find(src[n]) == std::string_view::npos) ++n;
    return std::string(src.substr(0, n));
}

}  // namespace

std::string format_hex_digits(u32 value, int n) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    n                               = std::clamp(n, 1, 8);
    std::string out(static_cast<std::size_t>(n), '0');
    for (int i = n - 1; i >= 0; --i, value >>= 4)
        out[static_cast<std::size_t>(i)] = kDigits[value & 15];
    return out;
}

std::string format_decimal_digits(u32 value, int n) {
    n = std::clamp(n, 1, 10);
    std::string out(static_cast<std::size_t>(n), '0');
    for (int i = n - 1; i >= 0; --i, value /= 10)
        out[static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
    return out;
}

u32 parse_hex_u32(std::string_view text, int n) {
    u32 value = 0;
    for (int i = 0; i < n; ++i)
        value = (value << 4) | hex_digit(at(text, static_cast<std::size_t>(i)));
    return value;
}

u8 parse_hex_u8(std::string_view text, int n) { return static_cast<u8>(parse_hex_u32(text, n)); }

u32 parse_decimal(std::string_view text, int n) {
    u32 value = 0;
    for (int i = 0; i < n; ++i) {
        const char c = at(text, static_cast<std::size_t>(i));
        if (c < '0' || c > '9') break;
        value = value * 10 + static_cast<u32>(c - '0');
    }
    return value;
}

u32 swap_bytes32(u32 v) {
    return (v >> 24) | ((v >> 8) & 0xFF00) | ((v << 8) & 0xFF0000) | (v << 24);
}

void path_strip_file_name(std::string& path) {
    const int p = find_last(path, '\\');
    if (p >= 0) path.resize(static_cast<std::size_t>(p) + 1);
}

void path_strip_extension(std::string& name) {
    const int p = find_last(name, '.');
    if (p >= 0) name.resize(static_cast<std::size_t>(p) + 1);
}

int path_file_name_index(std::string_view path) {
    const int p = find_last(path, '\\');
    return p < 0 ? -1 : p + 1;
}

int path_extension_index(std::string_view name) {
    const int p = find_last(name, '.');
    return p < 0 ? -1 : p + 1;
}

void str_trim_right(std::string& text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
}

char char_to_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

int text_find(std::string_view text, std::string_view key) {
    if (key.empty()) return -1;
    const std::size_t p = text.find(key);
    return p == std::string_view::npos ? -1 : static_cast<int>(p + key.size());
}

int text_find_nocase(std::string_view text, std::string_view key) {
    return find_key(text, key, [](char a, char b) { return char_to_lower(a) == char_to_lower(b); });
}

bool str_equal_nocase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return char_to_lower(x) == char_to_lower(y);
           });
}

std::string text_copy_line(std::string_view src, std::size_t max_length) {
    std::string line = copy_until(src, "\r\n");
    if (line.size() > max_length) line.resize(max_length);
    return line;
}

std::string text_copy_until_space(std::string_view src) { return copy_until(src, " "); }
std::string text_copy_until_quote(std::string_view src) { return copy_until(src, "\""); }

const char* StringList::PushBack(std::string_view text) {
    // A text ends at its first NUL, as it would in the fixed buffers it comes from.
    return texts_.emplace_back(text.substr(0, std::min(text.size(), text.find('\0')))).c_str();
}

void StringList::PopFront() {
    if (!texts_.empty()) texts_.pop_front();
}

int StringList::Clear() {
    texts_.clear();
    return 1;
}

}  // namespace varn
