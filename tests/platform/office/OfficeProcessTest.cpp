// The office process: started on first use, reused, restarted after a
// crash, ended without leftovers, and reported when it cannot start.
#include "platform/office/Calc.h"
#include "platform/office/Excel.h"
#include "platform/office/OOo.h"
#include "platform/office/Office.h"
#include "platform/office/OfficeError.h"
#include "platform/office/TemplateDocument.h"
#include "platform/office/TextDocument.h"

#include "OfficeFixtures.h"
#include "support/OfficeDocuments.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <QFile>
#include <QUrl>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <thread>
#include <sys/types.h>

using namespace office;
using testsupport::groupAlive;
using testsupport::groupMembers;
using testsupport::GroupMember;

namespace {

// A crash of the office: the office process dies, its start program ends.
void crashOffice(long long group)
{
    for (const GroupMember& m : groupMembers(group))
        if (m.pid != group && m.state != 'Z')
            ::kill(m.pid, SIGKILL);
}

} // namespace

TEST(OfficeProcess, StartsHeadlessWithItsOwnProfileAndIsReused)
{
    Office& o = Office::instance();
    EXPECT_TRUE(o.headless());  // the test main asks for it
    o.ensureRunning();
    EXPECT_TRUE(o.isRunning());
    EXPECT_TRUE(QFileInfo(o.profileFolder()).absoluteFilePath().startsWith(QFileInfo(o.dataFolder()).absoluteFilePath()));
    EXPECT_TRUE(QFileInfo::exists(o.profileFolder() + QStringLiteral("/user/registrymodifications.xcu")));
    const int starts = o.startCount();
    EXPECT_FALSE(o.ensureRunning());  // running: nothing started
    Application::attach().addWorkbook().close();
    EXPECT_EQ(o.startCount(), starts);
}

TEST(OfficeProcess, ACrashedOfficeIsStartedAgainOnTheNextUse)
{
    Office& o = Office::instance();
    o.ensureRunning();
    Application app = Application::attach();
    Workbook book = app.addWorkbook();
    // Lock files next to documents the office held: one of ours (a crashed
    // office leaves it; it would make saving there fail), one of another
    // office.
    testsupport::TempFolder folder;
    book.saveAs(folder.file(QStringLiteral("наш.ods")));
    auto writeLock = [&](const QString& name, const QString& profile) {
        QFile lock(folder.file(QStringLiteral(".~lock.") + name + QLatin1Char('#')));
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write(QStringLiteral(",root,host,10.12.2026 12:00,%1;").arg(QUrl::fromLocalFile(profile).toString(QUrl::FullyEncoded)).toUtf8());
    };
    writeLock(QStringLiteral("наш.ods"), QFileInfo(o.profileFolder()).absoluteFilePath());
    QFile::copy(folder.file(QStringLiteral("наш.ods")), folder.file(QStringLiteral("чужой.ods")));
    CalcDocument::load(folder.file(QStringLiteral("чужой.ods")), true);
    writeLock(QStringLiteral("чужой.ods"), QStringLiteral("/home/user/.config/libreoffice/4"));
    const long long group = o.processGroup();
    ASSERT_GT(group, 0);
    const int starts = o.startCount();

    crashOffice(group);
    // The open workbook went with the office; using it tells so.
    try {
        book.sheet(1).cells(1, 1).setValue(1);
        book.sheet(1).flush();
        FAIL() << "no error from a dead office";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::ConnectionLost);
        EXPECT_EQ(e.number(), errConnectionLost);
    }
    EXPECT_FALSE(o.isRunning());
    // The next use starts a new office.
    Workbook again = Application::attach().addWorkbook();
    again.sheet(1).cells(1, 1).setValue(QStringLiteral("снова"));
    EXPECT_EQ(again.sheet(1).cells(1, 1).value().toString(), QStringLiteral("снова"));
    EXPECT_EQ(o.startCount(), starts + 1);
    EXPECT_FALSE(groupAlive(group));
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral(".~lock.наш.ods#"))));
    EXPECT_TRUE(QFile::exists(folder.file(QStringLiteral(".~lock.чужой.ods#"))));
    again.saveAs(folder.file(QStringLiteral("наш.ods")));
    again.close();
}

