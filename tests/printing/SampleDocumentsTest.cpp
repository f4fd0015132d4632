// Every kind of document the print-parameters dialog offers, printed for the
// sample persons of a new database from the shipped template the dialog
// proposes, on both office paths, and read back as the graduate receives
// it: the name in the case the form uses, every stored field in its slot,
// every grade line with its hours and grade, the signatures, no placeholder
// left, no mark of a missing value, and the pages of the blank.
#include "DocumentPrintFixtures.h"

#include "core/AppState.h"
#include "core/DataAccess.h"
#include "newdb/NewDatabase.h"
#include "platform/jet/Jet.h"
#include "platform/office/TemplateDocument.h"
#include "platform/ui/Messages.h"
#include "printing/DocumentFill.h"
#include "printing/Placeholders.h"
#include "printing/TemplateNames.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Kind {
    const char* caption;  // the dialog's option, which starts the file name
    int blankKind;
    int docKind;
    const char* person;  // surname of the sample person
    int pages;           // sides of the blank
    std::vector<const char*> present;
    std::vector<const char*> absent;  // the name in the case the form does not use
    const char* templateBase = nullptr;  // chosen by the user; nullptr: the one the dialog proposes
};

// What the sample database holds for each person, as the blank shows it.
const std::vector<Kind>& kinds()
{
    static const std::vector<Kind> list{
        {"Кальвета", core::SpecialistCertificate, core::SpecialistCertificates, "Веснина", 1,
         {"Весниной", "Ольге Андреевне", "1123457819123", "11111234", "Кировском областном государственном",
          "Светлоярск", "«27» июня 2014 г.", "198", "Гигиеническое воспитание", "«28» июня 2014 г.",
          "Кировское областное государственное"},
         {"Веснина", "Ольга"}},
        {"Вкладыш в диплом", core::DiplomaTitle, core::Documents, "Шилов", 1,
         {"Шилов", "Артём Сергеевич", "43 СПА 0008904", "17910", "«03» ноября 2014 г.",
          "230115 Программирование в компьютерных системах", "Техник-программист", "«27» июня 2014 г.", "№128",
          "Ладыгин А.М.", "Лаптева Н.В.", "Кировское областное государственное"},
         {"Шилову", "с отличием"}},
        // Honours are printed by the honours blank itself, never by the
        // ordinary title; the honours title is chosen through "Прочее".
        {"Вкладыш в диплом", core::DiplomaTitle, core::Documents, "Сухарева", 1,
         {"Сухарева", "Дарья Игоревна", "43 СПА 0008903", "17819", "120701 Землеустройство",
          "Техник-землеустроитель", "«03» января 2014 г.", "№110", "Громов В.П.", "Лаптева Н.В."},
         {"Сухаревой", "с отличием"}},
        {"Прочее", core::OtherDocument, core::Documents, "Сухарева", 1,
         {"Сухарева", "Дарья Игоревна", "43 СПА 0008903", "17819", "«03» января 2014 г.", "№110", "Лаптева Н.В."},
         {"с отличием"}, "Титул диплома с отличием"},
        {"Приложение к диплому", core::DiplomaSupplement, core::Documents, "Шилов", 2,
         {"Шилов", "Артём", "Сергеевич", "11.07.1992", "аттестат о среднем (полном) общем образовании АВ №\u00A07381345, 2010 год",
          "17910", "«03» ноября 2014 г.", "2 года 10 месяцев", "базовой подготовки по очной форме обучения",
          "Техник-программист",
          "230115 Программирование в компьютерных системах", "Кировское областное государственное",
          "4. ДОПОЛНИТЕЛЬНЫЕ СВЕДЕНИЯ", "Образовательное учреждение переименовано в 2011 году", "Лаптева Н.В."},
         {"Шилову"}},
        {"Академическая справка", core::AcademicTranscript, core::Documents, "Шилов", 2,
         {"Шилов Артём Сергеевич", "11.07.1992", "аттестат о среднем (полном) общем образовании АВ №\u00A07381345, 2010 год",
          "Светлоярский экономический техникум", "Федеральное государственное образовательное учреждение", "очная",
          "2 года 10 месяцев", "17910", "«03» ноября 2014 г.", "230115 Программирование в компьютерных системах",
          "Техник-программист", "№212 от 11.03.2014 г.", "Лаптева Н.В.", "Пестова И.Ю."},
         {"Шилову"}},
        {"Титул диплома ПК", core::RetrainingDiplomaTitle, core::RetrainingDocuments, "Крылова", 1,
         {"Крыловой", "Марине Викторовне", "43 0008905", "«02» января 2014 г.", "«28» февраля 2014 г.",
          "Кировском областном государственном", "230115 Программирование в компьютерных системах",
          "Техник-программист", "«17» декабря 2013 г.", "Светлоярск", "Ладыгин А.М.", "Пестова И.Ю.",
          "Лаптева Н.В.", "«27» июня 2014 г."},
         {"Крылова", "Марина"}},
        {"Приложение к диплому ПК", core::RetrainingDiplomaSupplement, core::RetrainingDocuments, "Крылова", 1,
         {"Крыловой Марине Викторовне", "43 0008905", "«02» января 2014 г.", "«28» февраля 2014 г.",
          "Кировском областном государственном", "230115 Программирование в компьютерных системах", "500 часов",
          "«17» декабря 2013 г.", "Лаптева Н.В.", "Пестова И.Ю."},
         {"Крылова", "Марина"}},
        {"Удостоверение", core::CompletionCertificate, core::RetrainingDocuments, "Крылова", 1,
         {"Крыловой", "Марине Викторовне", "43 0008905", "«02» января 2014 г.", "«28» февраля 2014 г.",
          "Кировском областном государственном", "230115 Программирование в компьютерных системах", "500 часов",
          "«17» декабря 2013 г.", "Светлоярск", "Кировское областное государственное", "Лаптева Н.В.",
          "Пестова И.Ю."},
         {"Крылова", "Марина"}},
        // The certificate through "Прочее": the certificate's own date.
        {"Прочее", core::OtherDocument, core::Documents, "Веснина", 1,
         {"Весниной", "Ольге Андреевне", "1123457819123", "Кировском областном государственном", "«28» июня 2014 г."},
         {"Веснина", "Ольга", "«03» ноября 2014 г."}},
    };
    return list;
}

