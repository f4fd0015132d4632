// The placeholder table against the database structure, the values it gives
// for a person's document, and the help pages that list it.
#include "DocumentPrintFixtures.h"

#include "core/AppState.h"
#include "core/DataAccess.h"
#include "core/DatabaseStructure.h"
#include "printing/Placeholders.h"
#include "support/TestSupport.h"

#include <QDate>
#include <QFile>
#include <QSet>

#include <gtest/gtest.h>

using printing::FindPlaceholder;
using printing::PlaceholderTable;

namespace {

QString valueOf(const char* token, const printing::DocumentData& data)
{
    const printing::Placeholder* p = FindPlaceholder(QString::fromUtf8(token));
    EXPECT_NE(p, nullptr) << token;
    return p ? printing::PlaceholderValue(*p, data) : QString();
}

// Every column of a table as the database structure lists it.
QStringList schemaColumns(const char* table)
{
    QStringList out;
    for (const auto group : {core::CoreTables(), core::AddedTables(), core::AddedColumns()})
        for (const core::TableDescriptor& t : group)
            if (t.tableName() == QString::fromLatin1(table))
                for (const core::ColumnSpec& c : t.columns)
                    if (!out.contains(c.columnName(), Qt::CaseInsensitive))
                        out << c.columnName();
    return out;
}

} // namespace

TEST(PlaceholderTableTest, EveryColumnOfTheStructureIsReachableWithItsMeaning)
{
    struct Source {
        const char* table;
        const char* prefix;  // "" for the person
        const char* key;     // a row reached by key leaves its key out
    };
    const Source sources[] = {
        {"SPSTUD", "", nullptr},        {"SPGRUP", "SPGRUP.", nullptr}, {"SPOTD", "SPOTD.", nullptr},
        {"SPMED", "SPMED.", nullptr},   {"INF", "INF.", nullptr},       {"SPTPGR", "SPTPGR.", nullptr},
        {"SPVDOC", "ВИДДОК.", "IDV"},   {"SPUCH", "ПОСТУПЛ.", "IDZ"},   {"SPUCH", "ОКОНЧ.", "IDZ"},
        {"SPFORM", "ФОРМА.", "IDF"},    {"SPUR", "УРОВЕНЬ.", "IDX"},
    };
    int columns = 0;
    for (const Source& s : sources) {
        const QStringList names = schemaColumns(s.table);
        ASSERT_FALSE(names.isEmpty()) << s.table;
        for (const QString& column : names) {
            if (s.key && column == QString::fromLatin1(s.key))
                continue;
            ++columns;
            const QString token = QStringLiteral("[%1%2]").arg(QString::fromUtf8(s.prefix), column);
            const printing::Placeholder* p = FindPlaceholder(token);
            ASSERT_NE(p, nullptr) << token.toStdString();
            EXPECT_EQ(p->token, token) << "spelled as the structure spells it";
            EXPECT_EQ(p->column, column);
            // A meaning in words, not the column's name.
            EXPECT_NE(p->meaning, column) << token.toStdString();
            EXPECT_FALSE(p->meaning.isEmpty()) << token.toStdString();
        }
    }
    // Besides the columns: five forms of each date, five of the issue date,
    // the earlier document, the level and form with their words, the head
    // with the position and a duplicate's signer, and the three columns of a
    // grade line.
    int dates = 0;
    for (const printing::Placeholder& p : PlaceholderTable())
        if (p.token.endsWith(QStringLiteral(".ДЕНЬ]")))
            ++dates;
    EXPECT_EQ(dates, 9);  // D_R, Dat; the group's seven
    EXPECT_EQ(int(PlaceholderTable().size()), columns + 5 * dates + 14);

    QSet<QString> seen;
    for (const printing::Placeholder& p : PlaceholderTable()) {
        EXPECT_FALSE(seen.contains(p.token.toCaseFolded())) << "twice: " << p.token.toStdString();
        seen.insert(p.token.toCaseFolded());
    }
}

