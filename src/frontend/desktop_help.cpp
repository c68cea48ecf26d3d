#include "frontend/desktop_help.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

namespace varn {

std::optional<std::string> DesktopHelpUi::choose_database(const std::string& initial_folder) {
    const QString filter = QString("Radazar Ezevorarir Database (%1)").arg(kHelpDatabaseName);
    const QString path   = QFileDialog::getOpenFileName(
          owner_, {}, QString::fromStdString(initial_folder), filter, nullptr, QFileDialog::ReadOnly);
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
}

bool DesktopHelpUi::open_document(const std::string& path, u32 /*context*/) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

}  // namespace varn
