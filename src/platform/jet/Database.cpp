#include "platform/jet/Jet.h"

#include "platform/jet/SqlFunctions.h"
#include "platform/jet/TypeMapping.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace jet {

using detail::quoteIdent;

Error::Error(int number, const QString& description, const QString& cause)
    : std::runtime_error(description.toStdString()), number_(number), description_(description), cause_(cause)
{
}

namespace {

// The causes of a failed file operation as the user is told them.
constexpr std::pair<int, const char*> kSystemErrorTexts[] = {
    {ENOSPC, "на диске нет свободного места"},
    {EDQUOT, "исчерпана дисковая квота пользователя"},
    {EACCES, "нет прав доступа"},
    {EPERM, "действие не разрешено"},
    {EROFS, "диск доступен только для чтения"},
    {ENOENT, "файл или папка не найдены"},
    {ENOTDIR, "часть пути не является папкой"},
    {EISDIR, "на месте файла папка"},
    {EEXIST, "файл уже существует"},
    {ENAMETOOLONG, "слишком длинное имя файла"},
    {ELOOP, "слишком много символических ссылок в пути"},
    {EIO, "ошибка ввода-вывода: диск неисправен или отключен"},
    {EFBIG, "файл слишком велик"},
    {EMFILE, "открыто слишком много файлов"},
    {ENFILE, "открыто слишком много файлов"},
    {EBUSY, "файл занят"},
    {ETXTBSY, "файл занят"},
    {ENXIO, "устройство недоступно"},
    {ENODEV, "устройство недоступно"},
};

} // namespace

QString systemErrorText(int error)
{
    for (const auto& [number, text] : kSystemErrorTexts)
        if (number == error)
            return QString::fromUtf8(text);
    return QStringLiteral("системная ошибка %1").arg(error);
}

const FieldDef* TableDef::field(const QString& name) const
{
    for (const FieldDef& f : fields)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

const IndexDef* TableDef::index(const QString& name) const
{
    for (const IndexDef& i : indexes)
        if (i.name.compare(name, Qt::CaseInsensitive) == 0)
            return &i;
    return nullptr;
}

int defaultSize(int type)
{
    switch (type) {
    case dbBoolean: return 1;
    case dbByte: return 1;
    case dbInteger: return 2;
    case dbLong: return 4;
    case dbDate: return 8;
    case dbText: return 255;
    case dbMemo: return 0;
    default: return 8;
    }
}

int defaultAttributes(int type)
{
    return (type == dbText || type == dbMemo) ? int(dbVariableField) : int(dbFixedField);
}

namespace {

int errorNumberFor(int rc, const char* message)
{
    const int primary = rc & 0xFF;
    switch (primary) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return errFileInUse;
    case SQLITE_NOTADB: return errNotADatabase;
    case SQLITE_CORRUPT: return errDamaged;
    case SQLITE_CANTOPEN: return errFileNotFound;
    case SQLITE_FULL: return errDiskFull;
    case SQLITE_READONLY: return errReadOnlyFile;
    case SQLITE_IOERR:
    case SQLITE_PERM: return errIo;
    case SQLITE_CONSTRAINT:
        if (rc == SQLITE_CONSTRAINT_CHECK && message) {
            // The column rules carry their kind in their name ("len:FAM");
            // older files name no rule and check the length only.
            if (std::strstr(message, "failed: type:"))
                return errTypeMismatch;
            if (std::strstr(message, "failed: range:"))
                return errOverflow;
            if (std::strstr(message, "failed: len:") || std::strstr(message, "length("))
                return errFieldTooSmall;
        }
        if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
            return errDuplicateValue;
        return errGeneric;
    case SQLITE_ERROR: return errSyntax;
    case SQLITE_MISMATCH: return errTypeMismatch;
    default: return errGeneric;
    }
}

QString describe(int number, const QString& engineText)
{
    switch (number) {
    case errFileInUse: return QStringLiteral("Файл базы данных занят другой программой (%1).").arg(engineText);
    case errNotADatabase: return QStringLiteral("Файл не является базой данных.");
    case errDamaged: return QStringLiteral("Файл базы данных повреждён (%1).").arg(engineText);
    case errFileNotFound: return QStringLiteral("Не удаётся открыть файл базы данных (%1).").arg(engineText);
    case errIo: return QStringLiteral("Ошибка чтения или записи файла базы данных (%1).").arg(engineText);
    case errDiskFull: return QStringLiteral("Недостаточно места на диске для файла базы данных.");
    case errReadOnlyFile: return QStringLiteral("Файл базы данных доступен только для чтения (%1).").arg(engineText);
    case errFieldTooSmall:
        return QStringLiteral("Значение слишком длинное для поля (%1).").arg(engineText);
    case errDuplicateValue: return QStringLiteral("Повторяющееся значение ключа (%1).").arg(engineText);
    case errSyntax: return QStringLiteral("Ошибка в запросе: %1").arg(engineText);
    default: return engineText;
    }
}

QString sqliteMessage(sqlite3* db, int rc)
{
    const char* msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    return QString::fromUtf8(msg ? msg : sqlite3_errstr(rc));
}

void configure(sqlite3* db)
{
    sqlite3_extended_result_codes(db, 1);
    if (!detail::registerTextSemantics(db))
        throw Error(errGeneric, QStringLiteral("Не удалось подключить русскую сортировку текста."));
    char* err = nullptr;
    const int rc = sqlite3_exec(db,
                                "PRAGMA locking_mode=EXCLUSIVE;"
                                "PRAGMA foreign_keys=OFF;"
                                "PRAGMA synchronous=FULL;",
                                nullptr, nullptr, &err);
    sqlite3_free(err);
    if (rc != SQLITE_OK) {
        const int n = errorNumberFor(rc, nullptr);
        const QString text = QString::fromUtf8(sqlite3_errstr(rc));
        throw Error(n, describe(n, text), text);
    }
}

// Takes the exclusive lock at once and keeps it until the file is closed.
void lockExclusively(sqlite3* db)
{
    char* err = nullptr;
    int rc = sqlite3_exec(db, "BEGIN EXCLUSIVE; COMMIT;", nullptr, nullptr, &err);
    QString text = err ? QString::fromUtf8(err) : QString::fromUtf8(sqlite3_errstr(rc));
    sqlite3_free(err);
    if (rc == SQLITE_OK) {
        // Reading the schema proves the file is a database at all.
        rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master;", nullptr, nullptr, &err);
        text = err ? QString::fromUtf8(err) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_free(err);
    }
    if (rc != SQLITE_OK) {
        sqlite3_exec(db, "ROLLBACK;", nullptr, nullptr, nullptr);
        const int n = errorNumberFor(sqlite3_extended_errcode(db), nullptr);
        throw Error(n, describe(n, text), text);
    }
}

// How much of the file the check at opening reads.
enum class CheckDepth {
    Pages,  // every page of every table and index
    Whole,  // the pages, and the column rules of every row as well
};

// Checks the open file; throws errDamaged (or the engine's own failure).
void checkFile(sqlite3* db, CheckDepth depth)
{
    // The column rules are skipped by the engine's own switch, set for the
    // check alone (a switch that cannot be set leaves the whole check).
    const bool pagesOnly = depth == CheckDepth::Pages;
    if (pagesOnly)
        sqlite3_exec(db, "PRAGMA ignore_check_constraints=ON;", nullptr, nullptr, nullptr);
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, "PRAGMA quick_check(1);", -1, &stmt, nullptr);
    QString result;
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW)
            result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    }
    const int extended = sqlite3_extended_errcode(db);
    const QString engineText = sqliteMessage(db, rc);
    sqlite3_finalize(stmt);
    if (pagesOnly && sqlite3_exec(db, "PRAGMA ignore_check_constraints=OFF;", nullptr, nullptr, nullptr) != SQLITE_OK)
        throw Error(errGeneric, QStringLiteral("Не удалось включить проверку значений полей."));
    if (rc != SQLITE_ROW) {
        int n = errorNumberFor(extended, nullptr);
        if (n == errSyntax)
            n = errDamaged;
        throw Error(n, describe(n, engineText), engineText);
    }
    if (result != QLatin1String("ok")) {
        const QString cause = result.simplified();
        throw Error(errDamaged, describe(errDamaged, cause), cause);
    }
}

