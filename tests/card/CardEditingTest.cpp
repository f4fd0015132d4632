// The card between loading and saving: change tracking, keys, first focus,
// dependent inputs, type-ahead, dative forms on focus and the close question.
#include "CardTestSupport.h"

#include "card/CardInputs.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <functional>

using namespace cardtest;
using card::frmSD1;

namespace {

class CardEditingTest : public CardTest {};

QWidget* focused()
{
    return QApplication::focusWidget();
}

} // namespace

TEST_F(CardEditingTest, FirstChangeMarksTheCaptionOnce)
{
    const auto card = openCard(core::Students, kVesnina);
    EXPECT_FALSE(card->IsChanged());
    typeText(card->Text1(3), QStringLiteral("на"));
    EXPECT_TRUE(card->IsChanged());
    EXPECT_EQ(card->windowTitle(), QStringLiteral("Студент: Веснина *"));
    typeText(card->Text1(4), QStringLiteral("x"));
    card->Text1(3)->setText(QStringLiteral("Ольга"));  // back as it was: still a change
    EXPECT_EQ(card->windowTitle(), QStringLiteral("Студент: Веснина *"));
    EXPECT_TRUE(card->IsChanged());
}

TEST_F(CardEditingTest, NewCardIsChangedFromTheStartAndMarkedAtItsFirstEdit)
{
    const auto card = openCard(core::MedicalSpecialties);
    EXPECT_TRUE(card->IsChanged());
    EXPECT_FALSE(card->windowTitle().contains('*'));
    // The first entry of a list whose tag is empty counts as no change.
    chooseEntry(card->Cm1(1), QStringLiteral("ВПО"));
    EXPECT_FALSE(card->windowTitle().contains('*'));
    chooseEntry(card->Cm1(1), QStringLiteral("СПО"));
    EXPECT_EQ(card->windowTitle(), QStringLiteral("Медицинская специальность: Новый *"));
}

TEST_F(CardEditingTest, EachKindOfInputRecordsAChange)
{
    const struct {
        const char* name;
        std::function<void(frmSD1&)> edit;
    } edits[] = {
        {"text", [](frmSD1& c) { typeText(c.Text1(8), "А"); }},
        {"memo", [](frmSD1& c) { typeText(c.Text2(14), "А"); }},
        {"list", [](frmSD1& c) { chooseEntry(c.Cm1(10), "заочная"); }},
        {"typed list", [](frmSD1& c) { typeText(c.Cm1(10), "о"); }},
        {"check", [](frmSD1& c) { c.Ch1(20)->click(); }},
        {"date", [](frmSD1& c) { c.DT1(6)->setValue(QDate(2015, 1, 2)); }},
    };
    for (const auto& e : edits) {
        SCOPED_TRACE(e.name);
        const auto card = openCard(core::Groups, kGroupZ41);
        ASSERT_FALSE(card->IsChanged());
        e.edit(*card);
        EXPECT_TRUE(card->IsChanged());
        EXPECT_TRUE(card->windowTitle().endsWith(" *"));
    }
}

TEST_F(CardEditingTest, EnterMovesToTheNextLineOverHeadingsAndOnToOk)
{
    const auto card = openCard(core::Students, kVesnina);
    showCard(*card);
    card->Cm1(0)->setFocus();
    pressKey(card->Cm1(0), Qt::Key_Return);
    EXPECT_EQ(focused(), card->Text1(2));  // over the heading of line 1
    pressKey(card->Text1(4), Qt::Key_Return);
    EXPECT_EQ(focused(), card->Text1(6));

    const auto form = openCard(core::StudyForms, 1);
    showCard(*form);
    form->Text1(1)->setFocus();
    pressKey(form->Text1(1), Qt::Key_Enter);
    EXPECT_EQ(focused(), form->Ok());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(core::state().DialogResult, 0);
}

