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

// A new database file built under a temporary name beside its path and given
// that path only once it is complete, so that a failure or a crash on the way
// never leaves a half-made file there. Temporary files that an interrupted
// creation left beside the path are removed first. Every step reports its own
// failure.
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
    // Closes the file and gives it its path (never replacing a file there).
    bool finish();

    // Removes what interrupted creations left beside `path`; files that a
    // running creation still holds are left alone.
    static void removeLeftovers(const QString& path);

private:
    QString path_;
    QString temp_;
    std::unique_ptr<jet::Database> db_;
    bool finished_ = false;
};

} // namespace core
