// The database-file commands on real files: create, open, save as, copy,
// restore, compact, archive and mail, and that a failure leaves the previous
// database working.
#include "core/AppState.h"
#include "core/DataAccess.h"
#include "newdb/NewDatabase.h"
#include "platform/settings/Settings.h"
#include "shell/DatabaseFileCommands.h"
#include "shell/Leftovers.h"
#include "shell/Startup.h"
#include "support/SecondProgram.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QAbstractProxyModel>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

namespace {

using shell::DatabaseFileCommands;
using testsupport::SecondProgram;

const QString kUser = QString::fromLatin1(settings::kSectionUser);

void writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class DatabaseFileCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::clearSettings();
        core::resetState();
        core::state().AppPath = app.path();
        working = app.file(QStringLiteral("qv.db"));
        ASSERT_TRUE(newdb::CreateNewDatabase(working, true));
        addGroup(QStringLiteral("Группа в рабочей базе"));
    }
    void TearDown() override
    {
        ui::setDialogHandler({});
        core::CloseDatabase();
        core::resetState();
    }

    static void addGroup(const QString& name)
    {
        core::db().execute(QStringLiteral("INSERT INTO SPGRUP (NAIM) VALUES (?)"), {name});
    }
    static long groups(const QString& name)
    {
        return core::CountRecords(QStringLiteral("SELECT IDG FROM SPGRUP WHERE NAIM = ?"), {name});
    }
    static QString workingPath() { return core::db().path(); }
    // The previous database still answers queries.
    void expectStillWorking()
    {
        EXPECT_EQ(workingPath(), working);
        EXPECT_EQ(groups(QStringLiteral("Группа в рабочей базе")), 1);
    }

    testsupport::TempFolder app;
    testsupport::TempFolder removable;
    QString working;
    int childClosings = 0;
    bool childrenClose = true;
    DatabaseFileCommands commands{nullptr, [this] {
                                      ++childClosings;
                                      return childrenClose;
                                  }};
};

TEST_F(DatabaseFileCommandsTest, CreateMakesAReferenceOnlyDatabaseTheWorkingOne)
{
    testsupport::MessageRecorder messages;
    const QString path = app.file(QStringLiteral("новая.db"));
    ASSERT_TRUE(commands.createAt(path));
    EXPECT_EQ(workingPath(), path);
    EXPECT_EQ(childClosings, 1);
    EXPECT_EQ(settings::getSetting(kUser, QStringLiteral("DB")), QStringLiteral("новая.db"));
    EXPECT_EQ(core::CountRecords(QStringLiteral("SELECT ID FROM SPSTUD")), 0);  // no sample data
    EXPECT_GT(core::CountRecords(QStringLiteral("SELECT IDB FROM SPBALL")), 0);  // reference rows
    EXPECT_EQ(groups(QStringLiteral("Группа в рабочей базе")), 0);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.messages().front().icon(), ui::Information);

    // The old file was closed properly and opens again.
    EXPECT_NO_THROW(jet::Database::open(working));
}

TEST_F(DatabaseFileCommandsTest, CreateRefusesAnExistingFile)
{
    testsupport::MessageRecorder messages;
    const QString existing = app.file(QStringLiteral("занято.db"));
    writeFile(existing, "что-то свое");
    EXPECT_FALSE(commands.createAt(existing));
    EXPECT_EQ(readFile(existing), QByteArray("что-то свое"));
    EXPECT_FALSE(commands.createAt(working));
    EXPECT_EQ(messages.count(), 2);
    EXPECT_EQ(childClosings, 0);
    expectStillWorking();
}

TEST_F(DatabaseFileCommandsTest, CreateInAFolderThatCannotBeWrittenKeepsThePreviousDatabase)
{
    testsupport::MessageRecorder messages;
    EXPECT_FALSE(commands.createAt(QStringLiteral("/proc/нет/такой.db")));
    EXPECT_GE(messages.count(), 1);
    expectStillWorking();
}

