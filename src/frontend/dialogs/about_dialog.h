#pragma once
// The About box: the program's version line, the author's credit and web page, and with a
// language file the translator's credit and address.

#include <QDialog>
#include <QLabel>
#include <array>

namespace varn {

class AboutDialog : public QDialog {
  public:
    explicit AboutDialog(QWidget* owner);

    // The five lines from top to bottom.
    QLabel* line(int index) const { return lines_[static_cast<std::size_t>(index)]; }

    // The program's fixed version line, which no language file changes.
    static QString version_line();
    static constexpr const char* kWebPage = "https://varn.example.org/";

  protected:
    void accept() override;

  private:
    void fill_texts();
    std::array<QLabel*, 5> lines_{};
};

}  // namespace varn
