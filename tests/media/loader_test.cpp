// The Load ROM road: optional libraries and filters, plain files and archive entries, the
// entry choice, the validity warning and what is refused.

#include <gtest/gtest.h>

#include <cstring>

#include "media/archive.h"
#include "media/load_detect.h"
#include "media_fixture.h"
#include "zip_builder.h"

namespace varn {
namespace {

using test::read_file;

// A small Genesis cartridge: the console header and a counting body.
std::vector<u8> genesis_image(std::size_t size = 0x10000) {
    std::vector<u8> image(size);
    for (std::size_t i = 0; i < size; ++i) image[i] = static_cast<u8>(i ^ (i >> 8));
    std::memcpy(image.data() + 0x100, "SEGA GENESIS    ", 16);
    return image;
}

std::vector<u8> cart(std::size_t n) { return {cart_rom.begin(), cart_rom.begin() + n}; }

class Loader : public test::MediaTest {};

TEST_F(Loader, LibrariesAbsentOrIncomplete) {
    // Nothing bound: no archive patterns, and a typed archive name is refused with the
    // library's message instead of calling it.
    LibraryBindOptions none;
    none.namer_folder  = dir;  // no naming library there
    none.archive_file  = "libnot-there.so";
    none.zlib_file     = "libnot-there.so";
    none.message_unrar = true;
    none.message_zlib  = true;
    dll_bind_optional(none);
    EXPECT_EQ(kestgen_available + kest32x_available + unrar_available + zlib_available, 0u);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{lang_text(lang::ERM_FIO_UNR),
                                                     lang_text(lang::ERM_FIO_ZLB)}));
    EXPECT_EQ(rom_filter_text()[0].description, "Genesis ROM (*.BIN;*.SMD;*.MD;*.GEN)");
    EXPECT_EQ(rom_filter_text()[4].patterns, "*.SMS");
    ui.messages.clear();
    const auto zip = write("GAME.ZIP", test::build_zip({{"A.BIN", genesis_image()}}));
    EXPECT_EQ(rom_load_file(zip.string(), lang::kFilterGenesis), LoadResult::kRejected);
    EXPECT_EQ(ui.messages, std::vector<std::string>{lang_text(lang::ERM_FIO_ZLB)});

    // zlib without an optional name binds; without a required one it does not.
    LibraryBindOptions partial = test::build_tree_libraries();
    partial.hide_symbol        = [](std::string_view n) { return n == "compress2"; };
    dll_bind_optional(partial);
    EXPECT_EQ(zlib_available, 1u);
    EXPECT_EQ(zlib_lib.compress2, nullptr);
    EXPECT_NE(zlib_lib.unzOpen, nullptr);
    partial.hide_symbol = [](std::string_view n) { return n == "unzLocateFile"; };
    dll_bind_optional(partial);
    EXPECT_EQ(zlib_available, 0u);
    EXPECT_EQ(zlib_lib.unzOpen, nullptr);
    EXPECT_EQ(unrar_available, 1u);
    EXPECT_EQ(rom_filter_text()[1].description, "32X ROM (*.32X;*.RAR)");

    // Everything bound.
    dll_bind_optional(test::build_tree_libraries());
    EXPECT_EQ(kestgen_available + kest32x_available + unrar_available + zlib_available, 4u);
    EXPECT_EQ(rom_filter_text()[0].description, "Genesis ROM (*.BIN;*.SMD;*.MD;*.GEN;*.RAR;*.ZIP)");
    EXPECT_EQ(rom_filter_text()[0].patterns, "*.BIN;*.SMD;*.MD;*.GEN;*.RAR;*.ZIP");
}

