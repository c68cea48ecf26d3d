#include <gtest/gtest.h>

#include <string_view>

#include "base/crc32.h"

namespace varn {
namespace {

std::span<const u8> bytes(std::string_view s) {
    return {reinterpret_cast<const u8*>(s.data()), s.size()};
}

TEST(Crc32, KnownValuesAndPiecewiseUpdate) {
    EXPECT_EQ(crc32({}), 0u);
    EXPECT_EQ(crc32(bytes("abc")), 0x352441C2u);
    EXPECT_EQ(crc32(bytes("123456789")), 0xCBF43926u);
    EXPECT_EQ(crc32_update(crc32(bytes("1234")), bytes("56789")), 0xCBF43926u);
}

}  // namespace
}  // namespace varn
