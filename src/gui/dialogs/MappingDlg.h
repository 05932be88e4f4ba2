// The "RSS Mapping" dialog.

#pragma once

#include "app/FieldMapping.h"

#include <QDialog>
#include <QList>

class QCheckBox;
class QComboBox;
class QTableWidget;

// "RSS Mapping": per feed format, the element read for an item's title, link, date and content
// in place of the default one. The edits of every format are kept while another is shown and
// written together on OK; Cancel writes nothing.
class CMappingDlg : public QDialog {
    Q_OBJECT
public:
    enum Row { TitleRow, LinkRow, DateRow, ContentRow };
    enum Column { ItemColumn, DefaultColumn, OverrideColumn };

    explicit CMappingDlg(QWidget* parent = nullptr);

    void accept() override;

    QComboBox* FormatChooser() const { return formats_; }
    QTableWidget* Table() const { return table_; }
    QCheckBox* XmlChildrenBox() const { return xmlChildren_; }

private:
    void ShowFormat(int format);
    // Takes the shown format's edits into the kept mappings.
    void KeepShownEdits();

    QComboBox* formats_;
    QTableWidget* table_;
    QCheckBox* xmlChildren_;
    QList<FieldMapping> mappings_;
    int shown_ = -1;
};
