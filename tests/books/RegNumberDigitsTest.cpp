// Digit copies of the certificates' registration numbers.
#include "books/RegNumberDigits.h"
#include "core/AppState.h"
#include "core/DataAccess.h"
#include "newdb/NewDatabase.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class RegNumberDigitsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        core::resetState();
        ASSERT_TRUE(newdb::CreateNewDatabase(folder.file(QStringLiteral("qv.db")), true));
        // Counts the rows the pass writes.
        core::db().execute(QStringLiteral("CREATE TABLE written (id INTEGER)"));
        core::db().execute(QStringLiteral("CREATE TRIGGER count_written AFTER UPDATE ON SPSTUD "
                                          "BEGIN INSERT INTO written VALUES (NEW.ID); END"));
    }
    void TearDown() override { core::CloseDatabase(); }

    static qlonglong addPerson(const QVariant& number, const QVariant& copy)
    {
        core::db().execute(QStringLiteral("INSERT INTO SPSTUD (FAM, REGNOMMED, regnommedf) VALUES (?, ?, ?)"),
                           {QStringLiteral("Иванова"), number, copy});
        return core::db().lastInsertKey();
    }
    static QVariant copyOf(qlonglong id)
    {
        return core::db().scalar(QStringLiteral("SELECT regnommedf FROM SPSTUD WHERE ID = ?"), {id});
    }
    static long written() { return core::CountRecords(QStringLiteral("SELECT id FROM written")); }

    testsupport::TempFolder folder;
};

TEST_F(RegNumberDigitsTest, CopiesTheDigitsOfEveryNumber)
{
    struct Case {
        QVariant number;
        QVariant copyBefore;
        QVariant copyAfter;  // invalid: Null
        bool written;
    };
    const Case cases[] = {
        {QStringLiteral("№ 123"), QVariant(), QStringLiteral("123"), true},
        {QStringLiteral("007-А"), QStringLiteral("7"), QStringLiteral("007"), true},  // leading zeros stay
        {QStringLiteral("12 34-5"), QStringLiteral("12345"), QStringLiteral("12345"), false},
        {QStringLiteral("АБВ"), QStringLiteral("5"), QVariant(), true},  // no digits: the old copy goes
        {QVariant(), QStringLiteral("5"), QVariant(), true},             // number cleared
        {QVariant(), QVariant(), QVariant(), false},
    };
    std::vector<qlonglong> ids;
    for (const Case& c : cases)
        ids.push_back(addPerson(c.number, c.copyBefore));

    books::UpdateRegNumberDigits();

    long expectedWrites = 0;
    for (size_t i = 0; i < ids.size(); ++i) {
        const QVariant copy = copyOf(ids[i]);
        EXPECT_EQ(jet::isNull(copy), !cases[i].copyAfter.isValid()) << i;
        EXPECT_EQ(jet::toText(copy), cases[i].copyAfter.toString()) << i;
        expectedWrites += cases[i].written ? 1 : 0;
    }
    EXPECT_EQ(written(), expectedWrites);

    // A second pass finds nothing to write.
    books::UpdateRegNumberDigits();
    EXPECT_EQ(written(), expectedWrites);
}

TEST_F(RegNumberDigitsTest, EmptyTableAndNoDatabase)
{
    books::UpdateRegNumberDigits();
    EXPECT_EQ(written(), 0);
    core::CloseDatabase();
    EXPECT_NO_THROW(books::UpdateRegNumberDigits());
}

} // namespace
