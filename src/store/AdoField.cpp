// A recordset column's value, converted to the type asked for.

#include "store/AdoField.h"

#include "store/AdoException.h"
#include "text/DateFormat.h"

#include <limits>

namespace {

bool IsNull(const QVariant& value) {
    return !value.isValid() || value.isNull() ||
           (value.typeId() == QMetaType::QString && value.toString().isEmpty());
}

qint64 ToInteger(const QVariant& value) {
    if (value.typeId() == QMetaType::QString) {
        bool ok = false;
        const qint64 number = value.toString().trimmed().toLongLong(&ok);
        if (!ok)
            THROW_ADO(CAdoException::ConversionFailed);
        return number;
    }
    bool ok = false;
    const qint64 number = value.toLongLong(&ok);
    if (!ok)
        THROW_ADO(CAdoException::ConversionFailed);
    return number;
}

template <typename Integer> Integer Narrowed(qint64 value) {
    if (value < std::numeric_limits<Integer>::min() || value > std::numeric_limits<Integer>::max())
        THROW_ADO(CAdoException::ConversionFailed);
    return Integer(value);
}

// The stored form "YYYY-MM-DD HH:MM:SS", and the "MM/DD/YYYY HH:MM" literal that statements
// write; anything else is not a date.
QDateTime ParseStoredDate(const QString& text) {
    const auto date = ParsePlainDate(text);
    if (!date)
        THROW_ADO(CAdoException::ConversionFailed);
    return *date;
}

} // namespace

QString StoredDateText(const QDateTime& utc) {
    return utc.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void CAdoField::Point(const QVariant& value, const QString& declaredType,
                      std::function<void(const QVariant&)> store) {
    value_ = value;
    declaredType_ = declaredType;
    store_ = std::move(store);
}

QVariant CAdoField::GetValue() const {
    return value_;
}

QString CAdoField::GetString() const {
    return IsNull(value_) ? QString() : value_.toString();
}

qint32 CAdoField::GetLong() const {
    return IsNull(value_) ? 0 : Narrowed<qint32>(ToInteger(value_));
}

qint16 CAdoField::GetShort() const {
    return IsNull(value_) ? 0 : Narrowed<qint16>(ToInteger(value_));
}

bool CAdoField::GetBool() const {
    return IsNull(value_) ? false : Narrowed<qint16>(ToInteger(value_)) != 0;
}

QDateTime CAdoField::GetDate() const {
    if (IsNull(value_))
        return {};
    if (!declaredType_.contains(QStringLiteral("date"), Qt::CaseInsensitive) ||
        value_.typeId() != QMetaType::QString)
        THROW_ADO(CAdoException::ConversionFailed);
    return ParseStoredDate(value_.toString());
}

void CAdoField::SetValue(const QVariant& value) {
    if (!store_)
        THROW_ADO(CAdoException::ValueRefused);
    store_(value);
    value_ = value;
}

void CAdoField::SetDate(const QDateTime& value) {
    if (!value.isValid())
        THROW_ADO(CAdoException::ValueRefused);
    SetValue(StoredDateText(value.toUTC()));
}