TEST(PlaceholderTableTest, NamesTemplatesUseKeepWorkingInAnyCase)
{
    // The names shipped templates and users' own templates were written with.
    const char* names[] = {
        "[FAM]", "[IM]", "[OTCH]", "[FamD]", "[ImD]", "[OtchD]", "[REGNOMMED]", "[NOMMED]", "[REGNOM]",
        "[regnomDoc]", "[regnomUd]", "[DIPL]", "[PRIL]", "[Dat]", "[D_R]", "[M_R]", "[SPEC]", "[KVAL]", "[PROTCH]",
        "[DOPOL]", "[SPGRUP.NAIM]", "[SPGRUP.DatMed]", "[SPGRUP.DatGAKMed]", "[SPGRUP.PRGAKMed]", "[SPGRUP.date_S]",
        "[SPGRUP.date_Po]", "[SPGRUP.Dat]", "[SPGRUP.DatGAK]", "[SPGRUP.PRGAK]", "[SPGRUP.KVAL]", "[SPGRUP.Spec]",
        "[SPGRUP.FIOGAK]", "[SPGRUP.FIOSEK]", "[SPGRUP.NormTime]", "[SPGRUP.PRIKAZNOM]", "[SPGRUP.PRIKAZDAT]",
        "[SPGRUP.DOPOL]", "[SPOTD.NAIM]", "[SPOTD.MEMO]", "[SPOTD.KVAL]", "[SPOTD.NormTime]", "[SPMED.NAIM]",
        "[INF.NAIM]", "[INF.Change]", "[INF.FIORUK]", "[INF.NAIMMED]", "[INF.GORODMED]", "[SPTPGR.NAIM]", "[ДЕНЬ]",
        "[МЕСЯЦ]", "[ГОД]", "[ДИСЦИПЛИНА]", "[ЧАСЫ]", "[ОЦЕНКА]",
        // The rows reached by key, under their own names.
        "[ВИДДОК.NAIM]", "[ПОСТУПЛ.NAIM]", "[ПОСТУПЛ.MEMO]", "[ОКОНЧ.NAIM]", "[ОКОНЧ.MEMO]", "[ФОРМА.NAIM]",
        "[ФОРМА.NAIM2]", "[УРОВЕНЬ.NAIM]",
    };
    for (const char* name : names) {
        const QString token = QString::fromUtf8(name);
        EXPECT_NE(FindPlaceholder(token), nullptr) << name;
        EXPECT_EQ(FindPlaceholder(token.toLower()), FindPlaceholder(token)) << name;
        EXPECT_EQ(FindPlaceholder(token.toUpper()), FindPlaceholder(token)) << name;
    }
    EXPECT_EQ(FindPlaceholder(QStringLiteral("[SPGRUP.NAIM2]")), nullptr);
    EXPECT_EQ(FindPlaceholder(QStringLiteral("[ПОСТУПЛ.IDZ]")), nullptr);  // the key is the person's PosOU
}

class DocumentDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        core::resetState();
        people = printtest::makeDatabase(home.file(QStringLiteral("kalveta.db")));
        ASSERT_GT(people.retrainee, 0);
    }
    void TearDown() override { core::CloseDatabase(); }
    static qlonglong insert(const QString& sql, const QVariantList& values)
    {
        core::db().execute(sql, values);
        return core::db().lastInsertKey();
    }
    testsupport::TempFolder home;
    printtest::SamplePeople people;
};

