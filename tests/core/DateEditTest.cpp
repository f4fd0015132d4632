// The date editor judges a typed date as a whole: the month or year it
// showed before does not cut the typed day short.
#include "core/DateEdit.h"
#include "core/PrintQtValues.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class DateEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        edit.setDate(QDate(2023, 2, 15));
        edit.resize(160, 28);
        edit.show();
        QApplication::setActiveWindow(&edit);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
        edit.setFocus();
        QApplication::processEvents();
    }

    testsupport::MessageRecorder messages;
    core::DateEdit edit;
};

TEST_F(DateEditTest, TypedDateIsJudgedAsAWhole)
{
    const struct {
        const char* keys;
        QDate expected;
    } cases[] = {
        {"31032015", QDate(2015, 3, 31)},  // 31 while February is shown
        {"31.12.1999", QDate(1999, 12, 31)},
        {"7", QDate(2023, 2, 7)},            // the rest kept when the field is left
        {"1.3", QDate(2023, 3, 1)},
        {"20.03.15", QDate(2023, 2, 15)},    // a year of two digits is no year of the field
        {"15.13.2015", QDate(2023, 2, 15)},  // nor is month 13
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        edit.setDate(QDate(2023, 2, 15));
        edit.setFocus();
        QTest::keyClicks(&edit, QString::fromLatin1(c.keys));
        edit.clearFocus();
        QApplication::processEvents();
        EXPECT_EQ(edit.date(), c.expected);
        EXPECT_EQ(edit.text(), c.expected.toString(QStringLiteral("dd.MM.yyyy")));
    }
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(DateEditTest, EscapeAndBackspaceWhileTyping)
{
    QTest::keyClicks(&edit, QStringLiteral("2"));
    EXPECT_EQ(edit.text(), QStringLiteral("2.02.2023"));
    QTest::keyClick(&edit, Qt::Key_Escape);
    EXPECT_EQ(edit.text(), QStringLiteral("15.02.2023"));
    EXPECT_EQ(edit.date(), QDate(2023, 2, 15));

    edit.clearFocus();
    edit.setFocus();
    QTest::keyClicks(&edit, QStringLiteral("18"));
    QTest::keyClick(&edit, Qt::Key_Backspace);  // back into the day
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClicks(&edit, QStringLiteral("3.4.2016"));
    EXPECT_EQ(edit.date(), QDate(2016, 4, 3));
}

TEST_F(DateEditTest, EnterOnADateThatDoesNotExistKeepsTheEditorsDate)
{
    QTest::keyClicks(&edit, QStringLiteral("2902"));  // waits for its year
    EXPECT_EQ(messages.count(), 0);
    QTest::keyClick(&edit, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Даты 29.02.2023 не существует. Проверьте число и месяц.")});
    EXPECT_EQ(edit.date(), QDate(2023, 2, 15));
    EXPECT_EQ(edit.text(), QStringLiteral("15.02.2023"));
}

TEST_F(DateEditTest, ArrowsStillStepTheDate)
{
    edit.setSelectedSection(QDateTimeEdit::DaySection);
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.date(), QDate(2023, 2, 16));
}

} // namespace
