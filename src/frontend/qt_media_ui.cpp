#include "frontend/qt_media_ui.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include "frontend/dialogs/dialogs.h"

namespace varn {

void QtMediaUi::message_box(const std::string& text) {
    QMessageBox::warning(owner_, "VARN", QString::fromStdString(text));
}

std::optional<FileChoice> QtMediaUi::open_file_dialog(const std::string& initial_folder,
                                                      const std::vector<FileFilter>& filters,
                                                      u32 filter_index) {
    return file_dialog(Kind::kOpen, initial_folder, filters, filter_index);
}

std::optional<FileChoice> QtMediaUi::save_file_dialog(const std::string& initial_folder,
                                                      const std::vector<FileFilter>& filters,
                                                      u32 filter_index) {
    return file_dialog(Kind::kSave, initial_folder, filters, filter_index);
}

std::optional<FileChoice> QtMediaUi::file_dialog(Kind kind, const std::string& initial_folder,
                                                 const std::vector<FileFilter>& filters,
                                                 u32 filter_index) {
    // "Description (*.BIN *.SMD)" per filter, as the toolkit's dialog writes them.
    QStringList names;
    for (const FileFilter& f : filters) {
        QString patterns = QString::fromStdString(f.patterns);
        patterns.replace(';', ' ');
        names << QString::fromStdString(f.description) + " (" + patterns + ")";
    }
    QString selected     = filter_index >= 1 && filter_index <= static_cast<u32>(names.size())
                               ? names[static_cast<int>(filter_index - 1)]
                               : QString{};
    const QString folder = QString::fromStdString(initial_folder);
    // Replacing an existing file is confirmed by the save dialog itself.
    const QString path =
        kind == Kind::kOpen
            ? QFileDialog::getOpenFileName(owner_, {}, folder, names.join(";;"), &selected)
            : QFileDialog::getSaveFileName(owner_, {}, folder, names.join(";;"), &selected);
    if (path.isEmpty()) return std::nullopt;
    FileChoice choice;
    choice.path         = path.toStdString();
    choice.filter_index = static_cast<u32>(std::max<qsizetype>(names.indexOf(selected), 0) + 1);
    return choice;
}

std::optional<std::string> QtMediaUi::choose_entry(const std::string& title,
                                                   const std::vector<std::string>& entries) {
    return choose_archive_entry(owner_, title, entries);
}

void QtMediaUi::set_title(const std::string& title) {
    if (owner_ != nullptr) owner_->setWindowTitle(QString::fromStdString(title));
}

}  // namespace varn
