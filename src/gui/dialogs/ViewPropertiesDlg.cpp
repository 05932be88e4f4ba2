// The "View Properties" and "Add a New View" dialog.

#include "gui/dialogs/ViewPropertiesDlg.h"

#include "app/Properties.h"
#include "store/Prompt.h"
#include "store/RssDatabase.h"

CViewPropertiesDlg::CViewPropertiesDlg(CRssDatabase& db, qint32 viewID, QWidget* parent)
    : CPropertiesDlg(QStringLiteral("viewProp.htm"),
                     QStringLiteral("This View is no longer valid.\n\nPlease restart Quillpost."),
                     parent),
      db_(db) {
    setObjectName(QStringLiteral("ViewPropertiesDlg"));
    if (viewID == 0) {
        SetStripText(QStringLiteral("Add a New View"));
        view_.Label = QStringLiteral("<enter name>");
        Fill();
        Tree()->OpenCategory(Tree()->Find(QStringLiteral("Summary")));
        return;
    }
    SetStripText(QStringLiteral("View Properties"));
    WaitCursor wait;
    const auto view = db_.GetView(viewID);
    if (!view) {
        MarkGone();
        return;
    }
    view_ = *view;
    feedIDs_ = db_.GetViewFeedIDs(viewID).value_or(QList<qint32>());
    Fill();
    Tree()->OpenCategory(Tree()->Find(QStringLiteral("Status")));
}

// A new View has ID 0 until it is added: its counts are zero.
void CViewPropertiesDlg::Fill() {
    CPropertyTree& tree = *Tree();
    PropertyItem summary = tree.AddCategory(QStringLiteral("Summary"),
                                            QStringLiteral("General summary of View information."));
    name_ = tree.AddItem(summary, PropertyKind::Text, QStringLiteral("Name"),
                         QStringLiteral("Enter the name of the View"), view_.Label);

    PropertyItem settings =
        tree.AddCategory(QStringLiteral("Settings"), QStringLiteral("General View settings."));
    readAfter_ = tree.AddChoice(
        settings, QStringLiteral("Mark Read After"),
        QStringLiteral("Select the amount of delay time until an item is marked as \"read\"."),
        MarkReadAfterChoices(), view_.ReadAfter);
    hideAfter_ = tree.AddChoice(
        settings, QStringLiteral("Hide After"),
        QStringLiteral("Select the number of days until an item is no longer shown."),
        HideAfterChoices(), view_.HideAfter);
    maxItems_ = tree.AddChoice(settings, QStringLiteral("Max Items"),
                               QStringLiteral("Maximum number of items to show in the view."),
                               ViewMaxItemsChoices(), view_.NumToShow);
    hideRead_ = tree.AddItem(settings, PropertyKind::Check, QStringLiteral("Hide Read"),
                             QStringLiteral("Select to hide items that have been \"read\"."),
                             view_.HideRead);
    skipRead_ = tree.AddItem(settings, PropertyKind::Check, QStringLiteral("Keys: Skip Read"),
                             QStringLiteral("Select to let the Up and Down keys skip \"read\" "
                                            "items."),
                             view_.DPadSkipRead);
    sortBy_ = tree.AddChoice(settings, QStringLiteral("Sort By"),
                             QStringLiteral("Select the Sort Order for the items in the view."),
                             SortByChoices(), view_.SortBy);

    PropertyItem status =
        tree.AddCategory(QStringLiteral("Status"), QStringLiteral("View status information."));
    tree.AddItem(status, PropertyKind::ReadOnlyText, QStringLiteral("Unread Items"),
                 QStringLiteral("The number of unread items in the view."),
                 db_.CountViewItems(view_.ViewID, ItemUnread));
    tree.AddItem(status, PropertyKind::ReadOnlyText, QStringLiteral("Locked Items"),
                 QStringLiteral("The number of locked items in the view."),
                 db_.CountViewItems(view_.ViewID, ItemLocked));
    tree.AddItem(status, PropertyKind::ReadOnlyText, QStringLiteral("Total Items"),
                 QStringLiteral("The number of total items in the view."),
                 db_.CountViewItems(view_.ViewID, 0));

    PropertyItem feeds =
        tree.AddCategory(QStringLiteral("Feeds"), QStringLiteral("Feeds that belong to the View."));
    dynamicMode_ = tree.AddItem(
        feeds, PropertyKind::Check, QStringLiteral("Dynamic Mode"),
        QStringLiteral("Select Dynamic mode to generate View from Keywords instead of from Feeds."),
        view_.IsKeywordView);
    keywords_ = tree.AddItem(
        feeds, PropertyKind::Text, QStringLiteral("Keywords"),
        QStringLiteral(
            "Enter the keywords to use for Dynamic Mode.  Use a comma between keywords."),
        view_.Keywords);
    QList<PropertyCheck> entries;
    for (const CFeedRecord& feed : db_.FeedList)
        entries << PropertyCheck{feed.Title, feed.FeedID, feedIDs_.contains(feed.FeedID)};
    feedListing_ =
        tree.AddCheckList(feeds, QStringLiteral("Feed Listing"),
                          QStringLiteral("Select the Feeds associated with this View."), entries);
}

bool CViewPropertiesDlg::Save() {
    const CPropertyTree& tree = *Tree();
    ViewEdit edit;
    edit.label = tree.Text(name_);
    edit.readAfter = tree.Number(readAfter_);
    edit.hideAfter = tree.Number(hideAfter_);
    edit.maxItems = tree.Number(maxItems_);
    edit.hideRead = tree.Checked(hideRead_);
    edit.skipRead = tree.Checked(skipRead_);
    edit.sortBy = tree.Number(sortBy_);
    edit.dynamicMode = tree.Checked(dynamicMode_);
    edit.keywords = tree.Text(keywords_);
    edit.feedIDs = tree.CheckedIDs(feedListing_);
    if (view_.ViewID != 0)
        return ApplyViewEdit(db_, view_.ViewID, edit);
    view_.ViewID = AddView(db_, *edit.label, edit);
    return view_.ViewID != 0;
}
