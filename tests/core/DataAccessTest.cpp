// The small helpers through which the windows reach the working database.
#include "core/AppState.h"
#include "core/DataAccess.h"
#include "core/DatabaseSetup.h"
#include "platform/jet/Jet.h"
#include "PrintQtValues.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace core;
using testsupport::MessageRecorder;
using testsupport::TempFolder;

namespace {

class DataAccessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MessageRecorder quiet;
        ASSERT_TRUE(OpenAndCheckDatabase(path, true));
        ASSERT_TRUE(OpenAndCheckDatabase(path, false));
        state().MainDatabase = jet::Database::open(path);
    }
    void TearDown() override { CloseDatabase(); }

    // Grade lines of one person with the given orders (0 for an empty order).
    void gradeLines(long person, std::initializer_list<int> orders)
    {
        for (int sort : orders)
            db().execute("INSERT INTO EXAM (ID, SORT) VALUES (?, ?)",
                         {qlonglong(person), sort ? QVariant(sort) : QVariant()});
    }
    QVariantList orders(const QString& sql, const QVariantList& params)
    {
        QVariantList out;
        auto rs = db().openRecordset(sql, jet::dbOpenSnapshot, params);
        for (; !rs->isEOF(); rs->moveNext())
            out << rs->value(0);
        return out;
    }

    TempFolder folder;
    QString path = folder.file(QStringLiteral("qv.db"));
};

TEST_F(DataAccessTest, LookupFieldValueTellsNullFromNoRow)
{
    db().execute("INSERT INTO SPOTD (NAIM) VALUES (?)", {QStringLiteral("ООО \"Знак\" д'Арк")});

    const QVariant name = LookupFieldValue("SELECT * FROM SPOTD WHERE NAIM = ?", "naim", {QStringLiteral("ООО \"Знак\" д'Арк")});
    EXPECT_EQ(name.toString(), QStringLiteral("ООО \"Знак\" д'Арк"));

    const QVariant empty = LookupFieldValue("SELECT * FROM SPOTD", "KVAL");
    EXPECT_TRUE(jet::isNull(empty));

    const QVariant key = LookupFieldValue("SELECT * FROM SPTPGR ORDER BY IDT", "IDT");
    EXPECT_EQ(jet::toLong(key), 1);

    for (const auto& [sql, field] : std::vector<std::pair<QString, QString>>{
             {"SELECT * FROM SPOTD WHERE IDO = 999", "NAIM"},  // no row
             {"SELECT * FROM SPOTD", "NAIMM"},                 // misspelt field
             {"SELECT * FROM НЕТ_ТАКОЙ", "NAIM"},              // no table
         }) {
        const QVariant v = LookupFieldValue(sql, field);
        EXPECT_FALSE(jet::isNull(v)) << sql.toStdString();
        EXPECT_EQ(v.typeId(), QMetaType::QString);
        EXPECT_EQ(v.toString(), QString());
    }
}

TEST_F(DataAccessTest, CountRecordsGivesZeroForNothingAndForFailures)
{
    EXPECT_EQ(CountRecords("SELECT * FROM SPMED"), 140);
    EXPECT_EQ(CountRecords("SELECT * FROM SPMED WHERE LEVEL2 = ?", {2}), 35);
    EXPECT_EQ(CountRecords("SELECT * FROM SPMED WHERE NAIM = ?", {QStringLiteral("детская ЭНДОКРИНОЛОГИЯ")}), 2);
    EXPECT_EQ(CountRecords("SELECT * FROM EXAM"), 0);
    EXPECT_EQ(CountRecords("SELEKT что-то"), 0);
}

TEST_F(DataAccessTest, KeyFieldOfTable)
{
    EXPECT_EQ(KeyFieldOfTable("exam"), QStringLiteral("ID"));
    EXPECT_EQ(KeyFieldOfTable("SpMed"), QStringLiteral("IDM"));
    EXPECT_EQ(KeyFieldOfTable("INF"), QStringLiteral("IDLU"));
    EXPECT_EQ(KeyFieldOfTable("SPNAGR2"), QString());
}

