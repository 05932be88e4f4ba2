// Adding a feed by its address: the document is downloaded and parsed once, the address
// checked against the store.

#include "../store/StoreFixture.h"
#include "app/FeedWizard.h"
#include "config/AppSettings.h"
#include "net/DownloadManager.h"
#include "support/LoopbackServer.h"

#include <QCryptographicHash>

namespace {

QByteArray Rss(const QString& title, const QStringList& items) {
    QByteArray xml = "<rss version=\"2.0\"><channel><title>" + title.toUtf8() + "</title>";
    for (const QString& item : items)
        xml +=
            "<item><title>" + item.toUtf8() + "</title><guid>" + item.toUtf8() + "</guid></item>";
    return xml + "</channel></rss>";
}

class FeedAddTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        TheAppSettings().Load(CRegistrySettings::ForQuillpost());
    }

    QStringList StoredTitles(qint32 feedID) {
        return Rows(QStringLiteral("Select Title From FeedItems Where FeedID = %1 Order By Title")
                        .arg(feedID));
    }

    LoopbackServer server_;
    CDownloadManager downloads_{db_};
    CFeedWizard wizard_{db_, downloads_};
};

// What the wizard showed is what it adds: the document read when the address was checked is
// merged, even when the server has moved on meanwhile, and it is not fetched again.
TEST_F(FeedAddTest, TheDocumentReadForTheTitleIsTheOneMerged) {
    const QByteArray first = Rss("Harbour News", {"Ferry late", "Quay closed"});
    server_.SetBody("/news.xml", first);
    FetchedFeed fetched;
    ASSERT_TRUE(wizard_.FetchFeed(server_.Url("/news.xml"), false, fetched).ok());
    EXPECT_EQ(fetched.record.Title, "Harbour News");

    server_.SetBody("/news.xml", Rss("Harbour News", {"Something else"}));
    const CFeedWizard::Result added = wizard_.AddFetchedFeed(fetched, fetched.record, {});
    ASSERT_TRUE(added.ok()) << added.error.toStdString();
    EXPECT_EQ(server_.Hits("/news.xml"), 1);
    EXPECT_EQ(StoredTitles(added.id), (QStringList{"Ferry late", "Quay closed"}));

    // The digest of the bytes parsed is kept, so that the first reload of the same document
    // writes nothing.
    const auto feed = db_.GetFeed(added.id);
    ASSERT_TRUE(feed.has_value());
    EXPECT_EQ(feed->Title, "Harbour News");
    EXPECT_EQ(
        feed->LastDigestKey,
        QString::fromLatin1(QCryptographicHash::hash(first, QCryptographicHash::Md5).toHex()));
}

TEST_F(FeedAddTest, AKnownAddressIsRefusedBeforeAndAtTheAdd) {
    server_.SetBody("/news.xml", Rss("Harbour News", {"Ferry late"}));
    const QString url = server_.Url("/news.xml");
    FetchedFeed fetched;
    ASSERT_TRUE(wizard_.FetchFeed(url, false, fetched).ok());
    ASSERT_TRUE(wizard_.AddFetchedFeed(fetched, fetched.record, {}).ok());

    const CFeedWizard::Result checked = wizard_.CheckNewFeed(url, CFeedWizard::DuplicateFeedUrl());
    EXPECT_EQ(checked.caption, "Duplicate Feed");
    EXPECT_EQ(checked.error, CFeedWizard::DuplicateFeedUrl());
    // A second add of a document fetched before the first one landed is refused too.
    const CFeedWizard::Result again = wizard_.AddFetchedFeed(fetched, fetched.record, {});
    EXPECT_EQ(again.caption, "Duplicate Feed");
    EXPECT_EQ(Count("Feeds"), 1);
    EXPECT_TRUE(wizard_.CheckNewFeed(url + "?other", CFeedWizard::DuplicateFeedUrl()).ok());
}

} // namespace
