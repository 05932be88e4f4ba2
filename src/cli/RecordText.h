// How records read in the command line's output: dates, status and View kinds.

#pragma once

#include "store/Records.h"

#include <QDateTime>
#include <QJsonValue>

// How records read in the command's output, the same in every command.

// ISO 8601 in UTC with a Z ("2026-12-01T10:00:00Z"); null for a date never set.
QJsonValue IsoDate(const QDateTime& date);
// unread, read, locked or hidden.
QString StatusName(qint16 status);
// group, keyword, whats-new or search.
QString ViewKind(const CViewRecord& view);
// The words a user gave a keyword or search View; none for the others, whose stored keywords
// are the program's own markers.
QString ViewKeywords(const CViewRecord& view);
