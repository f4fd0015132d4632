// Both books over the database that a new file gets with its sample rows.
#include "books/frmPFM.h"
#include "core/AppState.h"
#include "core/DataAccess.h"
#include "core/ListView.h"
#include "newdb/NewDatabase.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <gtest/gtest.h>

namespace {

class SampleBookTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        core::resetState();
        testsupport::clearSettings();
        ASSERT_TRUE(newdb::CreateNewDatabase(folder.file(QStringLiteral("qv.db")), false));
    }
    void TearDown() override { core::CloseDatabase(); }
    testsupport::TempFolder folder;
};

TEST_F(SampleBookTest, CertificateBookListsItsHolder)
{
    books::frmPFM book(core::SpecialistCertificates);
    EXPECT_EQ(book.Cm1()->currentText(), QStringLiteral("Б 31"));
    const core::ReportList* list = book.List();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->columnCount(), 14);
    const core::ListItem item = list->topLevelItem(0);
    EXPECT_EQ(item->text(1), QStringLiteral("Б 31"));
    EXPECT_EQ(item->text(2), QStringLiteral("11111234"));
    EXPECT_EQ(item->text(3), QStringLiteral("1123457819123"));
    EXPECT_EQ(item->text(4), QStringLiteral("Веснина"));
    EXPECT_EQ(item->text(8), QStringLiteral("28.06.2014"));
    EXPECT_FALSE(item->text(7).trimmed().isEmpty());  // the group's medical specialty
}

TEST_F(SampleBookTest, RetrainingBookShowsTheRetrainingGrades)
{
    books::frmPFM book(core::RetrainingDocuments);
    EXPECT_EQ(book.Cm1()->currentText(), QStringLiteral("П 31"));
    const core::ReportList* list = book.List();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(4), QStringLiteral("Крылова"));
    EXPECT_EQ(list->topLevelItem(0)->text(2), QStringLiteral("1"));
    ASSERT_GT(book.gradeCount(), 0);
    // One column per discipline and hours, each with her grade.
    const long headings = core::CountRecords(QStringLiteral(
        "SELECT DISTINCT EXAM.IDD, EXAM.CH FROM EXAM INNER JOIN SPBALL ON EXAM.IDB = SPBALL.IDB "
        "WHERE EXAM.ID = 4 AND EXAM.VidDokum = 1"));
    EXPECT_EQ(book.gradeCount(), headings);
    for (int j = 0; j < book.gradeCount(); ++j) {
        const int c = book.nper() + j;
        EXPECT_TRUE(list->headerItem()->text(c).endsWith(QLatin1Char(')'))) << c;
        EXPECT_FALSE(list->topLevelItem(0)->text(c).trimmed().isEmpty()) << c;
    }
}

} // namespace
