// The date and two-line text of a list row.

#include "gui/models/ListDates.h"

#include "text/DateFormat.h"

QString RowDateText(const QDateTime& utc, int dateFormat) {
    return dateFormat == 0 ? FormatDateGmt(utc) : FormatDateLocal(utc);
}

QString TwoLineText(const QString& title, const QString& dateText) {
    return dateText.isEmpty() ? title : title + u'\n' + dateText;
}
