// Image files made on the spot, as sites serve them.

#include "support/TestImages.h"

#include <QBuffer>

QByteArray ImageFile(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray ImageFileBytes(const char* format, const QColor& colour, int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return ImageFile(image, format);
}
