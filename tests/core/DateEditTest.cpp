// The date editor judges a typed date as a whole: the month or year it
// showed before does not cut the typed day short.
#include "core/DateEdit.h"
#include "core/PrintQtValues.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>
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
        const char* message;  // or null for none
    } cases[] = {
        {"31032015", QDate(2015, 3, 31), nullptr},  // 31 while February is shown
        {"31.12.1999", QDate(1999, 12, 31), nullptr},
        {"7", QDate(2023, 2, 7), nullptr},  // the rest kept when the field is left
        {"1.3", QDate(2023, 3, 1), nullptr},
        {"20.03.15", QDate(2015, 3, 20), nullptr},  // a year of two digits
        {"3104", QDate(2023, 2, 15), "Даты 31.04.2023 не существует. Проверьте число и месяц."},
        {"15.13.2015", QDate(2023, 2, 15), "Даты 15.13.2015 не существует. Проверьте число и месяц."},
        {"1\b", QDate(2023, 2, 15), nullptr},  // every digit typed erased again
        {"15.02.12\b\b", QDate(2023, 2, 15),
         "Дата 15.02. введена не полностью. Укажите число, месяц и год (год — четырьмя или двумя цифрами)."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        messages.clear();
        edit.setDate(QDate(2023, 2, 15));
        edit.setFocus();
        QTest::keyClicks(&edit, QString::fromLatin1(c.keys));
        edit.clearFocus();
        QApplication::processEvents();
        EXPECT_EQ(edit.date(), c.expected);
        EXPECT_EQ(edit.text(), c.expected.toString(QStringLiteral("dd.MM.yyyy")));
        EXPECT_EQ(messages.texts(), c.message ? QStringList{QString::fromUtf8(c.message)} : QStringList());
    }
}

// A year of two digits is read in the century that puts it within the 100
// years from 90 before the current year to 9 after it.
TEST(DateReadingTest, TwoDigitYearsTakeTheirNearestCentury)
{
    const struct {
        int twoDigits;
        int currentYear;
        int year;
    } cases[] = {
        {15, 2026, 2015}, {24, 2026, 2024}, {85, 2026, 1985}, {99, 2026, 1999}, {0, 2026, 2000},
        {35, 2026, 2035}, {36, 2026, 1936}, {45, 2026, 1945}, {10, 2001, 2010}, {11, 2001, 1911},
        {0, 2090, 2000}, {99, 2090, 2099}, {5, 2097, 2105},
    };
    for (const auto& c : cases)
        EXPECT_EQ(core::fullYear(c.twoDigits, c.currentYear), c.year) << c.twoDigits << " in " << c.currentYear;
}

TEST(DateReadingTest, ReadsEveryFormOrSaysWhyNot)
{
    const QString none;
    const struct {
        const char* text;
        QDate date;
        const char* refusal;  // the date the message names, or null
        bool incomplete;
    } cases[] = {
        {"15.03.2015", QDate(2015, 3, 15), nullptr, false},
        {" 5.3.2015 ", QDate(2015, 3, 5), nullptr, false},
        {"15,03,2015", QDate(2015, 3, 15), nullptr, false},
        {"15/03/15", QDate(2015, 3, 15), nullptr, false},
        {"15032015", QDate(2015, 3, 15), nullptr, false},
        {"150315", QDate(2015, 3, 15), nullptr, false},
        {"2015-03-15", QDate(2015, 3, 15), nullptr, false},
        {"29.02.24", QDate(2024, 2, 29), nullptr, false},
        {"29.02.25", QDate(), "29.02.2025", false},
        {"2015-02-31", QDate(), "31.02.2015", false},
        {"0.0.0", QDate(), "0.0.0", true},
        {"1.3.", QDate(), "1.3.", true},
        {"111.3.2015", QDate(), "111.3.2015", true},
        {"1.3.20155", QDate(), "1.3.20155", true},
        {"", QDate(), nullptr, false},
        {"на днях", QDate(), nullptr, false},
        {"15.03", QDate(), nullptr, false},
        {"1503", QDate(), nullptr, false},
        {"15.03.2015 10:00", QDate(), nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const core::DateReading r = core::readDate(QString::fromUtf8(c.text), 2026);
        EXPECT_EQ(r.date, c.date);
        const QString named = QString::fromUtf8(c.refusal);
        EXPECT_EQ(r.refusal, !c.refusal     ? none
                             : c.incomplete ? core::incompleteDateMessage(named)
                                            : core::missingDateMessage(named));
    }
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

// The context menu's paste reads the clipboard as Ctrl+V does.
TEST_F(DateEditTest, TheContextMenuPastesADateAsCtrlVDoes)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("15.03.2015 г."));
    bool pasted = false;
    QTimer::singleShot(50, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        const QString paste = QCoreApplication::translate("QLineEdit", "&Paste");
        for (QAction* action : menu->actions()) {
            if (action->text().startsWith(paste)) {
                action->trigger();
                pasted = true;
            }
        }
        menu->close();
    });
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), edit.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&edit, &click);
    ASSERT_TRUE(pasted);
    EXPECT_EQ(edit.date(), QDate(2015, 3, 15));
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(DateEditTest, ArrowsStillStepTheDate)
{
    edit.setSelectedSection(QDateTimeEdit::DaySection);
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.date(), QDate(2023, 2, 16));
}

} // namespace
