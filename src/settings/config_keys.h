#pragma once
// The keys of the settings file as one table: each key's name, section, form, default,
// limits and the word it fills. The reader, the writer and the defaults all walk this table,
// so a key is described once. The earlier release builds its own table of the same shape.

#include <span>
#include <string>

#include "base/config.h"
#include "base/types.h"

namespace varn {

enum class KeyForm : u8 {
    kHex1,   // one upper-case hexadecimal digit
    kHex2,   // two
    kDec4,   // four decimal digits
    kText,   // the rest of the line
    kDrive,  // written as the 24 name bytes of the chosen CD drive, read as text
};

enum class KeySection : u8 { kFileIo, kGraphics, kSound, kInput, kGui, kMachine, kCount };

// "[File IO]" ... "[Machine]".
const char* key_section_header(KeySection section);

// What the reader does with an out-of-range value (tested on the word's low byte): a value
// below `min` becomes `below`, one above `max` becomes `above`.
struct KeyLimits {
    u32 min   = 0;
    u32 max   = 0xFFFFFFFF;
    u32 below = 0;
    u32 above = 0;
};

struct ConfigKey {
    std::string name;  // as in the file, without its '='
    KeySection section = KeySection::kFileIo;
    KeyForm form       = KeyForm::kHex1;
    // Numbers: the word read into and written from; `write_word` replaces it for writing
    // (the screen size is written from the last windowed size) and `copy_word` also
    // receives a value that was found in the file.
    ConfigWord* word       = nullptr;
    ConfigWord* write_word = nullptr;
    ConfigWord* copy_word  = nullptr;
    // Key-map bytes: player slot 0-7 and offset 0-27 of its record; -1 when not one.
    int key_slot  = -1;
    u8 key_offset = 0;
    // Texts and the drive name.
    std::string* text = nullptr;
    u32 default_value = 0;
    std::string default_text;
    KeyLimits limits;
    bool limited = false;
    bool written = true;  // false: read, never written back
};

// The main program's keys in file order.
std::span<const ConfigKey> config_keys();

// Stores every key's default into its word, text or key-map byte, and clears the CD drive
// choice.
void config_load_defaults(std::span<const ConfigKey> keys);

}  // namespace varn
