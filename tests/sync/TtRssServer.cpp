// Starting, feeding and asking the real Tiny Tiny RSS server that the sync tests run against.
#include "sync/TtRssServer.h"

#include "net/HttpDownloader.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpSocket>
#include <QThread>

std::unique_ptr<TtRssServer> TtRssServer::FromSetup(const QString& envFile) {
    QFile file(envFile);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    auto server = std::unique_ptr<TtRssServer>(new TtRssServer);
    for (const QByteArray& line : file.readAll().split('\n'))
        if (const qsizetype equals = line.indexOf('='); equals > 0)
            server->settings_.insert(QString::fromUtf8(line.left(equals)),
                                     QString::fromUtf8(line.mid(equals + 1)));
    return server;
}

TtRssServer::~TtRssServer() {
    Stop();
}

QString TtRssServer::Url() const {
    return QStringLiteral("http://127.0.0.1:%1/").arg(settings_.value("QUILLPOST_TTRSS_PORT"));
}

bool TtRssServer::Start() {
    web_ = std::make_unique<QProcess>();
    web_->setStandardOutputFile(QProcess::nullDevice());
    web_->setStandardErrorFile(QProcess::nullDevice());
    web_->start(QStringLiteral("php"),
                {QStringLiteral("-S"),
                 QStringLiteral("127.0.0.1:") + settings_.value("QUILLPOST_TTRSS_PORT"),
                 QStringLiteral("-t"), settings_.value("QUILLPOST_TTRSS_WWW")});
    if (!web_->waitForStarted(10000))
        return false;
    // Ready once it takes connections; ten seconds at most.
    for (int attempt = 0; attempt < 100; ++attempt) {
        QTcpSocket probe;
        probe.connectToHost(QStringLiteral("127.0.0.1"),
                            settings_.value("QUILLPOST_TTRSS_PORT").toUShort());
        if (probe.waitForConnected(100))
            return true;
        QThread::msleep(100);
    }
    return false;
}

void TtRssServer::Stop() {
    if (!web_)
        return;
    web_->kill();
    web_->waitForFinished(10000);
    web_.reset();
    session_.clear();
}

QString TtRssServer::WriteFeed(const QString& name, int count) {
    const QString host = settings_.value("QUILLPOST_TTRSS_FEED_HOST");
    QString items;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int i = 1; i <= count; ++i)
        items += QStringLiteral("<item><title>%1 %2</title><link>http://%3/%1/%2</link>"
                                "<guid>%1-%2</guid><description>Body of %1 %2</description>"
                                "<pubDate>%4</pubDate></item>\n")
                     .arg(name)
                     .arg(i)
                     .arg(host, now.addSecs(i - count).toString(Qt::RFC2822Date));
    QFile file(settings_.value("QUILLPOST_TTRSS_FEED_DIR") + u'/' + name + QStringLiteral(".xml"));
    file.open(QIODevice::WriteOnly);
    file.write(QStringLiteral("<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>%1"
                              "</title><link>http://%2/</link><description>Test feed"
                              "</description>\n%3</channel></rss>\n")
                   .arg(name, host, items)
                   .toUtf8());
    return QStringLiteral("http://%1/%2.xml").arg(host, name);
}

namespace {

bool RunQuietly(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForFinished(600000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace

bool TtRssServer::RunUpdater(int feed) {
    // The updater takes a feed from its own cache for 30 s after a download, and sends the
    // last Last-Modified; a test rewrites its feed within a second.
    QDir cache(QStringLiteral("/var/cache/tt-rss/feeds"));
    for (const QString& name : cache.entryList({QStringLiteral("*.xml")}, QDir::Files))
        cache.remove(name);
    // tt-rss refuses to update as root.
    QStringList arguments = {QStringLiteral("-u"),
                             QStringLiteral("www-data"),
                             QStringLiteral("--"),
                             QStringLiteral("php"),
                             settings_.value("QUILLPOST_TTRSS_WWW") + QStringLiteral("/update.php"),
                             QStringLiteral("--force-refetch"),
                             QStringLiteral("--quiet")};
    if (feed > 0)
        arguments << QStringLiteral("--update-feed") << QString::number(feed);
    else
        arguments << QStringLiteral("--force-update") << QStringLiteral("--feeds");
    return RunQuietly(QStringLiteral("runuser"), arguments);
}

bool TtRssServer::RunSql(const QString& sql) {
    return RunQuietly(QStringLiteral("runuser"),
                      {QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"),
                       QStringLiteral("psql"), QStringLiteral("-q"), QStringLiteral("-d"),
                       settings_.value("QUILLPOST_TTRSS_DATABASE"), QStringLiteral("-c"), sql});
}

std::optional<QJsonValue> TtRssServer::Api(const QString& op, QJsonObject parameters) {
    const auto post = [this](const QJsonObject& request) -> std::optional<QJsonValue> {
        QByteArray answer;
        if (!CHttpDownloader::Post(Url() + QStringLiteral("api/"), QJsonDocument(request).toJson(),
                                   "application/json", answer))
            return std::nullopt;
        const QJsonObject reply = QJsonDocument::fromJson(answer).object();
        if (reply.value(QLatin1String("status")).toInt(-1) != 0)
            return std::nullopt;
        return reply.value(QLatin1String("content"));
    };
    if (session_.isEmpty()) {
        const auto login = post({{QStringLiteral("op"), QStringLiteral("login")},
                                 {QStringLiteral("user"), User()},
                                 {QStringLiteral("password"), Password()}});
        if (!login)
            return std::nullopt;
        session_ = login->toObject().value(QLatin1String("session_id")).toString();
    }
    parameters.insert(QStringLiteral("op"), op);
    parameters.insert(QStringLiteral("sid"), session_);
    return post(parameters);
}

int TtRssServer::FeedNumber(const QString& url) {
    const auto feeds = Api(QStringLiteral("getFeeds"), {{QStringLiteral("cat_id"), -3}});
    for (const QJsonValue& feed : feeds.value_or(QJsonArray()).toArray())
        if (feed.toObject().value(QLatin1String("feed_url")).toString() == url)
            return feed.toObject().value(QLatin1String("id")).toInt();
    return 0;
}

QHash<int, std::pair<bool, bool>> TtRssServer::ItemStates(int feed) {
    QHash<int, std::pair<bool, bool>> states;
    const auto headlines = Api(QStringLiteral("getHeadlines"),
                               {{QStringLiteral("feed_id"), feed},
                                {QStringLiteral("view_mode"), QStringLiteral("all_articles")}});
    for (const QJsonValue& value : headlines.value_or(QJsonArray()).toArray()) {
        const QJsonObject headline = value.toObject();
        states.insert(headline.value(QLatin1String("id")).toInt(),
                      {headline.value(QLatin1String("unread")).toBool(),
                       headline.value(QLatin1String("marked")).toBool()});
    }
    return states;
}
