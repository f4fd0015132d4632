#pragma once
// The commands of the main window that work on the database file itself:
// create, open, save as, copy to and restore from a removable disk, compact,
// archive, attach to a letter, and the program update notice. None of them
// harms the open database: when one fails, the previous database stays the
// working one.
#include "platform/jet/Jet.h"

#include <QString>
#include <functional>

class QWidget;

namespace shell {

// Where the user's removable disks are mounted: <root>/media/<user> or
// <root>/run/media/<user>, the first that exists; else the home folder.
QString removableDisksFolder(const QString& root = QStringLiteral("/"));

class DatabaseFileCommands {
public:
    // `closeChildWindows` closes every child window of the main window and
    // returns false when one of them stayed open; it runs before the working
    // database changes.
    DatabaseFileCommands(QWidget* parent, std::function<bool()> closeChildWindows);

    // Menu commands: they ask for the file or folder, then do the work below.
    void create();
    void open();
    void saveAs();
    void copyToRemovableDisk();
    void restoreFromRemovableDisk();
    void compact();
    void archive();
    void mail();
    void updateProgram();

    // The work for a chosen file or folder. Each reports its outcome itself
    // and returns true on success.

    // A new database with the reference directories only; it becomes the
    // working database. An existing file is refused.
    bool createAt(const QString& path);
    // Verifies and upgrades the file, then makes it the working database.
    bool openAt(const QString& path);
    // A consistent copy under a new name, which becomes the working database.
    bool saveAsAt(const QString& path);
    // A consistent copy in `folder` under the working file's name; asks before
    // replacing a file there. Returns the copy's path, empty on failure.
    QString copyInto(const QString& folder);
    // Replaces the working database by a copy after a confirmation: the copy
    // is verified first, and the replaced database is kept in "Архив".
    bool restoreFrom(const QString& copyPath);
    // VACUUM and an integrity check of the working database.
    bool compactNow();
    // A dated copy in "Архив"; its path, empty on failure.
    QString archiveNow();
    // A copy attached to a new message of the desktop's mail program.
    bool mailNow();

    // "Архив" in the program's folder.
    static QString archiveFolder();
    static QString archiveFolderOf(const QString& appPath);
    // The name of a dated copy of `path`: "qv 2024-03-05 14-30-12.db".
    static QString datedCopyName(const QString& path);

private:
    QString chooseFile(bool save, const QString& title, const QString& startFolder);
    QString chooseFolder(const QString& title, const QString& startFolder);
    bool ensureClosedChildren();
    QString workingPath() const;
    // Opens `previous` again as the working database (on `hold` when given).
    void reopenPrevious(const QString& previous, jet::FileHold hold = {});
    // Puts the archive copy `archived` in the place of `working` and opens it.
    void putBack(const QString& archived, const QString& working);
    void afterSwitch(const QString& path, const QString& statusText);

    QWidget* parent_;
    std::function<bool()> closeChildWindows_;
};

} // namespace shell
