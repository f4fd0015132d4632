#include "newdb/RowWriter.h"

#include "support/TestSupport.h"

#include <QDate>
#include <gtest/gtest.h>

using newdb::TableRows;
using newdb::Value;

namespace {

class RowWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db = jet::Database::create(folder.file(QStringLiteral("rows.db")));
        db->execute(QStringLiteral("CREATE TABLE INF ([IDLU] COUNTER, [IDT] INTEGER, [NAIM] MEMO, [REF] INTEGER);"));
        db->execute(QStringLiteral("CREATE TABLE T ([ID] COUNTER, [NAIM] STRING(20), [N] INTEGER, [B] BIT, [D] DATETIME);"));
    }

    long count(const QString& table) { return long(jet::toLong(db->scalar("SELECT COUNT(*) FROM " + table))); }

    testsupport::TempFolder folder;
    std::unique_ptr<jet::Database> db;
    std::unique_ptr<jet::Recordset> rs;
};

constexpr const char* kFields[] = {"NAIM", "N", "B", "D"};

TEST_F(RowWriterTest, EmptyTextLeavesColumnNullWhileZeroAndDatesAreWritten)
{
    const Value values[] = {
        "", 0, 0, Value::date(2014, 6, 28),
        "второй", 7, 1, "",
    };
    newdb::writeAll(*db, std::vector<TableRows>{{"T", kFields, values}});

    auto r = db->openRecordset(QStringLiteral("T"));
    EXPECT_EQ(r->value("ID").toLongLong(), 1);
    EXPECT_TRUE(jet::isNull(r->value("NAIM")));
    EXPECT_EQ(r->value("N"), QVariant(qlonglong(0)));
    EXPECT_EQ(r->value("B"), QVariant(qlonglong(0)));  // False, not Null
    EXPECT_EQ(r->value("D").toDate(), QDate(2014, 6, 28));
    r->moveNext();
    EXPECT_EQ(r->value("ID").toLongLong(), 2);
    EXPECT_EQ(r->text("NAIM"), QStringLiteral("второй"));
    EXPECT_EQ(r->value("N").toLongLong(), 7);
    EXPECT_EQ(r->value("B").toLongLong(), -1);  // 1 is stored as True
    EXPECT_TRUE(jet::isNull(r->value("D")));
}

TEST_F(RowWriterTest, InstitutionRowIsEditedNotDuplicated)
{
    db->execute(QStringLiteral("INSERT INTO INF (IDT, NAIM) VALUES (6, 'прежнее')"));
    constexpr const char* fields[] = {"IDT", "NAIM", "REF"};
    const Value values[] = {4, "", 0};
    newdb::writeAll(*db, std::vector<TableRows>{{"INF", fields, values}});

    EXPECT_EQ(count("INF"), 1);
    auto r = db->openRecordset(QStringLiteral("INF"));
    EXPECT_EQ(r->value("IDT").toLongLong(), 4);
    EXPECT_EQ(r->text("NAIM"), QStringLiteral("прежнее"));  // an empty text keeps the stored value
    EXPECT_EQ(r->value("REF").toLongLong(), 0);
}

TEST_F(RowWriterTest, EmptyInstitutionTableReceivesANewRow)
{
    constexpr const char* fields[] = {"IDT"};
    const Value values[] = {4};
    newdb::writeAll(*db, std::vector<TableRows>{{"INF", fields, values}});
    EXPECT_EQ(count("INF"), 1);
}

TEST_F(RowWriterTest, EmptyFieldListWritesNothing)
{
    newdb::writeAll(*db, std::vector<TableRows>{{"T", {}, {}}});
    EXPECT_EQ(count("T"), 0);
}

TEST_F(RowWriterTest, ValuesThatDoNotDivideIntoRowsAreRefused)
{
    const Value values[] = {"a", 1, 0, Value::date(2014, 1, 1), "b"};
    const TableRows rows{"T", kFields, values};
    EXPECT_THROW(rows.rowCount(), jet::Error);
    EXPECT_THROW(newdb::writeAll(*db, std::vector<TableRows>{rows}), jet::Error);
    EXPECT_EQ(count("T"), 0);
}

// A failure in a later table leaves none of the earlier rows behind.
TEST_F(RowWriterTest, FailureRollsBackEveryTable)
{
    const Value good[] = {"первый", 1, 0, "", "второй", 2, 0, ""};
    constexpr const char* badFields[] = {"NAIM"};
    const Value tooLong[] = {"текст длиннее двадцати символов"};
    const std::vector<TableRows> tables{{"T", kFields, good}, {"T", badFields, tooLong}};

    try {
        newdb::writeAll(*db, tables);
        FAIL() << "no error";
    } catch (const jet::Error& e) {
        EXPECT_EQ(e.number(), jet::errFieldTooSmall);
    }
    EXPECT_EQ(count("T"), 0);
    EXPECT_EQ(db->transactionDepth(), 0);

    // The database stays usable afterwards.
    newdb::writeAll(*db, std::vector<TableRows>{{"T", kFields, good}});
    EXPECT_EQ(count("T"), 2);
}

TEST_F(RowWriterTest, UnknownColumnFailsWithItsError)
{
    constexpr const char* fields[] = {"NOSUCH"};
    const Value values[] = {"x"};
    try {
        newdb::writeAll(*db, std::vector<TableRows>{{"T", fields, values}});
        FAIL() << "no error";
    } catch (const jet::Error& e) {
        EXPECT_EQ(e.number(), jet::errItemNotFound);
    }
    EXPECT_EQ(count("T"), 0);
}

} // namespace
