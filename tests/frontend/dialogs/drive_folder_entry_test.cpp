// The CD drive chooser, the Set BRM Path folder tree and the archive entry chooser.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/config.h"
#include "cddrive/cd_drive_table.h"
#include "frontend/dialogs/brm_path_dialog.h"
#include "frontend/dialogs/cd_drive_chooser.h"
#include "frontend/dialogs/dialogs.h"
#include "frontend/dialogs/load_file_dialog.h"
#include "settings/lang_texts.h"
#include "support/qt_offscreen.h"

namespace fs = std::filesystem;

namespace varn {
namespace {

std::vector<std::string> two_drives() { return {"ACME CDROM-1000", "VENDOR  DVD-ROM X2"}; }

class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::qt_offscreen_app();
        lang_texts_reset();
        cfg_set(cfg_cd_drive, 0);
        set_cd_drive_names_source(two_drives);
    }
    void TearDown() override {
        if (cd_drive_chooser != nullptr) cd_drive_chooser->accept();
        test::qt_run_deferred_deletes();
        set_cd_drive_names_source(nullptr);
        lang_texts_reset();
    }
};

TEST_F(DialogTest, DriveChooserShowsTheDefaultDriveAndStoresTheChoiceOnClose) {
    cfg_set(cfg_cd_drive, 2);
    open_cd_drive_chooser();
    ASSERT_NE(cd_drive_chooser, nullptr);
    CdDriveChooserDialog* first = cd_drive_chooser;
    ASSERT_EQ(first->list()->count(), 2);
    EXPECT_EQ(first->list()->item(1)->text(), "VENDOR  DVD-ROM X2");
    ASSERT_EQ(first->list()->selectedItems().size(), 1);
    EXPECT_EQ(first->list()->row(first->list()->selectedItems().front()), 1);
    EXPECT_EQ(first->windowTitle(), "CD Drive Chooser");

    open_cd_drive_chooser();  // already open: nothing more
    EXPECT_EQ(cd_drive_chooser, first);

    first->close();  // the close box
    test::qt_run_deferred_deletes();
    EXPECT_EQ(cd_drive_chooser, nullptr);
    EXPECT_EQ(cfg(cfg_cd_drive), 2u);  // nothing changed

    // Another choice, closed with Escape; then no choice at all gives no drive.
    open_cd_drive_chooser();
    cd_drive_chooser->list()->setCurrentRow(0);
    cd_drive_chooser->reject();
    test::qt_run_deferred_deletes();
    EXPECT_EQ(cfg(cfg_cd_drive), 1u);
    open_cd_drive_chooser();
    cd_drive_chooser->list()->clearSelection();
    cd_drive_chooser->accept();
    EXPECT_EQ(cfg(cfg_cd_drive), 0u);
}

TEST_F(DialogTest, DriveChooserCaptionFromTheLanguageFileAndAnEmptyList) {
    lang_file_loaded = 1;
    lang_set_text(lang::DBX_FIO_CDD, "Lecteur CD");
    set_cd_drive_names_source(nullptr);
    cfg_set(cfg_cd_drive, 1);  // a drive that is no longer there
    open_cd_drive_chooser();
    EXPECT_EQ(cd_drive_chooser->windowTitle(), "Lecteur CD");
    EXPECT_EQ(cd_drive_chooser->list()->count(), 0);
    EXPECT_EQ(cfg(cfg_cd_drive), 0u);
}

TEST_F(DialogTest, DriveChooserListsTheCdLayersTable) {
    cd_drive_table_reset();
    auto name = [](u32 record, std::string_view text) {
        std::copy(text.begin(), text.end(), cd_drive_records[record].name.begin());
    };
    name(1, "SHORT");
    name(2, "ABCDEFGHIJKLMNOPQRSTUVWX");  // all 24 bytes, no terminator inside
    name(3, "NOT FOUND");                 // past the count
    cd_drive_count = 2;
    set_cd_drive_names_source(nullptr);
    cfg_set(cfg_cd_drive, 2);
    open_cd_drive_chooser();
    QListWidget* list = cd_drive_chooser->list();
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "SHORT");
    EXPECT_EQ(list->item(1)->text(), "ABCDEFGHIJKLMNOPQRSTUVWX");
    EXPECT_EQ(list->row(list->selectedItems().value(0)), 1);
    cd_drive_table_reset();
}

// A folder tree under the temporary folder:
//   Alpha/ Sub/ Deep/    Beta/    Zed/    .hidden/    file.txt    Alpha/notes.txt
class FolderTreeTest : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        root = fs::temp_directory_path() / ("varn_brm_tree_" + std::to_string(getpid()));
        remove_tree();
        fs::create_directories(root / "Alpha" / "Sub" / "Deep");
        fs::create_directories(root / "Zed");
        fs::create_directories(root / "Beta");
        fs::create_directories(root / ".hidden" / "inside");
        std::ofstream(root / "file.txt") << "x";
        std::ofstream(root / "Alpha" / "notes.txt") << "x";
        cwd = fs::current_path();
    }
    void TearDown() override {
        remove_tree();
        DialogTest::TearDown();
    }
    // The tree may be deeper than a path the system takes; rm walks it folder by folder.
    void remove_tree() {
        std::error_code ec;
        fs::permissions(root / "Locked", fs::perms::owner_all, ec);
        const std::string command = "rm -rf '" + root.string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    static QStringList children(const QTreeWidgetItem* item) {
        QStringList names;
        for (int i = 0; i < item->childCount(); ++i) names << item->child(i)->text(0);
        return names;
    }
    fs::path root;
    fs::path cwd;
};

