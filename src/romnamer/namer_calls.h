#pragma once
// The bodies of the Name and About calls, shared by both libraries. Both follow one buffer
// rule: the caller's buffer holds len + 1 bytes; at most len characters are copied and the
// terminating NUL goes right after them.

#include "romnamer/rom_name_table.h"

namespace varn {

// 1 and the name in buf when table has crc; 0 otherwise. Not found with len > 0 leaves an
// empty text; found with len 0 leaves buf untouched.
int namer_name(RomNameTable table, char* buf, unsigned len, int crc);

// 1 and the text in buf; 0 for a null buf.
int namer_about(const char* text, char* buf, unsigned len);

}  // namespace varn
