// Tests of the database access layer.

#include "store/AdoException.h"
#include "store/AdoRecordset.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"
#include "text/MarkupText.h"

#include <gtest/gtest.h>

namespace {

class AccessLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = env_.Path("a.qpdb");
        CAdoConnection engine;
        CAdoRecordset create;
        ASSERT_EQ(engine.Open(QString()), 0);
        ASSERT_TRUE(
            create.Open("CREATE DATABASE '" + path_ + "'", engine, CAdoRecordset::Mode::Write));
        ASSERT_EQ(db_.Open(path_), 0);
        ASSERT_TRUE(db_.Execute("CREATE TABLE T(ID int,Name varchar(50),Num smallint,"
                                "Made datetime,Body text)"));
    }

    int ThrownCode(const std::function<void()>& read) {
        try {
            read();
        } catch (const CAdoException& e) {
            return e.Code();
        }
        return 0;
    }

    TestEnvironment env_;
    QString path_;
    CAdoConnection db_;
};

TEST_F(AccessLayerTest, NullReadsGiveEmptyValues) {
    ASSERT_TRUE(db_.Execute("Insert Into T(ID) Values(1)"));
    CAdoRecordset rows;
    ASSERT_TRUE(
        rows.Open("select ID,Name,Num,Made From T where ID = 1", db_, CAdoRecordset::Mode::Read));
    ASSERT_FALSE(rows.IsEOF());
    EXPECT_EQ(rows.Field("Name").GetString(), "");
    EXPECT_EQ(rows.Field("Num").GetLong(), 0);
    EXPECT_EQ(rows.Field("Num").GetShort(), 0);
    EXPECT_FALSE(rows.Field("Num").GetBool());
    EXPECT_FALSE(rows.Field("Made").GetDate().isValid());
}

TEST_F(AccessLayerTest, ConversionsThatCannotHoldThrow) {
    ASSERT_TRUE(db_.Execute("Insert Into T(ID,Name,Num) Values(1,'abc',7)"));
    ASSERT_TRUE(db_.Execute("Insert Into T(ID,Name,Made) Values(2,'2005-01-03 10:30:00',"
                            "'01/03/2005 10:30')"));
    ASSERT_TRUE(db_.Execute("Insert Into T(ID,Name) Values(3,'99999')"));
    CAdoRecordset rows;
    ASSERT_TRUE(
        rows.Open("Select ID,Name,Num,Made From T Order By ID", db_, CAdoRecordset::Mode::Read));
    EXPECT_EQ(ThrownCode([&] { rows.Field("Name").GetLong(); }), -11);
    EXPECT_EQ(ThrownCode([&] { rows.Field("Name").GetDate(); }), -11);
    EXPECT_EQ(ThrownCode([&] { rows.Field("Num").GetDate(); }), -11);
    EXPECT_EQ(rows.Field("Num").GetString(), "7");
    ASSERT_TRUE(rows.MoveNext());
    // Text that looks like a date is still no date outside a datetime column.
    EXPECT_EQ(ThrownCode([&] { rows.Field("Name").GetDate(); }), -11);
    // A date literal written by a statement reads back as a date.
    EXPECT_EQ(rows.Field("Made").GetDate(), QDateTime(QDate(2005, 1, 3), QTime(10, 30), Qt::UTC));
    ASSERT_TRUE(rows.MoveNext());
    EXPECT_EQ(rows.Field("Name").GetLong(), 99999);
    EXPECT_EQ(ThrownCode([&] { rows.Field("Name").GetShort(); }), -11);
    EXPECT_EQ(ThrownCode([&] { rows.Field("Missing"); }), -16);
    EXPECT_EQ(ThrownCode([&] { rows.Field(9); }), -16);
}

TEST_F(AccessLayerTest, WriteModeAddsAndUpdatesRows) {
    CAdoRecordset insert;
    ASSERT_TRUE(insert.Open("Select ID,Name,Num,Made,Body From T Where ID = 0", db_,
                            CAdoRecordset::Mode::Write));
    EXPECT_TRUE(insert.IsEOF());
    ASSERT_TRUE(insert.AddNew());
    insert.Field(0).SetLong(5);
    insert.Field("Name").SetString("O'Brien");
    insert.Field("Num").SetBool(true);
    insert.Field("Made").SetDate(QDateTime(QDate(2006, 2, 1), QTime(8, 0), Qt::UTC));
    insert.Update();
    insert.Close();

    CAdoRecordset change;
    ASSERT_TRUE(change.Open("Select Num,Name From T Where Name = 'O''Brien'", db_,
                            CAdoRecordset::Mode::Write));
    ASSERT_FALSE(change.IsEOF());
    EXPECT_EQ(change.Field("Num").GetShort(), 1); // true is stored as 1
    change.Field("Name").SetString("Changed");
    change.Update();
    change.Close();

    CAdoRecordset check;
    ASSERT_TRUE(check.Open("Select * From T", db_, CAdoRecordset::Mode::Read));
    EXPECT_EQ(check.GetFieldCount(), 5);
    EXPECT_EQ(check.GetRecordCount(), 1);
    EXPECT_EQ(check.Field("Name").GetString(), "Changed");
    EXPECT_EQ(check.Field("Made").GetDate(), QDateTime(QDate(2006, 2, 1), QTime(8, 0), Qt::UTC));
}

