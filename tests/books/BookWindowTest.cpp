// The registry-book window: columns and rows of both books, the group combo,
// sorting, the caption, the document-printing commands.
#include "BookFixture.h"

#include "support/ListRows.h"

#include "books/BookColumns.h"
#include "books/FillRegistryBook.h"
#include "books/frmPFM.h"
#include "core/ChildWindows.h"
#include "core/ListView.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Messages.h"
#include "printing/BookPrinting.h"
#include "platform/ui/Progress.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QRegularExpression>
#include <QThread>

#include <algorithm>
#include <functional>
#include <memory>

using namespace booktest;

namespace {

using testsupport::column;
using testsupport::keys;

QStringList headers(const core::ReportList* list)
{
    QStringList out;
    for (int c = 0; c < list->columnCount(); ++c)
        out << list->headerItem()->text(c);
    return out;
}

const QString kUser = QString::fromLatin1(settings::kSectionUser);

class BookWindowTest : public BookDbTest {
protected:
    void TearDown() override
    {
        book.reset();
        core::windowFactories() = {};
        BookDbTest::TearDown();
    }
    books::frmPFM* open(int med)
    {
        book = std::make_unique<books::frmPFM>(med);
        return book.get();
    }
    void chooseGroup(int index) { book->Cm1()->setCurrentIndex(index); }

