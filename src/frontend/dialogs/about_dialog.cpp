#include "frontend/dialogs/about_dialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "frontend/dialogs/dialog_base.h"
#include "settings/lang_texts.h"

namespace varn {

AboutDialog::AboutDialog(QWidget* owner) : QDialog(owner) {
    setFont(dialog_font());
    setWindowTitle("About Varn...");
    auto* layout = new QVBoxLayout(this);
    // Without a language file the lines read: version, empty, credit, empty, web page.
    const char* const template_texts[] = {"VARN", "", "Written by Ostrelan", "", kWebPage};
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        lines_[i] = new QLabel(template_texts[i], this);
        lines_[i]->setAlignment(Qt::AlignHCenter);
        layout->addWidget(lines_[i]);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setCenterButtons(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    fill_texts();
}

QString AboutDialog::version_line() {
    return QStringLiteral("WinVARN %1 %2 (Tandor)").arg(VARN_VERSION, __DATE__);
}

void AboutDialog::accept() {
    fill_texts();
    QDialog::accept();
}

void AboutDialog::fill_texts() {
    lines_[0]->setText(version_line());
    if (lang_file_loaded != 1) return;
    // A language file moves the author's lines up and gives the last two to the translator.
    setWindowTitle(lang_text(lang::DBX_ABT));
    lines_[1]->setText(QString(lang_text(lang::DBX_ABT_WRB)) + " Ostrelan");
    lines_[2]->setText(kWebPage);
    lines_[3]->setText(lang_text(lang::DBX_ABT_TRB));
    lines_[4]->setText(lang_text(lang::DBX_ABT_TRU));
}

}  // namespace varn
