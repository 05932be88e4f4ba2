// The "Quillpost Settings" dialog.

#pragma once

#include "gui/dialogs/PropertyTree.h"

#include <QDialog>
#include <QList>

class CRssDatabase;

// "Quillpost Settings": every user setting in one property tree, all written back on OK.
// Opening it first brings the Today-screen keys in line with the hosts' registrations.
class CSettingsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSettingsDlg(CRssDatabase& db, QWidget* parent = nullptr);

    void accept() override;

    CPropertyTree* Tree() const { return tree_; }

private:
    void AddSettings();

    CRssDatabase& db_;
    CPropertyTree* tree_;
    // Every item of the tree, in the order of the settings they show.
    QList<PropertyItem> items_;
};
