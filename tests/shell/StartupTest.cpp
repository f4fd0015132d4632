// Start-up: the data folder and its first filling, the working database, the
// one-time office notice, the password and the whole sequence as a new user
// meets it.
#include "ShellStandIns.h"

#include "core/AppState.h"
#include "core/DataAccess.h"
#include "core/DatabaseSetup.h"
#include "newdb/NewDatabase.h"
#include "platform/office/TextDocument.h"
#include "platform/settings/Settings.h"
#include "shell/Leftovers.h"
#include "shell/MainWindow.h"
#include "shell/Startup.h"
#include "shell/UserManual.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QRandomGenerator>
#include <QTemporaryFile>
#include <QTest>
#include <gtest/gtest.h>
#include <QSettings>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kUser = QString::fromLatin1(settings::kSectionUser);

// The notice a new user is shown once: which office programs the program
// works with and where the choice is made.
const QString kOfficeNotice = QStringLiteral(
    "Эта программа может работать как с Microsoft Office (Word, Excel), так и с бесплатным офисным пакетом "
    "OpenOffice.org (Writer, Calc). Выбрать офисную программу Вы можете: Справочники - Учреждение - Офисная "
    "программа.\nПо умолчанию используется Microsoft Office. \nГотовые документы: Кальветы, книга регистрации "
    "выданных сертификатов, импорт данных в справочники и их распечатка будут выполняться с использованием "
    "выбранной Вами программы.");

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// KALVETA_HOME for one test.
class HomeFolder {
public:
    explicit HomeFolder(const QString& path)
        : previous_(qgetenv("KALVETA_HOME"))
    {
        qputenv("KALVETA_HOME", path.toUtf8());
    }
    ~HomeFolder() { qputenv("KALVETA_HOME", previous_); }

private:
    QByteArray previous_;
};

// A small disk of its own for the data folder (a memory file system mounted
// for the test); mounting needs the right to mount.
class SmallDisk {
public:
    explicit SmallDisk(const char* size)
    {
        mounted_ = ::mount("tmpfs", QFile::encodeName(folder_.path()).constData(), "tmpfs", 0,
                           (QByteArrayLiteral("size=") + size).constData())
            == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount2(QFile::encodeName(folder_.path()).constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    QString path() const { return folder_.path(); }
    QString file(const QString& name) const { return folder_.file(name); }

private:
    testsupport::TempFolder folder_;
    bool mounted_ = false;
};

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::clearSettings();
        core::resetState();
        core::state().AppPath = app.path();
    }
    void TearDown() override
    {
        core::CloseDatabase();
        core::resetState();
    }
    testsupport::TempFolder app;
};

TEST_F(StartupTest, DataFolderComesFromTheEnvironment)
{
    HomeFolder home(app.file(QStringLiteral("дом")));
    EXPECT_EQ(shell::resolveAppPath(), app.file(QStringLiteral("дом")));
}

