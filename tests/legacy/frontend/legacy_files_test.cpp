// The earlier release's file commands: Load ROM's filters, the Genecyst load of a short file,
// Load State's slot and folder, the Save State command that saves nothing, screenshots at
// level 9 and double width that never replace an older one, and patches through the one IPS
// reader.

#include "legacy/frontend/legacy_files.h"

#include <zlib.h>

#include <cstring>
#include <fstream>

#include "base/endian.h"
#include "genesis/state/save_state.h"
#include "genesis/vdp/vdp.h"
#include "genesis/z80/genesis_z80.h"
#include "legacy/machine/legacy_machine_support.h"
#include "media/file_commands.h"
#include "media/files/files_fixture.h"
#include "media/image_loader.h"
#include "media/machine_boot.h"
#include "media/optional_libs.h"
#include "media/state_file.h"
#include "memory/memory.h"
#include "settings/config_paths.h"
#include "settings/lang_texts.h"

namespace varn {
namespace {

namespace fs = std::filesystem;

class RecordingUi : public MediaUi {
  public:
    void message_box(const std::string& text) override { messages.push_back(text); }
    std::optional<FileChoice> open_file_dialog(const std::string&,
                                               const std::vector<FileFilter>& offered,
                                               u32 index) override {
        filters      = offered;
        filter_index = index;
        ++dialogs;
        return answer;
    }
    std::optional<std::string> choose_entry(const std::string&,
                                            const std::vector<std::string>&) override {
        return std::nullopt;
    }
    void set_title(const std::string&) override {}
    void ini_write() override {}

