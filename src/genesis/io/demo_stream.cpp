#include "genesis/io/demo_stream.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "base/endian.h"
#include "genesis/io/controller_ports.h"
#include "genesis/io/input_devices.h"

namespace varn {

std::array<u8, kDemoBufferBytes> demo_buffer{};
std::atomic<u32> demo_recording{0};
std::atomic<u32> demo_mode{0};

namespace {

constexpr char kMagic[8]   = {'V', 'A', 'R', 'N', 'D', 'E', 'M', 'O'};
constexpr u8 kWait         = 0x00;
constexpr u8 kEndOfFrame   = 0x09;
constexpr u8 kFirstInvalid = 0x0A;
constexpr u32 kWaitBytes   = 3;
constexpr u32 kMaxCount    = 0xFFFF;
// The most one frame can add: eight players' records of at most 4 bytes, then either an
// end-of-frame marker or a wait record.
constexpr u32 kFrameReserve = 8 * 4 + kWaitBytes + 1;

struct DemoState {
    // Recording: block start of the previous frame (p0), of this frame (p1), write position.
    u32 p0 = 0, p1 = 0, p2 = 0;
    u32 full = 0;
    std::array<u8, 8> rec_device{};  // device bytes of the header being recorded
    // Playback.
    u32 read_pos     = 0;
    u32 end          = 0;
    u32 wait_started = 0;  // the wait record at read_pos is being counted down
    u32 wait_left    = 0;
    std::array<u8, 8> play_device{};
    std::array<u32, 8> events{};
};
DemoState demo;

// Record length (the player byte included) by device byte: three-button pad, six-button
// pad, mouse; the gun types carry only the number; anything else has no length and is
// invalid in a stream.
u32 record_length(u8 device) {
    switch (device) {
        case 1:
            return 2;
        case 2:
            return 3;
        case 3:
            return 4;
        case 4:
        case 5:
            return 1;
        default:
            return 0;
    }
}

void device_bytes_of_live_ports(u8* out) {
    for (u32 port = 0; port < kPorts; ++port, out += 4) {
        if (port_type(port) == kPortMultitap) {
            for (u32 k = 0; k < kSubPortsPerTap; ++k)
                out[k] = static_cast<u8>(sub_port_type(port, k) + 1);
        } else {
            out[0] = static_cast<u8>(port_type(port) + 1);
            out[1] = out[2] = out[3] = 0;
        }
    }
}

// Set of players (bit n-1 for player n) of the player records in [from, to).
u32 players_between(u32 from, u32 to) {
    u32 bits = 0;
    while (from < to && from < kDemoBufferBytes) {
        const u8 player = demo_buffer[from];
        if (player < 1 || player > 8) break;
        const u32 length = record_length(demo.rec_device[player - 1]);
        if (length == 0) break;
        bits |= 1u << (player - 1);
        from += length;
    }
    return bits;
}

void append_wait(u32 count) {
    const u32 at    = demo.p2;
    demo_buffer[at] = kWait;
    store_le16(&demo_buffer[at + 1], static_cast<u16>(count));
    demo.p0 = at;
    demo.p1 = demo.p2 = at + kWaitBytes;
}

void append(u32 player, u32 payload, u32 payload_bytes) {
    if (demo_recording.load(std::memory_order_relaxed) == 0 || demo.full || payload == 0) return;
    if (player < 1 || player > 8 || demo.p2 < kDemoHeaderBytes) return;  // not started
    const u32 length = 1 + payload_bytes;
    // A device changed since the header was laid would make the stream unreadable: its
    // input is not recorded.
    if (record_length(demo.rec_device[player - 1]) != length) return;
    if (demo.p2 + length > kDemoBufferBytes) {
        demo.full = 1;
        return;
    }
    demo_buffer[demo.p2] = static_cast<u8>(player);
    for (u32 i = 0; i < payload_bytes; ++i)
        demo_buffer[demo.p2 + 1 + i] = static_cast<u8>(payload >> (8 * i));
    demo.p2 += length;
}

// Rebuilds both ports' tables from this frame's event words.
void rebuild_ports() {
    for (u32 port = 0; port < kPorts; ++port) {
        const u32 first = port * kSubPortsPerTap;  // index of the port's first player
        switch (port_type(port)) {
            case kPortPad3:
            case kPortPad6:
                build_pad_sequence(port, block_from_pad_payload(demo.events[first]));
                break;
            case kPortMouse:
                build_mouse_sequence(port, block_from_mouse_payload(demo.events[first]));
                break;
            case kPortMultitap: {
                std::array<ButtonBlock, kSubPortsPerTap> blocks{};
                for (u32 k = 0; k < kSubPortsPerTap; ++k) {
                    const u32 event = demo.events[first + k];
                    blocks[k]       = sub_port_type(port, k) == kSubMouse
                                          ? block_from_mouse_payload(event)
                                          : block_from_pad_payload(event);
                }
                build_multitap_sequence(port, blocks);
                break;
            }
            default:
                break;  // the guns replay nothing
        }
    }
}

bool device_bytes_valid(const u8* b, u32 port, u32& type, std::array<u32, 4>& subs) {
    if (b[1] | b[2] | b[3]) {
        for (u32 k = 0; k < 4; ++k) {
            if (b[k] < 1 || b[k] > 3) return false;
            subs[k] = b[k] - 1u;
        }
        type = kPortMultitap;
        return true;
    }
    const u32 highest = port == 0 ? 5 : 4;
    if (b[0] < 1 || b[0] > highest) return false;
    type = b[0] - 1u;
    return true;
}

}  // namespace

void demo_record_start() {
    std::memcpy(demo_buffer.data(), kMagic, sizeof kMagic);
    store_le32(&demo_buffer[8], 0);
    device_bytes_of_live_ports(&demo_buffer[kDemoDeviceOffset]);
    std::copy_n(&demo_buffer[kDemoDeviceOffset], 8, demo.rec_device.begin());
    demo.full = 0;
    demo.p2   = kDemoHeaderBytes;
    append_wait(0);
}

u32 demo_record_length() { return demo.p2; }
bool demo_record_full() { return demo.full != 0; }

void demo_record_pad3(u32 player, u32 payload) { append(player, payload & 0xFF, 1); }
void demo_record_pad6(u32 player, u32 payload) { append(player, payload & 0xFFFF, 2); }
void demo_record_mouse(u32 player, u32 payload) { append(player, payload & 0xFFFFFF, 3); }

void demo_event_writer() {
    if (demo_recording.load(std::memory_order_relaxed) == 0 || demo.full) return;
    if (demo.p0 < kDemoHeaderBytes || demo.p0 > demo.p1 || demo.p1 > demo.p2 ||
        demo.p2 + kWaitBytes + 1 > kDemoBufferBytes) {
        demo.full = 1;  // the recorder was never started
        return;
    }
    const u32 now  = players_between(demo.p1, demo.p2);
    const u32 prev = players_between(demo.p0, demo.p1);

    if (now == 0 && prev == 0) {
        // Another frame without input: the previous block is a wait record.
        const u32 count = load_le16(&demo_buffer[demo.p0 + 1]);
        if (demo_buffer[demo.p0] == kWait && count < kMaxCount) {
            store_le16(&demo_buffer[demo.p0 + 1], static_cast<u16>(count + 1));
        } else {
            append_wait(0);  // a full count goes on in a new record, one frame long
        }
    } else if (now == 0) {
        append_wait(1);
    } else if (prev == 0) {
        demo.p0 = demo.p1;
        demo.p1 = demo.p2;
    } else if (std::bit_width(prev) <= static_cast<u32>(std::countr_zero(now))) {
        // Every player of this frame is above every player of the last one: without a
        // marker the two frames would read as one.
        std::memmove(&demo_buffer[demo.p1 + 1], &demo_buffer[demo.p1], demo.p2 - demo.p1);
        demo_buffer[demo.p1] = kEndOfFrame;
        demo.p0              = demo.p1 + 1;
        demo.p2 += 1;
        demo.p1 = demo.p2;
    } else {
        demo.p0 = demo.p1;
        demo.p1 = demo.p2;
    }
    if (kDemoBufferBytes - demo.p2 < kFrameReserve) demo.full = 1;
}

bool demo_playback_start(u32 length, Host& host) {
    demo_mode.store(1, std::memory_order_relaxed);
    demo.end          = std::min(length, kDemoBufferBytes);
    demo.read_pos     = kDemoHeaderBytes;
    demo.wait_started = 0;
    demo.wait_left    = 0;
    demo.events.fill(0);

    std::array<u32, kPorts> types{};
    std::array<std::array<u32, 4>, kPorts> subs{};
    bool ok = demo.end >= kDemoHeaderBytes;
    for (u32 port = 0; ok && port < kPorts; ++port)
        ok = device_bytes_valid(&demo_buffer[kDemoDeviceOffset + 4 * port], port, types[port],
                                subs[port]);
    if (!ok) {
        demo_playback_end(host);
        return false;
    }
    std::copy_n(&demo_buffer[kDemoDeviceOffset], 8, demo.play_device.begin());
    for (u32 port = 0; port < kPorts; ++port) {
        port_device_type[port].store(types[port], std::memory_order_relaxed);
        if (types[port] != kPortMultitap || (demo.play_device[4 * port + 1] == 0)) continue;
        for (u32 k = 0; k < kSubPortsPerTap; ++k)
            port_sub_type[port * kSubPortsPerTap + k].store(subs[port][k],
                                                            std::memory_order_relaxed);
    }
    return true;
}

void demo_playback_step(Host& host) {
    if (demo.read_pos >= demo.end) {
        demo_playback_end(host);
        return;
    }
    demo.events.fill(0);
    u32 last = 0;
    while (demo.read_pos < demo.end) {
        const u32 at  = demo.read_pos;
        const u8 code = demo_buffer[at];
        if (code == kWait) {
            if (at + kWaitBytes > demo.end) {
                demo_playback_end(host);  // cut off inside the record
                return;
            }
            if (!demo.wait_started) {
                demo.wait_started = 1;
                demo.wait_left    = load_le16(&demo_buffer[at + 1]);
            }
            if (demo.wait_left != 0) {
                --demo.wait_left;
                break;
            }
            demo.wait_started = 0;
            demo.read_pos += kWaitBytes;
            // The opening wait has no frame of records before it to end: its count is the
            // whole number of frames without input, and the first frame after it reads on.
            if (at == kDemoHeaderBytes) continue;
            break;
        }
        if (code == kEndOfFrame) {
            ++demo.read_pos;
            break;
        }
        if (code >= kFirstInvalid) {
            demo_playback_end(host);
            return;
        }
        if (code <= last) break;  // the next frame's first record
        const u32 length = record_length(demo.play_device[code - 1]);
        if (length == 0 || at + length > demo.end) {
            demo_playback_end(host);  // no such player, or cut off inside the record
            return;
        }
        u32 event = 0;
        for (u32 i = 1; i < length; ++i) event |= u32{demo_buffer[at + i]} << (8 * (i - 1));
        demo.events[code - 1] = event;
        last                  = code;
        demo.read_pos += length;
    }
    rebuild_ports();
}

void demo_playback_end(Host& host) {
    demo_mode.store(0, std::memory_order_relaxed);
    input_apply_config();
    host.post_request(kDemoEndRequest, 0);
}

const std::array<u32, 8>& demo_events() { return demo.events; }

void demo_reset() {
    demo_buffer.fill(0);
    demo_recording.store(0, std::memory_order_relaxed);
    demo_mode.store(0, std::memory_order_relaxed);
    demo = DemoState{};
}

}  // namespace varn