TEST_F(StartupTest, WorkingDatabaseFileFromTheSetting)
{
    const QString a = app.path();
    struct Case {
        QString setting;
        QString path;
    };
    const Case cases[] = {
        {QString(), a + QStringLiteral("/qv.db")},
        {QStringLiteral("qv.db"), a + QStringLiteral("/qv.db")},
        {QStringLiteral("учёт 2024.db"), a + QStringLiteral("/учёт 2024.db")},
        {QStringLiteral("/srv/данные/qv.db"), QStringLiteral("/srv/данные/qv.db")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::databasePathFromSetting(c.setting, a), c.path) << c.setting.toStdString();

    EXPECT_EQ(shell::databaseSettingFor(a + QStringLiteral("/другая.db"), a), QStringLiteral("другая.db"));
    EXPECT_EQ(shell::databaseSettingFor(QStringLiteral("/mnt/флешка/qv.db"), a), QStringLiteral("/mnt/флешка/qv.db"));
}

TEST_F(StartupTest, SwitchTexts)
{
    struct Case {
        const char* text;
        std::optional<bool> value;
    };
    const Case cases[] = {
        {"-1", true}, {"1", true}, {"0", false}, {"True", true}, {"false", false},
        {" 2 ", true}, {"", std::nullopt}, {"да", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::settingAsBool(QString::fromUtf8(c.text)), c.value) << c.text;
}

TEST_F(StartupTest, FirstStartCopiesTheShippedFoldersOnce)
{
    testsupport::TempFolder shipped;
    writeFile(shipped.file(QStringLiteral("Шаблоны ЭЖ/Группы.ots")), "template");
    writeFile(shipped.file(QStringLiteral("Помощник ЭЖ/index.htm")), "<html/>");
    writeFile(shipped.file(QStringLiteral("Помощник ЭЖ/картинки/1.png")), "png");
    QFile::setPermissions(shipped.file(QStringLiteral("Шаблоны ЭЖ/Группы.ots")), QFile::ReadOwner);

    shell::fillAppFolder(app.path(), shipped.path());
    EXPECT_TRUE(QFileInfo(app.file(QStringLiteral("Помощник ЭЖ/картинки/1.png"))).isFile());
    const QFileInfo copied(app.file(QStringLiteral("Шаблоны ЭЖ/Группы.ots")));
    ASSERT_TRUE(copied.isFile());
    EXPECT_TRUE(copied.isWritable());  // templates are adjusted in place
    EXPECT_FALSE(QFileInfo::exists(app.file(QStringLiteral("Шаблоны ЭЖ.part"))));

    // The user's own changes are never overwritten by a later start.
    writeFile(app.file(QStringLiteral("Шаблоны ЭЖ/Группы.ots")), "edited");
    shell::fillAppFolder(app.path(), shipped.path());
    QFile f(app.file(QStringLiteral("Шаблоны ЭЖ/Группы.ots")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("edited"));
}

TEST_F(StartupTest, TemplatesComeFromTheirOwnFolderWhenOneIsGiven)
{
    testsupport::TempFolder shipped;
    testsupport::TempFolder built;
    writeFile(shipped.file(QStringLiteral("Шаблоны ЭЖ/старый.ots")), "source tree");
    writeFile(shipped.file(QStringLiteral("Помощник ЭЖ/index.htm")), "<html/>");
    writeFile(built.file(QStringLiteral("Справочники (шаблон).ots")), "built");

    shell::fillAppFolder(app.path(), shipped.path(), built.path());
    EXPECT_TRUE(QFileInfo(app.file(QStringLiteral("Шаблоны ЭЖ/Справочники (шаблон).ots"))).isFile());
    EXPECT_FALSE(QFileInfo::exists(app.file(QStringLiteral("Шаблоны ЭЖ/старый.ots"))));
    EXPECT_TRUE(QFileInfo(app.file(QStringLiteral("Помощник ЭЖ/index.htm"))).isFile());
}

TEST_F(StartupTest, TemplatesOfTheBuildTreeWhenRunFromIt)
{
    EXPECT_EQ(shell::shippedTemplatesFolder(), testsupport::builtTemplatesFolder());
}

TEST_F(StartupTest, FirstStartCopiesTheUserManualOnce)
{
    testsupport::TempFolder shipped;
    const QString manual = shipped.file(QStringLiteral("Руководство пользователя.doc"));
    const QString copy = app.file(QStringLiteral("Руководство пользователя.doc"));

    shell::fillUserManual(app.path(), manual);  // nothing shipped: nothing copied
    EXPECT_FALSE(shell::userManualExists());

    writeFile(manual, "manual");
    shell::fillUserManual(app.path(), manual);
    EXPECT_TRUE(shell::userManualExists());
    EXPECT_EQ(shell::userManualPath(), copy);
    EXPECT_FALSE(QFileInfo::exists(copy + QStringLiteral(".part")));

    // The copy in the data folder is the user's: a later start leaves it.
    writeFile(copy, "own");
    shell::fillUserManual(app.path(), manual);
    QFile f(copy);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("own"));
}

TEST_F(StartupTest, ShippedDataOfTheSourceTreeWhenRunFromTheBuildTree)
{
    const QString shipped = shell::shippedDataFolder();
    EXPECT_TRUE(QFileInfo(QDir(shipped).filePath(QStringLiteral("Помощник ЭЖ/index.htm"))).isFile()) << shipped.toStdString();
    EXPECT_TRUE(QFileInfo(QDir(shipped).filePath(QStringLiteral("CMakeLists.txt"))).isFile()) << shipped.toStdString();
}

TEST_F(StartupTest, FirstStartCreatesTheSampleDatabaseAndTheNextOneReopensIt)
{
    testsupport::MessageRecorder messages;
    const QString path = app.file(QStringLiteral("qv.db"));
    ASSERT_TRUE(shell::prepareWorkingDatabase(path));
    EXPECT_EQ(core::db().path(), path);
    const long students = core::CountRecords(QStringLiteral("SELECT ID FROM SPSTUD"));
    EXPECT_GT(students, 0);  // the sample data
    // The office choice survives a restart.
    core::db().execute(QStringLiteral("UPDATE INF SET OOo = 2"));
    core::CloseDatabase();
    core::state().OfficeIsOOo = false;

    ASSERT_TRUE(shell::prepareWorkingDatabase(path));
    EXPECT_EQ(core::CountRecords(QStringLiteral("SELECT ID FROM SPSTUD")), students);
    EXPECT_TRUE(core::state().OfficeIsOOo);
    EXPECT_EQ(messages.count(), 0);
}

// The working database is opened (and so checked) once; the connection that
// checked it is the one the program works with.
TEST_F(StartupTest, TheStartOpensTheFileOnce)
{
    const QString path = app.file(QStringLiteral("qv.db"));
    {
        testsupport::MessageRecorder quiet;
        ASSERT_TRUE(shell::prepareWorkingDatabase(path));
        core::CloseDatabase();
    }
    const int watcher = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watcher, 0);
    ASSERT_GE(inotify_add_watch(watcher, QFile::encodeName(path).constData(), IN_OPEN), 0);
    testsupport::MessageRecorder messages;
    ASSERT_TRUE(shell::prepareWorkingDatabase(path, true));
    int opens = 0;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = ::read(watcher, buffer, sizeof buffer)) > 0;)
        for (char* p = buffer; p < buffer + n; p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len)
            opens += (reinterpret_cast<inotify_event*>(p)->mask & IN_OPEN) ? 1 : 0;
    ::close(watcher);
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(messages.count(), 0);
    EXPECT_GT(core::CountRecords(QStringLiteral("SELECT ID FROM SPSTUD")), 0);
}

