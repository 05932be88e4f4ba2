// The rows of one query, read forward or changed and stored.

#include "store/AdoRecordset.h"

#include "store/AdoException.h"
#include "store/DiskFull.h"
#include "store/SqlDialect.h"

#include <sqlite3.h>

namespace {

QString Utf16Text(const void* text, int bytes) {
    return QString(reinterpret_cast<const QChar*>(text), bytes / 2);
}

QVariant StatementValue(sqlite3_stmt* statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_TEXT: {
        const void* text = sqlite3_column_text16(statement, column);
        return Utf16Text(text, sqlite3_column_bytes16(statement, column));
    }
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, column)),
                          sqlite3_column_bytes(statement, column));
    default:
        return QVariant();
    }
}

// Runs a change with its values bound; false when the engine refuses it.
bool RunWithValues(CAdoConnection& connection, const QString& sql,
                   const std::vector<QVariant>& values) {
    sqlite3_stmt* statement =
        connection.Acquire(sql, QList<QVariant>(values.begin(), values.end()));
    if (!statement)
        return false;
    const int result = sqlite3_step(statement);
    connection.Release(statement);
    NoteIfDiskFull(result);
    return result == SQLITE_DONE;
}

} // namespace

CAdoRecordset::~CAdoRecordset() {
    Close();
}

bool CAdoRecordset::Open(const QString& sql, CAdoConnection& connection, Mode mode) {
    Close();
    connection_ = &connection;
    mode_ = mode;
    sql_ = sql;
    if (const auto path = CreateDatabasePath(sql))
        return CAdoConnection::CreateDatabaseFile(*path);
    return mode == Mode::Read ? OpenRead(sql_) : OpenWrite(sql_);
}

void CAdoRecordset::Close() {
    if (statement_ && connection_)
        connection_->Release(statement_);
    statement_ = nullptr;
    atEnd_ = true;
    rows_.clear();
    current_ = 0;
    columnNames_.clear();
    declaredTypes_.clear();
    table_.clear();
}

void CAdoRecordset::ReadColumnInfo(sqlite3_stmt* statement, int firstColumn) {
    for (int i = firstColumn; i < sqlite3_column_count(statement); ++i) {
        columnNames_ << QString::fromUtf8(sqlite3_column_name(statement, i));
        const char* declared = sqlite3_column_decltype(statement, i);
        declaredTypes_ << QString::fromUtf8(declared ? declared : "");
    }
}

bool CAdoRecordset::OpenRead(const QString& sql) {
    statement_ = connection_->Acquire(sql);
    if (!statement_)
        return false;
    ReadColumnInfo(statement_, 0);
    Step();
    return lastStep_ == SQLITE_ROW || lastStep_ == SQLITE_DONE;
}

bool CAdoRecordset::Step() {
    lastStep_ = sqlite3_step(statement_);
    atEnd_ = lastStep_ != SQLITE_ROW;
    return !atEnd_;
}

// Write mode reads the rows with their rowid, so that changes find them again.
bool CAdoRecordset::OpenWrite(const QString& sql) {
    const auto select = ParseOneTableSelect(sql);
    if (!select)
        return false;
    table_ = select->table;
    sqlite3_stmt* statement =
        connection_->Acquire(QStringLiteral("SELECT rowid, ") + select->columns +
                             QStringLiteral(" FROM ") + select->table + select->rest);
    if (!statement)
        return false;
    ReadColumnInfo(statement, 1);
    int result;
    while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
        Row row;
        row.rowid = sqlite3_column_int64(statement, 0);
        for (int i = 0; i < GetFieldCount(); ++i)
            row.values.push_back(StatementValue(statement, i + 1));
        row.changed.assign(row.values.size(), false);
        rows_.push_back(std::move(row));
    }
    connection_->Release(statement);
    return result == SQLITE_DONE;
}

bool CAdoRecordset::MoveFirst() {
    if (mode_ == Mode::Write) {
        current_ = 0;
        return !IsEOF();
    }
    if (!statement_)
        return false;
    sqlite3_reset(statement_);
    return Step();
}

