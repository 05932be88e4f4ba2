// The "Feed Properties" dialog, also used as the feed wizard's last page.

#include "gui/dialogs/FeedPropertiesDlg.h"

#include "app/Properties.h"
#include "feeds/FeedData.h"
#include "store/Prompt.h"
#include "store/RssDatabase.h"
#include "text/DateFormat.h"

#include <QDialogButtonBox>
#include <algorithm>

CFeedPropertiesDlg::CFeedPropertiesDlg(CRssDatabase& db, qint32 feedID, QWidget* parent)
    : CPropertiesDlg(QStringLiteral("feedProp.htm"),
                     QStringLiteral("This Feed is no longer valid.\n\nPlease restart Quillpost."),
                     parent),
      db_(db), wizard_(false) {
    setObjectName(QStringLiteral("FeedPropertiesDlg"));
    SetStripText(QStringLiteral("Feed Properties"));
    WaitCursor wait;
    const auto feed = db_.GetFeed(feedID);
    if (!feed) {
        MarkGone();
        return;
    }
    feed_ = *feed;
    viewIDs_ = FeedViewIDs(db_, feedID);
    Fill(feedID);
    Tree()->OpenCategory(Tree()->Find(QStringLiteral("Status")));
}

CFeedPropertiesDlg::CFeedPropertiesDlg(CRssDatabase& db, const CFeedRecord& newFeed,
                                       QWidget* parent)
    : CPropertiesDlg(QStringLiteral("feedProp.htm"),
                     QStringLiteral("This Feed is no longer valid.\n\nPlease restart Quillpost."),
                     parent),
      db_(db), wizard_(true), feed_(newFeed) {
    setObjectName(QStringLiteral("FeedPropertiesDlg"));
    SetStripText(QStringLiteral("FW - Feed Properties (Step 3 of 3)"));
    Fill(0);
    Tree()->OpenCategory(Tree()->Find(QStringLiteral("Settings")));
}

// A new Feed has no items yet: its counts are those of an unknown ID, zero.
void CFeedPropertiesDlg::Fill(qint32 feedID) {
    extendedDataWasOn_ = feed_.ExtendedData;
    CPropertyTree& tree = *Tree();

    PropertyItem summary = tree.AddCategory(QStringLiteral("Summary"),
                                            QStringLiteral("General summary of Feed information."));
    tree.AddItem(summary, PropertyKind::ReadOnlyText, QStringLiteral("Title"), feed_.Title,
                 feed_.Title);
    tree.AddItem(summary, PropertyKind::ReadOnlyText, QStringLiteral("Description"),
                 feed_.Description, feed_.Description);
    url_ = tree.AddItem(summary, PropertyKind::Text, QStringLiteral("RSS Url"), feed_.FeedUrl,
                        feed_.FeedUrl);
    tree.AddItem(summary, PropertyKind::ReadOnlyText, QStringLiteral("Website Url"), feed_.LinkUrl,
                 feed_.LinkUrl);
    // The name every front end shows, Atom 1.0 and JSON Feed included.
    const QString version = FeedTypeName(feed_.FeedType);
    tree.AddItem(summary, PropertyKind::ReadOnlyText, QStringLiteral("Version"), version, version);

    PropertyItem settings =
        tree.AddCategory(QStringLiteral("Settings"), QStringLiteral("Feed specific settings."));
    priority_ = tree.AddItem(
        settings, PropertyKind::Number, QStringLiteral("Priority"),
        QStringLiteral("Enter a number between 0(lowest) - 100(highest), to set the priority level "
                       "for the feed.  Higher priority feeds are updated from the internet first."),
        int(feed_.Priority));
    readAfter_ = tree.AddChoice(
        settings, QStringLiteral("Mark Read After"),
        QStringLiteral("Select the amount of delay time until an item is marked as \"read\"."),
        MarkReadAfterChoices(), feed_.ReadAfter);
    maxItems_ = tree.AddChoice(settings, QStringLiteral("Max Items"),
                               QStringLiteral("Maximum number of items to show for the feed."),
                               FeedMaxItemsChoices(), feed_.MaxItems);
    extendedData_ = tree.AddItem(
        settings, PropertyKind::Check, QStringLiteral("Extended Data"),
        QStringLiteral("Select to download full content for all feed items for offline viewing.  "
                       "Note: this is not recommended, see \"Help\"."),
        feed_.ExtendedData);
    audio_ = tree.AddItem(settings, PropertyKind::Check, QStringLiteral("Audio Data"),
                          QStringLiteral("Select to download audio content for all for offline "
                                         "listening.  Note: see \"Help\"."),
                          feed_.ExtendedAudio);

    PropertyItem status =
        tree.AddCategory(QStringLiteral("Status"), QStringLiteral("General status of the feed."));
    const QString updated = FormatDateGmt(feed_.LastDownloadDate);
    tree.AddItem(status, PropertyKind::ReadOnlyText, QStringLiteral("Last Update"),
                 QStringLiteral("The date the feed was last updated.\n") + updated, updated);
    const QString published = FormatDateGmt(feed_.LastFeedDate);
    tree.AddItem(status, PropertyKind::ReadOnlyText, QStringLiteral("Feed Date"),
                 QStringLiteral("The publication date of the feed.\n") + published, published);
    tree.AddItem(status, PropertyKind::ReadOnlyText, QStringLiteral("Unread Items"),
                 QStringLiteral("Number of unread items in the feed."),
                 db_.CountFeedItems(feedID, ItemUnread));
    tree.AddItem(status, PropertyKind::ReadOnlyText, QStringLiteral("Total Items"),
                 QStringLiteral("Number of total items in the feed."),
                 db_.CountFeedItems(feedID, 0));

    PropertyItem views =
        tree.AddCategory(QStringLiteral("Views"), QStringLiteral("Views attached to the Feed."));
    QList<PropertyCheck> entries;
    // The program's own Views never list a Feed as a member.
    for (const CViewRecord& view : db_.ViewList)
        if (view.ViewID > LastReservedViewID)
            entries << PropertyCheck{view.Label, view.ViewID, viewIDs_.contains(view.ViewID)};
    viewList_ =
        tree.AddCheckList(views, QStringLiteral("View List"),
                          QStringLiteral("Select the Views associated with this Feed."), entries);
}

QWidget* CFeedPropertiesDlg::AsPage() {
    setWindowFlags(Qt::Widget);
    Buttons()->hide();
    return this;
}

void CFeedPropertiesDlg::TakeValues() {
    Tree()->FinishEditing();
    CPropertyTree& tree = *Tree();
    feed_.FeedUrl = tree.Text(url_);
    feed_.Priority = qint16(std::clamp(tree.Number(priority_), 0, 100));
    feed_.ReadAfter = qint16(tree.Number(readAfter_));
    feed_.MaxItems = qint16(tree.Number(maxItems_));
    feed_.ExtendedData = tree.Checked(extendedData_);
    feed_.ExtendedAudio = tree.Checked(audio_);
    viewIDs_ = tree.CheckedIDs(viewList_);
}

bool CFeedPropertiesDlg::Save() {
    TakeValues();
    if (wizard_)
        return true;
    FeedEdit edit;
    edit.url = feed_.FeedUrl;
    edit.priority = feed_.Priority;
    edit.readAfter = feed_.ReadAfter;
    edit.maxItems = feed_.MaxItems;
    edit.extendedData = feed_.ExtendedData;
    edit.audio = feed_.ExtendedAudio;
    edit.viewIDs = viewIDs_;
    return ApplyFeedEdit(db_, feed_.FeedID, edit);
}
