#pragma once
// What image loading and the boot ask of the user interface: message boxes, the open-file
// dialog, the chooser of an archive entry, the window title and the settings writer. The
// window program fills this in; the headless runner and the tests use their own.

#include <optional>
#include <string>
#include <vector>

#include "base/types.h"

namespace varn {

// One file-dialog filter: its description and its pattern list ("*.BIN;*.SMD").
struct FileFilter {
    std::string description;
    std::string patterns;
};

struct FileChoice {
    std::string path;
    u32 filter_index = 1;  // 1-based, as the dialog reports it
};

class MediaUi {
  public:
    virtual ~MediaUi() = default;

    virtual void message_box(const std::string& text) = 0;
    // The open-file dialog; none when cancelled.
    virtual std::optional<FileChoice> open_file_dialog(const std::string& initial_folder,
                                                       const std::vector<FileFilter>& filters,
                                                       u32 filter_index) = 0;
    // The Load File chooser of archive entries, titled with the filter's description; the
    // chosen entry or none when cancelled.
    virtual std::optional<std::string> choose_entry(const std::string& title,
                                                    const std::vector<std::string>& entries) = 0;
    virtual void set_title(const std::string& title)                                         = 0;
    // Writes the settings file (the Load ROM command keeps its folder and filter at once).
    virtual void ini_write() = 0;
};

// No window: messages go to standard error, the "dialogs" answer with what was decided
// beforehand (the runner's options stand for the user's choices).
class HeadlessUi : public MediaUi {
  public:
    void message_box(const std::string& text) override;
    std::optional<FileChoice> open_file_dialog(const std::string& initial_folder,
                                               const std::vector<FileFilter>& filters,
                                               u32 filter_index) override;
    std::optional<std::string> choose_entry(const std::string& title,
                                            const std::vector<std::string>& entries) override;
    void set_title(const std::string& title) override { title_ = title; }
    void ini_write() override {}

    // The answers: the file the dialog returns (none: cancel) and the entry to choose.
    std::optional<FileChoice> file;
    std::optional<std::string> entry;
    const std::string& title() const { return title_; }

  private:
    std::string title_;
};

// The interface in use; a headless one until the front end sets its own.
MediaUi& media_ui();
void media_set_ui(MediaUi* ui);

}  // namespace varn
