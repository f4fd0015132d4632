#include "newdb/NewDatabase.h"

#include "core/AppState.h"
#include "core/DataAccess.h"
#include "core/DatabaseSetup.h"
#include "newdb/RowWriter.h"

#include "support/SecondProgram.h"
#include "support/TestSupport.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>

namespace {

const QString kFailurePrefix = QStringLiteral("Произошла ошибка при создании файла базы данных. Ошибка: ");

class NewDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override { core::resetState(); }
    void TearDown() override
    {
        core::CloseDatabase();
        core::resetState();
    }

    QString path() const { return folder.file(QStringLiteral("qv.db")); }
    jet::Database& db() { return core::db(); }
    long count(const QString& table) { return long(jet::toLong(db().scalar("SELECT COUNT(*) FROM " + table))); }
    QVariant value(const QString& sql, const QVariantList& params = {}) { return db().scalar(sql, params); }
    QStringList column(const QString& sql)
    {
        QStringList out;
        auto rs = db().openRecordset(sql, jet::dbOpenSnapshot);
        for (; !rs->isEOF(); rs->moveNext())
            out << rs->text(rs->fieldName(0));
        return out;
    }
    std::vector<qlonglong> numbers(const QString& sql, const QVariantList& params = {})
    {
        std::vector<qlonglong> out;
        auto rs = db().openRecordset(sql, jet::dbOpenSnapshot, params);
        for (; !rs->isEOF(); rs->moveNext())
            out.push_back(jet::toLong(rs->value(0)));
        return out;
    }

    testsupport::TempFolder folder;
    testsupport::MessageRecorder messages;
};

struct TableCount {
    const char* table;
    long referenceOnly;
    long withSample;
};

constexpr TableCount kCounts[] = {
    {"SPBALL", 10, 10}, {"SPFORM", 4, 4},  {"SPUR", 2, 2},     {"SPVDOC", 6, 6},
    {"USERS", 2, 2},    {"SPPRED", 12, 124}, {"SPTPGR", 7, 7},  {"SPMED", 140, 140},
    {"INF", 1, 1},      {"SPUCH", 0, 2},   {"SPOTD", 0, 5},    {"SPGRUP", 0, 5},
    {"SPSTUD", 0, 5},   {"SPNAGR", 0, 181}, {"EXAM", 0, 181},
};

class NewDatabaseCountsTest : public NewDatabaseTest, public ::testing::WithParamInterface<bool> {};

TEST_P(NewDatabaseCountsTest, WritesTheRowsOfEveryTableAndLeavesTheFileOpen)
{
    const bool referenceOnly = GetParam();
    ASSERT_TRUE(newdb::CreateNewDatabase(path(), referenceOnly));
    EXPECT_EQ(messages.count(), 0) << messages.texts().join('\n').toStdString();
    ASSERT_TRUE(core::state().MainDatabase);
    EXPECT_EQ(QFileInfo(db().path()).canonicalFilePath(), QFileInfo(path()).canonicalFilePath());
    EXPECT_EQ(db().transactionDepth(), 0);

    for (const TableCount& c : kCounts)
        EXPECT_EQ(count(c.table), referenceOnly ? c.referenceOnly : c.withSample) << c.table;
    // Keys of a fresh file run from 1 in the order of writing.
    EXPECT_EQ(jet::toLong(value("SELECT MAX(IDD) FROM SPPRED")), referenceOnly ? 12 : 124);

    // The file is held exclusively.
    EXPECT_THROW(jet::Database::open(path()), jet::Error);
}

INSTANTIATE_TEST_SUITE_P(Both, NewDatabaseCountsTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "ReferenceOnly" : "WithSample"; });

