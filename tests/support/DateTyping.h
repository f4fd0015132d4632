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
    *os << (c.paste ? "paste " : "type ") << c.keys;
}

// Every field starts at 01.01.2023, a year without 29 February.
inline QDate dateTypingStart()
{
    return QDate(2023, 1, 1);
}

inline const DateTyping kDateTypings[] = {
    {"15.03.2015", false, QDate(2015, 3, 15), nullptr},
    {"15032015", false, QDate(2015, 3, 15), nullptr},
    {"5.3.2015", false, QDate(2015, 3, 5), nullptr},
    {"30.06.2014", false, QDate(2014, 6, 30), nullptr},
    {"1.11.2014", false, QDate(2014, 11, 1), nullptr},
    {"15,03,2015", false, QDate(2015, 3, 15), nullptr},
    {"29.02.2024", false, QDate(2024, 2, 29), nullptr},  // the day waits for its year
    {"29022024", false, QDate(2024, 2, 29), nullptr},
    {"31.02.2014", false, QDate(), "Даты 31.02.2023 не существует. Проверьте число и месяц."},
    {"29.02.2015", false, QDate(), "Даты 29.02.2015 не существует. Проверьте число и месяц."},
    {"15.03.2015", true, QDate(2015, 3, 15), nullptr},
    {"31.02.2014", true, QDate(), "Даты 31.02.2014 не существует. Проверьте число и месяц."},
    {"на днях", true, QDate(), nullptr},
};

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