TEST_F(Loader, ArchiveEntryLists) {
    VARN_FIXTURE(zip, "fixtures/archives/test_read_format_zip.zip");
    VARN_FIXTURE(rar4, "fixtures/archives/test_read_format_rar.rar");
    VARN_FIXTURE(rar5, "fixtures/archives/test_read_format_rar5_stored.rar");
    std::vector<std::string> names;
    ASSERT_TRUE(open_zip_archive(zip.string())->list(names));
    EXPECT_EQ(names, (std::vector<std::string>{"dir/", "file1", "file2"}));
    ASSERT_TRUE(open_rar_archive(rar4.string())->list(names));
    EXPECT_EQ(names, (std::vector<std::string>{"test.txt", "testlink", "testdir/test.txt",
                                               "testdir", "testemptydir"}));

    // Selecting ignores case; the data streams in order.
    auto archive = open_rar_archive(rar5.string());
    ASSERT_TRUE(archive->select("HELLOWORLD.TXT"));
    EXPECT_EQ(archive->entry_size(), 29u);
    std::string text;
    EXPECT_TRUE(archive->read([&](std::span<const u8> chunk) {
        text.append(chunk.begin(), chunk.end());
        return true;
    }));
    EXPECT_EQ(text, "hello libarchive test suite!\n");
    EXPECT_FALSE(archive->select("missing.txt"));

    // Not an archive of that kind.
    EXPECT_EQ(open_zip_archive(rar5.string()), nullptr);
    EXPECT_EQ(open_rar_archive(zip.string()), nullptr);
}

TEST_F(Loader, ZipFixturesLoadThePlainImage) {
    VARN_FIXTURE(plain_path, "roms/genesis/sgdk-joy-test.bin");
    const auto plain = read_file(plain_path);
    for (const char* name :
         {"fixtures/derived/joy-test-bin.zip", "fixtures/derived/joy-test-smd.zip",
          "fixtures/derived/a-bin-b-txt.zip"}) {
        VARN_FIXTURE(path, name);
        ui.messages.clear();
        ui.offered_entries.clear();
        EXPECT_EQ(rom_load_file(path.string(), lang::kFilterGenesis), LoadResult::kBooted) << name;
        EXPECT_EQ(cart(plain.size()), plain) << name;
        EXPECT_TRUE(ui.messages.empty()) << name << ": " << ui.messages.front();
        EXPECT_TRUE(ui.offered_entries.empty()) << name;  // one image entry: no chooser
        EXPECT_EQ(image_loader.image_size, plain.size());
    }
    EXPECT_EQ(image_loader.image_file_name, "A.BIN");
    // A half-split entry is decoded on the way too.
    VARN_FIXTURE(md_path, "fixtures/derived/joy-test.md");
    const auto zip = write("md.zip", test::build_zip({{"JOY.MD", read_file(md_path)}}));
    EXPECT_EQ(rom_load_file(zip.string(), lang::kFilterGenesis), LoadResult::kBooted);
    EXPECT_EQ(cart(plain.size()), plain);
}

TEST_F(Loader, SeveralImageEntriesAskTheUser) {
    const auto a = genesis_image();
    auto b       = genesis_image();
    b[0x200]     = 0x42;
    const auto zip =
        write("two.zip", test::build_zip({{"A.BIN", a}, {"notes.txt", {1, 2}}, {"sub/B.gen", b}}));
    // Cancel: nothing loaded, no message.
    EXPECT_EQ(rom_load_file(zip.string(), lang::kFilterGenesis), LoadResult::kCancelled);
    EXPECT_EQ(ui.offered_entries, (std::vector<std::string>{"A.BIN", "sub/B.gen"}));
    EXPECT_EQ(ui.chooser_title, lang_filter_description(lang::kFilterGenesis));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ((emu_state_flags.load() & kStateMachineRunning), 0u);

    ui.entry = "notes.txt";  // not offered: taken as no choice
    EXPECT_EQ(rom_load_file(zip.string(), lang::kFilterGenesis), LoadResult::kCancelled);

    ui.entry = "sub/B.gen";
    EXPECT_EQ(rom_load_file(zip.string(), lang::kFilterGenesis), LoadResult::kBooted);
    EXPECT_EQ(cart(b.size()), b);
    EXPECT_EQ(image_loader.image_file_name, "B.gen");

    // No entry fits the filter.
    EXPECT_EQ(rom_load_file(zip.string(), lang::kFilterSms), LoadResult::kRejected);
    EXPECT_EQ(ui.messages, std::vector<std::string>{lang_text(lang::ERM_FIO_COF)});
}

TEST_F(Loader, RarEntriesThroughTheFilter) {
    VARN_FIXTURE(rar5, "fixtures/archives/test_read_format_rar5_stored.rar");
    EXPECT_EQ(rom_load_file(rar5.string(), lang::kFilterGenesis), LoadResult::kRejected);
    EXPECT_EQ(ui.messages, std::vector<std::string>{lang_text(lang::ERM_FIO_COF)});
    // A filter that lets the text entry through: its type cannot be told, and the stream is
    // refused at its first chunk.
    ui.messages.clear();
    lang_set_text(lang::TXT_FILTER_GENESIS_PATTERN, "*.TXT");
    EXPECT_EQ(rom_load_file(rar5.string(), lang::kFilterGenesis), LoadResult::kRejected);
    EXPECT_EQ(ui.messages, std::vector<std::string>{lang_text(lang::ERM_FIO_LMT)});
}

