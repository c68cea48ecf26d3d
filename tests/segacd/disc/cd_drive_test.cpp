// The disc side of the Sega CD: the sector cache (also across threads), the table of
// contents and CD times, the drive's commands and reports with their tick timing, and the
// CD controller's register file, host data and transfers.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "genesis/runtime/runtime_fixture.h"
#include "m68k/m68k_bus.h"
#include "segacd/scd_cache.h"
#include "segacd/scd_drive.h"
#include "segacd/segacd.h"
#include "support/test_machine.h"

namespace varn {
namespace {

// A recognisable raw sector: every byte depends on the sector and its offset.
u8 pattern(u32 sector, u32 i) { return static_cast<u8>(sector * 31 + i * 7 + (i >> 8)); }

void fill_sector(u32 sector) {
    cd_cache_fill(static_cast<s32>(sector), [sector](std::span<u8, kCdRawSectorBytes> raw) {
        for (u32 i = 0; i < kCdRawSectorBytes; ++i) raw[i] = pattern(sector, i);
    });
}

bool gives_up() { return false; }

class DiscTest : public test::RuntimeTest {
  protected:
    static void SetUpTestSuite() { test::compose_machines(); }
    void SetUp() override {
        RuntimeTest::SetUp();
        scd_ga                   = ScdGateArray{};
        scd_ga.regs[0x33]        = 0x30;  // drive and controller interrupts enabled
        s68k_context.irq_pending = 0;
        cdd_reset();
        cdd_cdc_reset_regs();
        cd_clear_read_cache();
        cd_default_toc(cd_toc);
        scd_cdc_buffer.fill(0);
        cd_cache_wait = gives_up;
    }
    void TearDown() override {
        cd_cache_wait = default_wait_;
        emu_stop_req.store(0);
        RuntimeTest::TearDown();
    }

    // Latches a command: values 0-8, then the checksum value's write.
    static void command(std::array<u8, 9> values) {
        for (u32 i = 0; i < 9; ++i) s68k_write_byte(0xFF8042 + i, values[i]);
        s68k_write_byte(0xFF804B, 0);
    }
    static void ticks(u32 n) {
        for (u32 i = 0; i < n; ++i) scd_tick();
    }
    static u32 status(u32 i) { return s68k_read_byte(0xFF8038 + i); }
    static bool irq(u32 level) { return (s68k_context.irq_pending >> level & 1) != 0; }
    static bool checksum_ok() {
        u32 sum = 0;
        for (u32 i = 0; i < 9; ++i) sum += status(i);
        return status(9) == ((sum ^ 0xF) & 0xF);
    }
    // The image sectors asked for, in order.
    std::vector<u32> sector_requests() const {
        std::vector<u32> out;
        const auto codes  = host.requests();
        const auto params = host.request_params();
        for (std::size_t i = 0; i < codes.size(); ++i)
            if (codes[i] == kRequestCdReadSector) out.push_back(params[i]);
        return out;
    }
    // A table of `tracks` tracks from 00:02:00, `length` frames each, with the given
    // control bytes.
    static void toc_of(std::vector<u8> controls, u32 length) {
        cd_toc.fill(0);
        cd_toc[2] = 1;
        cd_toc[3] = static_cast<u8>(controls.size());
        u32 start = 150;
        for (u32 i = 0; i < controls.size(); ++i, start += length)
            cd_toc_set(cd_toc, i, static_cast<u8>(i + 1), start, controls[i]);
        cd_toc_set(cd_toc, static_cast<u32>(controls.size()), 0xAA, start, 0x14);
    }

