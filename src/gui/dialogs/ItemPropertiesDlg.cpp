// The "Item Properties" dialog: an item's summary, status and editable keywords.

#include "gui/dialogs/ItemPropertiesDlg.h"

#include "store/Prompt.h"
#include "store/RssDatabase.h"
#include "text/DateFormat.h"
#include "text/MarkupText.h"

CItemPropertiesDlg::CItemPropertiesDlg(CRssDatabase& db, qint32 feedItemID,
                                       const QString& feedTitle, QWidget* parent)
    : CPropertiesDlg(
          QStringLiteral("itemProp.htm"),
          QStringLiteral("This Feed Item is no longer valid.\n\nPlease restart Quillpost."),
          parent),
      db_(db), feedItemID_(feedItemID) {
    setObjectName(QStringLiteral("ItemPropertiesDlg"));
    SetStripText(QStringLiteral("Item Properties"));
    WaitCursor wait;
    const auto item = db_.GetItem(feedItemID);
    if (!item) {
        MarkGone();
        return;
    }
    Fill(*item, feedTitle);
    Tree()->OpenCategory(Tree()->Find(QStringLiteral("Status")));
}

QString CItemPropertiesDlg::StateName(qint16 status) {
    switch (status) {
    case ItemUnread:
        return QStringLiteral("Unread");
    case ItemRead:
        return QStringLiteral("Read");
    case ItemLocked:
        return QStringLiteral("Locked");
    default:
        return QString();
    }
}

void CItemPropertiesDlg::Fill(const CFeedItemRecord& item, const QString& feedTitle) {
    CPropertyTree& tree = *Tree();
    PropertyItem summary = tree.AddCategory(
        QStringLiteral("Summary"), QStringLiteral("General summary of feed item information."));
    tree.AddItem(summary, PropertyKind::ReadOnlyText, QStringLiteral("Item Title"), item.Title,
                 item.Title);
    tree.AddItem(summary, PropertyKind::ReadOnlyText, QStringLiteral("Item Url"),
                 BreakLongWords(item.Link, 40), item.Link);
    tree.AddItem(summary, PropertyKind::ReadOnlyText, QStringLiteral("Feed"), feedTitle, feedTitle);

    PropertyItem settings =
        tree.AddCategory(QStringLiteral("Settings"), QStringLiteral("General feed item settings."));
    keywords_ = tree.AddItem(settings, PropertyKind::Text, QStringLiteral("Keywords"),
                             QStringLiteral("Enter the keywords to use for future searching "
                                            "ability.  Use a comma between keywords."),
                             item.Keywords);

    PropertyItem status =
        tree.AddCategory(QStringLiteral("Status"), QStringLiteral("Current feed item status."));
    tree.AddItem(status, PropertyKind::ReadOnlyText, QStringLiteral("Item State"),
                 QStringLiteral("Current state of feed item."), StateName(item.Status));
    const QString published = FormatDateGmt(item.ItemDate);
    tree.AddItem(status, PropertyKind::ReadOnlyText, QStringLiteral("Item Date"),
                 QStringLiteral("Published date of feed item.\n") + published, published);
    const QString downloaded = FormatDateGmt(item.DateEntered);
    tree.AddItem(status, PropertyKind::ReadOnlyText, QStringLiteral("Last Update"),
                 QStringLiteral("Latest download date of feed item.\n") + downloaded, downloaded);
}

// The item is read again so that a status changed meanwhile (read elsewhere, say) is kept.
bool CItemPropertiesDlg::Save() {
    auto item = db_.GetItem(feedItemID_);
    if (!item)
        return false;
    item->Keywords = Tree()->Text(keywords_);
    return db_.UpdateItem(*item);
}
