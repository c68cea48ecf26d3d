#include "frontend/dialogs/cd_drive_chooser.h"

#include <QVBoxLayout>

#include "base/config.h"
#include "frontend/dialogs/dialogs.h"
#include "settings/lang_texts.h"

namespace varn {

CdDriveChooserDialog::CdDriveChooserDialog(const std::vector<std::string>& drive_names) {
    setWindowTitle("CD Drive Chooser");
    auto* layout = new QVBoxLayout(this);
    list_        = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(list_);
    resize(300, 160);

    for (const std::string& name : drive_names) list_->addItem(QString::fromStdString(name));
    const u32 chosen = cfg(cfg_cd_drive);
    if (chosen != 0 && chosen <= static_cast<u32>(list_->count()))
        list_->setCurrentRow(static_cast<int>(chosen - 1));
    // What the list shows is the choice from the start.
    exchange(true);
}

CdDriveChooserDialog::~CdDriveChooserDialog() {
    if (cd_drive_chooser == this) cd_drive_chooser = nullptr;
}

void CdDriveChooserDialog::store_data() {
    // Drive n is line n - 1; no line chosen is no drive.
    const QList<QListWidgetItem*> chosen = list_->selectedItems();
    cfg_set(cfg_cd_drive, chosen.isEmpty() ? 0 : static_cast<u32>(list_->row(chosen.front()) + 1));
}

void CdDriveChooserDialog::after_exchange() {
    if (lang_file_loaded == 1) setWindowTitle(lang_text(lang::DBX_FIO_CDD));
}

}  // namespace varn