TEST_F(StartupTest, ASecondCopyOnTheSameDatabaseIsRefused)
{
    const QString path = app.file(QStringLiteral("qv.db"));
    {
        testsupport::MessageRecorder quiet;
        ASSERT_TRUE(shell::prepareWorkingDatabase(path));
    }
    // The first copy keeps the file open; the second one gets its own state.
    std::unique_ptr<jet::Database> first = std::move(core::state().MainDatabase);

    testsupport::MessageRecorder messages;
    EXPECT_FALSE(shell::prepareWorkingDatabase(path));
    EXPECT_EQ(core::state().MainDatabase, nullptr);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.texts().first().contains(QStringLiteral("требуется монопольный доступ")));
    EXPECT_EQ(messages.messages().front().icon(), ui::Exclamation);
}

TEST_F(StartupTest, ANonDatabaseFileEndsTheStart)
{
    const QString path = app.file(QStringLiteral("qv.db"));
    writeFile(path, "это не база данных");
    testsupport::MessageRecorder messages;
    EXPECT_FALSE(shell::prepareWorkingDatabase(path));
    EXPECT_EQ(messages.count(), 1);
    EXPECT_EQ(core::state().MainDatabase, nullptr);
}

// The whole sequence, as a new user starts the program twice.
class MainSequenceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::clearSettings();
        core::resetState();
        ui::setDialogHandler([this](QDialog* d) {
            dialogs << QString::fromLatin1(d->metaObject()->className());
            return int(QDialog::Rejected);
        });
    }
    void TearDown() override
    {
        ui::setDialogHandler({});
        core::CloseDatabase();
        core::resetState();
    }
    // Runs the start-up; closes the main window it shows.
    shell::StartResult start(QString* title = nullptr, QString* status = nullptr)
    {
        shell::MainWindow* window = nullptr;
        const shell::StartResult result = shell::Main(&window);
        if (window) {
            if (title)
                *title = window->windowTitle();
            if (status)
                *status = window->statusPanel(1)->text();
            window->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        core::CloseDatabase();
        return result;
    }

    testsupport::TempFolder home;
    HomeFolder env{home.path()};
    QStringList dialogs;
};