TEST_F(Loader, HostileEntryNamesAndSizes) {
    const auto image = genesis_image();
    // Folders in an entry's name never reach a path: only its base name is kept.
    const auto up = write("up.zip", test::build_zip({{"../../x.bin", image}}));
    ASSERT_EQ(rom_load_file(up.string(), lang::kFilterGenesis), LoadResult::kBooted);
    EXPECT_EQ(image_loader.image_file_name, "x.bin");
    cfg_set(cfg_game_name_search_order, 4);  // the file name first
    ASSERT_TRUE(machine_boot(0));
    EXPECT_EQ(boot_names.brm_file_name, "x.BRM");

    // A 300-character name loads like any other.
    const std::string long_name = std::string(296, 'n') + ".BIN";
    const auto lng              = write("long.zip", test::build_zip({{long_name, image}}));
    ASSERT_EQ(rom_load_file(lng.string(), lang::kFilterGenesis), LoadResult::kBooted);
    EXPECT_EQ(image_loader.image_file_name, long_name);
    EXPECT_EQ(cart(image.size()), image);

    // An entry that claims far more than it holds is refused, not booted half-empty.
    ui.messages.clear();
    const auto big = write("big.zip", test::build_zip({{"A.BIN", image, 0x7FFFFFFF}}));
    EXPECT_EQ(rom_load_file(big.string(), lang::kFilterGenesis), LoadResult::kRejected);
    EXPECT_EQ(ui.messages, std::vector<std::string>{lang_text(lang::ERM_FIO_COF)});
    EXPECT_EQ((emu_state_flags.load() & kStateMachineRunning), 0u);

    // An empty entry or file is nothing to run.
    const auto empty_zip = write("empty.zip", test::build_zip({{"A.BIN", {}}}));
    EXPECT_EQ(rom_load_file(empty_zip.string(), lang::kFilterGenesis), LoadResult::kRejected);
    EXPECT_EQ(rom_load_file(write("E.BIN", {}).string(), lang::kFilterGenesis),
              LoadResult::kRejected);
}

TEST_F(Loader, ValidityWarningAndUnknownKinds) {
    VARN_FIXTURE(swapped, "fixtures/derived/joy-test.swapped.bin");
    // A byte-swapped image fails the header tests: one warning, then it loads as the
    // extension says.
    EXPECT_EQ(rom_load_file(swapped.string(), lang::kFilterGenesis), LoadResult::kBooted);
    EXPECT_EQ(ui.messages, std::vector<std::string>{lang_text(lang::ERM_FIO_RVF)});
    ui.messages.clear();
    cfg_set(cfg_error_msg_rvf, 0);
    EXPECT_EQ(rom_load_file(swapped.string(), lang::kFilterGenesis), LoadResult::kBooted);
    EXPECT_TRUE(ui.messages.empty());
    cfg_set(cfg_error_msg_rvf, 1);

    // GAME.BIN under the Sega CD filter: raw sectors, warned once.
    const auto game = write("GAME.BIN", genesis_image());
    ui.messages.clear();
    rom_load_file(game.string(), lang::kFilterSegaCd);
    EXPECT_EQ(image_loader.load_type, kLoadRawCd);
    EXPECT_EQ(image_loader.load_mode, kModeSegaCd);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.front(), lang_text(lang::ERM_FIO_RVF));

    // Under the Genesis filter the same file loads without a word.
    ui.messages.clear();
    EXPECT_EQ(rom_load_file(game.string(), lang::kFilterGenesis), LoadResult::kBooted);
    EXPECT_TRUE(ui.messages.empty());

    // A pairing the table does not know.
    EXPECT_EQ(rom_load_file(game.string(), lang::kFilter32x), LoadResult::kRejected);
    EXPECT_EQ(ui.messages, std::vector<std::string>{lang_text(lang::ERM_FIO_LMT)});

    // Missing files and folders cannot be opened.
    ui.messages.clear();
    EXPECT_EQ(rom_load_file((dir / "none.bin").string(), lang::kFilterGenesis),
              LoadResult::kRejected);
    EXPECT_EQ(rom_load_file(dir.string() + "/.BIN", lang::kFilterGenesis), LoadResult::kRejected);
    std::filesystem::create_directory(dir / "folder.bin");
    EXPECT_EQ(rom_load_file((dir / "folder.bin").string(), lang::kFilterGenesis),
              LoadResult::kRejected);
    EXPECT_EQ(ui.messages, std::vector<std::string>(3, lang_text(lang::ERM_FIO_COF)));
}

