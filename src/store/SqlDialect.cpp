// Turns the store's statements into the SQL that SQLite runs.

#include "store/SqlDialect.h"

#include <QRegularExpression>
#include <sqlite3.h>

namespace {

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

QStringList MoveColumnStatements(sqlite3* db, const MoveColumn& move) {
    std::vector<ColumnDefinition> columns = TableColumns(db, move.table);
    const qsizetype from = ColumnIndex(columns, move.column);
    if (from < 0 || ColumnIndex(columns, move.before) < 0)
        return {};
    const ColumnDefinition moved = columns[from];
    columns.erase(columns.begin() + from);
    columns.insert(columns.begin() + ColumnIndex(columns, move.before), moved);

    QStringList definitions, names;
    for (const auto& column : columns) {
        definitions << column.name + u' ' + column.type;
        names << column.name;
    }
    const QString rebuilt = move.table + QStringLiteral("__moving");
    return QStringList{
               QStringLiteral("CREATE TABLE %1(%2)").arg(rebuilt, definitions.join(u',')),
               QStringLiteral("INSERT INTO %1(%2) SELECT %2 FROM %3 ORDER BY rowid")
                   .arg(rebuilt, names.join(u','), move.table),
               QStringLiteral("DROP TABLE %1").arg(move.table),
               QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(rebuilt, move.table),
           }
           << IndexStatements(db, move.table);
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

namespace {

bool IsIdentifierChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'.';
}

bool IsDataStatement(const QString& sql) {
    static const QRegularExpression data(QStringLiteral(R"(^\s*(select|insert|update|delete)\b)"),
                                         QRegularExpression::CaseInsensitiveOption);
    return data.match(sql).hasMatch();
}

// 'MM/DD/YYYY HH:MM', the form statements write dates in, as stored: 'YYYY-MM-DD HH:MM:00'.
std::optional<QString> StoredFormOfDateLiteral(const QString& literal) {
    static const QRegularExpression form(
        QStringLiteral(R"(^(\d\d)/(\d\d)/(\d{4}) (\d\d):(\d\d)$)"));
    if (literal.size() != 16)
        return std::nullopt;
    const auto match = form.match(literal);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(3) + u'-' + match.captured(1) + u'-' + match.captured(2) + u' ' +
           match.captured(4) + u':' + match.captured(5) + QStringLiteral(":00");
}

// The column an Insert's value at `at` goes to: in "Insert Into T(a,b) Values(1,'x')" the
// literal goes to b. Empty for a place outside an Insert's values.
QString InsertedColumn(const QString& sql, qsizetype at) {
    static const QRegularExpression insert(
        QStringLiteral(R"(^\s*insert\s+into\s+[\w.]+\s*\(([^)']*)\)\s*values\s*\()"),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = insert.match(sql);
    if (!match.hasMatch() || at < match.capturedEnd())
        return {};
    qsizetype position = 0;
    int depth = 0;
    bool inLiteral = false;
    for (const QChar c : QStringView(sql).mid(match.capturedEnd(), at - match.capturedEnd())) {
        if (c == u'\'')
            inLiteral = !inLiteral;
        else if (inLiteral)
            continue;
        else if (c == u'(')
            ++depth;
        else if (c == u')')
            --depth;
        else if (c == u',' && depth == 0)
            ++position;
    }
    return match.captured(1).split(u',').value(position).trimmed();
}

// The column of "Column = ", "Table.Column <> " and the like just before a literal, or of
// " = Column" just after it; empty when the literal is compared with no column.
QString ComparedColumn(QStringView before, QStringView after) {
    static const QRegularExpression columnFirst(
        QStringLiteral(R"(([A-Za-z_][\w.]*)\s*(?:=|<>|!=|<=|>=|<|>)\s*$)"));
    static const QRegularExpression columnLast(
        QStringLiteral(R"(^\s*(?:=|<>|!=|<=|>=|<|>)\s*([A-Za-z_][\w.]*))"));
    // The operator and column stand close to the literal; a short tail is enough to look at.
    if (const auto match = columnFirst.match(before.right(160)); match.hasMatch())
        return match.captured(1);
    if (const auto match = columnLast.match(after.left(160)); match.hasMatch())
        return match.captured(1);
    return {};
}

} // namespace

ParameterizedSql Parameterize(const QString& sql, const QList<QVariant>& given,
                              const std::function<bool(QStringView)>& isDateColumn) {
    if (!IsDataStatement(sql))
        return {sql, given};
    qsizetype nextGiven = 0;
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
                return {sql, given};
            if (const auto stored = StoredFormOfDateLiteral(literal)) {
                QString column = InsertedColumn(sql, i);
                if (column.isEmpty())
                    column = ComparedColumn(result.text, QStringView(sql).mid(j + 1));
                if (!column.isEmpty() && isDateColumn(column))
                    literal = *stored;
            }
            result.text += u'?';
            result.values << literal;
            i = j + 1;
        } else if (c == u'?') {
            // A parameter the caller binds: it takes the next of the given values.
            result.text += u'?';
            result.values << given.value(nextGiven++);
            ++i;
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
