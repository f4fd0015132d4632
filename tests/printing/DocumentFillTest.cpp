// One person's document made from a shipped template through the office:
// filled, saved in "Документы" in either format, and read back.
#include "DocumentPrintFixtures.h"

#include "core/AppState.h"
#include "core/DataAccess.h"
#include "platform/office/Office.h"
#include "platform/office/TemplateDocument.h"
#include "platform/office/TextDocument.h"
#include "platform/office/UnoSupport.h"
#include "printing/DocumentFill.h"
#include "core/PrintQtValues.h"
#include "support/TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QThread>
#include <QUrl>

#include <com/sun/star/awt/FontWeight.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextCursor.hpp>

#include <gtest/gtest.h>

#include <signal.h>

using printing::PrintRequest;

namespace {

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

struct Printed {
    QString text;
    QStringList pictures;
};

// What a fresh load of a copy of the document shows (the document itself
// stays open in the office for the user).
Printed readBack(const QString& path)
{
    testsupport::TempFolder copyFolder;
    const QString copy = copyFolder.file(QStringLiteral("копия.") + QFileInfo(path).suffix());
    if (!QFile::copy(path, copy))
        return {};
    office::TemplateDocument doc = office::TemplateDocument::openReadOnly(copy);
    Printed out{doc.allText(), doc.pictureNames()};
    doc.close();
    return out;
}

class DocumentFillTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        core::resetState();
        core::state().AppPath = home.path();
        core::state().OfficeIsOOo = GetParam();
        db = home.file(QStringLiteral("kalveta.db"));
        people = printtest::makeDatabase(db);
        ASSERT_GT(people.retrainee, 0);
        extension = GetParam() ? QStringLiteral(".ott") : QStringLiteral(".dot");
        printtest::provideTemplates(templates(),
                                    {QStringLiteral("Кальвета КТ"), QStringLiteral("Приложение к диплому ПК КТ")},
                                    extension);
    }
    void TearDown() override { core::CloseDatabase(); }

    QString templates() const { return home.file(QStringLiteral("Шаблоны ЭЖ")); }
    QString documents() const { return home.file(QStringLiteral("Документы")); }
    QString documentExtension() const { return GetParam() ? QStringLiteral(".odt") : QStringLiteral(".doc"); }

    testsupport::TempFolder home;
    QString db;
    QString extension;
    printtest::SamplePeople people;
};

} // namespace

TEST_P(DocumentFillTest, SpecialistCertificate)
{
    testsupport::MessageRecorder messages;
    const QByteArray before = fileHash(db);
    const PrintRequest request{people.certificateHolder, core::SpecialistCertificate,
                               QStringLiteral("Кальвета КТ") + extension, false, core::SpecialistCertificates,
                               QStringLiteral("Кальвета")};
    const printing::PrintOutcome outcome = printing::PrintVkladish(request);

    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(outcome.saved);
    EXPECT_EQ(outcome.documentPath,
              QDir(documents()).filePath(QStringLiteral("Кальвета Смирнова А.П") + documentExtension()));
    EXPECT_EQ(ui::statusText(), QStringLiteral("Документ сохранен: Кальвета Смирнова А.П") + documentExtension());

    const Printed printed = readBack(outcome.documentPath);
    // The certificate is issued to the holder: her dative name, derived
    // when the card stores none.
    for (const char* expected : {"Смирновой", "Анне Петровне", "0112-24", "1177 0012345", "«05» марта 2024 г.",
                                 "Медицинский колледж № 1", "г. Энск", "«01» марта 2024 г.", "17"})
        EXPECT_TRUE(printed.text.contains(QString::fromUtf8(expected))) << expected;
    EXPECT_EQ(printtest::bracketedTexts(printed.text), QStringList{});
    EXPECT_EQ(printed.pictures, QStringList{});
    EXPECT_EQ(fileHash(db), before);

    // A second print of the same person does not replace the first.
    const printing::PrintOutcome again = printing::PrintVkladish(request);
    EXPECT_EQ(QFileInfo(again.documentPath).fileName(),
              QStringLiteral("Кальвета Смирнова А.П (1)") + documentExtension());
    EXPECT_TRUE(QFileInfo::exists(outcome.documentPath));
    // Both are open in the office for the user.
    EXPECT_TRUE(printtest::closeOfficeDocument(outcome.documentPath));
    EXPECT_TRUE(printtest::closeOfficeDocument(again.documentPath));
}

