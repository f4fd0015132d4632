#include "shell/Startup.h"

#include "shell/Cipher.h"
#include "shell/UserManual.h"

#include "books/frmPFM.h"
#include "card/RecordCard.h"
#include "core/AppState.h"
#include "core/ChildWindows.h"
#include "core/DataAccess.h"
#include "core/DatabaseSetup.h"
#include "directory/frmSprav.h"
#include "import/frmImport.h"
#include "newdb/NewDatabase.h"
#include "printing/frmNShb.h"
#include "printing/frmSelect.h"
#include "printing/TemplateNames.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Messages.h"
#include "shell/DatabaseFileCommands.h"
#include "shell/Leftovers.h"
#include "shell/LoginDialogs.h"
#include "shell/MainWindow.h"
#include "shell/ProgramIcon.h"
#include "shell/SplashWindow.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTranslator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace shell {
namespace {

const QString kUser = QString::fromLatin1(settings::kSectionUser);

// Folders shipped with the program and copied into the data folder.
constexpr const char* kShippedFolders[] = {"Шаблоны ЭЖ", "Помощник ЭЖ"};

constexpr const char* kDefaultDatabaseName = "qv.db";
// Less free space than this after a failed copy: the disk is taken as full.
constexpr qint64 kFreeSpaceForCopy = 4 << 20;
using core::kTemplatesFolderName;
constexpr const char* kHelpStartPage = "Помощник ЭЖ/index.htm";
constexpr const char* kMainCaption = "Кальвета";

// The pieces of the office notice; "\n" marks its line breaks.
constexpr const char* kOfficeNotice[] = {
    "Эта программа может работать как с ",
    "Microsoft Office (Word, Excel), так и с бесплатным офисным пакетом OpenOffice.org (Writer, Calc). ",
    "Выбрать офисную программу Вы можете: Справочники - Учреждение - Офисная программа.",
    "\n",
    "По умолчанию используется Microsoft Office. ",
    "\n",
    "Готовые документы: Кальветы, книга регистрации выданных сертификатов, импорт данных в справочники и их "
    "распечатка будут выполняться с использованием выбранной Вами программы.",
};

void showUnexpectedError(const jet::Error& e)
{
    ui::msgBox(QStringLiteral("Произошла непредвиденная ошибка. ") + e.numberAndDescription(), ui::Critical);
}

bool isInside(const QString& path, const QString& folder)
{
    const QString p = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString f = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    return p == f || p.startsWith(f + QLatin1Char('/'));
}

// The cause of a failed file operation for the user, in Russian.
QString causeOf(const std::error_code& ec)
{
    if (ec.category() == std::generic_category() || ec.category() == std::system_category())
        return jet::systemErrorText(ec.value());
    return QString::fromLocal8Bit(ec.message().c_str());
}

std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// Copies a folder tree; the copies are writable by the user (templates are
// edited in place). `why` receives the cause of a failure, naming a folder
// as it is called in `shownAs` (the copy is made under a temporary name).
bool copyTree(const QString& from, const QString& to, const QString& shownAs, QString* why)
{
    const QDir source(from);
    const auto shown = [&](const QString& path) {
        return QDir::toNativeSeparators(QDir(shownAs).filePath(QDir(to).relativeFilePath(path)));
    };
    const auto makeFolder = [&](const QString& path) {
        std::error_code ec;
        std::filesystem::create_directories(fsPath(path), ec);
        if (!ec)
            return true;
        *why = QStringLiteral("папку ") + shown(path) + QStringLiteral(" не удается создать: ") + causeOf(ec);
        return false;
    };
    if (!makeFolder(to))
        return false;
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    const QDir target(to);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        const QString destination = target.filePath(source.relativeFilePath(path));
        if (info.isDir()) {
            if (!makeFolder(destination))
                return false;
        } else {
            if (const int error = copyFile(path, destination); error != 0) {
                *why = QStringLiteral("файл ") + info.fileName() + QStringLiteral(" не удается скопировать: ")
                    + jet::systemErrorText(error);
                return false;
            }
        }
    }
    return true;
}

