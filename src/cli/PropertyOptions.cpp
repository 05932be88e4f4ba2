#include "cli/PropertyOptions.h"

#include "app/PropertyChoices.h"

namespace {

bool ReadSwitch(const CArguments& arguments, const QString& option, std::optional<bool>& value,
                QString& error) {
    if (!arguments.Has(option))
        return true;
    const QString text = arguments.Value(option);
    if (text != u"on" && text != u"off") {
        error = option + QStringLiteral(" takes on or off");
        return false;
    }
    value = text == u"on";
    return true;
}

bool ReadNumber(const CArguments& arguments, const QString& option, std::optional<int>& value,
                QString& error, const PropertyChoices* choices = nullptr) {
    if (!arguments.Has(option))
        return true;
    bool ok = false;
    const int number = arguments.Value(option).toInt(&ok);
    if (!ok || (choices && !IsChoice(*choices, number))) {
        error = choices ? option + QStringLiteral(" takes one of ") + ChoiceValues(*choices)
                        : option + QStringLiteral(" takes a whole number");
        return false;
    }
    value = number;
    return true;
}

bool ReadIds(const CArguments& arguments, const QString& option,
             std::optional<QList<qint32>>& value, QString& error) {
    if (!arguments.Has(option))
        return true;
    QList<qint32> ids;
    if (!ReadIdList(arguments.Value(option), ids)) {
        error = option + QStringLiteral(" takes IDs separated by commas");
        return false;
    }
    value = ids;
    return true;
}

} // namespace

bool ReadIdList(const QString& text, QList<qint32>& ids) {
    ids.clear();
    for (const QString& part : text.split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        ids << part.trimmed().toInt(&ok);
        if (!ok)
            return false;
    }
    return true;
}

const QSet<QString>& FeedValueOptions() {
    static const QSet<QString> options = {"--url",       "--priority",      "--read-after",
                                          "--max-items", "--extended-data", "--audio",
                                          "--views"};
    return options;
}

const QSet<QString>& ViewValueOptions() {
    static const QSet<QString> options = {"--label",     "--read-after", "--hide-after",
                                          "--max-items", "--hide-read",  "--skip-read",
                                          "--sort",      "--keywords",   "--feeds"};
    return options;
}

bool ReadFeedOptions(const CArguments& arguments, FeedEdit& edit, QString& error) {
    if (arguments.Has("--url"))
        edit.url = arguments.Value("--url");
    return ReadNumber(arguments, "--priority", edit.priority, error) &&
           ReadNumber(arguments, "--read-after", edit.readAfter, error, &MarkReadAfterChoices()) &&
           ReadNumber(arguments, "--max-items", edit.maxItems, error, &FeedMaxItemsChoices()) &&
           ReadSwitch(arguments, "--extended-data", edit.extendedData, error) &&
           ReadSwitch(arguments, "--audio", edit.audio, error) &&
           ReadIds(arguments, "--views", edit.viewIDs, error);
}

bool ReadViewOptions(const CArguments& arguments, ViewEdit& edit, QString& error) {
    if (arguments.Has("--label"))
        edit.label = arguments.Value("--label");
    if (arguments.Has("--keywords"))
        edit.keywords = arguments.Value("--keywords");
    if (arguments.Has("--sort")) {
        static const QStringList sorts = {"priority", "feed-date", "item-date"};
        const qsizetype sort = sorts.indexOf(arguments.Value("--sort"));
        if (sort < 0) {
            error = QStringLiteral("--sort takes one of priority, feed-date, item-date");
            return false;
        }
        edit.sortBy = int(sort);
    }
    return ReadNumber(arguments, "--read-after", edit.readAfter, error, &MarkReadAfterChoices()) &&
           ReadNumber(arguments, "--hide-after", edit.hideAfter, error, &HideAfterChoices()) &&
           ReadNumber(arguments, "--max-items", edit.maxItems, error, &ViewMaxItemsChoices()) &&
           ReadSwitch(arguments, "--hide-read", edit.hideRead, error) &&
           ReadSwitch(arguments, "--skip-read", edit.skipRead, error) &&
           ReadIds(arguments, "--feeds", edit.feedIDs, error);
}