TEST_F(DocumentDataTest, ValuesOfEveryKind)
{
    auto& db = core::db();
    const qlonglong kind = insert(QStringLiteral("INSERT INTO SPVDOC (NAIM) VALUES (?)"),
                                  {QStringLiteral("Аттестат о среднем общем образовании")});
    const qlonglong school = insert(QStringLiteral("INSERT INTO SPUCH (NAIM, MEMO) VALUES (?, ?)"),
                                    {QStringLiteral("Школа № 5"), QStringLiteral("МБОУ «Средняя школа № 5»")});
    const qlonglong college = insert(QStringLiteral("INSERT INTO SPUCH (NAIM, MEMO) VALUES (?, ?)"),
                                     {QStringLiteral("Колледж"), QStringLiteral("ГБПОУ «Медицинский колледж № 1»")});
    const qlonglong form = insert(QStringLiteral("INSERT INTO SPFORM (NAIM, NAIM2) VALUES (?, ?)"),
                                  {QStringLiteral("очно-заочная"), QStringLiteral("по очно-заочной форме")});
    const qlonglong level = insert(QStringLiteral("INSERT INTO SPUR (NAIM) VALUES (?)"), {QStringLiteral("углубленной")});
    db.execute(QStringLiteral("UPDATE SPSTUD SET IDV = ?, DocYr = 2019, DocS = '52', PosOU = ?, PosYr = 2020, "
                              "ZavOU = ?, ZavYr = 2024, Otl = -1, DUBL = 0, D_R = NULL WHERE ID = ?"),
               {kind, school, college, qlonglong(people.retrainee)});
    db.execute(QStringLiteral("UPDATE SPGRUP SET IDF = ?, IDX = ?, PRIKAZDAT = ?"), {form, level, QDate(2024, 6, 30)});
    db.execute(QStringLiteral("UPDATE INF SET isIO = -1"));

    const printing::DocumentData data =
        printing::LoadDocumentData(people.retrainee, core::RetrainingDiplomaTitle, core::RetrainingDocuments);
    ASSERT_TRUE(data.found);
    const std::pair<const char*, const char*> cases[] = {
        {"[FAM]", "Кузнецов"},
        {"[DocYr]", "2019"},
        {"[DocS]", "52"},
        {"[ВИДДОК.NAIM]", "Аттестат о среднем общем образовании"},
        {"[ПОСТУПЛ.NAIM]", "Школа № 5"},
        {"[ПОСТУПЛ.MEMO]", "МБОУ «Средняя школа № 5»"},
        {"[ОКОНЧ.NAIM]", "Колледж"},
        {"[ОКОНЧ.MEMO]", "ГБПОУ «Медицинский колледж № 1»"},
        {"[ФОРМА.NAIM]", "очно-заочная"},
        {"[ФОРМА.NAIM2]", "по очно-заочной форме"},
        {"[ФОРМА.ОБУЧЕНИЯ]", "по очно-заочной форме обучения"},
        {"[УРОВЕНЬ.NAIM]", "углубленной"},
        {"[УРОВЕНЬ.ПОДГОТОВКИ]", "углубленной подготовки"},
        {"[PosYr]", "2020"},
        {"[SPOTD.MEMO]", "34.02.01 Сестринское дело"},
        // Yes/no columns in words.
        {"[Otl]", "с отличием"},
        {"[DUBL]", ""},
        {"[DUBLMED]", ""},
        {"[INF.isIO]", "и.о."},
        // Dates whole and in parts.
        {"[Dat]", "02.04.2024"},
        {"[Dat.ДЕНЬ]", "02"},
        {"[Dat.МЕСЯЦ]", "апреля"},
        {"[Dat.ГОД]", "2024"},
        {"[Dat.ГГ]", "24"},
        {"[Dat.ПРОПИСЬЮ]", "«02» апреля 2024 г."},
        {"[SPGRUP.DatGAKMed.ДЕНЬ]", "01"},
        {"[SPGRUP.DatGAKMed.МЕСЯЦ]", "марта"},
        {"[SPGRUP.date_S.ГОД]", "2023"},
        {"[SPGRUP.date_Po]", "28.02.2024"},
        {"[SPGRUP.date_Po.МЕСЯЦ]", "февраля"},
        {"[SPGRUP.PRIKAZDAT.ДЕНЬ]", "30"},
        {"[D_R]", ""},
        {"[D_R.ДЕНЬ]", ""},
        {"[D_R.МЕСЯЦ]", ""},
        {"[D_R.ГГ]", ""},
        {"[D_R.ПРОПИСЬЮ]", ""},
        // The issue date: the person's own.
        {"[ДЕНЬ]", "02"},
        {"[МЕСЯЦ]", "апреля"},
        {"[ГОД]", "2024"},
        {"[ГГ]", "24"},
        {"[ДАТА ВЫДАЧИ]", "«02» апреля 2024 г."},
        // The earlier document without its number: no "№" of its own.
        {"[ДОКУМЕНТ ОБ ОБРАЗОВАНИИ]", "Аттестат о среднем общем образовании 52, 2019 год"},
        // Not stored: derived from the nominative names.
        {"[FamD]", "Кузнецову"},
        {"[ImD]", "Ивану"},
        {"[OtchD]", "Сергеевичу"},
    };
    for (const auto& [token, expected] : cases)
        EXPECT_EQ(valueOf(token, data), QString::fromUtf8(expected)) << token;

    // A person without references: nothing from the rows they would reach.
    const printing::DocumentData other =
        printing::LoadDocumentData(people.certificateHolder, core::SpecialistCertificate, core::SpecialistCertificates);
    for (const char* token : {"[ВИДДОК.NAIM]", "[ПОСТУПЛ.MEMO]", "[Otl]", "[DocYr]"})
        EXPECT_EQ(valueOf(token, other), QString()) << token;
    // The certificate's issue date is the group's.
    EXPECT_EQ(valueOf("[ДЕНЬ]", other) + valueOf("[МЕСЯЦ]", other), QStringLiteral("05марта"));
}

