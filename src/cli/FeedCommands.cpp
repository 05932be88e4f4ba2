// Adding feeds and subscriptions, as the feed wizard does.
#include "app/FeedWizard.h"
#include "cli/CliApplication.h"
#include "cli/PropertyOptions.h"
#include "net/DownloadManager.h"
#include "store/Prompt.h"

int CCliApplication::Add(const QStringList& words) {
    QSet<QString> valueOptions = FeedValueOptions();
    valueOptions.remove("--url");
    valueOptions.remove("--views");
    valueOptions.insert("--view");
    const CArguments arguments = CArguments::Parse(words, valueOptions, {"--later"});
    if (!arguments.error.isEmpty())
        return Usage(arguments.error);
    if (arguments.positional.size() != 1)
        return Usage(QStringLiteral("add takes one URL"));
    FeedEdit edit;
    QString error;
    if (!ReadFeedOptions(arguments, edit, error))
        return Usage(error);
    CFeedRecord properties;
    properties.Priority = qint16(edit.priority.value_or(properties.Priority));
    properties.ReadAfter = qint16(edit.readAfter.value_or(properties.ReadAfter));
    properties.MaxItems = qint16(edit.maxItems.value_or(properties.MaxItems));
    properties.ExtendedData = edit.extendedData.value_or(false);
    properties.ExtendedAudio = edit.audio.value_or(false);
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
