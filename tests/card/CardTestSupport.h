#pragma once
// A working database with the sample data for every card test (made once,
// copied for each test), the card parameters, and small drivers for the
// card's inputs.
#include "support/TestSupport.h"
#include "card/RecordCard.h"
#include "core/ChildWindows.h"
#include "card/frmSD1.h"
#include "core/AppState.h"
#include "core/DataAccess.h"
#include "newdb/NewDatabase.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <memory>

namespace cardtest {

// Keys of the sample data.
inline constexpr long kGroupB31 = 1;    // "Б 31": medical specialty, no retraining period
inline constexpr long kGroupZ41 = 2;    // "З 41"
inline constexpr long kGroupP31 = 5;    // "П 31": retraining period set
inline constexpr long kVesnina = 1;     // person of "Б 31" with a certificate

class CardTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens a card as a directory window would. docKind -1 is the students
    // window's certificate layout.
    std::unique_ptr<card::frmSD1> openCard(int kind, long rowId = 0, bool copy = false, int docKind = -1,
                                           long groupId = 0);

    jet::Database& db() { return core::db(); }
    QVariant value(const QString& sql, const QVariantList& params = {}) { return db().scalar(sql, params); }
    long count(const QString& table) { return long(jet::toLong(value("SELECT count(*) FROM " + table))); }
    long maxKey(const QString& table, const QString& key)
    {
        return long(jet::toLong(value("SELECT max(" + key + ") FROM " + table)));
    }

    testsupport::TempFolder folder_;
    testsupport::MessageRecorder messages_;
};

// Types a text into a widget one key event per character (QTest::keyClicks
// refuses Cyrillic).
void typeText(QWidget* widget, const QString& text);
// One key press (and release) with modifiers, sent to `widget`.
void pressKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Chooses the entry whose text is `text` as a user would.
void chooseEntry(QComboBox* combo, const QString& text);
// Shows the card and makes it the active window.
void showCard(card::frmSD1& card);

} // namespace cardtest
