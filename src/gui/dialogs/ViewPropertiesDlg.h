// The "View Properties" and "Add a New View" dialog.

#pragma once

#include "gui/dialogs/PropertiesDlg.h"
#include "store/Records.h"

class CRssDatabase;

// "View Properties" of an existing View, or "Add a New View" (View ID 0): name, settings,
// item counts and the Feeds or keywords the View is made of. OK writes through AddView or
// ApplyViewEdit; ViewID() is then the View's ID, the new one for a new View.
class CViewPropertiesDlg : public CPropertiesDlg {
    Q_OBJECT
public:
    CViewPropertiesDlg(CRssDatabase& db, qint32 viewID, QWidget* parent = nullptr);

    qint32 ViewID() const { return view_.ViewID; }

protected:
    bool Save() override;

private:
    void Fill();

    CRssDatabase& db_;
    CViewRecord view_;
    QList<qint32> feedIDs_;
    PropertyItem name_ = nullptr;
    PropertyItem readAfter_ = nullptr;
    PropertyItem hideAfter_ = nullptr;
    PropertyItem maxItems_ = nullptr;
    PropertyItem hideRead_ = nullptr;
    PropertyItem skipRead_ = nullptr;
    PropertyItem sortBy_ = nullptr;
    PropertyItem dynamicMode_ = nullptr;
    PropertyItem keywords_ = nullptr;
    PropertyItem feedListing_ = nullptr;
};
