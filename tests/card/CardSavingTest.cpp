// Saving the card: values by control kind, new, edited and copied rows, a
// copied person's grade lines, digit copies, the institution card's
// follow-ups, the sub-heading row, and failed saves.
#include "CardTestSupport.h"

#include "card/CardInputs.h"
#include "platform/settings/Settings.h"

#include <QCheckBox>
#include <QTest>

using namespace cardtest;
using card::frmSD1;

namespace {

class CardSavingTest : public CardTest {};

} // namespace

TEST_F(CardSavingTest, UnchangedCardClosesWithoutWriting)
{
    const auto card = openCard(core::Groups, kGroupZ41);
    showCard(*card);
    EXPECT_TRUE(card->Ok_Click());
    EXPECT_FALSE(card->isVisible());
    EXPECT_EQ(core::state().DialogResult, 0);
    EXPECT_EQ(core::state().CurrentRowId, kGroupZ41);
}

TEST_F(CardSavingTest, NewRowIsSavedEvenUntouchedAndReportsItsKey)
{
    const long before = count("SPMED");
    const auto card = openCard(core::MedicalSpecialties);
    card->setLineText(0, QStringLiteral("  Рентгенология  "));
    chooseEntry(card->Cm1(1), QStringLiteral("СПО"));
    EXPECT_TRUE(card->Ok_Click());
    EXPECT_EQ(core::state().DialogResult, -1);
    EXPECT_EQ(count("SPMED"), before + 1);
    EXPECT_EQ(core::state().CurrentRowId, maxKey("SPMED", "IDM"));
    EXPECT_EQ(jet::toText(value("SELECT NAIM FROM SPMED WHERE IDM = ?", {qlonglong(core::state().CurrentRowId)})),
              QStringLiteral("Рентгенология"));
}

TEST_F(CardSavingTest, EveryKindOfLineIsStoredByItsRule)
{
    const auto card = openCard(core::Groups, kGroupP31);
    card->setLineText(8, QStringLiteral("   "));              // text of blanks: Null
    card->setLineText(14, QStringLiteral("  первая\nвторая "));  // memo: only blanks trimmed
    card->Cm1(5)->setCurrentIndex(-1);                        // no entry: 0
    card->DT1(6)->setValue(QVariant());                        // emptied date: Null
    card->DT1(7)->setValue(QDate(2015, 3, 4));
    card->Ch1(20)->click();                                   // period off: its dates Null
    EXPECT_TRUE(card->Ok_Click());
    const auto row = db().openRecordset("SELECT * FROM SPGRUP WHERE IDG = 5", jet::dbOpenSnapshot);
    EXPECT_TRUE(jet::isNull(row->value("FIOGAK")));
    EXPECT_EQ(row->text("DOPOL"), QStringLiteral("первая\nвторая"));
    EXPECT_EQ(jet::toLong(row->value("IDX")), 0);
    EXPECT_FALSE(jet::isNull(row->value("IDX")));
    EXPECT_TRUE(jet::isNull(row->value("DatGAK")));
    EXPECT_EQ(row->value("Dat").toDate(), QDate(2015, 3, 4));
    EXPECT_TRUE(jet::isNull(row->value("date_S")));
    EXPECT_TRUE(jet::isNull(row->value("date_Po")));
    // Columns no line names keep their values.
    EXPECT_EQ(jet::toLong(row->value("IDO")), 5);
}

