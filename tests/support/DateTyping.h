#pragma once
// What a user types or pastes into a date field, and what the field must
// then hold: the same table serves every kind of date field.
#include "core/PrintQtValues.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QDateEdit>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <ostream>

namespace testsupport {

struct DateTyping {
    const char* keys;
    bool paste;          // pasted from the clipboard instead of typed
    QDate expected;      // an invalid date: the field keeps the date it had
    const char* message; // the message expected, or null for none
};

inline void PrintTo(const DateTyping& c, std::ostream* os)
{
    *os << (c.paste ? "paste " : "type ");
    for (const char* k = c.keys; *k; ++k)
        *os << (*k == '\t' ? "<Tab>" : *k == '\b' ? "<Backspace>" : std::string(1, *k));
}

// Every field starts at 01.01.2023, a year without 29 February.
inline QDate dateTypingStart()
{
    return QDate(2023, 1, 1);
}

#define KALVETA_NO_DATE(text) "Даты " text " не существует. Проверьте число и месяц."
#define KALVETA_PART_DATE(text) \
    "Дата " text " введена не полностью. Укажите число, месяц и год (год — четырьмя или двумя цифрами)."

// "\t" is the Tab key, which ends the typing as leaving the field does; "\b"
// is Backspace.
inline const DateTyping kDateTypings[] = {
    {"15.03.2015", false, QDate(2015, 3, 15), nullptr},
    {"15032015", false, QDate(2015, 3, 15), nullptr},
    {"5.3.2015", false, QDate(2015, 3, 5), nullptr},
    {"30.06.2014", false, QDate(2014, 6, 30), nullptr},
    {"1.11.2014", false, QDate(2014, 11, 1), nullptr},
    {"15,03,2015", false, QDate(2015, 3, 15), nullptr},
    {"29.02.2024", false, QDate(2024, 2, 29), nullptr},  // the day waits for its year
    {"29022024", false, QDate(2024, 2, 29), nullptr},
    {"31.02.2014", false, QDate(), KALVETA_NO_DATE("31.02.2014")},  // the year typed, not the field's
    {"31042015", false, QDate(), KALVETA_NO_DATE("31.04.2015")},
    {"29.02.2015", false, QDate(), KALVETA_NO_DATE("29.02.2015")},
    {"15.03.2015", true, QDate(2015, 3, 15), nullptr},
    {"31.02.2014", true, QDate(), KALVETA_NO_DATE("31.02.2014")},
    {"на днях", true, QDate(), nullptr},
    // A pasted text with more than the date is read as its keys would be typed.
    {"15.03.2015 г.", true, QDate(2015, 3, 15), nullptr},
    {"Дата выдачи: 5.3.2015", true, QDate(2015, 3, 5), nullptr},
    {"15.03.2015 10:30", true, QDate(2015, 3, 15), nullptr},
    {"31.02.2014 г.", true, QDate(), KALVETA_NO_DATE("31.02.2014")},
    // A year of two digits, typed or pasted, is read in its nearest century.
    {"01.03.15\t", false, QDate(2015, 3, 1), nullptr},
    {"02.04.16\t", false, QDate(2016, 4, 2), nullptr},
    {"16.04.20\t", false, QDate(2020, 4, 16), nullptr},
    {"160420\t", false, QDate(2020, 4, 16), nullptr},
    {"7.6.85\t", false, QDate(1985, 6, 7), nullptr},
    {"01.03.15", true, QDate(2015, 3, 1), nullptr},
    {"16.04.20", true, QDate(2020, 4, 16), nullptr},
    {"31.12.99", true, QDate(1999, 12, 31), nullptr},
    {"31.04.15\t", false, QDate(), KALVETA_NO_DATE("31.04.2015")},
    {"31.04.15", true, QDate(), KALVETA_NO_DATE("31.04.2015")},
    // A year typed again after Backspace.
    {"01.03.2015\b6", false, QDate(2016, 3, 1), nullptr},
    {"01.03.15\b\b16\t", false, QDate(2016, 3, 1), nullptr},
    {"01.03.2015\b\b\b\b\b5.16\t", false, QDate(2016, 5, 1), nullptr},  // back into the month
    // Nothing typed is dropped without a word.
    {"00.00.0000", false, QDate(), KALVETA_NO_DATE("00.00.0000")},
    {"00.00.0000", true, QDate(), KALVETA_NO_DATE("00.00.0000")},
    {"15.13.2015", false, QDate(), KALVETA_NO_DATE("15.13.2015")},
    {"01.03.201\t", false, QDate(), KALVETA_PART_DATE("01.03.201")},
    {"01.03.201", true, QDate(), KALVETA_PART_DATE("01.03.201")},
    {"01.03.2\t", false, QDate(), KALVETA_PART_DATE("01.03.2")},
};

#undef KALVETA_NO_DATE
#undef KALVETA_PART_DATE

// A click at the start of the field's text, then the keys (or Ctrl+V with
// the case's text on the clipboard), as a user would.
inline void typeDate(QDateEdit* edit, const DateTyping& c)
{
    QLineEdit* text = edit->findChild<QLineEdit*>();
    QTest::mouseClick(text, Qt::LeftButton, Qt::NoModifier, QPoint(3, text->height() / 2));
    if (c.paste) {
        QGuiApplication::clipboard()->setText(QString::fromUtf8(c.keys));
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    } else {
        QTest::keyClicks(edit, QString::fromUtf8(c.keys));
    }
    QApplication::processEvents();
}

// The field after the case: the date expected (or the start date), the
// message expected (or none).
inline void expectTyped(const QDateEdit* edit, const DateTyping& c, const MessageRecorder& messages)
{
    const QDate shown = c.expected.isValid() ? c.expected : dateTypingStart();
    EXPECT_EQ(edit->date(), shown);
    EXPECT_EQ(edit->text(), shown.toString(QStringLiteral("dd.MM.yyyy")));
    if (c.message)
        EXPECT_EQ(messages.texts(), QStringList{QString::fromUtf8(c.message)});
    else
        EXPECT_EQ(messages.count(), 0) << messages.texts().join(QLatin1Char('|')).toStdString();
}

} // namespace testsupport
