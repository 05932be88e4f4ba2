// A fresh database in a private folder, with helpers that write rows directly.

#pragma once

#include "store/RssDatabase.h"
#include "support/QtPrinters.h"
#include "support/ScriptedPrompt.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

// A fresh database in a private folder, opened, with helpers that write rows directly.
class StoreFixture : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = env_.Path("rss.qpdb");
        db_.SetAudioFolder(env_.Path("audio"));
        ASSERT_TRUE(db_.CreateDatabase(path_, false, false));
        ASSERT_EQ(db_.OpenDatabase(path_, true), 1);
    }

    // Runs statements on a connection of its own.
    void Sql(const QStringList& statements) {
        CAdoConnection connection;
        ASSERT_EQ(connection.Open(path_), 0);
        for (const QString& statement : statements)
            ASSERT_TRUE(connection.Execute(statement)) << statement.toStdString();
    }

    // Every row of a query as "a|b|c" lines.
    QStringList Rows(const QString& sql) {
        CAdoConnection connection;
        EXPECT_EQ(connection.Open(path_), 0);
        CAdoRecordset rows;
        EXPECT_TRUE(rows.Open(sql, connection, CAdoRecordset::Mode::Read)) << sql.toStdString();
        QStringList lines;
        for (; !rows.IsEOF(); rows.MoveNext()) {
            QStringList values;
            for (int i = 0; i < rows.GetFieldCount(); ++i)
                values << rows.Field(i).GetString();
            lines << values.join(u'|');
        }
        return lines;
    }

    int Count(const QString& table, const QString& where = QString()) {
        return Rows(QStringLiteral("Select count(*) From ") + table +
                    (where.isEmpty() ? QString() : QStringLiteral(" Where ") + where))
            .value(0)
            .toInt();
    }

    static QString Date(const QDateTime& utc) { return u'\'' + StoredDateText(utc) + u'\''; }

    void AddFeed(qint32 feedID, const QString& title, int priority = 1, int status = 2,
                 const QDateTime& lastFeedDate = NowGmt()) {
        Sql({QStringLiteral("Insert Into Feeds(FeedID,Title,Priority,Status,MaxItems,ReadAfter,"
                            "LastFeedDate,LastDownloadDate) Values(%1,'%2',%3,%4,50,5,%5,%5)")
                 .arg(feedID)
                 .arg(title)
                 .arg(priority)
                 .arg(status)
                 .arg(Date(lastFeedDate))});
    }

    void AddItem(qint32 feedID, qint32 itemID, const QDateTime& date, int status = 1,
                 const QString& title = QString()) {
        Sql({QStringLiteral("Insert Into FeedItems(FeedItemID,FeedID,Title,Status,ItemDate,"
                            "LinkUrl,LinkUrl2) Values(%1,%2,'%3',%4,%5,'http://x/%1','')")
                 .arg(itemID)
                 .arg(feedID)
                 .arg(title.isEmpty() ? QStringLiteral("Item %1").arg(itemID) : title)
                 .arg(status)
                 .arg(Date(date))});
    }

    void AddView(qint32 viewID, const QString& label, const QList<qint32>& feeds,
                 int numToShow = 30, int sortBy = 0, const QString& keywords = QString()) {
        CViewRecord view;
        view.ViewID = viewID;
        view.Label = label;
        view.NumToShow = numToShow;
        view.SortBy = qint16(sortBy);
        view.HideAfter = 0;
        view.Keywords = keywords;
        ASSERT_TRUE(db_.InsertView(view));
        if (!feeds.isEmpty()) {
            ASSERT_TRUE(db_.SetViewFeeds(viewID, feeds));
        }
    }

    TestEnvironment env_;
    ScriptedPrompt prompt_;
    CRssDatabase db_;
    QString path_;
};
