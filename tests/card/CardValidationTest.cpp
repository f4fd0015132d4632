// The checks before a save: required and unique lines, hours, the questions
// of grade lines, plan lines and disciplines, and the registration numbers.
#include "CardTestSupport.h"

#include <QCheckBox>

using namespace cardtest;
using card::frmSD1;

namespace {

class CardValidationTest : public CardTest {};

QString required(const char* caption)
{
    return QStringLiteral("Необходимо обязательно заполнить поле \"%1\".").arg(QString::fromUtf8(caption));
}

QString requiredList(const char* caption)
{
    return QStringLiteral("Необходимо обязательно выбрать строку в списке \"%1\".").arg(QString::fromUtf8(caption));
}

} // namespace

TEST_F(CardValidationTest, RequiredLinesStopTheSaveAtTheFirstEmptyOne)
{
    const struct {
        int kind;
        std::function<void(frmSD1&)> fill;
        QString message;
        int line;
    } cases[] = {
        {core::Students, [](frmSD1& c) { c.Cm1(0)->setCurrentIndex(-1); }, requiredList("Группа"), 0},
        {core::Students, [](frmSD1& c) { c.setLineText(3, "   "); }, required("Имя"), 3},
        {core::Specialties, [](frmSD1& c) { c.setLineText(0, "Новая"); }, required("Полное наименование (для документов) (код и наименование)"), 1},
        {core::Users, [](frmSD1& c) { c.setLineText(0, "Новый"); }, requiredList("Роль"), 1},
        {core::MedicalSpecialties, [](frmSD1&) {}, required("Наименование"), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        messages_.clear();
        const auto card = openCard(c.kind, c.kind == core::Students ? kVesnina : 0, c.kind == core::Students);
        showCard(*card);
        c.fill(*card);
        EXPECT_FALSE(card->Ok_Click());
        ASSERT_GE(messages_.count(), 1);
        EXPECT_EQ(messages_.texts().last(), c.message);
        EXPECT_EQ(messages_.messages().back().style, ui::Exclamation);
        EXPECT_EQ(QApplication::focusWidget(), card->Элемент(c.line));
        EXPECT_TRUE(card->isVisible());
        EXPECT_EQ(core::state().DialogResult, 0);
        card->setChanged(false);
        card->close();
    }
}

TEST_F(CardValidationTest, GroupCardWaivesItsListsForAMedicalSpecialtyAndItsWordingOutsideRetraining)
{
    const auto card = openCard(core::Groups);
    card->setLineText(0, QStringLiteral("М 11"));
    chooseEntry(card->Cm1(16), card->Cm1(16)->itemText(0));
    // No specialty chosen, wording empty, no retraining period: passes.
    EXPECT_TRUE(card->Ok_Click());
    EXPECT_EQ(core::state().DialogResult, -1);

    messages_.clear();
    const auto period = openCard(core::Groups);
    period->setLineText(0, QStringLiteral("М 12"));
    chooseEntry(period->Cm1(16), period->Cm1(16)->itemText(0));
    period->Ch1(20)->click();
    EXPECT_FALSE(period->Ok_Click());
    EXPECT_EQ(messages_.texts().last(),
              required("Наименование специальности/профессии (уточненное) (код и наименование)"));

    // Without a medical specialty the specialty is required.
    messages_.clear();
    const auto plain = openCard(core::Groups);
    plain->setLineText(0, QStringLiteral("М 13"));
    EXPECT_FALSE(plain->Ok_Click());
    EXPECT_EQ(messages_.texts().last(), requiredList("Специальность/профессия"));
}

TEST_F(CardValidationTest, UniqueValuesIgnoreLetterCaseAndTheRowItself)
{
    const QString duplicate =
        QStringLiteral("Значение \"%1\" поля \"Учебная группа\" уже имеется в другой строке справочника. Измените "
                       "введенное значение.");
    // Another group's name in other letters.
    auto card = openCard(core::Groups, kGroupZ41);
    card->setLineText(0, QStringLiteral("  п 31 "));
    EXPECT_FALSE(card->Ok_Click());
    EXPECT_EQ(messages_.texts().last(), duplicate.arg(QStringLiteral("п 31")));

    // The edited row itself is no duplicate.
    messages_.clear();
    card = openCard(core::Groups, kGroupZ41);
    typeText(card->Text1(11), QStringLiteral("/1"));
    EXPECT_TRUE(card->Ok_Click());
    EXPECT_EQ(messages_.count(), 0);

    // A copy meets the row it was copied from.
    card = openCard(core::Groups, kGroupZ41, true);
    EXPECT_FALSE(card->Ok_Click());
    EXPECT_EQ(messages_.texts().last(), duplicate.arg(QStringLiteral("З 41")));
}

TEST_F(CardValidationTest, AValueWithQuotesIsComparedLikeAnyOther)
{
    db().execute("INSERT INTO SPFORM (NAIM) VALUES (?)", {QStringLiteral("очная \"вечерняя\"")});
    auto card = openCard(core::StudyForms);
    card->setLineText(0, QStringLiteral("ОЧНАЯ \"ВЕЧЕРНЯЯ\""));
    EXPECT_FALSE(card->Ok_Click());
    EXPECT_TRUE(messages_.texts().last().startsWith(QStringLiteral("Значение \"ОЧНАЯ \"ВЕЧЕРНЯЯ\"\" поля")));

    card = openCard(core::StudyForms);
    card->setLineText(0, QStringLiteral("ч' OR '1'='1"));
    EXPECT_TRUE(card->Ok_Click());
}

TEST_F(CardValidationTest, FailedUniqueTestStopsTheSave)
{
    db().execute("ALTER TABLE SPUR RENAME TO SPUR_AWAY");
    const auto card = openCard(core::TrainingLevels);
    card->setLineText(0, QStringLiteral("высшей"));
    EXPECT_FALSE(card->Ok_Click());
    EXPECT_TRUE(messages_.texts().last().startsWith(
        QStringLiteral("Не удалось проверить, нет ли значения \"высшей\" поля \"Наименование\"")));
    EXPECT_EQ(core::state().DialogResult, 0);
}

TEST_F(CardValidationTest, HoursAreAtMostFiftyCharactersAndAnEmptyLineMayGetACross)
{
    const long planLine = 1;
    auto card = openCard(core::StudyPlan, planLine);
    card->setLineText(3, QString(51, 'x'));
    EXPECT_FALSE(card->Ok_Click());
    EXPECT_EQ(messages_.texts().last(),
              QStringLiteral("Значение поля \"Количество часов, час.\" не должно содержать более 50 символов."));

    card->setLineText(3, QString(50, '1'));
    EXPECT_TRUE(card->Ok_Click());

    // Blanks only: the question; Да puts "х", Нет leaves it empty.
    for (int answer : {int(ui::Yes), int(ui::No)}) {
        messages_.clear();
        card = openCard(core::StudyPlan, planLine);
        card->setLineText(3, QStringLiteral("   "));
        messages_.answer(answer);
        EXPECT_TRUE(card->Ok_Click());
        EXPECT_EQ(messages_.texts().first(),
                  QStringLiteral("Не заполнено количество часов. Проставить символ \"х\" в графу \"Количество часов, "
                                 "час.\"?"));
        EXPECT_EQ(messages_.messages().front().style, ui::YesNo | ui::Question);
        const QVariant stored = value("SELECT CH FROM SPNAGR WHERE IDN = ?", {qlonglong(planLine)});
        if (answer == ui::Yes)
            EXPECT_EQ(jet::toText(stored), QStringLiteral("х"));
        else
            EXPECT_TRUE(jet::isNull(stored));
    }
}

TEST_F(CardValidationTest, GradeLineAsksAboutMissingAndRepeatedDisciplinesAndGrades)
{
    const long person = kVesnina;
    const QString noDiscipline = QStringLiteral(
        "Наименование дисциплины не заполнено. Если в этой строке необходима оценка, то такая строка будет "
        "распечатана в документах, но не будет видна в итоговой ведомости оценок. Продолжить?");
    const QString repeated = QStringLiteral("Такая дисциплина (строка) уже имеется в этом списке у данного студента. "
                                            "Вы хотите ввести еще одну строку с таким же наименованием?");
    const QString noGrade = QStringLiteral("Оценка не была введена. Продолжить?");

    // No discipline: Да goes straight on to the grade question.
    core::state().CurrentStudentId = person;
    auto card = openCard(core::Grades, 0, false, 0, kGroupB31);
    card->setLineText(3, QStringLiteral("10"));
    messages_.answer(ui::Yes);
    messages_.answer(ui::No);
    EXPECT_FALSE(card->Ok_Click());
    EXPECT_EQ(messages_.texts(), (QStringList{noDiscipline, noGrade}));
    EXPECT_EQ(messages_.messages().front().style, ui::YesNo | ui::Exclamation | ui::DefaultButton2);

    // A discipline the person has in this document kind: asked; Нет stops.
    messages_.clear();
    card = openCard(core::Grades, 0, false, 0, kGroupB31);
    card->setLineText(3, QStringLiteral("10"));
    chooseEntry(card->Cm1(1), jet::toText(value("SELECT NAIM FROM SPPRED WHERE IDD = 12")));
    EXPECT_FALSE(card->Ok_Click());
    EXPECT_EQ(messages_.texts(), QStringList{repeated});

    // The same discipline in another document kind passes without asking.
    messages_.clear();
    card = openCard(core::Grades, 0, false, core::RetrainingDocuments, kGroupB31);
    card->setLineText(3, QStringLiteral("10"));
    chooseEntry(card->Cm1(1), jet::toText(value("SELECT NAIM FROM SPPRED WHERE IDD = 12")));
    chooseEntry(card->Cm1(4), QStringLiteral("отлично"));
    EXPECT_TRUE(card->Ok_Click());
    EXPECT_EQ(messages_.count(), 0);
    EXPECT_EQ(jet::toLong(value("SELECT VidDokum FROM EXAM WHERE IDE = ?", {qlonglong(core::state().CurrentRowId)})), 1);
}

TEST_F(CardValidationTest, GradeLineWithoutADocumentKindIsNoRepeat)
{
    // The person's only line of the discipline has no document kind: it
    // belongs to no window's list, so a new line of kind 0 is no repeat.
    core::state().CurrentStudentId = kVesnina;
    db().execute("UPDATE EXAM SET VidDokum = NULL WHERE ID = ? AND IDD = 12", {qlonglong(kVesnina)});
    ASSERT_EQ(jet::toLong(value("SELECT count(*) FROM EXAM WHERE ID = ? AND IDD = 12 AND VidDokum IS NOT NULL",
                                {qlonglong(kVesnina)})),
              0);
    auto card = openCard(core::Grades, 0, false, 0, kGroupB31);
    card->setLineText(3, QStringLiteral("10"));
    chooseEntry(card->Cm1(1), jet::toText(value("SELECT NAIM FROM SPPRED WHERE IDD = 12")));
    chooseEntry(card->Cm1(4), QStringLiteral("отлично"));
    EXPECT_TRUE(card->Ok_Click());
    EXPECT_EQ(messages_.count(), 0) << messages_.texts().join('\n').toStdString();
}

TEST_F(CardValidationTest, ANumberTestThatCannotRunStopsTheSave)
{
    const auto card = openCard(core::Students, 3);
    showCard(*card);
    card->setLineText(6, QStringLiteral("555"));
    db().execute("ALTER TABLE SPGRUP RENAME TO SPGRUP_away");  // the test's query cannot run
    EXPECT_FALSE(card->Ok_Click());
    ASSERT_EQ(messages_.count(), 1);
    EXPECT_TRUE(messages_.texts().first().startsWith(
        QStringLiteral("Не удалось проверить, нет ли номера \"555\" у другого студента.")))
        << messages_.texts().first().toStdString();
    EXPECT_EQ(QApplication::focusWidget(), card->Text1(6));
    EXPECT_NE(jet::toText(value("SELECT REGNOMMED FROM SPSTUD WHERE ID = 3")), QStringLiteral("555"));
    card->setChanged(false);
    card->close();
    db().execute("ALTER TABLE SPGRUP_away RENAME TO SPGRUP");
}

TEST_F(CardValidationTest, PlanDuplicateTestUsesTheCardsOwnGroup)
{
    const QString repeated = QStringLiteral("Такая дисциплина (строка) уже имеется в учебном плане данной группы. Вы "
                                            "хотите ввести еще одну строку с таким же наименованием?");
    const QString discipline = jet::toText(value("SELECT NAIM FROM SPPRED WHERE IDD = 43"));  // only in plans 3 and 5
    // The window shows group "Б 31"; the card's line names "П 31", whose plan has it.
    auto card = openCard(core::StudyPlan, 0, false, -1, kGroupB31);
    chooseEntry(card->Cm1(0), QStringLiteral("П 31"));
    chooseEntry(card->Cm1(1), discipline);
    card->setLineText(3, QStringLiteral("12"));
    EXPECT_FALSE(card->Ok_Click());
    EXPECT_EQ(messages_.texts(), QStringList{repeated});

    messages_.clear();
    card = openCard(core::StudyPlan, 0, false, -1, kGroupP31);
    chooseEntry(card->Cm1(0), QStringLiteral("Б 31"));
    chooseEntry(card->Cm1(1), discipline);
    card->setLineText(3, QStringLiteral("12"));
    EXPECT_TRUE(card->Ok_Click());
    EXPECT_EQ(messages_.count(), 0);
}

TEST_F(CardValidationTest, TrailingEmptyLinesOfADisciplineAreKeptOrStripped)
{
    for (int answer : {int(ui::Yes), int(ui::No)}) {
        messages_.clear();
        const auto card = openCard(core::Disciplines);
        const QString name = QStringLiteral("Физика %1\r\n \n").arg(answer);
        card->setLineText(0, name);
        chooseEntry(card->Cm1(1), QStringLiteral("Дисциплина"));
        messages_.answer(answer);
        EXPECT_TRUE(card->Ok_Click());
        ASSERT_EQ(messages_.count(), 1);
        EXPECT_TRUE(messages_.texts().first().startsWith(QStringLiteral("Наименование дисциплины содержит в конце")));
        const QString stored =
            jet::toText(value("SELECT NAIM FROM SPPRED WHERE IDD = ?", {qlonglong(core::state().CurrentRowId)}));
        EXPECT_EQ(stored, answer == ui::Yes ? QStringLiteral("Физика 6\n \n") : QStringLiteral("Физика 7"));
    }
}

TEST_F(CardValidationTest, RepeatedRegistrationNumberOffersTheNextOne)
{
    // Person 3 ("Шилов") is given person 1's certificate number.
    const QString question = QStringLiteral(
        "Такой регистрационный номер Кальветы имеется у студента \"Веснина Ольга Андреевна\" в группе \"Б 31\". "
        "Рекомендуем Вам исправить номер, следующий регистрационный номер по порядку: 11111235. \"Да\" - вписать "
        "этот номер, \"Нет\" - исправить вручную, \"Отмена\" - сохранить повторяющийся номер.");
    const struct {
        int answer;
        bool saved;
        const char* stored;
    } cases[] = {
        {ui::Yes, true, "11111235"},
        {ui::No, false, nullptr},
        {ui::Cancel, true, "11111234"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        db().execute("UPDATE SPSTUD SET REGNOMMED = NULL WHERE ID = 3");
        messages_.clear();
        const auto card = openCard(core::Students, 3);
        showCard(*card);
        card->setLineText(6, QStringLiteral(" 11111234 "));
        messages_.answer(c.answer);
        EXPECT_EQ(card->Ok_Click(), c.saved);
        ASSERT_EQ(messages_.count(), 1);
        EXPECT_EQ(messages_.texts().first(), question);
        // Its Отмена saves the number: Esc does not answer it.
        EXPECT_EQ(messages_.messages().front().style, ui::YesNoCancel | ui::Question | ui::ButtonsOnly);
        const QVariant stored = value("SELECT REGNOMMED FROM SPSTUD WHERE ID = 3");
        if (c.saved) {
            EXPECT_EQ(jet::toText(stored), QString::fromUtf8(c.stored));
        } else {
            EXPECT_TRUE(jet::isNull(stored));
            EXPECT_EQ(QApplication::focusWidget(), card->Text1(6));
            card->setChanged(false);
            card->close();
        }
    }
}

TEST_F(CardValidationTest, OwnNumberIsNoRepeatButTheCopiedOnesIs)
{
    auto card = openCard(core::Students, kVesnina);
    typeText(card->Text1(10), QStringLiteral("квитанция"));
    EXPECT_TRUE(card->Ok_Click());
    EXPECT_EQ(messages_.count(), 0);

    card = openCard(core::Students, kVesnina, true);
    messages_.answer(ui::No);
    EXPECT_FALSE(card->Ok_Click());
    EXPECT_TRUE(messages_.texts().first().startsWith(QStringLiteral("Такой регистрационный номер Кальветы имеется у "
                                                                    "студента \"Веснина Ольга Андреевна\"")));
}

TEST_F(CardValidationTest, RepeatedRetrainingDocumentNumberIsCheckedInItsLayoutOnly)
{
    // Person 1 in the retraining layout is given person 4's document number.
    auto card = openCard(core::Students, kVesnina, false, core::RetrainingDocuments);
    card->setLineText(11, QStringLiteral("1"));
    messages_.answer(ui::Yes);
    EXPECT_TRUE(card->Ok_Click());
    ASSERT_EQ(messages_.count(), 1);
    EXPECT_TRUE(messages_.texts().first().startsWith(QStringLiteral(
        "Такой регистрационный номер документа переподготовки имеется у студента \"Крылова Марина Викторовна\" в "
        "группе \"П 31\". Рекомендуем Вам исправить номер, следующий регистрационный номер по порядку: 2.")));
    EXPECT_EQ(jet::toText(value("SELECT regnomDoc FROM SPSTUD WHERE ID = 1")), QStringLiteral("2"));
    // In the certificate layout the certificate number alone is checked.
    messages_.clear();
    card = openCard(core::Students, 4);
    card->setLineText(6, QStringLiteral("777"));
    EXPECT_TRUE(card->Ok_Click());
    EXPECT_EQ(messages_.count(), 0);
}