TEST_F(FolderTreeTest, ListsFoldersOneLevelAheadAndGivesTheirPaths) {
    BrmPathDialog dialog(nullptr, {root});
    QTreeWidgetItem* top = dialog.tree()->topLevelItem(0);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->text(0).toStdString(), root.string());
    // Folders only, sorted, none beginning with '.'.
    EXPECT_EQ(children(top), (QStringList{"Alpha", "Beta", "Zed"}));
    QTreeWidgetItem* alpha = top->child(0);
    EXPECT_EQ(alpha->childCount(), 0);  // not listed until its parent opens
    top->setExpanded(true);
    EXPECT_EQ(children(alpha), QStringList{"Sub"});
    EXPECT_EQ(top->child(1)->childCount(), 0);  // Beta has no sub-folders
    alpha->setExpanded(true);
    QTreeWidgetItem* sub = alpha->child(0);
    EXPECT_EQ(children(sub), QStringList{"Deep"});
    EXPECT_EQ(fs::current_path(), cwd);  // the process's folder never moved

    EXPECT_EQ(BrmPathDialog::item_path(top), root.string() + "/");
    EXPECT_EQ(BrmPathDialog::item_path(sub), (root / "Alpha" / "Sub").string() + "/");

    // Through the dialog's run: OK with a folder chosen, Cancel, OK with nothing chosen.
    QTimer::singleShot(0, &dialog, [&] {
        dialog.tree()->setCurrentItem(sub);
        dialog.accept();
    });
    EXPECT_EQ(dialog.run_and_get_path(), (root / "Alpha" / "Sub").string() + "/");
    QTimer::singleShot(0, &dialog, [&] {
        dialog.tree()->setCurrentItem(sub);
        dialog.reject();
    });
    EXPECT_EQ(dialog.run_and_get_path(), std::nullopt);
    QTimer::singleShot(0, &dialog, [&] {
        dialog.tree()->clearSelection();
        dialog.accept();
    });
    EXPECT_EQ(dialog.run_and_get_path(), std::nullopt);
}

TEST_F(FolderTreeTest, FileSystemRootAndFoldersThatCannotBeListed) {
    BrmPathDialog at_root(nullptr, {fs::path("/")});
    EXPECT_EQ(BrmPathDialog::item_path(at_root.tree()->topLevelItem(0)), "/");

    // A chain of long names: deeper than the system takes a path, and a folder on the way
    // whose listing is refused (when the tests do not run with every right).
    fs::create_directories(root / "Locked" / "Inside");
    fs::permissions(root / "Locked", fs::perms::none);
    const std::string long_name(200, 'L');
    fs::path deep = root / "Long";
    fs::create_directories(deep);
    {
        // Built from the inside with relative steps: no single call sees the whole path.
        const fs::path here = fs::current_path();
        fs::current_path(deep);
        for (int i = 0; i < 25; ++i) {
            fs::create_directory(long_name);
            fs::current_path(long_name);
        }
        fs::current_path(here);
    }
    BrmPathDialog dialog(nullptr, {root});
    QTreeWidgetItem* top = dialog.tree()->topLevelItem(0);
    top->setExpanded(true);
    QTreeWidgetItem* item = nullptr;
    for (int i = 0; i < top->childCount(); ++i)
        if (top->child(i)->text(0) == "Long") item = top->child(i);
    ASSERT_NE(item, nullptr);
    int depth = 0;
    while (item->childCount() > 0) {
        item->setExpanded(true);
        item = item->child(0);
        ++depth;
    }
    // The tree stops where the path gets too long for the system, without failing.
    EXPECT_GT(depth, 10);
    EXPECT_LT(depth, 25);
    EXPECT_GT(BrmPathDialog::item_path(item).size(), 2000u);
    if (geteuid() != 0) {
        for (int i = 0; i < top->childCount(); ++i)
            if (top->child(i)->text(0) == "Locked") {
                EXPECT_EQ(top->child(i)->childCount(), 0);
            }
    }
    EXPECT_EQ(fs::current_path(), cwd);
}

TEST_F(DialogTest, ArchiveEntryChoiceAndCancel) {
    const std::vector<std::string> entries = {"first.bin", "second\xE9.bin"};  // not UTF-8
    LoadFileDialog dialog(nullptr, lang_filter_description(lang::kFilterGenesis), entries);
    EXPECT_EQ(dialog.windowTitle(), "Load File");
    EXPECT_EQ(dialog.type_label()->text(),
              QString("Files of type: ") + lang_filter_description(lang::kFilterGenesis));
    ASSERT_EQ(dialog.list()->count(), 2);

    QTimer::singleShot(0, &dialog, [&] {
        dialog.list()->setCurrentRow(1);
        dialog.accept();
    });
    EXPECT_EQ(dialog.run_and_get_choice(), entries[1]);  // byte for byte
    QTimer::singleShot(0, &dialog, [&] {
        dialog.list()->setCurrentRow(0);
        dialog.reject();
    });
    EXPECT_EQ(dialog.run_and_get_choice(), std::nullopt);
    QTimer::singleShot(0, &dialog, [&] {
        dialog.list()->clearSelection();
        dialog.accept();
    });
    EXPECT_EQ(dialog.run_and_get_choice(), std::nullopt);

    lang_file_loaded = 1;
    lang_set_text(lang::DBX_FIO_FSD, "Fichier");
    LoadFileDialog translated(nullptr, "Genesis", entries);
    EXPECT_EQ(translated.windowTitle(), "Fichier");
}

}  // namespace
}  // namespace varn
