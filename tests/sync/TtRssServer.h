// The real Tiny Tiny RSS server of the sync tests and benchmark, as scripts/ttrss-server set it up.
#pragma once

#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QProcess>
#include <QString>
#include <memory>
#include <optional>

// The real Tiny Tiny RSS server that scripts/ttrss-server sets up: its web server run by the
// test (so that a test can stop it), its feeds written to the folder that a network namespace
// serves on port 80, its updater run as www-data, and its API asked directly to see what the
// server holds. Exists only when the setup script has run (it writes build/ttrss.env).
class TtRssServer {
public:
    static std::unique_ptr<TtRssServer> FromSetup(const QString& envFile);
    // Why a test skips where FromSetup finds no server.
    static constexpr const char* NotSetUp =
        "no Tiny Tiny RSS server is set up: scripts/ttrss-server start build/ttrss.env "
        "installs and prepares one (needs root and Debian's tt-rss packages)";
    ~TtRssServer();

    QString Url() const;
    static QString User() { return QStringLiteral("admin"); }
    static QString Password() { return QStringLiteral("password"); }

    bool Start();
    void Stop();
    // Writes an RSS file of `count` items ("<name> 1"...) dated now and returns its address.
    QString WriteFeed(const QString& name, int count);
    // The server downloads a feed (by its server number), or every feed, now.
    bool RunUpdater(int feed = 0);
    // Runs SQL on the server's database as its owner.
    bool RunSql(const QString& sql);

    // The content of an API call made with a session of its own; none on an error.
    std::optional<QJsonValue> Api(const QString& op, QJsonObject parameters = {});
    // The server's number of the feed at `url`, 0 when it has none.
    int FeedNumber(const QString& url);
    // Every item of a server feed: number -> {unread, marked}.
    QHash<int, std::pair<bool, bool>> ItemStates(int feed);

private:
    QHash<QString, QString> settings_;
    std::unique_ptr<QProcess> web_;
    QString session_;
};
