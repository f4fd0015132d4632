// "Настройка шаблона": frames listed, moved all together or one at a time,
// the page edge respected, the save asked for and done, or refused for a
// template that cannot be opened.
#include "core/AppState.h"
#include "core/ChildWindows.h"
#include "platform/office/Office.h"
#include "platform/office/TemplateDocument.h"
#include "platform/office/TextDocument.h"
#include "platform/ui/Messages.h"
#include "printing/frmNShb.h"

#include "DocumentPrintFixtures.h"

#include "support/TestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QMessageBox>
#include <QWindow>

#include <QTest>

#include <optional>

#include <gtest/gtest.h>

using printing::frmNShb;

namespace {

constexpr double kStep = 0.25 / 25.4 * 72;  // points

// Two text boxes on the page (the first 2 mm from the page's left edge),
// a group in the text line and a table.
const char* const kFixture = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">
 <office:automatic-styles>
  <style:style style:name="fr1" style:family="graphic"><style:graphic-properties style:horizontal-pos="from-left"
   style:horizontal-rel="page" style:vertical-pos="from-top" style:vertical-rel="page"/></style:style>
  <style:page-layout style:name="pm1"><style:page-layout-properties fo:page-width="210mm" fo:page-height="297mm"
   fo:margin-left="20mm" fo:margin-top="15mm" fo:margin-right="20mm" fo:margin-bottom="15mm"/></style:page-layout>
 </office:automatic-styles>
 <office:master-styles><style:master-page style:name="Standard" style:page-layout-name="pm1"/></office:master-styles>
 <office:body><office:text>
  <draw:frame draw:style-name="fr1" draw:name="Край" text:anchor-type="page" text:anchor-page-number="1" svg:x="2mm" svg:y="40mm" svg:width="50mm" svg:height="12mm">
   <draw:text-box><text:p>Фамилия</text:p></draw:text-box></draw:frame>
  <draw:frame draw:style-name="fr1" draw:name="Имя" text:anchor-type="page" text:anchor-page-number="1" svg:x="60mm" svg:y="60mm" svg:width="50mm" svg:height="12mm">
   <draw:text-box><text:p>Имя</text:p></draw:text-box></draw:frame>
  <text:p>Бланк</text:p>
  <text:p>Строка <draw:g text:anchor-type="as-char" svg:y="0mm"><draw:rect svg:x="0mm" svg:y="0mm" svg:width="10mm" svg:height="5mm"><text:p>В строке</text:p></draw:rect><draw:rect svg:x="12mm" svg:y="0mm" svg:width="10mm" svg:height="5mm"/></draw:g></text:p>
  <table:table table:name="Оценки"><table:table-column table:number-columns-repeated="2"/>
   <table:table-row><table:table-cell><text:p>Дисциплина</text:p></table:table-cell><table:table-cell><text:p>Часы</text:p></table:table-cell></table:table-row>
  </table:table>
 </office:text></office:body>
</office:document>
)";

class AdjustTemplateWindow : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        const QString source = folder.file(QStringLiteral("бланк.fodt"));
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kFixture);
        f.close();
        path = folder.file(QStringLiteral("Бланк.") + QString::fromLatin1(GetParam()));
        office::TemplateDocument doc = office::TemplateDocument::openReadOnly(source);
        doc.storeAs(path);
        doc.close();
        core::state().DialogResult = 0;
    }

    int row(frmNShb& w, const QString& text)
    {
        for (int i = 0; i < w.Cm1(0)->count(); ++i)
            if (w.Cm1(0)->item(i)->text().startsWith(text))
                return i;
        return -1;
    }

    QMap<QString, office::TextDocument::Frame> framesOnDisk()
    {
        QMap<QString, office::TextDocument::Frame> out;
        office::TextDocument doc = office::TextDocument::open(path, true);
        for (const auto& f : doc.frames())
            out.insert(f.text, f);
        doc.close();
        return out;
    }

    testsupport::TempFolder folder;
    QString path;
};

} // namespace

