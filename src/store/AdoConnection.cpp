// A SQLite connection to one database file: opening, statements and transactions.

#include "store/AdoConnection.h"

#include "store/AdoException.h"
#include "store/DiskFull.h"
#include "store/FoldedLike.h"
#include "store/SqlDialect.h"
#include "store/WordTrigramTokenizer.h"
#include "text/MarkupText.h"

#include <QFile>
#include <cstdio>
#include <sqlite3.h>

namespace {

// WAL lets readers of other processes go on while one writes; NORMAL syncs at checkpoints
// rather than at every commit. The search index's triggers need its tokenizer on every
// connection that writes items, and Like folds the case of every letter, not of ASCII ones only.
// A new file frees the pages that deletes leave on request (GiveBackFreeSpace), which it learns
// only before its first page is written; an existing file keeps its setting until a rebuild.
bool ConfigureConnection(sqlite3* db) {
    sqlite3_busy_timeout(db, 10000);
    return CWordTrigramTokenizer::Register(db) && CFoldedLike::Register(db) &&
           sqlite3_exec(db,
                        "PRAGMA auto_vacuum=INCREMENTAL; PRAGMA journal_mode=WAL; "
                        "PRAGMA synchronous=NORMAL; SELECT count(*) FROM sqlite_master;",
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

// A statement cache this large holds every shape a merge and the lists use.
constexpr qsizetype StatementCacheLimit = 256;

// Binds a value to a statement's parameter by its type.
bool BindValue(sqlite3_stmt* statement, int index, const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return sqlite3_bind_null(statement, index) == SQLITE_OK;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::LongLong:
    case QMetaType::Bool:
        return sqlite3_bind_int64(statement, index, value.toLongLong()) == SQLITE_OK;
    case QMetaType::Double:
        return sqlite3_bind_double(statement, index, value.toDouble()) == SQLITE_OK;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return sqlite3_bind_blob(statement, index, bytes.constData(), int(bytes.size()),
                                 SQLITE_TRANSIENT) == SQLITE_OK;
    }
    default: {
        // Every text that enters the database passes here, whatever format or dialog it came
        // from: none keeps a control that could reach a terminal or make an exported file no
        // longer XML.
        const QString text = ReplaceForbiddenControls(value.toString());
        return sqlite3_bind_text16(statement, index, text.utf16(), int(text.size() * 2),
                                   SQLITE_TRANSIENT) == SQLITE_OK;
    }
    }
}

std::function<void(const QString&)>& StatementObserver() {
    static std::function<void(const QString&)> observer;
    return observer;
}

} // namespace

void CAdoConnection::SetStatementObserver(std::function<void(const QString&)> observer) {
    StatementObserver() = std::move(observer);
}

sqlite3_stmt* CAdoConnection::Acquire(const QString& sql, const QList<QVariant>& values) {
    if (!db_)
        return nullptr;
    const ParameterizedSql shaped =
        Parameterize(sql, values, [this](QStringView column) { return IsDateColumn(column); });
    return Compiled(shaped.text, shaped.values);
}

sqlite3_stmt* CAdoConnection::AcquireBound(const QString& sql, const QList<QVariant>& values) {
    return db_ ? Compiled(sql, values) : nullptr;
}

sqlite3_stmt* CAdoConnection::Compiled(const QString& text, const QList<QVariant>& values) {
    if (StatementObserver())
        StatementObserver()(text);
    sqlite3_stmt* statement = nullptr;
    auto cached = statements_.find(text);
    if (cached != statements_.end() && !cached->inUse) {
        statement = cached->statement;
        cached->inUse = true;
    } else {
        if (sqlite3_prepare16_v2(db_, text.utf16(), int(text.size() * 2), &statement, nullptr) !=
            SQLITE_OK) {
            sqlite3_finalize(statement);
            return nullptr;
        }
        if (cached == statements_.end()) {
            if (statements_.size() >= StatementCacheLimit)
                FinalizeCachedStatements();
            statements_.insert(text, {statement, true});
            cachedTexts_.insert(statement, text);
        }
    }
    for (qsizetype i = 0; i < values.size(); ++i)
        if (!BindValue(statement, int(i + 1), values[i])) {
            Release(statement);
            return nullptr;
        }
    return statement;
}

bool CAdoConnection::ExecuteBound(const QString& sql, const QList<QVariant>& values) {
    return RunAndRelease(AcquireBound(sql, values));
}

bool CAdoConnection::RunAndRelease(sqlite3_stmt* statement) {
    if (!statement)
        return false;
    int result;
    while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
    }
    Release(statement);
    NoteIfDiskFull(result);
    return result == SQLITE_DONE;
}

std::optional<QList<qint64>> CAdoConnection::FirstColumnBound(const QString& sql,
                                                              const QList<QVariant>& values) {
    sqlite3_stmt* statement = AcquireBound(sql, values);
    if (!statement)
        return std::nullopt;
    QList<qint64> column;
    int result;
    while ((result = sqlite3_step(statement)) == SQLITE_ROW)
        column << sqlite3_column_int64(statement, 0);
    Release(statement);
    if (result != SQLITE_DONE)
        return std::nullopt;
    return column;
}

