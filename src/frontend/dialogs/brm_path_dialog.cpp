#include "frontend/dialogs/brm_path_dialog.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>
#include <algorithm>
#include <system_error>

#include "frontend/dialogs/dialog_base.h"
#include "settings/lang_texts.h"

namespace varn {

namespace {

// Each item keeps its folder's path as bytes (names need not be valid UTF-8) and whether
// its children have been listed.
constexpr int kPathRole   = Qt::UserRole;
constexpr int kFilledRole = Qt::UserRole + 1;

std::filesystem::path path_of(const QTreeWidgetItem* item) {
    const QByteArray bytes = item->data(0, kPathRole).toByteArray();
    return std::filesystem::path(
        std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QTreeWidgetItem* new_item(const std::filesystem::path& path, const QString& text) {
    auto* item = new QTreeWidgetItem(QStringList{text});
    item->setData(0, kPathRole, QByteArray::fromStdString(path.native()));
    return item;
}

}  // namespace

BrmPathDialog::BrmPathDialog(QWidget* owner, std::vector<std::filesystem::path> roots)
    : QDialog(owner) {
    setFont(dialog_font());
    setWindowTitle("Set BRM Path");
    auto* layout = new QVBoxLayout(this);
    tree_        = new QTreeWidget(this);
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true);
    tree_->setDragEnabled(false);
    tree_->setSortingEnabled(false);
    layout->addWidget(tree_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &BrmPathDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &BrmPathDialog::reject);
    layout->addWidget(buttons);
    resize(360, 320);

    for (const std::filesystem::path& root : roots) {
        QTreeWidgetItem* item = new_item(root, QString::fromStdString(root.string()));
        tree_->addTopLevelItem(item);
        fill_children(item);
    }
    connect(tree_, &QTreeWidget::itemExpanded, this, &BrmPathDialog::on_expanding);
    if (lang_file_loaded == 1) setWindowTitle(lang_text(lang::DBX_FIO_BRM));
}

void BrmPathDialog::fill_children(QTreeWidgetItem* item) {
    if (item->data(0, kFilledRole).toBool()) return;
    item->setData(0, kFilledRole, true);
    // A folder that cannot be listed (no right to read it, gone, a path too long for the
    // system) simply has no children.
    std::error_code error;
    std::filesystem::directory_iterator it(path_of(item), error);
    if (error) return;
    std::vector<std::filesystem::path> folders;
    for (const std::filesystem::directory_iterator end; it != end; it.increment(error)) {
        if (error) break;
        const std::filesystem::path name = it->path().filename();
        if (name.native().empty() || name.native().front() == '.') continue;
        std::error_code status_error;
        if (!it->is_directory(status_error) || status_error) continue;
        folders.push_back(it->path());
    }
    std::sort(folders.begin(), folders.end(), [](const auto& a, const auto& b) {
        return a.filename().native() < b.filename().native();
    });
    for (const std::filesystem::path& folder : folders)
        item->addChild(new_item(folder, QString::fromStdString(folder.filename().string())));
}

void BrmPathDialog::on_expanding(QTreeWidgetItem* item) {
    for (int i = 0; i < item->childCount(); ++i) fill_children(item->child(i));
}

std::string BrmPathDialog::item_path(const QTreeWidgetItem* item) {
    std::string path = path_of(item).native();
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

void BrmPathDialog::accept() {
    const QList<QTreeWidgetItem*> chosen = tree_->selectedItems();
    result_.reset();
    if (!chosen.isEmpty()) result_ = item_path(chosen.front());
    if (lang_file_loaded == 1) setWindowTitle(lang_text(lang::DBX_FIO_BRM));
    QDialog::accept();
}

void BrmPathDialog::reject() {
    result_.reset();
    QDialog::reject();
}

std::optional<std::string> BrmPathDialog::run_and_get_path() {
    result_.reset();
    exec();
    return result_;
}

}  // namespace varn
