#pragma once
// Load File: the entries of an archive that holds several images, to choose the one to load.

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <optional>
#include <string>
#include <vector>

namespace varn {

class LoadFileDialog : public QDialog {
  public:
    // `type_text`: the description of the file filter the archive was opened under.
    LoadFileDialog(QWidget* owner, std::string type_text, std::vector<std::string> entries);

    // Runs the dialog; the chosen entry's name as the archive gives it, or nothing.
    std::optional<std::string> run_and_get_choice();

    QListWidget* list() const { return list_; }
    QLabel* type_label() const { return type_label_; }

    void accept() override;
    void reject() override;

  private:
    void set_texts();

    std::string type_text_;
    std::vector<std::string> entries_;
    QListWidget* list_;
    QLabel* type_label_;
    std::optional<std::string> result_;
};

}  // namespace varn