    std::unique_ptr<books::frmPFM> book;
};

TEST_F(BookWindowTest, CertificateBookListsItsPersonsWithItsColumns)
{
    books::frmPFM* w = open(core::SpecialistCertificates);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Книга регистрации выданных сертификатов"));
    EXPECT_EQ(w->Cm1()->currentText(), QStringLiteral("Группа А"));  // no remembered group: the first one
    const core::ReportList* list = w->List();
    EXPECT_EQ(headers(list),
              (QStringList{"", "Группа", "Регистрационный номер сертификата", "Номер бланка сертификата", "Фамилия",
                           "Имя", "Отчество", "Медицинская специальность", "Дата выдачи", "Дата решения ЭК или ГЭК",
                           "Номер протокола ЭК или ГЭК", "Подпись руководителя службы ОУ, выдающего сертификат",
                           "Доверенное лицо (получатель сертификата)",
                           "Подпись лица, которому выдан сертификат (дата и номер почтового отправления)"}));
    EXPECT_EQ(w->nper(), 0);
    EXPECT_EQ(keys(list), (QStringList{"R2", "R1"}));
    const core::ListItem yakovlev = list->topLevelItem(1);
    const QStringList cells{"", "Группа А", "С-100", "0001", "Яковлев", "Иван", "Петрович", "Сестринское дело",
                            "05.03.2024", "01.03.2024", "7", "", "Сидоров", " "};
    for (int c = 0; c < cells.size(); ++c)
        EXPECT_EQ(yakovlev->text(c), cells.at(c)) << c;
    // Tooltips from the first name on, naming number, blank and surname; none on an empty cell.
    EXPECT_EQ(yakovlev->toolTip(5), QStringLiteral("С-100 0001 Яковлев"));
    EXPECT_EQ(yakovlev->toolTip(12), QStringLiteral("С-100 0001 Яковлев"));
    EXPECT_EQ(yakovlev->toolTip(4), QString());
    EXPECT_EQ(yakovlev->toolTip(13), QString());
    EXPECT_EQ(list->topLevelItem(0)->text(6), QStringLiteral(" "));  // Ёлкина has no patronymic
}

TEST_F(BookWindowTest, RetrainingBookHasOneColumnPerDiscipline)
{
    books::frmPFM* w = open(core::RetrainingDocuments);
    chooseGroup(0);  // "Все группы"
    const core::ReportList* list = w->List();
    EXPECT_EQ(w->nper(), 7);
    EXPECT_EQ(w->gradeCount(), 3);
    EXPECT_EQ(headers(list).mid(5, 6), (QStringList{"Имя", "Отчество", "анатомия (72)", "Биология (36)",
                                                    "Ёмкость.расчёт (10)", "Серия и номер бланка диплома"}));
    EXPECT_EQ(list->columnCount(), 21);
    EXPECT_EQ(keys(list), (QStringList{"R4", "R7", "R2", "R1"}));
    EXPECT_EQ(column(list, 7), (QStringList{" 5", " ", " ", " 4"}));
    EXPECT_EQ(column(list, 8), (QStringList{" ", " 4", " 5", " 5"}));
    EXPECT_EQ(column(list, 9), (QStringList{" ", " ", " ", " +"}));

    const core::ListItem yakovlev = list->topLevelItem(3);
    EXPECT_EQ(yakovlev->text(2), QStringLiteral("ПК-0150"));
    EXPECT_EQ(yakovlev->text(3), QStringLiteral("12"));
    EXPECT_EQ(yakovlev->text(12), QStringLiteral("01.06.2024"));      // issue date after the block
    EXPECT_EQ(yakovlev->text(17), QStringLiteral("№15 от 02.06.2024 г."));
    EXPECT_EQ(yakovlev->toolTip(7), QStringLiteral("ПК-0150 12 Яковлев, анатомия (72)"));
    EXPECT_EQ(yakovlev->toolTip(9), QString());  // "+" is no number
    EXPECT_EQ(list->topLevelItem(0)->toolTip(8), QString());  // no grade
    // A group without retraining period: grades, but no document data.
    const core::ListItem gusev = list->topLevelItem(1);
    EXPECT_EQ(gusev->text(1), QStringLiteral(" "));
    EXPECT_EQ(gusev->text(2), QStringLiteral(" "));
    EXPECT_EQ(gusev->text(8), QStringLiteral(" 4"));

    // Sums of the number columns: the grades and the registration numbers.
    EXPECT_DOUBLE_EQ(w->bookColumnSums().at(7), 9);
    EXPECT_DOUBLE_EQ(w->bookColumnSums().at(3), 12);
    // The definition's own form for printing.
    EXPECT_EQ(w->bookCaptions().size(), 19);
    EXPECT_EQ(w->bookCaptions().at(7), QString());
    EXPECT_EQ(w->bookCaptions().at(8), QStringLiteral("Серия и номер бланка диплома"));
    EXPECT_EQ(w->gradeCaptions().size(), 3);
}

TEST_F(BookWindowTest, WithoutGradeLinesTheBookListsItsPersons)
{
    exec(QStringLiteral("DELETE FROM EXAM WHERE VidDokum = 1"));
    books::frmPFM* w = open(core::RetrainingDocuments);
    chooseGroup(0);
    EXPECT_EQ(w->gradeCount(), 0);
    EXPECT_EQ(w->List()->columnCount(), 18);
    EXPECT_EQ(w->List()->headerItem()->text(7), QStringLiteral("Серия и номер бланка диплома"));
    EXPECT_EQ(keys(w->List()), (QStringList{"R4", "R7", "R2", "R1"}));
    EXPECT_EQ(w->bookCaptions().size(), 19);
}

// The rows of the printed book, as the window hands them to printing.
QList<QStringList> printedRows(const books::frmPFM* w)
{
    const printing::BookPrintJob job = printing::bookPrintJob(
        w->Med(), w->windowTitle(), w->List(), w->columnModel().captions(), w->columnModel().alignments(), w->nper(),
        w->gradeCount());
    QList<QStringList> rows;
    for (int i = 0; i < job.list.selected.size(); ++i)
        rows << job.list.rowTexts(i);
    return rows;
}

TEST_F(BookWindowTest, RetrainingBookListsPersonsWithoutGradeLines)
{
    // Жуков has a registration number in group А but no grade line, while
    // others of the selection have grades.
    exec(QStringLiteral("INSERT INTO SPSTUD (ID, IDG, FAM, IM, REGNOMdoc, DIPL) VALUES (8, ?, 'Жуков', 'Илья', '152', "
                        "'ПП 777')"),
         {kGroupA});
    struct Case {
        int groupIndex;
        QStringList keys;
        int row;  // Жуков's
    };
    const Case cases[] = {
        {0, {"R4", "R7", "R2", "R8", "R1"}, 3},  // all groups
        {1, {"R2", "R8", "R1"}, 1},              // Группа А
    };
    for (const Case& c : cases) {
        books::frmPFM* w = open(core::RetrainingDocuments);
        chooseGroup(c.groupIndex);
        const core::ReportList* list = w->List();
        EXPECT_EQ(keys(list), c.keys) << c.groupIndex;
        const core::ListItem zhukov = list->topLevelItem(c.row);
        EXPECT_EQ(zhukov->text(2), QStringLiteral("152"));
        EXPECT_EQ(zhukov->text(4), QStringLiteral("Жуков"));
        for (int g = 0; g < w->gradeCount(); ++g)
            EXPECT_EQ(zhukov->text(7 + g), QStringLiteral(" ")) << g;
        EXPECT_EQ(zhukov->text(7 + w->gradeCount()), QStringLiteral("ПП 777"));
        // The printed book lists him as well.
        const QList<QStringList> rows = printedRows(w);
        ASSERT_EQ(rows.size(), c.keys.size());
        EXPECT_EQ(rows.at(c.row).value(4), QStringLiteral("Жуков"));
        EXPECT_EQ(rows.at(c.row).value(2), QStringLiteral("152"));
        book.reset();
    }
}

TEST_F(BookWindowTest, DocumentsBookShowsItsOwnFields)
{
    exec(QStringLiteral("UPDATE SPSTUD SET DIPL = 'ПП 123', PRIL = 'ПП 124', Otl = -1, PROTCH = 'пр. 5' WHERE ID = ?"),
         {kYakovlev});
    exec(QStringLiteral("UPDATE SPGRUP SET DatGAK = ?, PRGAK = '3' WHERE IDG = ?"), {QDate(2024, 5, 20), kGroupA});
    books::frmPFM* w = open(core::Documents);
    chooseGroup(0);
    const core::ReportList* list = w->List();
    const QStringList expectedHeaders{"",
                                      "Учебная группа",
                                      "Регистрационный номер",
                                      "Фамилия",
                                      "Имя",
                                      "Отчество",
                                      "Серия и номер бланка диплома",
                                      "Серия и номер бланка приложения к диплому",
                                      "Дата выдачи диплома",
                                      "Наименование специальности",
                                      "Наименование квалификации",
                                      "Дата протокола ГЭК",
                                      "Номер протокола ГЭК",
                                      "Номер и дата приказа об отчислении студента",
                                      "Диплом с отличием",
                                      "Подпись руководителя службы ОУ, выдающего диплом",
                                      "Подпись лица, которому выдан документ (дата и номер почтового отправления)"};
    EXPECT_EQ(headers(list), expectedHeaders);
    EXPECT_EQ(w->nper(), 0);
    ASSERT_EQ(keys(list), (QStringList{"R1"}));
    const QStringList cells{"",           "Группа А",      "500",      "Яковлев", "Иван",  "Петрович",
                            "ПП 123",     "ПП 124",        "01.06.2024", "Лечебное дело", "Фельдшер", "20.05.2024",
                            "3",          "пр. 5",         "С отличием", "",      ""};
    const core::ListItem yakovlev = list->topLevelItem(0);
    for (int c = 0; c < cells.size(); ++c)
        EXPECT_EQ(yakovlev->text(c), cells.at(c)) << c;
    // The printed book shows the same captions and cells.
    EXPECT_EQ(w->columnModel().captions(), expectedHeaders);
    EXPECT_EQ(printedRows(w).value(0), cells);
}

TEST_F(BookWindowTest, ReturningToAnUnchangedBookKeepsItsRows)
{
    // A mark put into the list shows whether coming back rebuilt it.
    const QString mark = QStringLiteral("метка");
    struct Case {
        const char* what;
        std::function<void(books::frmPFM*)> between;
        bool rebuilt;
    };
    const Case cases[] = {
        {"nothing", [](books::frmPFM*) {}, false},
        {"a person written", [](books::frmPFM*) { exec(QStringLiteral("UPDATE SPSTUD SET IM = 'Иван' WHERE ID = 1")); },
         true},
        {"a grade line added",
         [](books::frmPFM*) { addGrade(kGusev, kAnatomy, QStringLiteral("72"), kFive, 2, 1); }, true},
        {"another table written",
         [](books::frmPFM*) { exec(QStringLiteral("UPDATE SPMED SET NAIM = 'Сестринское дело' WHERE IDM = 900")); },
         true},
        {"a filter set",
         [](books::frmPFM*) {
             core::state().DocFilterNumberFrom = QStringLiteral("1");
             core::state().DocFilterNumberTo = QStringLiteral("999");
         },
         true},
        // A sorted list is shown again in the book's order.
        {"sorted by a column", [](books::frmPFM* w) { w->ListColumnClick(5); }, true},
    };
    for (const Case& c : cases) {
        core::state().DocFilterNumberFrom.clear();
        core::state().DocFilterNumberTo.clear();
        books::frmPFM* w = open(core::RetrainingDocuments);
        chooseGroup(0);
        w->Form_Activate();  // the first activation follows the load
        const QStringList before = keys(w->List());
        w->List()->topLevelItem(0).setText(4, mark);
        c.between(w);
        w->Form_Activate();
        const core::ReportList* list = w->List();
        EXPECT_EQ(list->topLevelItem(0)->text(4) != mark, c.rebuilt) << c.what;
        if (!c.rebuilt) {
            EXPECT_EQ(keys(list), before) << c.what;
            EXPECT_EQ(column(list, 8), (QStringList{" ", " 4", " 5", " 5"})) << c.what;
        } else if (QLatin1String(c.what) != QLatin1String("a filter set")) {
            EXPECT_EQ(keys(list), before) << c.what;  // the book's order again
        }
        book.reset();
    }
    // A grade written meanwhile shows on return.
    books::frmPFM* w = open(core::RetrainingDocuments);
    chooseGroup(0);
    w->Form_Activate();
    EXPECT_EQ(column(w->List(), 9), (QStringList{" ", " ", " ", " +"}));
    addGrade(kYolkina, kCapacity, QStringLiteral("10"), kFour, 3, 1);
    w->Form_Activate();
    EXPECT_EQ(column(w->List(), 9), (QStringList{" ", " ", " 4", " +"}));
}

TEST_F(BookWindowTest, TooManyDisciplinesAsksAndShowsTheBooksOwnPersons)
{
    // 256 headings for one person of group B.
    for (int i = 0; i < books::kMaxGradeColumns + 1; ++i) {
        exec(QStringLiteral("INSERT INTO SPPRED (IDD, NAIM, isNotPred) VALUES (?, ?, 0)"),
             {2000 + i, QStringLiteral("Дисциплина %1").arg(i)});
        addGrade(kAbramov, 2000 + i, QStringLiteral("2"), kFive, i + 10, 1);
    }
    struct Case {
        int answer;
        QStringList rows;
    };
    const Case cases[] = {
        {ui::No, {}},
        // Only the book's own selection (group B), not every person with a diploma number.
        {ui::Yes, {"R4"}},
    };
    for (const Case& c : cases) {
        testsupport::MessageRecorder messages;
        messages.answer(c.answer);
        settings::saveSetting(kUser, QStringLiteral("ListIndexPFMPer"), QString::number(kGroupB));
        books::frmPFM* w = open(core::RetrainingDocuments);
        ASSERT_EQ(messages.count(), 1);
        EXPECT_EQ(messages.messages().at(0).text, QString::fromUtf8(books::kTooManyDisciplinesQuestion));
        EXPECT_EQ(messages.messages().at(0).style, ui::YesNo | ui::Critical);
        EXPECT_EQ(w->gradeCount(), 0);
        EXPECT_EQ(w->List()->columnCount(), 18);
        EXPECT_EQ(keys(w->List()), c.rows);
        book.reset();
    }
}

TEST_F(BookWindowTest, GroupComesFromHandOverOrSettingElseTheFirstGroup)
{
    struct Case {
        const char* what;
        int med;
        const char* setting;  // nullptr: none stored
        long handed;
        const char* shown;
    };
    const Case cases[] = {
        {"nothing remembered", 1, nullptr, 0, "Группа А"},
        {"remembered", 1, "2", 0, "Группа Б"},
        {"remembered all groups", 1, "0", 0, "Группа А"},
        {"not a number", 1, "abc", 0, "Группа А"},
        {"handed over wins", 1, "2", kGroupA, "Группа А"},
        {"handed group not in the book", 1, "2", kGroupC, "Группа А"},
        {"retraining remembered", 2, "3", 0, "Группа А"},  // group C has no retraining period
        {"retraining remembered B", 2, "2", 0, "Группа Б"},
    };
    for (const Case& c : cases) {
        testsupport::clearSettings();
        const QString key = c.med == 1 ? QStringLiteral("ListIndexPFMMed") : QStringLiteral("ListIndexPFMPer");
        if (c.setting)
            settings::saveSetting(kUser, key, QString::fromUtf8(c.setting));
        core::state().BookGroupId = c.handed;
        books::frmPFM* w = open(c.med);
        EXPECT_EQ(w->Cm1()->currentText(), QString::fromUtf8(c.shown)) << c.what;
        EXPECT_EQ(w->Cm1()->itemText(0), QStringLiteral("Все группы")) << c.what;
        EXPECT_EQ(core::state().BookGroupId, 0) << c.what;
        book.reset();
    }
}

TEST_F(BookWindowTest, LeavingTheWindowRemembersItsGroup)
{
    books::frmPFM* w = open(core::RetrainingDocuments);
    chooseGroup(2);
    w->Form_Deactivate();
    EXPECT_EQ(settings::getSetting(kUser, QStringLiteral("ListIndexPFMPer")), QString::number(kGroupB));
    EXPECT_EQ(settings::getSetting(kUser, QStringLiteral("ListIndexPFMMed")), QString());
    chooseGroup(0);
    w->close();
    EXPECT_EQ(settings::getSetting(kUser, QStringLiteral("ListIndexPFMPer")), QStringLiteral("0"));
    book.reset();

    // Books 3 and 4 remember nothing.
    w = open(core::TrainingCertificates);
    w->Form_Deactivate();
    EXPECT_EQ(settings::getSetting(kUser, QStringLiteral("ListIndexPFMSvid")), QString());

    exec(QStringLiteral("DELETE FROM SPGRUP"));
    w = open(core::SpecialistCertificates);
    EXPECT_EQ(w->Cm1()->currentIndex(), 0);  // no groups: "Все группы"
}

TEST_F(BookWindowTest, ATypedNameOfNoGroupLeavesTheBookAsItWas)
{
    books::frmPFM* w = open(core::SpecialistCertificates);
    const QStringList rows = keys(w->List());
    ASSERT_FALSE(rows.isEmpty());
    w->Cm1()->setEditText(QStringLiteral("Нет такой группы"));
    w->Ref();
    EXPECT_EQ(ui::statusText(), QStringLiteral("Не выбрана группа."));
    EXPECT_EQ(keys(w->List()), rows);
}

TEST_F(BookWindowTest, SortsEveryColumnBothWays)
{
    books::frmPFM* w = open(core::RetrainingDocuments);
    chooseGroup(0);
    core::ReportList* list = w->List();
    // The book starts on column 2: a first click there sorts it descending.
    w->ListColumnClick(2);
    EXPECT_TRUE(w->bookSortDescending());
    // Another column keeps the direction; a second click on it reverses it.
    // (Гусев's group has no retraining period: no document data, his surname cell is blank.)
    w->ListColumnClick(5);
    EXPECT_EQ(column(list, 4), (QStringList{"Яковлев", "Ёлкина", "Абрамов", " "}));
    w->ListColumnClick(5);
    EXPECT_EQ(column(list, 4), (QStringList{" ", "Абрамов", "Ёлкина", "Яковлев"}));
    // The header marks the column sorted by and its direction.
    EXPECT_TRUE(list->header()->isSortIndicatorShown());
    EXPECT_EQ(list->header()->sortIndicatorSection(), 4);
    EXPECT_EQ(list->header()->sortIndicatorOrder(), Qt::AscendingOrder);
    // A grade column sorts as numbers; the hidden column does nothing.
    w->ListColumnClick(9);
    EXPECT_EQ(column(list, 8), (QStringList{" ", " 4", " 5", " 5"}));
    w->ListColumnClick(1);
    EXPECT_EQ(w->bookSortColumn(), 9);
    // A refresh gives the query's order back, and the mark goes.
    w->Ref();
    EXPECT_EQ(keys(list), (QStringList{"R4", "R7", "R2", "R1"}));
    EXPECT_FALSE(list->header()->isSortIndicatorShown());

    // Every column of both books sorts both ways without losing a row.
    for (int med : {1, 2}) {
        books::frmPFM* b = open(med);
        chooseGroup(0);
        for (int header = 2; header <= b->List()->columnCount(); ++header) {
            for (int i = 0; i < 2; ++i) {
                b->ListColumnClick(header);
                EXPECT_EQ(b->List()->topLevelItemCount(), med == 1 ? 4 : 4) << header;
            }
        }
    }
}

// Reading the grades and filling the rows make one count of the book's
// persons, from the first to the last, never starting again.
TEST_F(BookWindowTest, TheBuildCountsItsPersonsOnce)
{
    books::frmPFM* w = open(core::RetrainingDocuments);
    chooseGroup(0);  // every group: four persons with grade lines
    QList<long long> counts;
    QStringList totals;
    ui::setStatusHandler([&](const QString& text) {
        // The build takes longer than the progress waits before it counts:
        // its first and last steps, and those of each pass, are shown.
        QThread::msleep(ui::LongWork::intervalMs + 10);
        static const QRegularExpression count(QStringLiteral("^Идет заполнение отчета\\.\\.\\. (\\d+) из (\\d+)$"));
        if (const QRegularExpressionMatch m = count.match(text); m.hasMatch()) {
            counts << m.captured(1).toLongLong();
            totals << m.captured(2);
        }
    });
    w->Ref();
    ui::setStatusHandler({});
    ASSERT_EQ(w->List()->topLevelItemCount(), 4);
    ASSERT_GE(counts.size(), 2);
    QStringList shown;
    for (long long c : counts)
        shown << QString::number(c);
    EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end())) << shown.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(counts.last(), 4);
    totals.removeDuplicates();
    EXPECT_EQ(totals, QStringList{QStringLiteral("4")});
}

