// Demo stream: what the recorder writes, how playback reads it, its edge cases, and a
// record-then-replay round trip of the ports' read tables frame by frame.

#include <cstring>
#include <vector>

#include "input_fixture.h"

namespace varn {
namespace {

using test::keys;
namespace key1 = test::key1;
namespace key2 = test::key2;

using Bytes = std::vector<u8>;

class DemoTest : public test::InputTest {
  protected:
    void start_recording() {
        demo_recording = 1;
        demo_record_start();
    }
    // The records written so far.
    static Bytes records() {
        return Bytes(demo_buffer.begin() + kDemoHeaderBytes,
                     demo_buffer.begin() + demo_record_length());
    }
    // A stream with the given device bytes and records, loaded for playback.
    bool load(const u8 (&devices)[8], const Bytes& recs) {
        demo_buffer.fill(0);
        std::memcpy(demo_buffer.data(), "VARNDEMO", 8);
        std::memcpy(&demo_buffer[kDemoDeviceOffset], devices, 8);
        std::copy(recs.begin(), recs.end(), demo_buffer.begin() + kDemoHeaderBytes);
        return demo_playback_start(static_cast<u32>(kDemoHeaderBytes + recs.size()), host);
    }
    bool playing() const { return demo_mode.load() == 1; }
};

constexpr u8 kTwoPads[8] = {1, 0, 0, 0, 1, 0, 0, 0};

TEST_F(DemoTest, HeaderAndEmptyFramesGrowTheOpeningWait) {
    plug(kPortMultitap, kPortMouse, {kSubPad3, kSubPad6, kSubMouse, kSubPad3});
    start_recording();
    for (int i = 0; i < 10; ++i) frame();
    const u8 header[20] = {'V', 'A', 'R', 'N', 'D', 'E', 'M', 'O', 0, 0,
                           0,   0,   1,   2,   3,   1,   3,   0,   0, 0};
    EXPECT_EQ(0, std::memcmp(demo_buffer.data(), header, 20));
    EXPECT_EQ(records(), (Bytes{0x00, 0x0A, 0x00}));
}

TEST_F(DemoTest, RecorderFramesAndMarkers) {
    const struct {
        const char* name;
        std::vector<HostInputState> frames;
        Bytes expect;
    } cases[] = {
        {"player 1 then player 5 needs a marker",
         {keys({key1::kStart}), keys({key2::kA})},
         {0x00, 0x00, 0x00, 0x01, 0x80, 0x09, 0x05, 0x40}},
        {"player 5 then player 1 reads apart by itself",
         {keys({key2::kA}), keys({key1::kStart})},
         {0x00, 0x00, 0x00, 0x05, 0x40, 0x01, 0x80}},
        {"both, then player 5 again",
         {keys({key1::kUp, key2::kB}), keys({key2::kC})},
         {0x00, 0x00, 0x00, 0x01, 0x01, 0x05, 0x20, 0x05, 0x10}},
        {"empty frames between inputs",
         {keys({}), keys({key1::kRight}), keys({}), keys({}), keys({key1::kC})},
         {0x00, 0x01, 0x00, 0x01, 0x08, 0x00, 0x02, 0x00, 0x01, 0x10}},
    };
    for (const auto& c : cases) {
        input_reset_records();
        input_power_on();
        start_recording();
        for (const HostInputState& f : c.frames) frame(f);
        EXPECT_EQ(records(), c.expect) << c.name;
    }
}

TEST_F(DemoTest, SixButtonAndMouseRecords) {
    plug(kPortPad6, kPortMouse);
    cfg_set(cfg_input_device[4], kSourceMouse);
    start_recording();
    HostInputState in   = keys({key1::kX, key1::kUp});
    in.mouse.dx         = -3;
    in.mouse.buttons[0] = 0x80;
    frame(in);
    EXPECT_EQ(demo_buffer[12], 2);
    EXPECT_EQ(demo_buffer[16], 3);
    EXPECT_EQ(records(), (Bytes{0x00, 0x00, 0x00, 0x01, 0x01, 0x04, 0x05, 0x11, 0xFD, 0x00}));

    // Played back, the six-button record shows X in the phase-6 byte.
    EXPECT_TRUE(load({2, 0, 0, 0, 3, 0, 0, 0}, {0x01, 0x00, 0x04}));
    frame();
    EXPECT_EQ(controller_ports[0].pad_seq[6], 0x7B);
    EXPECT_EQ(controller_ports[0].pad_seq[0], 0x7F);
}

TEST_F(DemoTest, PlaybackStartChecksTheDeviceBytes) {
    const struct {
        u8 devices[8];
        bool ok;
        u32 type1, type2;
    } cases[] = {
        {{1, 0, 0, 0, 2, 0, 0, 0}, true, kPortPad3, kPortPad6},
        {{5, 0, 0, 0, 4, 0, 0, 0}, true, kPortMultitap, kPortGunB},
        {{1, 2, 3, 1, 3, 0, 0, 0}, true, kPortMultitap, kPortMouse},
        {{6, 0, 0, 0, 1, 0, 0, 0}, false, 0, 0},  // a trigger-C gun is never replayed
        {{1, 0, 0, 0, 5, 0, 0, 0}, false, 0, 0},  // port 2 takes 1-4
        {{0, 0, 0, 0, 1, 0, 0, 0}, false, 0, 0},
        {{1, 4, 1, 1, 1, 0, 0, 0}, false, 0, 0},  // sub-port bytes are 1-3
        {{1, 1, 1, 0, 1, 0, 0, 0}, false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << +c.devices[0] << " " << +c.devices[1] << " " << +c.devices[4]);
        plug(kPortPad6, kPortPad6);
        host.clear();
        demo_mode = 1;  // as the Load Demo command sets it
        EXPECT_EQ(load(c.devices, {}), c.ok);
        EXPECT_EQ(playing(), c.ok);
        EXPECT_EQ(host.requests().size(), c.ok ? 0u : 1u);
        EXPECT_EQ(port_type(0), c.ok ? c.type1 : kPortPad6);
        EXPECT_EQ(port_type(1), c.ok ? c.type2 : kPortPad6);
        if (c.ok && c.devices[1] != 0) {
            EXPECT_EQ(sub_port_type(0, 2), 2u);
        }
        demo_mode = 0;
    }
    // Shorter than its header: nothing to check the device bytes against.
    demo_buffer.fill(0);
    demo_buffer[12] = demo_buffer[16] = 1;
    EXPECT_FALSE(demo_playback_start(19, host));
}

TEST_F(DemoTest, PlaybackFrames) {
    constexpr u32 kEnded = 0xFFFFFFFF;
    const struct {
        const char* name;
        Bytes records;
        std::vector<u32> player1;  // player 1's event word in frames 1, 2, ...; kEnded
    } cases[] = {
        {"markers, waits and the end",
         {0x01, 0x80, 0x09, 0x01, 0x40, 0x00, 0x01, 0x00, 0x05, 0x10},
         {0x80, 0x40, 0, 0, kEnded}},
        {"an opening wait counts its frames exactly",
         {0x00, 0x02, 0x00, 0x01, 0x80},
         {0, 0, 0x80, kEnded}},
        {"an empty opening wait takes no frame", {0x00, 0x00, 0x00, 0x01, 0x80}, {0x80, kEnded}},
        {"a lower player starts the next frame", {0x05, 0x01, 0x01, 0x02}, {0, 0x02, kEnded}},
        {"a cut-off wait ends playback", {0x01, 0x80, 0x00, 0x05}, {kEnded}},
        {"a cut-off player record ends playback", {0x01, 0x80, 0x09, 0x01}, {0x80, kEnded}},
        {"a player without a device ends playback", {0x02, 0x80}, {kEnded}},
        {"an invalid byte ends playback", {0x01, 0x80, 0x09, 0x0A, 0x01, 0x01}, {0x80, kEnded}},
        {"an empty stream ends at once", {}, {kEnded}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        plug(kPortPad3, kPortPad3);
        host.clear();
        ASSERT_TRUE(load(kTwoPads, c.records));
        for (u32 f = 0; f < c.player1.size(); ++f) {
            frame(keys({key1::kB}));  // the live input plays no part
            if (c.player1[f] == kEnded) {
                EXPECT_FALSE(playing()) << "frame " << f + 1;
                EXPECT_EQ(host.requests(), std::vector<u32>{kDemoEndRequest});
            } else {
                ASSERT_TRUE(playing()) << "frame " << f + 1;
                EXPECT_EQ(demo_events()[0], c.player1[f]) << "frame " << f + 1;
            }
        }
    }
}

TEST_F(DemoTest, WaitCountsPastSixteenBitsStartANewRecord) {
    start_recording();
    constexpr u32 kEmpty = 0x10004;
    for (u32 i = 0; i < kEmpty; ++i) demo_event_writer();
    demo_record_pad3(1, 0x80);
    demo_event_writer();
    EXPECT_EQ(records(), (Bytes{0x00, 0xFF, 0xFF, 0x00, 0x04, 0x00, 0x01, 0x80}));

    ASSERT_TRUE(demo_playback_start(demo_record_length(), host));
    u32 frames = 0;
    do {
        demo_playback_step(host);
        ++frames;
    } while (playing() && demo_events()[0] == 0 && frames < kEmpty + 10);
    EXPECT_EQ(frames, kEmpty + 1) << "the input comes in the frame after the empty ones";
}

TEST_F(DemoTest, FullBufferEndsTheRecordingWithAPlayableStream) {
    start_recording();
    u32 frames = 0;
    while (!demo_record_full() && frames < 200000) {
        demo_record_pad6(1, 0x0F80);  // records no player-1 reader shortens
        demo_record_pad3(5, frames & 1 ? 0x40 : 0x01);
        if (frames % 3 == 2) demo_record_pad3(1, 0);  // nothing: no record
        demo_event_writer();
        ++frames;
    }
    ASSERT_TRUE(demo_record_full());
    const u32 length = demo_record_length();
    EXPECT_LE(length, kDemoBufferBytes);
    EXPECT_GT(length, kDemoBufferBytes - 64);
    // Nothing more is appended once full.
    demo_record_pad3(5, 0x40);
    demo_event_writer();
    EXPECT_EQ(demo_record_length(), length);

    // The header says player 1 is a three-button pad, so the six-button slot recorded
    // nothing for it; replay the player 5 pattern.
    ASSERT_TRUE(demo_playback_start(length, host));
    u32 played = 0;
    for (;;) {
        demo_playback_step(host);
        if (!playing()) break;
        ASSERT_EQ(demo_events()[4], played & 1 ? 0x40u : 0x01u) << "frame " << played;
        ++played;
    }
    EXPECT_EQ(played, frames);
}

// Records a run of live frames, then replays it, comparing what the ports would answer
// after every frame.
struct RoundTripCase {
    const char* name;
    u32 port1, port2;
    std::array<u32, 4> subs1;
};

TEST_F(DemoTest, RecordThenReplayGivesTheSameReadsEveryFrame) {
    const RoundTripCase cases[] = {
        {"three- and six-button pads", kPortPad3, kPortPad6, {}},
        {"multitap and mouse",
         kPortMultitap,
         kPortMouse,
         {kSubPad3, kSubPad6, kSubMouse, kSubPad6}},
    };
    const std::vector<HostInputState> script = [] {
        std::vector<HostInputState> s;
        s.push_back(keys({key1::kStart}));
        s.push_back(keys({key1::kA, key2::kX}));
        s.push_back(keys({}));
        s.push_back(keys({key2::kMode, key2::kUp}));
        s.push_back(keys({key1::kC, key2::kZ}));
        s.push_back(keys({}));
        s.push_back(keys({}));
        HostInputState m = keys({key1::kB});
        m.mouse.dx       = 5;
        m.mouse.dy       = -300;
        m.mouse.buttons  = {0, 0x80, 0, 0};
        s.push_back(m);
        s.push_back(keys({key1::kStart, key2::kStart}));
        return s;
    }();

    for (const RoundTripCase& c : cases) {
        // With input from the first frame, and after three frames without: the stream then
        // opens with a wait record.
        for (u32 idle : {0u, 3u}) {
            SCOPED_TRACE(::testing::Message() << c.name << ", " << idle << " idle frames first");
            input_reset_records();
            input_power_on();
            plug(c.port1, c.port2, c.subs1);
            for (u32 k = 1; k < 4; ++k)
                for (u32 b = 0; b < kKeyMapBytes; ++b) key_map_set_byte(k, b, key_map_byte(4, b));
            cfg_set(cfg_input_device[2], kSourceMouse);
            cfg_set(cfg_input_device[4], c.port2 == kPortMouse ? kSourceMouse : kSourceKeyboard);

            std::vector<HostInputState> frames(idle);
            frames.insert(frames.end(), script.begin(), script.end());
            start_recording();
            std::vector<std::array<ControllerPort, 2>> live;
            for (const HostInputState& f : frames) {
                frame(f);
                live.push_back(controller_ports);
            }
            demo_recording = 0;
            ASSERT_EQ(demo_buffer[kDemoHeaderBytes + 1], idle);

            // The file form: an opening wait that counts no frame is left out of the file.
            Bytes file(demo_buffer.begin(), demo_buffer.begin() + kDemoHeaderBytes);
            const u32 from = idle == 0 ? kDemoHeaderBytes + 3 : kDemoHeaderBytes;
            file.insert(file.end(), demo_buffer.begin() + from,
                        demo_buffer.begin() + demo_record_length());

            input_reset_records();
            input_power_on();
            plug(c.port1, c.port2, c.subs1);
            std::copy(file.begin(), file.end(), demo_buffer.begin());
            ASSERT_TRUE(demo_playback_start(static_cast<u32>(file.size()), host));
            for (u32 f = 0; f < frames.size(); ++f) {
                frame();
                ASSERT_TRUE(playing());
                for (u32 p = 0; p < 2; ++p) {
                    EXPECT_EQ(controller_ports[p].pad_seq, live[f][p].pad_seq)
                        << "frame " << f << " port " << p;
                    EXPECT_EQ(controller_ports[p].mouse_seq, live[f][p].mouse_seq)
                        << "frame " << f << " port " << p;
                    EXPECT_EQ(controller_ports[p].multitap_seq, live[f][p].multitap_seq)
                        << "frame " << f << " port " << p;
                }
            }
            frame();
            EXPECT_FALSE(playing());
        }
    }
}

}  // namespace
}  // namespace varn