TEST_F(Loader, FilterForAFileNamedOutsideTheDialog) {
    std::vector<u8> raw_cd(0x1000, 0);
    std::memcpy(&raw_cd[0x10], "SEGADISCSYSTEM", 14);  // the disc header after the sync
    std::vector<u8> iso(0x1000, 0);
    std::memcpy(&iso[0], "SEGADISCSYSTEM", 14);
    const struct {
        std::string name;
        std::vector<u8> bytes;
        u32 filter;
    } cases[] = {
        {"a.sms", {}, lang::kFilterSms},
        {"A.32X", {}, lang::kFilter32x},
        {"a.cue", {}, lang::kFilterCue},
        {"a.iso", iso, lang::kFilterSegaCd},
        {"a.raw", {}, lang::kFilterSegaCd},
        {"a.smd", {}, lang::kFilterGenesis},
        {"a.zip", {}, lang::kFilterGenesis},  // not an archive after all
        {"sms.zip", test::build_zip({{"README.TXT", {1}}, {"dir/GAME.SMS", {2}}}),
         lang::kFilterSms},
        {"both.ZIP", test::build_zip({{"A.SMS", {1}}, {"B.GEN", {2}}}), lang::kFilterGenesis},
        {"noext", {}, lang::kFilterGenesis},
        {"game.bin", genesis_image(), lang::kFilterGenesis},
        {"disc.bin", raw_cd, lang::kFilterSegaCd},  // the header decides between the two
        {"iso.bin", iso, lang::kFilterGenesis},     // agrees with neither: the first
        {"missing.bin", {}, lang::kFilterGenesis},  // not written
    };
    for (const auto& c : cases) {
        const auto path = c.name == "missing.bin" ? dir / c.name : write(c.name, c.bytes);
        EXPECT_EQ(image_filter_for_file(path.string()), c.filter) << c.name;
    }
}

TEST_F(Loader, ImagesLargerThanTheCartridgeAreCut) {
    auto big = genesis_image(kCartImageLimit + 0x1000);
    std::fill(big.begin() + kCartImageLimit, big.end(), 0x77);
    ASSERT_EQ(rom_load_file(write("BIG.BIN", big).string(), lang::kFilterGenesis),
              LoadResult::kBooted);
    EXPECT_TRUE(std::equal(cart_rom.begin(), cart_rom.end(), big.begin()));
    // A shorter image after it leaves the rest of the area cleared.
    ASSERT_EQ(
        rom_load_file(write("SMALL.BIN", genesis_image(0x100 + 16)).string(), lang::kFilterGenesis),
        LoadResult::kBooted);
    EXPECT_TRUE(std::all_of(cart_rom.begin() + 0x110, cart_rom.end(), [](u8 v) { return v == 0; }));
}

TEST_F(Loader, LoadRomCommandKeepsFolderAndFilter) {
    const auto game = write("GAME.SMD", std::vector<u8>(600, 0));
    ui.file         = FileChoice{game.string(), lang::kFilterGenesis};
    cfg_set(cfg_rom_filter_index, 3);
    EXPECT_EQ(rom_load_dialog(), 1u);
    EXPECT_EQ(ui.dialog_filter, 3u);
    EXPECT_EQ(ui.dialog_filters.size(), 5u);
    EXPECT_EQ(cfg(cfg_rom_filter_index), u32{lang::kFilterGenesis});
    EXPECT_EQ(config_host_path(cfg_rom_path), dir.string() + "/");
    EXPECT_EQ(ui.ini_writes, 1);
    // Cancel still writes the settings and loads nothing.
    ui.file.reset();
    EXPECT_EQ(rom_load_dialog(), 1u);
    EXPECT_EQ(ui.ini_writes, 2);
    EXPECT_EQ(image_loader.image_source, kSourceNone);
    cfg_rom_path = ".\\";
    cfg_set(cfg_rom_filter_index, 0);
}

}  // namespace
}  // namespace varn
