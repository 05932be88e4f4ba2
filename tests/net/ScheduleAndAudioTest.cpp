#include "../store/StoreFixture.h"
#include "net/DownloadManager.h"
#include "store/AudioCache.h"

#include <QDir>
#include <QFile>

namespace {

class ScheduleTest : public ::testing::Test {
protected:
    TestEnvironment env_;
    CRegistrySettings store_ = CRegistrySettings::ForQuillpost();
    CReloadSchedule schedule_{store_};
};

TEST_F(ScheduleTest, NextReloadWrapsAtMidnight) {
    store_.Write(Key::ReloadFrequency, 60);
    schedule_.ComputeNextReload(23 * 60 + 30);
    EXPECT_EQ(store_.Read(Key::NextReload), 30);
    schedule_.ComputeNextReload(23 * 60);
    EXPECT_EQ(store_.Read(Key::NextReload), 1440);
    EXPECT_TRUE(CReloadSchedule::MinutesMatch(1440, 23 * 60 + 59));
    EXPECT_TRUE(CReloadSchedule::MinutesMatch(1440, 1));
    EXPECT_TRUE(CReloadSchedule::MinutesMatch(0, 1439));
    EXPECT_FALSE(CReloadSchedule::MinutesMatch(100, 102));
    store_.Write(Key::ReloadFrequency, 0);
    schedule_.ComputeNextReload(600);
    EXPECT_EQ(store_.Read(Key::NextReload), -1);
}

TEST_F(ScheduleTest, DueRules) {
    using Due = CReloadSchedule::Due;
    const qint32 now = 1000000;
    store_.Write(Key::ReloadTime1, 8 * 60);
    store_.Write(Key::ReloadTime2, -(9 * 60)); // switched off, time kept
    store_.Write(Key::ReloadTime3, 0);         // 00:00 cannot be on
    store_.Write(Key::AudioAutoTime, 12 * 60);
    schedule_.LoadRunSettings();
    EXPECT_EQ(schedule_.Times[1], -1);
    EXPECT_TRUE(schedule_.HasSchedule());
    EXPECT_EQ(schedule_.IsReloadDue(8 * 60 + 1, now, true), Due::Feeds);
    EXPECT_EQ(schedule_.IsReloadDue(9 * 60, now, true), Due::No);
    EXPECT_EQ(schedule_.IsReloadDue(0, now, true), Due::No);
    EXPECT_EQ(schedule_.IsReloadDue(12 * 60 - 1, now, true), Due::Audio);
    // Within 300 seconds of the last run's end, nothing is due.
    store_.Write(Key::BackgroundLastRefresh, QString::number(now - 299));
    EXPECT_EQ(schedule_.IsReloadDue(8 * 60, now, true), Due::No);
    store_.Write(Key::BackgroundLastRefresh, QString::number(now - 300));
    EXPECT_EQ(schedule_.IsReloadDue(8 * 60, now, true), Due::Feeds);
}

TEST_F(ScheduleTest, IntervalAndComingOnline) {
    using Due = CReloadSchedule::Due;
    store_.Write(Key::ReloadFrequency, 15);
    schedule_.LoadRunSettings();
    schedule_.ComputeNextReload(600);
    EXPECT_EQ(schedule_.IsReloadDue(615, 1000000, true), Due::Feeds);
    // A missed interval is recomputed from now only when asked to.
    EXPECT_EQ(schedule_.IsReloadDue(700, 1000000, true), Due::No);
    EXPECT_EQ(store_.Read(Key::NextReload), 615);
    store_.Write(Key::ResetNextReload, 1);
    EXPECT_EQ(schedule_.IsReloadDue(700, 1000000, true), Due::No);
    EXPECT_EQ(store_.Read(Key::NextReload), 715);
    EXPECT_EQ(store_.Read(Key::ResetNextReload), 0);

    store_.Write(Key::ReloadFrequency, 0);
    store_.Write(Key::ReloadOnAS, 1);
    schedule_.LoadRunSettings();
    schedule_.ActiveSyncPresent = false;
    EXPECT_EQ(schedule_.IsReloadDue(700, 1000000, true), Due::Feeds);
    EXPECT_EQ(schedule_.IsReloadDue(701, 1000000, true), Due::No); // once per appearance
    EXPECT_EQ(schedule_.IsReloadDue(702, 1000000, false), Due::No);
    EXPECT_EQ(schedule_.IsReloadDue(703, 1000000, true), Due::Feeds);
}

class AudioAdmissionTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        store_.Write(Key::AudioMaxItemSize, 2);
        store_.Write(Key::AudioMaxTotalSize, 10);
        manager_.FreeSpaceKb = [](const QString&) { return qint64(1024 * 1024); };
        AddFeed(1, "Show");
    }

    // A downloaded enclosure whose cache file holds `megabytes`.
    void Downloaded(qint32 item, double megabytes) {
        const QString link = QStringLiteral("http://a/%1.mp3").arg(item);
        Sql({QStringLiteral("Insert Into FeedItemAudioData(FeedItemID,FeedID,Link,Size,Status,"
                            "Keep) Values(%1,1,'%2',0,1,0)")
                 .arg(item)
                 .arg(link)});
        const QString path = AudioCacheFilePath(env_.Path("audio"), "Show", link);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.resize(qint64(megabytes * 1048576));
        files_ << path;
    }

    void Pending(qint32 item, qint64 bytes) {
        Sql({QStringLiteral("Insert Into FeedItemAudioData(FeedItemID,FeedID,Link,Size,Status,"
                            "Keep) Values(%1,1,'http://a/%1.mp3',%2,0,0)")
                 .arg(item)
                 .arg(bytes)});
    }

    QList<qint32> Queued() {
        QList<qint32> items;
        for (int i = 0; i < manager_.ItemCount(); ++i)
            items << manager_.Item(i).FeedItemID;
        return items;
    }

    CRegistrySettings store_ = CRegistrySettings::ForQuillpost();
    CDownloadManager manager_{db_, [] { return true; }};
    QStringList files_;
};