TEST_F(NewDatabaseTest, ReferenceRowsAreWrittenExactly)
{
    ASSERT_TRUE(newdb::CreateNewDatabase(path(), true));

    EXPECT_EQ(column("SELECT OCEN FROM SPBALL ORDER BY IDB"),
              QStringList({"1", "2", "3", "4", "5", "+", "-", "\u043e", "\u0430", "\u0445"}));
    EXPECT_EQ(column("SELECT NAIM FROM SPBALL ORDER BY IDB"),
              QStringList({"не аттестован", "неудовлет-ворительно", "удовлетво-рительно", "хорошо", "отлично",
                           "зачтено", "---", "освобожден", "освобождена", "\u0445"}));
    // The no-grade kind carries the Cyrillic letter, not the Latin one.
    EXPECT_EQ(jet::toLong(value("SELECT IDB FROM SPBALL WHERE OCEN = ? AND NAIM = ?", {QString("\u0445"), QString("\u0445")})), 10);
    EXPECT_TRUE(jet::isNull(value("SELECT IDB FROM SPBALL WHERE OCEN = ?", {QStringLiteral("x")})));

    EXPECT_EQ(column("SELECT NAIM FROM SPFORM ORDER BY IDF"),
              QStringList({"очная", "очно-заочная (вечерняя)", "заочная", "экстернат"}));
    EXPECT_EQ(column("SELECT NAIM2 FROM SPFORM ORDER BY IDF"),
              QStringList({"по очной форме", "по очно-заочной форме", "по заочной форме", "по форме экстерната"}));
    EXPECT_EQ(column("SELECT NAIM FROM SPUR ORDER BY IDX"), QStringList({"базовой", "углубленной"}));
    EXPECT_EQ(column("SELECT NAIM FROM SPVDOC ORDER BY IDV"),
              QStringList({"аттестат об основном общем образовании",
                           "аттестат о среднем (полном) общем образовании",
                           "диплом о начальном профессиональном образовании",
                           "диплом о среднем профессиональном образовании",
                           "свидетельство о начальном профессиональном образовании",
                           "документ о высшем профессиональном образовании"}));

    EXPECT_EQ(column("SELECT NAIM FROM USERS ORDER BY IDU"), QStringList({"Оператор", "Пользователь"}));
    EXPECT_EQ(numbers("SELECT ROLE FROM USERS ORDER BY IDU"), (std::vector<qlonglong>{1, 2}));
    EXPECT_EQ(count("USERS WHERE PSSW IS NULL AND MEMO IS NULL"), 2);

    EXPECT_EQ(column("SELECT NAIM FROM SPPRED ORDER BY IDD"),
              QStringList({"Курсовые проекты (работы)", "Практика", "Выпускная квалификационная работа на тему",
                           "Государственный экзамен", "Итоговый экзамен по отдельным дисциплинам",
                           "ВСЕГО часов теоретического обучения:", "в том числе аудиторных часов:", "в том числе:",
                           "Учебная практика", "Производственная практика (по профилю специальности)",
                           "Производственная практика (преддипломная)", "Государственная итоговая аттестация"}));
    // 0 is written as False, never left Null.
    EXPECT_EQ(numbers("SELECT isNotPred FROM SPPRED ORDER BY IDD"),
              (std::vector<qlonglong>{-1, -1, 0, 0, -1, -1, -1, -1, 0, 0, 0, -1}));

    // The institution row, printing house and stamp stay as the opening left them.
    EXPECT_EQ(jet::toLong(value("SELECT IDT FROM INF")), 6);
    EXPECT_TRUE(jet::isNull(value("SELECT NAIM FROM INF")));
    EXPECT_EQ(numbers("SELECT appMajor FROM INF UNION ALL SELECT appMinor FROM INF UNION ALL SELECT appRevision FROM INF"),
              (std::vector<qlonglong>{6, 0, 4}));
}

