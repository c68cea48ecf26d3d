// Cue sheets: the real sheets of the shared fixtures, track lengths, hostile sheets, and the
// Load ROM road of a sheet (first file opened as the image, MP3 twins, refusals).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "media/cue_sheet.h"
#include "media/load_detect.h"
#include "media/media_fixture.h"
#include "media/zip_builder.h"

namespace varn {
namespace {

std::span<const u8> text(const std::string& s) {
    return {reinterpret_cast<const u8*>(s.data()), s.size()};
}

CueTables scan(const std::string& s) {
    CueTables t;
    cue_scan(text(s), t);
    return t;
}

struct TrackWant {
    u8 mode;
    u8 file;
    u32 start;
};

TEST(CueSheet, SharedFixturesScan) {
    struct Case {
        const char* sheet;
        std::vector<std::string> files;
        std::vector<TrackWant> tracks;
        u32 layout;
    };
    const Case cases[] = {
        {"fixtures/cue/240p-segacd/240pSuite_USA.cue",
         {"240p_SegaCD_USA.iso", "240p_SegaCD_Track-02.wav", "240p_SegaCD_Track-03.wav"},
         {{kCueMode1_2048, 0, 0}, {kCueModeAudio, 1, 0}, {kCueModeAudio, 2, 0}},
         kLoadPlain},
        {"fixtures/cue/240p-pce/240pSuite.cue",  // CRLF, no final line end, audio first
         {"240pSuite-00.wav", "240pSuite.iso", "240pSuite-02.wav", "240pSuite-03.wav",
          "240pSuite-04.wav", "240pSuite-05.wav", "240pSuite-06.wav"},
         {{kCueModeAudio, 0, 0},
          {kCueMode1_2048, 1, 0},
          {kCueModeAudio, 2, 0},
          {kCueModeAudio, 3, 0},
          {kCueModeAudio, 4, 0},
          {kCueModeAudio, 5, 0},
          {kCueModeAudio, 6, 0}},
         kLoadUnknown},
        {"fixtures/cue/240p-pce/240pSuite-emphasis.cue",  // LF line ends, FLAGS lines
         {"240pSuite-00.wav", "240pSuite.iso", "240pSuite-02.wav", "240pSuite-03.wav",
          "240pSuite-04.wav"},
         {{kCueModeAudio, 0, 0},
          {kCueMode1_2048, 1, 0},
          {kCueModeAudio, 2, 0},
          {kCueModeAudio, 3, 0},
          {kCueModeAudio, 4, 0}},
         kLoadUnknown},
        {"fixtures/cue/240p-neogeocd/240pTestSuite.cue",  // PREGAP and POSTGAP
         {"240pTestSuite.iso", "02-neogeo.wav", "03-neogeo.wav"},
         {{kCueMode1_2048, 0, 0}, {kCueModeAudio, 1, 0}, {kCueModeAudio, 2, 0}},
         kLoadPlain},
        {"fixtures/cue/nikonamd/rom_emu_mcd_u.cue",
         {"rom_emu_mcd_u.iso", "track_2.wav"},
         {{kCueMode1_2048, 0, 0}, {kCueModeAudio, 1, 0}},
         kLoadPlain},
    };
    for (const Case& c : cases) {
        VARN_FIXTURE(path, c.sheet);
        const auto bytes = test::read_file(path);
        CueTables t;
        cue_scan(bytes, t);
        ASSERT_EQ(t.file_count, c.files.size()) << c.sheet;
        ASSERT_EQ(t.track_count, c.tracks.size()) << c.sheet;
        for (std::size_t i = 0; i < c.files.size(); ++i)
            EXPECT_EQ(t.files[i].name, c.files[i]) << c.sheet;
        for (std::size_t i = 0; i < c.tracks.size(); ++i) {
            EXPECT_EQ(t.tracks[i].mode, c.tracks[i].mode) << c.sheet << " track " << i;
            EXPECT_EQ(t.tracks[i].file, c.tracks[i].file) << c.sheet << " track " << i;
            EXPECT_EQ(t.tracks[i].start, c.tracks[i].start) << c.sheet << " track " << i;
        }
        EXPECT_EQ(cue_first_track_layout(bytes), c.layout) << c.sheet;
    }
}

TEST(CueSheet, LengthsFromStartsAndFileSizes) {
    // One binary file of three tracks; the last runs to the end of the file.
    CueTables t = scan(
        "FILE \"My Game (Track 1).bin\" BINARY\r\n"
        "  TRACK 01 MODE1/2352\r\n    INDEX 01 00:00:00\r\n"
        "  TRACK 02 AUDIO\r\n    INDEX 00 09:58:00\r\n    INDEX 01 10:00:00\r\n"
        "  TRACK 03 AUDIO\r\n    INDEX 01 20:00:00\r\n");
    EXPECT_EQ(t.files[0].name, "My Game (Track 1).bin");
    ASSERT_EQ(t.track_count, 3);
    EXPECT_EQ(t.tracks[1].start, 44850u);  // the first INDEX line after TRACK counts
    t.tracks[1].start = 45000;
    t.files[0].size   = 300000u * 2352;
    cue_compute_lengths(t);
    EXPECT_EQ(t.tracks[0].length, 45000u);
    EXPECT_EQ(t.tracks[1].length, 45000u);
    EXPECT_EQ(t.tracks[2].length, 210000u);
    EXPECT_EQ(t.tracks[1].offset, 45000u * 2352);
    EXPECT_EQ(t.tracks[2].offset, 90000u * 2352);
    EXPECT_EQ(t.tracks[2].bytes, 210000u * 2352);

    // Sector sizes by mode, and the disc the tracks make.
    EXPECT_EQ(cue_sector_size(kCueMode1_2048), 2048u);
    EXPECT_EQ(cue_sector_size(kCueModeAudio), 2352u);
    EXPECT_EQ(cue_sector_size(kCueModeMp3), 218u);
    EXPECT_EQ(cue_sector_size(kCueModeUnknown), 1u);
    const CueDiscLayout d = cue_disc_layout(t);
    EXPECT_EQ(d.start[0], 150u);
    EXPECT_EQ(d.start[1], 45150u);
    EXPECT_EQ(d.start[3], 300150u);
    EXPECT_EQ(d.control[0], 0x14);
    EXPECT_EQ(d.control[1], 0x10);
}

TEST(CueSheet, HostileSheetsStayBounded) {
    // Decreasing starts give 0 frames, not a wrapped length; a file shorter than the
    // offset reached gives 0 bytes.
    CueTables t = scan(
        "FILE a.bin BINARY\n TRACK 01 MODE1/2048\n INDEX 01 05:00:00\n"
        " TRACK 02 MODE1/2048\n INDEX 01 01:00:00\n");
    t.files[0].size = 100;
    cue_compute_lengths(t);
    EXPECT_EQ(t.tracks[0].length, 0u);
    EXPECT_EQ(t.tracks[1].length, 0u);

    // A file line that ends with LF does not take its type from the lines after it.
    t = scan("FILE \"a.wav\" WAVE\nTRACK 01 AUDIO\nFILE \"b.bin\" BINARY\nTRACK 02 MODE1/2048\n");
    EXPECT_EQ(t.files[0].type, kCueFileWave);
    EXPECT_EQ(t.tracks[0].mode, kCueModeAudio);
    EXPECT_EQ(t.tracks[1].mode, kCueMode1_2048);

    // Time fields that do not fit on their line read as 0; a colon at the very start too.
    // A track without an INDEX line does not take the next track's.
    t = scan(
        "FILE a.bin BINARY\nTRACK 01 MODE1/2048\nINDEX :1\nTRACK 02 AUDIO\nINDEX 01 0:\n"
        "TRACK 03 AUDIO\nTRACK 04 AUDIO\nINDEX 01 01:02:03");
    ASSERT_EQ(t.track_count, 4);
    EXPECT_EQ(t.tracks[0].start, 0u);
    EXPECT_EQ(t.tracks[1].start, 0u);
    EXPECT_EQ(t.tracks[2].start, 0u);
    EXPECT_EQ(t.tracks[3].start, (1u * 60 + 2) * 75 + 3);

    // Digits are read one character at a time (hexadecimal digits count, others are 0).
    t = scan("FILE a BINARY\nTRACK 01 AUDIO\nINDEX 01 1A:x9:0F\n");
    EXPECT_EQ(t.tracks[0].start, ((10u + 10) * 60 + 9) * 75 + 15);

    // Too many tracks and files: the tables stop at 99 tracks and 100 files.
    std::string many = "FILE a.bin BINARY\n";
    for (int i = 0; i < 150; ++i) many += "TRACK 05 AUDIO\nINDEX 01 00:00:00\n";
    t = scan(many);
    EXPECT_EQ(t.track_count, kCueMaxTracks);
    many.clear();
    for (int i = 0; i < 150; ++i) many += "FILE f" + std::to_string(i) + ".bin BINARY\n";
    t = scan(many);
    EXPECT_EQ(t.file_count, kCueMaxFiles);
    EXPECT_EQ(t.track_count, 0);

    // A long name is cut to its field; text past 16 KB is not scanned; an unterminated
    // quote ends with the line.
    t = scan("FILE \"" + std::string(1000, 'n') + "\" BINARY\n");
    EXPECT_EQ(t.files[0].name.size(), kCueNameBytes);
    t = scan(std::string(kCueSheetBytes, ' ') + "FILE late.bin BINARY\n");
    EXPECT_EQ(t.file_count, 0);
    t = scan("FILE \"open.bin BINARY\nTRACK 01 MODE1/2048\n");
    EXPECT_EQ(t.files[0].name, "open.bin BINARY");
    EXPECT_EQ(t.files[0].type, kCueFileUnknown);
    t = scan("FILE ");
    EXPECT_EQ(t.file_count, 1);
    EXPECT_EQ(t.files[0].name, "");

    // The first track's layout: both forms, or neither, is undecided.
    EXPECT_EQ(cue_first_track_layout(text("track 01 mode1/2352")), kLoadRawCd);
    EXPECT_EQ(cue_first_track_layout(text("TRACK 01 MODE1/2352 TRACK 01 MODE1/2048")),
              kLoadUnknown);
    EXPECT_EQ(cue_mp3_twin_name("a.wav"), "a.MP3");
    EXPECT_EQ(cue_mp3_twin_name("noext"), "");
}

class CueLoad : public test::MediaTest {
  protected:
    // A small 2048-byte-sector image whose sector 0 holds the disc header.
    std::vector<u8> iso(u32 sectors) {
        std::vector<u8> image(sectors * 2048 + 100);
        for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<u8>(i * 7 + i / 2048);
        std::memcpy(image.data(), "SEGADISCSYSTEM  ", 16);
        return image;
    }
    std::vector<u8> sheet(const std::string& s) { return {s.begin(), s.end()}; }
};

TEST_F(CueLoad, FirstFileBecomesTheImage) {
    const auto image = iso(4);
    write("game.iso", image);
    write("t2.MP3", std::vector<u8>(218 * 10));
    const auto cue = write("game.cue", sheet("FILE \"game.iso\" BINARY\r\n"
                                             "  TRACK 01 MODE1/2048\r\n    INDEX 01 00:00:00\r\n"
                                             "FILE \"t2.wav\" WAVE\r\n"
                                             "  TRACK 02 AUDIO\r\n    INDEX 01 00:00:00\r\n"));
    // No Sega CD unit is bound in this test: the boot is refused after the load.
    const LoadResult r = rom_load_file(cue.string(), lang::kFilterCue);
    EXPECT_EQ(r, LoadResult::kBootFailed);
    EXPECT_EQ(image_loader.load_type, kLoadPlain);
    EXPECT_EQ(image_loader.probe_type, kLoadPlain);
    ASSERT_EQ(cue_tables.track_count, 2);
    // The WAVE file is missing but its MP3 twin is there.
    EXPECT_EQ(cue_tables.files[1].name, "t2.MP3");
    EXPECT_EQ(cue_tables.tracks[1].mode, kCueModeMp3);
    EXPECT_EQ(cue_tables.tracks[1].length, 10u);
    EXPECT_EQ(cue_tables.tracks[0].length, 4u);  // the partial last sector does not count

    std::array<u8, 2048> sector{};
    ASSERT_TRUE(cd_image_read_sector(2, sector));
    EXPECT_TRUE(std::equal(sector.begin(), sector.end(), image.begin() + 2 * 2048));
    ASSERT_TRUE(cd_image_read_sector(4, sector));  // the last, short sector: zeros after it
    EXPECT_TRUE(std::equal(sector.begin(), sector.begin() + 100, image.begin() + 4 * 2048));
    EXPECT_EQ(sector[100], 0);
    ASSERT_TRUE(cd_image_read_sector(1000, sector));
    EXPECT_EQ(std::count(sector.begin(), sector.end(), 0), 2048);
}

TEST_F(CueLoad, RefusedSheets) {
    write("game.iso", iso(2));
    struct Case {
        const char* text;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        // The first file is not there: named, and no boot.
        {"FILE \"gone.iso\" BINARY\nTRACK 01 MODE1/2048\nINDEX 01 00:00:00\n",
         {std::string("gone.iso ") + lang_text(lang::ERM_FIO_NF)}},
        // Both forms of the first track, or an audio first track: undecided.
        {"FILE game.iso BINARY\nTRACK 01 MODE1/2048\nTRACK 01 MODE1/2352\n",
         {lang_text(lang::ERM_FIO_LMT)}},
        {"FILE game.iso BINARY\nTRACK 01 AUDIO\n", {lang_text(lang::ERM_FIO_LMT)}},
        // Tracks without a FILE line: no file to read them from.
        {"TRACK 01 MODE1/2048\nINDEX 01 00:00:00\n", {kCueNoFileText}},
    };
    for (const Case& c : cases) {
        ui.messages.clear();
        const auto cue = write("bad.cue", sheet(c.text));
        EXPECT_EQ(rom_load_file(cue.string(), lang::kFilterCue), LoadResult::kRejected) << c.text;
        EXPECT_EQ(ui.messages, c.messages) << c.text;
    }
    // A raw image named as MODE1/2048 boots with the validity warning (the sheet wins).
    ui.messages.clear();
    std::vector<u8> raw(2352 * 2);
    std::memcpy(raw.data() + 16, "SEGADISCSYSTEM  ", 16);
    write("raw.bin", raw);
    const auto cue = write("raw.cue", sheet("FILE raw.bin BINARY\nTRACK 01 MODE1/2048\n"));
    EXPECT_EQ(rom_load_file(cue.string(), lang::kFilterCue), LoadResult::kBootFailed);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages[0], lang_text(lang::ERM_FIO_RVF));
}

TEST_F(CueLoad, WaveTracksTakeTheirLengthsFromTheirFiles) {
    // The shared sheet's data track is not there: it is named and nothing boots, but the
    // audio tracks' lengths come from their real files (not whole sectors: rounded down).
    VARN_FIXTURE(sheet_path, "fixtures/cue/240p-segacd/240pSuite_USA.cue");
    EXPECT_EQ(rom_load_file(sheet_path.string(), lang::kFilterCue), LoadResult::kRejected);
    EXPECT_EQ(ui.messages, std::vector<std::string>{std::string("240p_SegaCD_USA.iso ") +
                                                    lang_text(lang::ERM_FIO_NF)});
    ASSERT_EQ(cue_tables.track_count, 3);
    EXPECT_EQ(cue_tables.files[1].size, 2645956u);
    EXPECT_EQ(cue_tables.tracks[0].length, 0u);
    EXPECT_EQ(cue_tables.tracks[1].length, 2645956u / 2352);
    EXPECT_EQ(cue_tables.tracks[2].length, 4182032u / 2352);
    EXPECT_EQ(cue_tables.tracks[2].offset, 0u);
}

TEST_F(CueLoad, ArchivedSheetUnpacksItsFirstFile) {
    const auto image = iso(3);
    const auto zip   = write("game.zip", test::build_zip({{"GAME.CUE", sheet("FILE \"game.iso\" "
                                                                               "BINARY\nTRACK 01 "
                                                                               "MODE1/2048\n")},
                                                          {"GAME.ISO", image}}));
    EXPECT_EQ(rom_load_file(zip.string(), lang::kFilterCue), LoadResult::kBootFailed);
    EXPECT_EQ(image_loader.cd_memory_image.size(), image.size());
    EXPECT_EQ(cue_tables.files[0].size, image.size());
    std::array<u8, 2048> sector{};
    ASSERT_TRUE(cd_image_read_sector(1, sector));
    EXPECT_TRUE(std::equal(sector.begin(), sector.end(), image.begin() + 2048));
}

}  // namespace
}  // namespace varn
