// Tests of the reading pane's image loader on a loopback server.

#include "net/ImageLoader.h"

#include "config/RegistrySettings.h"
#include "support/LoopbackServer.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QThreadPool>
#include <functional>
#include <gtest/gtest.h>

namespace {

class ImageLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_.SetBody("/picture.png", Picture);
        QObject::connect(&loader_, &CImageLoader::fetched,
                         [this](const QUrl& url, const QByteArray& bytes) {
                             delivered_.append({url, bytes});
                         });
    }

    void ShowImages(bool on) {
        CRegistrySettings::ForQuillpost().Write(Key::ShowImages, on ? 1 : 0);
    }

    // Delivers the loader's answers until `done` holds or the time is up.
    static bool Await(const std::function<bool()>& done, int ms = 5000) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(5);
        }
        return done();
    }
    // Lets every fetch started so far end, then delivers what they sent.
    static void Settle() {
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
    }

    inline static const QByteArray Picture = QByteArray("\x89PNG\r\n\x1a\n", 8) + "pixels";

    int argc_ = 1;
    char name_[8] = "tests";
    char* argv_[1] = {name_};
    QCoreApplication application_{argc_, argv_};
    TestEnvironment env_;
    LoopbackServer server_;
    CImageLoader loader_;
    QList<std::pair<QUrl, QByteArray>> delivered_;
};

TEST_F(ImageLoaderTest, FetchesEachWebImageOncePerPage) {
    ShowImages(true);
    const QUrl url(server_.Url("/picture.png"));
    loader_.Fetch(url);
    loader_.Fetch(url);
    ASSERT_TRUE(Await([this] { return !delivered_.isEmpty(); }));
    Settle();
    EXPECT_EQ(delivered_, (QList<std::pair<QUrl, QByteArray>>{{url, Picture}}));
    EXPECT_EQ(server_.Hits("/picture.png"), 1);

    // A new page asks again.
    loader_.NewPage();
    loader_.Fetch(url);
    ASSERT_TRUE(Await([this] { return delivered_.size() == 2; }));
    EXPECT_EQ(server_.Hits("/picture.png"), 2);
}

TEST_F(ImageLoaderTest, NothingIsFetchedWhileImagesAreOffOrForOtherSchemes) {
    const QString local = env_.WriteFile("local.png", Picture);
    const QUrl web(server_.Url("/picture.png"));
    EXPECT_FALSE(CImageLoader::MayFetch(web)); // off as shipped
    loader_.Fetch(web);

    ShowImages(true);
    for (const QUrl& refused : {QUrl::fromLocalFile(local), QUrl("data:image/png;base64,AAAA"),
                                QUrl("ftp://127.0.0.1/picture.png")}) {
        EXPECT_FALSE(CImageLoader::MayFetch(refused)) << refused.toString().toStdString();
        loader_.Fetch(refused);
    }
    Settle();
    EXPECT_EQ(server_.Hits("/picture.png"), 0);
    EXPECT_TRUE(delivered_.isEmpty());
}

// What comes for a page no longer shown, or fails, is not delivered; a failure is not asked
// for again on the same page, which is laid out anew whenever an image arrives.
TEST_F(ImageLoaderTest, LateFailedAndOversizedImagesAreNotDelivered) {
    ShowImages(true);
    server_.Set("/slow.png", LoopbackServer::Slow(Picture, 4, 50));
    server_.SetBody("/missing.png", "gone", 404);
    server_.SetBody("/huge.png", QByteArray(CImageLoader::SizeCap + 1, 'x'));
    loader_.Fetch(QUrl(server_.Url("/slow.png")));
    loader_.NewPage();
    for (const char* path : {"/missing.png", "/huge.png"}) {
        loader_.Fetch(QUrl(server_.Url(path)));
        loader_.Fetch(QUrl(server_.Url(path)));
    }
    Settle();
    EXPECT_EQ(server_.Hits("/slow.png"), 1);
    EXPECT_EQ(server_.Hits("/missing.png"), 1);
    EXPECT_EQ(server_.Hits("/huge.png"), 1);
    EXPECT_TRUE(delivered_.isEmpty());
}

TEST_F(ImageLoaderTest, AFetchOutlivingItsLoaderIsDropped) {
    ShowImages(true);
    server_.Set("/slow.png", LoopbackServer::Slow(Picture, 4, 50));
    bool delivered = false;
    {
        CImageLoader loader;
        QObject::connect(&loader, &CImageLoader::fetched, [&delivered] { delivered = true; });
        loader.Fetch(QUrl(server_.Url("/slow.png")));
    }
    Settle();
    EXPECT_EQ(server_.Hits("/slow.png"), 1);
    EXPECT_FALSE(delivered);
}

} // namespace