quint32 bigEndian32(const unsigned char* p)
{
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}

// Whether the file's header agrees with the file: its page size, and the
// page count it records (when the count is marked as current) against the
// file's size. Read through the hold before the engine reads the file (and
// before it rolls back what an unfinished session left).
bool headerAgreesWithFile(const FileHold& hold)
{
    const qint64 size = hold.fileSize();
    const QByteArray header = hold.read(0, 100);
    if (header.size() < 100 || !header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return false;
    const auto* h = reinterpret_cast<const unsigned char*>(header.constData());
    const quint32 pageSize = (quint32(h[16]) << 8 | h[17]) == 1 ? 65536u : (quint32(h[16]) << 8 | h[17]);
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0 || size % pageSize != 0)
        return false;
    const quint32 changeCounter = bigEndian32(h + 24);
    const quint32 pageCount = bigEndian32(h + 28);
    const quint32 freePages = bigEndian32(h + 36);
    const quint32 countValidFor = bigEndian32(h + 92);
    if (countValidFor != changeCounter || pageCount == 0)
        return false;
    return qint64(pageCount) * pageSize == size && freePages < pageCount;
}

// The whole check for a file that was not closed cleanly: the journal of an
// unfinished session is left beside it (the engine keeps it while the file
// is open and removes it on closing), or its header disagrees with the file.
// A cleanly closed file has its pages checked.
CheckDepth checkDepthFor(const QString& journal, const FileHold& hold)
{
    const QString wal = journal.endsWith(QLatin1String("-journal")) ? journal.chopped(8) + QStringLiteral("-wal") : QString();
    if (journal.isEmpty() || QFileInfo::exists(journal) || (!wal.isEmpty() && QFileInfo::exists(wal)))
        return CheckDepth::Whole;
    return headerAgreesWithFile(hold) ? CheckDepth::Pages : CheckDepth::Whole;
}

// The journal file the engine keeps beside the open database.
QString journalOf(sqlite3* db)
{
    const char* main = sqlite3_db_filename(db, "main");
    const char* journal = main ? sqlite3_filename_journal(main) : nullptr;
    return journal ? QFile::decodeName(journal) : QString();
}