TEST_P(DocumentFillTest, RetrainingDiplomaSupplementKeepsTheBackgroundWhenAsked)
{
    // A module's total stands on its heading line.
    core::db().execute(QStringLiteral("UPDATE EXAM SET CH = '108', IDB = (SELECT IDB FROM SPBALL WHERE NAIM = 'хорошо') "
                                      "WHERE SORT = 1 AND VidDokum = 1"));
    testsupport::MessageRecorder messages;
    const PrintRequest request{people.retrainee, core::RetrainingDiplomaSupplement,
                               QStringLiteral("Приложение к диплому ПК КТ") + extension, true,
                               core::RetrainingDocuments, QStringLiteral("Приложение к диплому ПК")};
    const printing::PrintOutcome outcome = printing::PrintVkladish(request);
    ASSERT_TRUE(outcome.saved) << messages.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(messages.count(), 0);

    const Printed printed = readBack(outcome.documentPath);
    for (const char* expected : {"Кузнецову Ивану Сергеевичу", "772400 000517", "ПК-305", "«01» сентября 2023 г.",
                                 "«28» февраля 2024 г.", "«02» апреля 2024 г."})
        EXPECT_TRUE(printed.text.contains(QString::fromUtf8(expected))) << expected;
    // The grade lines of retraining documents, in their order, one table row
    // each; the heading with what it holds, in bold; another document's line
    // stays out.
    const QString lines = QStringLiteral("Общепрофессиональные дисциплины\n108\nхорошо\nАнатомия\n72\nотлично\n"
                                         "Фармакология\n36\nхорошо");
    EXPECT_TRUE(printed.text.contains(lines)) << printed.text.toStdString();
    EXPECT_EQ(printtest::boldTableCells(outcome.documentPath),
              (QStringList{QStringLiteral("Общепрофессиональные дисциплины"), QStringLiteral("108"),
                           QStringLiteral("хорошо")}));
    EXPECT_FALSE(printed.text.contains(QStringLiteral("Латинский")));
    EXPECT_EQ(printtest::bracketedTexts(printed.text), QStringList{});
    // The outlines of the front and of the following pages (the office's
    // Word export renames pictures).
    EXPECT_EQ(printed.pictures.size(), 2);
    if (GetParam()) {
        QStringList pictures = printed.pictures;
        pictures.sort();
        EXPECT_EQ(pictures, (QStringList{QStringLiteral("Подложка"), QStringLiteral("Подложка оборота")}));
    }
    EXPECT_TRUE(printtest::closeOfficeDocument(outcome.documentPath));
}

TEST_P(DocumentFillTest, UnknownPlaceholderStaysAndIsNamedOnce)
{
    // A template of the user's own: a frame with a placeholder the program
    // does not know, and a grades row for a person without grade lines.
    const QString source = home.file(QStringLiteral("свой.fodt"));
    {
        QFile in(testsupport::sourceDataFolder() + QStringLiteral("/templates/documents/Академическая справка.fodt"));
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        QByteArray xml = in.readAll();
        xml.replace("[D_R]", "[D_R] [Стаж] [стаж]");
        QFile out(source);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(xml);
    }
    const QString own = home.file(QStringLiteral("Моя справка") + extension);
    {
        office::TemplateDocument doc = office::TemplateDocument::openReadOnly(source);
        doc.storeAs(own);
        doc.close();
    }
    core::db().execute(QStringLiteral("UPDATE SPSTUD SET REGNOM = '112' WHERE ID = ?"), {qlonglong(people.certificateHolder)});
    testsupport::MessageRecorder messages;
    messages.answer(ui::Yes);  // to print the transcript without grades
    const printing::PrintOutcome outcome = printing::PrintVkladish(
        {people.certificateHolder, core::AcademicTranscript, own, false, core::Documents,
         QStringLiteral("Академическая справка")});
    ASSERT_TRUE(outcome.saved);
    EXPECT_EQ(outcome.unknownPlaceholders, (QStringList{QStringLiteral("[Стаж]"), QStringLiteral("[стаж]")}));
    ASSERT_EQ(messages.count(), 2) << messages.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(messages.texts()[0].contains(QStringLiteral("нет итоговых оценок"))) << messages.texts()[0].toStdString();
    EXPECT_TRUE(messages.texts()[1].contains(QStringLiteral("\n[Стаж] — такого поля нет\n[стаж] — такого поля нет\n")))
        << messages.texts()[1].toStdString();
    EXPECT_EQ(messages.messages()[1].icon(), ui::Exclamation);

    const Printed printed = readBack(outcome.documentPath);
    EXPECT_EQ(printtest::bracketedTexts(printed.text), (QStringList{QStringLiteral("[Стаж]"), QStringLiteral("[стаж]")}));
    EXPECT_TRUE(printed.text.contains(QStringLiteral("Смирнова Анна Петровна")));
    EXPECT_TRUE(printtest::closeOfficeDocument(outcome.documentPath));
}

