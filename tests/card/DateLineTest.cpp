// Typing into a date line of the card: digit by digit from wherever the
// cursor was put, and dates that do not exist.
#include "card/CardInputs.h"
#include "support/DateTyping.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class DateLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        line.resize(200, 30);
        line.setValue(QDate(2020, 1, 1));
        line.show();
        QApplication::setActiveWindow(&line);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&line));
    }

    // A click into the text at `fraction` of its width, then the keys.
    void clickAndType(double fraction, const char* keys)
    {
        QLineEdit* text = line.editor()->findChild<QLineEdit*>();
        ASSERT_NE(text, nullptr);
        QTest::mouseClick(text, Qt::LeftButton, Qt::NoModifier,
                          QPoint(int(text->width() * fraction), text->height() / 2));
        QTest::keyClicks(line.editor(), QString::fromLatin1(keys));
        QApplication::processEvents();
    }

    testsupport::MessageRecorder messages;
    card::DateLine line;
};

TEST_F(DateLineTest, DigitsTypedAfterAClickFillTheDateFromTheDay)
{
    for (double fraction : {0.05, 0.4, 0.7}) {
        SCOPED_TRACE(fraction);
        line.setValue(QDate(2020, 1, 1));
        line.box()->setFocus();
        clickAndType(fraction, "15032024");
        EXPECT_EQ(line.date(), QDate(2024, 3, 15));
        EXPECT_EQ(line.text(), QStringLiteral("15.03.2024"));
    }
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(DateLineTest, ADateThatDoesNotExistIsRefusedWithAMessage)
{
    const struct {
        const char* keys;
        const char* shown;    // the date the message names
        const char* clamped;  // what the editor alone would have made of it
    } cases[] = {{"3102", "31.02.2020", "29.02.2020"},
                 {"29022023", "29.02.2023", "28.02.2023"},
                 {"31042024", "31.04.2024", "30.04.2024"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        messages.clear();
        line.setValue(QDate(2020, 1, 1));
        line.box()->setFocus();
        clickAndType(0.05, c.keys);
        line.box()->setFocus();  // leaving the line ends the typing
        QApplication::processEvents();
        ASSERT_EQ(messages.count(), 1);
        EXPECT_EQ(messages.texts().first(),
                  QStringLiteral("Даты %1 не существует. Проверьте число и месяц.").arg(QString::fromLatin1(c.shown)));
        EXPECT_EQ(messages.messages().front().style, int(ui::Exclamation));
        EXPECT_TRUE(line.date().isValid());  // the line keeps a date that exists
        EXPECT_NE(line.text(), QString::fromLatin1(c.clamped));
    }
    // A real date goes in afterwards.
    messages.clear();
    line.setValue(QDate(2020, 1, 1));
    line.box()->setFocus();
    clickAndType(0.05, "28022023");
    EXPECT_EQ(line.date(), QDate(2023, 2, 28));
    EXPECT_EQ(messages.count(), 0);
}

// A year the line cannot hold is refused with the range it can, never
// dropped or shown as the blank date.
TEST_F(DateLineTest, ADateBeforeTheLinesRangeIsRefusedWithTheRange)
{
    line.box()->setFocus();
    clickAndType(0.05, "01.01.1700");
    line.box()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(messages.texts(),
              QStringList{QStringLiteral("Дату 01.01.1700 указать нельзя: допустимы даты с 16.09.1752 по 31.12.9999.")});
    EXPECT_EQ(line.date(), QDate(2020, 1, 1));
}

// Dates typed with dots, digits alone, pasted, and dates that do not exist.
class DateLineTypingTest : public ::testing::TestWithParam<testsupport::DateTyping> {};

TEST_P(DateLineTypingTest, TakesTheDateAsTyped)
{
    testsupport::MessageRecorder messages;
    card::DateLine line;
    line.resize(200, 30);
    line.setValue(testsupport::dateTypingStart());
    line.show();
    QApplication::setActiveWindow(&line);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&line));
    testsupport::typeDate(line.editor(), GetParam());
    line.box()->setFocus();  // leaving the line
    QApplication::processEvents();
    testsupport::expectTyped(line.editor(), GetParam(), messages);
    EXPECT_EQ(line.date(), line.editor()->date());
}

INSTANTIATE_TEST_SUITE_P(Dates, DateLineTypingTest, ::testing::ValuesIn(testsupport::kDateTypings));

} // namespace
