// Every kind of document the print-parameters dialog offers, printed for the
// sample persons of a new database from the shipped template the dialog
// proposes, on both office paths, and read back as the graduate receives
// it: the name in the case the form uses, every stored field in its slot,
// every grade line with its hours and grade, no placeholder left, and the
// pages of the blank.
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
        {"Вкладыш в диплом", core::DiplomaTitle, core::Documents, "Сухарева", 1,
         {"Сухарева", "Дарья Игоревна", "43 СПА 0008903", "17819", "120701 Землеустройство",
          "Техник-землеустроитель", "«03» января 2014 г.", "№110", "Громов В.П.", "с отличием"},
         {"Сухаревой"}},
        {"Приложение к диплому", core::DiplomaSupplement, core::Documents, "Шилов", 2,
         {"Шилов", "Артём", "Сергеевич", "11.07.1992", "аттестат о среднем (полном) общем образовании АВ № 7381345, 2010 год",
          "17910", "«03» ноября 2014 г.", "2 года 10 месяцев", "базовой подготовки по очной форме обучения",
          "Техник-программист",
          "230115 Программирование в компьютерных системах", "Кировское областное государственное"},
         {"Шилову"}},
        {"Академическая справка", core::AcademicTranscript, core::Documents, "Шилов", 2,
         {"Шилов Артём Сергеевич", "11.07.1992", "аттестат о среднем (полном) общем образовании АВ № 7381345, 2010 год",
          "Светлоярский экономический техникум", "Федеральное государственное образовательное учреждение", "очная",
          "2 года 10 месяцев", "17910", "«03» ноября 2014 г.", "230115 Программирование в компьютерных системах",
          "Техник-программист"},
         {"Шилову"}},
        {"Титул диплома ПК", core::RetrainingDiplomaTitle, core::RetrainingDocuments, "Крылова", 1,
         {"Крыловой", "Марине Викторовне", "43 0008905", "«02» января 2014 г.", "«28» февраля 2014 г.",
          "Кировском областном государственном", "230115 Программирование в компьютерных системах",
          "Техник-программист", "«17» декабря 2013 г.", "Светлоярск", "Ладыгин А.М.", "Пестова И.Ю.",
          "Лаптева Н.В."},
         {"Крылова", "Марина"}},
        {"Приложение к диплому ПК", core::RetrainingDiplomaSupplement, core::RetrainingDocuments, "Крылова", 1,
         {"Крыловой Марине Викторовне", "43 0008905", "«02» января 2014 г.", "«28» февраля 2014 г.",
          "Кировском областном государственном", "230115 Программирование в компьютерных системах", "500 часов",
          "«17» декабря 2013 г.", "Лаптева Н.В."},
         {"Крылова", "Марина"}},
        {"Удостоверение", core::CompletionCertificate, core::RetrainingDocuments, "Крылова", 1,
         {"Крыловой", "Марине Викторовне", "43 0008905", "«02» января 2014 г.", "«28» февраля 2014 г.",
          "Кировском областном государственном", "230115 Программирование в компьютерных системах", "500 часов",
          "«17» декабря 2013 г.", "Светлоярск", "Кировское областное государственное"},
         {"Крылова", "Марина"}},
        {"Прочее", core::OtherDocument, core::Documents, "Веснина", 1,
         {"Весниной", "Ольге Андреевне", "1123457819123", "Кировском областном государственном", "«03» ноября 2014 г."},
         {"Веснина", "Ольга"}},
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

class SampleDocumentsTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        core::resetState();
        core::state().AppPath = home.path();
        core::state().OfficeIsOOo = GetParam();
        const char* names[] = {"Титул диплома", "Титул диплома с отличием", "Приложение к диплому",
                               "Академическая справка", "Кальвета"};
        for (int i = 0; i < 5; ++i)
            core::state().DefaultTemplateNames[i + 1] = QString::fromUtf8(names[i]);
        testsupport::MessageRecorder quiet;
        ASSERT_TRUE(newdb::CreateNewDatabase(home.file(QStringLiteral("kalveta.db")), false));
    }
    void TearDown() override { core::CloseDatabase(); }

    testsupport::TempFolder home;
};

} // namespace

TEST_P(SampleDocumentsTest, EveryKindReadsAsTheFilledBlank)
{
    const QString extension = GetParam() ? QStringLiteral(".ott") : QStringLiteral(".dot");
    for (const Kind& kind : kinds()) {
        SCOPED_TRACE(std::string(kind.caption) + " / " + kind.person);
        const long person = long(jet::toLong(core::db().scalar(QStringLiteral("SELECT ID FROM SPSTUD WHERE FAM = ?"),
                                                               {QString::fromUtf8(kind.person)})));
        ASSERT_GT(person, 0);
        // The template the dialog proposes for the printing house in use.
        const QString templateName = printing::TemplateNameForKind(kind.blankKind - 1);
        ASSERT_TRUE(templateName.endsWith(extension)) << templateName.toStdString();
        printtest::provideTemplates(home.file(QStringLiteral("Шаблоны ЭЖ")), {QFileInfo(templateName).completeBaseName()},
                                    extension);

        testsupport::MessageRecorder messages;
        messages.answer(ui::Yes);  // a blank printed without its registration number
        const printing::PrintOutcome outcome = printing::PrintVkladish(
            {person, kind.blankKind, templateName, false, kind.docKind, QString::fromUtf8(kind.caption)});
        ASSERT_TRUE(outcome.saved) << messages.texts().join(QLatin1Char('\n')).toStdString();
        for (const QString& text : messages.texts())
            EXPECT_TRUE(text.startsWith(QStringLiteral("Документ будет напечатан без регистрационного номера")))
                << text.toStdString();

        const printtest::PrintedDocument printed = printtest::readBack(outcome.documentPath);
        const QString text = QString(printed.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        EXPECT_EQ(printtest::bracketedTexts(text), QStringList{});
        EXPECT_EQ(printed.pictures, QStringList{});
        EXPECT_EQ(printed.pages, kind.pages);
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
        EXPECT_TRUE(printtest::closeOfficeDocument(outcome.documentPath));
    }
}

INSTANTIATE_TEST_SUITE_P(BothOffices, SampleDocumentsTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Writer" : "Word"; });