TEST_P(DocumentFillTest, TwentyDocumentsInARowKeepTheOneOffice)
{
    // A secretary prints a group's documents one after another: the office
    // that fills them is never lost (nor started again behind her back).
    testsupport::MessageRecorder messages;
    office::Office& office = office::Office::instance();
    office.ensureRunning();
    const int starts = office.startCount();
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        const bool supplement = i % 2 == 0;
        const PrintRequest request =
            supplement ? PrintRequest{people.retrainee, core::RetrainingDiplomaSupplement,
                                      QStringLiteral("Приложение к диплому ПК КТ") + extension, i % 4 == 0,
                                      core::RetrainingDocuments, QStringLiteral("Приложение к диплому ПК")}
                       : PrintRequest{people.certificateHolder, core::SpecialistCertificate,
                                      QStringLiteral("Кальвета КТ") + extension, false, core::SpecialistCertificates,
                                      QStringLiteral("Кальвета")};
        const printing::PrintOutcome outcome = printing::PrintVkladish(request);
        ASSERT_TRUE(outcome.saved) << messages.texts().join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(printtest::closeOfficeDocument(outcome.documentPath));
    }
    EXPECT_EQ(office.startCount(), starts);
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(QLatin1Char('\n')).toStdString();
}

TEST_P(DocumentFillTest, FailuresAreReportedAndNothingIsSaved)
{
    struct Case {
        const char* name;
        QString templateName;
        bool documentsIsAFile;
        const char* message;
        int icon;
    };
    const Case cases[] = {
        {"no such template", QStringLiteral("Нет такого") + extension, false, "Файл шаблона не найден: ", ui::Exclamation},
        {"empty name", QString(), false, "Файл шаблона не найден: ", ui::Exclamation},
        {"cannot store", QStringLiteral("Кальвета КТ") + extension, true, "Не удалось сохранить документ ", ui::Critical},
        {"random bytes", QStringLiteral("Случайный") + extension, false, "Не удалось открыть шаблон ", ui::Exclamation},
        {"empty file", QStringLiteral("Пустой") + extension, false, "Не удалось открыть шаблон ", ui::Exclamation},
        {"not a template", QStringLiteral("Заметка.txt"), false, "Файл не является шаблоном", ui::Exclamation},
        {"outside the folder", QStringLiteral("../Кальвета КТ") + extension, false, "Шаблон должен находиться в папке",
         ui::Exclamation},
    };
    // Templates that are no documents: random bytes and an empty file.
    {
        QByteArray noise(32 << 10, '\0');
        quint32 seed = 7;
        for (char& ch : noise) {
            seed = seed * 1103515245u + 12345u;
            ch = char(seed >> 16);
        }
        QFile random(QDir(templates()).filePath(QStringLiteral("Случайный") + extension));
        ASSERT_TRUE(random.open(QIODevice::WriteOnly));
        random.write(noise);
        QFile empty(QDir(templates()).filePath(QStringLiteral("Пустой") + extension));
        ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
        // A readable file that is no template, and a template beside the folder.
        QFile note(QDir(templates()).filePath(QStringLiteral("Заметка.txt")));
        ASSERT_TRUE(note.open(QIODevice::WriteOnly));
        note.write("[Фамилия]");
        ASSERT_TRUE(QFile::copy(QDir(templates()).filePath(QStringLiteral("Кальвета КТ") + extension),
                                home.file(QStringLiteral("Кальвета КТ") + extension)));
    }
    office::Office::instance().ensureRunning();
    const long long group = office::Office::instance().processGroup();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(documents()).removeRecursively();
        QFile::remove(documents());
        if (c.documentsIsAFile) {
            QFile f(documents());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        testsupport::MessageRecorder messages;
        const printing::PrintOutcome outcome = printing::PrintVkladish(
            {people.certificateHolder, core::SpecialistCertificate, c.templateName, false,
             core::SpecialistCertificates, QStringLiteral("Кальвета")});
        EXPECT_FALSE(outcome.saved);
        ASSERT_EQ(messages.count(), 1);
        EXPECT_TRUE(messages.texts()[0].startsWith(QString::fromUtf8(c.message))) << messages.texts()[0].toStdString();
        EXPECT_EQ(messages.messages()[0].icon(), c.icon);
        EXPECT_FALSE(QFileInfo(documents()).isDir() && !QDir(documents()).isEmpty());
    }
    // Never the office's end (with the documents the user has open in it).
    EXPECT_EQ(office::Office::instance().processGroup(), group);
    QFile::remove(documents());
}