TEST_F(NewDatabaseTest, LongDisciplineListCarriesHeadingsAndQuotes)
{
    ASSERT_TRUE(newdb::CreateNewDatabase(path(), false));

    auto naim = [&](int key) { return jet::toText(value("SELECT NAIM FROM SPPRED WHERE IDD = ?", {key})); };
    auto heading = [&](int key) { return jet::toLong(value("SELECT isNotPred FROM SPPRED WHERE IDD = ?", {key})); };
    EXPECT_EQ(naim(3), QStringLiteral("Выпускная квалификационная работа на тему"));
    EXPECT_EQ(heading(3), -1);  // a heading in the long form
    EXPECT_EQ(naim(12), QStringLiteral("Основы философии"));
    EXPECT_EQ(naim(56), QStringLiteral("Государственная итоговая аттестация"));
    EXPECT_EQ(heading(56), -1);
    EXPECT_EQ(naim(53), QStringLiteral("Курсовая работа по дисциплине \"Теория алгоритмов\" на тему \"Разработка и "
                                       "оптимизация алгоритмов для задач комбинаторики\""));
    EXPECT_EQ(naim(76), QStringLiteral("Выполнение работ по должности \"Кассир\""));
    EXPECT_EQ(heading(76), -1);
    EXPECT_EQ(naim(119), QStringLiteral("Правовое обеспечение предпринимальтельской деятельности"));
    EXPECT_EQ(naim(124), QStringLiteral("Технология проведения оценки земель"));

    EXPECT_EQ(numbers("SELECT IDD FROM SPPRED WHERE isNotPred <> 0 ORDER BY IDD"),
              (std::vector<qlonglong>{1, 2, 3, 5, 6, 7, 8, 28, 31, 34, 38, 41, 46, 56, 67, 69, 72, 74, 76, 79, 86,
                                      97, 101, 102, 105, 108, 111, 114, 118}));
    EXPECT_EQ(count("SPPRED WHERE isNotPred IS NULL"), 0);
    // The headings other parts of the program look up by name.
    EXPECT_EQ(jet::toLong(value("SELECT IDD FROM SPPRED WHERE NAIM = ? AND isNotPred <> 0",
                                {QStringLiteral("ВСЕГО часов теоретического обучения:")})), 6);
}

