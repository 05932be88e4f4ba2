// A whole text file read or written at once.

#pragma once

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <memory>

// A whole text file held in memory: read and decoded at once, or collected and written at once
// when the file is closed. One object is either read or written between an open and a close.
class CTextFile {
public:
    enum class Mode { Read, Write };

    CTextFile() = default;
    CTextFile(const CTextFile&) = delete;
    CTextFile& operator=(const CTextFile&) = delete;
    ~CTextFile();

    // Closes (and so saves) what the object held before. False when the file cannot be opened
    // for reading, or its folder cannot take a new file for writing.
    bool Open(const QString& path, Mode mode);

    // The whole decoded text; the file is read on the first call only.
    QString ReadAll();

    // Appends text; nothing reaches the disk before Close.
    void WriteString(const QString& text);

    // Writes the collected text with CR LF line ends in UTF-8 and closes. The file on disk is
    // replaced only once the new text is written whole. False when that failed.
    bool Close();

    // The text of a file's bytes: UTF-32 or UTF-16 by a byte-order mark or an opening "<"; else
    // UTF-8 when they are valid UTF-8; else the encoding an XML declaration names; else the
    // charset of the HTTP answer's `contentType` ("text/xml; charset=windows-1251"); else
    // Windows-1252. NUL and the other controls no XML file may hold become U+FFFD.
    static QString Decode(const QByteArray& bytes, const QString& contentType = {});

private:
    QString path_;
    QString text_;
    std::unique_ptr<QFile> reader_;
    std::unique_ptr<QSaveFile> writer_;
    bool needsLoad_ = false;
    bool dirty_ = false;
};