TEST_P(DocumentFillTest, FullDiskIsToldAndLeavesNothing)
{
    // "Документы" on a disk with little room left, or one that fills up as
    // the office starts storing: the store is refused, or ends as soon as
    // the disk is full (the store's time limit is set past the test's own:
    // it is never what ends the store), the message leads with the full
    // disk, the office stays usable, no partial file is left.
    struct Case {
        long long freeBytes;
        bool fillsAtStore;
    };
    for (const Case c : {Case{0, false}, Case{4 << 10, false}, Case{64 << 10, false}, Case{3 << 20, true}}) {
        SCOPED_TRACE(c.freeBytes);
        printtest::SmallDisk disk(c.freeBytes);
        if (!disk.mounted())
            GTEST_SKIP() << "no right to mount a small disk here";
        core::state().AppPath = disk.path();
        office::Office::instance().setStoreSeconds(3600);
        if (c.fillsAtStore)
            office::Office::instance().setBeforeStore([&](const QString&) { disk.fillUp(); });
        testsupport::MessageRecorder messages;
        const printing::PrintOutcome outcome = printing::PrintVkladish(
            {people.certificateHolder, core::SpecialistCertificate,
             QDir(templates()).filePath(QStringLiteral("Кальвета КТ") + extension), false,
             core::SpecialistCertificates, QStringLiteral("Кальвета")});
        office::Office::instance().setStoreSeconds(60);
        office::Office::instance().setBeforeStore(nullptr);
        EXPECT_FALSE(outcome.saved);
        ASSERT_EQ(messages.count(), 1);
        const QString text = messages.texts()[0];
        const QString folder = disk.path() + QStringLiteral("/Документы");
        EXPECT_TRUE(text.startsWith(QStringLiteral("Недостаточно места на диске (папка %1). Освободите место на диске и "
                                                   "повторите. Не удалось сохранить документ %1/")
                                        .arg(folder)))
            << text.toStdString();
        EXPECT_TRUE(text.endsWith(QStringLiteral(". Ошибка: 75 Документ не может быть сохранен"))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral(".."))) << text.toStdString();
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{});
    }
    // The office fills the next document as before.
    core::state().AppPath = home.path();
    testsupport::MessageRecorder messages;
    const printing::PrintOutcome outcome = printing::PrintVkladish(
        {people.certificateHolder, core::SpecialistCertificate, QStringLiteral("Кальвета КТ") + extension, false,
         core::SpecialistCertificates, QStringLiteral("Кальвета")});
    EXPECT_TRUE(outcome.saved) << messages.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(printtest::closeOfficeDocument(outcome.documentPath));
}