void CAdoConnection::Release(sqlite3_stmt* statement) {
    if (!statement)
        return;
    const auto text = cachedTexts_.constFind(statement);
    if (text == cachedTexts_.constEnd()) {
        sqlite3_finalize(statement);
        return;
    }
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    statements_[*text].inUse = false;
}

// Statements in use stay until they are given back; those are then finalized on release.
void CAdoConnection::FinalizeCachedStatements() {
    for (auto it = statements_.begin(); it != statements_.end();) {
        if (!it->inUse)
            sqlite3_finalize(it->statement);
        cachedTexts_.remove(it->statement);
        it = statements_.erase(it);
    }
}

CAdoConnection::~CAdoConnection() {
    Close();
}

namespace {

bool CopyDatabase(sqlite3* from, sqlite3* to) {
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup)
        return false;
    int step;
    while ((step = sqlite3_backup_step(backup, -1)) == SQLITE_BUSY || step == SQLITE_LOCKED)
        sqlite3_sleep(20);
    return sqlite3_backup_finish(backup) == SQLITE_OK && step == SQLITE_DONE;
}

} // namespace

bool CAdoConnection::CopyTo(const QString& path) {
    const QByteArray part = QFile::encodeName(path + QStringLiteral(".part"));
    std::remove(part.constData());
    sqlite3* copy = nullptr;
    bool copied =
        sqlite3_open_v2(part.constData(), &copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) == SQLITE_OK &&
        CopyDatabase(db_, copy) &&
        sqlite3_exec(copy, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr) == SQLITE_OK;
    copied = sqlite3_close(copy) == SQLITE_OK && copied &&
             std::rename(part.constData(), QFile::encodeName(path).constData()) == 0;
    if (!copied)
        std::remove(part.constData());
    return copied;
}

bool CAdoConnection::CopyFrom(const CAdoConnection& source) {
    FinalizeCachedStatements();
    return source.db_ && CopyDatabase(source.db_, db_);
}

int CAdoConnection::Open(const QString& path) {
    Close();
    if (path.isEmpty())
        return 0;
    db_ = OpenFile(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX);
    return db_ ? 0 : -13;
}

bool CAdoConnection::IsDateColumn(QStringView column) {
    static const char* const query =
        "SELECT 1 FROM sqlite_master AS t, pragma_table_info(t.name) AS c WHERE t.type = 'table' "
        "AND c.name = ?1 COLLATE NOCASE AND c.type LIKE '%date%'";
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, query, -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return false;
    }
    const QStringView name = column.mid(column.lastIndexOf(u'.') + 1);
    sqlite3_bind_text16(statement, 1, name.utf16(), int(name.size() * 2), SQLITE_TRANSIENT);
    const bool declared = sqlite3_step(statement) == SQLITE_ROW;
    sqlite3_finalize(statement);
    return declared;
}

// The table is rebuilt in one transaction, so that a failure leaves it as it was.
bool CAdoConnection::ApplyMoveColumn(const MoveColumn& move) {
    const QStringList steps = MoveColumnStatements(db_, move);
    return !steps.isEmpty() && ExecuteAllOrNone(steps);
}

bool CAdoConnection::Execute(const QString& sql) {
    if (!db_)
        return false;
    if (const auto move = ParseMoveColumn(sql))
        return ApplyMoveColumn(*move);
    return RunAndRelease(Acquire(sql));
}

bool CAdoConnection::ExecuteAll(const QStringList& statements) {
    for (const QString& statement : statements)
        if (!Execute(statement))
            return false;
    return true;
}

bool CAdoConnection::ExecuteAllOrNone(const QStringList& statements) {
    try {
        ScopedTransaction transaction(*this);
        return ExecuteAll(statements) && transaction.Commit();
    } catch (const CAdoException&) {
        return false;
    }
}

bool CAdoConnection::Begin() {
    // IMMEDIATE takes the write lock at once, so that the transaction cannot fail half-way for
    // want of it.
    return Execute(QStringLiteral("BEGIN IMMEDIATE"));
}

bool CAdoConnection::Commit() {
    return Execute(QStringLiteral("COMMIT"));
}

void CAdoConnection::Rollback() {
    Execute(QStringLiteral("ROLLBACK"));
}

ScopedTransaction::ScopedTransaction(CAdoConnection& connection) : connection_(connection) {
    if (!connection_.Begin())
        THROW_ADO(CAdoException::UpdateRefused);
}

ScopedTransaction::~ScopedTransaction() {
    if (!committed_)
        connection_.Rollback();
}

void CAdoConnection::Close() {
    FinalizeCachedStatements();
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
    // Analysing the schema table alone makes the statistics table without reading any data.
    if (!Execute(QStringLiteral("ANALYZE sqlite_master")) ||
        !Execute(QStringLiteral("DELETE FROM sqlite_stat1")))
        return false;
    for (const IndexStatistic& statistic : statistics)
        if (!Execute(QStringLiteral("INSERT INTO sqlite_stat1(tbl,idx,stat) VALUES('%1','%2','%3')")
                         .arg(QLatin1String(statistic.table), QLatin1String(statistic.index),
                              QLatin1String(statistic.rowsAndRowsPerKey))))
            return false;
    return true;
}
