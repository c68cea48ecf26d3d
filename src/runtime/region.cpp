#include "runtime/region.h"

#include "base/config.h"

namespace varn {

RegionState region{kRegionUsa, 0, 1};

namespace {

struct RegionTest {
    u8 own;
    u8 other1;
    u8 other2;
    u8 digit_bit;  // bit of the header's hexadecimal region digit
};

// Indexed by region number.
constexpr RegionTest kTests[3] = {
    {'J', 'U', 'E', 1},  // Japan
    {'U', 'E', 'J', 4},  // USA
    {'E', 'U', 'J', 8},  // Europe
};

constexpr u32 kOrders[6][3] = {
    {kRegionUsa, kRegionEurope, kRegionJapan}, {kRegionUsa, kRegionJapan, kRegionEurope},
    {kRegionEurope, kRegionUsa, kRegionJapan}, {kRegionEurope, kRegionJapan, kRegionUsa},
    {kRegionJapan, kRegionUsa, kRegionEurope}, {kRegionJapan, kRegionEurope, kRegionUsa},
};

bool region_matches(const RegionTest& test, const u8 bytes[3]) {
    for (int i = 0; i < 3; ++i) {
        if (bytes[i] == test.own) return true;
    }
    for (int i = 2; i >= 0; --i) {
        if (bytes[i] == test.other1 || bytes[i] == test.other2) return false;
    }
    // The newer form: one hexadecimal digit of region bits. Bytes 0x3A-0x40 read as the
    // digits above 9 would, lower case does not read.
    if (bytes[0] < '0') return false;
    u32 value = bytes[0] - '0';
    if (value >= 10) value -= 7;
    if (value > 15) return false;
    return (value & test.digit_bit) != 0;
}

}  // namespace

void region_set(u32 which) {
    region.scd_region    = which;
    region.pal_flag      = which == kRegionEurope ? 1 : 0;
    region.overseas_flag = which == kRegionJapan ? 0 : 1;
}

const u32* region_order() {
    const u32 order = cfg(cfg_region_order);
    return kOrders[order <= 5 ? order : 0];
}

u32 region_detect(const u8 bytes[3]) {
    const u32* order = region_order();
    for (int i = 0; i < 3; ++i) {
        if (region_matches(kTests[order[i]], bytes)) {
            region_set(order[i]);
            return order[i];
        }
    }
    region_set(order[0]);
    return order[0];
}

}  // namespace varn