TEST_F(MainSequenceTest, NewUserSeesTheNoticeOnceAndGetsTheSampleDatabase)
{
    testsupport::MessageRecorder messages;
    QString title, status;
    ASSERT_EQ(start(&title, &status), shell::StartResult::MainWindowShown);
    EXPECT_EQ(title, QStringLiteral("Кальвета"));
    EXPECT_EQ(status, QStringLiteral("Готово"));
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.texts().first(), kOfficeNotice);
    EXPECT_EQ(messages.messages().front().icon(), ui::Information);
    EXPECT_EQ(settings::getSetting(kUser, QStringLiteral("bMesOOo")), QStringLiteral("-1"));
    EXPECT_TRUE(dialogs.isEmpty());  // no password stored: no password dialog

    const QString db = home.file(QStringLiteral("qv.db"));
    EXPECT_TRUE(QFileInfo(db).isFile());
    EXPECT_TRUE(QFileInfo(home.file(QStringLiteral("Помощник ЭЖ/index.htm"))).isFile());
    EXPECT_EQ(core::state().TemplatesFolder, home.file(QStringLiteral("Шаблоны ЭЖ")));
    EXPECT_EQ(core::state().HelpPagePath, home.file(QStringLiteral("Помощник ЭЖ/index.htm")));
    EXPECT_EQ(core::state().DefaultTemplateNames[5], QStringLiteral("Кальвета"));
    EXPECT_FALSE(core::state().OfficeIsOOo);
    // The institution chooses the other office program; the next start reads it.
    jet::Database::open(db)->execute(QStringLiteral("UPDATE INF SET OOo = 2"));

    messages.clear();
    ASSERT_EQ(start(), shell::StartResult::MainWindowShown);
    EXPECT_EQ(messages.count(), 0);
    EXPECT_TRUE(core::state().OfficeIsOOo);  // the same database, reopened
    EXPECT_EQ(settings::getSetting(kUser, QStringLiteral("bMesOOo")), QStringLiteral("-1"));
}