TEST(OfficeProcess, AnOfficeKilledWhileItIsWrittenToEndsTheWorkNotTheProgram)
{
    // The office's processes killed while a large block of cells goes to
    // it, at a different moment each round: the program is not ended by
    // the broken connection; the work ends with the office's loss (the
    // block may have gone through just before), and the next use starts a
    // new office.
    Office& o = Office::instance();
    QList<QVariantList> block;
    for (int r = 0; r < 2000; ++r) {
        QVariantList row;
        for (int c = 0; c < 50; ++c)
            row << QStringLiteral("ячейка %1-%2").arg(r).arg(c);
        block << row;
    }
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE(round);
        Workbook book = Application::attach().addWorkbook();
        const long long group = o.processGroup();
        ASSERT_GT(group, 0);
        book.sheet(1).cells(1, 1).setValues(block);
        std::thread killer([group, round] {
            QThread::msleep(15 * round);
            testsupport::killOffice(group);
        });
        try {
            book.sheet(1).flush();
            book.sheet(1).cells(1, 1).value();
            killer.join();
            book.sheet(1).cells(2, 1).setValue(1);
            book.sheet(1).flush();
            FAIL() << "no error from a dead office";
        } catch (const Error& e) {
            if (killer.joinable())
                killer.join();
            EXPECT_EQ(e.kind(), ErrorKind::ConnectionLost) << e.what();
        }
        EXPECT_FALSE(o.isRunning());
    }
    Workbook again = Application::attach().addWorkbook();
    again.sheet(1).cells(1, 1).setValue(QStringLiteral("снова"));
    EXPECT_EQ(again.sheet(1).cells(1, 1).value().toString(), QStringLiteral("снова"));
    again.close();
}

TEST(OfficeProcess, EndsWithoutLeavingAProcessOrLockFiles)
{
    Office& o = Office::instance();
    testsupport::TempFolder folder;
    Workbook book = Application::attach().addWorkbook();
    book.sheet(1).cells(1, 1).setValue(1);
    book.saveAs(folder.file(QStringLiteral("открыт.ods")));  // left open on purpose
    const long long group = o.processGroup();
    ASSERT_TRUE(groupAlive(group));

    o.shutdown();
    EXPECT_FALSE(o.isRunning());
    EXPECT_FALSE(groupAlive(group));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("открыт.ods")});
    EXPECT_FALSE(QFileInfo::exists(o.profileFolder() + QStringLiteral("/.lock")));
}

TEST(OfficeProcess, AMissingOfficeGivesTheNotStartedMessage)
{
    Office& o = Office::instance();
    o.shutdown();
    const QString program = o.program();
    o.setProgram(QStringLiteral("/nonexistent/office/soffice"));

    try {
        Application::attach();
        FAIL() << "an office was started";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::NotStarted);
        EXPECT_EQ(e.number(), 429);
        EXPECT_TRUE(e.description().startsWith(Error::descriptionOf(ErrorKind::NotStarted)));
    }

    // The advice carries the number and the description.
    try {
        TextDocument::createNew(true);
        ADD_FAILURE() << "an office was started";
    } catch (const Error& e) {
        EXPECT_TRUE(OOoNotStartedReport(QString(), e).startsWith(OOoNotStartedMessage(QString()) + QStringLiteral(" Ошибка: 429 ")));
    }

    o.setProgram(program);
    EXPECT_TRUE(o.ensureRunning());
}