// The person's stored grade lines for the document kind, one piece per
// line as the document's text shows a table row: discipline, hours, grade.
QString storedGradeLines(long person, int docKind)
{
    static const QRegularExpression breakHyphen(QStringLiteral("(?<=\\p{L})-(?=\\p{Ll})"));
    QStringList out;
    auto rs = core::db().openRecordset(
        QStringLiteral("SELECT SPPRED.NAIM AS PNAIM, EXAM.CH AS CH, SPBALL.NAIM AS BNAIM "
                       "FROM (EXAM LEFT JOIN SPPRED ON EXAM.IDD = SPPRED.IDD) LEFT JOIN SPBALL ON EXAM.IDB = SPBALL.IDB "
                       "WHERE EXAM.ID = ? AND EXAM.VidDokum = ? ORDER BY EXAM.SORT, EXAM.IDE"),
        jet::dbOpenSnapshot, {qlonglong(person), core::vidDokumOf(docKind)});
    for (; !rs->isEOF(); rs->moveNext())
        // A wording's break hyphen ("удовлетво-рительно") prints as a soft one.
        out << rs->text(QStringLiteral("PNAIM")).trimmed() << rs->text(QStringLiteral("CH"))
            << rs->text(QStringLiteral("BNAIM")).replace(breakHyphen, QStringLiteral("\u00AD"));
    rs->close();
    return out.join(QLatin1Char('\n'));
}

// Marks a blank's slot would show without its value: empty guillemets, a
// "№" with no number after it, a "г." with no year before it.
QStringList strayMarks(const QString& text)
{
    static const QRegularExpression marks(QStringLiteral("«\\s*»|№\\s*(,|$)|(^|[^0-9\\s])[ \\t]*г\\.(\\s|$)"),
                                          QRegularExpression::MultilineOption);
    QStringList out;
    for (auto it = marks.globalMatch(text); it.hasNext();)
        out << it.next().captured(0);
    return out;
}

class SampleDocumentsTest : public printtest::SampleDatabaseTest {
protected:
    // Prints a kind for a person from the template the dialog proposes (or
    // the one named) and reads it back; the questions about a missing
    // number or grades are answered Yes.
    printtest::PrintedDocument print(const Kind& kind, QString* templateName = nullptr)
    {
        const QString extension = GetParam() ? QStringLiteral(".ott") : QStringLiteral(".dot");
        const QString name = kind.templateBase ? QString::fromUtf8(kind.templateBase) + extension
                                               : printing::TemplateNameForKind(kind.blankKind - 1);
        EXPECT_TRUE(name.endsWith(extension)) << name.toStdString();
        printtest::provideTemplates(home.file(QStringLiteral("Шаблоны ЭЖ")), {QFileInfo(name).completeBaseName()},
                                    extension);
        if (templateName)
            *templateName = name;
        testsupport::MessageRecorder messages;
        messages.answer(ui::Yes);
        messages.answer(ui::Yes);
        const printing::PrintOutcome outcome = printing::PrintVkladish(
            {personId(kind.person), kind.blankKind, name, false, kind.docKind, QString::fromUtf8(kind.caption)});
        EXPECT_TRUE(outcome.saved) << messages.texts().join(QLatin1Char('\n')).toStdString();
        for (const QString& text : messages.texts())
            EXPECT_TRUE(text.startsWith(QStringLiteral("Документ будет напечатан без "))
                        || text.contains(QStringLiteral(": нет итоговых оценок для документа «")))
                << text.toStdString();
        if (!outcome.saved)
            return {};
        printtest::PrintedDocument printed = printtest::readBack(outcome.documentPath);
        printed.text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        EXPECT_TRUE(printtest::closeOfficeDocument(outcome.documentPath));
        return printed;
    }
};

} // namespace