TEST(BookColumnModelTest, SortKindOfEachHeaderAcrossTheGradeBlock)
{
    struct Case {
        int gradeCount;
        int header;
        int sortKind;
    };
    const Case cases[] = {
        {3, 3, 1},   // registration number
        {3, 5, 0},   // surname
        {3, 8, 1},   // first grade
        {3, 10, 1},  // last grade
        {3, 11, 0},  // diploma blank, element 8
        {3, 13, 2},  // issue date, element 10
        {0, 8, 0},   // no grade columns: element 8 follows element 6
        {0, 10, 2},
    };
    for (const Case& c : cases) {
        QStringList headings;
        for (int i = 0; i < c.gradeCount; ++i)
            headings << QStringLiteral("Д%1 (1)").arg(i);
        const books::BookColumnModel m = books::bookColumnModel(core::RetrainingDocuments, headings);
        EXPECT_EQ(m.sortKindOfHeader(c.header), c.sortKind) << c.gradeCount << " " << c.header;
    }
    EXPECT_EQ(books::bookColumnModel(core::SpecialistCertificates, {}).columnCount(), 14);
    // The documents book has its own columns and no grade block.
    EXPECT_EQ(books::bookColumnModel(core::Documents, {QStringLiteral("x")}).columnCount(), 17);
}