TEST(OfficeProcess, AnOfficeThatShowsADocumentIsNotEnded)
{
    Office& o = Office::instance();
    o.ensureRunning();
    CalcDocument shown = CalcDocument::createNew(false);
    CalcDocument hidden = CalcDocument::createNew(true);
    EXPECT_FALSE(o.quitIfIdle());
    EXPECT_TRUE(o.isRunning());
    shown.sheet(0).cell(0, 0).setString(QStringLiteral("на месте"));
    EXPECT_EQ(shown.sheet(0).cell(0, 0).string(), QStringLiteral("на месте"));
    shown.dispose();
    EXPECT_TRUE(o.quitIfIdle());
    EXPECT_FALSE(o.isRunning());
}

TEST(OfficeProcess, DocumentsLeftForTheUserOutliveTheRunAndTheOfficeIsReused)
{
    Office& o = Office::instance();
    o.shutdown();
    o.ensureRunning();
    const long long group = o.processGroup();
    CalcDocument shown = CalcDocument::createNew(false);
    shown.sheet(0).cell(0, 0).setString(QStringLiteral("для пользователя"));
    shown.sheet(0).flush();
    CalcDocument::createNew(true);  // a hidden one is closed at the end
    // The end of a run as it goes for a user (the office itself stays
    // headless here: there is no screen).
    o.setHeadless(false);
    o.shutdown();
    EXPECT_FALSE(o.isRunning());
    EXPECT_TRUE(groupAlive(group));

    // The next run finds it and works with it; it did not start one.
    const int starts = o.startCount();
    EXPECT_FALSE(o.ensureRunning());
    EXPECT_EQ(o.startCount(), starts);
    EXPECT_EQ(o.processGroup(), 0);
    EXPECT_EQ(officetest::openDocumentCount(), 1);

    o.setHeadless(true);
    o.shutdown();
    EXPECT_FALSE(groupAlive(group));
}

TEST(OfficeProcess, AWindowThatStartedTheOfficeEndsIt)
{
    Office& o = Office::instance();
    o.shutdown();
    TextDocument doc = TextDocument::createNew(true);
    EXPECT_TRUE(doc.startedOffice());
    doc.close();
    EXPECT_TRUE(doc.quitOfficeIfStarted());
    EXPECT_FALSE(o.isRunning());

    // An office that was already running is left running.
    o.ensureRunning();
    TextDocument other = TextDocument::createNew(true);
    EXPECT_FALSE(other.startedOffice());
    other.close();
    EXPECT_FALSE(other.quitOfficeIfStarted());
    EXPECT_TRUE(o.isRunning());
}

TEST(OfficeProcess, AHeadlessOfficeEndsWhenTheProgramIsKilled)
{
    if (qEnvironmentVariableIsSet("KALVETA_TEST_KILLED_PROGRAM")) {
        // The program that gets killed: it starts an office, tells which,
        // and dies without a chance to end it.
        Office& o = Office::instance();
        o.ensureRunning();
        std::printf("office %lld %s\n", o.processGroup(), qPrintable(o.dataFolder()));
        std::fflush(stdout);
        ::raise(SIGKILL);
    }
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KALVETA_TEST_KILLED_PROGRAM"), QStringLiteral("1"));
    program.setProcessEnvironment(env);
    program.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--gtest_filter=OfficeProcess.AHeadlessOfficeEndsWhenTheProgramIsKilled")});
    ASSERT_TRUE(program.waitForFinished(120000));
    const QStringList said = QString::fromLocal8Bit(program.readAllStandardOutput())
                                 .split(QLatin1Char('\n'))
                                 .filter(QStringLiteral("office "));
    ASSERT_EQ(said.size(), 1);
    const QStringList parts = said.first().trimmed().split(QLatin1Char(' '));
    const long long group = parts.value(1).toLongLong();
    ASSERT_GT(group, 0);
    bool ended = false;
    for (int i = 0; i < 100 && !ended; ++i) {
        ended = !groupAlive(group);
        if (!ended)
            QThread::msleep(100);
    }
    EXPECT_TRUE(ended);
    // The killed program could not remove its data folder either.
    if (ended && parts.size() > 2 && parts.at(2).startsWith(QDir::tempPath()))
        QDir(parts.at(2)).removeRecursively();
}

