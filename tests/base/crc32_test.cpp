#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "base/crc32.h"

namespace varn {
namespace {

std::span<const u8> bytes(std::string_view s) {
    return {reinterpret_cast<const u8*>(s.data()), s.size()};
}

// The bitwise definition, one bit at a time, as the reference for the table-driven code.
u32 reference_crc32(std::span<const u8> data) {
    u32 c = 0xFFFFFFFFu;
    for (u8 b : data) {
        c ^= b;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return ~c;
}

TEST(Crc32, KnownValuesAndPiecewiseUpdate) {
    EXPECT_EQ(crc32({}), 0u);
    EXPECT_EQ(crc32(bytes("abc")), 0x352441C2u);
    EXPECT_EQ(crc32(bytes("123456789")), 0xCBF43926u);
    EXPECT_EQ(crc32_update(crc32(bytes("1234")), bytes("56789")), 0xCBF43926u);
}

TEST(Crc32, AgreesWithTheBitwiseDefinitionAtEveryLengthAndSplit) {
    std::vector<u8> data(67);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<u8>(i * 37 + 11);
    for (std::size_t len = 0; len <= data.size(); ++len) {
        const std::span<const u8> s(data.data(), len);
        ASSERT_EQ(crc32(s), reference_crc32(s)) << len;
        const std::size_t cut = len / 3;
        ASSERT_EQ(crc32_update(crc32(s.first(cut)), s.subspan(cut)), reference_crc32(s)) << len;
    }
}

}  // namespace
}  // namespace varn
