// The property dialogs, the feed list's commands and the RSS Mapping settings.
#include "app/FieldMapping.h"
#include "app/Properties.h"
#include "app/PropertyChoices.h"
#include "cli/CliApplication.h"
#include "cli/PropertyOptions.h"
#include "cli/RecordText.h"
#include "feeds/FeedData.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {

QString ChoiceText(const PropertyChoices& choices, int value) {
    for (const PropertyChoice& choice : choices)
        if (choice.value == value)
            return QString::fromLatin1(choice.text);
    return QString::number(value);
}

QJsonArray IdArray(const QList<qint32>& ids) {
    QJsonArray array;
    for (qint32 id : ids)
        array.append(id);
    return array;
}

// A value as the plain listing shows it: IDs joined by commas, flags as on/off.
QString FieldText(const QJsonValue& value) {
    if (value.isArray()) {
        QStringList ids;
        for (const auto& id : value.toArray())
            ids << QString::number(id.toInt());
        return ids.join(u',');
    }
    if (value.isBool())
        return value.toBool() ? QStringLiteral("on") : QStringLiteral("off");
    return value.isDouble() ? QString::number(value.toInt()) : value.toString();
}

} // namespace

void CCliApplication::PrintFields(const QList<std::pair<QString, QJsonValue>>& fields) const {
    if (json_) {
        QJsonObject object;
        for (const auto& [name, value] : fields)
            object.insert(name, value);
        PrintJson(object);
        return;
    }
    for (const auto& [name, value] : fields)
        Print((name + u':').leftJustified(14) + FieldText(value));
}

int CCliApplication::ViewAdd(const CArguments& arguments) {
    const ViewEdit edit = ReadViewOptions(arguments);
    if (edit.feedIDs)
        for (qint32 feed : *edit.feedIDs)
            if (!db_->GetFeed(feed))
                return Fail(QStringLiteral("there is no feed %1").arg(feed));
    const qint32 id = AddView(*db_, arguments.positional[0], edit);
    if (id == 0)
        return Fail(QStringLiteral("the View was not added"));
    Print(QString::number(id));
    return Success;
}

int CCliApplication::ViewSet(const CArguments& arguments) {
    const qint32 id = arguments.positional[0].toInt();
    const ViewEdit edit = ReadViewOptions(arguments);
    const auto view = db_->GetView(id);
    if (!view)
        return Fail(QStringLiteral("there is no View %1").arg(id));
    if (edit.feedIDs) {
        if (view->IsKeywordView && !(edit.keywords && edit.keywords->isEmpty()))
            return Fail(QStringLiteral("View %1 is a keyword View: it collects its items by "
                                       "their words, not from feeds")
                            .arg(id));
        for (qint32 feed : *edit.feedIDs)
            if (!db_->GetFeed(feed))
                return Fail(QStringLiteral("there is no feed %1").arg(feed));
    }
    return ApplyViewEdit(*db_, id, edit) ? Success
                                         : Fail(QStringLiteral("the View was not changed"));
}

int CCliApplication::ViewShow(const CArguments& arguments) {
    const qint32 id = arguments.positional[0].toInt();
    const auto view = db_->GetView(id);
    if (!view)
        return Fail(QStringLiteral("there is no View %1").arg(id));
    PrintFields({{"id", view->ViewID},
                 {"label", view->Label},
                 {"kind", ViewKind(*view)},
                 {"readAfter", view->ReadAfter},
                 {"hideAfter", view->HideAfter},
                 {"maxItems", view->NumToShow},
                 {"hideRead", view->HideRead},
                 {"skipRead", view->DPadSkipRead},
                 {"sortBy", ChoiceText(SortByChoices(), view->SortBy)},
                 {"keywords", ViewKeywords(*view)},
                 {"unread", db_->CountViewItems(id, ItemUnread)},
                 {"locked", db_->CountViewItems(id, ItemLocked)},
                 {"total", db_->CountViewItems(id, 0)},
                 {"feeds", IdArray(view->IsKeywordView
                                       ? QList<qint32>()
                                       : db_->GetViewFeedIDs(id).value_or(QList<qint32>()))}});
    return Success;
}

int CCliApplication::ViewDelete(const CArguments& arguments) {
    const qint32 id = arguments.positional[0].toInt();
    if (!db_->GetView(id))
        return Fail(QStringLiteral("there is no View %1").arg(id));
    if (id <= LastReservedViewID)
        return Fail(QStringLiteral("View %1 is reserved and cannot be deleted").arg(id));
    return Finish(DeleteViewCommand(*db_, id), QStringLiteral("the View was not deleted"));
}

int CCliApplication::FeedSet(const CArguments& arguments) {
    const qint32 id = arguments.positional[0].toInt();
    const FeedEdit edit = ReadFeedOptions(arguments);
    if (!db_->GetFeed(id))
        return Fail(QStringLiteral("there is no feed %1").arg(id));
    if (edit.viewIDs)
        for (qint32 view : *edit.viewIDs)
            if (!db_->GetView(view))
                return Fail(QStringLiteral("there is no View %1").arg(view));
    return ApplyFeedEdit(*db_, id, edit) ? Success
                                         : Fail(QStringLiteral("the feed was not changed"));
}

