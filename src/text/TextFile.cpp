// Reads and writes a whole text file at once.

#include "text/TextFile.h"

#include "text/MarkupText.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <optional>

namespace {

std::optional<QString> DecodeStrictly(QStringDecoder& decoder, const QByteArray& bytes) {
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// UTF-32 or UTF-16 by its byte-order mark, or, without one, by an opening "<" or "<?" in
// either byte order (as XML 1.0's appendix F detects them); such bytes would pass for UTF-8 with
// NULs after each letter. The UTF-32 marks come first: little-endian UTF-32's begins with
// UTF-16's.
std::optional<QStringConverter::Encoding> WideEncoding(const QByteArray& bytes) {
    if (bytes.startsWith(QByteArrayView("\xFF\xFE\0\0", 4)) ||
        bytes.startsWith(QByteArrayView("\0\0\xFE\xFF", 4)))
        return QStringConverter::Utf32;
    if (bytes.startsWith(QByteArrayView("<\0\0\0", 4)))
        return QStringConverter::Utf32LE;
    if (bytes.startsWith(QByteArrayView("\0\0\0<", 4)))
        return QStringConverter::Utf32BE;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return QStringConverter::Utf16;
    if (bytes.startsWith(QByteArrayView("<\0?\0", 4)))
        return QStringConverter::Utf16LE;
    if (bytes.startsWith(QByteArrayView("\0<\0?", 4)))
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

// The encoding named by an XML declaration at the very start ("<?xml ... encoding='KOI8-R'?>").
QByteArray DeclaredEncoding(const QByteArray& bytes) {
    static const QRegularExpression declaration(
        QStringLiteral(R"(^\s*<\?xml[^>]*?encoding\s*=\s*["']([A-Za-z0-9._:-]+)["'])"));
    const auto match = declaration.match(QString::fromLatin1(bytes.left(256)));
    return match.hasMatch() ? match.captured(1).toLatin1() : QByteArray();
}

// The charset parameter of a MIME type ("text/xml; charset=KOI8-R"), quotes removed.
QByteArray CharsetParameter(const QString& contentType) {
    static const QRegularExpression charset(
        QStringLiteral(R"(;\s*charset\s*=\s*["']?([A-Za-z0-9._:-]+))"),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = charset.match(contentType);
    return match.hasMatch() ? match.captured(1).toLatin1() : QByteArray();
}

// The bytes in the encoding a declaration or a header names; none when the name is unknown or
// is UTF-8, since bytes that reach here are not UTF-8: such a label is a mistake.
std::optional<QString> DecodeAsNamed(const QByteArray& bytes, const QByteArray& encoding) {
    if (encoding.isEmpty())
        return std::nullopt;
    QStringDecoder named(encoding.constData(), QStringConverter::Flag::Stateless);
    if (!named.isValid() ||
        QStringConverter::encodingForName(encoding.constData()) == QStringConverter::Utf8)
        return std::nullopt;
    return named.decode(bytes);
}

struct DecodedText {
    QString text;
    bool fromUtf8 = false;
};

DecodedText DecodeWithFallbacks(const QByteArray& bytes, const QString& contentType) {
    if (const auto wide = WideEncoding(bytes)) {
        QStringDecoder decoder(*wide, QStringConverter::Flag::Stateless);
        return {decoder.decode(bytes)};
    }
    // Stateless: a sequence cut off at the end is an error, not bytes kept for a next call.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    if (auto text = DecodeStrictly(utf8, bytes))
        return {*text, true};
    if (auto text = DecodeAsNamed(bytes, DeclaredEncoding(bytes)))
        return {*text};
    // What the server said the document is, when the document itself says nothing.
    if (auto text = DecodeAsNamed(bytes, CharsetParameter(contentType)))
        return {*text};
    QStringDecoder windows1252("windows-1252", QStringConverter::Flag::Stateless);
    if (windows1252.isValid())
        return {windows1252.decode(bytes)};
    return {QString::fromLatin1(bytes)};
}

QString WithCrLfLineEnds(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(u'\n', QStringLiteral("\r\n"));
}

} // namespace

CTextFile::~CTextFile() {
    Close();
}

bool CTextFile::Open(const QString& path, Mode mode) {
    Close();
    path_ = path;
    text_.clear();
    if (mode == Mode::Read) {
        reader_ = std::make_unique<QFile>(path);
        if (!reader_->open(QIODevice::ReadOnly)) {
            reader_.reset();
            return false;
        }
        needsLoad_ = true;
    } else {
        writer_ = std::make_unique<QSaveFile>(path);
        if (!writer_->open(QIODevice::WriteOnly)) {
            writer_.reset();
            return false;
        }
    }
    return true;
}

QString CTextFile::ReadAll() {
    if (needsLoad_ && reader_) {
        text_ = Decode(reader_->readAll());
        needsLoad_ = false;
    }
    return text_;
}

void CTextFile::WriteString(const QString& text) {
    if (!dirty_) {
        text_.clear();
        dirty_ = true;
        needsLoad_ = false;
    }
    text_ += text;
}

bool CTextFile::Close() {
    bool saved = true;
    if (writer_) {
        const QByteArray bytes = WithCrLfLineEnds(text_).toUtf8();
        saved = writer_->write(bytes) == bytes.size() && writer_->commit();
        writer_.reset();
    }
    reader_.reset();
    dirty_ = false;
    needsLoad_ = false;
    return saved;
}

QString CTextFile::Decode(const QByteArray& bytes, const QString& contentType) {
    auto [text, fromUtf8] = DecodeWithFallbacks(bytes, contentType);
    // In UTF-8 a control is a byte of its own, never part of another character, so the bytes,
    // half the size of the text, tell whether the text holds one.
    if (fromUtf8 && FirstForbiddenControl(QByteArrayView(bytes)) < 0)
        return text;
    // A NUL is one bad character like any other control, not the end of the text.
    return ReplaceForbiddenControls(std::move(text));
}
