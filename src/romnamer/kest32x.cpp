// libkest32x.so: names 32X cartridge images from the 32X catalogue. Same code as
// libkestgen.so; only the table and the version text differ.

#include "romnamer/image_crc.h"
#include "romnamer/namer_api.h"
#include "romnamer/namer_calls.h"
#include "romnamer/rom_name_table.h"

namespace varn {
namespace {

constexpr char kVersionText[] = "Kest32X.DLL V 0.999.6 BETA";

}  // namespace
}  // namespace varn

extern "C" {

int kest32x_CRC(const unsigned char* rom, unsigned size, int swap) {
    return static_cast<int>(varn::namer_image_crc(rom, size, swap));
}

int kest32x_Name(char* buf, unsigned len, int crc) {
    return varn::namer_name(varn::kest32x_name_table, buf, len, crc);
}

int kest32x_About(char* buf, unsigned len) {
    return varn::namer_about(varn::kVersionText, buf, len);
}

}  // extern "C"
