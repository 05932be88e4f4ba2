#pragma once

#include <QString>
#include <QStringList>
#include <optional>

struct sqlite3;

// The statements the data store writes, turned into what SQLite runs. The store's dialect has
// three forms SQLite lacks: CREATE DATABASE 'path', ALTER TABLE t MOVE c BEFORE d, and date
// literals written month first.

// The path of "CREATE DATABASE 'path'".
std::optional<QString> CreateDatabasePath(const QString& sql);

struct MoveColumn {
    QString table;
    QString column;
    QString before;
};
std::optional<MoveColumn> ParseMoveColumn(const QString& sql);

// Rebuilds the table with the column moved, keeping every row in order and the indexes.
bool ApplyMoveColumn(sqlite3* db, const MoveColumn& move);

// "Select <columns> From <table> <rest>": the parts of a one-table query.
struct OneTableSelect {
    QString columns;
    QString table;
    QString rest;
};
std::optional<OneTableSelect> ParseOneTableSelect(const QString& sql);

// Date literals 'MM/DD/YYYY HH:MM' become the stored form 'YYYY-MM-DD HH:MM:00', so that
// datetime columns compare and sort chronologically whoever wrote them.
QString WithStoredDateLiterals(const QString& sql);