TEST_P(SampleDocumentsTest, EveryKindReadsAsTheFilledBlank)
{
    for (const Kind& kind : kinds()) {
        SCOPED_TRACE(std::string(kind.caption) + " / " + kind.person);
        const long person = personId(kind.person);
        ASSERT_GT(person, 0);
        QString templateName;
        const printtest::PrintedDocument printed = print(kind, &templateName);
        const QString& text = printed.text;
        EXPECT_EQ(printtest::bracketedTexts(text), QStringList{});
        EXPECT_EQ(printed.pictures, QStringList{});
        EXPECT_EQ(printed.pages, kind.pages);
        EXPECT_EQ(strayMarks(text), QStringList{});
        EXPECT_FALSE(text.contains(QStringLiteral("ДУБЛИКАТ")));  // no sample person has a duplicate
        for (const char* expected : kind.present)
            EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
        for (const char* unexpected : kind.absent)
            EXPECT_FALSE(text.contains(QString::fromUtf8(unexpected))) << unexpected;

        // Every value the database holds for a placeholder of the template
        // stands in the document.
        const printing::DocumentData data = printing::LoadDocumentData(person, kind.blankKind, kind.docKind);
        office::TemplateDocument source = office::TemplateDocument::openReadOnly(
            QDir(home.file(QStringLiteral("Шаблоны ЭЖ"))).filePath(templateName));
        const QStringList placeholders = source.placeholders();
        source.close();
        for (const QString& token : placeholders) {
            const printing::Placeholder* p = printing::FindPlaceholder(token);
            ASSERT_NE(p, nullptr) << token.toStdString();
            if (p->source == printing::PlaceholderSource::GradeLine)
                continue;
            const QString value = printing::PlaceholderValue(*p, data).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            EXPECT_TRUE(text.contains(value)) << token.toStdString() << " = " << value.toStdString();
        }

        // Every stored grade line, in order, with its hours and grade.
        const QString lines = storedGradeLines(person, kind.docKind);
        if (placeholders.contains(QString::fromUtf8(printing::kGradeRowMarker))) {
            EXPECT_FALSE(lines.isEmpty());
            EXPECT_TRUE(text.contains(lines)) << text.toStdString();
        }
    }
    // The certificate reads the same whichever option printed it.
    const Kind throughCertificate = kinds().front();
    ASSERT_EQ(throughCertificate.blankKind, core::SpecialistCertificate);
    Kind throughOther = throughCertificate;
    throughOther.blankKind = core::OtherDocument;
    throughOther.caption = "Прочее";
    EXPECT_EQ(print(throughOther).text.toStdString(), print(throughCertificate).text.toStdString());
}