TEST_F(DocumentDataTest, StoredDativeNamesAreKeptMissingOnesDerived)
{
    struct Case {
        const char* fam;
        const char* im;
        const char* otch;
        const char* famD;  // stored; nullptr for Null
        const char* imD;
        const char* otchD;
        const char* expected;  // FamD ImD OtchD as printed
    };
    const Case cases[] = {
        {"Смирнова", "Анна", "Петровна", nullptr, nullptr, nullptr, "Смирновой Анне Петровне"},
        {"Смирнова", "Анна", "Петровна", "", " ", "", "Смирновой Анне Петровне"},
        {"Смирнова", "Анна", "Петровна", "Смирновой-Ли", nullptr, "Петровне", "Смирновой-Ли Анне Петровне"},
        {"Кузнецов", "Иван", "", nullptr, nullptr, nullptr, "Кузнецову Ивану "},
        // Without a patronymic the surname tells a woman's name from a man's.
        {"Ковалёва", "Саша", "", nullptr, nullptr, nullptr, "Ковалёвой Саше "},
        {"Ковалёв", "Саша", "", nullptr, nullptr, nullptr, "Ковалёву Саше "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        const auto stored = [](const char* v) { return v ? QVariant(QString::fromUtf8(v)) : QVariant(); };
        core::db().execute(
            QStringLiteral("UPDATE SPSTUD SET FAM = ?, IM = ?, OTCH = ?, FamD = ?, ImD = ?, OtchD = ? WHERE ID = ?"),
            {QString::fromUtf8(c.fam), QString::fromUtf8(c.im), QString::fromUtf8(c.otch), stored(c.famD),
             stored(c.imD), stored(c.otchD), qlonglong(people.certificateHolder)});
        const printing::DocumentData data =
            printing::LoadDocumentData(people.certificateHolder, core::CompletionCertificate, core::RetrainingDocuments);
        EXPECT_EQ(valueOf("[FamD]", data) + QLatin1Char(' ') + valueOf("[ImD]", data) + QLatin1Char(' ')
                      + valueOf("[OtchD]", data),
                  QString::fromUtf8(c.expected));
    }
    // The database is only read.
    EXPECT_TRUE(core::db().scalar(QStringLiteral("SELECT FamD FROM SPSTUD WHERE ID = ?"),
                                  {qlonglong(people.certificateHolder)}).isNull());
}

TEST_F(DocumentDataTest, SectionHeadingsKeepTheirHoursAndGrade)
{
    const qlonglong good =
        jet::toLong(core::db().scalar(QStringLiteral("SELECT IDB FROM SPBALL WHERE NAIM = 'хорошо'")));
    // A module's total on its heading line.
    core::db().execute(QStringLiteral("UPDATE EXAM SET CH = '108', IDB = ? WHERE SORT = 1 AND VidDokum = 1"), {good});
    const printing::DocumentData data = printing::LoadDocumentData(
        people.retrainee, core::RetrainingDiplomaSupplement, core::RetrainingDocuments);
    struct Line {
        const char* discipline;
        const char* hours;
        const char* grade;
        bool heading;
    };
    const Line expected[] = {
        {"Общепрофессиональные дисциплины", "108", "хорошо", true},
        {"Анатомия", "72", "отлично", false},
        {"Фармакология", "36", "хорошо", false},
    };
    ASSERT_EQ(data.grades.size(), std::size(expected));
    for (size_t i = 0; i < data.grades.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(data.grades[i].discipline, QString::fromUtf8(expected[i].discipline));
        EXPECT_EQ(data.grades[i].hours, QString::fromUtf8(expected[i].hours));
        EXPECT_EQ(data.grades[i].grade, QString::fromUtf8(expected[i].grade));
        EXPECT_EQ(data.grades[i].heading, expected[i].heading);
    }
}

TEST(PlaceholderPagesTest, HelpAndManualListTheTableAsItIs)
{
    // The pages hold the table between two marks; KALVETA_UPDATE_PAGES=1
    // writes it there from the program's table.
    const QString end = QStringLiteral("<!-- поля шаблона: конец -->");
    const QString table = printing::PlaceholderTableHtml();
    for (const char* page : {"/Помощник ЭЖ/shablony.htm", "/manual/manual.html"}) {
        SCOPED_TRACE(page);
        QFile f(testsupport::sourceDataFolder() + QString::fromUtf8(page));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QString html = QString::fromUtf8(f.readAll());
        f.close();
        const QString open = QStringLiteral("<!-- поля шаблона: начало -->\n");
        const qsizetype from = html.indexOf(open);
        const qsizetype to = html.indexOf(end);
        ASSERT_GE(from, 0);
        ASSERT_GT(to, from);
        const QString listed = html.mid(from + open.size(), to - from - open.size());
        if (listed != table && qEnvironmentVariableIsSet("KALVETA_UPDATE_PAGES")) {
            html.replace(from + open.size(), to - from - open.size(), table);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(html.toUtf8());
            continue;
        }
        EXPECT_EQ(listed.toStdString(), table.toStdString());
    }
}

TEST(PlaceholderValueTest, EarlierDocumentAndDuplicateSignerLeaveOutWhatIsMissing)
{
    struct Case {
        const char* kind;
        const char* series;
        const char* number;
        QVariant year;
        const char* expected;
    };
    const Case cases[] = {
        {"аттестат", "АВ", "7381345", 2010, "аттестат АВ №\u00A07381345, 2010 год"},
        {"аттестат", "", "7381345", 2010, "аттестат №\u00A07381345, 2010 год"},
        {"аттестат", "АВ", "", QVariant(), "аттестат АВ"},
        {"", "", "", 2010, "2010 год"},
        {"", "", "", QVariant(), ""},
        {"", "", "", 0, ""},
    };
    const printing::Placeholder* earlier = FindPlaceholder(QStringLiteral("[ДОКУМЕНТ ОБ ОБРАЗОВАНИИ]"));
    ASSERT_NE(earlier, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        printing::DocumentData data;
        data.documentKind.insert(QStringLiteral("NAIM"), QString::fromUtf8(c.kind));
        data.person.insert(QStringLiteral("DOCS"), QString::fromUtf8(c.series));
        data.person.insert(QStringLiteral("DOCN"), QString::fromUtf8(c.number));
        data.person.insert(QStringLiteral("DOCYR"), c.year);
        EXPECT_EQ(printing::PlaceholderValue(*earlier, data), QString::fromUtf8(c.expected));
    }

    // The position of the education authority signs only a duplicate.
    const printing::Placeholder* signer = FindPlaceholder(QStringLiteral("[ДУБЛИКАТ.ДОЛЖНОСТЬ]"));
    ASSERT_NE(signer, nullptr);
    const QString position = QStringLiteral("Начальник управления образования");
    const std::tuple<int, QString, QString> signers[] = {
        {-1, position, position}, {0, position, QString()}, {-1, QString(), QString()}};
    for (const auto& [duplicate, druo, expected] : signers) {
        printing::DocumentData data;
        data.person.insert(QStringLiteral("DUBL"), duplicate);
        data.institution.insert(QStringLiteral("DRUO"), druo);
        EXPECT_EQ(printing::PlaceholderValue(*signer, data), expected) << duplicate << druo.toStdString();
    }
}

TEST(PlaceholderValueTest, AnEmptyOrZeroValuePrintsNothingNorTheWordsThatFrameIt)
{
    using D = printing::DocumentData;
    struct Case {
        const char* token;
        QVariantMap D::*row;
        const char* column;
        QVariant value;
        const char* expected;
    };
    const Case cases[] = {
        {"[PosYr]", &D::person, "POSYR", 2010, "2010"},
        {"[PosYr]", &D::person, "POSYR", 0, ""},  // a year stored as 0
        {"[ZavYr]", &D::person, "ZAVYR", QVariant(), ""},
        {"[DocYr]", &D::person, "DOCYR", qlonglong(0), ""},
        {"[PRIL]", &D::person, "PRIL", QStringLiteral(" 0 "), ""},  // a blank's number stored as 0
        {"[PRIL]", &D::person, "PRIL", QStringLiteral("43 0008905"), "43 0008905"},
        {"[DocN]", &D::person, "DOCN", QStringLiteral("000000"), "000000"},  // a number of zeros is a number
        {"[SPGRUP.NormTime]", &D::group, "NORMTIME", QStringLiteral("10 месяцев"), "10 месяцев"},
        {"[ФОРМА.ОБУЧЕНИЯ]", &D::studyForm, "NAIM2", QStringLiteral("по очной форме"), "по очной форме обучения"},
        {"[ФОРМА.ОБУЧЕНИЯ]", &D::studyForm, "NAIM2", QVariant(), ""},
        {"[ФОРМА.ОБУЧЕНИЯ]", &D::studyForm, "NAIM2", QStringLiteral("  "), ""},
        {"[УРОВЕНЬ.ПОДГОТОВКИ]", &D::trainingLevel, "NAIM", QStringLiteral("базовой"), "базовой подготовки"},
        {"[УРОВЕНЬ.ПОДГОТОВКИ]", &D::trainingLevel, "NAIM", QStringLiteral(""), ""},
    };
    for (const Case& c : cases) {
        D data;
        (data.*c.row).insert(QString::fromLatin1(c.column), c.value);
        EXPECT_EQ(valueOf(c.token, data), QString::fromUtf8(c.expected)) << c.token << " = " << c.value.toString().toStdString();
    }
}

TEST(PlaceholderValueTest, TheHeadSignsButADuplicateOfALiquidatedInstitutionNamesTheAuthoritysPosition)
{
    const char* const head = "Руководитель образовательной организации";
    const char* const authority = "Министр образования Кировской области";
    struct Case {
        const char* name;
        int duplicate;
        const char* druo;
        int acting;
        const char* fioruk;
        const char* signer;    // [РУКОВОДИТЕЛЬ]
        const char* position;  // [РУКОВОДИТЕЛЬ.ДОЛЖНОСТЬ]
    };
    const Case cases[] = {
        {"the head", 0, "", 0, "Лаптева Н.В.", "Лаптева Н.В.", head},
        {"an acting head", 0, "", -1, "Лаптева Н.В.", "и.о. Лаптева Н.В.", head},
        {"a duplicate of a working institution", -1, "", 0, "Лаптева Н.В.", "Лаптева Н.В.", head},
        {"no duplicate", 0, authority, -1, "Лаптева Н.В.", "и.о. Лаптева Н.В.", head},
        {"a duplicate of a liquidated institution", -1, authority, -1, "Лаптева Н.В.", "", authority},
        {"no head named: not even «и.о.»", 0, "", -1, "  ", "", head},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        printing::DocumentData data;
        data.person.insert(QStringLiteral("DUBL"), c.duplicate);
        data.institution.insert(QStringLiteral("DRUO"), QString::fromUtf8(c.druo));
        data.institution.insert(QStringLiteral("ISIO"), c.acting);
        data.institution.insert(QStringLiteral("FIORUK"), QString::fromUtf8(c.fioruk));
        EXPECT_EQ(valueOf("[РУКОВОДИТЕЛЬ]", data), QString::fromUtf8(c.signer));
        EXPECT_EQ(valueOf("[РУКОВОДИТЕЛЬ.ДОЛЖНОСТЬ]", data), QString::fromUtf8(c.position));
    }
}

TEST(UnknownPlaceholderTest, SaysWhyAndNamesTheClosest)
{
    const std::pair<const char*, const char*> cases[] = {
        {"[ FAM ]", "лишние пробелы внутри скобок; ближе всего [FAM]"},
        {"[SPGRUP. NAIM]", "лишние пробелы внутри скобок; ближе всего [SPGRUP.NAIM]"},
        {"[ДАТАВЫДАЧИ]", "не хватает пробела внутри скобок; ближе всего [ДАТА ВЫДАЧИ]"},
        {"[ДАТАВЫДАЧИ ]", "пробелы внутри скобок не на своих местах; ближе всего [ДАТА ВЫДАЧИ]"},
        // Latin letters that look like Russian ones, and the other way round.
        {"[ФОPМA.NAIM]", "латинская буква «P» вместо русской, латинская буква «A» вместо русской; ближе всего "
                         "[ФОРМА.NAIM]"},
        {"[SPGRUР.NAIM]", "русская буква «Р» вместо латинской; ближе всего [SPGRUP.NAIM]"},
        {"[ ДУБЛИКAТ.ДОЛЖНОСТЬ]", "лишние пробелы внутри скобок, латинская буква «A» вместо русской; ближе всего "
                                  "[ДУБЛИКАТ.ДОЛЖНОСТЬ]"},
        // A slip of the pen, and a name like none.
        {"[SPGRUP.NAMI]", "такого поля нет; ближе всего [SPGRUP.NAIM]"},
        {"[ДИСЦИПЛИНЫ]", "такого поля нет; ближе всего [ДИСЦИПЛИНА]"},
        {"[Стаж работы по специальности]", "такого поля нет"},
    };
    for (const auto& [token, note] : cases) {
        ASSERT_EQ(FindPlaceholder(QString::fromUtf8(token)), nullptr) << token;
        EXPECT_EQ(printing::UnknownPlaceholderNote(QString::fromUtf8(token)).toStdString(), std::string(note)) << token;
    }
    EXPECT_EQ(printing::UnknownPlaceholdersWarning({QStringLiteral("[ FAM ]"), QStringLiteral("[Стаж]")}),
              QStringLiteral("В шаблоне есть поля, которые программа не знает:\n"
                             "[ FAM ] — лишние пробелы внутри скобок; ближе всего [FAM]\n"
                             "[Стаж] — такого поля нет\n"
                             "Они оставлены в документе без изменений; поправьте их в документе или в шаблоне."));
}

TEST(PlaceholderValueTest, AGradesTableStaysEmptyOnlyWhenTheTemplateHasOneAndThePersonNoLines)
{
    printing::DocumentData none;
    printing::DocumentData some;
    some.grades.push_back({QStringLiteral("Анатомия"), QStringLiteral("72"), QStringLiteral("отлично")});
    struct Case {
        QStringList tokens;
        const printing::DocumentData* data;
        bool empty;
    };
    const Case cases[] = {
        {{"[FAM]", "[ДИСЦИПЛИНА]", "[ОЦЕНКА]"}, &none, true},
        {{"[дисциплина]"}, &none, true},
        {{"[FAM]", "[ДИСЦИПЛИНА]"}, &some, false},
        {{"[FAM]", "[ОЦЕНКА]"}, &none, false},  // no grades row
        {{}, &none, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(printing::GradeTableStaysEmpty(c.tokens, *c.data), c.empty) << c.tokens.join(QLatin1Char(' ')).toStdString();
}

TEST(PlaceholderValueTest, MissingNumberAndDateAreThoseTheTemplatePrints)
{
    // Веснина's certificate data without the diploma's, and the reverse.
    printing::DocumentData certificate;
    certificate.person.insert(QStringLiteral("REGNOMMED"), QStringLiteral("1123457819123"));
    certificate.group.insert(QStringLiteral("DATMED"), QDate(2014, 6, 28));
    printing::DocumentData diploma;
    diploma.person.insert(QStringLiteral("REGNOM"), QStringLiteral("17910"));
    diploma.issueDate = QDate(2014, 11, 3);
    printing::DocumentData zero = diploma;  // a number stored as 0 is none
    zero.person.insert(QStringLiteral("REGNOM"), QStringLiteral("0"));
    const QString number = QStringLiteral("без регистрационного номера");
    const QString date = QStringLiteral("без даты выдачи");
    struct Case {
        const char* name;
        QStringList tokens;
        const printing::DocumentData* data;
        QStringList expected;
    };
    const Case cases[] = {
        {"certificate with its data", {"[REGNOMMED]", "[SPGRUP.DatMed.ПРОПИСЬЮ]", "[FamD]"}, &certificate, {}},
        {"certificate template, diploma data", {"[regnommed]", "[SPGRUP.DatMed.ДЕНЬ]"}, &diploma, {number, date}},
        {"diploma template, certificate data", {"[REGNOM]", "[ДАТА ВЫДАЧИ]"}, &certificate, {number, date}},
        {"diploma with its data", {"[REGNOM]", "[ГОД]"}, &diploma, {}},
        {"the удостоверение's number, the person's own date", {"[regnomUd]", "[Dat]"}, &diploma, {number, date}},
        {"neither printed", {"[FAM]", "[SPGRUP.DatGAK.ПРОПИСЬЮ]", "[НЕИЗВЕСТНОЕ]"}, &certificate, {}},
        {"a number of 0", {"[REGNOM]", "[ДАТА ВЫДАЧИ]"}, &zero, {number}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(printing::MissingIssueDetails(c.tokens, *c.data), c.expected) << c.name;
}

TEST(PlaceholderPagesTest, FieldsOfTheBlankComeFirstServiceFieldsApart)
{
    const QString table = printing::PlaceholderTableHtml();
    const qsizetype service = table.indexOf(QStringLiteral("Служебные поля"));
    ASSERT_GT(service, 0);
    for (const char* token : {"[FAM]", "[SPGRUP.FIOSEK]", "[INF.FIORUK]", "[ДАТА ВЫДАЧИ]", "[ГГ]", "[ДИСЦИПЛИНА]"})
        EXPECT_LT(table.indexOf(QStringLiteral("<b>%1</b>").arg(QString::fromUtf8(token))), service) << token;
    for (const char* token : {"[ID]", "[SPGRUP.IDG]", "[INF.TopPronter]", "[INF.appMajor]", "[SPTPGR.Tmp5]"})
        EXPECT_GT(table.indexOf(QStringLiteral("<b>%1</b>").arg(QString::fromUtf8(token))), service) << token;
    // The commission as the blanks name it.
    EXPECT_TRUE(table.contains(QStringLiteral("ГЭК")));
    EXPECT_FALSE(table.contains(QStringLiteral("ГАК")));
}
