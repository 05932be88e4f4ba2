// Tests of text file decoding and writing.

#include "text/TextFile.h"

#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"
#include "text/FileDigest.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

class TextFileTest : public ::testing::Test {
protected:
    QString WriteBytes(const QByteArray& bytes) {
        const QString path = env_.Path("file.txt");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QByteArray ReadBytes(const QString& path) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    QString ReadText(const QString& path) {
        CTextFile file;
        EXPECT_TRUE(file.Open(path, CTextFile::Mode::Read));
        return file.ReadAll();
    }

    TestEnvironment env_;
};

struct DecodeCase {
    const char* name;
    QByteArray bytes;
    QString expected;
};

TEST_F(TextFileTest, DecodesByContentThenDeclarationThenWindows1252) {
    const DecodeCase cases[] = {
        {"utf-8", "caf\xC3\xA9 \xE2\x82\xAC", u"caf\u00E9 \u20AC"_qs},
        {"utf-8 with bom", "\xEF\xBB\xBF<a/>", "<a/>"},
        {"utf-16le bom", QByteArray("\xFF\xFE<\0a\0/\0>\0", 10), "<a/>"},
        {"utf-16be bom", QByteArray("\xFE\xFF\0<\0a\0/\0>", 10), "<a/>"},
        // Without a byte-order mark the opening "<?" tells UTF-16 and its byte order.
        {"utf-16le opening", QByteArray("<\0?\0x\0?\0>\0<\0a\0/\0>\0\xE9\0", 20),
         u"<?x?><a/>\u00E9"_qs},
        {"utf-16be opening", QByteArray("\0<\0?\0x\0?\0>\0<\0a\0/\0>\0\xE9", 20),
         u"<?x?><a/>\u00E9"_qs},
        {"koi8-r declared", "<?xml version=\"1.0\" encoding=\"KOI8-R\"?><t>\xF0\xD2\xC9</t>",
         u"<?xml version=\"1.0\" encoding=\"KOI8-R\"?><t>\u041F\u0440\u0438</t>"_qs},
        {"shift_jis declared", "<?xml version='1.0' encoding='Shift_JIS'?>\x93\xFA",
         u"<?xml version='1.0' encoding='Shift_JIS'?>\u65E5"_qs},
        {"windows-1252", "caf\xE9 \x80 \x93q\x94", u"caf\u00E9 \u20AC \u201Cq\u201D"_qs},
        {"utf-8 declared but not utf-8", "<?xml encoding=\"utf-8\"?>\xE9",
         u"<?xml encoding=\"utf-8\"?>\u00E9"_qs},
        {"unknown declared", "<?xml encoding=\"x-none\"?>\xE9",
         u"<?xml encoding=\"x-none\"?>\u00E9"_qs},
        {"nul is one bad character", QByteArray("ab\0cd", 5), u"ab\uFFFDcd"_qs},
        // UTF-32 by its byte-order mark, or by an opening "<" in either byte order.
        {"utf-32le bom", QByteArray("\xFF\xFE\0\0<\0\0\0a\0\0\0/\0\0\0>\0\0\0", 20), "<a/>"},
        {"utf-32be bom", QByteArray("\0\0\xFE\xFF\0\0\0<\0\0\0a\0\0\0/\0\0\0>", 20), "<a/>"},
        {"utf-32le opening", QByteArray("<\0\0\0a\0\0\0/\0\0\0>\0\0\0\xE9\0\0\0", 20),
         u"<a/>\u00E9"_qs},
        {"utf-32be opening", QByteArray("\0\0\0<\0\0\0a\0\0\0/\0\0\0>\0\0\0\xE9", 20),
         u"<a/>\u00E9"_qs},
        {"controls no xml may hold",
         "a\x01"
         "b\tc\x0B\x1F"
         "d\r\n",
         u"a\uFFFDb\tc\uFFFD\uFFFDd\r\n"_qs},
        {"empty", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CTextFile::Decode(c.bytes), c.expected) << c.name;
}

// An HTTP answer's charset decides only where the document itself says nothing.
TEST_F(TextFileTest, ContentTypeCharsetComesAfterTheDocumentsOwnSigns) {
    const QByteArray cyrillic = "<t>\xCF\xF0\xE8</t>"; // windows-1251
    const QString decoded = u"<t>\u041F\u0440\u0438</t>"_qs;
    const std::pair<const char*, QString> types[] = {
        {"application/rss+xml; charset=windows-1251", decoded},
        {"text/xml;CHARSET=\"Windows-1251\"", decoded},
        {"text/xml; format=flowed; charset='cp1251'", decoded},
        {"text/xml", u"<t>\u00CF\u00F0\u00E8</t>"_qs},
        {"text/xml; charset=x-unknown", u"<t>\u00CF\u00F0\u00E8</t>"_qs},
        {"text/xml; charset=utf-8", u"<t>\u00CF\u00F0\u00E8</t>"_qs},
    };
    for (const auto& [type, expected] : types)
        EXPECT_EQ(CTextFile::Decode(cyrillic, type), expected) << type;

    const QByteArray declared = "<?xml version=\"1.0\" encoding=\"KOI8-R\"?><t>\xF0\xD2\xC9</t>";
    EXPECT_TRUE(CTextFile::Decode(declared, "text/xml; charset=windows-1251")
                    .endsWith(u"<t>\u041F\u0440\u0438</t>"_qs));
    EXPECT_EQ(CTextFile::Decode("caf\xC3\xA9", "text/xml; charset=windows-1251"), u"caf\u00E9"_qs);
}

TEST_F(TextFileTest, WritesUtf8WithCrLfLineEnds) {
    const QString path = env_.Path("out.xml");
    CTextFile file;
    ASSERT_TRUE(file.Open(path, CTextFile::Mode::Write));
    file.WriteString(u"\u65E5\u672C line1\nline2\r\n"_qs);
    file.WriteString("line3\r\n\n");
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadBytes(path), "\xE6\x97\xA5\xE6\x9C\xAC line1\r\nline2\r\nline3\r\n\r\n");
    EXPECT_EQ(ReadText(path), u"\u65E5\u672C line1\r\nline2\r\nline3\r\n\r\n"_qs);
}

TEST_F(TextFileTest, ReopeningSavesTheTextCollectedBefore) {
    const QString first = env_.Path("first.txt");
    CTextFile file;
    ASSERT_TRUE(file.Open(first, CTextFile::Mode::Write));
    file.WriteString("pending");
    ASSERT_TRUE(file.Open(env_.Path("second.txt"), CTextFile::Mode::Write));
    EXPECT_EQ(ReadBytes(first), "pending");
}

TEST_F(TextFileTest, FailedWriteLeavesTheOldFileWhole) {
    const QString path = WriteBytes("old contents");
    {
        CTextFile file;
        ASSERT_TRUE(file.Open(path, CTextFile::Mode::Write));
        file.WriteString("new");
        // Nothing reaches the file until the object is closed.
        EXPECT_EQ(ReadBytes(path), "old contents");
    }
    EXPECT_EQ(ReadBytes(path), "new");

    CTextFile unwritable;
    EXPECT_FALSE(unwritable.Open(env_.Path("no/such/folder/x.txt"), CTextFile::Mode::Write));
    EXPECT_FALSE(unwritable.Open(env_.Path("missing.txt"), CTextFile::Mode::Read));
}

TEST_F(TextFileTest, Md5DigestOfFileBytes) {
    EXPECT_EQ(Md5FileDigest(WriteBytes("abc")), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Md5FileDigest(env_.Path("missing")), "");
}

} // namespace
