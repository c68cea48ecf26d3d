#include "romnamer/namer_calls.h"

#include <cstring>

namespace varn {
namespace {

void copy_text(char* buf, unsigned len, const char* text) {
    const std::size_t n = ::strnlen(text, len);
    std::memcpy(buf, text, n);
    buf[n] = '\0';
}

}  // namespace

int namer_name(RomNameTable table, char* buf, unsigned len, int crc) {
    if (buf == nullptr) return 0;
    const char* name = namer_lookup_name(table, static_cast<u32>(crc));
    if (name == nullptr) {
        if (len > 0) buf[0] = '\0';
        return 0;
    }
    if (len == 0) return 0;
    copy_text(buf, len, name);
    return 1;
}

int namer_about(const char* text, char* buf, unsigned len) {
    if (buf == nullptr) return 0;
    copy_text(buf, len, text);
    return 1;
}

}  // namespace varn