bool CAdoRecordset::MoveNext() {
    if (mode_ == Mode::Write) {
        if (current_ < rows_.size())
            ++current_;
        return !IsEOF();
    }
    return statement_ && !atEnd_ && Step();
}

bool CAdoRecordset::IsEOF() const {
    return mode_ == Mode::Write ? current_ >= rows_.size() : atEnd_;
}

qint32 CAdoRecordset::GetRecordCount() {
    if (mode_ == Mode::Write)
        return qint32(rows_.size());
    if (!connection_)
        return -1;
    sqlite3_stmt* count =
        connection_->Acquire(QStringLiteral("SELECT COUNT(*) FROM (") + sql_ + QStringLiteral(")"));
    if (!count)
        return -1;
    const qint32 rows = sqlite3_step(count) == SQLITE_ROW ? sqlite3_column_int(count, 0) : -1;
    connection_->Release(count);
    return rows;
}

QVariant CAdoRecordset::ColumnValue(int index) const {
    if (mode_ == Mode::Write)
        return rows_[current_].values[std::size_t(index)];
    return StatementValue(statement_, index);
}

CAdoField& CAdoRecordset::Field(int index) {
    if (index < 0 || index >= GetFieldCount() || IsEOF())
        THROW_ADO(CAdoException::ValueNotDelivered);
    std::function<void(const QVariant&)> store;
    if (mode_ == Mode::Write)
        store = [this, index](const QVariant& value) {
            Row& row = rows_[current_];
            row.values[std::size_t(index)] = value;
            row.changed[std::size_t(index)] = true;
        };
    field_.Point(ColumnValue(index), declaredTypes_[index], std::move(store));
    return field_;
}

CAdoField& CAdoRecordset::Field(const QString& name) {
    for (int i = 0; i < GetFieldCount(); ++i)
        if (columnNames_[i].compare(name, Qt::CaseInsensitive) == 0)
            return Field(i);
    THROW_ADO(CAdoException::ValueNotDelivered);
}

bool CAdoRecordset::AddNew() {
    if (mode_ != Mode::Write || table_.isEmpty())
        return false;
    Row row;
    row.values.resize(std::size_t(GetFieldCount()));
    row.changed.assign(row.values.size(), false);
    rows_.push_back(std::move(row));
    current_ = rows_.size() - 1;
    return true;
}

void CAdoRecordset::Update() {
    if (mode_ != Mode::Write || IsEOF())
        THROW_ADO(CAdoException::UpdateRefused);
    Row& row = rows_[current_];
    if (row.rowid < 0)
        InsertRow(row);
    else
        UpdateRow(row);
    row.changed.assign(row.values.size(), false);
}

void CAdoRecordset::InsertRow(Row& row) {
    QStringList placeholders;
    for (int i = 0; i < GetFieldCount(); ++i)
        placeholders << QStringLiteral("?");
    const QString sql = QStringLiteral("INSERT INTO %1(%2) VALUES(%3)")
                            .arg(table_, columnNames_.join(u','), placeholders.join(u','));
    if (!RunWithValues(*connection_, sql, row.values))
        THROW_ADO(CAdoException::UpdateRefused);
    row.rowid = sqlite3_last_insert_rowid(connection_->Handle());
}

void CAdoRecordset::UpdateRow(Row& row) {
    QStringList assignments;
    std::vector<QVariant> values;
    for (int i = 0; i < GetFieldCount(); ++i)
        if (row.changed[std::size_t(i)]) {
            assignments << columnNames_[i] + QStringLiteral("=?");
            values.push_back(row.values[std::size_t(i)]);
        }
    if (assignments.isEmpty())
        return;
    values.push_back(row.rowid);
    const QString sql =
        QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(table_, assignments.join(u','));
    if (!RunWithValues(*connection_, sql, values))
        THROW_ADO(CAdoException::UpdateRefused);
}