TEST_F(DatabaseFileCommandsTest, OpenVerifiesAndSwitches)
{
    const QString other = app.file(QStringLiteral("другая.db"));
    {
        testsupport::MessageRecorder quiet;
        ASSERT_TRUE(newdb::CreateNewDatabase(other, true));
        addGroup(QStringLiteral("Группа другой базы"));
        core::CloseDatabase();
        ASSERT_TRUE(newdb::CreateNewDatabase(app.file(QStringLiteral("третья.db")), true));
        core::CloseDatabase();
        core::state().MainDatabase = jet::Database::open(working);
    }
    testsupport::MessageRecorder messages;
    ASSERT_TRUE(commands.openAt(other));
    EXPECT_EQ(workingPath(), other);
    EXPECT_EQ(groups(QStringLiteral("Группа другой базы")), 1);
    EXPECT_EQ(settings::getSetting(kUser, QStringLiteral("DB")), QStringLiteral("другая.db"));
    EXPECT_EQ(childClosings, 1);
    EXPECT_EQ(messages.count(), 0);

    // Opening the open one again changes nothing.
    EXPECT_FALSE(commands.openAt(other));
    EXPECT_EQ(childClosings, 1);
}

TEST_F(DatabaseFileCommandsTest, RefusedOpenLeavesThePreviousDatabaseWorking)
{
    const QString notADatabase = app.file(QStringLiteral("письмо.db"));
    writeFile(notADatabase, "Это текст, а не база данных.\n");
    testsupport::MessageRecorder messages;
    EXPECT_FALSE(commands.openAt(notADatabase));
    EXPECT_EQ(messages.count(), 1);
    EXPECT_EQ(childClosings, 0);  // the windows stay open
    expectStillWorking();
    addGroup(QStringLiteral("Еще одна"));
    EXPECT_EQ(groups(QStringLiteral("Еще одна")), 1);
    EXPECT_EQ(readFile(notADatabase), QByteArray("Это текст, а не база данных.\n"));

    EXPECT_FALSE(commands.openAt(app.file(QStringLiteral("нет такого.db"))));
    expectStillWorking();
}

TEST_F(DatabaseFileCommandsTest, SaveAsCopiesAndContinuesWithTheCopy)
{
    testsupport::MessageRecorder messages;
    const QString copy = removable.file(QStringLiteral("копия.db"));
    ASSERT_TRUE(commands.saveAsAt(copy));
    EXPECT_EQ(workingPath(), copy);
    EXPECT_EQ(groups(QStringLiteral("Группа в рабочей базе")), 1);
    EXPECT_EQ(settings::getSetting(kUser, QStringLiteral("DB")), copy);
    EXPECT_EQ(QDir(removable.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("копия.db")});
    addGroup(QStringLiteral("Только в копии"));

    // The original stays as it was.
    core::CloseDatabase();
    core::state().MainDatabase = jet::Database::open(working);
    EXPECT_EQ(groups(QStringLiteral("Только в копии")), 0);
    EXPECT_EQ(groups(QStringLiteral("Группа в рабочей базе")), 1);

    EXPECT_FALSE(commands.saveAsAt(working));  // not over itself
    expectStillWorking();
}

// The folder dialogs of the removable-disk commands start where the user's
// disks are mounted, whichever variable names the user.
TEST(RemovableDisksFolderTest, StartsWhereTheUsersDisksAreMounted)
{
    const QByteArray user = qgetenv("USER");
    const QByteArray logname = qgetenv("LOGNAME");
    testsupport::TempFolder root;
    const struct {
        const char* user;
        const char* logname;
        const char* mounted;  // folder made under the root; "" none
        const char* expected; // under the root; "" the home folder
    } cases[] = {
        {"anna", "", "media/anna", "media/anna"},
        {"anna", "", "run/media/anna", "run/media/anna"},
        {"", "anna", "media/anna", "media/anna"},        // no USER in the environment
        {"anna", "", "media/boris", ""},
        {"anna", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mounted);
        QDir(root.path()).removeRecursively();
        QDir().mkpath(root.path());
        if (*c.mounted)
            QDir(root.path()).mkpath(QString::fromUtf8(c.mounted));
        qputenv("USER", c.user);
        qputenv("LOGNAME", c.logname);
        const QString expected = *c.expected ? QDir::cleanPath(root.file(QString::fromUtf8(c.expected))) : QDir::homePath();
        EXPECT_EQ(shell::removableDisksFolder(root.path()), expected);
    }
    qputenv("USER", user);
    qputenv("LOGNAME", logname);
}