    std::vector<std::string> messages;
    std::vector<FileFilter> filters;
    u32 filter_index = 0;
    int dialogs      = 0;
    std::optional<FileChoice> answer;
};

void write_bytes(const fs::path& p, const std::vector<u8>& bytes) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

class LegacyFilesTest : public test::MediaMachineTest {
  protected:
    void SetUp() override {
        MediaMachineTest::SetUp();
        gs_registers_slot = gs_state_load_registers;  // the main machine runs here
        media_set_ui(&ui);
        boot_names.game_name = "GAME";
        for (std::string* p : {&cfg_state_path, &cfg_screenshot_path, &cfg_patch_path})
            *p = folder.path().string() + "/";
        state_slot = 0;
        cfg_set(cfg_state_filter_index, 1);
    }
    void TearDown() override {
        media_set_ui(nullptr);
        for (std::string* p : {&cfg_state_path, &cfg_screenshot_path, &cfg_patch_path}) *p = ".\\";
        cfg_set(cfg_autoname_states, 1);
        cfg_set(cfg_autoname_screenshots, 1);
        cfg_set(cfg_autoname_patches, 0);
        MediaMachineTest::TearDown();
    }
    RecordingUi ui;
    test::ScratchFolder folder;
};

TEST_F(LegacyFilesTest, LoadRomOffersTheFourFiltersWithoutTheMasterSystem) {
    dll_bind_optional(LibraryBindOptions{});
    cfg_set(cfg_rom_filter_index, 5);  // a main-program choice: none here
    legacy_rom_load_dialog();
    ASSERT_EQ(ui.filters.size(), 4u);
    EXPECT_EQ(ui.filter_index, 0u);
    for (const FileFilter& f : ui.filters) EXPECT_EQ(f.patterns.find("SMS"), std::string::npos);
    EXPECT_NE(ui.filters[3].patterns.find("*.CUE"), std::string::npos);
}

TEST_F(LegacyFilesTest, AShortGenecystFileLoadsAsIfZerosFollowedIt) {
    if (!boot("sgdk-hilight-shadow.bin")) GTEST_SKIP() << "shared test images absent";
    run_frames(2);
    std::vector<u8> gs(0x474 + 0x100, 0);
    for (u32 r = 0; r < 16; ++r) store_le32(&gs[0x80 + 4 * r], r);
    store_le32(&gs[0xC8], load_be32(&cart_rom[4]));  // the PC at the cartridge's entry
    store_le16(&gs[0xD0], 0x2700);
    store_le32(&gs[0xD6], 0xFFFE00);
    gs[0xFA + 1] = 0x64;
    for (u32 i = 0; i < 64; ++i) store_be16(&gs[0x112 + 2 * i], static_cast<u16>(i * 2 & 0xEEE));
    for (u32 i = 0; i < 0x100; ++i) gs[0x474 + i] = static_cast<u8>(i + 1);
    std::fill(z80_ram.begin(), z80_ram.end(), u8{0xAA});
    std::fill(m68k_ram.begin(), m68k_ram.end(), u8{0xBB});
    write_bytes(folder / "GAME.GS0", gs);

    ASSERT_TRUE(legacy_gs_state_file_load(folder / "GAME.GS0"));
    EXPECT_TRUE(std::equal(z80_ram.begin(), z80_ram.begin() + 0x100, gs.begin() + 0x474));
    EXPECT_TRUE(std::all_of(z80_ram.begin() + 0x100, z80_ram.end(), [](u8 b) { return b == 0; }))
        << "the rest of the Z80 RAM is what the file does not hold: zeros";
    EXPECT_TRUE(std::all_of(m68k_ram.begin(), m68k_ram.end(), [](u8 b) { return b == 0; }));
    EXPECT_EQ(vdp_cram[7], 14) << "the palette comes from its own block";
    EXPECT_EQ(vdp_registers[1], 0x64);
    run_frames(2);

    // A file that is not there loads nothing and says nothing.
    EXPECT_EQ(legacy_gs_state_file_load(folder / "none.GS0").status, MediaStatus::kNotOpened);
}

TEST_F(LegacyFilesTest, LoadStateTakesTheSlotFromTheChosenNameAndCancelChangesNothing) {
    cfg_set(cfg_autoname_states, 0);
    const std::string before_path = cfg_state_path;
    ui.answer.reset();
    legacy_state_load_dialog();
    EXPECT_EQ(state_slot, 0u);
    EXPECT_EQ(cfg_state_path, before_path);
    ASSERT_EQ(ui.filters.size(), 1u) << "Genecyst files only";
    EXPECT_EQ(ui.filters[0].description, "Genecyst Saved State (*.GS?)");

    fs::create_directories(folder / "saves");
    ui.answer = FileChoice{(folder / "saves" / "GAME.GS7").string(), 1};
    legacy_state_load_dialog();  // no machine runs: refused with its message, slot kept
    EXPECT_EQ(state_slot, 7u);
    EXPECT_EQ(cfg_state_path, stored_folder(ui.answer->path));

    // Automatic names never change the slot.
    cfg_set(cfg_autoname_states, 1);
    ui.dialogs = 0;
    legacy_state_load_dialog();
    EXPECT_EQ(ui.dialogs, 0);
    EXPECT_EQ(state_slot, 7u);
}

TEST_F(LegacyFilesTest, SaveStateSavesNothingAndSaysSo) {
    if (!boot("sgdk-hilight-shadow.bin")) GTEST_SKIP() << "shared test images absent";
    legacy_state_save_stub();
    EXPECT_EQ(folder.entries(), 0u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], kLegacySaveStateText);
}

// The picture a frame image holds, as the window hands it over.
FrameSurface picture_of(std::vector<u16>& pixels, u32 width, u32 height) {
    pixels.resize(std::size_t{width} * height);
    for (u32 i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<u16>(i * 37);
    return {pixels.data(), width, width, height, 0, 0};
}

std::vector<u8> read_bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST_F(LegacyFilesTest, ScreenshotsAreDoubleWidthAtLevel9AndNeverReplaceAnOlderOne) {
    dll_bind_optional(LibraryBindOptions{});
    if (zlib_available == 0) GTEST_SKIP() << "zlib absent";
    std::vector<u16> pixels;
    const FrameSurface picture = picture_of(pixels, 320, 224);
    legacy_screenshot_save_dialog(picture);
    const auto png = read_bytes(folder / "GAME 000.PNG");
    ASSERT_GT(png.size(), 45u);
    EXPECT_EQ(load_be32(&png[16]), 640u) << "double width";
    EXPECT_EQ(load_be32(&png[20]), 224u);
    // IDAT's zlib header: FLEVEL 3 marks the best compression.
    EXPECT_EQ(png[41], 0x78);
    EXPECT_EQ(png[42] >> 6, 3) << "compressed at level 9";
    EXPECT_TRUE(ui.messages.empty());

    legacy_screenshot_save_dialog(picture);
    EXPECT_TRUE(fs::exists(folder / "GAME 001.PNG"));

    // All names taken: nothing is written over, and the user is told.
    for (u32 n = 2; n < 1000; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "GAME %03u.PNG", n);
        write_bytes(folder / name, {1, 2, 3});
    }
    legacy_screenshot_save_dialog(picture);
    EXPECT_EQ(read_bytes(folder / "GAME 999.PNG"), (std::vector<u8>{1, 2, 3}));
    EXPECT_EQ(read_bytes(folder / "GAME 000.PNG"), png);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], kLegacyScreenshotsFullText);
}