TEST_P(AdjustTemplateWindow, MovesAllOrOneFrameAndSavesWhenAsked)
{
    const auto before = framesOnDisk();
    testsupport::MessageRecorder messages;
    {
        frmNShb w(path);
        ASSERT_TRUE(w.Form_Load());
        EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Настройка шаблона"));
        ASSERT_EQ(w.Cm1(0)->count(), 3) << w.Cm1(0)->item(0)->text().toStdString();
        EXPECT_TRUE(w.Cm1(0)->item(row(w, QStringLiteral("В строке")))->text().contains(QStringLiteral("не сдвигается")));
        ASSERT_EQ(w.Cm1(1)->count(), 1);
        EXPECT_EQ(w.Cm1(1)->item(0)->text(), QStringLiteral("Дисциплина"));
        EXPECT_FALSE(w.Cm1(1)->isEnabled());
        EXPECT_FALSE(w.Option1(2)->isEnabled());
        EXPECT_TRUE(w.Option1(0)->isChecked());
        EXPECT_FALSE(w.Cm1(0)->isEnabled());

        // "Все": right, then down; the labels show the last step.
        w.Cmd1(2)->click();
        EXPECT_EQ(w.Lb(2)->text(), QStringLiteral("0,25 >"));
        w.Cmd1(3)->click();
        EXPECT_EQ(w.Lb(3)->text(), QStringLiteral("v 0,25"));
        EXPECT_TRUE(w.Lb(2)->text().isEmpty());
        // "Выбрать рамку": the second text box alone, up.
        w.Option1(1)->click();
        EXPECT_TRUE(w.Cm1(0)->isEnabled());
        w.Cm1(0)->setCurrentRow(row(w, QStringLiteral("Имя")));
        w.Cmd1(1)->click();
        EXPECT_EQ(w.Lb(1)->text(), QStringLiteral("^ -0,25")) << w.Note()->text().toStdString();
        // The group in the text line does not move.
        w.Cm1(0)->setCurrentRow(row(w, QStringLiteral("В строке")));
        w.Cmd1(2)->click();
        EXPECT_FALSE(w.Note()->text().isEmpty());

        // No (the default) saves nothing; Yes saves.
        messages.answer(ui::No);
        w.Command1()->click();
        ASSERT_EQ(messages.count(), 1);
        EXPECT_TRUE(messages.messages()[0].text.startsWith(QStringLiteral("Вы действительно хотите применить")));
        EXPECT_EQ(messages.messages()[0].defaultButton(), int(ui::DefaultButton2));
        EXPECT_EQ(framesOnDisk()[QStringLiteral("Имя")].top, before[QStringLiteral("Имя")].top);
        messages.answer(ui::Yes);
        w.Command1()->click();
        EXPECT_EQ(messages.texts().last(), QStringLiteral("Шаблон успешно сохранен."));
        EXPECT_EQ(core::state().DialogResult, -1);
        EXPECT_FALSE(w.document().isOpen());
    }
    const auto after = framesOnDisk();
    EXPECT_NEAR(after[QStringLiteral("Фамилия")].left, before[QStringLiteral("Фамилия")].left + kStep, 0.03);
    EXPECT_NEAR(after[QStringLiteral("Фамилия")].top, before[QStringLiteral("Фамилия")].top + kStep, 0.03);
    EXPECT_NEAR(after[QStringLiteral("Имя")].left, before[QStringLiteral("Имя")].left + kStep, 0.03);
    EXPECT_NEAR(after[QStringLiteral("Имя")].top, before[QStringLiteral("Имя")].top, 0.03);
}

TEST_P(AdjustTemplateWindow, LeftStepsStopAtThePageEdgeAndCancelDropsTheMoves)
{
    const QByteArray original = [&] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    testsupport::MessageRecorder messages;
    frmNShb w(path);
    ASSERT_TRUE(w.Form_Load());
    w.Option1(1)->click();
    w.Cm1(0)->setCurrentRow(row(w, QStringLiteral("Фамилия")));
    // 2 mm from the edge: seven steps of 0.25 mm, the eighth would reach it.
    for (int i = 0; i < 12; ++i)
        w.Cmd1(0)->click();
    const auto frames = w.document().frames();
    int k = 0;
    while (frames[k].text != QStringLiteral("Фамилия"))
        ++k;
    EXPECT_NEAR(frames[k].left, 2.0 / 25.4 * 72 - 7 * kStep, 0.03);
    EXPECT_FALSE(w.Note()->text().isEmpty());
    EXPECT_TRUE(w.Lb(0)->text().isEmpty());  // the refused step is not shown
    w.Command2()->click();
    EXPECT_EQ(core::state().DialogResult, 0);
    EXPECT_FALSE(w.document().isOpen());
    EXPECT_EQ(messages.count(), 0);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), original);
}