TEST_F(NewDatabaseTest, SampleInstitutionCardEditsTheOneRowAndIsStampedAgainOnReopening)
{
    ASSERT_TRUE(newdb::CreateNewDatabase(path(), false));

    auto inf = db().openRecordset(QStringLiteral("INF"));
    EXPECT_EQ(inf->value("IDLU").toLongLong(), 1);
    EXPECT_EQ(inf->value("IDT").toLongLong(), 4);
    EXPECT_EQ(inf->value("OOo").toLongLong(), 1);
    EXPECT_EQ(inf->value("TopPronter").toLongLong(), 0);
    EXPECT_EQ(inf->value("AREF").toLongLong(), 0);
    EXPECT_EQ(inf->value("isIO").toLongLong(), 0);
    EXPECT_TRUE(jet::isNull(inf->value("DRUO")));
    EXPECT_EQ(inf->value("appMajor").toLongLong(), 5);
    EXPECT_EQ(inf->value("appMinor").toLongLong(), 1);
    EXPECT_EQ(inf->value("appRevision").toLongLong(), 8);

    const QStringList nameLines = inf->text("NAIM").split(QStringLiteral("\r\n"));
    ASSERT_EQ(nameLines.size(), 3);
    EXPECT_TRUE(nameLines[0].contains(
        "областное государственное образовательное бюджетное учреждение среднего профессионального образования \""));
    EXPECT_TRUE(nameLines[1].startsWith(QStringLiteral("г.")));
    EXPECT_TRUE(nameLines[2].endsWith(QStringLiteral(" обл.")));
    const QString change = inf->text("Change");
    EXPECT_TRUE(change.startsWith(QStringLiteral("Образовательное учреждение переименовано в 2011 году;\r\n")));
    EXPECT_TRUE(change.endsWith(QStringLiteral(".\r\n")));
    EXPECT_EQ(nameLines[1], QStringLiteral("г.") + inf->text("GORODMED"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\S+ \\S\\.\\S\\.$")).match(inf->text("FIORUK")).hasMatch());
    inf.reset();

    core::CloseDatabase();
    ASSERT_TRUE(core::OpenAndCheckDatabase(path(), false));
    EXPECT_EQ(messages.count(), 0) << messages.texts().join('\n').toStdString();
    core::state().MainDatabase = jet::Database::open(path());
    EXPECT_EQ(numbers("SELECT appMajor FROM INF UNION ALL SELECT appMinor FROM INF UNION ALL SELECT appRevision FROM INF"),
              (std::vector<qlonglong>{6, 0, 4}));
    EXPECT_EQ(count("INF"), 1);
    EXPECT_EQ(jet::toLong(value("SELECT IDT FROM INF")), 4);
}

TEST_F(NewDatabaseTest, SampleGroupsAndPersonsKeepTheirKeysAndEmptyColumns)
{
    ASSERT_TRUE(newdb::CreateNewDatabase(path(), false));

    EXPECT_EQ(column("SELECT NAIM FROM SPGRUP ORDER BY IDG"), QStringList({"Б 31", "З 41", "Пр 41", "З 31", "П 31"}));
    EXPECT_EQ(numbers("SELECT IDO FROM SPGRUP ORDER BY IDG"), (std::vector<qlonglong>{1, 2, 5, 2, 5}));
    EXPECT_EQ(numbers("SELECT IDM FROM SPGRUP ORDER BY IDG"), (std::vector<qlonglong>{9, 0, 0, 0, 0}));
    EXPECT_EQ(count("SPGRUP WHERE IDM IS NULL OR IDF <> 1 OR IDX <> 1"), 0);
    EXPECT_EQ(numbers("SELECT IDG FROM SPGRUP WHERE DatMed IS NOT NULL OR DatGAKMed IS NOT NULL OR PRGAKMed IS NOT NULL"),
              (std::vector<qlonglong>{1}));
    EXPECT_EQ(numbers("SELECT IDG FROM SPGRUP WHERE date_S IS NOT NULL OR date_Po IS NOT NULL"), (std::vector<qlonglong>{5}));
    EXPECT_EQ(column("SELECT PRGAK FROM SPGRUP ORDER BY IDG"), QStringList({"№125", "№110", "№128", "№210", "№250"}));
    EXPECT_EQ(count("SPGRUP WHERE MEMO IS NULL AND DOPOL IS NULL AND PRIKAZNOM IS NULL"), 5);
    // A group repeats the qualification, full name and term of its specialty, but for group 5's term.
    EXPECT_EQ(count("SPGRUP G JOIN SPOTD O ON G.IDO = O.IDO WHERE G.KVAL = O.KVAL AND G.Spec = O.MEMO "
                    "AND (G.NormTime = O.NormTime OR G.IDG = 5)"), 5);
    auto group5 = db().openRecordset(QStringLiteral("SELECT * FROM SPGRUP WHERE IDG = 5"));
    EXPECT_EQ(group5->value("date_S").toDate(), QDate(2014, 1, 2));
    EXPECT_EQ(group5->value("date_Po").toDate(), QDate(2014, 2, 28));
    EXPECT_EQ(group5->text("NormTime"), QStringLiteral("500 часов"));
    group5.reset();
    EXPECT_EQ(column("SELECT FIOGAK || '/' || FIOSEK FROM SPGRUP ORDER BY IDG").size(), 5);
    EXPECT_EQ(jet::toLong(value("SELECT COUNT(DISTINCT FIOGAK) + COUNT(DISTINCT FIOSEK) FROM SPGRUP")), 6);

    EXPECT_EQ(numbers("SELECT IDG FROM SPSTUD ORDER BY ID"), (std::vector<qlonglong>{1, 2, 3, 5, 4}));
    EXPECT_EQ(numbers("SELECT IDV FROM SPSTUD ORDER BY ID"), (std::vector<qlonglong>{2, 1, 2, 4, 2}));
    EXPECT_EQ(numbers("SELECT ID FROM SPSTUD WHERE Otl <> 0"), (std::vector<qlonglong>{2}));
    EXPECT_EQ(numbers("SELECT ID FROM SPSTUD WHERE isForm <> 0 AND isSokr <> 0"), (std::vector<qlonglong>{3}));
    EXPECT_EQ(count("SPSTUD WHERE DUBL = 0 AND DUBLMED = 0 AND isForm IS NOT NULL AND IDUR = 0"), 5);
    EXPECT_EQ(count("SPSTUD WHERE REGNOMF IS NOT REGNOM OR REGNOMMEDF IS NOT REGNOMMED"), 0);
    EXPECT_EQ(column("SELECT DocN FROM SPSTUD ORDER BY ID"),
              QStringList({"7528901", "2847772", "7381345", "000000", "123456"}));  // kept as text
    EXPECT_EQ(jet::toText(value("SELECT NOMMED FROM SPSTUD WHERE ID = 1")).size(), 13);

    auto person4 = db().openRecordset(QStringLiteral("SELECT * FROM SPSTUD WHERE ID = 4"));
    EXPECT_TRUE(jet::isNull(person4->value("REGNOM")));
    EXPECT_EQ(person4->text("regnomDoc"), QStringLiteral("1"));
    EXPECT_EQ(person4->text("PRIL"), QStringLiteral("43 0008905"));
    EXPECT_EQ(person4->value("PosYr").toLongLong(), 0);
    person4.reset();
    auto person5 = db().openRecordset(QStringLiteral("SELECT * FROM SPSTUD WHERE ID = 5"));
    EXPECT_TRUE(jet::isNull(person5->value("FamD")));
    EXPECT_TRUE(jet::isNull(person5->value("Dat")));
    EXPECT_EQ(person5->value("D_R").toDate(), QDate(1989, 6, 9));
    EXPECT_EQ(person5->text("PRIL"), QStringLiteral("0"));
    person5.reset();

    EXPECT_EQ(numbers("SELECT IZ FROM SPUCH ORDER BY IDZ"), (std::vector<qlonglong>{0, 0}));
    EXPECT_EQ(column("SELECT NAIM FROM SPUCH ORDER BY IDZ"),
              QStringList({"Наш колледж (до переименования)", "Наш колледж (после переименования)"}));
    EXPECT_EQ(column("SELECT NAIM FROM SPOTD ORDER BY IDO"),
              QStringList({"Экономика и бух.учет", "Землеустройство", "Менеджмент", "Право", "Программирование"}));
}

// The plans of the groups in writing order, and each person's grades.
struct ExpectedGrades {
    int person;
    int group;
    int vidDokum;
    std::vector<qlonglong> grades;
};

TEST_F(NewDatabaseTest, GradeLinesCopyTheirGroupsPlanWithTheListedGrades)
{
    ASSERT_TRUE(newdb::CreateNewDatabase(path(), false));

    // SORT runs 1 to 181 through both lists, group by group and person by person.
    std::vector<qlonglong> sorts(181);
    for (int i = 0; i < 181; ++i)
        sorts[size_t(i)] = i + 1;
    EXPECT_EQ(numbers("SELECT SORT FROM SPNAGR ORDER BY IDN"), sorts);
    EXPECT_EQ(numbers("SELECT SORT FROM EXAM ORDER BY IDE"), sorts);
    EXPECT_EQ(numbers("SELECT IDG FROM SPNAGR GROUP BY IDG ORDER BY MIN(SORT)"), (std::vector<qlonglong>{3, 1, 2, 4, 5}));
    EXPECT_EQ(numbers("SELECT COUNT(*) FROM SPNAGR GROUP BY IDG ORDER BY MIN(SORT)"),
              (std::vector<qlonglong>{58, 51, 60, 8, 4}));
    EXPECT_EQ(count("SPNAGR WHERE NAIM IS NULL AND IDZ = 0"), 181);
    EXPECT_EQ(count("EXAM WHERE NAIM IS NULL AND IDZ = 0 AND LINE = 0"), 181);
    EXPECT_EQ(numbers("SELECT SORT FROM SPNAGR WHERE kursovaya <> 0 ORDER BY SORT"),
              (std::vector<qlonglong>{50, 51, 52, 181}));
    EXPECT_EQ(jet::toText(value("SELECT CH FROM SPNAGR WHERE SORT = 181")), QStringLiteral("\u0445"));
    EXPECT_EQ(jet::toText(value("SELECT CH FROM SPNAGR WHERE SORT = 53")), QStringLiteral("29 недель"));
    EXPECT_EQ(jet::toLong(value("SELECT SUM(CH) FROM SPNAGR WHERE IDG = 5 AND SORT < 181")), 500);
    EXPECT_EQ(count("SPNAGR WHERE (IDD = 8) <> (CH IS NULL)"), 0);
    EXPECT_EQ(count("EXAM WHERE (IDD = 8) <> (CH IS NULL)"), 0);

    const std::vector<ExpectedGrades> expected = {
        {3, 3, 0, {4, 3, 5, 4, 4, 5, 5, 4, 4, 5, 4, 4, 5, 4, 4, 3, 4, 0, 5, 4, 5, 0, 5, 5, 4, 0, 4, 4, 5, 5,
                   0, 5, 4, 4, 0, 4, 4, 3, 4, 4, 0, 4, 4, 4, 4, 4, 4, 10, 10, 3, 4, 4, 10, 0, 5, 4, 3, 10}},
        {1, 1, 0, {4, 5, 4, 4, 3, 4, 5, 4, 5, 5, 4, 4, 4, 5, 4, 5, 5, 0, 5, 4, 0, 4, 4, 5, 0, 5,
                   3, 0, 3, 4, 0, 4, 4, 4, 0, 4, 5, 3, 4, 5, 10, 10, 10, 0, 5, 4, 5, 10, 0, 10, 10}},
        {2, 2, 0, {5, 5, 5, 5, 5, 5, 4, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 0, 4, 5, 5, 4, 0, 4, 4, 5, 5, 0, 5, 5,
                   5, 0, 5, 4, 4, 0, 4, 4, 5, 0, 5, 5, 5, 5, 0, 5, 5, 4, 5, 5, 4, 5, 10, 10, 10, 0, 5, 5, 5, 10}},
        {4, 5, 1, {3, 5, 5, 4}},
        {5, 4, 2, {6, 6, 4, 5, 4, 3, 5, 6}},
    };
    qlonglong firstSort = 1;
    for (const ExpectedGrades& e : expected) {
        SCOPED_TRACE(e.person);
        EXPECT_EQ(jet::toLong(value("SELECT MIN(SORT) FROM EXAM WHERE ID = ?", {e.person})), firstSort);
        firstSort += qlonglong(e.grades.size());
        EXPECT_EQ(numbers("SELECT IDB FROM EXAM WHERE ID = ? ORDER BY SORT", {e.person}), e.grades);
        EXPECT_EQ(count(QStringLiteral("EXAM WHERE ID = %1 AND VidDokum <> %2").arg(e.person).arg(e.vidDokum)), 0);

        // Line for line the plan of the person's group.
        const QString lines = QStringLiteral(
            "SELECT IDD || '|' || ifnull(CH, '<null>') || '|' || kursovaya FROM %1 WHERE %2 = %3 ORDER BY SORT");
        EXPECT_EQ(column(lines.arg("EXAM", "ID").arg(e.person)), column(lines.arg("SPNAGR", "IDG").arg(e.group)));
    }
    // The grade rules.
    EXPECT_EQ(count("EXAM WHERE IDD = 8 AND IDB <> 0"), 0);
    EXPECT_EQ(count("EXAM WHERE IDD IN (2, 6, 7, 56, 85, 86) AND IDB <> 10"), 0);
    EXPECT_EQ(count("EXAM WHERE kursovaya <> 0"), 4);
}

TEST_F(NewDatabaseTest, ExistingFileIsRefusedAndLeftUntouched)
{
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray content("не база данных, а чей-то файл");
    file.write(content);
    file.close();

    EXPECT_FALSE(newdb::CreateNewDatabase(path(), false));

    // The structure step reports the refusal itself; no second, empty
    // "Ошибка: 0" message follows it.
    ASSERT_EQ(messages.count(), 1) << messages.texts().join('\n').toStdString();
    EXPECT_TRUE(messages.texts().front().startsWith(QStringLiteral("Произошла непредвиденная ошибка при создании файла базы данных: ")));
    EXPECT_EQ(messages.messages().front().icon(), int(ui::Critical));
    EXPECT_FALSE(core::state().MainDatabase);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), content);
}

