// Adding feeds and subscriptions, as the feed wizard does.
#include "app/FeedWizard.h"
#include "cli/CliApplication.h"
#include "cli/PropertyOptions.h"
#include "config/AppSettings.h"
#include "net/DownloadManager.h"
#include "text/FileDigest.h"

#include <QDir>
#include <QFile>

namespace {

// A list read from standard input is kept in the install folder under its digest, so that
// "resubscribe" reads it again and the same list given twice is known as the same
// subscription. Empty when it could not be kept.
QString KeepStdinList() {
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return {};
    const QByteArray list = input.readAll();
    const QString folder = TheAppSettings().installFolder + QStringLiteral("/subscriptions");
    QFile kept(folder + QStringLiteral("/stdin.tmp"));
    if (!QDir().mkpath(folder) || !kept.open(QIODevice::WriteOnly) || kept.write(list) < 0)
        return {};
    kept.close();
    const QString path = folder + u'/' + Md5FileDigest(kept.fileName()) + QStringLiteral(".list");
    QFile::remove(path);
    return kept.rename(path) ? path : QString();
}

} // namespace

int CCliApplication::Add(const CArguments& arguments) {
    const FeedEdit edit = ReadFeedOptions(arguments);
    CFeedRecord properties;
    properties.Priority = qint16(edit.priority.value_or(properties.Priority));
    properties.ReadAfter = qint16(edit.readAfter.value_or(properties.ReadAfter));
    properties.MaxItems = qint16(edit.maxItems.value_or(properties.MaxItems));
    properties.ExtendedData = edit.extendedData.value_or(false);
    properties.ExtendedAudio = edit.audio.value_or(false);
    QList<qint32> views;
    for (const QString& view : arguments.All("--view")) {
        const qint32 id = view.toInt();
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

int CCliApplication::Subscribe(const CArguments& arguments) {
    QString address = arguments.positional[0];
    if (address == u"-" && (address = KeepStdinList()).isEmpty())
        return Fail(QStringLiteral("standard input could not be kept in the install folder"));
    CDownloadManager downloads(*db_);
    CFeedWizard wizard(*db_, downloads);
    const auto result = wizard.Subscribe(address, arguments.Value("--title"));
    if (!result.ok())
        return Fail(QString(result.error).replace(QStringLiteral("\n\n"), QStringLiteral(" ")));
    Print(QString::number(result.id));
    return Success;
}

int CCliApplication::Resubscribe(const CArguments& arguments) {
    const qint32 id = arguments.positional[0].toInt();
    if (!db_->GetSubscription(id))
        return Fail(QStringLiteral("there is no subscription %1").arg(id));
    CDownloadManager downloads(*db_);
    CFeedWizard wizard(*db_, downloads);
    const auto result = wizard.Resubscribe(id);
    return result.ok() ? Success : Fail(result.error);
}

int CCliApplication::Unsubscribe(const CArguments& arguments) {
    const qint32 id = arguments.positional[0].toInt();
    if (!db_->GetSubscription(id))
        return Fail(QStringLiteral("there is no subscription %1").arg(id));
    return Finish(DeleteSubscriptionCommand(*db_, id),
                  QStringLiteral("the subscription was not deleted"));
}
