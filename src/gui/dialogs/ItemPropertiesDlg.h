// The "Item Properties" dialog.

#pragma once

#include "gui/dialogs/PropertiesDlg.h"
#include "store/Records.h"

class CRssDatabase;

// "Item Properties": one item's summary, keywords and status. Only the keywords can change;
// OK stores them in the item's record.
class CItemPropertiesDlg : public CPropertiesDlg {
    Q_OBJECT
public:
    // `feedTitle` is the title of the item's Feed, as the item list knows it.
    CItemPropertiesDlg(CRssDatabase& db, qint32 feedItemID, const QString& feedTitle,
                       QWidget* parent = nullptr);

    static QString StateName(qint16 status);

protected:
    bool Save() override;

private:
    void Fill(const CFeedItemRecord& item, const QString& feedTitle);

    CRssDatabase& db_;
    qint32 feedItemID_;
    PropertyItem keywords_ = nullptr;
};