TEST_F(DatabaseFileCommandsTest, CopyToARemovableDiskKeepsWorkingOnTheOriginal)
{
    testsupport::MessageRecorder messages;
    const QString copy = commands.copyInto(removable.path());
    ASSERT_EQ(copy, removable.file(QStringLiteral("qv.db")));
    expectStillWorking();
    EXPECT_EQ(childClosings, 0);
    {
        auto db = jet::Database::open(copy);
        EXPECT_EQ(jet::toLong(db->scalar(QStringLiteral("SELECT COUNT(*) FROM SPGRUP WHERE NAIM = ?"),
                                         {QStringLiteral("Группа в рабочей базе")})),
                  1);
    }

    // A copy already there is replaced only when the user agrees.
    writeFile(copy, "старая копия");
    messages.clear();
    messages.answer(ui::No);
    EXPECT_TRUE(commands.copyInto(removable.path()).isEmpty());
    EXPECT_EQ(readFile(copy), QByteArray("старая копия"));
    EXPECT_EQ(messages.messages().front().defaultButton(), ui::DefaultButton2);
    messages.answer(ui::Yes);
    EXPECT_EQ(commands.copyInto(removable.path()), copy);
    EXPECT_NO_THROW(jet::Database::open(copy));

    EXPECT_TRUE(commands.copyInto(app.path()).isEmpty());  // not over the working file
    expectStillWorking();
}

TEST_F(DatabaseFileCommandsTest, RestoreReplacesTheDatabaseAndArchivesTheOldOne)
{
    testsupport::MessageRecorder messages;
    const QString copy = commands.copyInto(removable.path());
    ASSERT_FALSE(copy.isEmpty());
    const QByteArray copyBytes = readFile(copy);
    addGroup(QStringLiteral("После копии"));

    // Declined: nothing happens.
    messages.clear();
    messages.answer(ui::No);
    EXPECT_FALSE(commands.restoreFrom(copy));
    EXPECT_EQ(groups(QStringLiteral("После копии")), 1);

    messages.clear();
    messages.answer(ui::Yes);
    ASSERT_TRUE(commands.restoreFrom(copy));
    EXPECT_EQ(workingPath(), working);
    EXPECT_EQ(groups(QStringLiteral("После копии")), 0);
    EXPECT_EQ(groups(QStringLiteral("Группа в рабочей базе")), 1);
    EXPECT_EQ(childClosings, 1);
    EXPECT_EQ(shell::findLeftovers({app.path(), QString(), working}), QStringList());

    // The replaced database is in the archive, whole.
    const QStringList archived = QDir(app.file(QStringLiteral("Архив"))).entryList(QDir::Files);
    ASSERT_EQ(archived.size(), 1);
    auto old = jet::Database::open(QDir(app.file(QStringLiteral("Архив"))).filePath(archived.first()));
    EXPECT_EQ(jet::toLong(old->scalar(QStringLiteral("SELECT COUNT(*) FROM SPGRUP WHERE NAIM = ?"),
                                      {QStringLiteral("После копии")})),
              1);
    // The copy on the removable disk is left as it was.
    EXPECT_EQ(readFile(copy), copyBytes);
}