// After the whole check has passed, the file counts as closed cleanly: a
// journal that an unfinished session left and the engine did not take up (its
// last change was committed, or never reached the file) is removed, so that
// the next opening checks the pages alone. A journal the engine rolled back
// stays open in it until the file is closed, which removes it.
void forgetLeftJournal(sqlite3* db, const QString& journal)
{
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_JOURNAL_POINTER, &file) != SQLITE_OK
        || (file && file->pMethods))
        return;
    ::unlink(QFile::encodeName(journal).constData());
}

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}

// Whether this process may read (R_OK) or write (W_OK) a path, as its
// effective user; a read-only file system counts as not writable.
bool allowed(const QByteArray& native, int mode)
{
    return ::faccessat(AT_FDCWD, native.constData(), mode, AT_EACCESS) == 0 || (errno != EACCES && errno != EROFS && errno != EPERM);
}

// Refuses a file that cannot be worked with, naming the cause, before the
// engine touches it: the engine would take an empty file for a new database
// and write into it, and would open a file it cannot save into (a read-only
// file, or one in a folder where its journal cannot be made) and fail at the
// first save.
void checkUsable(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        throw Error(errFileNotFound, QStringLiteral("Файл %1 не найден.").arg(path));
    const QByteArray native = nativePath(path);
    if (!allowed(native, R_OK))
        throw Error(errNoReadPermission, QStringLiteral("Нет права на чтение файла %1.").arg(path));
    if (info.size() == 0)
        throw Error(errNotADatabase, QStringLiteral("Файл %1 пуст (0 байт).").arg(path));
    if (!allowed(native, W_OK))
        throw Error(errReadOnlyFile, QStringLiteral("Файл %1 доступен только для чтения.").arg(path));
    const QString folder = info.absolutePath();
    if (!allowed(nativePath(folder), W_OK | X_OK))
        throw Error(errReadOnlyFolder,
                    QStringLiteral("В папке %1 нельзя создавать файлы, а без этого изменения не сохраняются.").arg(folder));
}

// The engine's own locks are process-wide record locks, which the process
// loses whenever any descriptor of the file is closed (a file dialog that
// reads the file to guess its type is enough). The program's hold on the file
// is therefore a lock of its own descriptor, which no other open or close in
// the process can drop: a write lock of the open file description on one byte
// beside the engine's lock bytes (they are at 1 GiB, 512 bytes long), so
// that the two never meet. Where the system has no such locks, a whole-file
// lock (flock) takes its place. The descriptor is closed when the hold
// fails: errFileInUse when another program holds the file.
constexpr off_t kHoldByte = 0x40000000 + 1024;

void holdOn(int fd)
{
    struct flock range {};
    range.l_type = F_WRLCK;
    range.l_whence = SEEK_SET;
    range.l_start = kHoldByte;
    range.l_len = 1;
    int rc = ::fcntl(fd, F_OFD_SETLK, &range);
    if (rc != 0 && errno == EINVAL)
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    if (rc == 0)
        return;
    const int cause = errno;
    ::close(fd);
    if (cause == EAGAIN || cause == EACCES || cause == EWOULDBLOCK)
        throw Error(errFileInUse, QStringLiteral("Файл базы данных открыт другой программой."));
    const QString text = systemErrorText(cause);
    throw Error(errIo, describe(errIo, text), text);
}

constexpr int kHoldAttempts = 20;

// Whether this process has the file open already. It is then never opened
// again: closing the second descriptor would drop the engine's own locks on
// it, which other programs using the engine honour.
bool openHere(const QByteArray& native)
{
    struct stat target {};
    if (::stat(native.constData(), &target) != 0)
        return false;
    DIR* fds = ::opendir("/proc/self/fd");
    if (!fds)
        return false;
    bool found = false;
    while (const dirent* entry = ::readdir(fds)) {
        struct stat st {};
        if (entry->d_name[0] != '.' && ::fstatat(::dirfd(fds), entry->d_name, &st, 0) == 0
            && st.st_dev == target.st_dev && st.st_ino == target.st_ino) {
            found = true;
            break;
        }
    }
    ::closedir(fds);
    return found;
}