TEST_P(DocumentFillTest, AnOfficeThatDiesAtAnyStepIsToldAndTheNextPrintWorks)
{
    // The office killed (its whole process group) as the template has just
    // loaded, as the fill begins, and as the document is about to be
    // stored. Once: the document is made in a fresh office. Again in the
    // fresh one: the user is told that the office stopped, and nothing is
    // saved. Either way the program goes on and the next print works.
    using Step = office::TemplateDocument::Step;
    struct Case {
        const char* name;
        Step step;
        bool everyAttempt;
    };
    const Case cases[] = {
        {"loaded, once", Step::Loaded, false},   {"loaded, every time", Step::Loaded, true},
        {"filling, once", Step::Filling, false}, {"filling, every time", Step::Filling, true},
        {"storing, once", Step::Storing, false}, {"storing, every time", Step::Storing, true},
    };
    const PrintRequest request{people.retrainee, core::RetrainingDiplomaSupplement,
                               QStringLiteral("Приложение к диплому ПК КТ") + extension, false,
                               core::RetrainingDocuments, QStringLiteral("Приложение к диплому ПК")};
    office::Office& office = office::Office::instance();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(documents()).removeRecursively();
        office.ensureRunning();
        const int starts = office.startCount();
        int kills = 0;
        office::TemplateDocument::setStepHook([&](Step step) {
            if (step != c.step || (kills > 0 && !c.everyAttempt))
                return;
            ++kills;
            ASSERT_GT(office.processGroup(), 0);
            ::kill(-pid_t(office.processGroup()), SIGKILL);
            // Dead, as the program comes to know (its process gone).
            QElapsedTimer waited;
            waited.start();
            while (office.isRunning() && waited.elapsed() < 10000)
                QThread::msleep(10);
        });
        testsupport::MessageRecorder messages;
        const printing::PrintOutcome outcome = printing::PrintVkladish(request);
        office::TemplateDocument::setStepHook({});
        EXPECT_EQ(office.startCount(), starts + 1);
        if (c.everyAttempt) {
            EXPECT_EQ(kills, 2);
            EXPECT_FALSE(outcome.saved);
            ASSERT_EQ(messages.count(), 1);
            EXPECT_TRUE(messages.texts()[0].startsWith(
                QStringLiteral("Офисная программа прекратила работу, документ по шаблону ")))
                << messages.texts()[0].toStdString();
            EXPECT_TRUE(messages.texts()[0].contains(QStringLiteral(" не сохранен. Повторите печать.")));
            EXPECT_EQ(messages.messages()[0].icon(), ui::Critical);
            EXPECT_EQ(QDir(documents()).entryList(QDir::Files | QDir::Hidden), QStringList{});
        } else {
            EXPECT_EQ(kills, 1);
            ASSERT_TRUE(outcome.saved) << messages.texts().join(QLatin1Char('\n')).toStdString();
            EXPECT_EQ(messages.count(), 0) << messages.texts().join(QLatin1Char('\n')).toStdString();
            EXPECT_TRUE(readBack(outcome.documentPath).text.contains(QStringLiteral("Кузнецову Ивану Сергеевичу")));
            EXPECT_TRUE(printtest::closeOfficeDocument(outcome.documentPath));
        }
        // The next print, in the office as it is now.
        const printing::PrintOutcome next = printing::PrintVkladish(request);
        EXPECT_TRUE(next.saved) << messages.texts().join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(messages.count(), c.everyAttempt ? 1 : 0);
        if (next.saved) {
            EXPECT_TRUE(printtest::closeOfficeDocument(next.documentPath));
        }
    }
}

TEST_P(DocumentFillTest, ANameADeletedDocumentHoldsInTheOfficeIsNotGivenAgain)
{
    // The user deletes a printed document that is still open in the office
    // and prints again: the office still holds the name, so the next one
    // is taken.
    const PrintRequest request{people.certificateHolder, core::SpecialistCertificate,
                               QStringLiteral("Кальвета КТ") + extension, false, core::SpecialistCertificates,
                               QStringLiteral("Кальвета")};
    testsupport::MessageRecorder messages;
    const printing::PrintOutcome first = printing::PrintVkladish(request);
    ASSERT_TRUE(first.saved) << messages.texts().join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(QFile::remove(first.documentPath));
    const printing::PrintOutcome second = printing::PrintVkladish(request);
    EXPECT_TRUE(second.saved) << messages.texts().join(QLatin1Char('\n')).toStdString();
    const QString base = first.documentPath.chopped(documentExtension().size());
    EXPECT_EQ(second.documentPath, base + QStringLiteral(" (1)") + documentExtension());
    EXPECT_EQ(messages.count(), 0);
    EXPECT_TRUE(printtest::closeOfficeDocument(first.documentPath));
    EXPECT_TRUE(printtest::closeOfficeDocument(second.documentPath));
}

TEST_P(DocumentFillTest, AFullDataFolderIsToldAsAFullDisk)
{
    // The office keeps its profile and temporary files in the data folder:
    // when that disk is full (or all but full) it cannot take a copy of the
    // template, or store the document, and the user is told the disk is
    // full, not that the template is bad; a store is refused at once (the
    // store's time limit is set past the test's own).
    for (const long long left : {0LL, 32LL << 10}) {
        SCOPED_TRACE(left);
        printtest::SmallDisk disk(64 << 20);
        if (!disk.mounted())
            GTEST_SKIP() << "no right to mount a small disk here";
        office::Office& o = office::Office::instance();
        const QString dataFolder = o.dataFolder();
        o.shutdown();
        o.setDataFolder(disk.path());
        o.ensureRunning();
        o.setStoreSeconds(3600);
        disk.fillUp(left);
        testsupport::MessageRecorder messages;
        const printing::PrintOutcome outcome = printing::PrintVkladish(
            {people.certificateHolder, core::SpecialistCertificate, QStringLiteral("Кальвета КТ") + extension, false,
             core::SpecialistCertificates, QStringLiteral("Кальвета")});
        o.shutdown();
        o.setDataFolder(dataFolder);
        o.setStoreSeconds(60);
        EXPECT_FALSE(outcome.saved);
        ASSERT_EQ(messages.count(), 1);
        const QString text = messages.texts()[0];
        const QString full = QStringLiteral("Недостаточно места на диске (папка ") + disk.path();
        // Whether the office could not copy the template or its document is
        // refused at the store, the disk comes first.
        EXPECT_TRUE(text.startsWith(full)) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("1004"))) << text.toStdString();
    }
}