TEST_F(DatabaseFileCommandsTest, RestoreFromABrokenCopyChangesNothing)
{
    const QString broken = removable.file(QStringLiteral("qv.db"));
    writeFile(broken, "испорченная копия");
    testsupport::MessageRecorder messages;
    messages.answer(ui::Yes);
    EXPECT_FALSE(commands.restoreFrom(broken));
    EXPECT_EQ(messages.count(), 2);  // the question and the refusal
    EXPECT_EQ(childClosings, 0);
    expectStillWorking();
    // Nothing but the working file and the journal the engine keeps beside it.
    for (const QString& name : QDir(app.path()).entryList(QDir::Files | QDir::Hidden))
        EXPECT_TRUE(name.startsWith(QStringLiteral("qv.db"))) << name.toStdString();
    EXPECT_TRUE(QDir(app.file(QStringLiteral("Архив"))).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(readFile(broken), QByteArray("испорченная копия"));
}

TEST_F(DatabaseFileCommandsTest, WindowsThatStayOpenStopTheSwitch)
{
    childrenClose = false;
    testsupport::MessageRecorder messages;
    EXPECT_FALSE(commands.createAt(app.file(QStringLiteral("новая.db"))));
    EXPECT_FALSE(QFileInfo::exists(app.file(QStringLiteral("новая.db"))));
    EXPECT_FALSE(commands.saveAsAt(removable.file(QStringLiteral("копия.db"))));
    expectStillWorking();
}

TEST_F(DatabaseFileCommandsTest, CompactAndArchive)
{
    for (int i = 0; i < 200; ++i)
        addGroup(QStringLiteral("Временная группа %1").arg(i));
    core::db().execute(QStringLiteral("DELETE FROM SPGRUP WHERE NAIM LIKE ?"), {QStringLiteral("Временная%")});

    testsupport::MessageRecorder messages;
    ASSERT_TRUE(commands.compactNow());
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.texts().first().contains(QStringLiteral("Проверка целостности ошибок не обнаружила")));
    EXPECT_EQ(messages.messages().front().icon(), ui::Information);
    expectStillWorking();

    const QString archived = commands.archiveNow();
    ASSERT_FALSE(archived.isEmpty());
    EXPECT_EQ(QFileInfo(archived).absolutePath(), app.file(QStringLiteral("Архив")));
    EXPECT_TRUE(QFileInfo(archived).fileName().startsWith(QStringLiteral("qv ")));
    EXPECT_TRUE(archived.endsWith(QStringLiteral(".db")));
    auto copy = jet::Database::open(archived);
    EXPECT_EQ(jet::toText(copy->scalar(QStringLiteral("PRAGMA integrity_check"))), QStringLiteral("ok"));
    expectStillWorking();
}