// True when [p, end) holds nothing but blanks, semicolons and comments.
bool onlySeparators(const char* p, const char* end)
{
    while (p < end && *p) {
        const char c = *p;
        if (c == ';' || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
            ++p;
        } else if (c == '-' && p + 1 < end && p[1] == '-') {
            while (p < end && *p && *p != '\n')
                ++p;
        } else if (c == '/' && p + 1 < end && p[1] == '*') {
            p += 2;
            while (p + 1 < end && *p && !(p[0] == '*' && p[1] == '/'))
                ++p;
            p = p + 1 < end ? p + 2 : end;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

// ---- FileHold ----------------------------------------------------------------

FileHold::~FileHold()
{
    release();
}

FileHold::FileHold(FileHold&& other) noexcept : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

FileHold& FileHold::operator=(FileHold&& other) noexcept
{
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

FileHold FileHold::take(const QString& path)
{
    const QByteArray native = nativePath(path);
    for (int attempt = 1;; ++attempt) {
        if (openHere(native))
            throw Error(errFileInUse, QStringLiteral("Файл базы данных уже открыт этой программой."));
        const int fd = ::open(native.constData(), O_RDWR | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) {
            const int cause = errno;
            const QString text = systemErrorText(cause);
            if (cause == ENOENT)
                throw Error(errFileNotFound, describe(errFileNotFound, text), text);
            if (cause == EROFS || cause == EACCES || cause == EPERM)
                throw Error(errReadOnlyFile, QStringLiteral("Файл %1 доступен только для чтения.").arg(path));
            throw Error(errIo, describe(errIo, text), text);
        }
        holdOn(fd);
        FileHold hold(fd, path);
        // A program that puts another file in this one's place holds both
        // until the new one has the name: a hold that came after that is on
        // a file no longer under the name, and the file now there is held.
        if (hold.holds(path))
            return hold;
        if (attempt == kHoldAttempts)
            throw Error(errFileInUse, QStringLiteral("Файл базы данных открыт другой программой."));
    }
}

FileHold FileHold::makeNew(const QString& path)
{
    const QByteArray native = nativePath(path);
    const int fd = ::open(native.constData(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd < 0) {
        const int cause = errno;
        if (cause == EEXIST)
            throw Error(errDatabaseExists, QStringLiteral("Файл %1 уже существует.").arg(path));
        const int n = cause == ENOSPC ? int(errDiskFull) : int(errIo);
        const QString text = systemErrorText(cause);
        throw Error(n, QStringLiteral("Не удаётся создать файл %1: %2.").arg(path, text), text);
    }
    try {
        holdOn(fd);
    } catch (const Error&) {
        ::unlink(native.constData());
        throw;
    }
    return FileHold(fd, path);
}

bool FileHold::holds(const QString& path) const
{
    struct stat own {};
    struct stat named {};
    return fd_ >= 0 && ::fstat(fd_, &own) == 0 && ::stat(nativePath(path).constData(), &named) == 0
        && own.st_dev == named.st_dev && own.st_ino == named.st_ino;
}

void FileHold::moveTo(const QString& to, bool replace)
{
    const QByteArray from = nativePath(path_);
    const QByteArray target = nativePath(to);
    int rc = 0;
    if (replace) {
        rc = ::rename(from.constData(), target.constData());
    } else {
        rc = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE);
        if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system without the one-step form: a second name first,
            // which is refused where a file is, then the first name removed.
            rc = ::link(from.constData(), target.constData());
            if (rc == 0)
                ::unlink(from.constData());
            else if (errno == EPERM || errno == EOPNOTSUPP)
                rc = QFileInfo::exists(to) ? (errno = EEXIST, -1) : ::rename(from.constData(), target.constData());
        }
    }
    if (rc != 0) {
        const int cause = errno;
        if (cause == EEXIST)
            throw Error(errDatabaseExists, QStringLiteral("Файл %1 уже существует.").arg(to));
        const int n = cause == ENOSPC ? int(errDiskFull) : int(errIo);
        const QString text = systemErrorText(cause);
        throw Error(n, QStringLiteral("Не удаётся переименовать файл %1 в %2: %3.").arg(path_, to, text), text);
    }
    path_ = to;
}

void FileHold::release()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

QByteArray FileHold::read(qint64 offset, qint64 size) const
{
    QByteArray out(size, Qt::Uninitialized);
    qint64 done = 0;
    while (fd_ >= 0 && done < size) {
        const ssize_t got = ::pread(fd_, out.data() + done, size_t(size - done), off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += got;
    }
    out.truncate(done);
    return out;
}

qint64 FileHold::fileSize() const
{
    struct stat st {};
    return fd_ >= 0 && ::fstat(fd_, &st) == 0 ? qint64(st.st_size) : -1;
}

// ---- Database ----------------------------------------------------------------

Database::Database(sqlite3* db, const QString& path, FileHold hold) : db_(db), path_(path), hold_(std::move(hold)) {}

Database::~Database()
{
    close();
}

std::unique_ptr<Database> Database::create(const QString& path)
{
    const QByteArray native = nativePath(path);
    FileHold hold;
    try {
        hold = FileHold::makeNew(path);
    } catch (const Error& e) {
        if (e.number() == errDatabaseExists)
            throw Error(errDatabaseExists, QStringLiteral("База данных уже существует."));
        throw;
    }
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(native.constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        const QString text = sqliteMessage(raw, rc);
        sqlite3_close_v2(raw);
        ::unlink(native.constData());
        throw Error(errIo, describe(errIo, text));
    }
    std::unique_ptr<Database> db(new Database(raw, path, std::move(hold)));
    try {
        configure(raw);
        db->execute(QStringLiteral("PRAGMA application_id=1263293524"));  // "KLVT"
        lockExclusively(raw);
    } catch (...) {
        db->close();
        ::unlink(native.constData());
        throw;
    }
    return db;
}

std::unique_ptr<Database> Database::open(const QString& path)
{
    checkUsable(path);
    // Held before the engine opens the file: a second program is turned
    // away here even when the engine's own locks were lost.
    return open(path, FileHold::take(path));
}

std::unique_ptr<Database> Database::open(const QString& path, FileHold hold)
{
    if (!hold.holds(path))
        throw Error(errGeneric, QStringLiteral("Файл %1 не удерживается программой.").arg(path));
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(nativePath(path).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        const QString text = sqliteMessage(raw, rc);
        sqlite3_close_v2(raw);
        const int n = errorNumberFor(rc, nullptr);
        throw Error(n, describe(n, text), text);
    }
    const QString journal = journalOf(raw);
    const CheckDepth depth = checkDepthFor(journal, hold);
    std::unique_ptr<Database> db(new Database(raw, path, std::move(hold)));
    if (sqlite3_db_readonly(raw, "main") == 1) {
        db->close();
        throw Error(errReadOnlyFile, QStringLiteral("Файл %1 доступен только для чтения.").arg(path));
    }
    configure(raw);
    sqlite3_busy_timeout(raw, 0);
    lockExclusively(raw);
    checkFile(raw, depth);
    if (depth == CheckDepth::Whole)
        forgetLeftJournal(raw, journal);
    return db;
}

void Database::close()
{
    if (!db_)
        return;
    for (Recordset* rs : std::vector<Recordset*>(openRecordsets_.begin(), openRecordsets_.end()))
        rs->close();
    openRecordsets_.clear();
    sqlite3_close_v2(db_);
    db_ = nullptr;
    // Released only after the engine let go of the file.
    hold_.release();
    depth_ = 0;
    schemaCache_.clear();
}

FileHold Database::closeKeepingHold()
{
    FileHold hold = std::move(hold_);
    close();
    return hold;
}

void Database::fail(int rc, const QString& context) const
{
    const char* msg = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    const int ext = db_ ? sqlite3_extended_errcode(db_) : rc;
    const int n = errorNumberFor(ext, msg);
    QString text = QString::fromUtf8(msg);
    if (n == errFieldTooSmall || n == errTypeMismatch || n == errOverflow) {
        if (rc == SQLITE_CONSTRAINT_CHECK || ext == SQLITE_CONSTRAINT_CHECK) {
            static const QRegularExpression named(QStringLiteral(R"re(failed: (?:len|type|range):(.+)$)re"));
            static const QRegularExpression col(QStringLiteral(R"re(length\("?([^")]+)"?\))re"));
            auto m = named.match(text);
            if (!m.hasMatch())
                m = col.match(text);
            const QString column = m.hasMatch() ? m.captured(1) : QString();
            if (n == errTypeMismatch)
                text = QStringLiteral("Значение не подходит по типу для поля %1.").arg(column);
            else if (n == errOverflow)
                text = QStringLiteral("Переполнение: значение не помещается в поле %1.").arg(column);
            else
                text = column.isEmpty() ? QStringLiteral("Значение длиннее допустимого для поля.")
                                        : QStringLiteral("Значение поля %1 длиннее допустимого.").arg(column);
            throw Error(n, context.isEmpty() ? text : context + QLatin1Char(' ') + text);
        }
    }
    const QString d = describe(n, text);
    throw Error(n, context.isEmpty() ? d : context + QLatin1Char(' ') + d, text);
}

sqlite3_stmt* Database::prepare(const QString& sql) const
{
    if (!db_)
        throw Error(errGeneric, QStringLiteral("База данных не открыта."));
    sqlite3_stmt* stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &stmt, &tail);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        fail(rc);
    }
    if (tail && !onlySeparators(tail, utf8.constData() + utf8.size())) {
        sqlite3_finalize(stmt);
        throw Error(errTooManyStatements,
                    QStringLiteral("В запросе больше одной инструкции; выполняется только одна: %1").arg(sql.trimmed()));
    }
    if (!stmt)
        throw Error(errSyntax, QStringLiteral("Ошибка в запросе: в нем нет инструкции."));
    return stmt;
}

void Database::bind(sqlite3_stmt* stmt, const QVariantList& params, bool kept) const
{
    const auto drop = [&] {
        if (!kept)
            sqlite3_finalize(stmt);
    };
    const int expected = sqlite3_bind_parameter_count(stmt);
    if (expected != params.size()) {
        drop();
        throw Error(errSyntax, QStringLiteral("Число параметров запроса (%1) не совпадает с числом значений (%2).")
                                   .arg(expected)
                                   .arg(params.size()));
    }
    for (int i = 0; i < params.size(); ++i) {
        const QVariant& v = params.at(i);
        const int idx = i + 1;
        if (detail::isInvalidDate(v)) {
            drop();
            throw Error(errTypeMismatch, QStringLiteral("Недопустимая дата в значении %1 запроса.").arg(idx));
        }
        int rc = SQLITE_OK;
        if (v.isNull() && v.typeId() != QMetaType::QString) {
            rc = sqlite3_bind_null(stmt, idx);
        } else {
            switch (v.typeId()) {
            case QMetaType::Bool: rc = sqlite3_bind_int(stmt, idx, v.toBool() ? -1 : 0); break;
            case QMetaType::Double:
            case QMetaType::Float: rc = sqlite3_bind_double(stmt, idx, v.toDouble()); break;
            case QMetaType::QDate:
            case QMetaType::QDateTime: {
                const QByteArray t = detail::storedDate(v.toDateTime()).toUtf8();
                rc = sqlite3_bind_text(stmt, idx, t.constData(), int(t.size()), SQLITE_TRANSIENT);
                break;
            }
            case QMetaType::QByteArray: {
                const QByteArray b = v.toByteArray();
                rc = sqlite3_bind_blob(stmt, idx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
                break;
            }
            default: {
                if (detail::isWholeNumberType(v.typeId())) {
                    rc = sqlite3_bind_int64(stmt, idx, v.toLongLong());
                    break;
                }
                const QByteArray t = v.toString().toUtf8();
                rc = sqlite3_bind_text(stmt, idx, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            }
            }
        }
        if (rc != SQLITE_OK) {
            drop();
            fail(rc);
        }
    }
}

int Database::runKept(sqlite3_stmt* stmt, const QVariantList& params)
{
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    bind(stmt, params, true);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    sqlite3_reset(stmt);
    if (rc != SQLITE_DONE)
        fail(rc);
    return sqlite3_changes(db_);
}

int Database::execute(const QString& sql, const QVariantList& params)
{
    bool ddl = false;
    const QString translated = detail::translateStatement(sql, &ddl);
    return executeNative(translated, params, ddl);
}

int Database::executeNative(const QString& sql, const QVariantList& params, bool ddl)
{
    if (ddl)
        invalidateSchema();
    sqlite3_stmt* stmt = prepare(sql);
    bind(stmt, params);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
        sqlite3_reset(stmt);
        sqlite3_finalize(stmt);
        fail(rc);
    }
    sqlite3_finalize(stmt);
    if (ddl)
        invalidateSchema();
    return sqlite3_changes(db_);
}

QVariant Database::scalar(const QString& sql, const QVariantList& params)
{
    auto rs = openRecordset(sql, dbOpenSnapshot, params);
    if (rs->isEOF() || rs->fieldCount() == 0)
        return {};
    return rs->value(0);
}

std::unique_ptr<Recordset> Database::openRecordset(const QString& source, int type, const QVariantList& params)
{
    static const QRegularExpression bareName(QStringLiteral(R"(^\s*\[?([A-Za-z_][A-Za-z0-9_]*)\]?\s*$)"));
    QString sql = source;
    if (const auto m = bareName.match(source); m.hasMatch()) {
        const TableDef& def = cachedTableDef(m.captured(1));
        QString key;
        for (const FieldDef& f : def.fields)
            if (f.attributes == dbAutoNumberKey) {
                key = f.name;
                break;
            }
        sql = QStringLiteral("SELECT * FROM %1 ORDER BY %2").arg(quoteIdent(def.name), key.isEmpty() ? QStringLiteral("rowid") : quoteIdent(key));
    }
    sqlite3_stmt* stmt = prepare(sql);
    bind(stmt, params);
    std::unique_ptr<Recordset> rs(new Recordset(this, stmt, type));
    openRecordsets_.insert(rs.get());
    rs->start();
    return rs;
}

QStringList Database::tableNames() const
{
    QStringList names;
    sqlite3_stmt* stmt = prepare(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid"));
    while (sqlite3_step(stmt) == SQLITE_ROW)
        names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    return names;
}

bool Database::hasTable(const QString& name) const
{
    for (const QString& t : tableNames())
        if (t.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

TableDef Database::tableDef(const QString& name) const
{
    return cachedTableDef(name);
}

const TableDef& Database::cachedTableDef(const QString& name) const
{
    const QString key = name.toUpper();
    auto it = schemaCache_.find(key);
    if (it != schemaCache_.end())
        return it.value();

    QString actual;
    for (const QString& t : tableNames())
        if (t.compare(name, Qt::CaseInsensitive) == 0) {
            actual = t;
            break;
        }
    if (actual.isEmpty())
        throw Error(errItemNotFound, QStringLiteral("Таблица %1 не найдена.").arg(name));

    TableDef def;
    def.name = actual;
    sqlite3_stmt* stmt = prepare(QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?)"));
    bind(stmt, {actual});
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const QString col = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        const auto* declared = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
        const bool pk = sqlite3_column_int(stmt, 2) > 0;
        def.fields.push_back(detail::fieldFromDeclared(col, QString::fromUtf8(declared ? declared : ""), pk));
    }
    sqlite3_finalize(stmt);

    stmt = prepare(QStringLiteral("SELECT name, \"unique\", origin FROM pragma_index_list(?) ORDER BY seq DESC"));
    bind(stmt, {actual});
    std::vector<std::pair<QString, bool>> indexes;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const QString origin = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2)));
        if (origin != QLatin1String("c"))
            continue;  // automatic indexes of constraints are not the table's own
        indexes.emplace_back(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))),
                             sqlite3_column_int(stmt, 1) != 0);
    }
    sqlite3_finalize(stmt);
    for (const auto& [stored, unique] : indexes) {
        IndexDef idx;
        idx.name = detail::indexNameFromStored(actual, stored);
        idx.primary = unique;
        QStringList parts;
        sqlite3_stmt* cols = prepare(QStringLiteral("SELECT name, \"desc\" FROM pragma_index_xinfo(?) WHERE key=1 ORDER BY seqno"));
        bind(cols, {stored});
        while (sqlite3_step(cols) == SQLITE_ROW) {
            const auto* c = reinterpret_cast<const char*>(sqlite3_column_text(cols, 0));
            parts << (sqlite3_column_int(cols, 1) ? QStringLiteral("-") : QStringLiteral("+")) + QString::fromUtf8(c ? c : "");
        }
        sqlite3_finalize(cols);
        idx.fields = parts.join(QLatin1Char(';'));
        def.indexes.push_back(idx);
    }
    return schemaCache_.insert(key, def).value();
}

