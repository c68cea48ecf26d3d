#pragma once
// Test access to the built naming libraries: loaded with dlopen and their calls taken by
// name, the way the program binds them.

#include <dlfcn.h>

#include <span>
#include <string>

#include "base/types.h"
#include "romnamer/namer_api.h"

namespace varn::test {

struct NamerLibrary {
    std::string prefix;  // "kestgen" or "kest32x"
    void* handle       = nullptr;
    NamerCrcFn crc     = nullptr;
    NamerNameFn name   = nullptr;
    NamerAboutFn about = nullptr;

    // The CRC call over an image held in a vector, as an unsigned value.
    u32 crc_of(std::span<const u8> image, int swap = 0) const {
        return static_cast<u32>(crc(image.data(), static_cast<unsigned>(image.size()), swap));
    }

    void* symbol(const char* sym) const { return handle ? ::dlsym(handle, sym) : nullptr; }
};

inline NamerLibrary open_namer(const std::string& prefix, const char* path) {
    NamerLibrary lib{prefix};
    lib.handle = ::dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (lib.handle != nullptr) {
        lib.crc   = reinterpret_cast<NamerCrcFn>(lib.symbol((prefix + "_CRC").c_str()));
        lib.name  = reinterpret_cast<NamerNameFn>(lib.symbol((prefix + "_Name").c_str()));
        lib.about = reinterpret_cast<NamerAboutFn>(lib.symbol((prefix + "_About").c_str()));
    }
    return lib;
}

// Each library is loaded once per test program and stays loaded.
inline const NamerLibrary& kestgen() {
    static const NamerLibrary lib = open_namer("kestgen", VARN_KESTGEN_PATH);
    return lib;
}
inline const NamerLibrary& kest32x() {
    static const NamerLibrary lib = open_namer("kest32x", VARN_KEST32X_PATH);
    return lib;
}

}  // namespace varn::test
