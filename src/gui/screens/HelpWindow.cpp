// The help window that shows the shipped help pages.

#include "gui/screens/HelpWindow.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QTextBrowser>
#include <QVBoxLayout>

QString CHelpWindow::PageUrl(const QString& page) {
    return QStringLiteral("qrc:/help/") + page;
}

CHelpWindow::CHelpWindow(const QString& page, QWidget* parent)
    : QDialog(parent), browser_(new QTextBrowser) {
    setObjectName(QStringLiteral("HelpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    browser_->setOpenExternalLinks(true);
    browser_->setSource(QUrl(PageUrl(page)));
    setWindowTitle(browser_->documentTitle().isEmpty() ? QStringLiteral("Quillpost Help")
                                                       : browser_->documentTitle());
    connect(browser_, &QTextBrowser::sourceChanged, this,
            [this] { setWindowTitle(browser_->documentTitle()); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_, 1);
    layout->addWidget(buttons);
    resize(560, 480);
}

CHelpWindow* CHelpWindow::Show(const QString& page, QWidget* parent) {
    auto* window = new CHelpWindow(page, parent);
    window->show();
    return window;
}

QLabel* CreateDialogHeader(const QString& text) {
    auto* header = new QLabel(text);
    header->setObjectName(QStringLiteral("DialogHeader"));
    QFont font = header->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.2);
    header->setFont(font);
    return header;
}

QDialogButtonBox* CreateOkCancelHelpButtons(QDialog* dialog, const QString& helpPage) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                         QDialogButtonBox::Help);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::helpRequested, dialog,
                     [dialog, helpPage] { CHelpWindow::Show(helpPage, dialog); });
    return buttons;
}