TEST_F(DataAccessTest, ShiftSortOrderMakesRoomAfterAPosition)
{
    struct Case {
        int position;
        bool moved;
        QVariantList after;
    };
    const Case cases[] = {
        {5, true, {3, 5, 7, 10}},
        {9, false, {3, 5, 6, 9}},
        {0, true, {4, 6, 7, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        db().execute("DELETE FROM EXAM");
        gradeLines(7, {3, 5, 6, 9, 0});
        gradeLines(8, {6, 9});
        EXPECT_EQ(ShiftSortOrder(c.position, 7, "exam"), c.moved);
        QVariantList expected = c.after;
        expected << QVariant();  // an empty order is never moved
        EXPECT_EQ(orders("SELECT SORT FROM EXAM WHERE ID = ? ORDER BY IDE", {7}), expected);
        EXPECT_EQ(orders("SELECT SORT FROM EXAM WHERE ID = ? ORDER BY IDE", {8}), (QVariantList{6, 9}));
    }
}

TEST_F(DataAccessTest, ShiftSortOrderTellsGradeLinesByTheExactName)
{
    db().execute("INSERT INTO SPNAGR (IDG, SORT) VALUES (?, ?)", {3, 4});
    db().execute("INSERT INTO SPNAGR (IDG, SORT) VALUES (?, ?)", {4, 4});
    gradeLines(3, {4});

    EXPECT_TRUE(ShiftSortOrder(1, 3, "spnagr"));
    EXPECT_EQ(orders("SELECT SORT FROM SPNAGR ORDER BY IDN", {}), (QVariantList{5, 4}));

    // "EXAM" is not "exam": it is taken for plan lines, which EXAM has not.
    MessageRecorder messages;
    EXPECT_FALSE(ShiftSortOrder(1, 3, "EXAM"));
    EXPECT_FALSE(ShiftSortOrder(1, 3, "SPNAGR; DROP TABLE INF"));
    EXPECT_EQ(messages.count(), 0);
    EXPECT_EQ(orders("SELECT SORT FROM EXAM", {}), (QVariantList{4}));
    EXPECT_TRUE(db().hasTable("INF"));
}

TEST_F(DataAccessTest, ShiftSortOrderMovesAllLinesOrNone)
{
    gradeLines(7, {3, 5, 6, 9});
    // The line with order 9 cannot be changed.
    db().execute("CREATE TRIGGER EXAM_KEEP BEFORE UPDATE ON EXAM WHEN OLD.SORT = 9 "
                 "BEGIN SELECT RAISE(ABORT, 'строка защищена'); END");
    MessageRecorder messages;
    EXPECT_FALSE(ShiftSortOrder(5, 7, "exam"));
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.messages()[0].text.startsWith(QStringLiteral("Не удалось добавить строку. Ошибка: ")));
    EXPECT_TRUE(messages.messages()[0].text.contains(QStringLiteral("строка защищена")));
    EXPECT_EQ(messages.messages()[0].icon(), ui::Exclamation);
    EXPECT_EQ(orders("SELECT SORT FROM EXAM ORDER BY IDE", {}), (QVariantList{3, 5, 6, 9}));
}

TEST_F(DataAccessTest, FillMissingDocKindSetsOnlyEmptyKinds)
{
    db().execute("INSERT INTO EXAM (ID, VidDokum) VALUES (1, NULL), (1, 2), (2, NULL), (2, 3)");
    FillMissingDocKind();
    EXPECT_EQ(orders("SELECT VidDokum FROM EXAM ORDER BY IDE", {}), (QVariantList{0, 2, 0, 3}));
}

TEST_F(DataAccessTest, ClosingLeavesNothingOpen)
{
    auto rs = db().openRecordset("SPMED");
    CloseRecordset(rs);
    EXPECT_EQ(rs, nullptr);
    CloseRecordset(rs);  // a second close is harmless

    CloseDatabase();
    EXPECT_EQ(state().MainDatabase, nullptr);
    CloseDatabase();
    // The file is free again for an exclusive open; the helpers fail quietly.
    EXPECT_NO_THROW(jet::Database::open(path));
    EXPECT_EQ(CountRecords("SELECT * FROM SPMED"), 0);
    EXPECT_EQ(LookupFieldValue("SELECT * FROM SPMED", "NAIM").toString(), QString());
    EXPECT_FALSE(ShiftSortOrder(1, 1, "exam"));
}

} // namespace
