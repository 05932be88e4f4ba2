// What the Feed, item and View property dialogs share.

#pragma once

#include "gui/dialogs/PropertyTree.h"

#include <QDialog>

class QDialogButtonBox;
class QLabel;

// What the Feed, item and View property dialogs share: the title strip, the property tree, the
// OK/Cancel/Help buttons, and the rule that a record gone from the database is reported and the
// dialog closes as cancelled, having written nothing.
class CPropertiesDlg : public QDialog {
    Q_OBJECT
public:
    CPropertyTree* Tree() const { return tree_; }
    QString StripText() const;
    QDialogButtonBox* Buttons() const { return buttons_; }

    // Reports a record that could not be read when the dialog opened, instead of showing it.
    int exec() override;
    // Writes the values with the wait cursor; a record gone meanwhile is reported and the
    // dialog closes as cancelled.
    void accept() override;

protected:
    // `goneMessage` is what the user is told when the record is no longer in the database.
    CPropertiesDlg(const QString& helpPage, const QString& goneMessage, QWidget* parent);

    void SetStripText(const QString& text);
    // The record could not be read: exec() reports it in place of showing the dialog.
    void MarkGone() { gone_ = true; }
    bool IsGone() const { return gone_; }
    // Writes the edited values; false when the record has gone meanwhile.
    virtual bool Save() = 0;

private:
    void ReportGone();

    QLabel* strip_;
    CPropertyTree* tree_;
    QDialogButtonBox* buttons_;
    QString goneMessage_;
    bool gone_ = false;
};