TEST_F(MainSequenceTest, NewUserGetsTheUserManualBuiltWithTheProgram)
{
    if (!QFileInfo(shell::shippedUserManual()).isFile())
        GTEST_SKIP() << "the user manual was not built: " << shell::shippedUserManual().toStdString();
    testsupport::MessageRecorder messages;
    shell::MainWindow* window = nullptr;
    ASSERT_EQ(shell::Main(&window), shell::StartResult::MainWindowShown);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(QFileInfo(home.file(QStringLiteral("Руководство пользователя.doc"))).isFile());
    EXPECT_TRUE(window->menuItem(QStringLiteral("mnuHelpManual"))->isEnabled());
    EXPECT_TRUE(window->toolbarItem(QStringLiteral("keyHelp"))->isEnabled());
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(MainSequenceTest, UnreadableNoticeSwitchReportsAndShowsTheNotice)
{
    settings::saveSetting(kUser, QStringLiteral("bMesOOo"), QStringLiteral("может быть"));
    testsupport::MessageRecorder messages;
    ASSERT_EQ(start(), shell::StartResult::MainWindowShown);
    ASSERT_EQ(messages.count(), 2);
    EXPECT_TRUE(messages.texts().at(0).startsWith(QStringLiteral("Произошла непредвиденная ошибка. 13 ")));
    EXPECT_EQ(messages.texts().at(1), kOfficeNotice);
    EXPECT_EQ(settings::getSetting(kUser, QStringLiteral("bMesOOo")), QStringLiteral("-1"));
}

TEST_F(MainSequenceTest, RefusedPasswordEndsWithoutTouchingTheDatabase)
{
    settings::saveSetting(kUser, QStringLiteral("bMesOOo"), QStringLiteral("-1"));
    settings::saveSetting(kUser, QStringLiteral("Passw"), QStringLiteral("секрет"));
    testsupport::MessageRecorder messages;
    EXPECT_EQ(start(), shell::StartResult::Refused);
    EXPECT_EQ(dialogs, QStringList{QStringLiteral("shell::LoginDialog")});
    EXPECT_FALSE(QFileInfo::exists(home.file(QStringLiteral("qv.db"))));
    EXPECT_EQ(shell::MainWindow::find(), nullptr);
}

TEST_F(MainSequenceTest, FailedDatabaseStepEndsWithoutAMainWindow)
{
    settings::saveSetting(kUser, QStringLiteral("bMesOOo"), QStringLiteral("-1"));
    writeFile(home.file(QStringLiteral("qv.db")), "это не база данных");
    testsupport::MessageRecorder messages;
    EXPECT_EQ(start(), shell::StartResult::Failed);
    EXPECT_EQ(messages.count(), 1);
    EXPECT_EQ(shell::MainWindow::find(), nullptr);
}

// A database that the setting "DB" names and that is not there is never
// replaced silently: the user is told and chooses what happens.
class MissingDatabaseTest : public MainSequenceTest {
protected:
    void SetUp() override
    {
        MainSequenceTest::SetUp();
        settings::saveSetting(kUser, QStringLiteral("bMesOOo"), QStringLiteral("-1"));
        settings::saveSetting(kUser, QStringLiteral("DB"), missing);
        ui::setDialogHandler([this](QDialog* d) {
            dialogs << d->windowTitle();
            auto* files = qobject_cast<QFileDialog*>(d);
            if (!files || chosen.isEmpty())
                return int(QDialog::Rejected);
            files->selectFile(chosen);
            return int(QDialog::Accepted);
        });
    }
    QString missing = QStringLiteral("/media/флешка/учет.db");  // a drive that is not there
    QString chosen;
};

TEST_F(MissingDatabaseTest, TheUserEndsTheProgram)
{
    testsupport::MessageRecorder messages;
    messages.answer(ui::Cancel);
    EXPECT_EQ(start(), shell::StartResult::Failed);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.texts()[0].startsWith(QStringLiteral("Файл базы данных /media/флешка/учет.db не найден!")));
    EXPECT_EQ(messages.messages()[0].buttons(), ui::YesNoCancel);
    EXPECT_EQ(shell::MainWindow::find(), nullptr);
    EXPECT_TRUE(QDir(home.path()).entryList({QStringLiteral("*.db")}, QDir::Files).isEmpty());  // no sample database
    EXPECT_EQ(settings::getSetting(kUser, QStringLiteral("DB")), missing);
}

TEST_F(MissingDatabaseTest, TheUserOpensAnotherFile)
{
    chosen = home.file(QStringLiteral("другая.db"));
    {
        testsupport::MessageRecorder quiet;
        ASSERT_TRUE(newdb::CreateNewDatabase(chosen, true));
        core::CloseDatabase();
    }
    testsupport::MessageRecorder messages;
    messages.answer(ui::Yes);
    EXPECT_EQ(start(), shell::StartResult::MainWindowShown);
    EXPECT_EQ(dialogs, QStringList{QStringLiteral("Открыть базу данных")});
    EXPECT_EQ(messages.count(), 1);
    EXPECT_EQ(settings::getSetting(kUser, QStringLiteral("DB")), QStringLiteral("другая.db"));
}

