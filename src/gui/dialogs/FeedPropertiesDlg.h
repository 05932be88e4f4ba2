// The "Feed Properties" dialog, also the wizard's last step.

#pragma once

#include "gui/dialogs/PropertiesDlg.h"
#include "store/Records.h"

#include <QList>

class CRssDatabase;

// "Feed Properties": one Feed's summary, settings, status and Views.
//
// For an existing Feed (its ID) OK writes the settings through ApplyFeedEdit: memberships are
// rewritten only when the ticks changed, and switching "Extended Data" on offers the purge.
//
// Wizard mode (the new Feed's record, not yet in the database) is step 3 of the feed wizard:
// the strip reads "FW - Feed Properties (Step 3 of 3)", "Settings" is open, and OK writes
// nothing. The wizard then reads EditedFeed() (the priority clamped to 0–100), ViewIDs() and
// ExtendedDataSwitchedOn(), adds the Feed with CFeedWizard::AddFeed(url, later, EditedFeed(),
// ViewIDs()) and, when ExtendedDataSwitchedOn(), calls OfferExtendedDataPurge for the new ID.
// To place the body in a wizard page instead of running the dialog, call AsPage() and, on the
// page's Done, TakeValues() before reading the results.
class CFeedPropertiesDlg : public CPropertiesDlg {
    Q_OBJECT
public:
    CFeedPropertiesDlg(CRssDatabase& db, qint32 feedID, QWidget* parent = nullptr);
    CFeedPropertiesDlg(CRssDatabase& db, const CFeedRecord& newFeed, QWidget* parent = nullptr);

    // The dialog as a plain widget without its buttons, for a wizard page.
    QWidget* AsPage();
    // Takes the edited values into EditedFeed() and ViewIDs(); writes nothing.
    void TakeValues();

    const CFeedRecord& EditedFeed() const { return feed_; }
    const QList<qint32>& ViewIDs() const { return viewIDs_; }
    bool ExtendedDataSwitchedOn() const { return feed_.ExtendedData && !extendedDataWasOn_; }

protected:
    bool Save() override;

private:
    void Fill(qint32 feedID);

    CRssDatabase& db_;
    bool wizard_;
    CFeedRecord feed_;
    QList<qint32> viewIDs_;
    bool extendedDataWasOn_ = false;
    PropertyItem url_ = nullptr;
    PropertyItem priority_ = nullptr;
    PropertyItem readAfter_ = nullptr;
    PropertyItem maxItems_ = nullptr;
    PropertyItem extendedData_ = nullptr;
    PropertyItem audio_ = nullptr;
    PropertyItem viewList_ = nullptr;
};
