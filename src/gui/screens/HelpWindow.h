// The window that shows the help pages shipped with the program.

#pragma once

#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QTextBrowser;

// The information window that shows one of the help pages shipped with the program. Links
// between the pages stay in the window; outside links go to the desktop's browser.
class CHelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit CHelpWindow(const QString& page, QWidget* parent = nullptr);

    // Opens the page (a file name of the help folder, "help.htm") in its own window.
    static CHelpWindow* Show(const QString& page, QWidget* parent);
    static QString PageUrl(const QString& page);
    QTextBrowser* Browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

// OK, Cancel and Help for a dialog whose Help opens one of the help pages.
QDialogButtonBox* CreateOkCancelHelpButtons(QDialog* dialog, const QString& helpPage);
// The bold line that names what a settings dialog is about, above its fields.
QLabel* CreateDialogHeader(const QString& text);