// Opened from the print parameters, the window hands the front back to them,
// not to the main window under them.
TEST_P(AdjustTemplateWindow, ClosingBringsBackTheDialogThatOpenedIt)
{
    QWidget main;
    main.show();
    core::shellServices().activateMainWindow = [&main] {
        main.raise();
        main.activateWindow();
    };
    QDialog opener;
    opener.setModal(true);
    opener.show();
    {
        frmNShb w(path);
        ASSERT_TRUE(w.Form_Load());
        w.show();
        w.Command2()->click();
    }
    core::shellServices().activateMainWindow = nullptr;
    EXPECT_EQ(QApplication::activeModalWidget(), &opener);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&opener, 2000));
    EXPECT_NE(QApplication::activeWindow(), &main);
}

TEST_P(AdjustTemplateWindow, AStoreCutOffByAFullDiskIsToldAndLeavesNothing)
{
    // The disk has room when the save begins and fills up as the office
    // starts storing: the save ends as soon as the disk is full (the
    // store's time limit is set past the test's own), says first that the
    // disk is full, and leaves the template as it was and no copy beside it.
    printtest::SmallDisk disk(3 << 20);
    if (!disk.mounted())
        GTEST_SKIP() << "no right to mount a small disk here";
    const QString onDisk = disk.path() + QStringLiteral("/Бланк.") + QString::fromLatin1(GetParam());
    ASSERT_TRUE(QFile::copy(path, onDisk));
    QFile f(onDisk);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();

    office::Office& office = office::Office::instance();
    const int limit = office.storeSeconds();
    office.setStoreSeconds(3600);
    office.setBeforeStore([&](const QString&) { disk.fillUp(); });
    testsupport::MessageRecorder messages;
    messages.answer(ui::Yes);
    {
        frmNShb w(onDisk);
        ASSERT_TRUE(w.Form_Load()) << messages.texts().join(QLatin1Char('\n')).toStdString();
        w.Cmd1(2)->click();
        w.Command1()->click();
        office.setBeforeStore(nullptr);
        office.setStoreSeconds(limit);
        ASSERT_EQ(messages.count(), 2);
        const QString text = messages.texts()[1];
        EXPECT_TRUE(text.startsWith(QStringLiteral("Недостаточно места на диске (папка ") + disk.path()))
            << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Освободите место на диске и повторите. Произошла ошибка при сохранении "
                                                 "шаблона, возможно он не сохранен, ошибка: 75 Документ не может быть "
                                                 "сохранен")))
            << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("bridge"))) << text.toStdString();
        if (!w.document().isOpen()) {  // the office went with the document
            EXPECT_EQ(w.result(), QDialog::Rejected);
        }
        w.Command2()->click();
    }
    office.setBeforeStore(nullptr);
    office.setStoreSeconds(limit);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    f.close();
    EXPECT_EQ(QDir(disk.path()).entryList({QStringLiteral(".~kalveta*"), QStringLiteral("lu*.tmp")},
                                          QDir::Files | QDir::Hidden),
              QStringList{});
    // The office works as before.
    office::TextDocument again = office::TextDocument::open(path, true);
    EXPECT_FALSE(again.frames().isEmpty());
    again.close();
}

TEST_P(AdjustTemplateWindow, CopiesLeftByAKilledRunAreGoneWhenTheWindowOpens)
{
    // A run killed in the middle of a save leaves its hidden copy beside the
    // template; the next opening removes it, and never the copy of a save
    // still running.
    const QString ext = QString::fromLatin1(GetParam());
    const QString dead = folder.file(QStringLiteral(".~kalveta-2147483646-AbCdEf.") + ext);
    const QString older = folder.file(QStringLiteral(".~kalveta-XyZ123.") + ext);
    const QString running = folder.file(QStringLiteral(".~kalveta-%1-QwErTy.").arg(QCoreApplication::applicationPid()) + ext);
    for (const QString& p : {dead, older, running}) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    testsupport::MessageRecorder messages;
    frmNShb w(path);
    ASSERT_TRUE(w.Form_Load()) << messages.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(QFileInfo::exists(dead));
    EXPECT_FALSE(QFileInfo::exists(older));
    EXPECT_TRUE(QFileInfo::exists(running));
    w.Command2()->click();
    QFile::remove(running);
}

