// The card's edit toolbar: copy and paste by line kind, quotation marks
// through frmSim, help and save.
#include "CardTestSupport.h"

#include "card/CardInputs.h"
#include "card/frmSim.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QClipboard>
#include <QListWidget>
#include <QToolBar>

using namespace cardtest;
using card::frmSD1;

namespace {

class CardToolbarTest : public CardTest {
protected:
    void SetUp() override
    {
        CardTest::SetUp();
        QApplication::clipboard()->clear();
    }
    QString clipboard() const { return QApplication::clipboard()->text(); }
    void setClipboard(const QString& text) { QApplication::clipboard()->setText(text); }

    // Answers frmSim: the entry at `row` and OK, or Отмена for -1.
    void answerSymbolDialog(int row)
    {
        ui::setDialogHandler([this, row](QDialog* dialog) {
            auto* sim = qobject_cast<card::frmSim*>(dialog);
            EXPECT_NE(sim, nullptr);
            if (!sim)
                return int(QDialog::Rejected);
            preselected_ = sim->List1()->currentRow();
            if (row < 0) {
                sim->CancelButton_Click();
                return int(QDialog::Rejected);
            }
            sim->List1()->setCurrentRow(row);
            sim->OKButton_Click();
            return int(QDialog::Accepted);
        });
    }
    int preselected_ = -2;
};

} // namespace

TEST_F(CardToolbarTest, ToolbarCarriesItsButtonsInOrderWithoutTakingTheFocus)
{
    const auto card = openCard(core::StudyForms, 1);
    QStringList keys;
    for (QAction* a : card->Toolbar1()->actions())
        keys << (a->isSeparator() ? QStringLiteral("|") : a->objectName());
    EXPECT_EQ(keys, (QStringList{"Copy", "Paste", "Undo", "|", "keySim", "|", "Help", "|", "Save"}));
    EXPECT_EQ(card->toolbarAction("keySim")->toolTip(), QStringLiteral("Вставить кавычки"));
    for (QAction* a : card->Toolbar1()->actions())
        if (QWidget* button = card->Toolbar1()->widgetForAction(a)) {
            EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
        }
}

TEST_F(CardToolbarTest, PasteReplacesTheSelectionAndLeavesTheCaretAfterIt)
{
    const auto card = openCard(core::StudyForms, 1);
    showCard(*card);
    QLineEdit* box = card->Text1(1);
    box->setFocus();
    box->setText(QStringLiteral("по очной форме"));
    box->setSelection(3, 5);  // "очной"
    setClipboard(QStringLiteral("заочной"));
    card->Toolbar1_ButtonClick("Paste");
    EXPECT_EQ(box->text(), QStringLiteral("по заочной форме"));
    EXPECT_EQ(box->cursorPosition(), 10);
    EXPECT_FALSE(box->hasSelectedText());
    EXPECT_TRUE(card->IsChanged());
}

TEST_F(CardToolbarTest, PastingTwoLinesIntoAListMakesOneLine)
{
    const auto card = openCard(core::Groups, kGroupZ41);
    showCard(*card);
    QComboBox* form = card->Cm1(10);
    form->setFocus();
    form->lineEdit()->clear();
    setClipboard(QStringLiteral("заочная\r\nформа"));
    card->Toolbar1_ButtonClick("Paste");
    EXPECT_EQ(clipboard(), QStringLiteral("заочная форма"));
    // The type-ahead then completes the text to an entry, where one fits.
    setClipboard(QStringLiteral("очно-\nзаочная"));
    form->lineEdit()->clear();
    card->Toolbar1_ButtonClick("Paste");
    EXPECT_EQ(form->currentText(), QStringLiteral("очно- заочная"));

    // A memo keeps the line break.
    QPlainTextEdit* memo = card->Text2(14);
    memo->setFocus();
    memo->clear();
    setClipboard(QStringLiteral("a\nb"));
    card->Toolbar1_ButtonClick("Paste");
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("a\nb"));
}

TEST_F(CardToolbarTest, DatesTravelAsTextBetweenDateLines)
{
    const auto card = openCard(core::Groups, kGroupP31);
    showCard(*card);
    card->DT1(6)->editor()->setFocus();
    card->Toolbar1_ButtonClick("Copy");
    EXPECT_EQ(clipboard(), QStringLiteral("27.06.2014"));
    card->DT1(7)->editor()->setFocus();
    card->Toolbar1_ButtonClick("Paste");
    EXPECT_EQ(card->DT1(7)->date(), QDate(2014, 6, 27));
    setClipboard(QStringLiteral("не дата"));
    card->Toolbar1_ButtonClick("Paste");
    EXPECT_EQ(card->DT1(7)->date(), QDate(2014, 6, 27));
    // As typed: a year of two digits, and a date that does not exist refused.
    setClipboard(QStringLiteral("01.03.15"));
    card->Toolbar1_ButtonClick("Paste");
    EXPECT_EQ(card->DT1(7)->date(), QDate(2015, 3, 1));
    EXPECT_EQ(messages_.count(), 0);
    setClipboard(QStringLiteral("31.04.15"));
    card->Toolbar1_ButtonClick("Paste");
    EXPECT_EQ(card->DT1(7)->date(), QDate(2015, 3, 1));
    EXPECT_EQ(messages_.texts(), QStringList{QStringLiteral("Даты 31.04.2015 не существует. Проверьте число и месяц.")});
}