TEST_F(CardEditingTest, EnterStaysWhereTheNextLineCannotTakeTheFocus)
{
    // Users: the two password lines after the role have no input.
    const auto users = openCard(core::Users, maxKey("USERS", "IDU"));
    showCard(*users);
    users->Cm1(1)->setFocus();
    pressKey(users->Cm1(1), Qt::Key_Return);
    EXPECT_EQ(focused(), users->Cm1(1));
    users->setChanged(false);
    users->close();

    // A group without a retraining period: its first date is disabled.
    const auto group = openCard(core::Groups, kGroupB31);
    showCard(*group);
    group->Ch1(20)->setFocus();
    pressKey(group->Ch1(20), Qt::Key_Return);
    EXPECT_EQ(focused(), group->Ch1(20));
}

TEST_F(CardEditingTest, EnterInAMemoStartsANewLine)
{
    const auto card = openCard(core::Specialties, 1);
    showCard(*card);
    card->Text2(1)->setFocus();
    card->Text2(1)->moveCursor(QTextCursor::End);
    pressKey(card->Text2(1), Qt::Key_Return);
    EXPECT_EQ(focused(), card->Text2(1));
    EXPECT_TRUE(card->lineText(1).endsWith('\n'));
}

TEST_F(CardEditingTest, CtrlEnterSavesFromAnyLine)
{
    const auto card = openCard(core::TrainingLevels);
    showCard(*card);
    typeText(card->Text1(0), QStringLiteral("повышенной"));
    pressKey(card->Text1(0), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(core::state().DialogResult, -1);
    EXPECT_FALSE(card->isVisible());
    EXPECT_EQ(jet::toText(value("SELECT NAIM FROM SPUR WHERE IDX = ?", {qlonglong(core::state().CurrentRowId)})),
              QStringLiteral("повышенной"));
}

TEST_F(CardEditingTest, CtrlEnterCommitsATypedListEntryFirst)
{
    const auto card = openCard(core::MedicalSpecialties);
    showCard(*card);
    typeText(card->Text1(0), QStringLiteral("Терапия-2"));
    card->Cm1(1)->setFocus();
    card->Cm1(1)->setEditText(QStringLiteral("СПО"));  // typed text, not yet chosen
    pressKey(card->Cm1(1), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(core::state().DialogResult, -1);
    EXPECT_EQ(jet::toLong(value("SELECT LEVEL2 FROM SPMED WHERE IDM = ?", {qlonglong(core::state().CurrentRowId)})), 2);
}

TEST_F(CardEditingTest, CloseQuestionOffersSaveDiscardOrStay)
{
    const QString question = QStringLiteral("Сохранить изменения?");
    {
        // Отмена: the card stays with its entries.
        const auto card = openCard(core::StudyForms, 1);
        showCard(*card);
        typeText(card->Text1(1), QStringLiteral("!"));
        messages_.answer(ui::Cancel);
        pressKey(card->Text1(1), Qt::Key_Escape);
        ASSERT_EQ(messages_.count(), 1);
        EXPECT_EQ(messages_.texts().first(), question);
        EXPECT_EQ(messages_.messages().front().style, ui::YesNoCancel | ui::Exclamation);
        EXPECT_TRUE(card->isVisible());
        // Нет: closes without saving.
        messages_.answer(ui::No);
        card->close();
        EXPECT_FALSE(card->isVisible());
        EXPECT_FALSE(card->IsChanged());
        EXPECT_EQ(core::state().DialogResult, 0);
        EXPECT_EQ(jet::toText(value("SELECT NAIM2 FROM SPFORM WHERE IDF = 1")).endsWith('!'), false);
    }
    // Да, with a required line empty: the check's message, and the card stays
    // open, whether closed by Esc or by its close box.
    for (bool byCloseBox : {false, true}) {
        SCOPED_TRACE(byCloseBox);
        messages_.clear();
        const long before = count("SPFORM");
        const auto card = openCard(core::StudyForms);
        showCard(*card);
        messages_.answer(ui::Yes);
        if (byCloseBox)
            card->close();
        else
            pressKey(card->Text1(1), Qt::Key_Escape);
        ASSERT_EQ(messages_.count(), 2);
        EXPECT_EQ(messages_.texts().at(1), QStringLiteral("Необходимо обязательно заполнить поле \"Наименование\"."));
        EXPECT_TRUE(card->isVisible());
        EXPECT_EQ(count("SPFORM"), before);
        card->setChanged(false);
        card->close();
    }
}

TEST_F(CardEditingTest, UnchangedCardClosesWithoutAQuestion)
{
    const auto card = openCard(core::StudyForms, 1);
    showCard(*card);
    pressKey(card->Text1(0), Qt::Key_Escape);
    EXPECT_FALSE(card->isVisible());
    EXPECT_EQ(messages_.count(), 0);
    // Modifiers turn Esc into no command at all.
    const auto other = openCard(core::StudyForms, 1);
    showCard(*other);
    pressKey(other->Text1(0), Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_TRUE(other->isVisible());
}

TEST_F(CardEditingTest, FirstFocusByKind)
{
    {
        const auto person = openCard(core::Students, kVesnina);
        showCard(*person);
        EXPECT_EQ(focused(), person->Text1(2));
        person->close();
    }
    {
        const auto plan = openCard(core::StudyPlan, 1);
        showCard(*plan);
        EXPECT_EQ(focused(), plan->Cm1(1));
        plan->close();
    }
    const long line = long(jet::toLong(value("SELECT min(IDE) FROM EXAM WHERE ID = 1 AND IDD <> 8")));
    for (bool copy : {false, true}) {
        const auto grade = openCard(core::Grades, line, copy, 0, kGroupB31);
        showCard(*grade);
        EXPECT_EQ(focused(), copy ? grade->Cm1(1) : grade->Cm1(4));
        grade->setChanged(false);
        grade->close();
    }
}

TEST_F(CardEditingTest, RetrainingPeriodSwitchesItsDates)
{
    const auto card = openCard(core::Groups, kGroupB31);
    card->Ch1(20)->click();
    EXPECT_TRUE(card->DT1(21)->isEnabled());
    EXPECT_TRUE(card->DT1(22)->isEnabled());
    card->Ch1(20)->click();
    EXPECT_FALSE(card->DT1(21)->isEnabled());
}

TEST_F(CardEditingTest, DocumentNumberWaitsForTheButtonAndHintsOnce)
{
    const auto card = openCard(core::Students, 0, false, core::RetrainingDocuments, kGroupP31);
    const QString heading = QStringLiteral("Сведения о выдаваемом документе: (нажмите кнопку Документ ПК):");
    EXPECT_FALSE(card->Text1(11)->isEnabled());
    EXPECT_EQ(card->Label1(10)->text(), heading);
    card->dokPK_Click();
    EXPECT_TRUE(card->Text1(11)->isEnabled());
    EXPECT_EQ(card->lineText(11), QStringLiteral("2"));
    EXPECT_EQ(card->Label1(10)->text(), heading);
    card->Text1(11)->clear();
    EXPECT_FALSE(card->Text1(11)->isEnabled());
    EXPECT_EQ(card->Label1(10)->text(), heading);  // not twice
}

TEST_F(CardEditingTest, ListTypeAheadCompletesAndCommitsOnlyEntries)
{
    const auto card = openCard(core::Students, kVesnina);
    showCard(*card);
    QComboBox* groups = card->Cm1(0);
    groups->setFocus();
    groups->lineEdit()->selectAll();
    typeText(groups, QStringLiteral("з 4"));
    EXPECT_EQ(groups->currentText(), QStringLiteral("З 41"));
    EXPECT_EQ(groups->lineEdit()->selectedText(), QStringLiteral("1"));
    EXPECT_TRUE(card->IsChanged());

    groups->lineEdit()->selectAll();
    typeText(groups, QStringLiteral("Ъ"));
    card->Text1(2)->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(groups->currentText(), QString());
    EXPECT_EQ(card->listIndex(0), -1);
}

// A text typed into a list that is no entry of it is said at once, however
// the line is left, and nothing is saved meanwhile: the discipline of a plan
// line does not vanish into a later "не заполнено".
TEST_F(CardEditingTest, ATypedTextThatIsNoEntryOfItsListIsSaidAtOnce)
{
    const QString said = QStringLiteral(
        "В списке \"Дисциплина\" нет значения \"Фармакология-2\". Выберите значение из списка.");
    const struct {
        const char* way;
        std::function<void(frmSD1&)> leave;
    } ways[] = {
        {"Tab", [](frmSD1& c) { pressKey(c.Cm1(1), Qt::Key_Tab); }},
        {"Enter", [](frmSD1& c) { pressKey(c.Cm1(1), Qt::Key_Return); }},
        {"a click on another line", [](frmSD1& c) {
             QTest::mouseClick(c.Text2(2), Qt::LeftButton);
         }},
        {"Ctrl+Enter", [](frmSD1& c) { pressKey(c.Cm1(1), Qt::Key_Return, Qt::ControlModifier); }},
        {"OK", [](frmSD1& c) { QTest::mouseClick(c.Ok(), Qt::LeftButton); }},
        {"Отмена", [](frmSD1& c) { QTest::mouseClick(c.Cancel(), Qt::LeftButton); }},
        {"the toolbar's save, the focus staying", [](frmSD1& c) { c.Ok_Click(); }},
    };
    for (const auto& w : ways) {
        SCOPED_TRACE(w.way);
        const long lines = count(QStringLiteral("SPNAGR"));
        const auto card = openCard(core::StudyPlan, 0, false, -1, kGroupZ41);
        showCard(*card);
        messages_.clear();
        QComboBox* discipline = card->Cm1(1);
        discipline->setFocus();
        typeText(discipline, QStringLiteral("Фармакология-2"));
        w.leave(*card);
        QApplication::processEvents();
        EXPECT_EQ(messages_.texts(), QStringList{said});
        EXPECT_TRUE(card->isVisible());
        EXPECT_EQ(discipline->currentText(), QString());
        EXPECT_EQ(focused(), discipline);
        EXPECT_EQ(count(QStringLiteral("SPNAGR")), lines);
        // Said once: the next move on says nothing more.
        pressKey(discipline, Qt::Key_Tab);
        QApplication::processEvents();
        EXPECT_EQ(messages_.count(), 1);
        card->setChanged(false);
        card->close();
    }

    // An entry typed whole, or completed, is chosen without a word.
    const auto card = openCard(core::StudyPlan, 0, false, -1, kGroupZ41);
    showCard(*card);
    messages_.clear();
    QComboBox* discipline = card->Cm1(1);
    const QString entry = discipline->itemText(discipline->count() - 1);
    discipline->setFocus();
    typeText(discipline, entry);
    pressKey(discipline, Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(messages_.count(), 0);
    EXPECT_EQ(card->listIndex(1), discipline->count() - 1);
    card->setChanged(false);
    card->close();
}

TEST_F(CardEditingTest, NewPersonsDativeLinesFillAsTheyGetTheFocus)
{
    const auto card = openCard(core::Students, 0, false, core::RetrainingDocuments, kGroupP31);
    showCard(*card);
    typeText(card->Text1(2), QStringLiteral("Иванов"));
    typeText(card->Text1(3), QStringLiteral("Иван"));
    card->Text1(6)->setFocus();
    EXPECT_EQ(card->lineText(6), QStringLiteral("Иванову"));
    EXPECT_EQ(card->Text1(6)->selectedText(), QStringLiteral("Иванову"));
    card->Text1(7)->setFocus();
    EXPECT_EQ(card->lineText(7), QStringLiteral("Ивану"));
    // An empty nominative line leaves its dative line empty.
    card->Text1(8)->setFocus();
    EXPECT_EQ(card->lineText(8), QString());
    // A filled dative line stays as it is.
    card->Text1(2)->setFocus();
    card->Text1(2)->setText(QStringLiteral("Петров"));
    card->Text1(6)->setFocus();
    EXPECT_EQ(card->lineText(6), QStringLiteral("Иванову"));
}

TEST_F(CardEditingTest, StoredPersonGetsDativeFormsOnlyThroughFill)
{
    db().execute("UPDATE SPSTUD SET FamD = NULL, ImD = NULL, OtchD = NULL WHERE ID = 4");
    const auto card = openCard(core::Students, 4, false, core::RetrainingDocuments);
    showCard(*card);
    card->Text1(6)->setFocus();
    EXPECT_EQ(card->lineText(6), QString());
    card->Command1()->click();
    EXPECT_EQ(card->lineText(6), QStringLiteral("Крыловой"));
    EXPECT_EQ(card->lineText(7), QStringLiteral("Марине"));
    EXPECT_EQ(card->lineText(8), QStringLiteral("Викторовне"));
    EXPECT_TRUE(card->IsChanged());
}

// The dative forms follow the person's gender as the patronymic tells it;
// without one (or with one the rules do not know) as the surname's ending
// tells it, and only then as the first name does.
TEST_F(CardEditingTest, DativeFormsFollowTheGenderOfThePatronymic)
{
    const struct {
        const char* names[3];
        const char* dative[3];
    } cases[] = {
        {{"Ковальчук", "Анна", "Петровна"}, {"Ковальчук", "Анне", "Петровне"}},
        {{"Ковальчук", "Илья", "Петрович"}, {"Ковальчуку", "Илье", "Петровичу"}},
        {{"Коваль", "Любовь", "Ивановна"}, {"Коваль", "Любови", "Ивановне"}},
        {{"Иванова", "Кармен", ""}, {"Ивановой", "Кармен", ""}},
        {{"Петрова", "Любовь", ""}, {"Петровой", "Любови", ""}},
        {{"Ахмедов", "Мустафа", ""}, {"Ахмедову", "Мустафе", ""}},
        {{"Ахмедов", "Мустафа", "Рашид оглы"}, {"Ахмедову", "Мустафе", "Рашид оглы"}},
        {{"Алиева", "Айгюн", "Кызы"}, {"Алиевой", "Айгюн", "Кызы"}},
        {{"Бонч-Бруевич", "Михаил", ""}, {"Бонч-Бруевичу", "Михаилу", ""}},
        {{"Большая", "Нинель", ""}, {"Большой", "Нинели", ""}},
        {{"Островский", "Саша", ""}, {"Островскому", "Саше", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.names[0]);
        const auto card = openCard(core::Students, 0, false, core::RetrainingDocuments, kGroupP31);
        showCard(*card);
        for (int i = 0; i < 3; ++i)
            typeText(card->Text1(2 + i), QString::fromUtf8(c.names[i]));
        card->Command1()->click();
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(card->lineText(6 + i), QString::fromUtf8(c.dative[i]));
        card->setChanged(false);
        card->close();
    }
}

TEST_F(CardEditingTest, YearStepsBetweenItsLimits)
{
    const auto card = openCard(core::Students, 0, false, core::RetrainingDocuments, kGroupP31);
    QLineEdit* year = card->Text3(18);
    pressKey(year, Qt::Key_Up);
    EXPECT_EQ(year->text(), QStringLiteral("2001"));
    year->setText(QStringLiteral("1950"));
    pressKey(year, Qt::Key_Down);
    EXPECT_EQ(year->text(), QStringLiteral("1950"));
    year->setText(QStringLiteral("2100"));
    pressKey(year, Qt::Key_Up);
    EXPECT_EQ(year->text(), QStringLiteral("2100"));
}