INSTANTIATE_TEST_SUITE_P(Formats, AdjustTemplateWindow, ::testing::Values("dot", "ott"));

TEST(AdjustTemplateWindowOpening, AMissingOrDamagedTemplateIsReportedAndNothingIsSaved)
{
    testsupport::TempFolder folder;
    const QString damaged = folder.file(QStringLiteral("Испорченный.ott"));
    {
        QFile f(damaged);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("PK\x03\x04 broken");
    }
    struct Case {
        QString path;
        QString message;
    };
    const Case cases[] = {
        {folder.file(QStringLiteral("Нет.dot")),
         QStringLiteral("Файл шаблона не найден. Настройка шаблона не может быть произведена.")},
        {damaged, QStringLiteral("Шаблон не удается открыть")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        testsupport::MessageRecorder messages;
        core::state().DialogResult = 0;
        EXPECT_EQ(frmNShb::adjust(c.path), 0);
        ASSERT_EQ(messages.count(), 1);
        EXPECT_TRUE(messages.texts()[0].startsWith(c.message)) << messages.texts()[0].toStdString();
    }
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("Нет.dot"))));
    QFile f(damaged);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("PK\x03\x04 broken"));
}

TEST(AdjustTemplateWindowMessages, TheQuestionStandsAboveTheWindow)
{
    // The window stays above all others (the office's too): its question
    // must not open behind it, where Enter would answer "Нет" unseen.
    testsupport::TempFolder folder;
    const QString source = folder.file(QStringLiteral("бланк.fodt"));
    {
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kFixture);
    }
    const QString path = folder.file(QStringLiteral("Бланк.ott"));
    {
        office::TemplateDocument doc = office::TemplateDocument::openReadOnly(source);
        doc.storeAs(path);
        doc.close();
    }
    QWidget main;
    main.show();
    ui::setMessageParent(&main);
    frmNShb w(path);
    ASSERT_TRUE(w.Form_Load());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w, 2000));

    bool asked = false;
    bool above = false;
    bool inFront = false;
    QTimer answer;
    answer.setInterval(20);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        asked = box->text().startsWith(QStringLiteral("Вы действительно хотите применить изменения"));
        above = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        inFront = box->windowHandle() && box->windowHandle()->transientParent() == w.windowHandle();
        box->button(QMessageBox::No)->click();
    });
    answer.start();
    QTimer::singleShot(10000, &answer, [&] { answer.stop(); });
    w.Command1()->click();
    answer.stop();
    ui::setMessageParent(nullptr);
    EXPECT_TRUE(asked);
    EXPECT_TRUE(above);
    EXPECT_TRUE(inFront);
    w.Command2()->click();
}