TEST_F(BookWindowTest, CaptionNamesTheActiveFilter)
{
    struct Case {
        int med;
        books::BookFilterSet cert, doc;
        const char* caption;
    };
    const Case cases[] = {
        {1, {"100", "200", {}, {}}, {}, "Книга регистрации выданных сертификатов - Фильтр по рег.номеру: 100-200"},
        {1, {{}, {}, "01.03.2024", "31.03.2024"}, {},
         "Книга регистрации выданных сертификатов - Фильтр по дате выдачи: 01.03.2024-31.03.2024"},
        {1, {}, {"1", "2", {}, {}}, "Книга регистрации выданных сертификатов"},
        {2, {"1", "2", {}, {}}, {}, "Книга регистрации выдаваемых документов переподготовки"},
        {2, {}, {"150", "151", {}, {}},
         "Книга регистрации выдаваемых документов переподготовки - Фильтр по рег.номеру: 150-151"},
        {0, {}, {}, "Книга регистрации выдаваемых документов"},
        {3, {}, {}, "Книга регистрации выдаваемых свидетельств"},
    };
    for (const Case& c : cases) {
        core::AppState& s = core::state();
        s.CertFilterNumberFrom = c.cert.numberFrom;
        s.CertFilterNumberTo = c.cert.numberTo;
        s.CertFilterDateFrom = c.cert.dateFrom;
        s.CertFilterDateTo = c.cert.dateTo;
        s.DocFilterNumberFrom = c.doc.numberFrom;
        s.DocFilterNumberTo = c.doc.numberTo;
        s.DocFilterDateFrom = c.doc.dateFrom;
        s.DocFilterDateTo = c.doc.dateTo;
        books::frmPFM* w = open(c.med);
        EXPECT_EQ(w->windowTitle(), QString::fromUtf8(c.caption));
        book.reset();
    }
}