TEST_F(AudioAdmissionTest, SizesDecideWhatIsQueued) {
    Pending(10, 0);
    Pending(11, 500);
    Pending(12, 2 * 1048576);
    Pending(13, 2 * 1048576 + 524288);
    ASSERT_TRUE(manager_.BuildAudioList());
    EXPECT_EQ(Queued(), QList<qint32>{12});
    const CDownloadItem item = manager_.Item(0);
    EXPECT_TRUE(item.IsAudio);
    EXPECT_EQ(item.Title, "Audio Content - Show");
    EXPECT_EQ(item.FilePath, env_.Path("audio") + "/Show/12.mp3");
}

TEST_F(AudioAdmissionTest, OldestFilesMakeRoomOnce) {
    store_.Write(Key::AudioMaxItemSize, 5);
    Downloaded(1, 3);
    Downloaded(2, 3);
    Downloaded(3, 3);
    Pending(20, 3 * 1048576);
    Pending(21, 3 * 1048576);
    ASSERT_TRUE(manager_.BuildAudioList());
    // 9 MB + 3 MB is over 10: the oldest file goes, leaving 6. Admitted enclosures do not
    // count against the cache, so the second one fits without deleting more.
    EXPECT_EQ(Queued(), QList<qint32>({21, 20}));
    EXPECT_FALSE(QFile::exists(files_[0]));
    EXPECT_TRUE(QFile::exists(files_[1]));
    EXPECT_TRUE(QFile::exists(files_[2]));
    EXPECT_EQ(manager_.AudioScanPos, 1);
    EXPECT_NEAR(manager_.CacheMB, 6.0, 0.01);

    // When deleting every downloaded file does not make room, the enclosure is refused.
    store_.Write(Key::AudioMaxTotalSize, 4);
    Sql({"Delete From FeedItemAudioData Where FeedItemID In (20,21)"});
    Pending(22, 5 * 1048576);
    EXPECT_FALSE(manager_.BuildAudioList());
    EXPECT_TRUE(Queued().isEmpty());
}

} // namespace
