#include <gtest/gtest.h>

#include <array>

#include "base/bits.h"
#include "base/endian.h"

namespace varn {
namespace {

TEST(Endian, LoadsAndStoresInBothOrders) {
    struct Case {
        u32 value;
        std::array<u8, 4> be;
    };
    const Case cases[] = {
        {0x00000000, {0x00, 0x00, 0x00, 0x00}},
        {0x12345678, {0x12, 0x34, 0x56, 0x78}},
        {0xFFFFFFFF, {0xFF, 0xFF, 0xFF, 0xFF}},
        {0x80000001, {0x80, 0x00, 0x00, 0x01}},
    };
    for (const auto& c : cases) {
        std::array<u8, 4> buf{};
        store_be32(buf.data(), c.value);
        EXPECT_EQ(buf, c.be);
        EXPECT_EQ(load_be32(buf.data()), c.value);
        EXPECT_EQ(load_be16(buf.data()), c.value >> 16);
        EXPECT_EQ(load_le32(buf.data()), byte_swap32(c.value));

        store_le32(buf.data(), c.value);
        EXPECT_EQ(buf, (std::array<u8, 4>{c.be[3], c.be[2], c.be[1], c.be[0]}));
        EXPECT_EQ(load_le32(buf.data()), c.value);
        EXPECT_EQ(load_le16(buf.data()), c.value & 0xFFFF);

        store_be16(buf.data(), static_cast<u16>(c.value));
        EXPECT_EQ(load_be16(buf.data()), static_cast<u16>(c.value));
        EXPECT_EQ(load_le16(buf.data()), byte_swap16(static_cast<u16>(c.value)));
        store_le16(buf.data(), static_cast<u16>(c.value));
        EXPECT_EQ(load_le16(buf.data()), static_cast<u16>(c.value));
    }
}

TEST(Bits, SignExtensionAndWideShifts) {
    struct Case {
        u32 value;
        unsigned width;
        u32 expected;
    };
    const Case cases[] = {
        {0x7F, 8, 0x0000007F},
        {0x80, 8, 0xFFFFFF80},
        {0x1FF, 8, 0xFFFFFFFF},
        {0x8000, 16, 0xFFFF8000},
        {0x7FFF, 16, 0x00007FFF},
        {0x1, 1, 0xFFFFFFFF},
        {0x0, 1, 0x0},
        {0x80000000, 32, 0x80000000},
    };
    for (const auto& c : cases) EXPECT_EQ(sign_extend(c.value, c.width), c.expected) << c.value;
    EXPECT_EQ(sign_extend8(0x1FE), 0xFFFFFFFEu);
    EXPECT_EQ(sign_extend16(0x18000), 0xFFFF8000u);
    EXPECT_EQ(shl32(1, 31), 0x80000000u);
    EXPECT_EQ(shl32(1, 32), 0u);
    EXPECT_EQ(shr32(0x80000000u, 40), 0u);
    EXPECT_EQ(bits(0xABCD, 4, 8), 0xBCu);
    EXPECT_EQ(bits(0xABCD1234, 0, 32), 0xABCD1234u);
    EXPECT_EQ(bit(0x8u, 3), 1u);
}

}  // namespace
}  // namespace varn
