#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <initializer_list>

struct sqlite3;
struct sqlite3_stmt;

// Binds a value to a statement's parameter by its type.
bool BindValue(sqlite3_stmt* statement, int index, const QVariant& value);

// A connection to one database file. Every statement commits by itself.
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
    void Close();

    // A transaction: the statements run in it are kept together or not at all.
    bool Begin();
    bool Commit();
    void Rollback();

    sqlite3* Handle() const { return db_; }

    // Typical row counts per index key, for the engine's query planner, which otherwise takes
    // every equality as selective and joins a View's many memberships first.
    struct IndexStatistic {
        const char* table;
        const char* index;
        const char* rowsAndRowsPerKey;
    };
    bool SeedIndexStatistics(std::initializer_list<IndexStatistic> statistics);

    // A compiled statement with the statement's literals bound, kept for the next statement of
    // the same shape; null when the engine refuses the text. Give it back with Release.
    sqlite3_stmt* Acquire(const QString& sql);
    void Release(sqlite3_stmt* statement);

    // Whether the engine can be used at all.
    static bool IsEngineAvailable();

    // Creates an empty database file, as CREATE DATABASE does.
    static bool CreateDatabaseFile(const QString& path);

private:
    void FinalizeCachedStatements();

    sqlite3* db_ = nullptr;
    struct CachedStatement {
        sqlite3_stmt* statement = nullptr;
        bool inUse = false;
    };
    QHash<QString, CachedStatement> statements_;
    QHash<sqlite3_stmt*, QString> cachedTexts_;
};
