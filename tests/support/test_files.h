#pragma once
// File access for tests: assembled test programs from the build tree and the shared test
// images, which are used in place and never copied into the project.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/types.h"

namespace varn::test {

inline std::vector<u8> read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return std::vector<u8>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A program assembled at build time by varn_assemble(<name> ...).
inline std::vector<u8> read_program(const std::string& name) {
    return read_file(std::filesystem::path(VARN_TESTPROG_DIR) / (name + ".bin"));
}

inline std::filesystem::path testdata_dir() { return VARN_TESTDATA_DIR; }

// Path of a shared test file, or empty when the shared folder is absent (callers skip).
inline std::filesystem::path testdata_file(const std::string& relative) {
    auto p = testdata_dir() / relative;
    return std::filesystem::exists(p) ? p : std::filesystem::path{};
}

}  // namespace varn::test