TEST_F(LegacyFilesTest, PatchesReadRunRecordsAsPublishedAndStopAtTheEndOfTheImageArea) {
    cfg_set(cfg_autoname_patches, 1);
    std::fill(cart_rom.begin(), cart_rom.end(), u8{0});
    image_loader.image_size = 0x200;
    const u32 end           = static_cast<u32>(cart_rom.size());
    std::vector<u8> ips     = {'P', 'A', 'T', 'C', 'H'};
    const auto record       = [&ips](u32 offset, std::vector<u8> body) {
        ips.insert(ips.end(), {static_cast<u8>(offset >> 16), static_cast<u8>(offset >> 8),
                               static_cast<u8>(offset)});
        ips.insert(ips.end(), body.begin(), body.end());
    };
    record(0x10, {0x00, 0x02, 0xAB, 0xCD});        // two bytes
    record(0x20, {0x00, 0x00, 0x00, 0x04, 0x5A});  // a run: four times 0x5A
    record(0x24, {0x00, 0x01, 0x77});              // the record after the run
    record(end - 2, {0x00, 0x04, 1, 2, 3, 4});     // reaches past the image area
    ips.insert(ips.end(), {'E', 'O', 'F'});
    write_bytes(folder / "GAME.IPS", ips);

    patch_load_dialog();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(cart_rom[0x10], 0xAB);
    EXPECT_EQ(cart_rom[0x11], 0xCD);
    for (u32 i = 0x20; i < 0x24; ++i) EXPECT_EQ(cart_rom[i], 0x5A) << i;
    EXPECT_EQ(cart_rom[0x24], 0x77);
    EXPECT_EQ(cart_rom[end - 2], 1);
    EXPECT_EQ(cart_rom[end - 1], 2);

    // A patch that does not end in "EOF" changes nothing.
    ips.resize(ips.size() - 1);
    write_bytes(folder / "GAME.IPS", ips);
    cart_rom[0x10] = 0;
    patch_load_dialog();
    EXPECT_EQ(cart_rom[0x10], 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], lang_text(lang::ERM_FIO_IP));
}

class LegacyGenecystTest : public test::LegacyMachineFixture {
  protected:
    void TearDown() override {
        gs_registers_slot = gs_state_load_registers;
        machine_kind      = 0;
        LegacyMachineFixture::TearDown();
    }
};

TEST_F(LegacyGenecystTest, AStateLoadsIntoTheEarlierMachinesOwnCpusAndRunsOn) {
    const auto image = test::testdata_file("roms/genesis/sgdk-hilight-shadow.bin");
    if (image.empty()) GTEST_SKIP() << "shared test images absent";
    const auto bytes = test::read_file(image);
    std::copy(bytes.begin(), bytes.end(), cart_rom.begin());
    machine_kind = kMachineGenesis;
    genesis_power_on_machine_v024();
    for (int i = 0; i < 3; ++i) ASSERT_EQ(run_frame_v024(), FrameResult::kFrameEnd);
    gs_registers_slot = legacy_gs_load_registers;

    std::vector<u8> gs(kGsStateFileBytes, 0);
    const u32 entry = load_be32(&cart_rom[4]);
    for (u32 r = 0; r < 16; ++r) store_le32(&gs[0x80 + 4 * r], 0x100 * r + r);
    store_le32(&gs[0xC8], entry);
    store_le16(&gs[0xD0], 0x2700);
    store_le32(&gs[0xD6], 0xFFFE00);
    gs[0xFA + 1] = 0x64;
    store_le32(&gs[0x404], 0x1234);  // AF
    store_le32(&gs[0x41C], 0x0100);  // PC
    store_le32(&gs[0x420], 0x1FF0);  // SP
    const auto m68k_main_before = m68k_context.pc;
    ASSERT_TRUE(gs_state_import(gs));
    EXPECT_EQ(m68k_context_v024.pc, entry & 0xFFFFFF);
    EXPECT_EQ(m68k_context_v024.regs[3], 0x303u);
    EXPECT_EQ(m68k_context.pc, m68k_main_before) << "the main core is not this machine's";
    EXPECT_EQ(z80_context_v024.af, 0x1234);
    EXPECT_EQ(z80_context_v024.pc, 0x100);
    EXPECT_EQ(z80_context_v024.sp, 0x1FF0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(run_frame_v024(), FrameResult::kFrameEnd);

    // A PC where the earlier machine has no code: refused, the registers kept.
    store_le32(&gs[0xC8], 0xA00000);
    const u32 pc = m68k_context_v024.pc;
    EXPECT_EQ(gs_state_import(gs).status, MediaStatus::kFailed);
    EXPECT_EQ(m68k_context_v024.pc, pc);
}

}  // namespace
}  // namespace varn
