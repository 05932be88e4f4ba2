// Adding feeds and subscriptions, as the feed wizard does.
#include "app/FeedWizard.h"
#include "cli/CliApplication.h"
#include "net/DownloadManager.h"
#include "store/Prompt.h"

namespace {

// "on"/"off" choices; anything else is a usage error.
bool ReadSwitch(const CArguments& arguments, const QString& option, bool& value, QString& error) {
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

bool ReadNumber(const CArguments& arguments, const QString& option, qint16& value, QString& error) {
    if (!arguments.Has(option))
        return true;
    bool ok = false;
    const int number = arguments.Value(option).toInt(&ok);
    if (!ok) {
        error = option + QStringLiteral(" takes a number");
        return false;
    }
    value = qint16(qBound(-32768, number, 32767));
    return true;
}

} // namespace

int CCliApplication::Add(const QStringList& words) {
    const CArguments arguments = CArguments::Parse(
        words,
        {"--view", "--priority", "--read-after", "--max-items", "--extended-data", "--audio"},
        {"--later"});
    if (!arguments.error.isEmpty())
        return Usage(arguments.error);
    if (arguments.positional.size() != 1)
        return Usage(QStringLiteral("add takes one URL"));
    CFeedRecord properties;
    QString error;
    if (!ReadNumber(arguments, "--priority", properties.Priority, error) ||
        !ReadNumber(arguments, "--read-after", properties.ReadAfter, error) ||
        !ReadNumber(arguments, "--max-items", properties.MaxItems, error) ||
        !ReadSwitch(arguments, "--extended-data", properties.ExtendedData, error) ||
        !ReadSwitch(arguments, "--audio", properties.ExtendedAudio, error))
        return Usage(error);
    QList<qint32> views;
    for (const QString& view : arguments.All("--view")) {
        qint32 id;
        if (!ParseId(view, id))
            return Usage(QStringLiteral("--view takes a View ID"));
        if (!db_->GetView(id))
            return Fail(QStringLiteral("there is no View %1").arg(id));
        views << id;
    }
    CDownloadManager downloads(*db_);
    CFeedWizard wizard(*db_, downloads);
    const auto result =
        wizard.AddFeed(arguments.positional[0], arguments.Has("--later"), properties, views);
    if (!result.ok())
        return Fail(QString(result.error).replace(QStringLiteral("\n\n"), QStringLiteral(" ")));
    Print(QString::number(result.id));
    return Success;
}

int CCliApplication::Subscribe(const QStringList& words) {
    const CArguments arguments = CArguments::Parse(words, {"--title"}, {});
    if (!arguments.error.isEmpty())
        return Usage(arguments.error);
    if (arguments.positional.size() != 1)
        return Usage(QStringLiteral("subscribe takes one URL or file"));
    CDownloadManager downloads(*db_);
    CFeedWizard wizard(*db_, downloads);
    const auto result = wizard.Subscribe(arguments.positional[0], arguments.Value("--title"));
    if (!result.ok())
        return Fail(QString(result.error).replace(QStringLiteral("\n\n"), QStringLiteral(" ")));
    Print(QString::number(result.id));
    return Success;
}

int CCliApplication::Resubscribe(const QStringList& words) {
    qint32 id;
    if (words.size() != 1 || !ParseId(words[0], id))
        return Usage(QStringLiteral("resubscribe takes a subscription ID"));
    if (!db_->GetSubscription(id))
        return Fail(QStringLiteral("there is no subscription %1").arg(id));
    CDownloadManager downloads(*db_);
    CFeedWizard wizard(*db_, downloads);
    const auto result = wizard.Resubscribe(id);
    return result.ok() ? Success : Fail(result.error);
}

int CCliApplication::Unsubscribe(const QStringList& words) {
    qint32 id;
    if (words.size() != 1 || !ParseId(words[0], id))
        return Usage(QStringLiteral("unsubscribe takes a subscription ID"));
    if (!db_->GetSubscription(id))
        return Fail(QStringLiteral("there is no subscription %1").arg(id));
    if (!CurrentPrompt().AskYesNo(
            QStringLiteral("Are you sure you want to delete the selected Subscription?"),
            QStringLiteral("Confirm")))
        return Failed;
    return db_->DeleteSubscription(id) ? Success
                                       : Fail(QStringLiteral("the subscription was not deleted"));
}
