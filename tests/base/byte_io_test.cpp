#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "base/byte_io.h"

namespace varn {
namespace {

TEST(ByteReader, ReadsInOrderThenFailsPastTheEnd) {
    const std::array<u8, 7> data{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE};
    ByteReader r(data);
    u32 l = 0;
    ASSERT_TRUE(r.read_be32(l));
    EXPECT_EQ(l, 0x12345678u);
    u16 w = 0;
    ASSERT_TRUE(r.read_le16(w));
    EXPECT_EQ(w, 0xBC9A);
    EXPECT_EQ(r.position(), 6u);
    EXPECT_EQ(r.remaining(), 1u);

    // Every read wider than what remains fails and leaves the position unchanged.
    struct Attempt {
        const char* what;
        bool (*read)(ByteReader&);
    };
    const Attempt attempts[] = {
        {"be16",
         [](ByteReader& rd) {
             u16 v;
             return rd.read_be16(v);
         }},
        {"le16",
         [](ByteReader& rd) {
             u16 v;
             return rd.read_le16(v);
         }},
        {"be32",
         [](ByteReader& rd) {
             u32 v;
             return rd.read_be32(v);
         }},
        {"le32",
         [](ByteReader& rd) {
             u32 v;
             return rd.read_le32(v);
         }},
        {"bytes",
         [](ByteReader& rd) {
             std::array<u8, 2> b{};
             return rd.read_bytes(b);
         }},
        {"skip", [](ByteReader& rd) { return rd.skip(2); }},
        {"seek", [](ByteReader& rd) { return rd.seek(8); }},
        {"view",
         [](ByteReader& rd) {
             std::span<const u8> v;
             return rd.read_view(2, v);
         }},
    };
    for (const auto& a : attempts) {
        EXPECT_FALSE(a.read(r)) << a.what;
        EXPECT_EQ(r.position(), 6u) << a.what;
    }
    u8 b = 0;
    ASSERT_TRUE(r.read_u8(b));
    EXPECT_EQ(b, 0xDE);
    EXPECT_TRUE(r.at_end());
    EXPECT_FALSE(r.read_u8(b));
    EXPECT_TRUE(r.seek(7));  // seeking to the end itself is allowed
}

TEST(ByteReader, FailedReadLeavesOutputUntouched) {
    const std::array<u8, 3> data{1, 2, 3};
    ByteReader r(data);
    std::array<u8, 4> out{9, 9, 9, 9};
    EXPECT_FALSE(r.read_bytes(out));
    EXPECT_EQ(out, (std::array<u8, 4>{9, 9, 9, 9}));
    ByteReader empty;
    u8 b = 7;
    EXPECT_FALSE(empty.read_u8(b));
    EXPECT_EQ(b, 7);
}

TEST(ByteWriter, WritesRoundTripAndRefusesOverflow) {
    std::array<u8, 11> buf{};
    ByteWriter w(buf);
    ASSERT_TRUE(w.write_be32(0xCAFEBABE));
    ASSERT_TRUE(w.write_le32(0x01020304));
    ASSERT_TRUE(w.write_be16(0xA1B2));
    EXPECT_FALSE(w.write_le16(0x1234));  // one byte left
    EXPECT_EQ(w.position(), 10u);
    ASSERT_TRUE(w.write_u8(0x55));
    EXPECT_FALSE(w.fill(1, 0));
    EXPECT_EQ(w.written().size(), 11u);

    ByteReader r(buf);
    u32 a = 0, b = 0;
    u16 c = 0;
    u8 d  = 0;
    ASSERT_TRUE(r.read_be32(a) && r.read_le32(b) && r.read_be16(c) && r.read_u8(d));
    EXPECT_EQ(a, 0xCAFEBABEu);
    EXPECT_EQ(b, 0x01020304u);
    EXPECT_EQ(c, 0xA1B2);
    EXPECT_EQ(d, 0x55);
}

}  // namespace
}  // namespace varn
