// The MD5 digest of a file.

#pragma once

#include <QString>

// The MD5 digest of a file's bytes as 32 lower-case hex digits; empty when the file cannot be
// opened.
QString Md5FileDigest(const QString& path);
