// What a killed run leaves in the program's folders, and the hold that tells
// a start whether another program still works in them.
#include "core/DatabaseSetup.h"
#include "newdb/NewDatabase.h"
#include "newdb/RowWriter.h"
#include "platform/office/TextDocument.h"
#include "shell/DatabaseFileCommands.h"
#include "shell/Leftovers.h"
#include "support/SecondProgram.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>

namespace {

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write("x");
}

// A template's checked copy as a save of process `pid` names it.
QString templateCopy(const QString& templatePath, qint64 pid)
{
    QDir().mkpath(QFileInfo(templatePath).absolutePath());
    QTemporaryFile f(office::templateCopyName(templatePath, QString::number(pid)));
    f.setAutoRemove(false);
    EXPECT_TRUE(f.open());
    return f.fileName();
}

// A process that has ended.
qint64 endedProcess()
{
    QProcess p;
    p.start(QStringLiteral("true"), {});
    p.waitForFinished(-1);
    return p.processId() > 0 ? p.processId() : 999999;
}

TEST(LeftoversTest, OnlyTheProgramsOwnNamesInTheirOwnFoldersGo)
{
    testsupport::TempFolder app, elsewhere;
    const QString templates = app.file(QStringLiteral("Шаблоны ЭЖ"));
    const QString working = elsewhere.file(QStringLiteral("рабочая.db"));
    const shell::ProgramFolders where{app.path(), templates, working};
    const QString archive = app.file(QStringLiteral("Архив"));
    const qint64 ended = endedProcess();
    const auto temporary = [](const QString& path, core::Temporary kind) { return core::freshTemporaryName(path, kind); };
    const QString archiveCopy = temporary(QDir(archive).filePath(shell::DatabaseFileCommands::datedCopyName(app.file(QStringLiteral("qv.db")))),
                                          core::Temporary::Copying);
    const QString staged = temporary(app.file(QStringLiteral("qv.db")), core::Temporary::Restoring);
    const QString making = temporary(app.file(QStringLiteral("qv.db")), core::Temporary::Creating);
    struct Case {
        QString file;
        bool leftover;
    };
    const Case cases[] = {
        {app.file(QStringLiteral("Документы/lu84123ahk2r.tmp")), true},
        {app.file(QStringLiteral("Документы/Список группы.ods")), false},
        {app.file(QStringLiteral("Документы/lu отчет.tmp")), false},
        {templateCopy(app.file(QStringLiteral("Документы/Кальвета.ott")), ended), false},  // never made there
        {templateCopy(QDir(templates).filePath(QStringLiteral("Кальвета.ott")), ended), true},
        {templateCopy(QDir(templates).filePath(QStringLiteral("Свидетельство.dot")), ended), true},
        {QDir(templates).filePath(QStringLiteral("lu2t7k9q.tmp")), true},
        {QDir(templates).filePath(QStringLiteral("Кальвета.ott")), false},
        {QDir(templates).filePath(QStringLiteral(".~kalveta-заметки.ott")), false},
        {archiveCopy, true},
        {archiveCopy + QStringLiteral("-journal"), true},
        {QDir(archive).filePath(QStringLiteral("qv 2024-03-05 14-30-12.db")), false},
        {QDir(archive).filePath(QStringLiteral("мои записи.part")), false},
        {staged, true},
        {staged + QStringLiteral("-journal"), true},
        {making, true},
        {making + QStringLiteral("-journal"), true},
        {temporary(app.file(QStringLiteral("другая.db")), core::Temporary::Creating), true},
        {temporary(app.file(QStringLiteral("как.db")), core::Temporary::Copying), true},
        {temporary(working, core::Temporary::Restoring), true},
        {temporary(working, core::Temporary::Creating), true},
        {app.file(QStringLiteral("qv.db")), false},
        {app.file(QStringLiteral("qv.db-journal")), false},  // the working file's, in the engine's hands
        {working, false},
        {app.file(QStringLiteral(".qv.db.заметки.restore")), false},
        {app.file(QStringLiteral("lu84123ahk2r.tmp")), false},  // the data folder itself gets no office files
    };
    for (const Case& c : cases)
        touch(c.file);
    // A file some process still writes (an office saving into the folder).
    const QString writing = app.file(QStringLiteral("Документы/lu5550000a.tmp"));
    touch(writing);
    QFile open(writing);
    ASSERT_TRUE(open.open(QIODevice::Append));

    int expected = 0;
    for (const Case& c : cases)
        expected += c.leftover ? 1 : 0;
    EXPECT_EQ(shell::removeLeftovers(where), expected);
    for (const Case& c : cases)
        EXPECT_EQ(QFileInfo::exists(c.file), !c.leftover) << c.file.toStdString();
    EXPECT_TRUE(QFileInfo::exists(writing));
    open.close();
    EXPECT_EQ(shell::findLeftovers(where), QStringList{writing});
}

// The making of a new database killed on the way (kill -9), as a program of
// its own.
int killedCreation()
{
    const std::vector<newdb::TableRows> content = newdb::newDatabaseContent(false);
    newdb::CreateNewDatabase(qEnvironmentVariable("KALVETA_KILLED_CREATION"), content,
                             [](newdb::CreationStep step, const char* table, jet::Database&) {
                                 if (step == newdb::CreationStep::Rows && std::strcmp(table, "SPGRUP") == 0)
                                     ::raise(SIGKILL);
                             });
    return 2;
}

const bool kKilledCreation = testsupport::registerProgramPart("killed-creation", &killedCreation);

TEST(LeftoversTest, AKilledCreationLeavesNothingAfterTheNextStart)
{
    testsupport::TempFolder app;
    const QString path = app.file(QStringLiteral("qv.db"));
    QProcess killed;
    QProcessEnvironment env;
    env.insert(QStringLiteral("KALVETA_KILLED_CREATION"), path);
    testsupport::startProgramPart(killed, "killed-creation", env);
    ASSERT_TRUE(killed.waitForFinished(-1));
    ASSERT_EQ(killed.exitStatus(), QProcess::CrashExit);
    // The file made so far, with the journal of its unfinished session.
    const QStringList left = QDir(app.path()).entryList(QDir::Files | QDir::Hidden);
    ASSERT_EQ(left.size(), 2) << left.join(QLatin1Char(' ')).toStdString();
    EXPECT_FALSE(QFileInfo::exists(path));

    const shell::ProgramFolders where{app.path(), app.file(QStringLiteral("Шаблоны ЭЖ")), path};
    EXPECT_EQ(shell::findLeftovers(where).size(), 2);
    EXPECT_EQ(shell::removeLeftovers(where), 2);
    EXPECT_TRUE(QDir(app.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(LeftoversTest, AFolderHeldByAnotherProgramIsNotHeldAlone)
{
    testsupport::TempFolder app, templates;
    const QStringList folders{app.path(), templates.path()};
    {
        shell::FolderHold first(folders);
        EXPECT_TRUE(first.alone());
        first.share();  // its start is over
        EXPECT_FALSE(first.alone());
        {
            shell::FolderHold second({templates.path()});
            EXPECT_FALSE(second.alone());
            EXPECT_FALSE(shell::FolderHold(folders).alone());
        }
        EXPECT_FALSE(shell::FolderHold({app.path()}).alone());
    }
    EXPECT_TRUE(shell::FolderHold(folders).alone());
    EXPECT_FALSE(shell::FolderHold({app.file(QStringLiteral("нет такой"))}).alone());
}

} // namespace
