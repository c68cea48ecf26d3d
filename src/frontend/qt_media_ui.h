#pragma once
// What image loading and the boot ask of the window: message boxes, the open-file dialog,
// the chooser of an archive entry, the window title and the settings write.

#include <QWidget>
#include <functional>

#include "media/media_ui.h"

namespace varn {

class QtMediaUi : public MediaUi {
  public:
    QtMediaUi(QWidget* owner, std::function<void()> write_settings)
        : owner_(owner), write_settings_(std::move(write_settings)) {}

    void message_box(const std::string& text) override;
    std::optional<FileChoice> open_file_dialog(const std::string& initial_folder,
                                               const std::vector<FileFilter>& filters,
                                               u32 filter_index) override;
    std::optional<FileChoice> save_file_dialog(const std::string& initial_folder,
                                               const std::vector<FileFilter>& filters,
                                               u32 filter_index) override;
    std::optional<std::string> choose_entry(const std::string& title,
                                            const std::vector<std::string>& entries) override;
    void set_title(const std::string& title) override;
    void ini_write() override { write_settings_(); }

  private:
    enum class Kind { kOpen, kSave };
    std::optional<FileChoice> file_dialog(Kind kind, const std::string& initial_folder,
                                          const std::vector<FileFilter>& filters, u32 filter_index);

    QWidget* owner_;
    std::function<void()> write_settings_;
};

}  // namespace varn
