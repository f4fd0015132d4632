#include "shell/DatabaseFileCommands.h"

#include "books/RegNumberDigits.h"
#include "core/AppState.h"
#include "core/DataAccess.h"
#include "core/DatabaseSetup.h"
#include "newdb/NewDatabase.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Messages.h"
#include "shell/Startup.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>

#include <sys/stat.h>

namespace shell {
namespace {

const QString kFileFilter = QStringLiteral("Базы данных Кальветы (*.db);;Все файлы (*)");
constexpr const char* kArchiveFolderName = "Архив";
constexpr const char* kMailProgram = "xdg-email";

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString errorText(const jet::Error& e)
{
    return e.numberAndDescription();
}

// Whether two paths name one file: the same file, whatever links lead to it.
bool sameFile(const QString& a, const QString& b)
{
    struct stat sa {};
    struct stat sb {};
    if (::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return QDir::cleanPath(QFileInfo(a).absoluteFilePath()) == QDir::cleanPath(QFileInfo(b).absoluteFilePath());
}

// The message of a copy that could not be saved, its cause first.
QString copyFailureText(const QString& target, const jet::Error& e)
{
    if (e.number() == jet::errFileInUse)
        return QStringLiteral("Файл ") + native(target)
            + QStringLiteral(" открыт другой программой: копия базы данных в нем не сохранена. Закройте эту программу "
                             "и повторите команду.");
    if (!e.cause().isEmpty()) {
        QString cause = e.cause();
        cause[0] = cause[0].toUpper();
        return cause + QStringLiteral(": копия базы данных в файле ") + native(target) + QStringLiteral(" не сохранена.");
    }
    return QStringLiteral("Не удалось сохранить копию базы данных в файле ") + native(target) + QStringLiteral(". Ошибка: ")
        + errorText(e);
}

// Puts the held file `file` in the place of `target`. A file there is
// replaced only while it is held here too, so that no program working on it
// is left on a file that has lost its name (errFileInUse when one does).
void putInPlace(jet::FileHold& file, const QString& target)
{
    jet::FileHold previous;
    if (QFileInfo::exists(target))
        previous = jet::FileHold::take(target);
    file.moveTo(target, true);
}

// A temporary database file and what the engine kept beside it.
void removeDatabaseFiles(const QString& path)
{
    QFile::remove(path);
    for (const QString& companion : core::companionFiles(path))
        QFile::remove(companion);
}

// A consistent copy of the working database at `target`, made through the
// engine: written beside it under a temporary name first, so that a failed
// copy never leaves a half-written file under the name the user chose, and
// held until the result goes. A failure is reported; nothing is held then.
jet::FileHold saveCopy(const QString& target)
{
    const QString partial = core::freshTemporaryName(target, core::Temporary::Copying);
    try {
        jet::FileHold copy = core::db().backupTo(partial);
        putInPlace(copy, target);
        return copy;
    } catch (const jet::Error& e) {
        QFile::remove(partial);
        ui::msgBox(copyFailureText(target, e), ui::Critical);
        return {};
    }
}

qint64 kilobytes(const QString& path)
{
    return (QFileInfo(path).size() + 1023) / 1024;
}

// The login name of the user the program runs as.
QString userName()
{
    for (const char* variable : {"USER", "LOGNAME"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty())
            return name;
    }
    return QDir::home().dirName();
}

} // namespace

QString removableDisksFolder(const QString& root)
{
    const QString user = userName();
    if (!user.isEmpty()) {
        const QDir top(root);
        for (const QString& folder : {QStringLiteral("media/"), QStringLiteral("run/media/")}) {
            const QString candidate = top.filePath(folder + user);
            if (QFileInfo(candidate).isDir())
                return QDir::cleanPath(candidate);
        }
    }
    return QDir::homePath();
}

DatabaseFileCommands::DatabaseFileCommands(QWidget* parent, std::function<bool()> closeChildWindows)
    : parent_(parent)
    , closeChildWindows_(std::move(closeChildWindows))
{
}

QString DatabaseFileCommands::archiveFolder()
{
    return archiveFolderOf(core::state().AppPath);
}

QString DatabaseFileCommands::archiveFolderOf(const QString& appPath)
{
    return QDir(appPath).filePath(QString::fromUtf8(kArchiveFolderName));
}

QString DatabaseFileCommands::datedCopyName(const QString& path)
{
    const QFileInfo info(path);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    return info.completeBaseName() + QLatin1Char(' ') + stamp + suffix;
}

QString DatabaseFileCommands::workingPath() const
{
    const auto& db = core::state().MainDatabase;
    return db && db->isOpen() ? db->path() : QString();
}

QString DatabaseFileCommands::chooseFile(bool save, const QString& title, const QString& startFolder)
{
    QFileDialog dialog(parent_, title, startFolder, kFileFilter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save)
        dialog.setDefaultSuffix(QStringLiteral("db"));
    if (ui::execDialog(&dialog) != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

QString DatabaseFileCommands::chooseFolder(const QString& title, const QString& startFolder)
{
    QFileDialog dialog(parent_, title, startFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (ui::execDialog(&dialog) != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

bool DatabaseFileCommands::ensureClosedChildren()
{
    if (!closeChildWindows_ || closeChildWindows_())
        return true;
    ui::msgBox(QStringLiteral("Не все окна программы удалось закрыть. Закройте их и повторите команду."),
               ui::Exclamation);
    return false;
}

void DatabaseFileCommands::reopenPrevious(const QString& previous, jet::FileHold hold)
{
    const auto& db = core::state().MainDatabase;
    if (previous.isEmpty() || (db && db->isOpen()))
        return;
    try {
        useAsWorkingDatabase(hold.held() ? jet::Database::open(previous, std::move(hold)) : jet::Database::open(previous));
    } catch (const jet::Error& e) {
        ui::msgBox(QStringLiteral("Не удалось снова открыть базу данных ") + native(previous)
                       + QStringLiteral(". Ошибка: ") + errorText(e)
                       + QStringLiteral(" Откройте базу данных командой Файл - Открыть базу данных."),
                   ui::Critical);
    }
}

void DatabaseFileCommands::putBack(const QString& archived, const QString& working)
{
    const QString staged = core::freshTemporaryName(working, core::Temporary::Restoring);
    jet::FileHold hold;
    try {
        if (const int error = copyFile(archived, staged); error != 0)
            throw jet::Error(jet::errIo, QStringLiteral("Не удалось скопировать файл ") + native(archived)
                                             + QStringLiteral(": ") + jet::systemErrorText(error) + QLatin1Char('.'));
        hold = jet::FileHold::take(staged);
        putInPlace(hold, working);
    } catch (const jet::Error& e) {
        removeDatabaseFiles(staged);
        ui::msgBox(QStringLiteral("Не удалось вернуть на место прежнюю базу данных ") + native(working)
                       + QStringLiteral(". Ошибка: ") + errorText(e) + QStringLiteral(" Ее копия сохранена в файле ")
                       + native(archived) + QLatin1Char('.'),
                   ui::Critical);
        return;
    }
    reopenPrevious(working, std::move(hold));
}

void DatabaseFileCommands::afterSwitch(const QString& path, const QString& statusText)
{
    settings::saveSetting(QString::fromLatin1(settings::kSectionUser), QStringLiteral("DB"),
                          databaseSettingFor(path, core::state().AppPath));
    try {
        core::FillMissingDocKind();
    } catch (const jet::Error&) {
        // Grade lines keep what they have; they count as document kind 0.
    }
    books::UpdateRegNumberDigits();
    ui::setStatusText(statusText);
}

// ---------------------------------------------------------------------------
// Menu commands

void DatabaseFileCommands::create()
{
    const QString path = chooseFile(true, QStringLiteral("Создать базу данных"), core::state().AppPath);
    if (!path.isEmpty())
        createAt(path);
}

void DatabaseFileCommands::open()
{
    const QString path = chooseFile(false, QStringLiteral("Открыть базу данных"),
                                    QFileInfo(workingPath().isEmpty() ? core::state().AppPath : workingPath()).absolutePath());
    if (!path.isEmpty())
        openAt(path);
}

void DatabaseFileCommands::saveAs()
{
    const QString path = chooseFile(true, QStringLiteral("Сохранить базу данных как"),
                                    QFileInfo(workingPath().isEmpty() ? core::state().AppPath : workingPath()).absolutePath());
    if (!path.isEmpty())
        saveAsAt(path);
}

void DatabaseFileCommands::copyToRemovableDisk()
{
    const QString folder = chooseFolder(QStringLiteral("Скопировать базу данных в папку"), removableDisksFolder());
    if (!folder.isEmpty())
        copyInto(folder);
}

void DatabaseFileCommands::restoreFromRemovableDisk()
{
    const QString path = chooseFile(false, QStringLiteral("Восстановить базу данных из копии"), removableDisksFolder());
    if (!path.isEmpty())
        restoreFrom(path);
}

void DatabaseFileCommands::compact()
{
    compactNow();
}

void DatabaseFileCommands::archive()
{
    archiveNow();
}

void DatabaseFileCommands::mail()
{
    mailNow();
}

void DatabaseFileCommands::updateProgram()
{
    ui::msgBox(QStringLiteral("Программа обновляется вместе с остальными программами системы: установите обновления "
                              "менеджером пакетов (например, программой обновления системы или командой "
                              "\"sudo apt update && sudo apt upgrade\")."),
               ui::Information);
}

// ---------------------------------------------------------------------------
// The work

bool DatabaseFileCommands::createAt(const QString& chosen)
{
    const QString path = QDir::cleanPath(QFileInfo(chosen).absoluteFilePath());
    const QString previous = workingPath();
    if (QFileInfo::exists(path)) {
        ui::msgBox(QStringLiteral("Файл ") + native(path)
                       + QStringLiteral(" уже существует. Для новой базы данных выберите другое имя файла."),
                   ui::Exclamation);
        return false;
    }
    if (!ensureClosedChildren())
        return false;

    ui::setStatusText(QStringLiteral("Идет создание базы данных..."));
    if (!newdb::CreateNewDatabase(path, true)) {
        reopenPrevious(previous);
        ui::setStatusText(QStringLiteral("База данных не создана."));
        return false;
    }
    readOfficeChoice();
    afterSwitch(path, QStringLiteral("Создана база данных ") + native(path));
    ui::msgBox(QStringLiteral("Создана новая база данных ") + native(path)
                   + QStringLiteral(". Программа работает с ней."),
               ui::Information);
    return true;
}

bool DatabaseFileCommands::openAt(const QString& chosen)
{
    const QString path = QDir::cleanPath(QFileInfo(chosen).absoluteFilePath());
    if (!workingPath().isEmpty() && sameFile(path, workingPath())) {
        ui::msgBox(QStringLiteral("База данных ") + native(path) + QStringLiteral(" уже открыта."), ui::Information);
        return false;
    }
    ui::setStatusText(QStringLiteral("Идет проверка базы данных..."));
    std::unique_ptr<jet::Database> db = openCheckedDatabase(path);
    if (!db) {
        ui::setStatusText(QStringLiteral("База данных не открыта."));
        return false;
    }
    if (!ensureClosedChildren())
        return false;
    useAsWorkingDatabase(std::move(db));
    afterSwitch(path, QStringLiteral("Открыта база данных ") + native(path));
    return true;
}

bool DatabaseFileCommands::saveAsAt(const QString& chosen)
{
    const QString path = QDir::cleanPath(QFileInfo(chosen).absoluteFilePath());
    const QString previous = workingPath();
    if (previous.isEmpty())
        return false;
    if (sameFile(path, previous)) {
        ui::msgBox(QStringLiteral("Это файл открытой базы данных. Выберите другое имя файла."), ui::Exclamation);
        return false;
    }
    if (!ensureClosedChildren())
        return false;

    jet::FileHold copy = saveCopy(path);
    if (!copy.held())
        return false;
    std::unique_ptr<jet::Database> db;
    try {
        db = jet::Database::open(path, std::move(copy));
    } catch (const jet::Error& e) {
        ui::msgBox(QStringLiteral("Копия базы данных сохранена в файле ") + native(path)
                       + QStringLiteral(", но открыть ее не удалось. Ошибка: ") + errorText(e)
                       + QStringLiteral(" Программа продолжает работать с базой данных ") + native(previous)
                       + QLatin1Char('.'),
                   ui::Exclamation);
        return false;
    }
    useAsWorkingDatabase(std::move(db));
    afterSwitch(path, QStringLiteral("База данных сохранена как ") + native(path));
    return true;
}

QString DatabaseFileCommands::copyInto(const QString& folder)
{
    const QString working = workingPath();
    if (working.isEmpty())
        return {};
    const QString target = QDir(folder).filePath(QFileInfo(working).fileName());
    if (sameFile(target, working)) {
        ui::msgBox(QStringLiteral("Выбрана папка открытой базы данных. Выберите другую папку, например на съемном диске."),
                   ui::Exclamation);
        return {};
    }
    if (!QFileInfo(folder).isDir()) {
        ui::msgBox(QStringLiteral("Папка ") + native(folder) + QStringLiteral(" не найдена."), ui::Exclamation);
        return {};
    }
    if (QFileInfo::exists(target)
        && ui::msgBox(QStringLiteral("В папке ") + native(folder) + QStringLiteral(" уже есть файл ")
                          + QFileInfo(target).fileName() + QStringLiteral(". Заменить его копией открытой базы данных?"),
                      ui::YesNo | ui::Question | ui::DefaultButton2)
               != ui::Yes)
        return {};

    ui::setStatusText(QStringLiteral("Идет копирование базы данных..."));
    if (!saveCopy(target).held()) {
        ui::setStatusText(QStringLiteral("База данных не скопирована."));
        return {};
    }
    ui::setStatusText(QStringLiteral("База данных скопирована."));
    ui::msgBox(QStringLiteral("Копия базы данных сохранена в файле ") + native(target) + QLatin1Char('.'),
               ui::Information);
    return target;
}

bool DatabaseFileCommands::restoreFrom(const QString& chosen)
{
    const QString copy = QDir::cleanPath(QFileInfo(chosen).absoluteFilePath());
    const QString working = workingPath();
    if (working.isEmpty())
        return false;
    if (sameFile(copy, working)) {
        ui::msgBox(QStringLiteral("Выбран файл открытой базы данных. Выберите ее копию, например на съемном диске."),
                   ui::Exclamation);
        return false;
    }
    if (!QFileInfo(copy).isFile()) {
        ui::msgBox(QStringLiteral("Файл ") + native(copy) + QStringLiteral(" не найден."), ui::Exclamation);
        return false;
    }
    if (ui::msgBox(QStringLiteral("Открытая база данных будет заменена копией из файла ") + native(copy)
                       + QStringLiteral(". Прежняя база данных будет сохранена в папке \"")
                       + QString::fromUtf8(kArchiveFolderName) + QStringLiteral("\". Продолжить?"),
                   ui::YesNo | ui::Question | ui::DefaultButton2)
        != ui::Yes)
        return false;

    // The copy is verified (and brought to the current structure) beside the
    // working file, never in its own place on the removable disk.
    ui::setStatusText(QStringLiteral("Идет проверка копии базы данных..."));
    const QString staged = core::freshTemporaryName(working, core::Temporary::Restoring);
    if (const int error = copyFile(copy, staged); error != 0) {
        removeDatabaseFiles(staged);
        QString cause = jet::systemErrorText(error);
        cause[0] = cause[0].toUpper();
        ui::msgBox(cause + QStringLiteral(": не удалось скопировать файл ") + native(copy)
                       + QStringLiteral(" для восстановления. Открытая база данных не изменилась."),
                   ui::Critical);
        ui::setStatusText(QStringLiteral("База данных не восстановлена."));
        return false;
    }
    QFile::setPermissions(staged, QFile::ReadOwner | QFile::WriteOwner);
    if (!core::OpenAndCheckDatabase(staged, false) || !ensureClosedChildren()) {
        removeDatabaseFiles(staged);
        ui::setStatusText(QStringLiteral("База данных не восстановлена."));
        return false;
    }

    QDir().mkpath(archiveFolder());
    const QString archived = QDir(archiveFolder()).filePath(datedCopyName(working));
    if (!saveCopy(archived).held()) {
        removeDatabaseFiles(staged);
        ui::setStatusText(QStringLiteral("База данных не восстановлена."));
        return false;
    }

    // The copy takes the working file's place while both files are held, so
    // that no other program gets in at any moment of the replacement.
    std::unique_ptr<jet::Database> db;
    jet::FileHold incoming;
    jet::FileHold previous;
    bool replaced = false;
    QString failure;
    try {
        incoming = jet::FileHold::take(staged);
        previous = core::db().closeKeepingHold();
        core::CloseDatabase();
        incoming.moveTo(working, true);
        replaced = true;
        previous.release();
        db = jet::Database::open(working, std::move(incoming));
    } catch (const jet::Error& e) {
        failure = errorText(e);
    }
    if (!db) {
        if (!replaced)
            removeDatabaseFiles(staged);
        // The previous database again: its own file while that still has
        // its name, else its archive copy put in the place of the one that
        // failed.
        if (!core::state().MainDatabase) {
            if (replaced)
                putBack(archived, working);
            else
                reopenPrevious(working, std::move(previous));
        }
        ui::msgBox(QStringLiteral("База данных не восстановлена: ") + failure, ui::Critical);
        ui::setStatusText(QStringLiteral("База данных не восстановлена."));
        return false;
    }
    useAsWorkingDatabase(std::move(db));
    afterSwitch(working, QStringLiteral("База данных восстановлена из копии ") + native(copy));
    ui::msgBox(QStringLiteral("База данных восстановлена из копии ") + native(copy)
                   + QStringLiteral(". Прежняя база данных сохранена в файле ") + native(archived) + QLatin1Char('.'),
               ui::Information);
    return true;
}

bool DatabaseFileCommands::compactNow()
{
    const QString working = workingPath();
    if (working.isEmpty())
        return false;
    ui::setStatusText(QStringLiteral("Идет сжатие базы данных..."));
    const qint64 before = kilobytes(working);
    QString check;
    try {
        jet::Database& db = core::db();
        db.execute(QStringLiteral("VACUUM"));
        check = jet::toText(db.scalar(QStringLiteral("PRAGMA integrity_check")));
    } catch (const jet::Error& e) {
        ui::setStatusText(QStringLiteral("База данных не сжата."));
        ui::msgBox(QStringLiteral("Не удалось сжать базу данных. Ошибка: ") + errorText(e), ui::Critical);
        return false;
    }
    if (check != QLatin1String("ok")) {
        ui::setStatusText(QStringLiteral("В базе данных обнаружены повреждения."));
        ui::msgBox(QStringLiteral("База данных сжата, но проверка обнаружила повреждения: ") + check
                       + QStringLiteral(". Восстановите базу данных из архивной копии (Файл - Восстановить со "
                                        "съемного диска, папка \"")
                       + QString::fromUtf8(kArchiveFolderName) + QStringLiteral("\")."),
                   ui::Critical);
        return false;
    }
    const QLocale locale;
    ui::setStatusText(QStringLiteral("База данных сжата."));
    ui::msgBox(QStringLiteral("База данных сжата: размер файла был ") + locale.toString(before)
                   + QStringLiteral(" КБ, стал ") + locale.toString(kilobytes(working))
                   + QStringLiteral(" КБ. Проверка целостности ошибок не обнаружила."),
               ui::Information);
    return true;
}

QString DatabaseFileCommands::archiveNow()
{
    const QString working = workingPath();
    if (working.isEmpty())
        return {};
    QDir().mkpath(archiveFolder());
    const QString target = QDir(archiveFolder()).filePath(datedCopyName(working));
    ui::setStatusText(QStringLiteral("Идет архивирование базы данных..."));
    if (!saveCopy(target).held()) {
        ui::setStatusText(QStringLiteral("База данных не архивирована."));
        return {};
    }
    ui::setStatusText(QStringLiteral("База данных архивирована."));
    ui::msgBox(QStringLiteral("Архивная копия базы данных сохранена в файле ") + native(target) + QLatin1Char('.'),
               ui::Information);
    return target;
}

bool DatabaseFileCommands::mailNow()
{
    const QString working = workingPath();
    if (working.isEmpty())
        return false;
    const QString program = QStandardPaths::findExecutable(QString::fromLatin1(kMailProgram));
    if (program.isEmpty()) {
        ui::msgBox(QStringLiteral("Почтовая программа недоступна: для создания письма нужна программа xdg-email "
                                  "(пакет xdg-utils) и почтовая программа рабочего стола. Копию базы данных можно "
                                  "сохранить командой Сервис - Архивировать базу данных и вложить в письмо вручную."),
                   ui::Exclamation);
        return false;
    }
    // The mail program reads the attachment later: the copy stays where it is.
    const QString folder = QDir::temp().filePath(
        QStringLiteral("kalveta-mail-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")));
    QDir().mkpath(folder);
    const QString attachment = QDir(folder).filePath(QFileInfo(working).fileName());
    if (!saveCopy(attachment).held())
        return false;
    const QStringList arguments = {QStringLiteral("--subject"), QStringLiteral("База данных программы Кальвета"),
                                   QStringLiteral("--attach"), attachment};
    if (!QProcess::startDetached(program, arguments)) {
        ui::msgBox(QStringLiteral("Не удалось запустить почтовую программу (xdg-email). Копия базы данных для "
                                  "письма сохранена в файле ")
                       + native(attachment) + QLatin1Char('.'),
                   ui::Exclamation);
        return false;
    }
    ui::setStatusText(QStringLiteral("Создано письмо с копией базы данных."));
    return true;
}

} // namespace shell
