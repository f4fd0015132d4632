// Type-ahead of the editable combo boxes, control-array ids and undo.
#include "core/AppState.h"
#include "core/ComboTypeAhead.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace core;

namespace {

class ComboTypeAheadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        state().ComboTypeAhead = true;
        installComboTypeAhead(&combo);
        combo.addItems({QStringLiteral("Петров"), QStringLiteral("Иванов"), QStringLiteral("Ивашкин"),
                        QStringLiteral("Иванова")});
        combo.setCurrentIndex(-1);
    }
    void TearDown() override { state().ComboTypeAhead = false; }

    // One key event per character, carrying its text.
    void type(const QString& text)
    {
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(&combo, &press);
        }
    }
    void backspace()
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
        QApplication::sendEvent(&combo, &press);
    }
    void leave()
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(&combo, &out);
    }
    QString selected() const { return combo.lineEdit()->selectedText(); }

    QComboBox combo;
};

} // namespace

TEST_F(ComboTypeAheadTest, TypingProposesFirstMatchingItemWithRestSelected)
{
    type(QStringLiteral("ив"));
    EXPECT_EQ(combo.currentText(), QStringLiteral("Иванов"));
    EXPECT_EQ(selected(), QStringLiteral("анов"));
    EXPECT_EQ(combo.currentIndex(), 1);
    type(QStringLiteral("а"));
    EXPECT_EQ(combo.currentText(), QStringLiteral("Иванов"));
    EXPECT_EQ(selected(), QStringLiteral("нов"));
    type(QStringLiteral("ш"));
    EXPECT_EQ(combo.currentText(), QStringLiteral("Ивашкин"));
    EXPECT_EQ(selected(), QStringLiteral("кин"));
    EXPECT_EQ(comboListIndex(&combo), 2);
}

TEST_F(ComboTypeAheadTest, BackspaceRemovesLastTypedCharacterWithTheProposal)
{
    type(QStringLiteral("ив"));
    backspace();
    EXPECT_EQ(combo.currentText(), QStringLiteral("Иванов"));
    EXPECT_EQ(selected(), QStringLiteral("ванов"));
    EXPECT_EQ(combo.lineEdit()->selectionStart(), 1);
}

TEST_F(ComboTypeAheadTest, WholeTextSelectedBackspaceActsAsUsual)
{
    type(QStringLiteral("п"));
    combo.lineEdit()->selectAll();
    backspace();
    EXPECT_EQ(combo.currentText(), QString());
}

TEST_F(ComboTypeAheadTest, TextWithoutMatchStaysAndLeavingClearsIt)
{
    type(QStringLiteral("ся"));
    EXPECT_EQ(combo.currentText(), QStringLiteral("ся"));
    EXPECT_EQ(comboListIndex(&combo), -1);
    leave();
    EXPECT_EQ(combo.currentText(), QString());
    EXPECT_EQ(combo.currentIndex(), -1);
}

TEST_F(ComboTypeAheadTest, LeavingChoosesOnlyAnExactItemLetterCaseCounting)
{
    state().ComboTypeAhead = false;
    combo.setEditText(QStringLiteral("иванов"));
    state().ComboTypeAhead = true;
    leave();
    EXPECT_EQ(combo.currentText(), QString());

    combo.addItem(QStringLiteral("Иванов"));  // a second item with the same text
    combo.setEditText(QStringLiteral("Иванов"));
    leave();
    EXPECT_EQ(combo.currentIndex(), 1);
}

TEST_F(ComboTypeAheadTest, EmptyListClearsTypedTextOnLeaving)
{
    combo.clear();
    type(QStringLiteral("абв"));
    EXPECT_EQ(combo.currentText(), QStringLiteral("абв"));
    leave();
    EXPECT_EQ(combo.currentText(), QString());
}

TEST_F(ComboTypeAheadTest, SwitchedOffTheComboIsPlain)
{
    state().ComboTypeAhead = false;
    type(QStringLiteral("ив"));
    EXPECT_EQ(combo.currentText(), QStringLiteral("ив"));
    leave();
    EXPECT_EQ(combo.currentText(), QStringLiteral("ив"));
}

TEST(ControlArrayIdTest, IdsOfControlArrayElements)
{
    const struct {
        const char* name;
        int index;  // -1: not in a control array
        long id;
    } cases[] = {
        {"Text1", -1, -1}, {"Text1", 5, 5},       {"Text2", 5, 30005},   {"Text3", 5, 60005},
        {"Cm1", 5, 5},     {"Text2", 7, 30007},   {"Ch", 3, 270003},     {"Text0", 2, 270002},
        {"", 4, 0},
    };
    for (const auto& c : cases) {
        QLineEdit w;
        w.setObjectName(QString::fromUtf8(c.name));
        if (c.index >= 0)
            setControlArrayIndex(&w, c.index);
        EXPECT_EQ(ControlArrayId(&w), c.id) << c.name << " " << c.index;
    }
}

TEST(UndoActiveControlTest, UndoesTheFocusedEditFieldOnly)
{
    QWidget form;
    auto* layout = new QVBoxLayout(&form);
    auto* edit = new QLineEdit(&form);
    auto* check = new QCheckBox(&form);
    layout->addWidget(edit);
    layout->addWidget(check);

    UndoActiveControl(&form);  // nothing has the focus: nothing happens

    edit->setFocus();
    edit->insert(QStringLiteral("Абв"));
    UndoActiveControl(&form);
    EXPECT_EQ(edit->text(), QString());

    edit->insert(QStringLiteral("где"));
    check->setFocus();
    UndoActiveControl(&form);
    EXPECT_EQ(edit->text(), QStringLiteral("где"));
}