void Database::invalidateSchema()
{
    schemaCache_.clear();
}

void Database::createTable(const TableDef& def)
{
    if (def.fields.empty())
        throw Error(errSyntax, QStringLiteral("В таблице %1 нет полей.").arg(def.name));
    QStringList cols;
    for (const FieldDef& f : def.fields) {
        FieldDef field = f;
        if (field.attributes == 0)
            field.attributes = defaultAttributes(field.type);
        cols << detail::columnDefinition(field);
    }
    executeNative(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteIdent(def.name), cols.join(QStringLiteral(", "))), {}, true);
    for (const IndexDef& idx : def.indexes) {
        QStringList fields;
        for (QString part : idx.fields.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            part = part.trimmed();
            const bool desc = part.startsWith(QLatin1Char('-'));
            if (part.startsWith(QLatin1Char('+')) || desc)
                part.remove(0, 1);
            fields << quoteIdent(part) + (desc ? QStringLiteral(" DESC") : QString());
        }
        executeNative(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                          .arg(idx.primary ? QStringLiteral("UNIQUE ") : QString(),
                               quoteIdent(detail::storedIndexName(def.name, idx.name)), quoteIdent(def.name),
                               fields.join(QStringLiteral(", "))),
                      {}, true);
    }
}

void Database::appendField(const QString& table, const FieldDef& field)
{
    if ((field.attributes & dbAutoIncrField) != 0)
        throw Error(errSyntax, QStringLiteral("Поле-счётчик нельзя добавить к существующей таблице %1.").arg(table));
    const TableDef& def = cachedTableDef(table);
    if (def.field(field.name))
        throw Error(errDuplicateValue, QStringLiteral("Поле %1 уже есть в таблице %2.").arg(field.name, table));
    FieldDef f = field;
    f.attributes = defaultAttributes(f.type);
    executeNative(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(quoteIdent(def.name), detail::columnDefinition(f)), {}, true);
}

