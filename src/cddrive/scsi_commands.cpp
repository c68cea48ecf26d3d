#include "cddrive/scsi_commands.h"

namespace varn {

Cdb6 cdb_test_unit_ready() { return {0x00, 0, 0, 0, 0, 0}; }

Cdb6 cdb_inquiry() { return {0x12, 0, 0, 0, static_cast<u8>(kInquiryBytes), 0}; }

Cdb10 cdb_read_toc() {
    return {0x43, 0, 0, 0, 0, 0, 1, static_cast<u8>(kTocBytes >> 8), static_cast<u8>(kTocBytes), 0};
}

Cdb10 cdb_read_block(u32 lba) {
    return {0x28,
            0,
            static_cast<u8>(lba >> 24),
            static_cast<u8>(lba >> 16),
            static_cast<u8>(lba >> 8),
            static_cast<u8>(lba),
            0,
            0,
            1,
            0};
}

Cdb10 cdb_play_audio_msf(u32 start_bcd, u32 end_bcd) {
    return {0x47,
            0,
            0,
            bcd_byte_to_binary(start_bcd >> 16),
            bcd_byte_to_binary(start_bcd >> 8),
            bcd_byte_to_binary(start_bcd),
            bcd_byte_to_binary(end_bcd >> 16),
            bcd_byte_to_binary(end_bcd >> 8),
            bcd_byte_to_binary(end_bcd),
            0};
}

Cdb10 cdb_pause_resume(bool resume) {
    return {0x4B, 0, 0, 0, 0, 0, 0, 0, static_cast<u8>(resume ? 1 : 0), 0};
}

Cdb6 cdb_stop_unit() { return {0x1B, 1, 0, 0, 0, 0}; }
Cdb6 cdb_eject() { return {0x1B, 1, 0, 0, 2, 0}; }
Cdb6 cdb_load() { return {0x1B, 1, 0, 0, 3, 0}; }

}  // namespace varn
