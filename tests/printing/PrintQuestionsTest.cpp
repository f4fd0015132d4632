// The questions before a document is printed, asked before the office
// starts: "Нет" leaves no office started and nothing stored; and the grade
// lines a document takes, whichever window prints it.
#include "DocumentPrintFixtures.h"

#include "core/AppState.h"
#include "core/DataAccess.h"
#include "platform/office/Office.h"
#include "platform/ui/Messages.h"
#include "printing/DocumentFill.h"
#include "printing/Placeholders.h"
#include "printing/TemplateNames.h"
#include "printing/frmSelect.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <optional>

namespace {

class PrintQuestionsTest : public printtest::SampleDatabaseTest {
protected:
    QString extension() const { return GetParam() ? QStringLiteral(".ott") : QStringLiteral(".dot"); }
    QString templates() const { return home.file(QStringLiteral("Шаблоны ЭЖ")); }
    QString documents() const { return home.file(QStringLiteral("Документы")); }
};

} // namespace

TEST_P(PrintQuestionsTest, NoLeavesNoOfficeStartedAndNothingStored)
{
    struct Case {
        const char* name;
        const char* person;
        int blankKind;
        const char* templateBase;
        int docKind;
        const char* caption;
        const char* setUp;     // SQL run first
        const char* question;  // %1 the template's file name
    };
    const Case cases[] = {
        {"the удостоверение without its number", "Крылова", core::CompletionCertificate, "Удостоверение",
         core::RetrainingDocuments, "Удостоверение", "",
         "Документ будет напечатан без регистрационного номера. Продолжить?"},
        {"the certificate through the other document, a person without one", "Шилов", core::OtherDocument,
         "Кальвета", core::Documents, "Прочее", "",
         "Документ будет напечатан без регистрационного номера и без даты выдачи. Продолжить?"},
        {"a supplement of a person without its grade lines", "Тихонова", core::DiplomaSupplement,
         "Приложение к диплому", core::Documents, "Приложение к диплому",
         "UPDATE SPSTUD SET REGNOM = '17999' WHERE FAM = 'Тихонова'",
         "Тихонова Елена Павловна: нет итоговых оценок для документа «Приложение к диплому» (шаблон «%1»), и "
         "таблица оценок в нем останется пустой. Оценки вносятся в окне «Итоговые оценки документов». Продолжить?"},
    };
    office::Office& office = office::Office::instance();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        printtest::provideTemplates(templates(), {QString::fromUtf8(c.templateBase)}, extension());
        if (*c.setUp)
            core::db().execute(QString::fromUtf8(c.setUp));
        office.shutdown();
        ASSERT_FALSE(office.isRunning());
        const int starts = office.startCount();
        const QString templateName = QString::fromUtf8(c.templateBase) + extension();
        testsupport::MessageRecorder messages;
        messages.answer(ui::No);
        const printing::PrintOutcome outcome = printing::PrintVkladish(
            {personId(c.person), c.blankKind, templateName, false, c.docKind, QString::fromUtf8(c.caption)});
        EXPECT_FALSE(outcome.saved);
        ASSERT_EQ(messages.count(), 1) << messages.texts().join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(messages.texts()[0].toStdString(), QString::fromUtf8(c.question).arg(templateName).toStdString());
        EXPECT_EQ(messages.messages()[0].buttons(), ui::YesNo);
        EXPECT_EQ(messages.messages()[0].defaultButton(), ui::DefaultButton2);
        EXPECT_EQ(ui::statusText(), QStringLiteral("Готово."));
        EXPECT_FALSE(office.isRunning());
        EXPECT_EQ(office.startCount(), starts);
        EXPECT_FALSE(QFileInfo::exists(documents()));
    }
}

TEST_P(PrintQuestionsTest, TheOtherDocumentFromTheRetrainingGradesPrintsTheDiplomaGradesOfItsTemplate)
{
    // Шилов in the retraining grades window: "Другой документ" with the
    // diploma supplement takes his diploma's grade lines, and asks nothing.
    const QString templateName = QStringLiteral("Приложение к диплому") + extension();
    printtest::provideTemplates(templates(), {QStringLiteral("Приложение к диплому")}, extension());
    core::AppState& s = core::state();
    s.CurrentRowId = personId("Шилов");
    s.CurrentDocKind = core::RetrainingDocuments;
    s.PreselectedBlankKind = 0;
    testsupport::MessageRecorder messages;
    std::optional<printing::PrintOutcome> outcome;
    {
        printing::frmSelect dialog;
        dialog.fillStep = [&outcome](const printing::PrintRequest& r) { outcome = printing::PrintVkladish(r); };
        dialog.show();
        dialog.option(3)->click();
        ASSERT_EQ(dialog.option(3)->text(), QStringLiteral("Другой документ"));
        dialog.templateBox()->setEditText(templateName);
        dialog.okButton()->click();
    }
    ASSERT_TRUE(outcome.has_value());
    ASSERT_TRUE(outcome->saved) << messages.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(messages.count(), 0) << messages.texts().join(QLatin1Char('\n')).toStdString();
    const printtest::PrintedDocument printed = printtest::readBack(outcome->documentPath);
    const printing::DocumentData diploma = printing::LoadDocumentData(s.CurrentRowId, core::DiplomaSupplement,
                                                                      core::Documents);
    ASSERT_GT(diploma.grades.size(), 40u);
    qsizetype from = 0;
    for (const printing::GradeLine& line : diploma.grades) {
        const qsizetype at = printed.text.indexOf(line.discipline, from);
        EXPECT_GE(at, 0) << line.discipline.toStdString();
        if (at >= 0)
            from = at;
    }
    EXPECT_TRUE(printtest::closeOfficeDocument(outcome->documentPath));
}

INSTANTIATE_TEST_SUITE_P(BothOffices, PrintQuestionsTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Writer" : "Word"; });