void Database::dropField(const QString& table, const QString& field)
{
    const TableDef& def = cachedTableDef(table);
    if (!def.field(field))
        throw Error(errItemNotFound, QStringLiteral("Поле %1 не найдено в таблице %2.").arg(field, table));
    executeNative(QStringLiteral("ALTER TABLE %1 DROP COLUMN %2").arg(quoteIdent(def.name), quoteIdent(field)), {}, true);
}

void Database::beginTrans()
{
    execute(QStringLiteral("SAVEPOINT kalveta_%1").arg(depth_ + 1));
    ++depth_;
}

void Database::commitTrans()
{
    if (depth_ == 0)
        throw Error(errGeneric, QStringLiteral("Нет начатой транзакции."));
    execute(QStringLiteral("RELEASE SAVEPOINT kalveta_%1").arg(depth_));
    --depth_;
}

void Database::rollback()
{
    if (depth_ == 0)
        throw Error(errGeneric, QStringLiteral("Нет начатой транзакции."));
    const int d = depth_;
    --depth_;
    invalidateSchema();
    if (d == 1) {
        // The whole transaction: the file is left exactly as it was before.
        execute(QStringLiteral("ROLLBACK"));
        return;
    }
    execute(QStringLiteral("ROLLBACK TO SAVEPOINT kalveta_%1").arg(d));
    execute(QStringLiteral("RELEASE SAVEPOINT kalveta_%1").arg(d));
}

