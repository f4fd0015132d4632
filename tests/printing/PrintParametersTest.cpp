// "Параметры печати": options per mode, fallbacks, the template box and its
// test, the laser fallback, the notice about the scanned blank and the
// remembered choices.
#include "core/AppState.h"
#include "core/ChildWindows.h"
#include "core/DataAccess.h"
#include "newdb/NewDatabase.h"
#include "platform/settings/Settings.h"
#include "printing/TemplateNames.h"
#include "printing/frmSelect.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

using printing::frmSelect;

namespace {

constexpr const char* kNoticeStart = "Установлен флажок (галочка) \"Сохранить подложку в документе\"";

class PrintParametersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        core::resetState();
        testsupport::clearSettings();
        core::AppState& s = core::state();
        printing::UseDefaultTemplateNames();
        s.AppPath = home.path();
        s.CurrentRowId = 42;
        {
            testsupport::MessageRecorder quiet;
            ASSERT_TRUE(newdb::CreateNewDatabase(home.file(QStringLiteral("kalveta.db")), true));
        }
        QDir().mkpath(templates());
        addTemplates({"Кальвета КТ.dot", "Приложение к диплому.dot", "Академическая справка.dot",
                      "Титул диплома ПК КТ.dot", "Удостоверение КТ.dot", "Кальвета КТ.ott"});
    }
    void TearDown() override
    {
        dialog.reset();
        core::CloseDatabase();
    }

    QString templates() const { return home.file(QStringLiteral("Шаблоны ЭЖ")); }
    void addTemplates(std::initializer_list<const char*> names)
    {
        for (const char* name : names) {
            QFile f(QDir(templates()).filePath(QString::fromUtf8(name)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
    }
    static void setSetting(const char* key, const char* value)
    {
        settings::saveSetting(QStringLiteral("User"), QString::fromLatin1(key), QString::fromUtf8(value));
    }
    static QString setting(const char* key)
    {
        return settings::getSetting(QStringLiteral("User"), QString::fromLatin1(key), QStringLiteral("<нет>"));
    }
    static void setLaserPrinter(bool laser)
    {
        core::db().execute(QStringLiteral("UPDATE INF SET TopPronter = ?"), {laser ? 1 : 0});
    }

    // Opens the dialog (loading and activation) for a mode and a preselected code.
    frmSelect& open(int mode, int preselected = 0)
    {
        core::state().CurrentDocKind = mode;
        core::state().PreselectedBlankKind = preselected;
        dialog = std::make_unique<frmSelect>();
        dialog->fillStep = [this](const printing::PrintRequest& r) { handedOver = r; };
        dialog->show();
        return *dialog;
    }
    QStringList shownCaptions() const
    {
        QStringList out;
        for (int i : dialog->shownOptions()) {
            EXPECT_TRUE(dialog->option(i)->isVisible()) << i;
            out << dialog->option(i)->text();
        }
        return out;
    }

    testsupport::TempFolder home;
    std::unique_ptr<frmSelect> dialog;
    std::optional<printing::PrintRequest> handedOver;
};

} // namespace

TEST_F(PrintParametersTest, EachModeShowsItsOptions)
{
    struct Case {
        int mode;
        QStringList captions;  // top to bottom
        int chosen;            // with nothing remembered and nothing preselected
    };
    const QStringList full{QStringLiteral("Вкладыш в диплом"), QStringLiteral("Приложение к диплому"),
                           QStringLiteral("Академическая справка"), QStringLiteral("Кальвета"),
                           QStringLiteral("Титул диплома ПК"), QStringLiteral("Приложение к диплому ПК"),
                           QStringLiteral("Удостоверение"), QStringLiteral("Прочее")};
    const Case cases[] = {
        {core::SpecialistCertificates, {QStringLiteral("Кальвета"), QStringLiteral("Другой документ")}, 4},
        {core::RetrainingDocuments,
         {QStringLiteral("Титул диплома ПК"), QStringLiteral("Приложение к диплому ПК"), QStringLiteral("Удостоверение"),
          QStringLiteral("Другой документ")},
         5},
        {core::Documents, full, 5},
        {core::AcademicTranscripts, full, 5},
        {core::StudentsWindow, full, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        testsupport::MessageRecorder messages;
        frmSelect& d = open(c.mode);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Параметры печати"));
        EXPECT_EQ(shownCaptions(), c.captions);
        EXPECT_EQ(d.chosenOption(), c.chosen);
        EXPECT_TRUE(d.option(c.chosen)->isChecked());
        for (int hidden = 8; hidden < printing::kPrintOptionCount; ++hidden)
            EXPECT_FALSE(d.option(hidden)->isVisible());
        EXPECT_EQ(messages.count(), 0);
    }
}

TEST_F(PrintParametersTest, PreselectionRememberedOptionAndFallbacks)
{
    struct Case {
        int mode;
        const char* remembered;  // bVidTmp, nullptr when not set
        int preselected;
        int chosen;
    };
    const Case cases[] = {
        {core::SpecialistCertificates, nullptr, core::SpecialistCertificate, 4},
        {core::Documents, "1", core::SpecialistCertificate, 4},  // the preselection wins
        {core::RetrainingDocuments, nullptr, core::SpecialistCertificate, 5},
        {core::RetrainingDocuments, "4", 0, 5},                  // remembered but hidden here
        {core::RetrainingDocuments, nullptr, core::CompletionCertificate, 7},
        {core::SpecialistCertificates, "2", 0, 4},
        {core::Documents, "2", 0, 2},
        {core::Documents, "0", core::TrainingCertificateTitle, 1},  // hidden option: mode 0 falls back to 1
        {core::TrainingCertificates, "0", core::TrainingCertificateSupplement, 8},  // mode 3 takes hidden 8
        {core::AcademicTranscripts, "0", core::SchoolCertificateTitle, 2},
        {core::StudentsWindow, "0", core::SchoolCertificateTitle, 11},  // nothing tested
        {core::Documents, "abc", 0, 0},                          // a value that is no number reads as 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " preselected " << c.preselected);
        testsupport::clearSettings();
        if (c.remembered)
            setSetting("bVidTmp", c.remembered);
        testsupport::MessageRecorder messages;
        frmSelect& d = open(c.mode, c.preselected);
        EXPECT_EQ(d.chosenOption(), c.chosen);
        EXPECT_TRUE(d.option(c.chosen)->isChecked());
        // The box shows the option's template and follows it, except for the
        // other document.
        EXPECT_EQ(d.templateBox()->currentText(), printing::TemplateNameForKind(c.chosen));
        EXPECT_EQ(d.templateBox()->isEnabled(), c.chosen == 3);
        EXPECT_EQ(d.browseButton()->isEnabled(), c.chosen == 3);
        EXPECT_EQ(core::state().PreselectedBlankKind, c.preselected);  // left as the opener set it
    }
}

TEST_F(PrintParametersTest, TemplateListAndTheTestOfTheChosenTemplate)
{
    addTemplates({"~Кальвета КТ.dot", "Черновик.doc"});
    testsupport::MessageRecorder messages;
    frmSelect& d = open(core::Documents, core::SpecialistCertificate);
    QStringList listed;
    for (int i = 0; i < d.templateBox()->count(); ++i)
        listed << d.templateBox()->itemText(i);
    EXPECT_EQ(listed, (QStringList{QStringLiteral("Академическая справка.dot"), QStringLiteral("Кальвета КТ.dot"),
                                   QStringLiteral("Приложение к диплому.dot"), QStringLiteral("Титул диплома ПК КТ.dot"),
                                   QStringLiteral("Удостоверение КТ.dot")}));
    EXPECT_EQ(d.templateBox()->currentText(), QStringLiteral("Кальвета КТ.dot"));
    EXPECT_EQ(d.templateLabel()->text(), QString());
    EXPECT_EQ(ui::statusText(), QStringLiteral("Готово."));

    // Each option chosen is tested: the diploma title has no template here.
    d.option(0)->click();
    EXPECT_EQ(d.templateBox()->currentText(), QStringLiteral("Титул диплома.dot"));
    EXPECT_EQ(d.templateLabel()->text(), QStringLiteral("Файл шаблона не найден."));
    EXPECT_EQ(ui::statusText(), QStringLiteral("Нет такого файла."));

    // The other document takes any file: one of the other office is refused.
    d.option(3)->click();
    ASSERT_TRUE(d.templateBox()->isEnabled());
    d.templateBox()->setEditText(QDir(templates()).filePath(QStringLiteral("Кальвета КТ.ott")));
    emit d.templateBox()->lineEdit()->editingFinished();
    EXPECT_EQ(d.templateLabel()->text(), QStringLiteral("Выберите файл с расширением *.dot"));
    EXPECT_EQ(ui::statusText(), QStringLiteral("Файл не является шаблоном, либо не соответствует формату."));
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(PrintParametersTest, LaserPrinterFallsBackToTheInkJetTemplate)
{
    setLaserPrinter(true);
    struct Case {
        const char* extra;  // a further file in the folder, or nullptr
        const char* box;
        int messages;
        const char* label;
    };
    const Case cases[] = {
        {nullptr, "Кальвета КТ.dot", 1, ""},  // only the ink-jet template: taken, with the message
        {"Кальвета КТ Лазерный.dot", "Кальвета КТ Лазерный.dot", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        if (c.extra)
            addTemplates({c.extra});
        setSetting("sPathTmp", "Кальвета КТ.dot");
        testsupport::MessageRecorder messages;
        frmSelect& d = open(core::SpecialistCertificates);
        EXPECT_EQ(d.templateBox()->currentText(), QString::fromUtf8(c.box));
        ASSERT_EQ(messages.count(), c.messages);
        if (c.messages) {
            EXPECT_EQ(messages.texts()[0], QStringLiteral("В папке \"Шаблоны\" не найден шаблон для лазерного "
                                                          "принтера. Будет выбран шаблон для струйного принтера."));
        }
        EXPECT_EQ(d.templateLabel()->text(), QString::fromUtf8(c.label));
    }
    // Neither template: the laser name stays and the test says so, silently.
    QFile::remove(QDir(templates()).filePath(QStringLiteral("Кальвета КТ.dot")));
    QFile::remove(QDir(templates()).filePath(QStringLiteral("Кальвета КТ Лазерный.dot")));
    testsupport::MessageRecorder messages;
    frmSelect& d = open(core::SpecialistCertificates);
    EXPECT_EQ(d.templateBox()->currentText(), QStringLiteral("Кальвета КТ Лазерный.dot"));
    EXPECT_EQ(d.templateLabel()->text(), QStringLiteral("Файл шаблона не найден."));
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(PrintParametersTest, OkRemembersTheChoiceAndHandsItToTheFillStep)
{
    struct Case {
        int mode;
        int preselected;
        int click;  // option clicked by the user, -1 for none
        bool keep;
        const char* vid;
        const char* caption;
        const char* templateName;
    };
    const Case cases[] = {
        {core::RetrainingDocuments, 0, 7, false, "5", "Удостоверение", "Удостоверение КТ.dot"},
        {core::Documents, core::AcademicTranscript, -1, false, "2", "Академическая справка",
         "Академическая справка.dot"},
        {core::SpecialistCertificates, 0, 3, true, "3", "Другой документ", "Кальвета КТ.dot"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        testsupport::MessageRecorder messages;
        handedOver.reset();
        frmSelect& d = open(c.mode, c.preselected);
        if (c.click >= 0)
            d.option(c.click)->click();
        if (c.keep)
            d.backgroundCheck()->click();
        d.okButton()->click();
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(setting("bVidTmp"), QString::fromUtf8(c.vid));
        EXPECT_EQ(setting("sPathTmp"), QString::fromUtf8(c.templateName));
        EXPECT_EQ(setting("bSavePict"), c.keep ? QStringLiteral("1") : QStringLiteral("0"));
        ASSERT_TRUE(handedOver.has_value());
        EXPECT_EQ(handedOver->id, 42);
        EXPECT_EQ(handedOver->blankKind, d.chosenOption() + 1);
        EXPECT_EQ(handedOver->templateName, QString::fromUtf8(c.templateName));
        EXPECT_EQ(handedOver->keepBackground, c.keep);
        EXPECT_EQ(handedOver->docKind, c.mode);
        EXPECT_EQ(handedOver->optionCaption, QString::fromUtf8(c.caption));
    }
}

TEST_F(PrintParametersTest, TheGradeLinesHandedOverAreThoseOfTheDocumentPrinted)
{
    struct Case {
        const char* name;
        int mode;         // the window printed from
        int preselected;  // the print code
        const char* otherTemplate;  // typed into the box of "Прочее"; nullptr: the one proposed
        int docKind;
    };
    const Case cases[] = {
        {"the diploma supplement through the other document of the retraining grades", core::RetrainingDocuments,
         core::OtherDocument, "Приложение к диплому.dot", core::Documents},
        {"a template of no document through the other document", core::RetrainingDocuments, core::OtherDocument,
         "Свой бланк.dot", core::RetrainingDocuments},
        {"the удостоверение of the retraining grades", core::RetrainingDocuments, core::CompletionCertificate, nullptr,
         core::RetrainingDocuments},
        {"the diploma supplement from the students", core::StudentsWindow, core::DiplomaSupplement, nullptr,
         core::Documents},
        {"the retraining supplement from the students", core::StudentsWindow, core::RetrainingDiplomaSupplement,
         nullptr, core::RetrainingDocuments},
        {"the transcript from the transcripts' grades", core::AcademicTranscripts, core::AcademicTranscript, nullptr,
         core::AcademicTranscripts},
        {"the transcript from the documents' grades", core::Documents, core::AcademicTranscript, nullptr,
         core::Documents},
    };
    addTemplates({"Свой бланк.dot"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::MessageRecorder messages;
        handedOver.reset();
        frmSelect& d = open(c.mode, c.preselected);
        if (c.otherTemplate)
            d.templateBox()->setEditText(QString::fromUtf8(c.otherTemplate));
        d.okButton()->click();
        ASSERT_TRUE(handedOver.has_value());
        EXPECT_EQ(handedOver->blankKind, c.preselected);
        EXPECT_EQ(handedOver->docKind, c.docKind);
    }
}

TEST_F(PrintParametersTest, EmptyTemplateBoxWarnsAndKeepsTheRememberedChoice)
{
    setSetting("sPathTmp", "Кальвета КТ.dot");
    setSetting("bVidTmp", "4");
    testsupport::MessageRecorder messages;
    frmSelect& d = open(core::Documents, core::OtherDocument);
    d.templateBox()->setEditText(QString());
    d.okButton()->click();
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Выберите шаблон для печати.")});
    EXPECT_EQ(messages.messages()[0].icon(), ui::Exclamation);
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(handedOver.has_value());
    EXPECT_EQ(setting("sPathTmp"), QStringLiteral("Кальвета КТ.dot"));
    EXPECT_EQ(setting("bVidTmp"), QStringLiteral("4"));
}

TEST_F(PrintParametersTest, NoticeAboutTheScannedBlank)
{
    {
        // Ticked from the settings: no notice while loading.
        setSetting("bSavePict", "1");
        testsupport::MessageRecorder messages;
        frmSelect& d = open(core::SpecialistCertificates);
        EXPECT_TRUE(d.backgroundCheck()->isChecked());
        EXPECT_EQ(messages.count(), 0);
    }
    testsupport::clearSettings();
    core::state().BackgroundNoticeShown = false;
    testsupport::MessageRecorder messages;
    frmSelect& d = open(core::SpecialistCertificates);
    EXPECT_FALSE(d.backgroundCheck()->isChecked());
    d.backgroundCheck()->click();  // ticked: the notice
    d.backgroundCheck()->click();  // cleared: nothing
    d.backgroundCheck()->click();  // ticked again: the notice again
    EXPECT_EQ(messages.count(), 2);
    d.okButton()->click();         // OK with the box ticked: once more
    ASSERT_EQ(messages.count(), 3);
    for (const QString& text : messages.texts())
        EXPECT_TRUE(text.startsWith(QString::fromUtf8(kNoticeStart)));
    EXPECT_EQ(messages.messages()[0].icon(), ui::Information);
}

TEST_F(PrintParametersTest, AdjustAndOpenNeedATemplateFile)
{
    testsupport::MessageRecorder messages;
    QString adjusted;
    core::windowFactories().adjustTemplate = [&](const QString& path) {
        adjusted = path;
        return 0;
    };
    frmSelect& d = open(core::SpecialistCertificates);
    d.adjustButton()->click();
    EXPECT_EQ(adjusted, QDir(templates()).filePath(QStringLiteral("Кальвета КТ.dot")));
    EXPECT_EQ(messages.count(), 0);

    d.option(3)->click();
    d.templateBox()->setEditText(QStringLiteral("Нет такого.dot"));
    adjusted.clear();
    d.adjustButton()->click();
    d.openButton()->click();
    EXPECT_TRUE(adjusted.isEmpty());
    ASSERT_EQ(messages.count(), 2);
    for (const QString& text : messages.texts())
        EXPECT_EQ(text, QStringLiteral("Файл шаблона не найден: ") + QDir(templates()).filePath(QStringLiteral("Нет такого.dot")));
    core::windowFactories().adjustTemplate = nullptr;
}

TEST_F(PrintParametersTest, OtherDocumentTakesAnyTemplateFile)
{
    testsupport::MessageRecorder messages;
    frmSelect& d = open(core::Documents, core::OtherDocument);
    ASSERT_TRUE(d.browseButton()->isEnabled());
    testsupport::TempFolder elsewhere;
    const QString own = elsewhere.file(QStringLiteral("Свой шаблон.dot"));
    {
        QFile f(own);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QString startedIn;
    const auto choose = [&](const QString& file) {
        ui::setDialogHandler([&, file](QDialog* dialog) {
            auto* files = qobject_cast<QFileDialog*>(dialog);
            if (!files)
                return int(QDialog::Rejected);
            startedIn = files->directory().absolutePath();
            files->setDirectory(QFileInfo(file).absolutePath());
            files->selectFile(QFileInfo(file).fileName());
            return int(QDialog::Accepted);
        });
        d.browseButton()->click();
        ui::setDialogHandler(nullptr);
    };
    // A template of the program's folder by its bare name, any other by its path.
    choose(QDir(templates()).filePath(QStringLiteral("Удостоверение КТ.dot")));
    EXPECT_EQ(startedIn, QDir(templates()).absolutePath());
    EXPECT_EQ(d.templateBox()->currentText(), QStringLiteral("Удостоверение КТ.dot"));
    choose(own);
    EXPECT_EQ(d.templateBox()->currentText(), own);
    EXPECT_EQ(d.templateLabel()->text(), QString());
    d.okButton()->click();
    ASSERT_TRUE(handedOver.has_value());
    EXPECT_EQ(handedOver->templateName, own);
    EXPECT_EQ(handedOver->blankKind, core::OtherDocument);
    EXPECT_EQ(handedOver->optionCaption, QStringLiteral("Прочее"));
    EXPECT_EQ(messages.count(), 0);
}
