// Tests of record numbers.

#include "text/RecordId.h"

#include <QDateTime>
#include <gtest/gtest.h>
#include <set>
#include <thread>
#include <vector>

TEST(RecordId, CountsSecondsSince2001) {
    const QDateTime epoch(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    const qint64 expected = epoch.secsTo(QDateTime::currentDateTimeUtc());
    EXPECT_NEAR(SecondsSince2001(), expected, 2);
}

TEST(RecordId, NumbersFromManyThreadsAreAllDifferent) {
    constexpr int threads = 4, perThread = 2000;
    std::vector<std::vector<std::int32_t>> taken(threads);
    std::vector<std::thread> workers;
    for (auto& ids : taken)
        workers.emplace_back([&ids] {
            for (int i = 0; i < perThread; ++i)
                ids.push_back(NewRecordID());
        });
    for (auto& worker : workers)
        worker.join();
    std::set<std::int32_t> distinct;
    for (const auto& ids : taken)
        distinct.insert(ids.begin(), ids.end());
    EXPECT_EQ(distinct.size(), std::size_t(threads * perThread));
    EXPECT_GE(*distinct.begin(), SecondsSince2001() - 5);
}

TEST(RecordId, NeverAtOrBelowANumberDeclaredUsed) {
    const std::int32_t used = SecondsSince2001() + 100000;
    RaiseRecordIdFloor(used);
    const std::int32_t first = NewRecordID();
    EXPECT_EQ(first, used + 1);
    EXPECT_EQ(NewRecordID(), first + 1);
    RaiseRecordIdFloor(used - 50); // a lower number changes nothing
    EXPECT_EQ(NewRecordID(), first + 2);
}