TEST_F(AccessLayerTest, RefusedStatementsFailWithoutThrowing) {
    CAdoRecordset rows;
    EXPECT_FALSE(
        rows.Open("Select Name From T Where Name = 'it's'", db_, CAdoRecordset::Mode::Read));
    EXPECT_TRUE(rows.IsEOF());
    EXPECT_FALSE(db_.Execute("Insert Into Nowhere Values(1)"));
    CAdoConnection missing;
    EXPECT_EQ(missing.Open(env_.Path("none.qpdb")), -13);
    EXPECT_EQ(missing.Open(env_.WriteFile("junk.qpdb", "not a database at all, no")), -13);
    EXPECT_TRUE(CAdoConnection::IsEngineAvailable());
}

// Texts that hold a NUL, a question mark or both reach the engine as values, whatever the
// statement around them: a statement never ends at a NUL of its text. The NUL itself is stored
// as U+FFFD, like every control character no stored text may hold.
TEST_F(AccessLayerTest, EveryLiteralIsBoundWhateverItHolds) {
    const QString texts[] = {QStringLiteral("https://example.com/?p=2"),
                             QStringLiteral("Don") + QChar(u'\0') + QStringLiteral("t panic"),
                             QStringLiteral("?") + QChar(u'\0') + QStringLiteral("?"),
                             QStringLiteral("it''s ? 'quoted'")};
    int id = 0;
    for (const QString& text : texts) {
        const QString literal = u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
        ASSERT_TRUE(
            db_.Execute(QString("Insert Into T(ID,Name) Values(%1,%2)").arg(++id).arg(literal)))
            << id;
        CAdoRecordset rows;
        ASSERT_TRUE(rows.Open("Select ID,Name From T Where Name = " + literal +
                                  " And ID = " + QString::number(id),
                              db_, CAdoRecordset::Mode::Read))
            << id;
        ASSERT_FALSE(rows.IsEOF()) << id;
        EXPECT_EQ(rows.Field(1).GetString(), ReplaceForbiddenControls(text)) << id;
        EXPECT_EQ(rows.GetRecordCount(), 1) << id;
    }
}

// Only a literal compared with, or inserted into, a datetime column takes the stored date form.
TEST_F(AccessLayerTest, DateLiteralsAreRewrittenForDatetimeColumnsOnly) {
    ASSERT_TRUE(db_.Execute("Insert Into T(ID,Name,Made,Body) Values(1,'01/02/2005 10:30',"
                            "'01/02/2005 10:30','12/25/2005 10:00')"));
    ASSERT_TRUE(db_.Execute("Update T Set Body = '03/04/2006 11:00', Made = '03/04/2006 11:00' "
                            "Where Name = '01/02/2005 10:30'"));
    struct Case {
        const char* where;
        int rows;
    };
    const Case cases[] = {
        {"Name = '01/02/2005 10:30'", 1},    {"Body = '03/04/2006 11:00'", 1},
        {"Made = '03/04/2006 11:00'", 1},    {"T.Made >= '03/04/2006 11:00'", 1},
        {"Made > '03/04/2006 11:00'", 0},    {"'03/04/2006 11:00' = Made", 1},
        {"Made = '2006-03-04 11:00:00'", 1}, {"Made = '03/04/2006 11:00:00'", 0},
        {"Name = '2005-01-02 10:30:00'", 0},
    };
    for (const Case& c : cases) {
        CAdoRecordset rows;
        ASSERT_TRUE(
            rows.Open(QString("Select ID From T Where ") + c.where, db_, CAdoRecordset::Mode::Read))
            << c.where;
        EXPECT_EQ(rows.GetRecordCount(), c.rows) << c.where;
    }
    CAdoRecordset stored;
    ASSERT_TRUE(stored.Open("Select Name,Made,Body From T", db_, CAdoRecordset::Mode::Read));
    EXPECT_EQ(stored.Field(0).GetString(), "01/02/2005 10:30");
    EXPECT_EQ(stored.Field(1).GetString(), "2006-03-04 11:00:00");
    EXPECT_EQ(stored.Field(2).GetString(), "03/04/2006 11:00");
}

TEST_F(AccessLayerTest, MoveColumnKeepsRowsAndOrder) {
    ASSERT_TRUE(db_.Execute("CREATE INDEX T_PI On T(ID)"));
    for (int id : {3, 1, 2})
        ASSERT_TRUE(db_.Execute(QString("Insert Into T(ID,Name,Num) Values(%1,'n%1',%1)").arg(id)));
    ASSERT_TRUE(db_.Execute("ALTER TABLE T ADD Extra smallint"));
    ASSERT_TRUE(db_.Execute("ALTER TABLE T MOVE Extra BEFORE Num"));
    EXPECT_FALSE(db_.Execute("ALTER TABLE T MOVE Nothing BEFORE Num"));
    ASSERT_TRUE(db_.Execute("Update T Set Extra = ID + 10"));
    CAdoRecordset rows;
    ASSERT_TRUE(rows.Open("Select * From T", db_, CAdoRecordset::Mode::Read));
    // By position: ID, Name, Extra, Num, Made, Body.
    QStringList values;
    for (; !rows.IsEOF(); rows.MoveNext()) {
        QStringList row;
        for (int i = 0; i < rows.GetFieldCount(); ++i)
            row << rows.Field(i).GetString();
        values << row.join(',');
    }
    EXPECT_EQ(values, QStringList({"3,n3,13,3,,", "1,n1,11,1,,", "2,n2,12,2,,"}));
    CAdoRecordset index;
    ASSERT_TRUE(index.Open("Select name From sqlite_master Where type = 'index'", db_,
                           CAdoRecordset::Mode::Read));
    EXPECT_EQ(index.Field(0).GetString(), "T_PI");
}

} // namespace