TEST_F(DatabaseFileCommandsTest, MailAttachesACopyOrSaysThereIsNoMailProgram)
{
    const QByteArray path = qgetenv("PATH");
    const QString bin = app.file(QStringLiteral("bin"));
    QDir().mkpath(bin);
    testsupport::MessageRecorder messages;

    qputenv("PATH", bin.toLocal8Bit());
    EXPECT_FALSE(commands.mailNow());
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.texts().first().startsWith(QStringLiteral("Почтовая программа недоступна")));

    const QString argsFile = app.file(QStringLiteral("аргументы.txt"));
    writeFile(QDir(bin).filePath(QStringLiteral("xdg-email")),
              "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > \"" + argsFile.toUtf8() + "\"\n");
    QFile::setPermissions(QDir(bin).filePath(QStringLiteral("xdg-email")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", bin.toLocal8Bit() + ':' + path);
    ASSERT_TRUE(commands.mailNow());
    qputenv("PATH", path);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(argsFile).size() > 0, 5000);
    const QStringList args = QString::fromUtf8(readFile(argsFile)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const int attach = args.indexOf(QStringLiteral("--attach"));
    ASSERT_GE(attach, 0);
    const QString attachment = args.value(attach + 1);
    EXPECT_EQ(QFileInfo(attachment).fileName(), QStringLiteral("qv.db"));
    EXPECT_NO_THROW(jet::Database::open(attachment));
    expectStillWorking();
}

TEST_F(DatabaseFileCommandsTest, MenuCommandTakesTheFileChosenInTheDialog)
{
    const QString path = app.file(QStringLiteral("из диалога.db"));
    QString title;
    ui::setDialogHandler([&](QDialog* d) {
        auto* dialog = qobject_cast<QFileDialog*>(d);
        title = d->windowTitle();
        dialog->selectFile(path);
        return int(QDialog::Accepted);
    });
    testsupport::MessageRecorder messages;
    commands.create();
    EXPECT_EQ(title, QStringLiteral("Создать базу данных"));
    EXPECT_EQ(workingPath(), path);

    // Cancelled: nothing changes.
    ui::setDialogHandler([](QDialog*) { return int(QDialog::Rejected); });
    commands.open();
    commands.saveAs();
    commands.copyToRemovableDisk();
    commands.restoreFromRemovableDisk();
    EXPECT_EQ(workingPath(), path);
}

// Shows a file dialog on `folder` and waits until its list shows the kind of
// every entry (the moment a list that read the files would have read them);
// ten seconds at most. Then closes it.
int listFolder(QDialog* d, const QString& folder)
{
    auto* dialog = qobject_cast<QFileDialog*>(d);
    auto* list = dialog ? dialog->proxyModel() : nullptr;
    auto* files = list ? qobject_cast<QFileSystemModel*>(list->sourceModel()) : nullptr;
    if (!files)
        return int(QDialog::Rejected);
    dialog->setDirectory(folder);
    dialog->setViewMode(QFileDialog::Detail);
    dialog->show();
    const QModelIndex root = list->mapFromSource(files->index(folder));
    const auto listed = [&] {
        if (list->rowCount(root) == 0)
            return false;
        for (int row = 0; row < list->rowCount(root); ++row)
            if (list->index(row, 2, root).data().toString().isEmpty())
                return false;
        return true;
    };
    for (int i = 0; i < 1000 && !listed(); ++i)
        QTest::qWait(10);
    EXPECT_TRUE(listed()) << folder.toStdString();
    dialog->reject();
    return int(QDialog::Rejected);
}

// The database engine's own lock, which other programs using the engine (the
// sqlite3 shell) honour, holds while the program works on its file: after
// every file dialog listed the file's folder, and after every command that
// copies, compacts or replaces the file.
TEST_F(DatabaseFileCommandsTest, TheEnginesOwnLockHoldsAfterEveryFileDialogAndCommand)
{
    if (!testsupport::outsideRead(working))
        GTEST_SKIP() << "no sqlite3 shell here";
    QDir().mkpath(app.file(QStringLiteral("Архив")));
    writeFile(app.file(QStringLiteral("заметки.txt")), "текст");
    ui::setDialogHandler([&](QDialog* d) { return listFolder(d, QFileInfo(workingPath()).absolutePath()); });
    testsupport::MessageRecorder messages;
    QString copy;
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"nothing yet", [] {}},
        {"the open dialog", [&] { commands.open(); }},
        {"the save-as dialog", [&] { commands.saveAs(); }},
        {"the create dialog", [&] { commands.create(); }},
        {"the folder dialog", [&] { commands.copyToRemovableDisk(); }},
        {"the restore dialog", [&] { commands.restoreFromRemovableDisk(); }},
        {"archive", [&] { EXPECT_FALSE(commands.archiveNow().isEmpty()); }},
        {"compaction", [&] { EXPECT_TRUE(commands.compactNow()); }},
        {"a copy to a removable disk", [&] { copy = commands.copyInto(removable.path()); }},
        {"restore",
         [&] {
             messages.answer(ui::Yes);
             EXPECT_TRUE(commands.restoreFrom(copy));
         }},
        {"save as", [&] { EXPECT_TRUE(commands.saveAsAt(app.file(QStringLiteral("как.db")))); }},
        {"create", [&] { EXPECT_TRUE(commands.createAt(app.file(QStringLiteral("новая.db")))); }},
    };
    for (const auto& [what, step] : steps) {
        SCOPED_TRACE(what);
        step();
        const std::optional<QString> said = testsupport::outsideRead(workingPath());
        ASSERT_TRUE(said.has_value());
        EXPECT_TRUE(said->contains(QStringLiteral("locked"))) << said->toStdString();
    }
}