// Ctrl+Enter while a date is still being typed saves the date as typed; a
// date that does not exist stops the save with its message.
TEST_F(CardSavingTest, DateBeingTypedIsSavedAsTyped)
{
    const auto card = openCard(core::Groups, kGroupP31);
    showCard(*card);
    card->DT1(21)->setValue(QDate(2023, 1, 10));
    QWidget* editor = card->DT1(21)->editor();
    card->DT1(22)->editor()->setFocus();
    editor->setFocus();
    QApplication::processEvents();
    QTest::keyClicks(editor, QStringLiteral("29.02"));  // 2023 has no 29 February
    pressKey(editor, Qt::Key_Return, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(messages_.texts(), QStringList{QStringLiteral("Даты 29.02.2023 не существует. Проверьте число и месяц.")});
    EXPECT_TRUE(card->isVisible());
    EXPECT_EQ(card->DT1(21)->date(), QDate(2023, 1, 10));

    messages_.clear();
    editor->setFocus();
    QTest::keyClicks(editor, QStringLiteral("20.05"));  // the year stays as shown
    pressKey(editor, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(messages_.count(), 0) << messages_.texts().join(QLatin1Char('|')).toStdString();
    const auto row = db().openRecordset("SELECT * FROM SPGRUP WHERE IDG = 5", jet::dbOpenSnapshot);
    EXPECT_EQ(row->value("date_S").toDate(), QDate(2023, 5, 20));
}

TEST_F(CardSavingTest, UntouchedDatesOfANewRowAreNull)
{
    const auto card = openCard(core::Students, 0, false, core::RetrainingDocuments, kGroupP31);
    card->setLineText(2, QStringLiteral("Орлов"));
    card->Ch1(15)->click();
    EXPECT_TRUE(card->Ok_Click());
    const auto row = db().openRecordset("SELECT * FROM SPSTUD WHERE ID = ?", jet::dbOpenSnapshot,
                                        {qlonglong(core::state().CurrentRowId)});
    EXPECT_TRUE(jet::isNull(row->value("D_R")));
    EXPECT_EQ(jet::toLong(row->value("IDG")), kGroupP31);
    EXPECT_EQ(jet::toLong(row->value("DUBL")), -1);
    EXPECT_EQ(jet::toLong(row->value("IDV")), 0);
    EXPECT_TRUE(jet::isNull(row->value("regnomDoc")));  // disabled while empty
    EXPECT_TRUE(jet::isNull(row->value("DocYr")));

    const auto group = openCard(core::Groups);
    group->setLineText(0, QStringLiteral("Н 11"));
    chooseEntry(group->Cm1(16), group->Cm1(16)->itemText(0));
    EXPECT_TRUE(group->Ok_Click());
    for (const char* column : {"DatGAK", "Dat", "PRIKAZDAT", "DatMed", "DatGAKMed", "date_S", "date_Po"})
        EXPECT_TRUE(jet::isNull(value(QStringLiteral("SELECT %1 FROM SPGRUP WHERE IDG = ?").arg(column),
                                      {qlonglong(core::state().CurrentRowId)})))
            << column;
}

TEST_F(CardSavingTest, YearAndNumbersAreStoredAsNumbers)
{
    const auto card = openCard(core::Students, 4, false, core::RetrainingDocuments);
    card->setLineText(18, QStringLiteral("2005"));
    EXPECT_TRUE(card->Ok_Click());
    EXPECT_EQ(jet::toLong(value("SELECT DocYr FROM SPSTUD WHERE ID = 4")), 2005);
}

TEST_F(CardSavingTest, AValueTheColumnRefusesKeepsTheCardOpen)
{
    const auto card = openCard(core::Students, 4, false, core::RetrainingDocuments);
    showCard(*card);
    card->setLineText(18, QStringLiteral("20x5"));
    EXPECT_FALSE(card->Ok_Click());
    EXPECT_TRUE(card->isVisible());
    EXPECT_EQ(core::state().DialogResult, 0);
    ASSERT_EQ(messages_.count(), 1);
    // The line is named by its caption, never by the column behind it.
    EXPECT_EQ(messages_.texts().first(), QStringLiteral("Не удалось записать значение поля \"Год окончания\": значение "
                                                        "«20x5» не подходит. Изменения не сохранены."));
    EXPECT_EQ(QApplication::focusWidget(), card->Text3(18));
    EXPECT_EQ(jet::toLong(value("SELECT DocYr FROM SPSTUD WHERE ID = 4")), 2010);
    // Corrected, the same card saves.
    card->setLineText(18, QStringLiteral("2011"));
    EXPECT_TRUE(card->Ok_Click());
    EXPECT_EQ(jet::toLong(value("SELECT DocYr FROM SPSTUD WHERE ID = 4")), 2011);
}

TEST_F(CardSavingTest, AFailedUpdateIsAFailedSave)
{
    const auto card = openCard(core::StudyForms, 1);
    showCard(*card);
    typeText(card->Text1(1), QStringLiteral("!"));
    db().execute("CREATE TRIGGER refuse BEFORE UPDATE ON SPFORM BEGIN SELECT RAISE(ABORT, 'занято'); END");
    EXPECT_FALSE(card->Ok_Click());
    EXPECT_TRUE(card->isVisible());
    EXPECT_EQ(core::state().DialogResult, 0);
    ASSERT_EQ(messages_.count(), 1);
    EXPECT_TRUE(messages_.texts().first().startsWith(
        QStringLiteral("Возникла ошибка при сохранении данных. Проверьте, изменились ли данные в справочнике. "
                       "Изменения не сохранены. Ошибка: ")))
        << messages_.texts().first().toStdString();
    EXPECT_TRUE(messages_.texts().first().contains(QStringLiteral("занято")));
    EXPECT_EQ(card->lineText(1), QStringLiteral("по очной форме!"));
    db().execute("DROP TRIGGER refuse");
    EXPECT_TRUE(card->Ok_Click());
    EXPECT_EQ(jet::toText(value("SELECT NAIM2 FROM SPFORM WHERE IDF = 1")), QStringLiteral("по очной форме!"));
}

TEST_F(CardSavingTest, ARowThatCannotBeOpenedForEditingIsAFailedSave)
{
    const auto card = openCard(core::StudyForms, 1);
    showCard(*card);
    typeText(card->Text1(1), QStringLiteral("!"));
    // The card's row is no longer current, as when another user removed it.
    ASSERT_TRUE(card->RowRecordset());
    card->RowRecordset()->moveNext();
    EXPECT_FALSE(card->Ok_Click());
    EXPECT_TRUE(card->isVisible());
    EXPECT_EQ(core::state().DialogResult, 0);
    ASSERT_EQ(messages_.count(), 1);
    EXPECT_TRUE(messages_.texts().first().startsWith(QStringLiteral("Извините, но эта строка")));
    EXPECT_EQ(jet::toText(value("SELECT NAIM2 FROM SPFORM WHERE IDF = 1")), QStringLiteral("по очной форме"));
    card->setChanged(false);
    card->close();
}

TEST_F(CardSavingTest, NewPlanAndGradeLinesOrderThemselvesByTheirKeys)
{
    auto plan = openCard(core::StudyPlan, 0, false, -1, kGroupZ41);
    chooseEntry(plan->Cm1(1), QStringLiteral("Математика"));
    messages_.answer(ui::Yes);  // it is in the plan already: add another
    plan->setLineText(3, QStringLiteral("2 недели"));
    EXPECT_TRUE(plan->Ok_Click());
    const qlonglong idn = core::state().CurrentRowId;
    EXPECT_EQ(jet::toLong(value("SELECT SORT FROM SPNAGR WHERE IDN = ?", {idn})), idn);
    EXPECT_EQ(jet::toLong(value("SELECT IDG FROM SPNAGR WHERE IDN = ?", {idn})), kGroupZ41);

    core::state().CurrentStudentId = 2;
    auto grade = openCard(core::Grades, 0, false, core::RetrainingDocuments, kGroupZ41);
    chooseEntry(grade->Cm1(1), QStringLiteral("Математика"));
    chooseEntry(grade->Cm1(4), QStringLiteral("хорошо"));
    grade->setLineText(3, QStringLiteral("30"));
    EXPECT_TRUE(grade->Ok_Click());
    const qlonglong ide = core::state().CurrentRowId;
    const auto row = db().openRecordset("SELECT * FROM EXAM WHERE IDE = ?", jet::dbOpenSnapshot, {ide});
    EXPECT_EQ(jet::toLong(row->value("SORT")), ide);
    EXPECT_EQ(jet::toLong(row->value("VidDokum")), 1);
    EXPECT_EQ(jet::toLong(row->value("ID")), 2);
}

TEST_F(CardSavingTest, CopiedPersonTakesItsGradeLinesAsAnswered)
{
    const long source = kVesnina;
    const long sourceLines = long(jet::toLong(value("SELECT count(*) FROM EXAM WHERE ID = ?", {qlonglong(source)})));
    ASSERT_GT(sourceLines, 10);
    const struct {
        std::vector<int> answers;
        bool saved;
        bool lines;
        bool grades;
    } cases[] = {
        {{ui::Yes, ui::Yes}, true, true, true},
        {{ui::Yes, ui::No}, true, true, false},
        {{ui::No}, true, false, false},
        {{ui::Cancel}, false, false, false},
        {{ui::Yes, ui::Cancel}, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answers.size() * 10 + c.answers.back());
        messages_.clear();
        const long persons = count("SPSTUD");
        const long lines = count("EXAM");
        const auto card = openCard(core::Students, source, true);
        card->setLineText(6, QStringLiteral("99%1").arg(persons));  // a number of its own
        card->setLineText(3, QStringLiteral("Анна"));
        for (int a : c.answers)
            messages_.answer(a);
        EXPECT_EQ(card->Ok_Click(), c.saved);
        EXPECT_EQ(int(messages_.count()), int(c.answers.size()));
        EXPECT_EQ(messages_.texts().first(), QStringLiteral("У копируемого студента уже был заполнен список "
                                                            "дисциплин и итоговых оценок. Копировать список "
                                                            "дисциплин?"));
        EXPECT_EQ(messages_.messages().front().style, ui::YesNoCancel | ui::Question | ui::DefaultButton2);
        if (!c.saved) {
            EXPECT_EQ(count("SPSTUD"), persons);
            EXPECT_EQ(count("EXAM"), lines);
            card->setChanged(false);
            continue;
        }
        const qlonglong copy = core::state().CurrentRowId;
        EXPECT_NE(copy, source);
        EXPECT_EQ(count("SPSTUD"), persons + 1);
        EXPECT_EQ(count("EXAM"), lines + (c.lines ? sourceLines : 0));
        if (!c.lines)
            continue;
        // Line for line in the source's order, each ordered by its own key.
        const auto from = db().openRecordset("SELECT * FROM EXAM WHERE ID = ? ORDER BY SORT", jet::dbOpenSnapshot,
                                             {qlonglong(source)});
        const auto to = db().openRecordset("SELECT * FROM EXAM WHERE ID = ? ORDER BY SORT", jet::dbOpenSnapshot, {copy});
        for (; !from->isEOF(); from->moveNext(), to->moveNext()) {
            ASSERT_FALSE(to->isEOF());
            EXPECT_EQ(to->value("IDD"), from->value("IDD"));
            EXPECT_EQ(to->value("CH"), from->value("CH"));
            EXPECT_EQ(to->value("VidDokum"), from->value("VidDokum"));
            EXPECT_EQ(jet::toLong(to->value("SORT")), jet::toLong(to->value("IDE")));
            if (c.grades)
                EXPECT_EQ(to->value("IDB"), from->value("IDB"));
            else
                EXPECT_TRUE(jet::isNull(to->value("IDB")));
        }
        EXPECT_TRUE(to->isEOF());
    }
}

TEST_F(CardSavingTest, CopyOfAPersonWithoutGradeLinesAsksNothing)
{
    db().execute("DELETE FROM EXAM WHERE ID = 1");
    const auto card = openCard(core::Students, kVesnina, true);
    card->setLineText(6, QStringLiteral("555"));
    EXPECT_TRUE(card->Ok_Click());
    EXPECT_EQ(messages_.count(), 0);
}

TEST_F(CardSavingTest, RegistrationNumbersGetDigitCopies)
{
    const struct {
        const char* number;
        const char* digits;
    } cases[] = {{"12 34", "1234"}, {"б/н", "0"}, {"0012-А", "12"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        const auto card = openCard(core::Students, 2);
        card->setLineText(6, QString::fromUtf8(c.number));
        EXPECT_TRUE(card->Ok_Click());
        EXPECT_EQ(jet::toText(value("SELECT REGNOMMEDF FROM SPSTUD WHERE ID = 2")), QString::fromUtf8(c.digits));
        EXPECT_EQ(jet::toText(value("SELECT REGNOMF FROM SPSTUD WHERE ID = 2")), QStringLiteral("17819"));
    }
}

TEST_F(CardSavingTest, InstitutionCardSetsTheOfficeAndTheServiceLogin)
{
    core::shellServices().encryptString = [](const QString& s) { return QStringLiteral("enc:") + s; };
    core::shellServices().decryptString = [](const QString& s) { return s.mid(4); };
    const auto card = openCard(core::Institution, 1);
    chooseEntry(card->Cm1(13), QStringLiteral("OpenOffice.org"));
    card->setLineText(20, QStringLiteral(" college "));
    card->setLineText(21, QStringLiteral("pa$$"));
    EXPECT_TRUE(card->Ok_Click());
    EXPECT_TRUE(core::state().OfficeIsOOo);
    EXPECT_EQ(jet::toLong(value("SELECT OOo FROM INF")), 2);
    EXPECT_EQ(settings::getSetting("Settings", "Логин"), QStringLiteral(" college "));
    EXPECT_EQ(settings::getSetting("Settings", "Пароль"), QStringLiteral("enc:pa$$"));

    const auto again = openCard(core::Institution, 1);
    EXPECT_EQ(again->lineText(21), QStringLiteral("pa$$"));
    chooseEntry(again->Cm1(13), QStringLiteral("Microsoft Office"));
    EXPECT_TRUE(again->Ok_Click());
    EXPECT_FALSE(core::state().OfficeIsOOo);
    EXPECT_EQ(settings::getSetting("Settings", "Пароль"), QStringLiteral("enc:pa$$"));
}

TEST_F(CardSavingTest, CipherFailureKeepsTheStoredPassword)
{
    settings::saveSetting("Settings", "Пароль", "enc:old");
    core::shellServices().decryptString = [](const QString& s) { return s.mid(4); };
    core::shellServices().encryptString = [](const QString&) { return QString(); };
    const auto card = openCard(core::Institution, 1);
    card->setLineText(21, QStringLiteral("new"));
    EXPECT_TRUE(card->Ok_Click());
    EXPECT_EQ(settings::getSetting("Settings", "Пароль"), QStringLiteral("enc:old"));
    ASSERT_EQ(messages_.count(), 1);
    EXPECT_EQ(messages_.texts().first(), QStringLiteral("Не удалось зашифровать пароль сервиса обновлений. Новый "
                                                        "пароль не сохранен, сохранен прежний пароль."));
    EXPECT_EQ(core::state().DialogResult, -1);
}

TEST_F(CardSavingTest, HeadingInAPlanOffersItsSubHeadingRow)
{
    // Plan of "П 31": four lines with SORT 178..181; a heading is added after
    // the first, whose follower sits right behind it.
    const long group = kGroupP31;
    const auto sorts = [&] {
        QList<qlonglong> out;
        const auto rs = db().openRecordset("SELECT SORT FROM SPNAGR WHERE IDG = ? ORDER BY SORT", jet::dbOpenSnapshot,
                                           {qlonglong(group)});
        for (; !rs->isEOF(); rs->moveNext())
            out << jet::toLong(rs->value(0));
        return out;
    };
    const qlonglong first = long(jet::toLong(value("SELECT min(IDN) FROM SPNAGR WHERE IDG = ?", {qlonglong(group)})));
    const qlonglong firstSort = jet::toLong(value("SELECT SORT FROM SPNAGR WHERE IDN = ?", {first}));
    const auto card = openCard(core::StudyPlan, long(first), false, -1, group);
    chooseEntry(card->Cm1(1), QStringLiteral("ВСЕГО часов теоретического обучения:"));
    messages_.answer(ui::Yes);
    EXPECT_TRUE(card->Ok_Click());
    ASSERT_EQ(messages_.count(), 1);
    EXPECT_EQ(messages_.texts().first(), QStringLiteral("Добавить после строки \"ВСЕГО часов теоретического обучения:\" "
                                                        "строку \"в том числе аудиторных часов:\"?"));
    EXPECT_EQ(core::state().CurrentRowId, first);
    const QList<qlonglong> after = sorts();
    ASSERT_EQ(after.size(), 5);
    EXPECT_EQ(after.first(), firstSort);
    EXPECT_EQ(after.at(1), firstSort + 1);
    EXPECT_EQ(jet::toText(value("SELECT SPPRED.NAIM FROM SPNAGR JOIN SPPRED ON SPPRED.IDD = SPNAGR.IDD "
                                "WHERE SPNAGR.IDG = ? AND SPNAGR.SORT = ?",
                                {qlonglong(group), firstSort + 1})),
              QStringLiteral("в том числе аудиторных часов:"));
    // The later lines moved down by one: no two share a place.
    EXPECT_EQ(QSet<qlonglong>(after.begin(), after.end()).size(), 5);

    // Saved again, the heading is followed by its sub-heading: no question.
    messages_.clear();
    const auto again = openCard(core::StudyPlan, long(first), false, -1, group);
    again->setLineText(3, QStringLiteral("999"));
    EXPECT_TRUE(again->Ok_Click());
    EXPECT_EQ(messages_.count(), 0);
}

TEST_F(CardSavingTest, GradeTotalsSubHeadingTakesTheCrossGrade)
{
    core::state().CurrentStudentId = 4;
    const auto card = openCard(core::Grades, 0, false, core::RetrainingDocuments, kGroupP31);
    chooseEntry(card->Cm1(1), QStringLiteral("ВСЕГО часов теоретического обучения:"));
    chooseEntry(card->Cm1(4), QStringLiteral("х"));
    card->setLineText(3, QStringLiteral("500"));
    messages_.answer(ui::Yes);
    EXPECT_TRUE(card->Ok_Click());
    const qlonglong saved = core::state().CurrentRowId;
    const qlonglong sort = jet::toLong(value("SELECT SORT FROM EXAM WHERE IDE = ?", {saved}));
    const auto sub = db().openRecordset("SELECT * FROM EXAM WHERE ID = 4 AND SORT = ?", jet::dbOpenSnapshot, {sort + 1});
    ASSERT_FALSE(sub->isEOF());
    EXPECT_EQ(jet::toLong(sub->value("IDD")), 7);
    EXPECT_EQ(jet::toLong(sub->value("IDB")), jet::toLong(value("SELECT IDB FROM SPBALL WHERE OCEN = 'х'")));
    EXPECT_EQ(jet::toLong(sub->value("VidDokum")), 1);
}

TEST_F(CardSavingTest, MissingSubHeadingIsReportedAndTheRowStillSaved)
{
    db().execute("UPDATE SPPRED SET NAIM = 'в том числе (старое):' WHERE IDD = 8");
    const long before = count("SPNAGR");
    auto card = openCard(core::StudyPlan, 0, false, -1, kGroupP31);
    chooseEntry(card->Cm1(1), jet::toText(value("SELECT NAIM FROM SPPRED WHERE IDD = 2")));  // "Практика", a heading
    card->setLineText(3, QStringLiteral("10"));
    messages_.answer(ui::Yes);
    EXPECT_TRUE(card->Ok_Click());
    EXPECT_EQ(messages_.texts().last(), QStringLiteral("Строка \"в том числе:\" не добавлена, так как такой предмет не "
                                                       "найден в справочнике дисциплин."));
    EXPECT_EQ(messages_.messages().back().icon(), ui::Information);
    EXPECT_EQ(count("SPNAGR"), before + 1);
}

TEST_F(CardSavingTest, RowAndSubHeadingAreStoredTogetherOrNotAtAll)
{
    const long before = count("SPNAGR");
    // The sub-heading row is refused: the plan line goes with it.
    db().execute("CREATE TRIGGER refuse BEFORE INSERT ON SPNAGR WHEN NEW.IDD = 8 BEGIN SELECT RAISE(ABORT, 'нет'); END");
    const auto card = openCard(core::StudyPlan, 0, false, -1, kGroupP31);
    chooseEntry(card->Cm1(1), jet::toText(value("SELECT NAIM FROM SPPRED WHERE IDD = 2")));  // "Практика", a heading
    card->setLineText(3, QStringLiteral("10"));
    messages_.answer(ui::Yes);
    EXPECT_FALSE(card->Ok_Click());
    EXPECT_EQ(count("SPNAGR"), before);
    EXPECT_EQ(core::state().DialogResult, 0);
    EXPECT_TRUE(messages_.texts().last().startsWith(QStringLiteral("Возникла ошибка при сохранении данных.")));
}

TEST_F(CardSavingTest, CopiedPersonAndItsGradeLinesAreStoredTogetherOrNotAtAll)
{
    const long persons = count("SPSTUD");
    const long lines = count("EXAM");
    db().execute("CREATE TRIGGER refuse BEFORE INSERT ON EXAM WHEN NEW.IDD = 14 BEGIN SELECT RAISE(ABORT, 'нет'); END");
    const auto card = openCard(core::Students, kVesnina, true);
    card->setLineText(6, QStringLiteral("4242"));
    messages_.answer(ui::Yes);
    messages_.answer(ui::Yes);
    EXPECT_FALSE(card->Ok_Click());
    EXPECT_EQ(count("SPSTUD"), persons);
    EXPECT_EQ(count("EXAM"), lines);
    EXPECT_EQ(core::state().CurrentRowId, kVesnina);  // still the source for the next try
    db().execute("DROP TRIGGER refuse");
    messages_.answer(ui::Yes);
    messages_.answer(ui::Yes);
    EXPECT_TRUE(card->Ok_Click());
    EXPECT_EQ(count("SPSTUD"), persons + 1);
    EXPECT_GT(count("EXAM"), lines);
}
