// Building and loading the record card: lines by kind, values and tags,
// defaults of a new row, the caption and the grid.
#include "CardTestSupport.h"

#include "card/CardInputs.h"
#include "core/ChildWindows.h"
#include "core/DirectoryMetadata.h"
#include "platform/settings/Settings.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>

using namespace cardtest;
using card::frmSD1;

namespace {

class CardLoadTest : public CardTest {};

// Every input of a card is empty, as a new row shows it, apart from `except`.
void expectEmptyLines(const frmSD1& card, const QList<int>& except = {})
{
    for (int i = 0; i < card.lineCount(); ++i) {
        if (except.contains(i))
            continue;
        SCOPED_TRACE(card.field(i).Caption().toStdString());
        switch (card.field(i).controlKind) {
        case card::List:
            EXPECT_EQ(card.listIndex(i), -1);
            break;
        case card::Check:
            EXPECT_FALSE(card.isChecked(i));
            break;
        case card::Date:
            EXPECT_FALSE(card.DT1(i)->hasDate());
            break;
        case card::Header:
        case card::Password:
            break;
        default:
            EXPECT_EQ(card.lineText(i), QString());
        }
    }
}

} // namespace

TEST_F(CardLoadTest, NewRowOfEveryKindStartsEmptyAndChanged)
{
    for (int kind : {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 16}) {
        SCOPED_TRACE(kind);
        const auto card = openCard(kind);
        ASSERT_TRUE(card->isLoaded());
        EXPECT_EQ(card->windowTitle(), core::SingularNames(kind) + QStringLiteral(": Новый"));
        EXPECT_TRUE(card->IsChanged());
        EXPECT_EQ(core::state().DialogResult, 0);
        expectEmptyLines(*card);
        EXPECT_EQ(card->Command1()->isHidden(), true);
    }
    EXPECT_EQ(messages_.count(), 0);
}

TEST_F(CardLoadTest, NewPersonStartsInTheWindowsGroupWithProposedNumbers)
{
    // The group is found by its key, whatever its position in the list.
    const auto card = openCard(core::Students, 0, false, -1, kGroupZ41);
    EXPECT_EQ(card->Cm1(0)->currentText(), QStringLiteral("З 41"));
    EXPECT_EQ(card->Tag(0), QString::number(card->Cm1(0)->currentIndex()));
    EXPECT_EQ(card->lineText(6), QStringLiteral("11111235"));
    EXPECT_EQ(card->lineText(7), QStringLiteral("1123457819124"));
    EXPECT_FALSE(card->Command1()->isHidden());
    EXPECT_TRUE(card->dokPK()->isHidden());
    expectEmptyLines(*card, {0, 6, 7});

    // No group chosen in the window: none here either, whatever key is left over.
    core::state().CurrentGroupIndex = -1;
    EXPECT_EQ(openCard(core::Students, 0, false, -1, kGroupZ41)->listIndex(0), -1);
}

TEST_F(CardLoadTest, NewPlanLineAndGradeLineTakeTheWindowsChoices)
{
    const auto plan = openCard(core::StudyPlan, 0, false, -1, kGroupP31);
    EXPECT_EQ(plan->Cm1(0)->currentText(), QStringLiteral("П 31"));

    core::state().CurrentStudentId = 4;
    const auto grade = openCard(core::Grades, 0, false, core::RetrainingDocuments, kGroupP31);
    // Only the persons of the window's group are listed.
    EXPECT_EQ(grade->Cm1(0)->count(), 1);
    EXPECT_EQ(grade->Cm1(0)->currentText(), QStringLiteral("Крылова Марина Викторовна"));
    EXPECT_EQ(grade->Tag(0), QStringLiteral("0"));
}

TEST_F(CardLoadTest, EditedRowShowsItsValuesAndNamesItselfInTheCaption)
{
    const auto card = openCard(core::Students, kVesnina);
    ASSERT_TRUE(card->isLoaded());
    EXPECT_FALSE(card->IsChanged());
    EXPECT_EQ(card->windowTitle(), QStringLiteral("Студент: Веснина"));
    EXPECT_EQ(card->Cm1(0)->currentText(), QStringLiteral("Б 31"));
    EXPECT_EQ(card->lineText(2), QStringLiteral("Веснина"));
    EXPECT_EQ(card->Tag(2), QStringLiteral("Веснина"));
    EXPECT_EQ(card->lineText(6), QStringLiteral("11111234"));
    EXPECT_EQ(card->lineText(7), QStringLiteral("1123457819123"));
    EXPECT_EQ(card->Tag(8), QStringLiteral("0"));

    // The retraining layout of the same person: dative names, birth date.
    const auto retraining = openCard(core::Students, kVesnina, false, core::RetrainingDocuments);
    EXPECT_EQ(retraining->lineText(6), QStringLiteral("Весниной"));
    EXPECT_EQ(retraining->DT1(9)->date(), QDate(1992, 12, 14));
    EXPECT_EQ(retraining->Tag(9), QStringLiteral("14.12.1992"));
    EXPECT_EQ(retraining->Cm1(17)->currentIndex() >= 0, true);
    EXPECT_FALSE(retraining->dokPK()->isHidden());
}