// The data folder, made when missing; `why` receives the cause of a failure.
bool makeDataFolder(const QString& path, QString* why)
{
    std::error_code ec;
    std::filesystem::create_directories(fsPath(path), ec);
    if (QFileInfo(path).isDir())
        return true;
    *why = ec ? causeOf(ec) : QStringLiteral("на ее месте файл");
    return false;
}

// The bMesOOo step: the notice is shown once; "-1" is stored at every start.
void showOfficeNoticeOnce()
{
    const QString key = QStringLiteral("bMesOOo");
    const std::optional<bool> shown = settingAsBool(settings::getSetting(kUser, key, QStringLiteral("0")));
    if (!shown)
        showUnexpectedError(jet::Error(jet::errTypeMismatch, QStringLiteral("Несоответствие типа")));
    if (!shown.value_or(false))
        ui::msgBox(officeNoticeText(), ui::Information);
    settings::saveSetting(kUser, key, settings::boolText(true));
}

// The password step: any failure in it refuses entry.
bool passwordGiven()
{
    try {
        return checkProgramPassword();
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

void registerChildWindows()
{
    directory::registerDirectoryWindow();
    books::registerRegistryBook();
    card::registerRecordCard();
    importer::registerImportWindow();
    core::shellServices().encryptString = EncryptString;
    core::shellServices().decryptString = DecryptString;
    core::shellServices().openUserManual = [] { OpenUserManual(); };
    core::windowFactories().adjustTemplate = [](const QString& path) { return printing::frmNShb::adjust(path); };
    core::windowFactories().showPrintParameters = printing::showPrintParameters;
}

int copyFile(const QString& from, const QString& to)
{
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno;
    struct stat st {};
    const mode_t mode = ::fstat(in, &st) == 0 ? ((st.st_mode & 0777) | S_IRUSR | S_IWUSR) : 0644;
    const int out = ::open(QFile::encodeName(to).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return error;
    }
    int error = 0;
    char block[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(in, block, sizeof block);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            error = got < 0 ? errno : 0;
            break;
        }
        for (ssize_t done = 0; done < got && error == 0;) {
            const ssize_t put = ::write(out, block + done, size_t(got - done));
            if (put < 0 && errno != EINTR)
                error = errno;
            else if (put > 0)
                done += put;
        }
        if (error != 0)
            break;
    }
    ::close(in);
    if (::close(out) != 0 && error == 0)
        error = errno;
    return error;
}

QString resolveAppPath()
{
    const QString home = qEnvironmentVariable("KALVETA_HOME");
    if (!home.isEmpty())
        return QDir::cleanPath(QFileInfo(home).absoluteFilePath());
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString shippedDataFolder()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
#ifdef KALVETA_BUILD_DIR
    if (isInside(programFolder, QStringLiteral(KALVETA_BUILD_DIR)))
        return QStringLiteral(KALVETA_SOURCE_DATA_DIR);
#endif
    const QString relative = QDir(programFolder).absoluteFilePath(QStringLiteral("../share/kalveta"));
    if (QFileInfo(relative).isDir())
        return QDir::cleanPath(relative);
#ifdef KALVETA_INSTALL_DATA_DIR
    return QStringLiteral(KALVETA_INSTALL_DATA_DIR);
#else
    return QDir::cleanPath(relative);
#endif
}

QString shippedTemplatesFolder()
{
#if defined(KALVETA_BUILD_DIR) && defined(KALVETA_BUILD_TEMPLATES_DIR)
    if (isInside(QCoreApplication::applicationDirPath(), QStringLiteral(KALVETA_BUILD_DIR)))
        return QStringLiteral(KALVETA_BUILD_TEMPLATES_DIR);
#endif
    return QDir(shippedDataFolder()).filePath(QString::fromUtf8(kTemplatesFolderName));
}

bool fillAppFolder(const QString& appPath, const QString& shipped, const QString& templates)
{
    const QDir app(appPath);
    for (const char* folder : kShippedFolders) {
        const QString name = QString::fromUtf8(folder);
        const bool ownSource = !templates.isEmpty() && name == QString::fromUtf8(kTemplatesFolderName);
        const QString source = ownSource ? templates : QDir(shipped).filePath(name);
        if (QFileInfo::exists(app.filePath(name)) || !QFileInfo(source).isDir())
            continue;
        // Copied under a temporary name first, so that an interrupted copy is
        // not taken for a complete one at the next start.
        const QString partial = app.filePath(name + QStringLiteral(".part"));
        QDir(partial).removeRecursively();
        QString why;
        if (copyTree(source, partial, app.filePath(name), &why) && QDir().rename(partial, app.filePath(name)))
            continue;
        QDir(partial).removeRecursively();
        // A full disk is the usual cause: said in plain words first.
        const QString what = QStringLiteral("папка \"") + name + QStringLiteral("\" не скопирована в папку программы ")
            + QDir::toNativeSeparators(appPath) + QStringLiteral(" (") + why + QStringLiteral(").");
        QStorageInfo disk(appPath);
        disk.refresh();
        if (disk.isValid() && disk.bytesAvailable() < kFreeSpaceForCopy)
            ui::msgBox(QStringLiteral("Недостаточно места на диске: ") + what
                           + QStringLiteral(" Освободите место и запустите программу снова. Работа программы будет "
                                            "завершена."),
                       ui::Critical);
        else
            ui::msgBox(QStringLiteral("Не удается подготовить папку программы: ") + what
                           + QStringLiteral(" Работа программы будет завершена."),
                       ui::Critical);
        return false;
    }
    return true;
}

QString shippedUserManual()
{
#if defined(KALVETA_BUILD_DIR) && defined(KALVETA_BUILD_MANUAL)
    if (isInside(QCoreApplication::applicationDirPath(), QStringLiteral(KALVETA_BUILD_DIR)))
        return QStringLiteral(KALVETA_BUILD_MANUAL);
#endif
    return QDir(shippedDataFolder()).filePath(QString::fromUtf8(kUserManualFileName));
}

void fillUserManual(const QString& appPath, const QString& manual)
{
    const QString target = QDir(appPath).filePath(QString::fromUtf8(kUserManualFileName));
    if (QFileInfo::exists(target) || !QFileInfo(manual).isFile())
        return;
    // Copied under a temporary name first, as the shipped folders are.
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    if (copyFile(manual, partial) == 0 && QFile::rename(partial, target))
        return;
    QFile::remove(partial);
}

QString databasePathFromSetting(const QString& setting, const QString& appPath)
{
    const QString name = setting.trimmed().isEmpty() ? QString::fromLatin1(kDefaultDatabaseName) : setting.trimmed();
    const QFileInfo info(name);
    if (info.isAbsolute())
        return QDir::cleanPath(name);
    if (!name.contains(QLatin1Char('/')))
        return QDir(appPath).filePath(name);
    return QDir::cleanPath(info.absoluteFilePath());
}

QString databaseSettingFor(const QString& path, const QString& appPath)
{
    const QFileInfo info(path);
    if (QDir::cleanPath(info.absolutePath()) == QDir::cleanPath(QFileInfo(appPath).absoluteFilePath()))
        return info.fileName();
    return QDir::cleanPath(info.absoluteFilePath());
}

std::unique_ptr<jet::Database> openCheckedDatabase(const QString& path)
{
    return core::OpenCheckedDatabase(path);
}

void useAsWorkingDatabase(std::unique_ptr<jet::Database> db)
{
    core::state().MainDatabase = std::move(db);
    readOfficeChoice();
}

void readOfficeChoice()
{
    const QVariant ooo = core::LookupFieldValue(QStringLiteral("SELECT OOo FROM INF"), QStringLiteral("OOo"));
    core::state().OfficeIsOOo = jet::toLong(ooo) > 1;
}

QString missingDatabaseQuestion(const QString& path)
{
    return core::DatabaseNotFoundText(QDir::toNativeSeparators(path))
        + QStringLiteral("\nВозможно, файл перемещен или находится на диске, который сейчас недоступен. Нажмите "
                         "«Да», чтобы открыть другой файл базы данных, «Нет» — чтобы создать новую базу данных, "
                         "«Отмена» — чтобы завершить работу программы.");
}

bool prepareWorkingDatabase(const QString& path, bool namedBySetting)
{
    if (!QFileInfo::exists(path)) {
        if (namedBySetting) {
            // The user's own file is out of sight (a drive not mounted, say):
            // it is never replaced by a new one without a word.
            DatabaseFileCommands commands(nullptr, {});
            for (;;) {
                const int answer = ui::msgBox(missingDatabaseQuestion(path), ui::YesNoCancel | ui::Critical);
                if (answer == ui::Yes)
                    commands.open();
                else if (answer == ui::No)
                    commands.create();
                else
                    return false;
                const auto& db = core::state().MainDatabase;
                if (db && db->isOpen())
                    return true;
            }
        }
        if (!newdb::CreateNewDatabase(path, false))
            return false;
        settings::saveSetting(kUser, QStringLiteral("DB"), databaseSettingFor(path, core::state().AppPath));
        readOfficeChoice();
        return true;
    }
    std::unique_ptr<jet::Database> db = openCheckedDatabase(path);
    if (!db)
        return false;
    useAsWorkingDatabase(std::move(db));
    return true;
}

std::optional<bool> settingAsBool(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double number = t.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return number != 0;
}

void installTranslations(QApplication& app)
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

QString officeNoticeText()
{
    QString text;
    for (const char* piece : kOfficeNotice)
        text += QString::fromUtf8(piece);
    return text;
}

StartResult Main(MainWindow** mainWindow)
{
    core::AppState& s = core::state();

    // Settings that cannot be read would look like a first start: a new
    // sample database in place of the one they name.
    QString cause;
    if (const QString unreadable = settings::unreadableSettingsFile(&cause); !unreadable.isEmpty()) {
        ui::msgBox(QStringLiteral("Не удается прочитать файл настроек программы ")
                       + QDir::toNativeSeparators(unreadable) + QStringLiteral(" (") + cause
                       + QStringLiteral("). Проверьте права доступа к нему или удалите его (программа начнет работу "
                                        "с настройками по умолчанию). Работа программы будет завершена."),
                   ui::Critical);
        return StartResult::Failed;
    }

    s.AppPath = resolveAppPath();
    if (QString why; !makeDataFolder(s.AppPath, &why)) {
        ui::msgBox(QStringLiteral("Не удается создать папку программы ") + QDir::toNativeSeparators(s.AppPath)
                       + QStringLiteral(" (") + why + QStringLiteral("). Работа программы будет завершена."),
                   ui::Critical);
        return StartResult::Failed;
    }
    if (!fillAppFolder(s.AppPath, shippedDataFolder(), shippedTemplatesFolder()))
        return StartResult::Failed;
    fillUserManual(s.AppPath, shippedUserManual());
    const QDir app(s.AppPath);
    s.HelpPagePath = app.filePath(QString::fromUtf8(kHelpStartPage));
    s.ComboTypeAhead = true;
    const QString namedDatabase = settings::getSetting(kUser, QStringLiteral("DB")).trimmed();
    s.DatabasePathSetting = namedDatabase.isEmpty() ? QString::fromLatin1(kDefaultDatabaseName) : namedDatabase;
    s.TemplatesFolder = settings::getSetting(kUser, QStringLiteral("sTmpPath"),
                                             app.filePath(QString::fromUtf8(kTemplatesFolderName)));
    printing::UseDefaultTemplateNames();
    QApplication::setWindowIcon(programIcon());
    registerChildWindows();

    SplashWindow::showModal();

    showOfficeNoticeOnce();
    if (!passwordGiven())
        return StartResult::Refused;

    s.MainCaption = QString::fromUtf8(kMainCaption);
    ui::setApplicationTitle(s.MainCaption);

    QPointer<SplashWindow> splash = SplashWindow::showModeless();
    if (!prepareWorkingDatabase(databasePathFromSetting(s.DatabasePathSetting, s.AppPath), !namedDatabase.isEmpty())) {
        if (splash)
            splash->close();
        return StartResult::Failed;
    }

    // The folders are held for the run; a killed run's files are cleared
    // only while no other program works in them.
    QStringList ownFolders{s.AppPath};
    if (!isInside(s.TemplatesFolder, s.AppPath))
        ownFolders << s.TemplatesFolder;
    auto hold = std::make_unique<FolderHold>(ownFolders);
    if (hold->alone()) {
        removeLeftovers({s.AppPath, s.TemplatesFolder, core::db().path()});
        hold->share();
    }

    auto* window = new MainWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    hold.release()->setParent(window);
    window->show();
    if (mainWindow)
        *mainWindow = window;
    return StartResult::MainWindowShown;
}

} // namespace shell
