// Reading a JSON Feed into the same record as an XML feed.

#pragma once

#include "feeds/FeedData.h"

#include <QByteArray>
#include <QString>

// Reads a JSON Feed (version 1 or 1.1) into the record, with FeedType 14. Its texts are literal,
// so they are stored escaped, as an XML feed carries them. False, the record untouched, when
// the bytes are not a JSON Feed. Relative addresses resolve against `documentAddress`.
bool ReadJsonFeed(CFeedData& record, const QByteArray& bytes, const QString& documentAddress);