TEST(OfficeProcess, AStoreThatDoesNotReturnEndsTheOfficeAndLeavesNoFile)
{
    // An office that stops answering in the middle of a store (as its Word
    // export does on a full disk) is ended after the store's time limit;
    // the partial file goes, the next work gets a new office.
    Office& o = Office::instance();
    testsupport::TempFolder folder;
    const QString picture = officetest::writePicture(folder.file(QStringLiteral("p.png")));
    const QString source = folder.file(QStringLiteral("шаблон.dot"));
    officetest::makeTextTemplate(source, picture);
    TemplateDocument doc = TemplateDocument::fromTemplate(source);
    const long long group = o.processGroup();
    ASSERT_GT(group, 0);
    const int starts = o.startCount();
    const int limit = o.storeSeconds();
    o.setStoreSeconds(2);
    ::kill(-pid_t(group), SIGSTOP);
    const QString target = folder.file(QStringLiteral("документ.doc"));
    // The program's windows are repainted while it waits: its events are
    // handled before the store returns.
    bool handledMeanwhile = false;
    QTimer::singleShot(0, [&] { handledMeanwhile = true; });
    try {
        doc.storeAs(target);
        FAIL() << "stored";
    } catch (const Error& e) {
        EXPECT_TRUE(handledMeanwhile);
        EXPECT_EQ(e.kind(), ErrorKind::CannotStore);
        EXPECT_TRUE(e.detail().startsWith(QStringLiteral("Офисная программа не сохранила файл за 2 с"))) << e.what();
    }
    o.setStoreSeconds(limit);
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(QDir(folder.path()).entryList({QStringLiteral("lu*.tmp")}, QDir::Files), QStringList{});
    EXPECT_FALSE(groupAlive(group));
    TemplateDocument again = TemplateDocument::fromTemplate(source);
    again.storeAs(target);
    EXPECT_TRUE(QFileInfo::exists(target));
    EXPECT_EQ(o.startCount(), starts + 1);
    again.close();
}

TEST(OfficeProcess, AStoreInAnOfficeOfAnEarlierRunIsBoundedLikeOneStartedHere)
{
    // An office left running for the user by an earlier run is reused;
    // a store in it that does not return is ended after the same time
    // limit, and the next work starts an office of its own.
    Office& o = Office::instance();
    testsupport::TempFolder folder;
    const QString picture = officetest::writePicture(folder.file(QStringLiteral("p.png")));
    const QString source = folder.file(QStringLiteral("шаблон.dot"));
    officetest::makeTextTemplate(source, picture);
    o.shutdown();
    o.ensureRunning();
    const long long group = o.processGroup();
    CalcDocument shown = CalcDocument::createNew(false);  // the user's document keeps it running
    o.setHeadless(false);
    o.shutdown();
    o.setHeadless(true);
    ASSERT_TRUE(groupAlive(group));
    EXPECT_FALSE(o.ensureRunning());  // reused
    EXPECT_EQ(o.processGroup(), 0);

    TemplateDocument doc = TemplateDocument::fromTemplate(source);
    const int starts = o.startCount();
    const int limit = o.storeSeconds();
    o.setStoreSeconds(2);
    ::kill(-pid_t(group), SIGSTOP);
    const QString target = folder.file(QStringLiteral("документ.doc"));
    try {
        doc.storeAs(target);
        ADD_FAILURE() << "stored";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::CannotStore);
        EXPECT_TRUE(e.detail().startsWith(QStringLiteral("Офисная программа не сохранила файл за 2 с"))) << e.what();
    }
    o.setStoreSeconds(limit);
    ::kill(-pid_t(group), SIGCONT);
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_FALSE(groupAlive(group));
    TemplateDocument again = TemplateDocument::fromTemplate(source);
    again.storeAs(target);
    EXPECT_TRUE(QFileInfo::exists(target));
    EXPECT_EQ(o.startCount(), starts + 1);
    again.close();
}
