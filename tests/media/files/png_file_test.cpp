// PNG screenshots: a frame saved as PNG must pass pngcheck and decode to the frame's own
// pixels; without zlib, or when zlib fails, nothing is written.

#include <zlib.h>

#include <array>
#include <cstdio>

#include "base/endian.h"
#include "files_fixture.h"
#include "media/png_writer.h"
#include "settings/lang_texts.h"

namespace varn {
namespace {

namespace fs = std::filesystem;

using test::linked_zlib;
using test::MediaMachineTest;
using test::read_file;
using test::run_command;
using test::ScratchFolder;

bool have_tool(const char* name) {
    return run_command(std::string("command -v ") + name).first == 0;
}

class PngFileTest : public MediaMachineTest {
  protected:
    // The frame's rows as the PNG must hold them.
    std::vector<u8> frame_rows() const {
        std::vector<u8> rows((screen_width * 3 + 1) * screen_height);
        EXPECT_TRUE(png_convert_surface_rows(frame.pixels().data(), frame.width(), screen_width,
                                             screen_height, rows));
        return rows;
    }
    MediaResult save(const fs::path& p, const DeflateCalls& zlib) const {
        return screenshot_save(p, frame.pixels().data(), frame.width(), screen_width, screen_height,
                               9, zlib);
    }

    ScratchFolder folder;
};

TEST_F(PngFileTest, AScreenshotPassesPngcheckAndDecodesToTheFrame) {
    if (!boot("sgdk-hilight-shadow.bin")) GTEST_SKIP() << "shared test images absent";
    run_frames(30);
    ASSERT_EQ(screen_width, 320u);
    const fs::path file = folder / "GAME 000.PNG";
    ASSERT_TRUE(save(file, linked_zlib()));

    const auto png = read_file(file);
    ASSERT_GT(png.size(), 57u);
    const u32 n = load_be32(&png[33]);
    EXPECT_EQ(png.size(), n + 57u);
    EXPECT_EQ(load_be32(&png[16]), 320u);
    EXPECT_EQ(load_be32(&png[20]), screen_height);
    EXPECT_EQ(std::string(png.begin() + 37, png.begin() + 41), "IDAT");

    std::vector<u8> rows((320 * 3 + 1) * screen_height);
    uLongf rows_size = rows.size();
    ASSERT_EQ(uncompress(rows.data(), &rows_size, &png[41], n), Z_OK);
    EXPECT_EQ(rows_size, rows.size());
    EXPECT_EQ(rows, frame_rows());

    if (!have_tool("pngcheck")) GTEST_SKIP() << "pngcheck is not installed";
    const auto [status, output] = run_command("pngcheck -v '" + file.string() + "'");
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("320 x " + std::to_string(screen_height)), std::string::npos) << output;
    EXPECT_NE(output.find("No errors"), std::string::npos) << output;
}

int refusing_deflate(z_streamp, int) { return Z_BUF_ERROR; }

TEST_F(PngFileTest, WithoutZlibOrWhenDeflateFailsNothingIsWritten) {
    if (!boot("sgdk-hilight-shadow.bin")) GTEST_SKIP() << "shared test images absent";
    run_frames(2);
    const fs::path file = folder / "shot.PNG";
    ASSERT_TRUE(save(file, linked_zlib()));
    const auto older = read_file(file);
    run_frames(1);

    const auto none = save(file, DeflateCalls{});
    EXPECT_EQ(none.status, MediaStatus::kFailed);
    EXPECT_EQ(none.message, std::string(lang_text(lang::ERM_FIO_SHT)));

    DeflateCalls failing = linked_zlib();
    failing.deflate      = refusing_deflate;
    EXPECT_EQ(save(file, failing).status, MediaStatus::kFailed);

    EXPECT_EQ(read_file(file), older);
    EXPECT_EQ(folder.entries(), 1u);
}

TEST(PngNames, AutomaticNamesTakeTheFirstFreeNumberAndTypedNamesGetTheExtension) {
    ScratchFolder folder;
    for (const char* name : {"GAME 000.PNG", "GAME 001.PNG"}) std::ofstream(folder / name) << "x";
    EXPECT_EQ(screenshot_automatic_name(folder.path(), "GAME"), folder / "GAME 002.PNG");
    EXPECT_EQ(with_extension("shot.png", kScreenshotExtension), "shot.png");
    EXPECT_EQ(with_extension("shot", kScreenshotExtension), "shot.PNG");
}

}  // namespace
}  // namespace varn
