#pragma once
// Set BRM Path: the folder tree of the file system, filled one level below what the user
// has opened (so each folder shows an expansion button exactly when it has sub-folders).
// Folders are listed from absolute paths; the process's current folder never changes.

#include <QDialog>
#include <QTreeWidget>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace varn {

class BrmPathDialog : public QDialog {
  public:
    // `roots`: the tree's top folders, absolute (the file system's root in the program).
    BrmPathDialog(QWidget* owner, std::vector<std::filesystem::path> roots);

    // Runs the dialog; the chosen folder with a '/' at its end (a root as it stands), or
    // nothing when the user cancelled or chose nothing.
    std::optional<std::string> run_and_get_path();

    QTreeWidget* tree() const { return tree_; }
    // The folder of an item, as the result gives it.
    static std::string item_path(const QTreeWidgetItem* item);

    void accept() override;
    void reject() override;

  private:
    void fill_children(QTreeWidgetItem* item);
    void on_expanding(QTreeWidgetItem* item);

    QTreeWidget* tree_;
    std::optional<std::string> result_;
};

}  // namespace varn
