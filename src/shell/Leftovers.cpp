#include "shell/Leftovers.h"

#include "core/AppState.h"
#include "shell/DatabaseFileCommands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <utility>

namespace shell {
namespace {

enum class Place { Documents, Templates, Archive };

// The names a killed run may leave, by the folder they are left in.
struct LeftoverName {
    Place place;
    const char* pattern;  // the whole file name
};

constexpr LeftoverName kLeftoverNames[] = {
    // The office writes a document into a temporary file beside it first.
    {Place::Documents, R"(lu[0-9A-Za-z]+\.tmp)"},
    {Place::Templates, R"(lu[0-9A-Za-z]+\.tmp)"},
    // A template's adjusted copy, checked before it takes the template's place.
    {Place::Templates, R"(\.~kalveta-[0-9A-Za-z]{6}\.[0-9A-Za-z]+)"},
    // An archive copy being written.
    {Place::Archive, R"(.+ \d{4}-\d\d-\d\d \d\d-\d\d-\d\d(\.[^.]+)?\.part)"},
};

using FileId = std::pair<dev_t, ino_t>;

// The files that running processes hold open, among `wanted` (device and
// inode); processes of other users are not seen, nor are their files ours.
std::set<FileId> heldOpen(const std::set<FileId>& wanted)
{
    std::set<FileId> held;
    const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& pid : processes) {
        if (pid.isEmpty() || !pid.at(0).isDigit())
            continue;
        const QString fdFolder = QStringLiteral("/proc/") + pid + QStringLiteral("/fd");
        const QStringList fds = QDir(fdFolder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        for (const QString& fd : fds) {
            struct stat st {};
            if (::stat(QFile::encodeName(fdFolder + QLatin1Char('/') + fd).constData(), &st) != 0)
                continue;
            const FileId id{st.st_dev, st.st_ino};
            if (wanted.count(id))
                held.insert(id);
        }
    }
    return held;
}

QString placeFolder(Place place, const ProgramFolders& where)
{
    const QDir app(where.appPath);
    switch (place) {
    case Place::Documents: return app.filePath(QString::fromUtf8(core::kDocumentsFolderName));
    case Place::Templates: return where.templatesFolder;
    case Place::Archive: return DatabaseFileCommands::archiveFolderOf(where.appPath);
    }
    return {};
}

} // namespace

FolderHold::FolderHold(const QStringList& folders, QObject* parent) : QObject(parent)
{
    for (const QString& folder : folders) {
        const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            alone_ = false;  // cannot tell
            continue;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
            alone_ = false;
        fds_.push_back(fd);
    }
    if (!alone_)
        share();
}

void FolderHold::share()
{
    alone_ = false;
    for (int fd : fds_)
        ::flock(fd, LOCK_SH);
}

FolderHold::~FolderHold()
{
    for (int fd : fds_)
        ::close(fd);
}

QStringList findLeftovers(const ProgramFolders& where)
{
    QStringList candidates;
    for (const LeftoverName& name : kLeftoverNames) {
        const QString folder = placeFolder(name.place, where);
        if (folder.isEmpty())
            continue;
        const QRegularExpression pattern(
            QRegularExpression::anchoredPattern(QString::fromUtf8(name.pattern)));
        const QDir dir(folder);
        for (const QString& file : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            if (pattern.match(file).hasMatch() && !candidates.contains(dir.filePath(file)))
                candidates << dir.filePath(file);
        }
    }
    if (!where.databasePath.isEmpty()) {
        const QString staged = DatabaseFileCommands::restoreStagingPath(where.databasePath);
        if (QFileInfo(staged).isFile() && !QFileInfo(staged).isSymLink())
            candidates << staged;
    }
    if (candidates.isEmpty())
        return {};

    // A file a process holds open is still being written (an office left
    // running from an earlier run may be saving a document).
    std::set<FileId> ids;
    std::vector<std::pair<QString, FileId>> found;
    for (const QString& path : std::as_const(candidates)) {
        struct stat st {};
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        const FileId id{st.st_dev, st.st_ino};
        ids.insert(id);
        found.emplace_back(path, id);
    }
    const std::set<FileId> held = heldOpen(ids);
    QStringList leftovers;
    for (const auto& [path, id] : found)
        if (!held.count(id))
            leftovers << path;
    return leftovers;
}

int removeLeftovers(const ProgramFolders& where)
{
    int removed = 0;
    for (const QString& path : findLeftovers(where))
        if (QFile::remove(path))
            ++removed;
    return removed;
}

} // namespace shell
