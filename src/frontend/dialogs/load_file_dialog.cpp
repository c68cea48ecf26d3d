#include "frontend/dialogs/load_file_dialog.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

#include "frontend/dialogs/dialog_base.h"
#include "settings/lang_texts.h"

namespace varn {

LoadFileDialog::LoadFileDialog(QWidget* owner, std::string type_text,
                               std::vector<std::string> entries)
    : QDialog(owner), type_text_(std::move(type_text)), entries_(std::move(entries)) {
    setFont(dialog_font());
    setWindowTitle("Load File");
    auto* layout = new QVBoxLayout(this);
    list_        = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(list_);
    type_label_ = new QLabel(this);
    layout->addWidget(type_label_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &LoadFileDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &LoadFileDialog::reject);
    layout->addWidget(buttons);
    resize(500, 240);

    for (const std::string& entry : entries_) list_->addItem(QString::fromStdString(entry));
    set_texts();
}

void LoadFileDialog::set_texts() {
    type_label_->setText(QString(lang_text(lang::DBX_FIO_FSD_FOT)) + ": " +
                         QString::fromStdString(type_text_));
    if (lang_file_loaded == 1) setWindowTitle(lang_text(lang::DBX_FIO_FSD));
}

void LoadFileDialog::accept() {
    // The name comes from the list the dialog was given, byte for byte, not back from the
    // text shown.
    const QList<QListWidgetItem*> chosen = list_->selectedItems();
    result_.reset();
    if (!chosen.isEmpty()) {
        const int row = list_->row(chosen.front());
        if (row >= 0 && static_cast<std::size_t>(row) < entries_.size())
            result_ = entries_[static_cast<std::size_t>(row)];
    }
    set_texts();
    QDialog::accept();
}

void LoadFileDialog::reject() {
    result_.reset();
    QDialog::reject();
}

std::optional<std::string> LoadFileDialog::run_and_get_choice() {
    result_.reset();
    exec();
    return result_;
}

}  // namespace varn
