#pragma once
// Creating a database file with its core tables, and opening, verifying and
// upgrading a file to the current structure.
#include "platform/jet/Jet.h"

#include <QString>
#include <memory>

namespace core {

// create = true: makes the file and its five core tables (fails when a file
// exists at path). create = false: opens the file exclusively on a connection
// of its own, verifies the core tables, adds missing tables, columns and
// search indexes, widens SPOTD.NAIM, merges the default printing houses and
// stamps the version. Reports every problem in a message box itself; the file
// is closed again on return. True on success.
bool OpenAndCheckDatabase(const QString& path, bool create);

// "Файл базы данных <path> не найден!"
QString DatabaseNotFoundText(const QString& path);

// The open mode that keeps its connection for work: the file opened
// exclusively and checked once, verified and upgraded. Null after a failure,
// which has been reported.
std::unique_ptr<jet::Database> OpenCheckedDatabase(const QString& path);

// Temporary database files made beside a file on the way to it: a new
// database being made, a copy being written, a copy being checked before it
// takes the working file's place.
enum class Temporary { Creating, Copying, Restoring };
inline constexpr Temporary kTemporaryKinds[] = {Temporary::Creating, Temporary::Copying, Temporary::Restoring};

// The name of such a file beside `path`, hidden: ".<file name>.<unique>.
// <kind>" ("*" as `unique` gives the pattern of them all). Every one of them
// is named here, and the start finds what a killed run left by these names.
QString temporaryName(const QString& path, Temporary kind, const QString& unique);
// A name of that kind that no file has yet (eight random hex digits).
QString freshTemporaryName(const QString& path, Temporary kind);
// What the engine keeps beside a database file while it is open (its
// journal), by the file's own name.
QStringList companionFiles(const QString& path);

// A new database file built under a temporary name beside its path and given
// that path only once it is complete, so that a failure or a crash on the way
// never leaves a half-made file there; it stays held throughout, so that no
// other program gets in before it is open for work. Temporary files that an
// interrupted creation left beside the path are removed first. Every step
// reports its own failure.
class NewDatabaseFile {
public:
    explicit NewDatabaseFile(const QString& path);
    ~NewDatabaseFile();  // an unfinished file is removed
    NewDatabaseFile(const NewDatabaseFile&) = delete;
    NewDatabaseFile& operator=(const NewDatabaseFile&) = delete;

    // The file with its core tables and one empty INF row; refused when a
    // file exists at the path.
    bool create();
    // The open mode's checks and upgrades on the new file.
    bool upgrade();
    // The new file, open exclusively under its temporary name.
    jet::Database& db() { return *db_; }
    // Closes the file and gives it its path (never replacing a file there),
    // still held. When another program's file took the path meanwhile (two
    // programs making the same new database at once), the message is that
    // of a file in use.
    bool finish();
    // The finished file opened for work on the hold kept; throws jet::Error.
    std::unique_ptr<jet::Database> openFinished();

    // Removes what interrupted creations left beside `path`; files that a
    // running creation still holds are left alone.
    static void removeLeftovers(const QString& path);

private:
    // A file at the path: one that another program holds is told as a file
    // in use, any other as an existing file.
    void reportExisting() const;

    QString path_;
    QString temp_;
    std::unique_ptr<jet::Database> db_;
    jet::FileHold hold_;  // the finished file
    bool finished_ = false;
};

} // namespace core
