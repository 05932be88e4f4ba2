// Reads the property dialogs' fields from command-line options into feed and View edits.

#include "cli/PropertyOptions.h"

namespace {

void ReadSwitch(const CArguments& arguments, const QString& option, std::optional<bool>& value) {
    if (arguments.Has(option))
        value = arguments.Value(option) == u"on";
}

void ReadNumber(const CArguments& arguments, const QString& option, std::optional<int>& value) {
    if (arguments.Has(option))
        value = arguments.Value(option).toInt();
}

void ReadIds(const CArguments& arguments, const QString& option,
             std::optional<QList<qint32>>& value) {
    QList<qint32> ids;
    if (arguments.Has(option) && ReadIdList(arguments.Value(option), ids))
        value = ids;
}

} // namespace

FeedEdit ReadFeedOptions(const CArguments& arguments) {
    FeedEdit edit;
    if (arguments.Has("--url"))
        edit.url = arguments.Value("--url");
    ReadNumber(arguments, "--priority", edit.priority);
    ReadNumber(arguments, "--read-after", edit.readAfter);
    ReadNumber(arguments, "--max-items", edit.maxItems);
    ReadSwitch(arguments, "--extended-data", edit.extendedData);
    ReadSwitch(arguments, "--audio", edit.audio);
    ReadIds(arguments, "--views", edit.viewIDs);
    return edit;
}

ViewEdit ReadViewOptions(const CArguments& arguments) {
    ViewEdit edit;
    if (arguments.Has("--label"))
        edit.label = arguments.Value("--label");
    if (arguments.Has("--keywords"))
        edit.keywords = arguments.Value("--keywords");
    if (arguments.Has("--sort"))
        edit.sortBy = int(
            QStringList({"priority", "feed-date", "item-date"}).indexOf(arguments.Value("--sort")));
    ReadNumber(arguments, "--read-after", edit.readAfter);
    ReadNumber(arguments, "--hide-after", edit.hideAfter);
    ReadNumber(arguments, "--max-items", edit.maxItems);
    ReadSwitch(arguments, "--hide-read", edit.hideRead);
    ReadSwitch(arguments, "--skip-read", edit.skipRead);
    ReadIds(arguments, "--feeds", edit.feedIDs);
    return edit;
}
