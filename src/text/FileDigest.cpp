// The MD5 digest of a file.

#include "text/FileDigest.h"

#include <QCryptographicHash>
#include <QFile>

QString Md5FileDigest(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Md5);
    hash.addData(&file);
    return QString::fromLatin1(hash.result().toHex());
}