TEST_F(MissingDatabaseTest, TheUserCreatesANewDatabaseAfterCancellingTheFileDialog)
{
    testsupport::MessageRecorder messages;
    messages.answer(ui::Yes);  // then cancels the file dialog: asked again
    messages.answer(ui::No);
    chosen = QString();
    ui::setDialogHandler([this](QDialog* d) {
        dialogs << d->windowTitle();
        if (dialogs.size() == 1)
            return int(QDialog::Rejected);
        qobject_cast<QFileDialog*>(d)->selectFile(home.file(QStringLiteral("новая.db")));
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(start(), shell::StartResult::MainWindowShown);
    EXPECT_EQ(dialogs, (QStringList{QStringLiteral("Открыть базу данных"), QStringLiteral("Создать базу данных")}));
    ASSERT_EQ(messages.count(), 3);  // the question twice, then the new database
    EXPECT_TRUE(messages.texts()[2].startsWith(QStringLiteral("Создана новая база данных")));
    EXPECT_EQ(settings::getSetting(kUser, QStringLiteral("DB")), QStringLiteral("новая.db"));
    jet::Database::open(home.file(QStringLiteral("новая.db")));  // free again after the run
}

TEST_F(MainSequenceTest, OnlyTheFirstStartMakesTheSampleDatabaseAndNamesIt)
{
    settings::saveSetting(kUser, QStringLiteral("bMesOOo"), QStringLiteral("-1"));
    testsupport::MessageRecorder messages;
    ASSERT_EQ(start(), shell::StartResult::MainWindowShown);
    EXPECT_EQ(settings::getSetting(kUser, QStringLiteral("DB")), QStringLiteral("qv.db"));
    EXPECT_EQ(messages.count(), 0);

    // The file goes away: the next start asks instead of making another.
    ASSERT_TRUE(QFile::rename(home.file(QStringLiteral("qv.db")), home.file(QStringLiteral("убранная.db"))));
    messages.answer(ui::Cancel);
    EXPECT_EQ(start(), shell::StartResult::Failed);
    EXPECT_FALSE(QFileInfo::exists(home.file(QStringLiteral("qv.db"))));
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.texts()[0], shell::missingDatabaseQuestion(home.file(QStringLiteral("qv.db"))));
}

} // namespace

TEST_F(MainSequenceTest, AKilledRunsFilesGoAtTheNextStartUnlessAnotherProgramRuns)
{
    settings::saveSetting(kUser, QStringLiteral("bMesOOo"), QStringLiteral("-1"));
    ASSERT_EQ(start(), shell::StartResult::MainWindowShown);
    // Named as the program names them: an office's temporary file, a
    // template's checked copy of a save (of a process that has ended) and a
    // restored copy being checked.
    QString templateCopy;
    {
        QTemporaryFile copy(office::templateCopyName(home.file(QStringLiteral("Шаблоны ЭЖ/Кальвета.ott")),
                                                     QStringLiteral("999999")));
        copy.setAutoRemove(false);
        ASSERT_TRUE(copy.open());
        templateCopy = copy.fileName();
    }
    const QStringList left{home.file(QStringLiteral("Документы/lu3k1x9a0.tmp")), templateCopy,
                           core::freshTemporaryName(home.file(QStringLiteral("qv.db")), core::Temporary::Restoring)};
    for (const QString& file : left)
        writeFile(file, "x");
    const QString own = home.file(QStringLiteral("Документы/Список.ods"));
    writeFile(own, "x");

    {
        // Another program on the same folder may be writing them now.
        shell::FolderHold other({home.path()});
        other.share();
        testsupport::MessageRecorder messages;
        ASSERT_EQ(start(), shell::StartResult::MainWindowShown);
        for (const QString& file : left)
            EXPECT_TRUE(QFileInfo::exists(file)) << file.toStdString();
    }
    ASSERT_EQ(start(), shell::StartResult::MainWindowShown);
    for (const QString& file : left)
        EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();
    EXPECT_TRUE(QFileInfo::exists(own));
}

