// The property dialogs, the feed list's commands and the RSS Mapping settings.
#include "app/FieldMapping.h"
#include "app/Properties.h"
#include "app/PropertyChoices.h"
#include "cli/CliApplication.h"
#include "cli/PropertyOptions.h"
#include "feeds/FeedData.h"
#include "store/Prompt.h"
#include "text/DateFormat.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {

QString ChoiceText(const PropertyChoices& choices, int value) {
    for (const PropertyChoice& choice : choices)
        if (choice.value == value)
            return QString::fromLatin1(choice.text);
    return QString::number(value);
}

QString DateGmt(const QDateTime& date) {
    return date.isValid() ? FormatDateGmt(date) : QString();
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

int CCliApplication::View(const QStringList& words) {
    const QString action = words.value(0);
    const QStringList rest = words.mid(1);
    if (action == u"add" || action == u"set") {
        const CArguments arguments = CArguments::Parse(rest, ViewValueOptions(), {});
        if (!arguments.error.isEmpty())
            return Usage(arguments.error);
        if (arguments.positional.size() != 1)
            return Usage(action == u"add" ? QStringLiteral("view add takes one LABEL")
                                          : QStringLiteral("view set takes one View ID"));
        ViewEdit edit;
        QString error;
        if (!ReadViewOptions(arguments, edit, error))
            return Usage(error);
        if (edit.feedIDs)
            for (qint32 feed : *edit.feedIDs)
                if (!db_->GetFeed(feed))
                    return Fail(QStringLiteral("there is no feed %1").arg(feed));
        if (action == u"add") {
            const qint32 id = AddView(*db_, arguments.positional[0], edit);
            if (id == 0)
                return Fail(QStringLiteral("the View was not added"));
            Print(QString::number(id));
            return Success;
        }
        qint32 id;
        if (!ParseId(arguments.positional[0], id))
            return Usage(QStringLiteral("view set takes one View ID"));
        if (!db_->GetView(id))
            return Fail(QStringLiteral("there is no View %1").arg(id));
        return ApplyViewEdit(*db_, id, edit) ? Success
                                             : Fail(QStringLiteral("the View was not changed"));
    }
    qint32 id;
    if ((action != u"show" && action != u"delete") || rest.size() != 1 || !ParseId(rest[0], id))
        return Usage(QStringLiteral("view add|set|show|delete"));
    const auto view = db_->GetView(id);
    if (!view)
        return Fail(QStringLiteral("there is no View %1").arg(id));
    if (action == u"delete") {
        if (!CurrentPrompt().AskYesNo(
                QStringLiteral("Are you sure you want to delete the current View?"),
                QStringLiteral("Confirm Delete")))
            return Failed;
        return db_->DeleteView(id) ? Success : Fail(QStringLiteral("the View was not deleted"));
    }
    PrintFields({{"id", view->ViewID},
                 {"label", view->Label},
                 {"readAfter", view->ReadAfter},
                 {"hideAfter", view->HideAfter},
                 {"maxItems", view->NumToShow},
                 {"hideRead", view->HideRead},
                 {"skipRead", view->DPadSkipRead},
                 {"sortBy", ChoiceText(SortByChoices(), view->SortBy)},
                 {"dynamic", view->IsKeywordView},
                 {"keywords", view->Keywords},
                 {"unread", db_->CountViewItems(id, ItemUnread)},
                 {"locked", db_->CountViewItems(id, ItemLocked)},
                 {"total", db_->CountViewItems(id, 0)},
                 {"feeds", IdArray(view->IsKeywordView
                                       ? QList<qint32>()
                                       : db_->GetViewFeedIDs(id).value_or(QList<qint32>()))}});
    return Success;
}

int CCliApplication::Feed(const QStringList& words) {
    const QString action = words.value(0);
    if (action == u"set") {
        const CArguments arguments = CArguments::Parse(words.mid(1), FeedValueOptions(), {});
        qint32 id;
        if (!arguments.error.isEmpty() || arguments.positional.size() != 1 ||
            !ParseId(arguments.positional[0], id))
            return Usage(arguments.error.isEmpty() ? QStringLiteral("feed set takes one feed ID")
                                                   : arguments.error);
        FeedEdit edit;
        QString error;
        if (!ReadFeedOptions(arguments, edit, error))
            return Usage(error);
        if (!db_->GetFeed(id))
            return Fail(QStringLiteral("there is no feed %1").arg(id));
        if (edit.viewIDs)
            for (qint32 view : *edit.viewIDs)
                if (!db_->GetView(view))
                    return Fail(QStringLiteral("there is no View %1").arg(view));
        return ApplyFeedEdit(*db_, id, edit) ? Success
                                             : Fail(QStringLiteral("the feed was not changed"));
    }
    qint32 id;
    if (words.size() != 2 || !ParseId(words[1], id))
        return Usage(QStringLiteral("feed show|set|enable|disable|purge|delete ID"));
    const auto feed = db_->GetFeed(id);
    if (!feed)
        return Fail(QStringLiteral("there is no feed %1").arg(id));
    IPrompt& prompt = CurrentPrompt();
    if (action == u"enable" || action == u"disable")
        return db_->SetFeedStatus(id, action == u"enable" ? 2 : 1)
                   ? Success
                   : Fail(QStringLiteral("the feed was not changed"));
    if (action == u"purge") {
        if (!prompt.AskYesNo(QStringLiteral("Are you sure you want to purge Item data associated "
                                            "with the selected Feed?"),
                             QStringLiteral("Confirm Delete")))
            return Failed;
        return db_->PurgeFeedData(id) && db_->SetFeedStatus(id, 2)
                   ? Success
                   : Fail(QStringLiteral("the feed was not purged"));
    }
    if (action == u"delete") {
        if (!prompt.AskYesNo(QStringLiteral("Are you sure you want to delete the selected Feed?"),
                             QStringLiteral("Confirm Delete")))
            return Failed;
        return db_->DeleteFeed(id) ? Success : Fail(QStringLiteral("the feed was not deleted"));
    }
    if (action != u"show")
        return Usage(QStringLiteral("feed show|set|enable|disable|purge|delete ID"));
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
         {"lastUpdate", DateGmt(feed->LastDownloadDate)},
         {"feedDate", DateGmt(feed->LastFeedDate)},
         {"unread", db_->CountFeedItems(id, ItemUnread)},
         {"total", db_->CountFeedItems(id, 0)},
         {"views", IdArray(FeedViewIDs(*db_, id))}});
    return Success;
}