TEST_P(SampleDocumentsTest, DuplicateSaysSoAndALiquidatedInstitutionsIsSignedByTheAuthority)
{
    const QString authority = QStringLiteral("Министр образования Кировской области");
    const QString head = QStringLiteral("Лаптева Н.В.");
    const QString headPosition = QStringLiteral("Руководитель образовательной организации");
    core::db().execute(QStringLiteral("UPDATE SPSTUD SET DUBL = -1 WHERE FAM IN ('Шилов', 'Крылова')"));
    core::db().execute(QStringLiteral("UPDATE SPSTUD SET DUBLMED = -1 WHERE FAM = 'Веснина'"));
    core::db().execute(QStringLiteral("UPDATE INF SET DRUO = ?"), {authority});
    struct Case {
        Kind kind;
        const char* setUp;  // SQL run first
        bool duplicate;
        bool signedByAuthority;  // in place of the head and the head's name
    };
    const Case cases[] = {
        {{"Вкладыш в диплом", core::DiplomaTitle, core::Documents, "Шилов", 1, {}, {}}, "", true, true},
        {{"Приложение к диплому", core::DiplomaSupplement, core::Documents, "Шилов", 2, {}, {}}, "", true, true},
        {{"Академическая справка", core::AcademicTranscript, core::Documents, "Шилов", 2, {}, {}}, "", true, true},
        {{"Кальвета", core::SpecialistCertificate, core::SpecialistCertificates, "Веснина", 1, {}, {}}, "", true,
         false},
        // The retraining documents of a duplicate say so; the head signs them.
        {{"Титул диплома ПК", core::RetrainingDiplomaTitle, core::RetrainingDocuments, "Крылова", 1, {}, {}}, "",
         true, false},
        {{"Приложение к диплому ПК", core::RetrainingDiplomaSupplement, core::RetrainingDocuments, "Крылова", 1, {},
          {}},
         "", true, false},
        {{"Удостоверение", core::CompletionCertificate, core::RetrainingDocuments, "Крылова", 1, {}, {}}, "", true,
         false},
        // Not a duplicate: neither the word nor the authority.
        {{"Вкладыш в диплом", core::DiplomaTitle, core::Documents, "Сухарева", 1, {}, {}}, "", false, false},
        // A duplicate of an institution that still works: its head signs.
        {{"Приложение к диплому", core::DiplomaSupplement, core::Documents, "Шилов", 2, {}, {}},
         "UPDATE INF SET DRUO = NULL", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.kind.caption) + " / " + c.kind.person + " " + c.setUp);
        if (*c.setUp)
            core::db().execute(QString::fromUtf8(c.setUp));
        const printtest::PrintedDocument printed = print(c.kind);
        const QString& text = printed.text;
        EXPECT_EQ(text.contains(QStringLiteral("ДУБЛИКАТ")), c.duplicate);
        EXPECT_EQ(text.contains(authority), c.signedByAuthority);
        if (c.kind.blankKind != core::SpecialistCertificate) {
            EXPECT_EQ(text.contains(head), !c.signedByAuthority);
        }
        // The signature line of the supplement and the transcript names the
        // authority's position in the head's place.
        if (c.kind.pages == 2 && c.kind.blankKind != core::RetrainingDiplomaSupplement) {
            EXPECT_EQ(text.contains(headPosition), !c.signedByAuthority) << text.toStdString();
        }
        EXPECT_EQ(printed.pages, c.kind.pages);
    }
}

TEST_P(SampleDocumentsTest, MissingValuesLeaveTheirSlotsEmpty)
{
    // Шилов without a birth date, an earlier document's number and year, an
    // issue date of his own or his group's, the commission's decision, with
    // the years of admission and completion stored as 0 (as the sample
    // stores them for Крылова and Тихонова), and a group of no training
    // level and no form of study; an institution without its head's name.
    core::db().execute(QStringLiteral("UPDATE SPSTUD SET D_R = NULL, DocN = NULL, DocYr = NULL, Dat = NULL, "
                                      "PROTCH = NULL, PosYr = 0, ZavYr = 0, PRIL = '0' WHERE FAM = 'Шилов'"));
    core::db().execute(QStringLiteral("UPDATE SPGRUP SET Dat = NULL, DatGAK = NULL, PRGAK = NULL, IDX = NULL, "
                                      "IDF = NULL WHERE IDG = (SELECT IDG FROM SPSTUD WHERE FAM = 'Шилов')"));
    core::db().execute(QStringLiteral("UPDATE INF SET FIORUK = NULL, isIO = -1"));
    const Kind cases[] = {
        {"Вкладыш в диплом", core::DiplomaTitle, core::Documents, "Шилов", 1, {}, {}},
        {"Приложение к диплому", core::DiplomaSupplement, core::Documents, "Шилов", 2, {}, {}},
        {"Академическая справка", core::AcademicTranscript, core::Documents, "Шилов", 2, {}, {}},
        {"Академическая справка", core::AcademicTranscript, core::Documents, "Тихонова", 2, {}, {}},
    };
    // Words that only frame a value, and a zero standing for none.
    static const QRegularExpression stray(QStringLiteral("(^|\\s)(подготовки|обучения|0|и\\.о\\.)(\\s|$)"));
    for (const Kind& kind : cases) {
        SCOPED_TRACE(std::string(kind.caption) + " / " + kind.person);
        const printtest::PrintedDocument printed = print(kind);
        EXPECT_EQ(strayMarks(printed.text), QStringList{}) << printed.text.toStdString();
        EXPECT_EQ(printtest::bracketedTexts(printed.text), QStringList{});
        EXPECT_FALSE(printed.text.contains(stray)) << printed.text.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(BothOffices, SampleDocumentsTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Writer" : "Word"; });
