#pragma once
// What a killed run leaves behind in the program's folders, and the hold a
// running program keeps on its folders so that the next start knows whether
// those files may still be in use.
#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

namespace shell {

// A hold (flock) on each of the program's folders for as long as the object
// lives; every running program keeps one. A new hold asks for the folders
// alone and keeps them so while `alone()`, until `share()`: the files a
// killed run left are cleared in between. When another program holds a
// folder, the new hold shares them at once (waiting the moment another
// program may be clearing them).
class FolderHold : public QObject {
public:
    explicit FolderHold(const QStringList& folders, QObject* parent = nullptr);
    ~FolderHold() override;
    bool alone() const { return alone_; }
    // Lets other programs hold the folders beside this one.
    void share();

private:
    std::vector<int> fds_;
    bool alone_ = true;
};

// Where the program works: the data folder with its "Документы" and "Архив",
// the templates folder, and the working database file.
struct ProgramFolders {
    QString appPath;
    QString templatesFolder;
    QString databasePath;
};

// The files of `where` that only the program and its office make and that a
// killed run leaves, found by the names the program gives them: the office's
// temporary lu….tmp files in "Документы" and in the templates folder, the
// template copies a save checks (".~kalveta-<process>-……"), and the temporary
// database files with what the engine keeps beside them (a new database
// being made, a copy being written, a restored copy being checked) in the
// data folder, the database's folder and "Архив". Files some process holds
// open are not listed.
QStringList findLeftovers(const ProgramFolders& where);

// Removes the leftovers of `where`; returns how many went.
int removeLeftovers(const ProgramFolders& where);

} // namespace shell