TEST(AdjustTemplateWindowMessages, AFullDiskOrAReadOnlyTemplateIsToldAndTheFileStays)
{
    // A Word template saved when its disk, or the disk of the office's data
    // folder (its profile and temporary files), is full or all but full:
    // the save is refused at once (the store's time limit is set past the
    // test's own), the message leads with the full disk; a read-only
    // template is told as such. The file stays as it was, nothing is left
    // beside it.
    testsupport::TempFolder folder;
    const QString source = folder.file(QStringLiteral("бланк.fodt"));
    {
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kFixture);
    }
    enum class Where { TemplateDisk, DataDisk, ReadOnly };
    struct Case {
        const char* name;
        Where where;
        long long left;  // bytes left on the full disk
    };
    const Case cases[] = {
        {"template's disk full", Where::TemplateDisk, 0},
        {"template's disk all but full", Where::TemplateDisk, 32 << 10},
        {"data folder's disk full", Where::DataDisk, 0},
        {"data folder's disk all but full", Where::DataDisk, 32 << 10},
        {"read-only", Where::ReadOnly, 0},
    };
    office::Office& office = office::Office::instance();
    const QString dataFolder = office.dataFolder();
    const int limit = office.storeSeconds();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<printtest::SmallDisk> disk;
        if (c.where != Where::ReadOnly) {
            disk.emplace(64 << 20);
            if (!disk->mounted())
                continue;  // no right to mount a small disk here
        }
        if (c.where == Where::DataDisk) {
            office.shutdown();
            office.setDataFolder(disk->path());
        }
        office.setStoreSeconds(3600);
        const QString where = c.where == Where::TemplateDisk ? disk->path() : folder.path();
        const QString path = where + QStringLiteral("/Бланк.dot");
        {
            const QString made = folder.file(QStringLiteral("made.dot"));
            QFile::remove(made);
            office::TemplateDocument doc = office::TemplateDocument::openReadOnly(source);
            doc.storeAs(made);
            doc.close();
            QFile::remove(path);
            ASSERT_TRUE(QFile::copy(made, path));
        }
        if (c.where == Where::ReadOnly) {
            ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        }
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();

        testsupport::MessageRecorder messages;
        messages.answer(ui::Yes);
        {
            frmNShb w(path);
            ASSERT_TRUE(w.Form_Load()) << messages.texts().join(QLatin1Char('\n')).toStdString();
            if (disk)
                disk->fillUp(c.left);  // another program fills the disk meanwhile
            w.Cmd1(2)->click();  // a step to the right
            w.Command1()->click();
            ASSERT_EQ(messages.count(), 2);
            const QString text = messages.texts()[1];
            const QString failed = QStringLiteral("Произошла ошибка при сохранении шаблона, возможно он не сохранен, "
                                                  "ошибка: 75 Документ не может быть сохранен");
            if (disk) {
                EXPECT_TRUE(text.startsWith(QStringLiteral("Недостаточно места на диске (папка ") + disk->path()))
                    << text.toStdString();
                EXPECT_TRUE(text.contains(QStringLiteral("Освободите место на диске и повторите. ") + failed))
                    << text.toStdString();
            } else {
                EXPECT_TRUE(text.startsWith(failed)) << text.toStdString();
                EXPECT_TRUE(text.contains(QStringLiteral("только для чтения"))) << text.toStdString();
            }
            EXPECT_FALSE(text.contains(QStringLiteral(".."))) << text.toStdString();
            EXPECT_TRUE(w.document().isOpen());  // the window stays open
            w.Command2()->click();
        }
        office.setStoreSeconds(limit);
        if (c.where == Where::DataDisk) {
            office.shutdown();
            office.setDataFolder(dataFolder);
        }
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before);
        f.close();
        EXPECT_EQ(QDir(where).entryList({QStringLiteral(".~kalveta*"), QStringLiteral("lu*.tmp")},
                                        QDir::Files | QDir::Hidden),
                  QStringList{});
    }
}

TEST(AdjustTemplateWindowOpening, AVisibleOfficeAsksNothingOfItsOwnWhenTheFolderIsFull)
{
    // An office the user sees locks the template it opens; in a full folder
    // it cannot, and would ask in a dialog of its own while the program
    // waits. It asks nothing: the window says the disk is full.
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "no screen for a visible office";
    printtest::SmallDisk disk(3 << 20);
    if (!disk.mounted())
        GTEST_SKIP() << "no right to mount a small disk here";
    testsupport::TempFolder folder;
    const QString source = folder.file(QStringLiteral("бланк.fodt"));
    {
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kFixture);
    }
    const QString path = disk.path() + QStringLiteral("/Бланк.ott");
    {
        office::TemplateDocument doc = office::TemplateDocument::openReadOnly(source);
        doc.storeAs(path);
        doc.close();
    }
    office::Office& o = office::Office::instance();
    const QString dataFolder = o.dataFolder();
    o.shutdown();
    o.setDataFolder(folder.file(QStringLiteral("данные")));  // a profile that locks documents
    o.setHeadless(false);
    disk.fillUp();
    testsupport::MessageRecorder messages;
    bool loaded = false;
    {
        frmNShb w(path);
        loaded = w.Form_Load();
    }
    o.shutdown();
    o.setHeadless(true);
    o.setDataFolder(dataFolder);
    EXPECT_FALSE(loaded);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.texts()[0].contains(QStringLiteral("Недостаточно места на диске"))) << messages.texts()[0].toStdString();
    // Not even an empty lock file is left beside the template.
    EXPECT_EQ(QDir(disk.path()).entryList({QStringLiteral(".~lock*")}, QDir::Files | QDir::Hidden), QStringList{});
}