// A write that fails after the structure is made leaves no file that a later
// start could take for a complete database.
TEST_F(NewDatabaseTest, FailedWriteLeavesNoFileBehind)
{
    std::vector<newdb::TableRows> content = newdb::newDatabaseContent(false);
    static constexpr const char* fields[] = {"NOSUCHCOLUMN"};
    static constexpr newdb::Value values[] = {"x"};
    content.push_back({"SPBALL", fields, values});

    EXPECT_FALSE(newdb::CreateNewDatabase(path(), content));

    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.texts()[0].startsWith(kFailurePrefix + QString::number(jet::errItemNotFound) + ' '));
    EXPECT_TRUE(messages.texts()[0].endsWith('.'));
    EXPECT_EQ(messages.messages()[0].icon(), int(ui::Exclamation));
    EXPECT_FALSE(core::state().MainDatabase);
    EXPECT_FALSE(QFileInfo::exists(path()));

    // The same path can be created afterwards.
    messages.clear();
    EXPECT_TRUE(newdb::CreateNewDatabase(path(), true));
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(NewDatabaseTest, OpenWorkingDatabaseIsClosedFirst)
{
    const QString first = folder.file(QStringLiteral("first.db"));
    ASSERT_TRUE(newdb::CreateNewDatabase(first, true));
    ASSERT_TRUE(newdb::CreateNewDatabase(path(), true));

    EXPECT_EQ(QFileInfo(db().path()).fileName(), QStringLiteral("qv.db"));
    // The first file is free again.
    EXPECT_NO_THROW(jet::Database::open(first));
}

} // namespace

