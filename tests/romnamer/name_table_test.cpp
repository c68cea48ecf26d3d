// The shared code behind both libraries, tested directly: the table scan and the layout
// conversions' limits.

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "base/crc32.h"
#include "romnamer/image_crc.h"
#include "romnamer/rom_name_table.h"

namespace varn {
namespace {

TEST(NamerCrc32, CheckValue) {
    constexpr std::string_view kAbc = "abc";
    EXPECT_EQ(crc32({reinterpret_cast<const u8*>(kAbc.data()), kAbc.size()}), 0x352441C2u);
}

TEST(NamerLookup, ScansTheWholeTable) {
    static constexpr char kNames[] = "First (U)\0Middle (J)\0Last (E)";
    const RomNameRecord records[]  = {
         {0x11111111, kNames}, {0x22222222, kNames + 10}, {0x33333333, kNames + 21}};
    const RomNameTable table{records};
    EXPECT_STREQ(namer_lookup_name(table, 0x11111111), "First (U)");
    EXPECT_STREQ(namer_lookup_name(table, 0x33333333), "Last (E)");
    EXPECT_EQ(namer_lookup_name(table, 0), nullptr);
    EXPECT_EQ(namer_lookup_name(table, 0x44444444), nullptr);
    EXPECT_EQ(namer_lookup_name(RomNameTable{}, 0x11111111), nullptr);
}

TEST(NamerLayouts, ConversionsNeedMoreThanOneBlock) {
    for (std::size_t len : {std::size_t{0}, std::size_t{2}, kNamerBlockSize - 1}) {
        std::vector<u8> data(len, 0x5A);
        EXPECT_FALSE(namer_deinterleave(data)) << len;
        EXPECT_FALSE(namer_rejoin_half_split(data)) << len;
        EXPECT_EQ(data, std::vector<u8>(len, 0x5A)) << "a refused conversion leaves the data";
    }
    std::vector<u8> data(kNamerBlockSize, 0);
    EXPECT_TRUE(namer_deinterleave(data));
    EXPECT_TRUE(namer_rejoin_half_split(data));
}

TEST(NamerLayouts, PartialLastBlockReadsZerosPastTheEnd) {
    // One full block and 100 bytes of the next: the second block's even half is absent.
    std::vector<u8> data(kNamerBlockSize + 100, 0xFF);
    ASSERT_TRUE(namer_deinterleave(data));
    for (std::size_t i = kNamerBlockSize; i < data.size(); i += 2) {
        EXPECT_EQ(data[i], 0) << i;         // from the missing second half
        EXPECT_EQ(data[i + 1], 0xFF) << i;  // from the bytes that are there
    }
}

TEST(NamerLayouts, WorkImageSmallerThanTheProbesNeedIsRefused) {
    // A plain header that would be recognised in a work image of full size.
    std::vector<u8> work(kNamerMinWorkSize - 1, 0);
    std::copy_n("SEGA", 4, work.begin() + 0x100);
    EXPECT_EQ(namer_rom_crc(work, 2000), 0u);
}

}  // namespace
}  // namespace varn
