#include "CardTestSupport.h"

#include "support/SampleDatabase.h"

#include <QTest>

namespace cardtest {

void CardTest::SetUp()
{
    core::resetState();
    testsupport::clearSettings();
    core::shellServices() = {};
    core::AppState& s = core::state();
    s.ComboTypeAhead = true;
    s.AppPath = folder_.path();
    const QString file = folder_.file(QStringLiteral("qv.db"));
    ASSERT_TRUE(testsupport::copySampleDatabase(file));
    s.MainDatabase = jet::Database::open(file);
}

void CardTest::TearDown()
{
    core::CloseDatabase();
    ui::setDialogHandler({});
}

std::unique_ptr<card::frmSD1> CardTest::openCard(int kind, long rowId, bool copy, int docKind, long groupId)
{
    core::AppState& s = core::state();
    s.CurrentKind = kind;
    s.CurrentRowId = rowId;
    s.RowIsCopy = copy;
    s.CurrentDocKind = docKind;
    s.CurrentGroupId = groupId;
    return std::make_unique<card::frmSD1>();
}

void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

void pressKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(widget, Qt::Key(key), modifiers);
}

void chooseEntry(QComboBox* combo, const QString& text)
{
    const int index = combo->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    combo->setCurrentIndex(index);
    Q_EMIT combo->activated(index);
}

void showCard(card::frmSD1& card)
{
    card.show();
    QApplication::setActiveWindow(&card);
    card.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&card, 1000));
    QApplication::processEvents();
}

} // namespace cardtest