TEST_F(CardLoadTest, CopyShowsTheSourceAsANewRow)
{
    const auto card = openCard(core::Students, kVesnina, true);
    EXPECT_TRUE(card->IsChanged());
    EXPECT_EQ(card->windowTitle(), QStringLiteral("Студент: Новый"));
    EXPECT_EQ(card->lineText(2), QStringLiteral("Веснина"));
    // A copy gets no proposals: its numbers are the source's.
    EXPECT_EQ(card->lineText(6), QStringLiteral("11111234"));
}

TEST_F(CardLoadTest, LongNamesAreCutInTheCaption)
{
    const QString forty(40, QChar(u'Ж'));
    db().execute("UPDATE SPOTD SET NAIM = ? WHERE IDO = 1", {forty});
    db().execute("UPDATE SPOTD SET NAIM = ? WHERE IDO = 2", {forty + QStringLiteral("Щ")});
    EXPECT_EQ(openCard(core::Specialties, 1)->windowTitle(), QStringLiteral("Специальность: ") + forty);
    EXPECT_EQ(openCard(core::Specialties, 2)->windowTitle(), QStringLiteral("Специальность: ") + forty + "...");
}

TEST_F(CardLoadTest, MissingRowWarnsAndTheCardDoesNotOpen)
{
    for (bool copy : {false, true}) {
        messages_.clear();
        const auto card = openCard(core::Groups, 999, copy);
        EXPECT_FALSE(card->isLoaded());
        EXPECT_EQ(core::state().DialogResult, 0);
        ASSERT_EQ(messages_.count(), 1);
        EXPECT_EQ(messages_.texts().first(),
                  QStringLiteral("Не найдена %1 запись. Обновите окно (F5), выделите другую строку.")
                      .arg(copy ? QStringLiteral("копируемая") : QStringLiteral("редактируемая")));
        EXPECT_EQ(messages_.messages().front().icon(), ui::Exclamation);
    }
}

TEST_F(CardLoadTest, ListsShowStoredValuesWithAMeaningfulZero)
{
    db().execute("UPDATE USERS SET ROLE = NULL");
    db().execute("UPDATE INF SET TopPronter = NULL, TaimOut = NULL");
    const long user = maxKey("USERS", "IDU");
    EXPECT_EQ(openCard(core::Users, user)->Cm1(1)->currentText(), QStringLiteral("Администратор"));

    const auto institution = openCard(core::Institution, 1);
    EXPECT_EQ(institution->Cm1(15)->currentText(), QStringLiteral("Струйный/матричный"));
    EXPECT_EQ(institution->lineText(18), QStringLiteral("150"));
    EXPECT_EQ(institution->Cm1(13)->currentText(), QStringLiteral("Microsoft Office"));

    // A discipline and a section heading show their type.
    const long discipline = long(jet::toLong(value("SELECT min(IDD) FROM SPPRED WHERE isNotPred = 0")));
    const long heading = long(jet::toLong(value("SELECT min(IDD) FROM SPPRED WHERE isNotPred <> 0")));
    EXPECT_EQ(openCard(core::Disciplines, discipline)->Cm1(1)->currentText(), QStringLiteral("Дисциплина"));
    EXPECT_EQ(openCard(core::Disciplines, heading)->Cm1(1)->currentText(), QStringLiteral("Заголовок раздела"));
}

TEST_F(CardLoadTest, AChosenEntryLongerThanItsBoxShowsItsBeginning)
{
    const long line = long(jet::toLong(value("SELECT min(IDE) FROM EXAM WHERE ID = 4 AND VidDokum = 1")));
    const auto card = openCard(core::Grades, line, false, core::RetrainingDocuments, kGroupP31);
    showCard(*card);
    QComboBox* discipline = card->Cm1(1);
    ASSERT_GT(discipline->fontMetrics().horizontalAdvance(discipline->currentText()),
              discipline->lineEdit()->width());
    // The box scrolls to its cursor: at the start, the first letters show.
    EXPECT_EQ(discipline->lineEdit()->cursorPosition(), 0);
}

