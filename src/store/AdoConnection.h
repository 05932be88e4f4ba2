// A connection to one database file, and its transactions.

#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <initializer_list>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;
struct MoveColumn;

// A connection to one database file. A statement run outside a transaction commits by itself;
// work that must land whole runs in a ScopedTransaction.
class CAdoConnection {
public:
    CAdoConnection() = default;
    CAdoConnection(const CAdoConnection&) = delete;
    CAdoConnection& operator=(const CAdoConnection&) = delete;
    ~CAdoConnection();

    // 0 when the database opened, -13 when not. An empty path reaches the engine without a
    // database, for CREATE DATABASE.
    int Open(const QString& path);
    // Runs a statement that returns no rows; false when the engine refuses it.
    bool Execute(const QString& sql);
    // Runs statements in order; false at the first the engine refuses.
    bool ExecuteAll(const QStringList& statements);
    // Runs statements in order in one transaction: all of them or, when one is refused, none.
    bool ExecuteAllOrNone(const QStringList& statements);
    void Close();

    // A transaction: the statements run in it are kept together or not at all.
    bool Begin();
    bool Commit();
    void Rollback();

    sqlite3* Handle() const { return db_; }

    // The engine's online backup, page by page in one read of the source: readers of either
    // database go on meanwhile and see it before or after, never half-way. CopyTo writes a new
    // file of its own (no journal beside it) and puts it in place only when it is whole;
    // CopyFrom replaces this database's content with the other's.
    bool CopyTo(const QString& path);
    bool CopyFrom(const CAdoConnection& source);

    // Typical row counts per index key, for the engine's query planner, which otherwise takes
    // every equality as selective and joins a View's many memberships first.
    struct IndexStatistic {
        const char* table;
        const char* index;
        const char* rowsAndRowsPerKey;
    };
    bool SeedIndexStatistics(std::initializer_list<IndexStatistic> statistics);

    // A compiled statement with the statement's literals bound, and each '?' outside them bound
    // to the next of `values`, kept for the next statement of the same shape; null when the
    // engine refuses the text. Give it back with Release.
    sqlite3_stmt* Acquire(const QString& sql, const QList<QVariant>& values = {});
    void Release(sqlite3_stmt* statement);
    // Runs a statement whose every value is a '?' bound in order to `values`: its text goes to
    // the engine as written, without the search for literals, and is compiled once, for the
    // statements a merge runs for every item. False when the engine refuses it.
    bool ExecuteBound(const QString& sql, const QList<QVariant>& values);
    // The first column of every row such a query yields; none when the engine refuses it.
    std::optional<QList<qint64>> FirstColumnBound(const QString& sql,
                                                  const QList<QVariant>& values);

    // Whether the engine can be used at all.
    static bool IsEngineAvailable();

    // Called with the text of every statement compiled or taken from the cache, as the engine
    // runs it; for the benchmarks, which print the plans of what each list runs.
    static void SetStatementObserver(std::function<void(const QString&)> observer);

    // Creates an empty database file, as CREATE DATABASE does.
    static bool CreateDatabaseFile(const QString& path);

private:
    void FinalizeCachedStatements();
    // The statement of that text from the cache, else compiled and kept, with `values` bound.
    sqlite3_stmt* Compiled(const QString& text, const QList<QVariant>& values);
    // Acquire for the statements of ExecuteBound and FirstColumnBound.
    sqlite3_stmt* AcquireBound(const QString& sql, const QList<QVariant>& values);
    // Steps a compiled statement to its end and gives it back; false when there is none or the
    // engine refuses it.
    bool RunAndRelease(sqlite3_stmt* statement);
    bool ApplyMoveColumn(const MoveColumn& move);
    // Whether some table declares a column of that name (a "Table." before it aside) datetime.
    bool IsDateColumn(QStringView column);

    sqlite3* db_ = nullptr;
    struct CachedStatement {
        sqlite3_stmt* statement = nullptr;
        bool inUse = false;
    };
    QHash<QString, CachedStatement> statements_;
    QHash<sqlite3_stmt*, QString> cachedTexts_;
};

// A transaction that rolls back unless committed: work that fails half-way leaves no trace.
// Throws CAdoException when the transaction cannot begin.
class ScopedTransaction {
public:
    explicit ScopedTransaction(CAdoConnection& connection);
    ~ScopedTransaction();
    ScopedTransaction(const ScopedTransaction&) = delete;
    ScopedTransaction& operator=(const ScopedTransaction&) = delete;
    bool Commit() { return committed_ = connection_.Commit(); }

private:
    CAdoConnection& connection_;
    bool committed_ = false;
};