TEST_F(BookWindowTest, ToolbarOfEachBook)
{
    books::frmPFM* w = open(core::SpecialistCertificates);
    EXPECT_TRUE(w->button(QStringLiteral("PrintV2"))->isVisible() || !w->button(QStringLiteral("PrintV"))->isVisible());
    EXPECT_FALSE(w->button(QStringLiteral("PrintV"))->isVisible());
    EXPECT_EQ(w->button(QStringLiteral("Print"))->toolTip(), QStringLiteral("Печать книги регистрации выданных сертификатов"));
    w = open(core::RetrainingDocuments);
    EXPECT_FALSE(w->button(QStringLiteral("PrintV2"))->isVisible());
    EXPECT_EQ(w->button(QStringLiteral("Print"))->toolTip(), QStringLiteral("Печать книги регистрации документов переподготовки"));
    QStringList shown;
    for (const char* key : {"keyDp", "keyDokPer", "keyPrilPK", "keyUdov", "keySvidetel", "keyDr", "keyBook", "keyBookMed"})
        if (w->menuEntry(QString::fromUtf8(key))->isVisible())
            shown << QString::fromUtf8(key);
    EXPECT_EQ(shown, (QStringList{"keyDokPer", "keyPrilPK", "keyUdov", "keyDr", "keyBook"}));
    EXPECT_EQ(w->menuEntry(QStringLiteral("keyBook"))->text(),
              QStringLiteral("Книга регистрации выданных документов переподготовки"));
}