TEST_F(CardLoadTest, InstitutionCardTakesTheServiceLinesApart)
{
    settings::saveSetting("Settings", "Логин", "college");
    settings::saveSetting("Settings", "Пароль", "enc:secret");
    core::shellServices().decryptString = [](const QString& s) { return s.startsWith("enc:") ? s.mid(4) : QString(); };
    const auto card = openCard(core::Institution, 1);
    EXPECT_TRUE(card->windowTitle().startsWith(QStringLiteral("Параметры учреждения: Кировское областное")));
    EXPECT_TRUE(card->windowTitle().endsWith("..."));
    EXPECT_TRUE(card->lineText(17).endsWith(QStringLiteral("webservices/update/")));
    EXPECT_TRUE(card->Text1(17)->isReadOnly());
    EXPECT_EQ(card->lineText(20), QStringLiteral("college"));
    EXPECT_EQ(card->lineText(21), QStringLiteral("secret"));
    EXPECT_EQ(card->Text1(21)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(card->Tag(21), QStringLiteral("secret"));
}

TEST_F(CardLoadTest, BaseGradeMarksAreLockedWhenEdited)
{
    const long cross = long(jet::toLong(value("SELECT IDB FROM SPBALL WHERE OCEN = 'х'")));
    const long pass = long(jet::toLong(value("SELECT IDB FROM SPBALL WHERE OCEN = '+'")));
    db().execute("INSERT INTO SPBALL (OCEN, NAIM) VALUES ('2', 'неуд.')");
    const long other = maxKey("SPBALL", "IDB");
    ASSERT_GT(cross, 0);
    EXPECT_TRUE(openCard(core::GradeKinds, cross)->Text1(0)->isReadOnly());
    EXPECT_TRUE(openCard(core::GradeKinds, pass)->Text1(0)->isReadOnly());
    EXPECT_FALSE(openCard(core::GradeKinds, cross, true)->Text1(0)->isReadOnly());
    EXPECT_FALSE(openCard(core::GradeKinds, other)->Text1(0)->isReadOnly());
    EXPECT_FALSE(openCard(core::GradeKinds, cross)->Text1(1)->isReadOnly());
}

TEST_F(CardLoadTest, RetrainingPeriodOpensTheGroupsDates)
{
    const auto withPeriod = openCard(core::Groups, kGroupP31);
    EXPECT_TRUE(withPeriod->isChecked(20));
    EXPECT_EQ(withPeriod->Tag(20), QStringLiteral("1"));
    EXPECT_TRUE(withPeriod->DT1(21)->isEnabled());
    EXPECT_EQ(withPeriod->DT1(22)->date(), QDate(2014, 2, 28));

    const auto without = openCard(core::Groups, kGroupB31);
    EXPECT_FALSE(without->isChecked(20));
    EXPECT_FALSE(without->DT1(21)->isEnabled());
    EXPECT_FALSE(without->DT1(22)->isEnabled());
    // An empty date shows no date at all.
    EXPECT_FALSE(without->DT1(21)->hasDate());
    EXPECT_EQ(without->Tag(21), QString());
}

namespace {

// Column of every line: lines whose inputs start left of the second column's
// labels are in the first one.
QList<int> linesInSecondColumn(const frmSD1& card)
{
    QList<int> second;
    const int firstColumn = card.Label1(0)->geometry().left();
    for (int i = 0; i < card.lineCount(); ++i)
        if (card.Label1(i)->geometry().left() > firstColumn + 50)
            second << i;
    return second;
}

QList<int> range(int from, int to)
{
    QList<int> r;
    for (int i = from; i <= to; ++i)
        r << i;
    return r;
}

// Labels of one column never overlap, inputs never overlap each other, and
// every caption fits its label.
void expectTidyGrid(const frmSD1& card)
{
    for (int i = 0; i < card.lineCount(); ++i) {
        const QLabel* label = card.Label1(i);
        SCOPED_TRACE(card.field(i).Caption().toStdString());
        const QRect needed = label->fontMetrics().boundingRect(QRect(0, 0, label->width(), 10000), Qt::TextWordWrap,
                                                               label->text());
        EXPECT_LE(needed.height(), label->height());
        EXPECT_TRUE(card.lineFrame()->rect().contains(label->geometry()));
        const QWidget* input = card.Элемент(i);
        if (input && input != label) {
            EXPECT_TRUE(card.lineFrame()->rect().contains(input->geometry()));
            EXPECT_FALSE(input->geometry().intersects(label->geometry()));
        }
        for (int j = i + 1; j < card.lineCount(); ++j) {
            EXPECT_FALSE(label->geometry().intersects(card.Label1(j)->geometry())) << j;
            const QWidget* other = card.Элемент(j);
            if (input && other && input != label && other != card.Label1(j)) {
                EXPECT_FALSE(input->geometry().intersects(other->geometry())) << j;
            }
        }
    }
    // The buttons stand below the lines, inside the window.
    EXPECT_GE(card.Ok()->geometry().top(), card.lineFrame()->geometry().bottom());
    EXPECT_TRUE(card.rect().contains(card.Ok()->geometry()));
    EXPECT_TRUE(card.rect().contains(card.Command1()->geometry()));
}

} // namespace

TEST_F(CardLoadTest, LongCardsBreakIntoASecondColumn)
{
    const auto group = openCard(core::Groups, kGroupP31);
    EXPECT_EQ(linesInSecondColumn(*group), range(16, 22));
    expectTidyGrid(*group);

    const auto institution = openCard(core::Institution, 1);
    EXPECT_EQ(linesInSecondColumn(*institution), range(16, 21));
    expectTidyGrid(*institution);

    const auto retraining = openCard(core::Students, kVesnina, false, core::RetrainingDocuments);
    EXPECT_EQ(linesInSecondColumn(*retraining), range(20, 24));
    expectTidyGrid(*retraining);
    EXPECT_TRUE(retraining->rect().contains(retraining->dokPK()->geometry()));

    const auto person = openCard(core::Students, kVesnina);
    EXPECT_TRUE(linesInSecondColumn(*person).isEmpty());
    expectTidyGrid(*person);
}

TEST_F(CardLoadTest, HeadersAreBoldAndOtherCaptionsRightAligned)
{
    const auto card = openCard(core::Students, kVesnina);
    EXPECT_TRUE(card->Label1(1)->font().bold());
    EXPECT_TRUE(card->Label1(1)->alignment() & Qt::AlignLeft);
    EXPECT_EQ(card->Элемент(1), card->Label1(1));
    EXPECT_FALSE(card->Label1(2)->font().bold());
    EXPECT_TRUE(card->Label1(2)->alignment() & Qt::AlignRight);
    EXPECT_EQ(card->Label1(5)->text(), QStringLiteral("Кальвета"));
    // A password line has a caption and no input.
    const auto user = openCard(core::Users, maxKey("USERS", "IDU"));
    EXPECT_EQ(user->Элемент(2), nullptr);
    EXPECT_EQ(user->Label1(3)->text(), QStringLiteral("Подтверждение пароля"));
}

// Pictures of the person card in both layouts and of the group card, for a
// look with an image viewer: set KALVETA_CARD_SCREENSHOTS to a folder.
TEST_F(CardLoadTest, Screenshots)
{
    const QString folder = qEnvironmentVariable("KALVETA_CARD_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "KALVETA_CARD_SCREENSHOTS is not set";
    QDir().mkpath(folder);
    const struct {
        int kind;
        long row;
        int docKind;
        const char* file;
    } shots[] = {
        {core::Students, kVesnina, -1, "person-certificate.png"},
        {core::Students, 4, core::RetrainingDocuments, "person-retraining.png"},
        {core::Students, 0, core::RetrainingDocuments, "person-retraining-new.png"},
        {core::Groups, kGroupP31, 0, "group.png"},
        {core::Institution, 1, 0, "institution.png"},
        {core::PrintingHouses, 4, 0, "printing-house.png"},
    };
    for (const auto& shot : shots) {
        const auto card = openCard(shot.kind, shot.row, false, shot.docKind, kGroupP31);
        showCard(*card);
        QApplication::processEvents();
        EXPECT_TRUE(card->grab().save(QDir(folder).filePath(QString::fromLatin1(shot.file))));
        card->setChanged(false);
        card->close();
    }
}

TEST_F(CardLoadTest, RegisteredCardOpensModallyOnlyForAnExistingRow)
{
    card::registerRecordCard();
    ASSERT_TRUE(bool(core::windowFactories().showRecordCard));
    int shown = 0;
    ui::setDialogHandler([&shown](QDialog* dialog) {
        auto* card = qobject_cast<frmSD1*>(dialog);
        EXPECT_NE(card, nullptr);
        ++shown;
        if (card) {
            card->setLineText(1, QStringLiteral("по очной форме (изм.)"));
            card->Ok_Click();
        }
        return dialog->result();
    });
    core::AppState& s = core::state();
    s.CurrentKind = core::StudyForms;
    s.RowIsCopy = false;
    s.CurrentRowId = 999;
    core::windowFactories().showRecordCard();
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(s.DialogResult, 0);

    s.CurrentRowId = 1;
    core::windowFactories().showRecordCard();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(s.DialogResult, -1);
    EXPECT_EQ(s.CurrentRowId, 1);
    EXPECT_EQ(jet::toText(value("SELECT NAIM2 FROM SPFORM WHERE IDF = 1")), QStringLiteral("по очной форме (изм.)"));
    core::windowFactories().showRecordCard = nullptr;
}
