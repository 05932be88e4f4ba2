// The store's statements turned into what SQLite runs.

#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
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

// The statements that rebuild the table with the column moved, keeping every row in order and
// the indexes; they belong in one transaction. None when either column is missing.
QStringList MoveColumnStatements(sqlite3* db, const MoveColumn& move);

// "Select <columns> From <table> <rest>": the parts of a one-table query.
struct OneTableSelect {
    QString columns;
    QString table;
    QString rest;
};
std::optional<OneTableSelect> ParseOneTableSelect(const QString& sql);

// A data statement with its literals taken out as values: the same statement with other values
// then has the same text, so that it is compiled once, and no value, whatever characters it holds,
// is ever read as part of the statement. Each '?' outside the literals takes the next of `given`.
// A date literal 'MM/DD/YYYY HH:MM' that is compared with, or inserted into, a column that
// `isDateColumn` names takes the stored form 'YYYY-MM-DD HH:MM:00', so that datetime columns
// compare and sort chronologically whoever wrote them; other texts stay as written, however
// date-like. Statements other than Select, Insert, Update and Delete are left as they are.
struct ParameterizedSql {
    QString text;
    QList<QVariant> values;
};
ParameterizedSql Parameterize(const QString& sql, const QList<QVariant>& given,
                              const std::function<bool(QStringView column)>& isDateColumn);
