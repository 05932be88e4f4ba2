// The fuzz input as the text types the readers take.

#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

// Fuzz bytes as text the way feeds reach the helpers: decoded from UTF-8, invalid sequences
// becoming replacement characters.
inline QString FuzzText(const std::uint8_t* data, std::size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
}
