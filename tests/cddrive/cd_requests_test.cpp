// The CD requests against a fake drive: the command block each request sends, sector reads
// into the cache (round-robin, retries, zeros after failure, time-outs), the table of
// contents, the play range and the audio words, the poll's tray notices, and the requests
// without a drive.

#include "cddrive/cd_requests.h"

#include <gtest/gtest.h>

#include <array>

#include "base/config.h"
#include "cddrive/cd_drive_commands.h"
#include "cddrive/cd_drive_table.h"
#include "cddrive/cd_msf.h"
#include "cddrive/fake_drive.h"

namespace varn {
namespace {

using test::FakeBus;
using test::FakeDrive;
using test::FakeDriveLog;

// A four-slot cache as the emulated drive keeps it: {state, sector} and 2352 bytes a slot.
struct TestCache {
    std::array<std::array<u8, kCdSlotBytes>, 4> slots{};
    std::array<u8, 4> state{};
    std::array<u32, 4> lba{};
    u32 next = 0;
    std::array<u8, 804> toc{};
    std::vector<u32> image_reads;
};
TestCache cache;

std::span<u8> test_fill_begin(u32 lba) {
    cache.state[cache.next] = 0;
    cache.lba[cache.next]   = lba;
    return cache.slots[cache.next];
}
void test_fill_end() {
    cache.state[cache.next] = 1;
    cache.next              = (cache.next + 1) & 3;
}
std::span<u8> test_toc() { return cache.toc; }
void test_image_read(u32 lba, std::span<u8> user) {
    cache.image_reads.push_back(lba);
    std::fill(user.begin(), user.end(), static_cast<u8>(lba));
}

// A table of contents: tracks starting at the given blocks, then the lead-out.
void set_toc(std::initializer_list<u32> starts, u32 lead_out) {
    cache.toc.fill(0);
    cache.toc[2] = 1;
    cache.toc[3] = static_cast<u8>(starts.size());
    u32 i        = 0;
    auto put     = [&](u32 track, u32 start) {
        u8* d = &cache.toc[4 + 8 * i++];
        d[1]  = track == 1 ? kTocDataControl : kTocAudioControl;
        d[2]  = static_cast<u8>(track);
        d[4]  = static_cast<u8>(start >> 24);
        d[5]  = static_cast<u8>(start >> 16);
        d[6]  = static_cast<u8>(start >> 8);
        d[7]  = static_cast<u8>(start);
    };
    for (u32 s : starts) put(i + 1, s);
    put(kTocLeadOutTrack, lead_out);
}

class CdRequestsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        cache            = {};
        cd_request_slots = {test_fill_begin, test_fill_end, test_toc, test_image_read};
        cd_requests_reset();
        cd_drive_table_reset();
        bus.entries = {{{0, 0, 0, 0, kScsiTypeCdRom, "/dev/sr0"}, &drive}};
        cd_drive_set_system_bus(&bus);
        iso = test::fixture_iso();
        drive.insert(iso);
    }
    void TearDown() override {
        aspi_stop_disc();
        cd_drive_set_system_bus(nullptr);
        cd_drive_table_reset();
        cd_request_slots = {};
    }
    void choose_drive() {
        cd_drive_scan(bus);
        cd_drive_select(1);
        log.commands.clear();
    }
    std::vector<u8> last_cdb() const {
        return log.commands.empty() ? std::vector<u8>{} : log.commands.back().cdb;
    }

    FakeDriveLog log;
    FakeDrive drive{"FAKECO  FAKE CD-ROM     ", &log};
    FakeBus bus;
    std::vector<u8> iso;
};

