#include "store/SqlDialect.h"

#include <QRegularExpression>
#include <sqlite3.h>

namespace {

bool Exec(sqlite3* db, const QString& sql) {
    return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

struct ColumnDefinition {
    QString name;
    QString type;
};

std::vector<ColumnDefinition> TableColumns(sqlite3* db, const QString& table) {
    std::vector<ColumnDefinition> columns;
    sqlite3_stmt* statement = nullptr;
    const QByteArray sql = "PRAGMA table_info(\"" + table.toUtf8() + "\")";
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) != SQLITE_OK)
        return columns;
    while (sqlite3_step(statement) == SQLITE_ROW)
        columns.push_back(
            {QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 1))),
             QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 2)))});
    sqlite3_finalize(statement);
    return columns;
}

QStringList IndexStatements(sqlite3* db, const QString& table) {
    QStringList statements;
    sqlite3_stmt* statement = nullptr;
    const char* sql = "SELECT sql FROM sqlite_master WHERE type = 'index' AND tbl_name = ?1 "
                      "AND sql IS NOT NULL ORDER BY rowid";
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return statements;
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(statement, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    while (sqlite3_step(statement) == SQLITE_ROW)
        statements << QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return statements;
}

qsizetype ColumnIndex(const std::vector<ColumnDefinition>& columns, const QString& name) {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return qsizetype(i);
    return -1;
}

} // namespace

std::optional<QString> CreateDatabasePath(const QString& sql) {
    static const QRegularExpression pattern(QStringLiteral(R"(^\s*CREATE\s+DATABASE\s+'(.*)'\s*$)"),
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::DotMatchesEverythingOption);
    const auto match = pattern.match(sql);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).replace(QStringLiteral("''"), QStringLiteral("'"));
}

std::optional<MoveColumn> ParseMoveColumn(const QString& sql) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*ALTER\s+TABLE\s+(\w+)\s+MOVE\s+(\w+)\s+BEFORE\s+(\w+)\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(sql);
    if (!match.hasMatch())
        return std::nullopt;
    return MoveColumn{match.captured(1), match.captured(2), match.captured(3)};
}

bool ApplyMoveColumn(sqlite3* db, const MoveColumn& move) {
    std::vector<ColumnDefinition> columns = TableColumns(db, move.table);
    const qsizetype from = ColumnIndex(columns, move.column);
    if (from < 0 || ColumnIndex(columns, move.before) < 0)
        return false;
    const ColumnDefinition moved = columns[from];
    columns.erase(columns.begin() + from);
    columns.insert(columns.begin() + ColumnIndex(columns, move.before), moved);

    QStringList definitions, names;
    for (const auto& column : columns) {
        definitions << column.name + u' ' + column.type;
        names << column.name;
    }
    const QString rebuilt = move.table + QStringLiteral("__moving");
    const QStringList indexes = IndexStatements(db, move.table);
    QStringList steps = {
        QStringLiteral("BEGIN"),
        QStringLiteral("CREATE TABLE %1(%2)").arg(rebuilt, definitions.join(u',')),
        QStringLiteral("INSERT INTO %1(%2) SELECT %2 FROM %3 ORDER BY rowid")
            .arg(rebuilt, names.join(u','), move.table),
        QStringLiteral("DROP TABLE %1").arg(move.table),
        QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(rebuilt, move.table),
    };
    steps << indexes << QStringLiteral("COMMIT");
    for (const QString& step : steps)
        if (!Exec(db, step)) {
            Exec(db, QStringLiteral("ROLLBACK"));
            return false;
        }
    return true;
}

std::optional<OneTableSelect> ParseOneTableSelect(const QString& sql) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*select\s+(.+?)\s+from\s+(\w+)(.*)$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto match = pattern.match(sql);
    if (!match.hasMatch())
        return std::nullopt;
    return OneTableSelect{match.captured(1).trimmed(), match.captured(2), match.captured(3)};
}

QString WithStoredDateLiterals(const QString& sql) {
    static const QRegularExpression literal(
        QStringLiteral(R"('(\d\d)/(\d\d)/(\d{4}) (\d\d):(\d\d)')"));
    if (!sql.contains(u'/'))
        return sql;
    QString result = sql;
    return result.replace(literal, QStringLiteral("'\\3-\\1-\\2 \\4:\\5:00'"));
}

namespace {

bool IsIdentifierChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'.';
}

bool IsDataStatement(const QString& sql) {
    static const QRegularExpression data(QStringLiteral(R"(^\s*(select|insert|update|delete)\b)"),
                                         QRegularExpression::CaseInsensitiveOption);
    return data.match(sql).hasMatch();
}

} // namespace

ParameterizedSql Parameterize(const QString& sql) {
    if (sql.contains(u'?') || !IsDataStatement(sql))
        return {sql, {}};
    ParameterizedSql result;
    result.text.reserve(sql.size());
    const qsizetype size = sql.size();
    for (qsizetype i = 0; i < size;) {
        const QChar c = sql[i];
        if (c == u'\'') {
            QString literal;
            qsizetype j = i + 1;
            for (; j < size; ++j) {
                if (sql[j] == u'\'') {
                    if (j + 1 < size && sql[j + 1] == u'\'') {
                        literal += u'\'';
                        ++j;
                        continue;
                    }
                    break;
                }
                literal += sql[j];
            }
            if (j >= size) // an unterminated literal: leave the statement to the engine
                return {sql, {}};
            result.text += u'?';
            result.values << literal;
            i = j + 1;
        } else if (c.isDigit() && (i == 0 || !IsIdentifierChar(sql[i - 1]))) {
            qsizetype j = i;
            while (j < size && sql[j].isDigit())
                ++j;
            if (j < size && IsIdentifierChar(sql[j])) {
                result.text += QStringView(sql).mid(i, j - i);
            } else {
                result.text += u'?';
                result.values << QStringView(sql).mid(i, j - i).toLongLong();
            }
            i = j;
        } else if (c == u'"') {
            const qsizetype close = sql.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? size : close + 1;
            result.text += QStringView(sql).mid(i, end - i);
            i = end;
        } else {
            result.text += c;
            ++i;
        }
    }
    return result;
}