// A frame whose text is just the placeholder, and one with several, keep
// the formatting the template gives each placeholder; a drawing text box
// is filled as a frame is; a frame anchored in a paragraph of the body is
// filled once.
TEST_P(DocumentFillTest, FramesKeepTheFormattingOfTheirPlaceholders)
{
    static const char* const kFrames = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">
 <office:automatic-styles>
  <style:style style:name="T1" style:family="text"><style:text-properties fo:font-weight="bold"/></style:style>
 </office:automatic-styles>
 <office:body><office:text>
  <text:p>Бланк<draw:frame draw:name="Фамилия" text:anchor-type="paragraph" svg:x="10mm" svg:y="10mm" svg:width="80mm" svg:height="10mm">
   <draw:text-box><text:p><text:span text:style-name="T1">[FamD]</text:span></text:p></draw:text-box></draw:frame><draw:frame draw:name="Имя" text:anchor-type="paragraph" svg:x="10mm" svg:y="30mm" svg:width="80mm" svg:height="10mm">
   <draw:text-box><text:p>[ImD] <text:span text:style-name="T1">[OtchD]</text:span></text:p></draw:text-box></draw:frame><draw:frame draw:name="Дата" text:anchor-type="page" text:anchor-page-number="1" svg:x="100mm" svg:y="30mm" svg:width="80mm" svg:height="10mm">
   <draw:text-box><text:p>«[ДЕНЬ]» <text:span text:style-name="T1">[МЕСЯЦ]</text:span> [ГОД] г.</text:p></draw:text-box></draw:frame><draw:custom-shape draw:name="Город" text:anchor-type="paragraph" svg:x="10mm" svg:y="50mm" svg:width="80mm" svg:height="10mm"><text:p><text:span text:style-name="T1">[INF.GORODMED]</text:span></text:p><draw:enhanced-geometry draw:type="rectangle"/></draw:custom-shape></text:p>
 </office:text></office:body>
</office:document>
)";
    const QString source = home.file(QStringLiteral("рамки.fodt"));
    {
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kFrames);
    }
    const QString templatePath = home.file(QStringLiteral("рамки") + extension);
    {
        office::TemplateDocument doc = office::TemplateDocument::openReadOnly(source);
        doc.storeAs(templatePath);
        doc.close();
    }
    const QString path = home.file(QStringLiteral("заполнен") + documentExtension());
    {
        office::TemplateDocument doc = office::TemplateDocument::fromTemplate(templatePath);
        const QStringList found = doc.placeholders();
        EXPECT_EQ(QSet<QString>(found.begin(), found.end()),
                  (QSet<QString>{QStringLiteral("[FamD]"), QStringLiteral("[ImD]"), QStringLiteral("[OtchD]"),
                                 QStringLiteral("[INF.GORODMED]"), QStringLiteral("[ДЕНЬ]"), QStringLiteral("[МЕСЯЦ]"),
                                 QStringLiteral("[ГОД]")}));
        doc.replace({{QStringLiteral("[FamD]"), QStringLiteral("Смирновой")},
                     {QStringLiteral("[ImD]"), QStringLiteral("Анне")},
                     {QStringLiteral("[OtchD]"), QStringLiteral("Петровне")},
                     {QStringLiteral("[INF.GORODMED]"), QStringLiteral("г. Энск")},
                     {QStringLiteral("[ДЕНЬ]"), QStringLiteral("05")},
                     {QStringLiteral("[МЕСЯЦ]"), QStringLiteral("марта")},
                     {QStringLiteral("[ГОД]"), QStringLiteral("2024")}});
        doc.storeAs(path);
        doc.close();
    }
    // Text -> the characters of it in bold, as the stored document shows.
    QMap<QString, QString> bold;
    {
        using namespace office::uno;
        const auto doc = loadComponent(toOU(QUrl::fromLocalFile(path).toString()),
                                       props({{"Hidden", Any(true)}, {"ReadOnly", Any(true)}}), path);
        Reference<css::drawing::XDrawPageSupplier> supplier(doc, UNO_QUERY_THROW);
        Reference<css::container::XIndexAccess> page(supplier->getDrawPage(), UNO_QUERY_THROW);
        for (sal_Int32 i = 0; i < page->getCount(); ++i) {
            Reference<css::text::XText> text(page->getByIndex(i), UNO_QUERY);
            if (!text.is())
                continue;
            const QString content = toQ(text->getString());
            QString inBold;
            Reference<css::text::XTextCursor> cursor = text->createTextCursor();
            cursor->gotoStart(false);
            for (const QChar c : content) {
                cursor->goRight(1, true);
                float weight = 0;
                Reference<css::beans::XPropertySet>(cursor, UNO_QUERY_THROW)->getPropertyValue("CharWeight") >>= weight;
                if (weight >= css::awt::FontWeight::BOLD)
                    inBold += c;
                cursor->collapseToEnd();
            }
            bold.insert(content, inBold);
        }
        closeComponent(doc);
    }
    EXPECT_EQ(bold.value(QStringLiteral("Смирновой"), QStringLiteral("?")), QStringLiteral("Смирновой"));
    EXPECT_EQ(bold.value(QStringLiteral("Анне Петровне"), QStringLiteral("?")), QStringLiteral("Петровне"))
        << QStringList(bold.keys()).join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(bold.value(QStringLiteral("г. Энск"), QStringLiteral("?")), QStringLiteral("г. Энск"));
    EXPECT_EQ(bold.value(QStringLiteral("«05» марта 2024 г."), QStringLiteral("?")), QStringLiteral("марта"));
}