FileHold Database::backupTo(const QString& path)
{
    const QByteArray native = nativePath(path);
    FileHold copy = FileHold::makeNew(path);
    sqlite3* target = nullptr;
    int rc = sqlite3_open_v2(native.constData(), &target, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_backup* b = sqlite3_backup_init(target, "main", db_, "main");
        if (b) {
            rc = sqlite3_backup_step(b, -1);
            sqlite3_backup_finish(b);
            if (rc == SQLITE_DONE)
                rc = SQLITE_OK;
        } else {
            rc = sqlite3_errcode(target);
        }
    }
    const int extended = target ? sqlite3_extended_errcode(target) : rc;
    const QString text = sqliteMessage(target, rc);
    sqlite3_close_v2(target);
    if (rc != SQLITE_OK) {
        ::unlink(native.constData());
        ::unlink((native + "-journal").constData());
        const int n = errorNumberFor(extended, nullptr) == errDiskFull ? int(errDiskFull) : int(errIo);
        throw Error(n, QStringLiteral("Не удалось скопировать базу данных в %1: %2").arg(path, describe(n, text)), text);
    }
    return copy;
}

qlonglong Database::totalChanges() const
{
    return db_ ? qlonglong(sqlite3_total_changes64(db_)) : 0;
}

qlonglong Database::lastInsertKey() const
{
    return db_ ? sqlite3_last_insert_rowid(db_) : 0;
}

