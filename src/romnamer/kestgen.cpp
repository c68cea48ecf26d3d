// libkestgen.so: names Genesis cartridge images from the Genesis catalogue.

#include "romnamer/image_crc.h"
#include "romnamer/namer_api.h"
#include "romnamer/namer_calls.h"
#include "romnamer/rom_name_table.h"

namespace varn {
namespace {

constexpr char kVersionText[] = "KestGen.DLL V 0.999.6 BETA";

}  // namespace

// Two exports this library has always carried beside its three calls. Nothing uses them;
// they stay so that the library's export list does not change.
VARN_NAMER_EXPORT int fnKestgen() { return 42; }
VARN_NAMER_EXPORT int nKestgen = 0;

}  // namespace varn

extern "C" {

int kestgen_CRC(const unsigned char* rom, unsigned size, int swap) {
    return static_cast<int>(varn::namer_image_crc(rom, size, swap));
}

int kestgen_Name(char* buf, unsigned len, int crc) {
    return varn::namer_name(varn::kestgen_name_table, buf, len, crc);
}

int kestgen_About(char* buf, unsigned len) {
    return varn::namer_about(varn::kVersionText, buf, len);
}

}  // extern "C"