INSTANTIATE_TEST_SUITE_P(BothOffices, DocumentFillTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Writer" : "Word"; });

TEST(DocumentFileNameTest, CaptionSurnameInitialsAndFirstFreeNumber)
{
    testsupport::TempFolder folder;
    struct Case {
        const char* caption;
        const char* person;
        const char* existing;  // files already there, "|" between them
        const char* expected;
    };
    const Case cases[] = {
        {"Кальвета", "Смирнова А.П.", "", "Кальвета Смирнова А.П.odt"},
        {"Кальвета", "Смирнова А.П.", "Кальвета Смирнова А.П.odt", "Кальвета Смирнова А.П (1).odt"},
        {"Кальвета", "Смирнова А.П.", "Кальвета Смирнова А.П.odt|Кальвета Смирнова А.П (1).odt",
         "Кальвета Смирнова А.П (2).odt"},
        {"Приложение к диплому ПК", "О\"Нил/Ли* Д.", "", "Приложение к диплому ПК О Нил Ли Д.odt"},
        {"Прочее", "", "", "Прочее.odt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        QDir(folder.path()).removeRecursively();
        QDir().mkpath(folder.path());
        for (const QString& name : QString::fromUtf8(c.existing).split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
            QFile f(folder.file(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        EXPECT_EQ(printing::DocumentFileName(folder.path(), QString::fromUtf8(c.caption), QString::fromUtf8(c.person),
                                             QStringLiteral(".odt")),
                  QString::fromUtf8(c.expected));
    }
}

TEST_P(DocumentFillTest, AdjustedTemplateStillHasItsBackgroundFound)
{
    // The adjustment window saves the template through the office; a Word
    // format's export renames every picture, and the fill must still know
    // the background by the name it had.
    const QString path = QDir(templates()).filePath(QStringLiteral("Приложение к диплому ПК КТ") + extension);
    {
        office::TextDocument doc = office::TextDocument::open(path, true);
        doc.moveFrame(0, 5, 5);
        doc.save();
        doc.close();
    }
    struct Case {
        bool keepBackground;
        int pictures;
    };
    // Kept: the front's outline and that of the following pages.
    for (const Case c : {Case{false, 0}, Case{true, 2}}) {
        SCOPED_TRACE(c.keepBackground);
        testsupport::MessageRecorder messages;
        const printing::PrintOutcome outcome = printing::PrintVkladish(
            {people.retrainee, core::RetrainingDiplomaSupplement, QStringLiteral("Приложение к диплому ПК КТ") + extension,
             c.keepBackground, core::RetrainingDocuments, QStringLiteral("Приложение к диплому ПК")});
        ASSERT_TRUE(outcome.saved) << messages.texts().join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(readBack(outcome.documentPath).pictures.size(), c.pictures);
        EXPECT_TRUE(printtest::closeOfficeDocument(outcome.documentPath));
    }
}

TEST_P(DocumentFillTest, DocumentWithoutItsRegistrationNumberIsPrintedOnlyWhenTheUserSaysSo)
{
    printtest::provideTemplates(templates(), {QStringLiteral("Удостоверение КТ")}, extension);
    struct Case {
        const char* name;
        bool retrainee;
        int blankKind;
        const char* templateName;
        const char* setUp;  // SQL run first
        const char* question;  // what the document would lack; nullptr: not asked
        int answer;
        bool saved;
    };
    const char* const number = "без регистрационного номера";
    const Case cases[] = {
        {"no удостоверение number, No", true, core::CompletionCertificate, "Удостоверение КТ", "", number,
         ui::No, false},
        {"no удостоверение number, Yes", true, core::CompletionCertificate, "Удостоверение КТ", "", number,
         ui::Yes, true},
        {"number and date there", true, core::RetrainingDiplomaSupplement, "Приложение к диплому ПК КТ", "",
         nullptr, 0, true},
        // The certificate template asks for the certificate's number and
        // date through any option.
        {"the certificate through the other document", false, core::OtherDocument, "Кальвета КТ", "", nullptr, 0,
         true},
        {"the certificate through the other document, a person without one", true, core::OtherDocument,
         "Кальвета КТ", "", number, ui::No, false},
        {"the group's certificates without an issue date", false, core::SpecialistCertificate, "Кальвета КТ",
         "UPDATE SPGRUP SET DatMed = NULL", "без даты выдачи", ui::No, false},
        {"neither", true, core::SpecialistCertificate, "Кальвета КТ", "",
         "без регистрационного номера и без даты выдачи", ui::No, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (*c.setUp)
            core::db().execute(QString::fromUtf8(c.setUp));
        QDir(documents()).removeRecursively();
        testsupport::MessageRecorder messages;
        if (c.question)
            messages.answer(c.answer);
        const printing::PrintOutcome outcome = printing::PrintVkladish(
            {c.retrainee ? people.retrainee : people.certificateHolder, c.blankKind,
             QString::fromUtf8(c.templateName) + extension, false, core::RetrainingDocuments, QStringLiteral("Документ")});
        ASSERT_EQ(messages.count(), c.question ? 1 : 0) << messages.texts().join(QLatin1Char('\n')).toStdString();
        if (c.question) {
            EXPECT_EQ(messages.texts()[0],
                      QStringLiteral("Документ будет напечатан %1. Продолжить?").arg(QString::fromUtf8(c.question)));
            EXPECT_EQ(messages.messages()[0].buttons(), ui::YesNo);
            EXPECT_EQ(messages.messages()[0].defaultButton(), ui::DefaultButton2);
        }
        EXPECT_EQ(outcome.saved, c.saved);
        // No: not even the folder for it.
        EXPECT_EQ(QFileInfo::exists(documents()), c.saved);
        if (outcome.saved) {
            EXPECT_TRUE(printtest::closeOfficeDocument(outcome.documentPath));
        }
    }
}

TEST_P(DocumentFillTest, PrintedDocumentKeepsNoRecordOfTheAdjustedTemplate)
{
    // A template saved by the adjustment window carries the record of its
    // frames; the document printed from it does not.
    const QString path = QDir(templates()).filePath(QStringLiteral("Кальвета КТ") + extension);
    {
        office::TextDocument doc = office::TextDocument::open(path, true);
        doc.moveFrame(0, 1, 1);
        doc.save();
        doc.close();
    }
    const auto holdsRecord = [](const QString& file) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return false;
        const QByteArray bytes = f.readAll();
        if (bytes.contains("KalvetaFrames"))
            return true;
        const QString name = QStringLiteral("KalvetaFrames");
        return bytes.contains(QByteArray(reinterpret_cast<const char*>(name.utf16()), name.size() * 2));
    };
    const auto recordOf = [&](const QString& file) {
        const QString suffix = QFileInfo(file).suffix();
        if (suffix != QLatin1String("ott") && suffix != QLatin1String("odt"))
            return holdsRecord(file);
        // A Writer file is a zip: the properties are in its meta.xml.
        testsupport::TempFolder unpacked;
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-o"), QStringLiteral("-q"), file, QStringLiteral("meta.xml"),
                                              QStringLiteral("-d"), unpacked.path()});
        unzip.waitForFinished();
        return holdsRecord(unpacked.file(QStringLiteral("meta.xml")));
    };
    ASSERT_TRUE(recordOf(path)) << "the adjusted template keeps its record";
    testsupport::MessageRecorder messages;
    const printing::PrintOutcome outcome = printing::PrintVkladish(
        {people.certificateHolder, core::SpecialistCertificate, QStringLiteral("Кальвета КТ") + extension, false,
         core::SpecialistCertificates, QStringLiteral("Кальвета")});
    ASSERT_TRUE(outcome.saved) << messages.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(recordOf(outcome.documentPath));
    EXPECT_TRUE(printtest::closeOfficeDocument(outcome.documentPath));
}