// A first start whose data folder lies on a disk too full for the shipped
// templates ends there: no program without its templates, no database.
TEST_F(MainSequenceTest, AFirstStartOnANearlyFullDiskEndsWithNothingMade)
{
    SmallDisk disk("256k");
    if (!disk.mounted())
        GTEST_SKIP() << "no right to mount a small disk here";
    HomeFolder inside(disk.path());
    testsupport::MessageRecorder messages;
    EXPECT_EQ(start(), shell::StartResult::Failed);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.texts()[0].startsWith(QStringLiteral("Недостаточно места на диске: ")))
        << messages.texts()[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(disk.file(QStringLiteral("qv.db"))));
    EXPECT_FALSE(QFileInfo::exists(disk.file(QStringLiteral("Шаблоны ЭЖ"))));
    EXPECT_EQ(settings::getSetting(kUser, QStringLiteral("DB")), QString());
    EXPECT_EQ(shell::MainWindow::find(), nullptr);
}

TEST_F(MainSequenceTest, ADataFolderThatCannotBeMadeEndsTheStartNamingItsCause)
{
    writeFile(home.file(QStringLiteral("занято")), "a file, not a folder");
    const QString folder = home.file(QStringLiteral("занято/kalveta"));
    HomeFolder inside(folder);
    testsupport::MessageRecorder messages;
    EXPECT_EQ(start(), shell::StartResult::Failed);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.texts()[0], QStringLiteral("Не удается создать папку программы ") + folder
                                       + QStringLiteral(" (часть пути не является папкой). Работа программы будет "
                                                        "завершена."));
    EXPECT_EQ(messages.messages()[0].icon(), ui::Critical);
}

