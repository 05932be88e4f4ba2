// The frame the property dialogs share: title strip, property tree and buttons.

#include "gui/dialogs/PropertiesDlg.h"

#include "gui/screens/HelpWindow.h"
#include "gui/screens/Screen.h"
#include "store/Prompt.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CPropertiesDlg::CPropertiesDlg(const QString& helpPage, const QString& goneMessage, QWidget* parent)
    : QDialog(parent), strip_(CScreen::MakeTitleStrip(QString())), tree_(new CPropertyTree),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                    QDialogButtonBox::Help)),
      goneMessage_(goneMessage) {
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons_, &QDialogButtonBox::helpRequested, this,
            [this, helpPage] { CHelpWindow::Show(helpPage, this); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(strip_);
    layout->addWidget(tree_, 1);
    layout->addWidget(buttons_);
    resize(480, 480);
}

QString CPropertiesDlg::StripText() const {
    return strip_->text();
}

void CPropertiesDlg::SetStripText(const QString& text) {
    strip_->setText(text);
    setWindowTitle(text);
}

int CPropertiesDlg::exec() {
    if (IsGone()) {
        ReportGone();
        setResult(Rejected);
        return Rejected;
    }
    return QDialog::exec();
}

void CPropertiesDlg::accept() {
    tree_->FinishEditing();
    bool saved = false;
    {
        WaitCursor wait;
        saved = Save();
    }
    if (saved) {
        QDialog::accept();
        return;
    }
    ReportGone();
    QDialog::reject();
}

void CPropertiesDlg::ReportGone() {
    CurrentPrompt().ShowMessage(goneMessage_, QStringLiteral("Invalid Database Record"));
}
