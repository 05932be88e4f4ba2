#include "store/AdoConnection.h"

#include "store/SqlDialect.h"

#include <QFile>
#include <sqlite3.h>

namespace {

// WAL lets readers of other processes go on while one writes; NORMAL syncs at checkpoints
// rather than on every statement, which each commit by themselves.
bool ConfigureConnection(sqlite3* db) {
    sqlite3_busy_timeout(db, 10000);
    return sqlite3_exec(db,
                        "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; "
                        "SELECT count(*) FROM sqlite_master;",
                        nullptr, nullptr, nullptr) == SQLITE_OK;
}

sqlite3* OpenFile(const QString& path, int flags) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr) != SQLITE_OK ||
        !ConfigureConnection(db)) {
        sqlite3_close_v2(db);
        return nullptr;
    }
    return db;
}

} // namespace

CAdoConnection::~CAdoConnection() {
    Close();
}

int CAdoConnection::Open(const QString& path) {
    Close();
    if (path.isEmpty())
        return 0;
    db_ = OpenFile(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX);
    return db_ ? 0 : -13;
}

bool CAdoConnection::Execute(const QString& sql) {
    if (!db_)
        return false;
    if (const auto move = ParseMoveColumn(sql))
        return ApplyMoveColumn(db_, *move);
    const QByteArray text = WithStoredDateLiterals(sql).toUtf8();
    return sqlite3_exec(db_, text.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

void CAdoConnection::Close() {
    if (db_)
        sqlite3_close_v2(db_);
    db_ = nullptr;
}

bool CAdoConnection::IsEngineAvailable() {
    sqlite3* db = nullptr;
    const bool available =
        sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
    sqlite3_close_v2(db);
    return available;
}

bool CAdoConnection::CreateDatabaseFile(const QString& path) {
    sqlite3* db = OpenFile(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    sqlite3_close_v2(db);
    return db != nullptr;
}

bool CAdoConnection::SeedIndexStatistics(std::initializer_list<IndexStatistic> statistics) {
    if (!Execute(QStringLiteral("ANALYZE")) || !Execute(QStringLiteral("DELETE FROM sqlite_stat1")))
        return false;
    for (const IndexStatistic& statistic : statistics)
        if (!Execute(QStringLiteral("INSERT INTO sqlite_stat1(tbl,idx,stat) VALUES('%1','%2','%3')")
                         .arg(QLatin1String(statistic.table), QLatin1String(statistic.index),
                              QLatin1String(statistic.rowsAndRowsPerKey))))
            return false;
    return true;
}