TEST_F(MainSequenceTest, UnreadableSettingsEndTheStartWithoutANewDatabase)
{
    // Settings that cannot be read are no first start: the database they
    // name must not be replaced by a new sample one behind the user's back,
    // and the start must not wait on them.
    const QString ini = QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("kalveta"),
                                  QStringLiteral("kalveta"))
                            .fileName();
    const QString fallback = QFileInfo(QFileInfo(ini).absolutePath()).absolutePath() + QStringLiteral("/kalveta.ini");
    const QString folder = QFileInfo(ini).absolutePath();
    const auto write = [](const QByteArray& content) {
        return [content](const QString& p) {
            QFile f(p);
            return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
        };
    };
    QByteArray random(4096, '\0');
    for (char& byte : random)
        byte = char(QRandomGenerator::global()->bounded(256));
    struct Case {
        const char* what;
        QString file;  // the file named in the message
        QString made;  // what stands in its way
        std::function<bool(const QString&)> make;
        const char* cause;
    };
    const Case cases[] = {
        {"a folder", ini, ini, [](const QString& p) { return QDir().mkdir(p); }, "на его месте папка"},
        {"a FIFO", ini, ini, [](const QString& p) { return ::mkfifo(QFile::encodeName(p).constData(), 0600) == 0; },
         "именованный канал"},
        {"a link to nothing", ini, ini,
         [](const QString& p) { return QFile::link(p + QStringLiteral(".gone"), p); }, "ссылка на несуществующий файл"},
        {"a FIFO the settings fall back on", fallback, fallback,
         [](const QString& p) { return ::mkfifo(QFile::encodeName(p).constData(), 0600) == 0; },
         "именованный канал"},
        {"random bytes", ini, ini, write(random), "файл поврежден"},
        {"settings padded with zero bytes", ini, ini,
         write(QByteArrayLiteral("[User]\nDB=своя.db\n") + QByteArray(4096, '\0')), "файл поврежден: в нем нулевые байты"},
        {"text that is no settings", ini, ini, write("[User]\nDB=своя.db\nэто не настройка\n"),
         "файл поврежден: строка 3 не является настройкой"},
        {"a file where the settings folder should be", ini, folder, write("a file, not a folder"),
         "на месте папки"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        settings::saveSetting(kUser, QStringLiteral("bMesOOo"), QStringLiteral("-1"));
        settings::saveSetting(kUser, QStringLiteral("DB"), QStringLiteral("своя.db"));
        if (c.made == ini) {
            ASSERT_TRUE(QFile::remove(ini));
        }
        if (c.made == folder) {
            ASSERT_TRUE(QDir(folder).removeRecursively());
        }
        ASSERT_TRUE(c.make(c.made));
        const QByteArray before = QFileInfo(c.made).isFile() ? readFile(c.made) : QByteArray();
        testsupport::MessageRecorder messages;
        EXPECT_EQ(start(), shell::StartResult::Failed);
        const bool stillThere = QFileInfo(c.made).isSymLink() || QFileInfo::exists(c.made);
        const QByteArray after = QFileInfo(c.made).isFile() ? readFile(c.made) : QByteArray();
        QDir(c.made).removeRecursively();
        QFile::remove(c.made);
        EXPECT_TRUE(stillThere);
        EXPECT_EQ(after, before);  // nothing written over it
        ASSERT_EQ(messages.count(), 1);
        EXPECT_TRUE(messages.texts()[0].startsWith(QStringLiteral("Не удается прочитать файл настроек программы ")
                                                   + c.file + QStringLiteral(" (")))
            << messages.texts()[0].toStdString();
        EXPECT_TRUE(messages.texts()[0].contains(QString::fromUtf8(c.cause))) << messages.texts()[0].toStdString();
        EXPECT_EQ(messages.messages()[0].icon(), ui::Critical);
        EXPECT_FALSE(QFileInfo::exists(home.file(QStringLiteral("qv.db"))));
        EXPECT_FALSE(QFileInfo::exists(home.file(QStringLiteral("своя.db"))));
        EXPECT_EQ(shell::MainWindow::find(), nullptr);
    }
}

TEST_F(StartupTest, FirstStartOntoAFullDiskSaysSoAndLeavesNoHalfCopy)
{
    testsupport::TempFolder shipped;
    writeFile(shipped.file(QStringLiteral("Шаблоны ЭЖ/Группы.ots")), QByteArray(512 << 10, 'x'));
    writeFile(shipped.file(QStringLiteral("Помощник ЭЖ/index.htm")), "<html/>");
    SmallDisk disk("128k");
    if (!disk.mounted())
        GTEST_SKIP() << "no right to mount a small disk here";
    testsupport::MessageRecorder messages;
    EXPECT_FALSE(shell::fillAppFolder(disk.path(), shipped.path()));
    EXPECT_FALSE(QFileInfo::exists(disk.file(QStringLiteral("Шаблоны ЭЖ"))));
    EXPECT_FALSE(QFileInfo::exists(disk.file(QStringLiteral("Шаблоны ЭЖ.part"))));
    ASSERT_EQ(messages.count(), 1);
    const QString text = messages.texts()[0];
    // The cause first, in the user's words; the folder by the name the user sees.
    EXPECT_TRUE(text.startsWith(QStringLiteral("Недостаточно места на диске: папка \"Шаблоны ЭЖ\" не скопирована в "
                                               "папку программы ")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("не удается скопировать: на диске нет свободного места"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("Работа программы будет завершена."))) << text.toStdString();
    EXPECT_EQ(messages.messages()[0].icon(), ui::Critical);
    EXPECT_FALSE(text.contains(QStringLiteral("Failure"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral(".part"))) << text.toStdString();
}
