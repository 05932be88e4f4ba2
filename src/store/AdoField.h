// One column of a recordset's current row.

#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <functional>

// One column of a recordset's current row. A recordset has a single field object that every
// field access re-points, so a caller copies a value out before asking for the next field.
class CAdoField {
public:
    QVariant GetValue() const;
    // Null gives ""; numbers are written in decimal.
    QString GetString() const;
    // Null gives 0 (false); a value that is not a number throws -11.
    qint32 GetLong() const;
    qint16 GetShort() const;
    bool GetBool() const;
    // Null gives an invalid date-time; a column not declared datetime, or text that is not a
    // date, throws -11. Dates are UTC.
    QDateTime GetDate() const;

    void SetValue(const QVariant& value);
    void SetString(const QString& value) { SetValue(value); }
    void SetLong(qint32 value) { SetValue(value); }
    void SetShort(qint16 value) { SetValue(value); }
    void SetBool(bool value) { SetValue(value ? 1 : 0); }
    void SetDate(const QDateTime& value);

private:
    friend class CAdoRecordset;
    // Re-points the field at a column: its value and declared type, and where a write goes.
    void Point(const QVariant& value, const QString& declaredType,
               std::function<void(const QVariant&)> store);

    QVariant value_;
    QString declaredType_;
    std::function<void(const QVariant&)> store_;
};

// The text a datetime column holds: "YYYY-MM-DD HH:MM:SS", which sorts chronologically.
QString StoredDateText(const QDateTime& utc);
