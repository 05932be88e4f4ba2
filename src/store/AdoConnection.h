#pragma once

#include <QString>
#include <initializer_list>

struct sqlite3;

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

    sqlite3* Handle() const { return db_; }

    // Typical row counts per index key, for the engine's query planner, which otherwise takes
    // every equality as selective and joins a View's many memberships first.
    struct IndexStatistic {
        const char* table;
        const char* index;
        const char* rowsAndRowsPerKey;
    };
    bool SeedIndexStatistics(std::initializer_list<IndexStatistic> statistics);

    // Whether the engine can be used at all.
    static bool IsEngineAvailable();

    // Creates an empty database file, as CREATE DATABASE does.
    static bool CreateDatabaseFile(const QString& path);

private:
    sqlite3* db_ = nullptr;
};
