#pragma once
// Shared set-up of the media tests: a user interface that records what it was shown and
// answers as told, a temporary folder, and the optional libraries bound from the build tree.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "base/config.h"
#include "genesis/bus/save_ram.h"
#include "genesis/runtime/power_on.h"
#include "media/image_loader.h"
#include "media/machine_boot.h"
#include "media/media_ui.h"
#include "media/optional_libs.h"
#include "memory/memory.h"
#include "runtime/machine_table.h"
#include "runtime/thread_link.h"
#include "settings/config_paths.h"
#include "settings/lang_texts.h"
#include "support/test_files.h"
#include "support/test_machine.h"

namespace varn::test {

class RecordingUi : public MediaUi {
  public:
    void message_box(const std::string& text) override { messages.push_back(text); }
    std::optional<FileChoice> open_file_dialog(const std::string& folder,
                                               const std::vector<FileFilter>& filters,
                                               u32 filter_index) override {
        dialog_folder  = folder;
        dialog_filters = filters;
        dialog_filter  = filter_index;
        return file;
    }
    std::optional<std::string> choose_entry(const std::string& chooser,
                                            const std::vector<std::string>& entries) override {
        chooser_title   = chooser;
        offered_entries = entries;
        return entry;
    }
    void set_title(const std::string& t) override { title = t; }
    void ini_write() override { ++ini_writes; }

    std::vector<std::string> messages;
    std::string title;
    std::optional<FileChoice> file;
    std::optional<std::string> entry;
    std::string dialog_folder;
    std::vector<FileFilter> dialog_filters;
    u32 dialog_filter = 0;
    std::string chooser_title;
    std::vector<std::string> offered_entries;
    int ini_writes = 0;
};

inline LibraryBindOptions build_tree_libraries() {
    LibraryBindOptions options;
    options.namer_folder = std::filesystem::path(VARN_NAMER_DIR);
    return options;
}

class MediaTest : public ::testing::Test {
  protected:
    // The machines the program of the test links: the Genesis alone unless a suite says
    // otherwise.
    explicit MediaTest(u32 machines = kMachineGenesis) : machines_(machines) {}

    void SetUp() override {
        compose_machines(machines_);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir              = std::filesystem::temp_directory_path() /
              ("varn_media_" + std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" +
               info->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        media_set_ui(&ui);
        machine_close();
        thread_link_reset();
        save_ram_reset();
        lang_texts_reset();
        dll_bind_optional(build_tree_libraries());
        ui.messages.clear();
        media_ram_files_enabled = true;
        cfg_brm_path            = dir.string() + "/";
        cfg_set(cfg_error_msg_rvf, 1);
        cfg_set(cfg_game_name_search_order, 1);
        cfg_set(cfg_gen_use_bios, 0);
        cfg_set(cfg_region, 4);
    }

    void TearDown() override {
        machine_close();
        media_set_ui(nullptr);
        std::filesystem::remove_all(dir);
        cfg_brm_path = ".\\";
    }

    std::filesystem::path write(const std::string& name, const std::vector<u8>& bytes) {
        const auto p = dir / name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return p;
    }

    std::filesystem::path dir;
    RecordingUi ui;

  private:
    u32 machines_;
};

// The shared fixture's path, or skips the test when the shared folder is absent.
#define VARN_FIXTURE(var, relative)                         \
    const auto var = ::varn::test::testdata_file(relative); \
    if (var.empty()) GTEST_SKIP() << "test data not found: " << (relative)

}  // namespace varn::test
