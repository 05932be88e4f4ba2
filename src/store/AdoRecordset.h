// The rows of one query, read or written.

#pragma once

#include "store/AdoConnection.h"
#include "store/AdoField.h"

#include <QStringList>
#include <QVariant>
#include <vector>

struct sqlite3_stmt;

// The rows of one query. Read mode steps forward through the result; write mode holds the rows
// of a one-table query, changed with the fields and stored by Update (AddNew starts a new row).
class CAdoRecordset {
public:
    enum class Mode { Read, Write };

    CAdoRecordset() = default;
    CAdoRecordset(const CAdoRecordset&) = delete;
    CAdoRecordset& operator=(const CAdoRecordset&) = delete;
    ~CAdoRecordset();

    // False when the engine refuses the statement. A query matching nothing is at end at once.
    bool Open(const QString& sql, CAdoConnection& connection, Mode mode);
    void Close();

    bool MoveFirst();
    bool MoveNext();
    bool IsEOF() const;
    // The number of rows of the whole result, counted by the engine.
    qint32 GetRecordCount();
    int GetFieldCount() const { return int(columnNames_.size()); }

    // Throw -16 for a column that does not exist or when there is no current row.
    CAdoField& Field(int index);
    CAdoField& Field(const QString& name);

    bool AddNew();
    // Stores the current row; throws -18 when the engine refuses it.
    void Update();

private:
    struct Row {
        qint64 rowid = -1; // -1: added, not yet stored
        std::vector<QVariant> values;
        std::vector<bool> changed;
    };

    bool OpenRead(const QString& sql);
    bool OpenWrite(const QString& sql);
    bool Step();
    QVariant ColumnValue(int index) const;
    void ReadColumnInfo(sqlite3_stmt* statement, int firstColumn);
    void InsertRow(Row& row);
    void UpdateRow(Row& row);

    CAdoConnection* connection_ = nullptr;
    Mode mode_ = Mode::Read;
    QString sql_;
    QStringList columnNames_;
    QStringList declaredTypes_;
    CAdoField field_;

    // Read mode
    sqlite3_stmt* statement_ = nullptr;
    bool atEnd_ = true;
    int lastStep_ = 0;

    // Write mode
    QString table_;
    std::vector<Row> rows_;
    std::size_t current_ = 0;
};
