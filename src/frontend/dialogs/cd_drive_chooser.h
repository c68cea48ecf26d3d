#pragma once
// The CD drive chooser: the drives the CD layer found, one a line; closing it makes the
// chosen one (or none) the Sega CD's default drive.

#include <QListWidget>
#include <string>
#include <vector>

#include "frontend/dialogs/dialog_base.h"

namespace varn {

class CdDriveChooserDialog : public ModelessDialog {
  public:
    explicit CdDriveChooserDialog(const std::vector<std::string>& drive_names);
    ~CdDriveChooserDialog() override;

    QListWidget* list() const { return list_; }

  protected:
    void store_data() override;
    void after_exchange() override;

  private:
    QListWidget* list_;
};

}  // namespace varn