namespace {

using newdb::CreationStep;

struct Step {
    CreationStep step;
    std::string table;  // for a content step
};

// Every step of making a database with the sample data, in order.
std::vector<Step> creationSteps()
{
    std::vector<Step> steps{{CreationStep::CoreTables, {}}, {CreationStep::Structure, {}}};
    for (const newdb::TableRows& rows : newdb::newDatabaseContent(false))
        steps.push_back({CreationStep::Rows, rows.table});
    steps.push_back({CreationStep::AllRows, {}});
    return steps;
}

bool isStep(const Step& s, CreationStep step, const char* table)
{
    return s.step == step && s.table == (table ? table : "");
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

// A step that fails leaves nothing at the path and nothing beside it.
TEST_F(NewDatabaseTest, AFailureAtAnyStepLeavesNothingAtThePath)
{
    const std::vector<newdb::TableRows> content = newdb::newDatabaseContent(false);
    for (const Step& failing : creationSteps()) {
        SCOPED_TRACE(int(failing.step));
        SCOPED_TRACE(failing.table);
        messages.clear();
        EXPECT_FALSE(newdb::CreateNewDatabase(path(), content, [&](CreationStep step, const char* table, jet::Database&) {
            if (isStep(failing, step, table))
                throw jet::Error(jet::errIo, QStringLiteral("сбой записи"));
        }));
        EXPECT_FALSE(QFileInfo::exists(path()));
        EXPECT_EQ(filesIn(folder.path()), QStringList());
        EXPECT_FALSE(core::state().MainDatabase);
        ASSERT_EQ(messages.count(), 1);
        EXPECT_EQ(messages.texts()[0], kFailurePrefix + QString::number(jet::errIo) + QStringLiteral(" сбой записи."));
    }
    messages.clear();
    EXPECT_TRUE(newdb::CreateNewDatabase(path(), content));
    EXPECT_EQ(messages.count(), 0);
}

// A disk that fills up names its cause, whichever step it stops.
TEST_F(NewDatabaseTest, AFullDiskIsNamedAsTheCause)
{
    const std::vector<newdb::TableRows> content = newdb::newDatabaseContent(false);
    struct Case {
        CreationStep fullAfter;
        const char* table;
        QString messageStart;
    };
    const Case cases[] = {
        {CreationStep::CoreTables, nullptr, QStringLiteral("Не удалось создать таблицу SPMED. ")},
        {CreationStep::Structure, nullptr, kFailurePrefix + QString::number(jet::errDiskFull) + ' '},
        {CreationStep::Rows, "SPPRED", kFailurePrefix + QString::number(jet::errDiskFull) + ' '},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.messageStart.toStdString());
        messages.clear();
        EXPECT_FALSE(newdb::CreateNewDatabase(path(), content, [&](CreationStep step, const char* table, jet::Database& file) {
            if (step == c.fullAfter && (!c.table || std::string(table) == c.table))
                file.execute(QStringLiteral("PRAGMA max_page_count = %1").arg(file.scalar("PRAGMA page_count").toLongLong()));
        }));
        EXPECT_EQ(filesIn(folder.path()), QStringList());
        ASSERT_EQ(messages.count(), 1);
        EXPECT_TRUE(messages.texts()[0].startsWith(c.messageStart)) << messages.texts()[0].toStdString();
        EXPECT_TRUE(messages.texts()[0].contains(QStringLiteral("Недостаточно места на диске"))) << messages.texts()[0].toStdString();
    }
}

// Two programs started at the same instant on a first start both make the
// new database: the one that comes second finds the other's file at the
// path, in use, and says so as for any file in use, whether it finds it
// before it begins or once its own file is ready; the other's file stays.
TEST_F(NewDatabaseTest, TheSecondOfTwoProgramsMakingOneDatabaseFindsItInUse)
{
    const std::vector<newdb::TableRows> content = newdb::newDatabaseContent(true);
    for (const CreationStep found : {CreationStep::CoreTables, CreationStep::AllRows}) {
        SCOPED_TRACE(int(found));
        messages.clear();
        QFile::remove(path());
        std::optional<testsupport::SecondProgram> other;
        if (found == CreationStep::CoreTables)
            other.emplace(testsupport::SecondProgram::holdingNew(path()));
        EXPECT_FALSE(newdb::CreateNewDatabase(path(), content, [&](CreationStep step, const char*, jet::Database&) {
            if (step == found && !other)
                other.emplace(testsupport::SecondProgram::holdingNew(path()));
        }));
        ASSERT_TRUE(other && other->ready());
        ASSERT_EQ(messages.count(), 1);
        EXPECT_EQ(messages.texts()[0],
                  QStringLiteral("Для открытия базы данных: ") + path()
                      + QStringLiteral(" требуется монопольный доступ. Закройте все программы, использующие эту базу "
                                       "данных, после чего запустите программу \"")
                      + ui::applicationTitle() + QStringLiteral("\" заново."));
        EXPECT_EQ(messages.messages()[0].icon(), ui::Exclamation);
        EXPECT_FALSE(core::state().MainDatabase);
        for (const QString& name : filesIn(folder.path()))  // the other's file with its journal; nothing of ours
            EXPECT_TRUE(name.startsWith(QStringLiteral("qv.db"))) << name.toStdString();
        other->stop();
        EXPECT_EQ(jet::Database::open(path())->tableNames(), QStringList{QStringLiteral("INF")});
    }
}

// The program killed at any step: the path stays free, and the next making
// removes what the killed one left.
TEST_F(NewDatabaseTest, AKillAtAnyStepLeavesNothingAtThePath)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    const std::vector<newdb::TableRows> content = newdb::newDatabaseContent(false);
    for (const Step& killing : creationSteps()) {
        SCOPED_TRACE(int(killing.step));
        SCOPED_TRACE(killing.table);
        EXPECT_EXIT(newdb::CreateNewDatabase(path(), content,
                                             [&](CreationStep step, const char* table, jet::Database&) {
                                                 if (isStep(killing, step, table))
                                                     ::_exit(0);
                                             }),
                    ::testing::ExitedWithCode(0), "");
        EXPECT_FALSE(QFileInfo::exists(path()));
    }
    EXPECT_FALSE(filesIn(folder.path()).isEmpty());  // what the killed programs left

    EXPECT_TRUE(newdb::CreateNewDatabase(path(), true));
    EXPECT_EQ(filesIn(folder.path()), QStringList{QStringLiteral("qv.db")});
    EXPECT_EQ(messages.count(), 0);
}

} // namespace