    bool (*default_wait_)() = cd_cache_wait;
};

TEST_F(DiscTest, TimesAndTableOfContents) {
    EXPECT_EQ(frames_to_bcd_msf(333000), 0x00740000u);
    EXPECT_EQ(bcd_msf_to_frames(0x00000200), 150u);
    for (u32 f : {0u, 74u, 75u, 4499u, 332999u})
        EXPECT_EQ(bcd_msf_to_frames(frames_to_bcd_msf(f)), f);

    // The default table: one data track from 00:00:00, the lead-out at 73:59:74.
    EXPECT_EQ(cd_toc_first_track(), 1);
    EXPECT_EQ(cd_toc_last_track(), 1);
    EXPECT_EQ(cd_toc_start(0), 0u);
    EXPECT_NE(cd_toc_control(0) & 4, 0);
    EXPECT_EQ(frames_to_bcd_msf(cd_toc_start(1)), 0x00735974u);
    EXPECT_EQ(cd_track_lookup(150), 0);

    // Lookups and indexes that leave the table stay bounded.
    toc_of({0x14, 0x10, 0x10}, 1000);
    struct Case {
        u32 frame;
        s32 index;
    };
    for (const Case c : {Case{10, -1}, Case{150, 0}, Case{1149, 0}, Case{1150, 1}, Case{2500, 2},
                         Case{3150, 3}, Case{999999, 3}})
        EXPECT_EQ(cd_track_lookup(c.frame), c.index) << c.frame;
    EXPECT_EQ(cd_toc_start(-1), 0u);
    EXPECT_EQ(cd_toc_start(100), 0u);
    EXPECT_EQ(cd_toc_control(100), 0);
    EXPECT_EQ(cd_toc_start(4), 0u);  // after the lead-out: nothing
}

TEST_F(DiscTest, SectorCacheSlots) {
    std::array<u8, kCdRawSectorBytes> out{};
    EXPECT_FALSE(cd_cache_peek(10, out));
    fill_sector(10);
    ASSERT_TRUE(cd_read_sector_cached(10, out));
    EXPECT_EQ(out[100], pattern(10, 100));
    ASSERT_TRUE(cd_read_sector_cached(10, out));
    EXPECT_EQ(cd_cache.state[0].load(), kCdSlotReady | kCdSlotTaken);
    EXPECT_EQ(cd_cache.fill_index.load(), 1u);

    // Round-robin: the fifth fill replaces the first slot.
    for (u32 s = 11; s < 15; ++s) fill_sector(s);
    EXPECT_FALSE(cd_cache_peek(10, out));
    EXPECT_TRUE(cd_cache_peek(14, out));
    EXPECT_EQ(out[2351], pattern(14, 2351));

    // A negative sector only marks its slot ready.
    cd_cache_fill(-1, [](std::span<u8, kCdRawSectorBytes> raw) { raw[0] = 0xEE; });
    EXPECT_EQ(cd_cache.state[1].load(), kCdSlotReady);
    EXPECT_NE(cd_cache.data[1][0], 0xEE);

    // A sector that never comes: the wait gives up when told to, and the sector is asked
    // for again after a while; without an emulation thread the default wait gives up after
    // a few such requests.
    int waits     = 0;
    static int* w = nullptr;
    w             = &waits;
    cd_cache_wait = [] { return ++*w < 5000; };
    EXPECT_FALSE(cd_read_sector_cached(99, out));
    EXPECT_EQ(sector_requests(), std::vector<u32>{99});
    cd_cache_wait = default_wait_;
    host.clear();
    EXPECT_FALSE(cd_read_sector_cached(98, out));
    EXPECT_EQ(sector_requests(), (std::vector<u32>{98, 98, 98, 98}));
}

// On the emulation thread the wait for a sector that has not come honours pause and stop.
std::atomic<int> wait_result{-1};
void waiting_entry() {
    std::array<u8, kCdRawSectorBytes> out{};
    wait_result.store(cd_read_sector_cached(10, out) ? 1 : 0);
}

TEST_F(DiscTest, WaitOnTheEmulationThreadHonoursPauseAndStop) {
    cd_cache_wait = default_wait_;
    wait_result.store(-1);
    std::thread thread = emu_thread_start();
    emu_stop_and_wait();
    emu_thread_target.store(waiting_entry);
    while (emu_thread_state.load() != kThreadRunning) std::this_thread::yield();
    emu_pause_request(kPauseUser);
    EXPECT_EQ(emu_thread_state.load(), kThreadPaused);
    EXPECT_EQ(wait_result.load(), -1);
    emu_resume_request(kPauseUser);
    emu_stop_and_wait();
    EXPECT_EQ(wait_result.load(), 0);
    emu_thread_target.store(emu_thread_exit);
    thread.join();
}

// The filler on another thread keeps at most three sectors ahead of the reader, as the
// drive's read-ahead does; every sector arrives whole. The reader's wait lasts until the
// filler has stored the sector it wants, however long the machine's load keeps the filler
// off the processor (the reader gives up after a number of looks without an emulation
// thread, which this test does not have).
TEST_F(DiscTest, SectorCacheAcrossThreads) {
    constexpr u32 kSectors = 3000;
    static std::atomic<u32> next_wanted{0}, filled{0};
    next_wanted.store(0);
    filled.store(0);
    cd_cache_wait = [] {
        while (filled.load(std::memory_order_acquire) <= next_wanted.load()) {
            std::this_thread::yield();
        }
        return true;
    };
    std::thread filler([&] {
        for (u32 s = 0; s < kSectors; ++s) {
            while (s >= next_wanted.load(std::memory_order_acquire) + 3) std::this_thread::yield();
            fill_sector(s);
            filled.store(s + 1, std::memory_order_release);
        }
    });
    std::array<u8, kCdRawSectorBytes> out{};
    u32 bad = 0;
    for (u32 s = 0; s < kSectors; ++s) {
        ASSERT_TRUE(cd_read_sector_cached(s, out));
        for (u32 i = 0; i < kCdRawSectorBytes; i += 97) bad += out[i] != pattern(s, i);
        next_wanted.store(s + 1, std::memory_order_release);
    }
    filler.join();
    EXPECT_EQ(bad, 0u);
}

TEST_F(DiscTest, ReadCommandDeliversSectorsOnTime) {
    // Read to 00:02:00 on a one-track data disc.
    command({3, 0, 0, 0, 0, 2, 0, 0, 0});
    ticks(kCddCommandTicks - 1);
    EXPECT_FALSE(irq(4));
    EXPECT_TRUE(sector_requests().empty());
    ticks(1);
    EXPECT_TRUE(irq(4));
    EXPECT_EQ(status(0), 1u);  // playing
    EXPECT_EQ(status(1), 2u);  // the track report
    EXPECT_EQ(status(3), 1u);
    EXPECT_TRUE(checksum_ok());
    EXPECT_EQ(sector_requests(), (std::vector<u32>{0, 1, 2}));
    EXPECT_EQ(s68k_read_byte(0xFF8037) & 1, 1u);  // data track
    for (u32 s = 0; s < 3; ++s) fill_sector(s);

    ticks(kCddSectorReload);
    EXPECT_FALSE(irq(5));
    ticks(1);  // 2202 ticks after the command's second phase
    EXPECT_TRUE(irq(5));
    const u8 header[4] = {0x00, 0x02, 0x00, 0x01};
    EXPECT_TRUE(std::equal(header, header + 4, scd_cdc_buffer.begin() + 12));
    EXPECT_EQ(scd_cdc_buffer[16], pattern(0, 16));
    EXPECT_EQ(scd_cdc_buffer[16 + 2047], pattern(0, 16 + 2047));
    EXPECT_EQ(sector_requests().back(), 3u);  // read-ahead

    // The next sector 2352 bytes further on, its header time a frame later.
    ticks(kCddSectorReload + 1);
    EXPECT_EQ(scd_cdc_buffer[12 + 2352 + 2], 0x01);
    EXPECT_EQ(scd_cdc_buffer[16 + 2352], pattern(1, 16));
    EXPECT_EQ(cdd.abs_time, 0x00000201u);
}

TEST_F(DiscTest, PendingCommandsAndStatusCodes) {
    // A status command while a read counts down arms nothing: the read completes.
    command({3, 0, 0, 0, 0, 2, 0, 0, 0});
    ticks(100);
    command({0, 0, 0, 0, 0, 0, 0, 0, 0});
    ticks(kCddCommandTicks - 100);
    EXPECT_EQ(status(0), 1u);
    EXPECT_EQ(status(1), 2u);

    // Commands 5, 11, 14, 15 do nothing at all.
    s68k_context.irq_pending = 0;
    command({5, 0, 0, 0, 0, 0, 0, 0, 0});
    ticks(kCddCommandTicks);
    EXPECT_FALSE(irq(4));

    struct Case {
        u8 code;
        u32 status0;
        u32 request;  // 0: none
    };
    const Case cases[] = {
        {6, 4, 0x30000004},   // pause: spinning, not reading
        {7, 1, 0x30000005},   // play
        {1, 0, 0x30000003},   // stop
        {10, 4, 0},           // spin up paused
        {13, 5, 0x30000007},  // open the tray
    };
    for (const Case& c : cases) {
        host.clear();
        command({c.code, 0, 0, 0, 0, 0, 0, 0, 0});
        ticks(kCddCommandTicks);
        EXPECT_EQ(status(0), c.status0) << int{c.code};
        EXPECT_TRUE(checksum_ok()) << int{c.code};
        const auto r = host.requests();
        if (c.request != 0) {
            EXPECT_EQ(r, std::vector<u32>{c.request}) << int{c.code};
        }
    }
    // The front end closes the tray: a reboot request, then status 12 once.
    host.clear();
    cd_tray_word = 1;
    cd_tray_close();
    EXPECT_EQ(host.requests(), std::vector<u32>{kRequestReboot});
    EXPECT_EQ(host.request_params(), std::vector<u32>{2});
    command({0, 0, 0, 0, 0, 0, 0, 0, 0});
    ticks(kCddCommandTicks);
    EXPECT_EQ(status(0), 12u);
    command({0, 0, 0, 0, 0, 0, 0, 0, 0});
    ticks(kCddCommandTicks);
    EXPECT_EQ(status(0), 0u);
}

TEST_F(DiscTest, Reports) {
    toc_of({0x14, 0x14, 0x10}, 4500);  // tracks at 00:02:00, 01:02:00, 02:02:00
    struct Case {
        u8 type, t10, t1;
        std::array<u32, 8> values;  // status values 1-8
    };
    const Case cases[] = {
        {4, 0, 0, {4, 0, 1, 0, 3, 0, 0, 0}},
        {5, 0, 2, {5, 0, 1, 0, 2, 0 + 8, 0, 2}},  // data track: frame tens + 8
        {5, 0, 3, {5, 0, 2, 0, 2, 0, 0, 3}},
        {5, 0, 0, {5, 0, 0, 0, 0, 8 - 8, 0, 0}},  // outside the table: 00:00:00
        {5, 9, 9, {5, 0, 0, 0, 0, 0, 0, 9}},
        {3, 0, 0, {3, 0, 3, 0, 2, 0, 0, 0}},  // lead-out 03:02:00
        {7, 0, 0, {15, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        command({2, 0, 0, c.type, c.t10, c.t1, 0, 0, 0});
        ticks(kCddReportTicks);
        for (u32 i = 1; i <= 8; ++i)
            EXPECT_EQ(status(i), c.values[i - 1]) << int{c.type} << " value " << i;
        EXPECT_TRUE(checksum_ok());
    }
    // The first lead-out report spun the drive up paused at track 1.
    EXPECT_EQ(cdd.spinning, 1);
    EXPECT_EQ(cdd.reading, 0);
    EXPECT_EQ(cdd.track, 1);
}

TEST_F(DiscTest, EndOfTheLastTrack) {
    toc_of({0x14}, 10);  // image sectors 0-9, the lead-out at frame 160
    for (u32 s = 5; s < 9; ++s) fill_sector(s);
    command({3, 0, 0, 0, 0, 2, 0, 5, 0});  // 00:02:05: image sector 5
    ticks(kCddCommandTicks);
    for (u32 s = 5; s < 10; ++s) {
        ticks(kCddSectorReload + 1);
        EXPECT_EQ(scd_cdc_buffer[(cdc.header_ptr + 4) & 0xFFFF], pattern(s, 16)) << s;
        if (s + 4 < 10) fill_sector(s + 4);
    }
    EXPECT_EQ(cdd.track, 1);
    // One step into the lead-out entry, then the drive stops at the next boundary.
    ticks(kCddSectorReload + 1);
    EXPECT_EQ(cdd.track, 2);
    EXPECT_EQ(cdd.spinning, 1);
    ticks(kCddSectorReload + 1);
    EXPECT_EQ(cdd.spinning, 0);
    EXPECT_EQ(cdd.track, 0);
}

TEST_F(DiscTest, ControllerRegisters) {
    auto write_reg = [](u8 r, u8 v) {
        s68k_write_byte(0xFF8005, r);
        s68k_write_byte(0xFF8007, v);
    };
    auto read_reg = [](u8 r) {
        s68k_write_byte(0xFF8005, r);
        return s68k_read_byte(0xFF8007);
    };
    write_reg(2, 0x34);
    write_reg(3, 0x12);
    write_reg(8, 0x78);
    write_reg(9, 0x56);
    EXPECT_EQ(read_reg(1), 0xFFu);
    EXPECT_EQ(read_reg(2), 0x34u);
    EXPECT_EQ(read_reg(3), 0x02u);  // bits 8-11 of the count
    EXPECT_EQ(read_reg(7), 0x01u);
    EXPECT_EQ(read_reg(10), 0x78u);
    EXPECT_EQ(read_reg(11), 0x56u);
    EXPECT_EQ(read_reg(12), 0x80u);
    // The pointer advances on each access and wraps from 15 to 0.
    s68k_write_byte(0xFF8005, 15);
    s68k_write_byte(0xFF8007, 0x99);
    s68k_write_byte(0xFF8007, 0xAB);  // register 0
    s68k_write_byte(0xFF8005, 0);
    EXPECT_EQ(s68k_read_byte(0xFF8007), 0xABu);
    EXPECT_EQ(s68k_read_byte(0xFF8007), 0xFFu);

    // Host data: sixteen reads drain a count of 31; further reads keep reading the ring.
    for (u32 i = 0; i < 40; ++i) scd_cdc_buffer[0x100 + i] = static_cast<u8>(i);
    write_reg(2, 31);
    write_reg(3, 0);
    write_reg(4, 0x00);
    write_reg(5, 0x01);
    s68k_write_byte(0xFF8005, 6);
    s68k_write_byte(0xFF8007, 0);                   // trigger
    EXPECT_EQ(s68k_read_word(0xFF8004) >> 14, 1u);  // data ready
    for (u32 i = 0; i < 16; ++i) EXPECT_EQ(s68k_read_word(0xFF8008), (2 * i) << 8 | (2 * i + 1));
    EXPECT_EQ(s68k_read_word(0xFF8004) >> 14, 2u);  // end of transfer
    EXPECT_EQ(s68k_read_word(0xFF8008), 0x2021u);
    EXPECT_EQ(read_reg(2), 0u);
}

TEST_F(DiscTest, TransfersWrapInsideTheirMemory) {
    for (u32 i = 0; i < 64; ++i) scd_cdc_buffer[(0xFFF0 + i) & 0xFFFF] = static_cast<u8>(0x80 + i);
    auto transfer = [](u8 destination, u16 dma, u16 count) {
        s68k_write_byte(0xFF8004, destination);
        s68k_write_word(0xFF800A, dma);
        cdc.byte_count = count;
        cdc.data_addr  = 0xFFF0;  // the source wraps at 64 KB too
        s68k_write_byte(0xFF8005, 6);
        s68k_write_byte(0xFF8007, 0);
        scd_tick();
        EXPECT_EQ(scd_ga.cdc_data_ready, 1);
        scd_tick();
        EXPECT_EQ(scd_ga.cdc_end_of_transfer, 1);
        EXPECT_EQ(scd_ga.cdc_data_ready, 0);
        EXPECT_EQ(cdc.byte_count, 0);
    };
    std::fill(scd_prg_ram.begin(), scd_prg_ram.end(), u8{0});
    transfer(5, 0xFFFF, 32);  // PRG-RAM offset 0x7FFF8: 8 bytes there, 24 from 0
    EXPECT_EQ(scd_prg_ram[0x7FFF8], 0x80);
    EXPECT_EQ(scd_prg_ram[0x7FFFF], 0x87);
    EXPECT_EQ(scd_prg_ram[0], 0x88);
    EXPECT_EQ(scd_prg_ram[23], 0x9F);
    EXPECT_EQ(scd_prg_ram[24], 0);
    EXPECT_EQ(cdc.data_addr, 0x0010);

    // 1M word RAM: the sub-CPU's bank (return bit 0: the upper 128 KB), wrapping inside it.
    std::fill(scd_word_ram.begin(), scd_word_ram.end(), u8{0});
    s68k_write_byte(0xFF8003, 0x04);
    transfer(7, 0x3FFF, 16);
    EXPECT_EQ(scd_word_ram[0x3FFF8], 0x80);
    EXPECT_EQ(scd_word_ram[0x20000], 0x88);
    EXPECT_EQ(std::count(scd_word_ram.begin(), scd_word_ram.begin() + 0x20000, 0), 0x20000);
    // 2M: the whole word RAM.
    s68k_write_byte(0xFF8003, 0x01);
    transfer(7, 0x7FFF, 16);
    EXPECT_EQ(scd_word_ram[0x3FFF8], 0x80);
    EXPECT_EQ(scd_word_ram[0], 0x88);

    // PCM RAM: the data is consumed, nothing stored; an odd count rounds up to words.
    transfer(4, 0, 5);
    EXPECT_EQ(cdc.data_addr, 0xFFF6);
}

}  // namespace
}  // namespace varn