// A second program that tries to open the working file again and again while
// it is replaced (a restore) or made (a new database) never gets in: the file
// is held at every moment, and the program works on the file under the name.
TEST_F(DatabaseFileCommandsTest, ASecondProgramNeverGetsInWhileTheFileIsReplacedOrMade)
{
    testsupport::MessageRecorder messages;
    const QString copy = commands.copyInto(removable.path());
    ASSERT_FALSE(copy.isEmpty());
    const QString made = app.file(QStringLiteral("новая.db"));
    const QString first = app.file(QStringLiteral("первая.db"));
    struct Case {
        const char* what;
        QString path;
        std::function<bool()> run;
        bool madeAnew;
    };
    const Case cases[] = {
        {"restore", working,
         [&] {
             messages.answer(ui::Yes);
             return commands.restoreFrom(copy);
         },
         false},
        {"create", made, [&] { return commands.createAt(made); }, true},
        {"first start", first, [&] { return shell::prepareWorkingDatabase(first); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto second = SecondProgram::looping(c.path);
        ASSERT_TRUE(second.ready());
        ASSERT_TRUE(c.run());
        addGroup(QStringLiteral("Записана после замены"));
        const SecondProgram::Tries tries = second.stop();
        EXPECT_EQ(tries.opened, 0);
        EXPECT_EQ(tries.failed, 0);
        EXPECT_GT(tries.refused, 0);
        EXPECT_EQ(tries.missing > 0, c.madeAnew);
        core::CloseDatabase();
        core::state().MainDatabase = jet::Database::open(c.path);
        EXPECT_EQ(groups(QStringLiteral("Записана после замены")), 1);
    }
}

TEST_F(DatabaseFileCommandsTest, FileDialogsNameFoldersAndSizesInRussian)
{
    QDir().mkpath(app.file(QStringLiteral("Архив")));
    const QString other = app.file(QStringLiteral("другая.db"));
    {
        QFile f(other);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(3 * 1024, 'x'));
    }
    const QDateTime stamp(QDate(2024, 12, 11), QTime(14, 30));
    {
        QFile f(other);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(stamp, QFileDevice::FileModificationTime));
    }
    QString folderType, folderSize, fileSize, fileType, fileDate;
    ui::setDialogHandler([&](QDialog* d) {
        auto* dialog = qobject_cast<QFileDialog*>(d);
        auto* list = dialog ? dialog->proxyModel() : nullptr;
        auto* files = list ? qobject_cast<QFileSystemModel*>(list->sourceModel()) : nullptr;
        if (!files)
            return int(QDialog::Rejected);
        const QModelIndex folder = list->mapFromSource(files->index(app.file(QStringLiteral("Архив"))));
        const QModelIndex file = list->mapFromSource(files->index(other));
        // The list is read in the background: waited for, ten seconds at most.
        for (int i = 0; i < 1000 && list->index(file.row(), 2, file.parent()).data().toString().isEmpty(); ++i)
            QTest::qWait(10);
        folderType = list->index(folder.row(), 2, folder.parent()).data().toString();
        folderSize = list->index(folder.row(), 1, folder.parent()).data().toString();
        fileSize = list->index(file.row(), 1, file.parent()).data().toString();
        fileType = list->index(file.row(), 2, file.parent()).data().toString();
        fileDate = list->index(file.row(), 3, file.parent()).data().toString();
        return int(QDialog::Rejected);
    });
    commands.open();
    EXPECT_EQ(folderType, QStringLiteral("Папка"));
    EXPECT_EQ(folderSize, QString());
    EXPECT_EQ(fileSize, QStringLiteral("3,0 кБ"));
    // The kind from the name alone: this file of random bytes is no database.
    EXPECT_EQ(fileType, QStringLiteral("Файл DB"));
    EXPECT_EQ(fileDate, QStringLiteral("11.12.2024 14:30"));
}

} // namespace