int CCliApplication::Item(const QStringList& words) {
    qint32 id;
    if (words.size() != 3 || words[0] != u"keywords" || !ParseId(words[1], id))
        return Usage(QStringLiteral("item keywords ID TEXT"));
    auto item = db_->GetItem(id);
    if (!item)
        return Fail(QStringLiteral("there is no item %1").arg(id));
    item->Keywords = words[2];
    return db_->UpdateItem(*item) ? Success : Fail(QStringLiteral("the item was not changed"));
}

int CCliApplication::Mapping(const QStringList& words) {
    const QString action = words.value(0);
    const QString allowed = MappingFormats().join(QStringLiteral(", "));
    if (action == u"show") {
        if (words.size() > 2)
            return Usage(QStringLiteral("mapping show [FORMAT]"));
        QList<int> formats;
        if (words.size() == 2) {
            const int format = MappingFormatIndex(words[1]);
            if (format < 0)
                return Usage(QStringLiteral("FORMAT is one of ") + allowed);
            formats << format;
        } else {
            for (int format = 0; format < MappingFormats().size(); ++format)
                formats << format;
        }
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
                               mapping.link, defaults[2], mapping.date, defaults[3],
                               mapping.content)
                          .arg(mapping.xmlChildren ? "on" : "off"));
        }
        if (json_)
            PrintJson(array);
        return Success;
    }
    const CArguments arguments = CArguments::Parse(
        words.mid(1), {"--title", "--link", "--date", "--content", "--xml-children"}, {});
    if (action != u"set" || !arguments.error.isEmpty() || arguments.positional.size() != 1)
        return Usage(arguments.error.isEmpty()
                         ? QStringLiteral("mapping show [FORMAT] | mapping set "
                                          "FORMAT [options]")
                         : arguments.error);
    const int format = MappingFormatIndex(arguments.positional[0]);
    if (format < 0)
        return Usage(QStringLiteral("FORMAT is one of ") + allowed);
    FieldMapping mapping = ReadFieldMapping(format);
    if (arguments.Has("--title"))
        mapping.title = arguments.Value("--title");
    if (arguments.Has("--link"))
        mapping.link = arguments.Value("--link");
    if (arguments.Has("--date"))
        mapping.date = arguments.Value("--date");
    if (arguments.Has("--content"))
        mapping.content = arguments.Value("--content");
    if (arguments.Has("--xml-children")) {
        const QString value = arguments.Value("--xml-children");
        if (value != u"on" && value != u"off")
            return Usage(QStringLiteral("--xml-children takes on or off"));
        mapping.xmlChildren = value == u"on";
    }
    WriteFieldMapping(format, mapping);
    return Success;
}