TEST_F(CdRequestsTest, EachRequestSendsItsCommandBlock) {
    set_toc({0, 1000, 5000}, 9000);
    choose_drive();
    const struct {
        u32 code, param;
        std::vector<u8> cdb;
        std::size_t data;
    } cases[] = {
        {kRequestCdPoll, 0, {0x00, 0, 0, 0, 0, 0}, 0},
        {kRequestCdReadSector, 0x00012345, {0x28, 0, 0x00, 0x01, 0x23, 0x45, 0, 0, 1, 0}, 2048},
        // Track 2 from 00:20:00 (frame 1500) to track 3's start (frame 5000, 01:06:50).
        {kRequestCdPlayAudio, 0x00002000, {0x47, 0, 0, 0, 20, 0, 1, 6, 50, 0}, 0},
        {kRequestCdStopAudio, 0, {0x1B, 1, 0, 0, 0, 0}, 0},
        {kRequestCdPauseAudio, 0, {0x4B, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0},
        {kRequestCdResumeAudio, 0, {0x4B, 0, 0, 0, 0, 0, 0, 0, 1, 0}, 0},
        {kRequestCdCloseTray, 0, {0x1B, 1, 0, 0, 3, 0}, 0},
        {kRequestCdOpenTray, 0, {0x1B, 1, 0, 0, 2, 0}, 0},
    };
    for (const auto& c : cases) {
        log.commands.clear();
        drive.insert(iso);
        cd_request(c.code, c.param);
        ASSERT_FALSE(log.commands.empty()) << std::hex << c.code;
        EXPECT_EQ(log.commands.front().cdb, c.cdb) << std::hex << c.code;
        EXPECT_EQ(log.commands.front().data_length, c.data) << std::hex << c.code;
        EXPECT_GT(log.commands.front().timeout_ms, 0u) << "every command has a time limit";
    }
    std::array<u8, 804> toc{};
    log.commands.clear();
    ASSERT_TRUE(cdrom_build_toc_from_drive(toc));
    EXPECT_EQ(last_cdb(), (std::vector<u8>{0x43, 0, 0, 0, 0, 0, 1, 0x03, 0x24, 0}));
    EXPECT_EQ(log.commands.back().data_length, 804u);
}

TEST_F(CdRequestsTest, SectorsFromTheDriveFillTheCacheRoundRobin) {
    if (iso.empty()) GTEST_SKIP() << "test data absent: " << VARN_TESTDATA_DIR;
    choose_drive();
    cd_audio_playing = {1, 1, 1};
    for (u32 lba = 0; lba < 6; ++lba) cdrom_read_sector(lba);
    EXPECT_EQ(cache.next, 2u);
    for (u32 slot = 0; slot < 4; ++slot) {
        const u32 lba = slot < 2 ? slot + 4 : slot;
        EXPECT_EQ(cache.lba[slot], lba);
        EXPECT_EQ(cache.state[slot], 1);
        EXPECT_TRUE(std::equal(iso.begin() + lba * 2048, iso.begin() + (lba + 1) * 2048,
                               cache.slots[slot].begin() + 16))
            << "sector " << lba;
    }
    EXPECT_EQ(cd_audio_playing.playing + cd_audio_playing.resume + cd_audio_playing.running, 0u);
}

TEST_F(CdRequestsTest, FailedReadsAreRetriedOnceThenDeliverZeros) {
    if (iso.empty()) GTEST_SKIP() << "test data absent: " << VARN_TESTDATA_DIR;
    choose_drive();
    const u32 last_block = drive.blocks() - 1;
    const struct {
        std::vector<ScsiOutcome> outcomes;
        u32 lba;
        bool data;     // the sector's bytes arrive
        u32 commands;  // commands that reached the drive
        const char* what;
    } cases[] = {
        {{ScsiOutcome::kCheckCondition}, 3, true, 2, "one failure: the retry reads it"},
        {{ScsiOutcome::kFailed, ScsiOutcome::kCheckCondition}, 3, false, 2, "two: zeros"},
        {{}, last_block + 1, false, 2, "past the disc's end: zeros"},
        {{ScsiOutcome::kTimeout}, 3, false, 1, "a time-out: the drive is hung, zeros"},
        {{}, 4, false, 0, "while hung nothing reaches the drive"},
    };
    for (const auto& c : cases) {
        log.commands.clear();
        drive.next_outcomes.assign(c.outcomes.begin(), c.outcomes.end());
        auto& slot = cache.slots[cache.next];
        slot.fill(0xAB);  // what the slot held before
        const u32 index = cache.next;
        cdrom_read_sector(c.lba);
        EXPECT_EQ(cache.state[index], 1) << c.what << ": the slot is filled either way";
        EXPECT_EQ(log.commands.size(), c.commands) << c.what;
        const auto user = std::span(slot).subspan(16, 2048);
        if (c.data) {
            EXPECT_TRUE(std::equal(user.begin(), user.end(), iso.begin() + c.lba * 2048)) << c.what;
        } else {
            EXPECT_TRUE(std::all_of(user.begin(), user.end(), [](u8 b) { return b == 0; }))
                << c.what;
        }
    }
    EXPECT_TRUE(cd_drive_hung());
    // The next Boot Sega CD opens the drive again.
    mci_open_cdaudio();
    EXPECT_FALSE(cd_drive_hung());
    log.commands.clear();
    cdrom_read_sector(5);
    EXPECT_EQ(log.commands.size(), 1u);
    EXPECT_TRUE(std::equal(iso.begin() + 5 * 2048, iso.begin() + 6 * 2048,
                           cache.slots[(cache.next + 3) & 3].begin() + 16));
}

TEST_F(CdRequestsTest, TableOfContentsComesFromTheDriveOrStaysAsItWas) {
    if (iso.empty()) GTEST_SKIP() << "test data absent: " << VARN_TESTDATA_DIR;
    choose_drive();
    std::array<u8, 804> toc{};
    toc.fill(0x55);
    ASSERT_TRUE(cdrom_build_toc_from_drive(toc));
    EXPECT_EQ(toc[2], 1);
    EXPECT_EQ(toc[3], 1);
    EXPECT_EQ(toc[4 + 1], kTocDataControl);
    EXPECT_EQ(toc_entry_start(toc, 1), drive.blocks());
    drive.next_outcomes = {ScsiOutcome::kCheckCondition};
    std::array<u8, 804> kept{};
    kept.fill(0x55);
    EXPECT_FALSE(cdrom_build_toc_from_drive(kept));
    EXPECT_TRUE(std::all_of(kept.begin(), kept.end(), [](u8 b) { return b == 0x55; }));
    cd_drive_select(0);
    EXPECT_FALSE(cdrom_build_toc_from_drive(kept)) << "no drive chosen";
}

TEST_F(CdRequestsTest, PlayRunsToTheTrackEndAndTheWordsFollowTheAudio) {
    set_toc({0, 1000, 5000}, 9000);
    choose_drive();
    const struct {
        u32 start;
        std::vector<u8> cdb;  // empty: no command
        const char* what;
    } cases[] = {
        {0x00000000, {0x47, 0, 0, 0, 0, 0, 0, 13, 25}, "track 1 to track 2's start"},
        {0x00011000, {0x47, 0, 0, 1, 10, 0, 2, 0, 0}, "inside the last track: to the lead-out"},
        {0x00010650, {0x47, 0, 0, 1, 6, 50, 2, 0, 0}, "at the last track's start"},
        {0x00020000, {}, "at the lead-out: nothing to play"},
        {0x00300000, {}, "far past the lead-out"},
    };
    for (const auto& c : cases) {
        log.commands.clear();
        cd_audio_playing = {};
        cd_request_play(c.start);
        if (c.cdb.empty()) {
            EXPECT_TRUE(log.commands.empty()) << c.what;
            EXPECT_EQ(cd_audio_playing.playing, 0u) << c.what;
            continue;
        }
        ASSERT_EQ(log.commands.size(), 1u) << c.what;
        std::vector<u8> want = c.cdb;
        want.push_back(0);
        EXPECT_EQ(log.commands[0].cdb, want) << c.what;
        EXPECT_EQ(cd_audio_playing.playing, 1u) << c.what;
    }
    // Pause keeps in the resume word whether it was running; resume sets both again.
    cd_request_play(0);
    cd_request_pause();
    EXPECT_EQ(cd_audio_playing.playing, 1u);
    EXPECT_EQ(cd_audio_playing.resume, 1u);
    EXPECT_EQ(cd_audio_playing.running, 0u);
    cd_request_pause();
    EXPECT_EQ(cd_audio_playing.resume, 0u) << "a second pause: nothing was running";
    cd_request_resume();
    EXPECT_EQ(cd_audio_playing.resume + cd_audio_playing.running, 2u);
    cd_request_stop();
    EXPECT_EQ(cd_audio_playing.playing + cd_audio_playing.resume + cd_audio_playing.running, 0u);
    // The sound's resume brings back only audio that its pause stopped while it ran.
    const struct {
        CdAudioWords before;
        bool resumes;
    } with_sound[] = {{{1, 1, 0}, true}, {{1, 0, 0}, false}, {{0, 1, 0}, false}, {{}, false}};
    for (const auto& w : with_sound) {
        cd_audio_playing = w.before;
        log.commands.clear();
        cd_request(kRequestCdResumeAudio, kCdResumeWithSound);
        EXPECT_EQ(log.commands.size(), w.resumes ? 1u : 0u) << w.before.playing << w.before.resume;
        EXPECT_EQ(cd_audio_playing.running, w.resumes ? 1u : 0u);
    }
    // A play the drive refuses leaves the drive idle.
    drive.next_outcomes = {ScsiOutcome::kCheckCondition};
    cd_request_play(0);
    EXPECT_EQ(cd_audio_playing.playing, 0u);
}

TEST_F(CdRequestsTest, PollAndTrayRequestsHandTheTrayToTheEmulatedDrive) {
    choose_drive();
    cd_request_poll();
    EXPECT_EQ(cd_tray_notice_take(), kTrayNoticeClose);
    EXPECT_EQ(cd_tray_notice_take(), 0u) << "taken once";
    drive.remove();
    cd_request_poll();
    EXPECT_EQ(cd_tray_notice_take(), kTrayNoticeOpen);
    drive.next_outcomes = {ScsiOutcome::kFailed};
    cd_request_poll();
    EXPECT_EQ(cd_tray_notice_take(), 0u) << "any other outcome changes nothing";
    cd_audio_playing = {1, 1, 1};
    cd_request_eject();
    EXPECT_EQ(cd_audio_playing.playing, 0u);
    cd_request_load();
    drive.insert(iso);
    cd_request_poll();
    // Everything since the last tick arrives together.
    EXPECT_EQ(cd_tray_notice_take(), kTrayNoticeEjected | kTrayNoticeLoaded | kTrayNoticeClose);
}

TEST_F(CdRequestsTest, WithoutADriveSectorsComeFromTheImageAndTheRestDoesNothing) {
    set_toc({0, 1000}, 2000);
    cd_drive_scan(bus);  // a drive exists but none is chosen
    log.commands.clear();
    for (u32 code = kRequestCdPoll; code <= kRequestCdOpenTray; ++code) {
        if (code != kRequestCdReadSector) cd_request(code, 0);
    }
    EXPECT_TRUE(log.commands.empty());
    EXPECT_EQ(cd_tray_notice_take(), 0u);
    cache.slots[1].fill(0xAB);
    cd_request(kRequestCdReadSector, 7);
    cd_request(kRequestCdReadSector, 0xFFFFFFF0u);  // before the first sector
    EXPECT_EQ(cache.image_reads, (std::vector<u32>{7}));
    EXPECT_EQ(cache.slots[0][16], 7);
    EXPECT_EQ(cache.state[1], 1) << "a negative sector is only marked filled";
    EXPECT_EQ(cache.lba[1], 0xFFFFFFF0u);
    EXPECT_EQ(cache.slots[1][16], 0xAB);
    EXPECT_EQ(cache.next, 2u);
    EXPECT_TRUE(log.commands.empty());
}

TEST(CdMsf, ConversionsAndTrackLookup) {
    const struct {
        u32 bcd, frames;
    } times[] = {{0x00023000, 11250},
                 {0x00740000, 333000},
                 {0x00000200, 150},
                 {0x00595974, 59 * 4500 + 59 * 75 + 74},
                 {0, 0}};
    for (const auto& t : times) {
        EXPECT_EQ(bcd_msf_to_frames(t.bcd), t.frames) << std::hex << t.bcd;
        EXPECT_EQ(frames_to_bcd_msf(t.frames), t.bcd) << t.frames;
    }
    for (u32 n = 0; n < 100 * 4500; n += 37) ASSERT_EQ(bcd_msf_to_frames(frames_to_bcd_msf(n)), n);
    set_toc({150, 1000, 5000}, 9000);
    const struct {
        u32 frames;
        s32 offset;
    } finds[] = {{150, 0}, {999, 0}, {1000, 8}, {4999, 8}, {5000, 16}, {9000, 24}, {100, -8}};
    for (const auto& f : finds)
        EXPECT_EQ(toc_find_track(cache.toc, f.frames), f.offset) << f.frames;
    // Past the lead-out the walk runs over the cleared descriptors to the 100th.
    EXPECT_EQ(toc_find_track(cache.toc, 9001), 99 * 8);
    // A table whose descriptors all lie below the frame: the walk ends at the 100th.
    std::array<u8, 804> rising{};
    for (u32 i = 0; i < 100; ++i) rising[4 + 8 * i + 7] = static_cast<u8>(i);
    EXPECT_EQ(toc_find_track(rising, 500), 99 * 8);
}

}  // namespace
}  // namespace varn
