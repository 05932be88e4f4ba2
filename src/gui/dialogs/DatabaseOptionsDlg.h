// The "RSS Database Options" dialog.

#pragma once

#include <QDialog>

class QButtonGroup;
class QLabel;

// "RSS Database Options": five mutually exclusive choices, each with its description line.
// The chosen operation is run by the caller once the dialog is accepted.
class CDatabaseOptionsDlg : public QDialog {
    Q_OBJECT
public:
    enum Option { Open = 0, Create = 1, ImportBackup = 2, Purge = 3, SaveBackup = 4 };

    explicit CDatabaseOptionsDlg(QWidget* parent = nullptr);

    Option Chosen() const;
    void Choose(Option option);
    QString Description() const;
    static QString ChoiceText(Option option);

private:
    void ShowDescription();

    QButtonGroup* choices_;
    QLabel* description_;
};
