// Image files made on the spot, as sites serve them.

#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>

// The picture as a file in `format` ("PNG", "ICO").
QByteArray ImageFile(const QImage& image, const char* format);
// A picture of one colour, `width` by `height`, as a file in `format`.
QByteArray ImageFileBytes(const char* format, const QColor& colour, int width = 16,
                          int height = 16);
