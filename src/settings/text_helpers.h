#pragma once
// Text and number helpers for the settings and language files and the file commands.
//
// The settings file stores numbers in fixed widths, and a reader takes exactly as many
// characters as the writer wrote: a hexadecimal value of n digits is read from n characters,
// each of which counts as a digit ('1'-'9', 'A'-'F', 'a'-'f') or as 0 (anything else,
// including a line end or the end of the data). That is what lets a short or damaged value
// read as a smaller number instead of stopping the reader. Decimal values stop at the first
// non-digit.
//
// Every search and copy here is bounded by the text it is given; bytes past its end read
// as NUL, the documented end of the data.

#include <list>
#include <string>
#include <string_view>

#include "base/types.h"

namespace varn {

// Exactly n (1-8) upper-case hexadecimal digits of `value`, most significant first.
std::string format_hex_digits(u32 value, int n);
// Exactly n decimal digits of `value`, leading zeros kept; a longer value keeps its low n.
std::string format_decimal_digits(u32 value, int n);

// The value of the first n characters of `text` read as hexadecimal digits (see above).
u32 parse_hex_u32(std::string_view text, int n);
// The same accumulated in 8 bits: digits above the second shift out.
u8 parse_hex_u8(std::string_view text, int n);
// Up to n decimal digits, stopping at the first non-digit; 0 when there is none.
u32 parse_decimal(std::string_view text, int n);

u32 swap_bytes32(u32 value);

// Paths use '\' between names, as the settings file stores them.
// Cuts the text right after its last '\' (kept); unchanged without one.
void path_strip_file_name(std::string& path);
// Cuts the text right after its last '.' (kept), wherever it stands; unchanged without one.
void path_strip_extension(std::string& name);
// Index just after the last '\' or '.', -1 when there is none.
int path_file_name_index(std::string_view path);
int path_extension_index(std::string_view name);
// Removes trailing blanks and tabs; any other byte (CR, LF...) stops it.
void str_trim_right(std::string& text);

// The position just after the first occurrence of `key` in `text`, or -1. Case-sensitive;
// the _nocase form folds A-Z to a-z on both sides.
int text_find(std::string_view text, std::string_view key);
int text_find_nocase(std::string_view text, std::string_view key);
bool str_equal_nocase(std::string_view a, std::string_view b);
char char_to_lower(char c);

// The text up to (not including) the first CR or LF, NUL or the end of `src`, cut at
// `max_length` bytes.
std::string text_copy_line(std::string_view src, std::size_t max_length = std::string::npos);
// The text up to the first blank, or to the next '"'; the end of `src` also ends it.
std::string text_copy_until_space(std::string_view src);
std::string text_copy_until_quote(std::string_view src);

// A list of texts, each a copy the list owns. A text keeps its address while it is in the
// list, so a pointer returned by PushBack stays valid until that text is popped or cleared.
class StringList {
  public:
    const char* PushBack(std::string_view text);
    // Drops the first text; nothing on an empty list.
    void PopFront();
    // Empties the list; returns 1.
    int Clear();
    bool IsEmpty() const { return texts_.empty(); }
    u32 Count() const { return static_cast<u32>(texts_.size()); }
    const std::list<std::string>& texts() const { return texts_; }

  private:
    std::list<std::string> texts_;
};

}  // namespace varn