TEST_F(BookWindowTest, DocumentPrintingForTheSelectedPerson)
{
    int opened = 0;
    core::windowFactories().showPrintParameters = [&opened] { ++opened; };
    books::frmPFM* w = open(core::RetrainingDocuments);
    chooseGroup(1);  // Группа А: Ёлкина, Яковлев
    testsupport::MessageRecorder messages;

    core::selectOnlyItem(w->List(), w->List()->topLevelItem(1));
    w->Toolbar1_ButtonMenuClick(QStringLiteral("keyUdov"));
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(core::state().CurrentRowId, kYakovlev);
    EXPECT_EQ(core::state().CurrentDocKind, core::RetrainingDocuments);
    EXPECT_EQ(core::state().PreselectedBlankKind, core::CompletionCertificate);
    w->ListKeyDown(13, 0);
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(core::state().PreselectedBlankKind, 0);

    // Nothing selected, then an empty book: the book's own wording.
    w->List()->clearSelection();
    w->PrintSelectedRecord();
    w->Toolbar1_ButtonClick(QStringLiteral("PrintV"));
    w->List()->clear();
    w->PrintSelectedRecord();
    w->Toolbar1_ButtonClick(QStringLiteral("PrintV"));
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(messages.texts(),
              (QStringList{"Сначала выберите документов переподготовки, который необходимо распечатать.",
                           "Сначала выберите студента, для которого необходимо печатать документы.",
                           "Список документов переподготовки пуст. Сначала заполните список документов переподготовки, "
                           "после чего можно будет распечатать документы.",
                           "Список студентов пуст. Сначала заполните список студентов, после чего можно будет "
                           "распечатать документы."}));
    EXPECT_EQ(core::state().CurrentRowId, -1);

    // The certificate book: its selected certificate goes to the print-parameters dialog.
    int dialogs = 0;
    core::windowFactories().showPrintParameters = [&dialogs] { ++dialogs; };
    messages.clear();
    w = open(core::SpecialistCertificates);
    w->Toolbar1_ButtonClick(QStringLiteral("PrintV2"));
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(core::state().CurrentDocKind, int(core::SpecialistCertificates));
    w->List()->clear();
    w->ListKeyDown(13, 0);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(messages.texts(),
              (QStringList{"Список сертификатов пуст. Сначала заполните список сертификатов, после чего можно будет "
                           "распечатать документы."}));
    core::windowFactories().showPrintParameters = nullptr;
}

} // namespace
