#pragma once
// Help on the desktop: the database is opened with the desktop's default viewer for its
// file type, and looked for with the toolkit's open-file dialog. The viewer opens the
// document at its start: it has no way to be told a page.

#include <QWidget>

#include "frontend/host/help.h"

namespace varn {

class DesktopHelpUi : public HelpUi {
  public:
    explicit DesktopHelpUi(QWidget* owner) : owner_(owner) {}
    std::optional<std::string> choose_database(const std::string& initial_folder) override;
    bool open_document(const std::string& path, u32 context) override;

  private:
    QWidget* owner_;
};

}  // namespace varn
