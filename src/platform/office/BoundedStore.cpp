#include "platform/office/BoundedStore.h"

#include "platform/office/OfficeFailures.h"
#include "platform/office/OfficeProcess.h"
#include "platform/aside/Aside.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <optional>
#include <sys/statvfs.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace office::uno {

bool diskNearlyFull(const QString& folder, long long needed)
{
    QStorageInfo disk(folder);
    disk.refresh();
    return disk.isValid() && disk.bytesAvailable() >= 0 && disk.bytesAvailable() < needed;
}

namespace {

// The office's temporary files in a folder (it writes a document as
// lu<...>.tmp beside it first).
QSet<QString> officeTempFiles(const QDir& folder)
{
    const QStringList names = folder.entryList({QStringLiteral("lu*.tmp")}, QDir::Files | QDir::Hidden);
    return QSet<QString>(names.begin(), names.end());
}

} // namespace

namespace {

// Whether this process may not write into the folder (its mode or a disk
// mounted read-only says so); false when that cannot be told.
bool folderNotWritable(const QString& folder)
{
    if (::access(QFile::encodeName(folder).constData(), W_OK) == 0)
        return false;
    return errno == EACCES || errno == EPERM || errno == EROFS;
}

// A disk with less room than this counts as full while a store runs.
constexpr long long kNoRoom = 64LL << 10;
// How long a store may go on on a full disk before the office is ended.
constexpr auto kFullDiskGrace = std::chrono::seconds(2);

long long freeBytes(const QByteArray& folder)
{
    struct statvfs fs {};
    if (::statvfs(folder.constData(), &fs) != 0)
        return -1;
    return (long long)fs.f_bavail * (long long)fs.f_frsize;
}

// While a store runs, the disks it writes to are watched: the office's Word
// export, short of room, tries again and again instead of failing, so an
// office that has had a full disk for a moment is ended; the store then
// fails at once and the full disk is told.
class DiskWatch {
public:
    DiskWatch(pid_t group, const QStringList& folders) : group_(group)
    {
        for (const QString& f : folders)
            folders_.push_back(QFile::encodeName(f));
        if (group_ > 0)
            thread_ = std::thread([this] { watch(); });
    }
    ~DiskWatch()
    {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable())
            thread_.join();
    }
    DiskWatch(const DiskWatch&) = delete;
    DiskWatch& operator=(const DiskWatch&) = delete;
    // Whether the office was ended for a full disk.
    bool endedOffice() const { return ended_.load(); }

private:
    void watch()
    {
        using clock = std::chrono::steady_clock;
        std::optional<clock::time_point> fullSince;
        std::unique_lock lock(mutex_);
        while (!done_) {
            bool full = false;
            for (const QByteArray& f : folders_) {
                const long long room = freeBytes(f);
                full = full || (room >= 0 && room < kNoRoom);
            }
            if (!full) {
                fullSince.reset();
            } else if (!fullSince) {
                fullSince = clock::now();
            } else if (clock::now() - *fullSince >= kFullDiskGrace) {
                ended_.store(true);
                // Only signals here: the office's state is put right by the
                // thread that uses it, once its call has failed.
                ::kill(-group_, SIGKILL);
                return;
            }
            wake_.wait_for(lock, std::chrono::milliseconds(100));
        }
    }

    pid_t group_;
    std::vector<QByteArray> folders_;
    std::atomic<bool> ended_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread thread_;
};

} // namespace

void storeBounded(const QString& file, long long needed, const std::function<void()>& store)
{
    const QFileInfo target(file);
    const QString folderPath = target.absolutePath();
    const QDir folder(folderPath);
    Office& office = Office::instance();
    // What keeps the store from being made, in the words the user acts on:
    // the file's folder cannot be written, or its disk or the disk of the
    // office's own temporary files (in its profile) has no room.
    auto obstacle = [&]() -> std::optional<Error> {
        if (!target.exists() && folderNotWritable(folderPath))
            return Error::withCause(ErrorKind::CannotStore, Error::noWriteAccessText(folderPath));
        for (const QString& f : {folderPath, office.profileFolder()})
            if (QFileInfo(f).isDir() && diskNearlyFull(f, needed + kStoreSlack))
                return Error::noSpace(ErrorKind::CannotStore, f);
        return std::nullopt;
    };
    if (const auto refused = obstacle())
        throw *refused;
    // A file made empty for the store (a checked copy) is the store's own.
    const bool existed = target.exists() && target.size() > 0;
    const QSet<QString> tempBefore = officeTempFiles(folder);
    auto removePartial = [&] {
        if (!existed)
            QFile::remove(target.absoluteFilePath());
        for (const QString& name : officeTempFiles(folder))
            if (!tempBefore.contains(name))
                QFile::remove(folder.filePath(name));
    };

    // The document lives in our office: once that has gone there is
    // nothing left to store (a new office would not hold it).
    if (!office.isRunning())
        throw Error(ErrorKind::ConnectionLost);
    if (office.impl().beforeStore)
        office.impl().beforeStore(target.absoluteFilePath());
    Office::Limits limits;
    limits.seconds = office.storeSeconds();
    Office::Guard guard(office, limits);
    DiskWatch diskWatch(office.impl().watchedGroup(), {folderPath, office.profileFolder()});
    auto officeEnded = [&] { return guard.exceeded() != Office::Guard::Exceeded::None || diskWatch.endedOffice(); };
    // Everything after a failed store works without the office: it may be
    // gone (ended by the guard, or crashed on the full disk).
    auto failed = [&](const QString& officeText, bool lost) -> Error {
        // The disks are judged with what the store left on them still there.
        const std::optional<Error> found = obstacle();
        removePartial();
        const bool ended = officeEnded();
        if (ended)
            office.impl().forgetEnded();
        if (found)
            return *found;
        QString cause;
        if (guard.exceeded() != Office::Guard::Exceeded::None)
            cause = QStringLiteral("Офисная программа не сохранила файл за %1 с и была закрыта.").arg(limits.seconds);
        else if (lost)
            return Error(ErrorKind::ConnectionLost);
        QString text = plainOfficeText(officeText);
        if (text.contains(QLatin1String("bridge"), Qt::CaseInsensitive))
            text.clear();  // the office ended: its words say nothing of the cause
        // The office names the file in its words; the message names it once.
        const QString shownPath = QDir::toNativeSeparators(target.absoluteFilePath());
        text.remove(shownPath + QStringLiteral(": "));
        text.remove(shownPath);
        text = text.trimmed();
        const QString inBrackets = text.isEmpty() ? QString() : QStringLiteral(" (") + text + QLatin1Char(')');
        QString detail;
        if (!cause.isEmpty())
            detail = cause + inBrackets;
        else if (officeText.contains(QLatin1String("Area:Io")))
            detail = QStringLiteral("Файл ") + shownPath + QStringLiteral(" не удается записать") + inBrackets
                + QLatin1Char('.');
        else
            detail = shownPath + inBrackets;
        return Error(ErrorKind::CannotStore, detail);
    };
    try {
        aside::run(store);
    } catch (const css::uno::Exception& e) {
        const bool lost = !officeEnded() && officeLost(office, e);
        throw failed(toQ(e.Message), lost);
    }
    if (officeEnded())
        throw failed(QString(), false);
}

} // namespace office::uno
