// A list row's date and text as the lists show them.

#pragma once

#include <QDateTime>
#include <QString>

// A row's date as the lists show it: Greenwich form for date format 0, local form otherwise.
QString RowDateText(const QDateTime& utc, int dateFormat);
// A row's text: the title, and the date on a second line when there is one.
QString TwoLineText(const QString& title, const QString& dateText);
