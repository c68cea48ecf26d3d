#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "frontend/host/code_cache.h"
#include "frontend/host/help.h"
#include "settings/config_paths.h"

namespace varn {
namespace {

namespace fs = std::filesystem;

class FakeHelpUi : public HelpUi {
  public:
    std::optional<std::string> choose_database(const std::string& initial_folder) override {
        ++dialogs;
        dialog_folder = initial_folder;
        return answer;
    }
    bool open_document(const std::string& path, u32 context) override {
        ++opens;
        opened         = path;
        opened_context = context;
        return viewer_works;
    }
    std::optional<std::string> answer;
    bool viewer_works = true;
    int dialogs       = 0;
    int opens         = 0;
    std::string dialog_folder, opened;
    u32 opened_context = 0;
};

class HelpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        help_reset();
        dir = fs::temp_directory_path() /
              ("varn_help_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir / "docs");
        std::ofstream(dir / "docs" / kHelpDatabaseName) << "help";
    }
    void TearDown() override {
        help_folder = ".\\";
        help_reset();
        fs::remove_all(dir);
    }
    fs::path dir;
    FakeHelpUi ui;
};

TEST_F(HelpTest, DatabaseInTheHelpFolderOpensDirectlyAtTheGamesPage) {
    help_folder = (dir / "docs").string() + "/";
    EXPECT_TRUE(help_show_database(ui, 0x1234ABCD));
    EXPECT_EQ(ui.dialogs, 0);
    EXPECT_EQ(ui.opened, (dir / "docs" / kHelpDatabaseName).string());
    EXPECT_EQ(ui.opened_context, 0x1234ABCDu);
}

TEST_F(HelpTest, DatabaseElsewhereIsAskedForAndItsFolderKept) {
    help_folder = (dir / "nowhere").string() + "/";
    ui.answer   = (dir / "docs" / kHelpDatabaseName).string();
    EXPECT_TRUE(help_show_database(ui, 0));
    EXPECT_EQ(ui.dialogs, 1);
    EXPECT_EQ(ui.dialog_folder, (dir / "nowhere").string() + "/");
    EXPECT_EQ(help_folder, (dir / "docs").string() + "/");
    EXPECT_EQ(ui.opened_context, 0u);  // no game: the start of the document
    // Next time it is found without asking.
    EXPECT_TRUE(help_show_database(ui, 0));
    EXPECT_EQ(ui.dialogs, 1);

    // Cancelling opens nothing and keeps the folder.
    help_folder = (dir / "nowhere").string() + "/";
    ui.answer.reset();
    EXPECT_FALSE(help_show_database(ui, 0));
    EXPECT_EQ(help_folder, (dir / "nowhere").string() + "/");
    EXPECT_EQ(ui.opens, 2);
}

TEST_F(HelpTest, WithoutAViewerHelpGivesUpForTheRun) {
    help_folder     = (dir / "docs").string() + "/";
    ui.viewer_works = false;
    EXPECT_FALSE(help_show_database(ui, 0));
    EXPECT_EQ(ui.opens, 1);
    ui.viewer_works = true;
    EXPECT_FALSE(help_show_database(ui, 0));
    EXPECT_FALSE(help_open(ui, "x", 0));
    EXPECT_EQ(ui.opens, 1);  // never tried again
}

TEST(CodeCache, MapsFourMegabytesAndSwitchesBetweenWritableAndExecutable) {
    ASSERT_TRUE(code_cache_allocate());
    ASSERT_NE(work_block, nullptr);
    EXPECT_EQ(work_block_second, work_block + 2 * 1024 * 1024);
    EXPECT_TRUE(code_cache_allocate());  // already there: kept
    ASSERT_TRUE(code_cache_protect_write());
    work_block[0]                   = 0xC3;
    work_block[kCodeCacheBytes - 1] = 0x90;
    work_block_second[0]            = 0x55;
    ASSERT_TRUE(code_cache_protect_execute());
    EXPECT_EQ(work_block[0], 0xC3);  // still readable
    EXPECT_EQ(work_block_second[0], 0x55);
    code_cache_release();
    EXPECT_EQ(work_block, nullptr);
    EXPECT_EQ(work_block_second, nullptr);
    EXPECT_FALSE(code_cache_protect_write());  // nothing mapped
}

}  // namespace
}  // namespace varn
