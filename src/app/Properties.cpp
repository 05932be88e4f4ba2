// Applies the edits of the feed, item and View property dialogs to the records.

#include "app/Properties.h"

#include "app/PropertyChoices.h"
#include "store/Prompt.h"
#include "store/RssDatabase.h"
#include "text/RecordId.h"

#include <algorithm>

namespace {

template <typename Field, typename Value>
void Take(Field& field, const std::optional<Value>& value) {
    if (value)
        field = Field(*value);
}

bool SameMembers(QList<qint32> a, QList<qint32> b) {
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return a == b;
}

void TakeViewEdit(CViewRecord& view, const ViewEdit& edit) {
    Take(view.Label, edit.label);
    Take(view.ReadAfter, edit.readAfter);
    Take(view.HideAfter, edit.hideAfter);
    if (edit.maxItems)
        view.NumToShow = ViewMaxItemsRange.Clamped(*edit.maxItems);
    Take(view.HideRead, edit.hideRead);
    Take(view.DPadSkipRead, edit.skipRead);
    Take(view.SortBy, edit.sortBy);
    if (edit.keywords)
        view.Keywords = edit.keywords->trimmed();
    view.IsKeywordView = !view.Keywords.isEmpty();
}

} // namespace

QList<qint32> FeedViewIDs(CRssDatabase& db, qint32 feedID) {
    QList<qint32> views = db.GetFeedViewIDs(feedID).value_or(QList<qint32>());
    views.removeIf([](qint32 view) { return view <= LastReservedViewID; });
    return views;
}

void OfferExtendedDataPurge(CRssDatabase& db, qint32 feedID) {
    IPrompt& prompt = CurrentPrompt();
    if (!prompt.AskYesNo(QStringLiteral("You have enabled \"Extended Data\" for this Feed.\n\nDo "
                                        "you want to remove any previously cached data for this "
                                        "Feed, so that the \"Extended Data\" will download on the "
                                        "next Feed update?"),
                         QStringLiteral("Confirm")))
        return;
    db.PurgeFeedData(feedID);
    prompt.ShowMessage(QStringLiteral("\"Extended Data\" has now been enabled for this Feed.  "
                                      "\"Extended Data\" will be downloaded the next time you "
                                      "update this Feed.\n\nBe sure that extended data is also "
                                      "enabled in Quillpost Settings, Html/Description section."),
                       QStringLiteral("Notice"));
}

bool ApplyFeedEdit(CRssDatabase& db, qint32 feedID, const FeedEdit& edit) {
    auto feed = db.GetFeed(feedID);
    if (!feed)
        return false;
    const bool extendedDataWasOn = feed->ExtendedData;
    Take(feed->FeedUrl, edit.url);
    if (edit.priority)
        feed->Priority = qint16(FeedPriorityRange.Clamped(*edit.priority));
    Take(feed->ReadAfter, edit.readAfter);
    Take(feed->MaxItems, edit.maxItems);
    Take(feed->ExtendedData, edit.extendedData);
    Take(feed->ExtendedAudio, edit.audio);
    if (!db.UpdateFeed(*feed))
        return false;
    if (edit.viewIDs) {
        QList<qint32> wanted = *edit.viewIDs;
        wanted.removeIf([](qint32 view) { return view <= LastReservedViewID; });
        if (!SameMembers(wanted, FeedViewIDs(db, feedID)) && !db.SetFeedViews(feedID, wanted))
            return false;
    }
    if (!extendedDataWasOn && feed->ExtendedData)
        OfferExtendedDataPurge(db, feedID);
    return true;
}

qint32 AddView(CRssDatabase& db, const QString& label, const ViewEdit& edit) {
    CViewRecord view;
    view.ViewID = NewRecordID();
    view.Label = label;
    TakeViewEdit(view, edit);
    if (!db.InsertView(view))
        return 0;
    if (edit.feedIDs && !edit.feedIDs->isEmpty())
        db.SetViewFeeds(view.ViewID, *edit.feedIDs);
    if (view.IsKeywordView && edit.dynamicMode.value_or(true))
        db.RebuildKeywordView(view.ViewID, true, true, true);
    return view.ViewID;
}

bool ApplyViewEdit(CRssDatabase& db, qint32 viewID, const ViewEdit& edit) {
    auto view = db.GetView(viewID);
    if (!view)
        return false;
    TakeViewEdit(*view, edit);
    if (!db.UpdateView(*view))
        return false;
    if (edit.feedIDs &&
        !SameMembers(*edit.feedIDs, db.GetViewFeedIDs(viewID).value_or(QList<qint32>())))
        return db.SetViewFeeds(viewID, *edit.feedIDs);
    return true;
}
