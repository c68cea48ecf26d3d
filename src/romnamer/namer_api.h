#pragma once
// The C interface of the two ROM-naming libraries, libkestgen.so (Genesis catalogue) and
// libkest32x.so (32X catalogue). The program loads them at run time and takes these
// functions by name; the pointer types below are what it casts the looked-up symbols to.
//
// CRC:   CRC-32 of the image after normalising it to the plain cartridge layout (copier
//        header dropped, interleaved or half-split blocks rejoined; swap == 1 first swaps
//        the bytes of every pair). 0 when the image is not recognised.
// Name:  the catalogue name of a CRC into buf. The buffer holds len + 1 bytes: at most len
//        characters are copied and the terminating NUL follows them. 1 when found.
// About: the library's version text into buf, with the same buffer rule. 1 unless buf is
//        null.

#define VARN_NAMER_EXPORT __attribute__((visibility("default")))

extern "C" {

using NamerCrcFn   = int (*)(const unsigned char* rom, unsigned size, int swap);
using NamerNameFn  = int (*)(char* buf, unsigned len, int crc);
using NamerAboutFn = int (*)(char* buf, unsigned len);

VARN_NAMER_EXPORT int kestgen_CRC(const unsigned char* rom, unsigned size, int swap);
VARN_NAMER_EXPORT int kestgen_Name(char* buf, unsigned len, int crc);
VARN_NAMER_EXPORT int kestgen_About(char* buf, unsigned len);

VARN_NAMER_EXPORT int kest32x_CRC(const unsigned char* rom, unsigned size, int swap);
VARN_NAMER_EXPORT int kest32x_Name(char* buf, unsigned len, int crc);
VARN_NAMER_EXPORT int kest32x_About(char* buf, unsigned len);

}  // extern "C"
