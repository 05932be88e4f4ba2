// Runs the built quillpost-cli on private folders with a loopback feed.

#pragma once

#include "feeds/FeedData.h"
#include "support/LoopbackServer.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QTime>
#include <gtest/gtest.h>

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

inline QByteArray Feed(const QString& title, int items) {
    QByteArray xml = "<rss version=\"2.0\"><channel><title>" + title.toUtf8() + "</title>";
    for (int i = 0; i < items; ++i)
        xml += QStringLiteral("<item><title>%1 story %2</title><guid>%1-%2</guid><link>http://x/"
                              "%2</link><description>&lt;p&gt;Body &amp;amp; text %2&lt;/p&gt;"
                              "</description></item>")
                   .arg(title)
                   .arg(i)
                   .toUtf8();
    return xml + "</channel></rss>";
}

// Runs the built quillpost-cli against a private configuration, data and runtime folder, with
// a first use that imports a one-feed listing served by the loopback server.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_.SetBody("/news.xml", Feed("News", 3));
        const QString install = env_.Path("install");
        QDir().mkpath(install + "/scripts");
        env_.WriteFile("install/scripts/sourceList.txt",
                       "<quillpost version=\"1.0\"><source label=\"News\" url=\"" +
                           server_.Url("/news.xml").toUtf8() + "\" isActive=\"1\"/></quillpost>");
        ASSERT_EQ(Cli({"config", "set", "Settings\\InstallPath", install}).status, 0);
        ASSERT_EQ(Cli({"--yes", "init"}).status, 0);
    }

    // `input` is given on standard input.
    Outcome Cli(const QStringList& arguments, const QByteArray& input = {}) {
        QProcess process;
        process.start(QUILLPOST_CLI, arguments);
        process.write(input);
        process.closeWriteChannel();
        process.waitForFinished(60000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QJsonArray JsonList(const QStringList& arguments) {
        return QJsonDocument::fromJson(Cli(QStringList{"--json"} + arguments).out.toUtf8()).array();
    }

    QString FeedID(const QString& title) {
        for (const auto& feed : JsonList({"feeds"}))
            if (feed.toObject()["title"].toString() == title)
                return QString::number(feed.toObject()["id"].toInt());
        return {};
    }

    TestEnvironment env_;
    LoopbackServer server_;
};

inline QJsonObject JsonObject(const QString& text) {
    return QJsonDocument::fromJson(text.toUtf8()).object();
}