int CCliApplication::FeedEnable(const CArguments& arguments) {
    const qint32 id = arguments.positional[0].toInt();
    if (!db_->GetFeed(id))
        return Fail(QStringLiteral("there is no feed %1").arg(id));
    return db_->SetFeedStatus(id, 2) ? Success : Fail(QStringLiteral("the feed was not changed"));
}

int CCliApplication::FeedDisable(const CArguments& arguments) {
    const qint32 id = arguments.positional[0].toInt();
    if (!db_->GetFeed(id))
        return Fail(QStringLiteral("there is no feed %1").arg(id));
    return db_->SetFeedStatus(id, 1) ? Success : Fail(QStringLiteral("the feed was not changed"));
}

int CCliApplication::FeedPurge(const CArguments& arguments) {
    const qint32 id = arguments.positional[0].toInt();
    if (!db_->GetFeed(id))
        return Fail(QStringLiteral("there is no feed %1").arg(id));
    return Finish(PurgeFeedCommand(*db_, id), QStringLiteral("the feed was not purged"));
}

int CCliApplication::FeedDelete(const CArguments& arguments) {
    const qint32 id = arguments.positional[0].toInt();
    if (!db_->GetFeed(id))
        return Fail(QStringLiteral("there is no feed %1").arg(id));
    return Finish(DeleteFeedCommand(*db_, id), QStringLiteral("the feed was not deleted"));
}

int CCliApplication::FeedShow(const CArguments& arguments) {
    const qint32 id = arguments.positional[0].toInt();
    const auto feed = db_->GetFeed(id);
    if (!feed)
        return Fail(QStringLiteral("there is no feed %1").arg(id));
    PrintFields(
        {{"id", feed->FeedID},
         {"title", feed->Title},
         {"description", feed->Description},
         {"url", feed->FeedUrl},
         {"website", feed->LinkUrl},
         {"version", FeedTypeName(feed->FeedType)},
         {"priority", feed->Priority},
         {"readAfter", feed->ReadAfter},
         {"maxItems", feed->MaxItems},
         {"extendedData", feed->ExtendedData},
         {"audio", feed->ExtendedAudio},
         {"status", feed->Status == 1 ? QStringLiteral("disabled") : QStringLiteral("enabled")},
         {"lastUpdate", IsoDate(feed->LastDownloadDate)},
         {"feedDate", IsoDate(feed->LastFeedDate)},
         {"unread", db_->CountFeedItems(id, ItemUnread)},
         {"total", db_->CountFeedItems(id, 0)},
         {"views", IdArray(FeedViewIDs(*db_, id))}});
    return Success;
}

int CCliApplication::ItemKeywords(const CArguments& arguments) {
    const qint32 id = arguments.positional[0].toInt();
    auto item = db_->GetItem(id);
    if (!item)
        return Fail(QStringLiteral("there is no item %1").arg(id));
    item->Keywords = arguments.positional[1];
    return db_->UpdateItem(*item) ? Success : Fail(QStringLiteral("the item was not changed"));
}

int CCliApplication::MappingShow(const CArguments& arguments) {
    QList<int> formats;
    if (!arguments.positional.isEmpty())
        formats << MappingFormatIndex(arguments.positional[0]);
    else
        for (int format = 0; format < MappingFormats().size(); ++format)
            formats << format;
    QJsonArray array;
    for (int format : formats) {
        const FieldMapping mapping = ReadFieldMapping(format);
        const QStringList defaults = DefaultMappingElements(format);
        array.append(QJsonObject{{"format", MappingFormats()[format]},
                                 {"title", mapping.title},
                                 {"link", mapping.link},
                                 {"date", mapping.date},
                                 {"content", mapping.content},
                                 {"xmlChildren", mapping.xmlChildren}});
        if (!json_)
            Print(QStringLiteral("%1: title <%2> %3, link <%4> %5, date <%6> %7, content <%8> "
                                 "%9, xml children %10")
                      .arg(MappingFormats()[format], defaults[0], mapping.title, defaults[1],
                           mapping.link, defaults[2], mapping.date, defaults[3], mapping.content)
                      .arg(mapping.xmlChildren ? "on" : "off"));
    }
    if (json_)
        PrintJson(array);
    return Success;
}

int CCliApplication::MappingSet(const CArguments& arguments) {
    const int format = MappingFormatIndex(arguments.positional[0]);
    FieldMapping mapping = ReadFieldMapping(format);
    if (arguments.Has("--title"))
        mapping.title = arguments.Value("--title");
    if (arguments.Has("--link"))
        mapping.link = arguments.Value("--link");
    if (arguments.Has("--date"))
        mapping.date = arguments.Value("--date");
    if (arguments.Has("--content"))
        mapping.content = arguments.Value("--content");
    if (arguments.Has("--xml-children"))
        mapping.xmlChildren = arguments.Value("--xml-children") == u"on";
    WriteFieldMapping(format, mapping);
    return Success;
}
