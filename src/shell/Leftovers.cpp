#include "shell/Leftovers.h"

#include "core/AppState.h"
#include "core/DatabaseSetup.h"
#include "platform/office/TextDocument.h"
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

enum class Place { Data, Documents, Templates, Archive, DatabaseFolder };

// The office writes a document into a temporary file beside it first; the
// name is the office's own.
constexpr const char* kOfficeTemporary = R"(lu[0-9A-Za-z]+\.tmp)";

// The pattern of the names a naming function of the program gives: its
// result for stand-in parts, each stand-in then read as what may stand there.
QString namePattern(const QString& name, const std::vector<std::pair<QString, QString>>& parts)
{
    QString pattern = QRegularExpression::escape(QFileInfo(name).fileName());
    for (const auto& [standIn, what] : parts)
        pattern.replace(QRegularExpression::escape(standIn), what);
    return pattern;
}

const QString kNameStandIn = QStringLiteral("NAMExSTANDxIN");
const QString kUniqueStandIn = QStringLiteral("UNIQUExSTANDxIN");
const QString kSuffixStandIn = QStringLiteral("SUFFIXxSTANDxIN");

// A temporary database file of the program of `kind`, or what the engine
// kept beside one.
QString temporaryDatabasePattern(core::Temporary kind)
{
    QStringList companions;
    for (const QString& companion : core::companionFiles(QString()))
        companions << QRegularExpression::escape(companion);
    return namePattern(core::temporaryName(kNameStandIn, kind, kUniqueStandIn),
                       {{kNameStandIn, QStringLiteral(".+")}, {kUniqueStandIn, QStringLiteral("[0-9a-f]{8}")}})
        + QStringLiteral("(") + companions.join(QLatin1Char('|')) + QStringLiteral(")?");
}

// A template's copy that a save checks before it takes the template's place.
QString templateCopyPattern()
{
    return namePattern(office::templateCopyName(kNameStandIn + QLatin1Char('.') + kSuffixStandIn, kUniqueStandIn),
                       {{kUniqueStandIn, QStringLiteral("[0-9]+")},
                        {QStringLiteral("XXXXXX"), QStringLiteral("[0-9A-Za-z]{6}")},
                        {kSuffixStandIn, QStringLiteral("[0-9A-Za-z]+")}});
}

// The names a killed run may leave, by the folder they are left in: the
// office's files where it stores documents and templates, the template
// copies beside the templates, and the temporary database files (a new
// database being made, a copy being written, a restored copy being checked)
// beside the databases and the archive copies.
std::vector<std::pair<Place, QString>> leftoverNames()
{
    std::vector<std::pair<Place, QString>> names{
        {Place::Documents, QString::fromLatin1(kOfficeTemporary)},
        {Place::Templates, QString::fromLatin1(kOfficeTemporary)},
        {Place::Templates, templateCopyPattern()},
        {Place::Archive, temporaryDatabasePattern(core::Temporary::Copying)},
    };
    for (const core::Temporary kind : core::kTemporaryKinds) {
        names.emplace_back(Place::Data, temporaryDatabasePattern(kind));
        names.emplace_back(Place::DatabaseFolder, temporaryDatabasePattern(kind));
    }
    return names;
}

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
    case Place::Data: return where.appPath;
    case Place::Documents: return app.filePath(QString::fromUtf8(core::kDocumentsFolderName));
    case Place::Templates: return where.templatesFolder;
    case Place::Archive: return DatabaseFileCommands::archiveFolderOf(where.appPath);
    case Place::DatabaseFolder:
        return where.databasePath.isEmpty() ? QString() : QFileInfo(where.databasePath).absolutePath();
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
    for (const auto& [place, name] : leftoverNames()) {
        const QString folder = placeFolder(place, where);
        if (folder.isEmpty())
            continue;
        const QRegularExpression pattern(QRegularExpression::anchoredPattern(name));
        const QDir dir(folder);
        for (const QString& file : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            const QString path = QDir::cleanPath(dir.filePath(file));
            if (pattern.match(file).hasMatch() && !candidates.contains(path))
                candidates << path;
        }
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
