// Tests of the reload schedule and the audio downloads.

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
    EXPECT_EQ(schedule_.IsReloadDue(699, 1000000, false), Due::No);
    EXPECT_EQ(schedule_.IsReloadDue(700, 1000000, true), Due::Feeds);
    EXPECT_EQ(schedule_.IsReloadDue(701, 1000000, true), Due::No); // once per appearance
    EXPECT_EQ(schedule_.IsReloadDue(702, 1000000, false), Due::No);
    EXPECT_EQ(schedule_.IsReloadDue(703, 1000000, true), Due::Feeds);
}

// A timer evaluates the rule from a new process each minute, with the schedule read afresh.
TEST_F(ScheduleTest, IntervalMinuteIsKeptUntilItComes) {
    using Due = CReloadSchedule::Due;
    store_.Write(Key::ReloadFrequency, 15);
    schedule_.ComputeNextReload(600); // by the run that ended at 10:00
    CReloadSchedule timer(store_);
    timer.LoadRunSettings();
    EXPECT_EQ(store_.Read(Key::NextReload), 615);
    EXPECT_EQ(timer.IsReloadDue(615, 1000000, true), Due::Feeds);

    // Unset, it is computed from now; left from an interval switched off, it is cleared.
    store_.Write(Key::NextReload, -1);
    timer.LoadRunSettings();
    EXPECT_TRUE(CReloadSchedule::MinutesMatch(store_.Read(Key::NextReload),
                                              (CReloadSchedule::CurrentMinute() + 15) % 1440));
    store_.Write(Key::ReloadFrequency, 0);
    timer.LoadRunSettings();
    EXPECT_EQ(store_.Read(Key::NextReload), -1);
}

TEST_F(ScheduleTest, ComingOnlineIsSeenAcrossProcesses) {
    using Due = CReloadSchedule::Due;
    store_.Write(Key::ReloadOnAS, 1);
    auto timerRun = [this](int minute, bool online) {
        CReloadSchedule timer(store_);
        timer.LoadRunSettings();
        return timer.IsReloadDue(minute, 1000000, online);
    };
    EXPECT_EQ(timerRun(700, false), Due::No);
    EXPECT_EQ(timerRun(701, true), Due::Feeds);
    EXPECT_EQ(timerRun(702, true), Due::No);
}

// The kernel's tables, as /proc gives them: a default route on any interface but loopback.
TEST(ConnectivityTest, DefaultRoutesInTheKernelTables) {
    const QByteArray ipv4Header =
        "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\n";
    const QByteArray ipv4Default = "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n";
    const QByteArray ipv4Subnet = "eth0\t000200C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n";
    const QByteArray ipv6Default =
        "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
        "fd000000000000000000000000000001 00000400 00000002 00000000 00000003     eth0\n";
    const QByteArray ipv6Unreachable =
        "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
        "00000000000000000000000000000000 ffffffff 00000001 00000000 00200200       lo\n";
    EXPECT_TRUE(HasDefaultIPv4Route(ipv4Header + ipv4Subnet + ipv4Default));
    EXPECT_FALSE(HasDefaultIPv4Route(ipv4Header + ipv4Subnet));
    EXPECT_TRUE(HasDefaultIPv6Route(ipv6Unreachable + ipv6Default));
    EXPECT_FALSE(HasDefaultIPv6Route(ipv6Unreachable));

    TestEnvironment env;
    const QString ipv4 = env.WriteFile("route", ipv4Header + ipv4Subnet);
    const QString ipv6 = env.WriteFile("ipv6_route", ipv6Default);
    const QString missing = env.Path("missing");
    EXPECT_EQ(RoutingTablesSayOnline(ipv4, ipv6), true);
    EXPECT_EQ(RoutingTablesSayOnline(ipv4, missing), false);
    // Tables that cannot be read give no answer: the machine then counts as connected.
    EXPECT_EQ(RoutingTablesSayOnline(missing, missing), std::nullopt);
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