TEST_F(CardToolbarTest, CopyAndPasteDoNothingWhereTheyDoNotApply)
{
    const auto card = openCard(core::Groups, kGroupP31);
    showCard(*card);
    // An empty clipboard, and the focus on a button.
    card->Text1(8)->setFocus();
    card->Toolbar1_ButtonClick("Paste");
    EXPECT_EQ(card->lineText(8), QStringLiteral("Ладыгин А.М."));
    setClipboard(QStringLiteral("xyz"));
    card->Ok()->setFocus();
    card->Toolbar1_ButtonClick("Paste");
    card->Toolbar1_ButtonClick("Copy");
    EXPECT_EQ(clipboard(), QStringLiteral("xyz"));
    // A check box.
    card->Ch1(20)->setFocus();
    card->Toolbar1_ButtonClick("Copy");
    card->Toolbar1_ButtonClick("Paste");
    EXPECT_EQ(clipboard(), QStringLiteral("xyz"));
    EXPECT_FALSE(card->IsChanged());
    // Copy with nothing selected empties the clipboard.
    card->Text1(8)->setFocus();
    card->Text1(8)->deselect();
    card->Toolbar1_ButtonClick("Copy");
    EXPECT_EQ(clipboard(), QString());
}

TEST_F(CardToolbarTest, QuotationMarkGoesWhereTheFocusWasBeforeTheDialog)
{
    const auto card = openCard(core::Students, kVesnina);
    showCard(*card);
    QLineEdit* getter = card->Text1(9);
    getter->setFocus();
    getter->setText(QStringLiteral("ООО Вектор"));
    getter->setSelection(4, 6);
    answerSymbolDialog(0);
    card->Toolbar1_ButtonClick("keySim");
    EXPECT_EQ(getter->text(), QStringLiteral("ООО «"));
    EXPECT_EQ(QApplication::focusWidget(), getter);
    EXPECT_EQ(core::state().ChosenSymbol, QStringLiteral("«"));
    // The card's own outcome is still "not saved".
    EXPECT_EQ(core::state().DialogResult, 0);

    // The next opening offers the mark chosen last; Отмена inserts nothing
    // and keeps that offer.
    getter->setCursorPosition(5);
    answerSymbolDialog(1);
    card->Toolbar1_ButtonClick("keySim");
    EXPECT_EQ(preselected_, 0);
    EXPECT_EQ(getter->text(), QStringLiteral("ООО «»"));
    answerSymbolDialog(-1);
    card->Toolbar1_ButtonClick("keySim");
    EXPECT_EQ(preselected_, 1);
    EXPECT_EQ(getter->text(), QStringLiteral("ООО «»"));
    EXPECT_EQ(core::state().ChosenSymbolIndex, 1);
}

TEST_F(CardToolbarTest, QuotationMarkReplacesAListsEarlierSelectionButSkipsAYear)
{
    const auto card = openCard(core::Students, 4, false, core::RetrainingDocuments);
    showCard(*card);
    QLineEdit* year = card->Text3(18);
    year->setFocus();
    answerSymbolDialog(2);
    card->Toolbar1_ButtonClick("keySim");
    EXPECT_EQ(year->text(), QStringLiteral("2010"));

    QComboBox* kind = card->Cm1(17);
    kind->setFocus();
    kind->lineEdit()->setSelection(0, 7);  // "диплом "
    answerSymbolDialog(3);
    card->Toolbar1_ButtonClick("keySim");
    EXPECT_TRUE(kind->currentText().startsWith(QStringLiteral("“")));
    EXPECT_TRUE(card->IsChanged());
}

TEST_F(CardToolbarTest, UndoTakesBackTheLastEdit)
{
    const auto card = openCard(core::StudyForms, 1);
    showCard(*card);
    QLineEdit* box = card->Text1(1);
    box->setFocus();
    box->end(false);
    typeText(box, QStringLiteral("!"));
    card->Toolbar1_ButtonClick("Undo");
    EXPECT_EQ(box->text(), QStringLiteral("по очной форме"));
}

TEST_F(CardToolbarTest, HelpOpensTheManualAndSaveConfirms)
{
    int opened = 0;
    core::shellServices().openUserManual = [&opened] { ++opened; };
    const auto card = openCard(core::StudyForms, 1);
    showCard(*card);
    card->Toolbar1_ButtonClick("Help");
    card->Комманда2()->click();
    EXPECT_EQ(opened, 2);

    card->Toolbar1_ButtonClick("Save");  // nothing changed: closes, nothing saved
    EXPECT_FALSE(card->isVisible());
    EXPECT_EQ(core::state().DialogResult, 0);

    const auto changed = openCard(core::StudyForms, 1);
    typeText(changed->Text1(1), QStringLiteral("!"));
    changed->toolbarAction("Save")->trigger();
    EXPECT_EQ(core::state().DialogResult, -1);
}

TEST_F(CardToolbarTest, SymbolDialogOffersFourMarks)
{
    core::state().ChosenSymbolIndex = 2;
    card::frmSim dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Вставка кавычек"));
    ASSERT_EQ(dialog.List1()->count(), 4);
    QStringList marks;
    for (int i = 0; i < 4; ++i)
        marks << dialog.List1()->item(i)->text();
    EXPECT_EQ(marks, (QStringList{"«", "»", "„", "“"}));
    EXPECT_EQ(dialog.List1()->currentRow(), 2);
    // A double click chooses like OK.
    Q_EMIT dialog.List1()->itemDoubleClicked(dialog.List1()->item(3));
    EXPECT_EQ(core::state().DialogResult, -1);
    EXPECT_EQ(core::state().ChosenSymbol, QStringLiteral("“"));
    EXPECT_EQ(core::state().ChosenSymbolIndex, 3);
}
