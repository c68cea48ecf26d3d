// VDP and PSG ports, 0xC00000-0xC00FFF. Only 0xC00000-0xC0001F is decoded (by address bits
// 0-4); the rest of the page behaves as an undecoded port.
//   0xC00000-03  data port      0xC00004-07  control port / status
//   0xC00008-09  HV counter     0xC00011     PSG (byte writes)

#include <array>

#include "genesis/bus/bus_pages.h"
#include "genesis/sound/psg.h"
#include "genesis/vdp/vdp.h"

namespace varn {

namespace {

enum class Port { kData, kControl, kHv, kPsg, kNone };

// Decoded ports by address bits 0-4: 0-3 data, 4-7 control, 8-9 HV counter, 0x11 PSG.
constexpr std::array<Port, 32> kPortByOffset = [] {
    std::array<Port, 32> t{};
    for (u32 r = 0; r < 32; ++r) {
        t[r] = r < 4       ? Port::kData
               : r < 8     ? Port::kControl
               : r < 0xA   ? Port::kHv
               : r == 0x11 ? Port::kPsg
                           : Port::kNone;
    }
    return t;
}();

Port port_of(u32 a) { return a >= 0xC00020 ? Port::kNone : kPortByOffset[a & 0x1F]; }

// Games poll the status in tight loops: reads of 0xC00004-0xC00007 are told apart first,
// and the other ports are read out of line so that a poll needs no stack frame.
bool is_status_port(u32 a) { return a - 0xC00004 < 4; }

[[gnu::noinline]] u32 read_byte_decoded(u32 a) {
    switch (port_of(a)) {
        case Port::kData: {
            const u32 w = vdp_read_data();  // every byte read is a full data-port read
            return (a & 1) ? (w & 0xFF) : (w >> 8);
        }
        case Port::kControl:
            return vdp_read_status() & 0xFF;
        case Port::kHv: {
            const u32 hv = vdp_read_hv_counter();
            return (a & 1) ? (hv & 0xFF) : (hv >> 8);
        }
        default:
            return a;
    }
}

[[gnu::noinline]] u32 read_word_decoded(u32 a) {
    switch (port_of(a)) {
        case Port::kData:
            return vdp_read_data();
        case Port::kControl:
            return vdp_read_status();
        case Port::kHv:
            return vdp_read_hv_counter();
        default:
            return a;
    }
}

u32 vdp_read_byte(u32 a) {
    return is_status_port(a) ? vdp_read_status() & 0xFF : read_byte_decoded(a);
}

u32 vdp_read_word(u32 a) { return is_status_port(a) ? vdp_read_status() : read_word_decoded(a); }

u32 vdp_read_long(u32 a) {
    switch (port_of(a)) {
        case Port::kData: {
            const u32 high = vdp_read_data();
            return high << 16 | vdp_read_data();
        }
        case Port::kControl: {
            const u32 s = vdp_read_status();
            return s << 16 | s;
        }
        case Port::kHv: {
            const u32 hv = vdp_read_hv_counter();
            return hv << 16 | hv;
        }
        default:
            return a;
    }
}

void vdp_write_byte(u32 a, u32 v) {
    switch (port_of(a)) {
        case Port::kData:
            vdp_write_data(static_cast<u16>((v & 0xFF) * 0x101));
            break;
        case Port::kPsg:
            psg_write(static_cast<u8>(v));
            break;
        default:
            break;
    }
}

void vdp_write_word(u32 a, u32 v) {
    switch (port_of(a)) {
        case Port::kData:
            vdp_write_data(static_cast<u16>(v));
            break;
        case Port::kControl:
            vdp_write_control(static_cast<u16>(v));
            break;
        default:
            break;
    }
}

void vdp_write_long(u32 a, u32 v) {
    const u16 high = static_cast<u16>(v >> 16);
    const u16 low  = static_cast<u16>(v);
    switch (port_of(a)) {
        case Port::kData:
            vdp_write_data(high);
            // The low word lands on the next port: still data below 0xC00002, else control.
            if ((a & 3) < 2) {
                vdp_write_data(low);
            } else {
                vdp_write_control(low);
            }
            break;
        case Port::kControl:
            vdp_write_control(high);
            if ((a & 3) < 2) vdp_write_control(low);
            break;
        default:
            break;
    }
}

}  // namespace

const M68kHandlerSet m68k_vdp_port_set{vdp_read_byte,  vdp_read_word,  vdp_read_long,
                                       vdp_write_byte, vdp_write_word, vdp_write_long};

}  // namespace varn