qlonglong Database::nextKey(const QString& table, Recordset::KeyQueries& queries) const
{
    const TableDef& def = cachedTableDef(table);
    QString key;
    for (const FieldDef& f : def.fields)
        if (f.attributes == dbAutoNumberKey)
            key = f.name;
    if (key.isEmpty())
        return 0;
    if (!queries.sequence)
        queries.sequence = prepare(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name=?"));
    if (!queries.largest)
        queries.largest = prepare(QStringLiteral("SELECT max(%1) FROM %2").arg(quoteIdent(key), quoteIdent(def.name)));
    qlonglong seq = 0;
    sqlite3_reset(queries.sequence);
    bind(queries.sequence, {def.name}, true);
    if (sqlite3_step(queries.sequence) == SQLITE_ROW)
        seq = sqlite3_column_int64(queries.sequence, 0);
    sqlite3_reset(queries.sequence);
    if (sqlite3_step(queries.largest) == SQLITE_ROW)
        seq = std::max<qlonglong>(seq, sqlite3_column_int64(queries.largest, 0));
    sqlite3_reset(queries.largest);
    return seq + 1;
}

int Database::compareText(const QString& a, const QString& b)
{
    return detail::collateRu(a, b);
}

QByteArray Database::textKey(const QString& text)
{
    return detail::collationKeyRu(text);
}

Transaction::Transaction(Database& db) : db_(db)
{
    db_.beginTrans();
}

Transaction::~Transaction()
{
    if (!done_) {
        try {
            db_.rollback();
        } catch (const Error&) {
            // The connection is gone or already rolled back; nothing is left to undo.
        }
    }
}

void Transaction::commit()
{
    db_.commitTrans();
    done_ = true;
}

namespace {

// "dd.MM.yyyy", written out directly for the years of four digits: a
// format string is read anew at every call, and long lists show many dates.
QString dateText(const QDate& date)
{
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    if (!date.isValid() || year < 1000 || year > 9999)
        return date.toString(QStringLiteral("dd.MM.yyyy"));
    const char16_t text[10] = {char16_t(u'0' + day / 10), char16_t(u'0' + day % 10), u'.',
                               char16_t(u'0' + month / 10), char16_t(u'0' + month % 10), u'.',
                               char16_t(u'0' + year / 1000), char16_t(u'0' + year / 100 % 10),
                               char16_t(u'0' + year / 10 % 10), char16_t(u'0' + year % 10)};
    return QString(reinterpret_cast<const QChar*>(text), 10);
}

} // namespace

QString toText(const QVariant& value)
{
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QDate)
        return dateText(value.toDate());
    if (value.typeId() == QMetaType::QDateTime) {
        const QDateTime dt = value.toDateTime();
        return dt.time() == QTime(0, 0) ? dt.date().toString(QStringLiteral("dd.MM.yyyy"))
                                        : dt.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    }
    if (value.typeId() == QMetaType::Double) {
        QString s = QString::number(value.toDouble(), 'g', 15);
        s.replace(QLatin1Char('.'), QLatin1Char(','));
        return s;
    }
    return value.toString();
}

qlonglong toLong(const QVariant& value)
{
    if (value.isNull())
        return 0;
    bool ok = false;
    const qlonglong n = value.toLongLong(&ok);
    if (ok)
        return n;
    return static_cast<qlonglong>(vbVal(value.toString()));
}

bool isNull(const QVariant& value)
{
    return value.isNull() && value.typeId() != QMetaType::QString;
}

double vbVal(const QString& text)
{
    // Visual Basic's Val: blanks, tabs and line feeds are skipped everywhere;
    // reading stops at the first character that cannot continue a number.
    QString s;
    s.reserve(text.size());
    for (QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            s += c;
    if (s.startsWith(QLatin1String("&H"), Qt::CaseInsensitive) || s.startsWith(QLatin1String("&O"), Qt::CaseInsensitive)) {
        const int base = s.at(1).toUpper() == QLatin1Char('H') ? 16 : 8;
        qlonglong v = 0;
        for (qsizetype i = 2; i < s.size(); ++i) {
            const int d = s.at(i).isDigit() ? s.at(i).digitValue()
                                            : (base == 16 && s.at(i).toUpper() >= QLatin1Char('A') && s.at(i).toUpper() <= QLatin1Char('F')
                                                   ? s.at(i).toUpper().unicode() - 'A' + 10
                                                   : -1);
            if (d < 0 || d >= base)
                break;
            v = v * base + d;
        }
        return double(v);
    }
    qsizetype i = 0;
    QString num;
    if (i < s.size() && (s.at(i) == QLatin1Char('-') || s.at(i) == QLatin1Char('+')))
        num += s.at(i++);
    bool digits = false, dot = false;
    while (i < s.size()) {
        const QChar c = s.at(i);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            num += c;
            digits = true;
        } else if (c == QLatin1Char('.') && !dot) {
            num += c;
            dot = true;
        } else {
            break;
        }
        ++i;
    }
    if (digits && i < s.size() && (s.at(i).toUpper() == QLatin1Char('E') || s.at(i).toUpper() == QLatin1Char('D'))) {
        QString exp = QStringLiteral("e");
        qsizetype j = i + 1;
        if (j < s.size() && (s.at(j) == QLatin1Char('-') || s.at(j) == QLatin1Char('+')))
            exp += s.at(j++);
        bool expDigits = false;
        while (j < s.size() && s.at(j) >= QLatin1Char('0') && s.at(j) <= QLatin1Char('9')) {
            exp += s.at(j++);
            expDigits = true;
        }
        if (expDigits)
            num += exp;
    }
    if (!digits)
        return 0.0;
    return num.toDouble();
}

} // namespace jet
