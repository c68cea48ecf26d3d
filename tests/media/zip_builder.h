#pragma once
// A ZIP file of stored (uncompressed) entries, written byte by byte, so that tests can make
// archives with the names and sizes they need, hostile ones included. `declared_size`
// lets an entry claim a size other than its data's.

#include <optional>
#include <string>
#include <vector>

#include "base/crc32.h"
#include "base/endian.h"
#include "base/types.h"

namespace varn::test {

struct ZipEntry {
    std::string name;
    std::vector<u8> data;
    std::optional<u32> declared_size = std::nullopt;  // what the headers say it holds
};

inline std::vector<u8> build_zip(const std::vector<ZipEntry>& entries) {
    std::vector<u8> out, central;
    auto put16 = [](std::vector<u8>& v, u32 x) {
        v.push_back(static_cast<u8>(x));
        v.push_back(static_cast<u8>(x >> 8));
    };
    auto put32 = [&](std::vector<u8>& v, u32 x) {
        put16(v, x & 0xFFFF);
        put16(v, x >> 16);
    };
    for (const auto& e : entries) {
        const u32 offset = static_cast<u32>(out.size());
        const u32 crc    = crc32(e.data);
        const u32 size   = e.declared_size.value_or(static_cast<u32>(e.data.size()));
        // Local header.
        put32(out, 0x04034B50);
        put16(out, 10);    // version needed
        put16(out, 0);     // flags
        put16(out, 0);     // stored
        put16(out, 0);     // time
        put16(out, 0x21);  // date
        put32(out, crc);
        put32(out, size);
        put32(out, size);
        put16(out, static_cast<u32>(e.name.size()));
        put16(out, 0);
        out.insert(out.end(), e.name.begin(), e.name.end());
        out.insert(out.end(), e.data.begin(), e.data.end());
        // Central directory record.
        put32(central, 0x02014B50);
        put16(central, 20);
        put16(central, 10);
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put16(central, 0x21);
        put32(central, crc);
        put32(central, size);
        put32(central, size);
        put16(central, static_cast<u32>(e.name.size()));
        put16(central, 0);  // extra
        put16(central, 0);  // comment
        put16(central, 0);  // disk
        put16(central, 0);  // internal attributes
        put32(central, 0);  // external attributes
        put32(central, offset);
        central.insert(central.end(), e.name.begin(), e.name.end());
    }
    const u32 central_offset = static_cast<u32>(out.size());
    out.insert(out.end(), central.begin(), central.end());
    put32(out, 0x06054B50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<u32>(entries.size()));
    put16(out, static_cast<u32>(entries.size()));
    put32(out, static_cast<u32>(central.size()));
    put32(out, central_offset);
    put16(out, 0);
    return out;
}

}  // namespace varn::test
