#pragma once
// The program's start: the data folder (AppPath) and its first filling, the
// working database, and the start-up sequence that ends with the main window.
#include "platform/jet/Jet.h"

#include <QString>
#include <memory>
#include <optional>

class QApplication;

namespace shell {

class MainWindow;

// The data folder: $KALVETA_HOME when set, else the user's application data
// folder ("kalveta").
QString resolveAppPath();

// Where the shipped templates and help pages are: the source tree's data
// folder when the program runs from its build tree, else share/kalveta of the
// installation.
QString shippedDataFolder();

// Where the shipped templates are: the build tree's converted templates when
// the program runs from its build tree, else "Шаблоны ЭЖ" of the shipped data.
QString shippedTemplatesFolder();

// Copies the shipped folders that `appPath` lacks ("Шаблоны ЭЖ",
// "Помощник ЭЖ") from `shipped`; "Шаблоны ЭЖ" from `templates` instead when
// that is given. A folder is copied whole or not at all. A folder that could
// not be copied is reported, its cause first, and the result is false: the
// program cannot work without it.
bool fillAppFolder(const QString& appPath, const QString& shipped, const QString& templates = QString());

// Copies the file `from` to the new file `to` (refused where a file is),
// which its owner may read and change; the errno value of a failure (the
// library's own copy reports a full disk as an input/output error), 0 on
// success. The copy is written under its own name from the start: Qt's copy
// writes a file of another name first, which a killed run would leave.
int copyFile(const QString& from, const QString& to);

// The user manual shipped with the program: the one built in the build tree
// when the program runs from there, else the one among the shipped data.
QString shippedUserManual();

// Copies the user manual `manual` into `appPath` when `appPath` has none
// (nothing happens when `manual` does not exist).
void fillUserManual(const QString& appPath, const QString& manual);

// The working database's file for the setting "DB": a name without a folder
// lies in `appPath`.
QString databasePathFromSetting(const QString& setting, const QString& appPath);
// The setting "DB" for a file: its bare name when it lies in `appPath`, else
// its full path.
QString databaseSettingFor(const QString& path, const QString& appPath);

// Opens an existing database file for work: opened exclusively, checked,
// verified and upgraded on the one connection, which is kept. Null after a
// failure, which has been reported.
std::unique_ptr<jet::Database> openCheckedDatabase(const QString& path);

// Makes `db` the working database (MainDatabase, the previous one closed)
// and takes the institution's office choice from it.
void useAsWorkingDatabase(std::unique_ptr<jet::Database> db);

// OfficeIsOOo from INF.OOo of the working database (greater than 1 means
// OpenOffice.org); false when it cannot be read.
void readOfficeChoice();

// Start-up's database step: an existing file is opened as above. A missing
// file is created with the sample data only on a first start (no setting
// "DB" names a file yet; the setting then names the new file); a missing file
// that the setting names is reported, and the user opens another file,
// creates a new database or ends the program. True when MainDatabase is open.
bool prepareWorkingDatabase(const QString& path, bool namedBySetting = false);

// The question after a missing database: Yes opens another file, No creates a
// new database, Cancel ends the program.
QString missingDatabaseQuestion(const QString& path);

// A switch stored as text: a number (non-zero is true) or "True"/"False";
// nullopt for anything else.
std::optional<bool> settingAsBool(const QString& text);

// The Russian texts of Qt's own buttons and dialogs, and Russian formats.
void installTranslations(QApplication& app);

// Registers the real child windows the main window opens through
// core::windowFactories() (directory windows, the record card) and the
// card's services of the shell.
void registerChildWindows();

// The one-time notice about the office programs (shown at the first start).
QString officeNoticeText();

enum class StartResult {
    MainWindowShown,  // the program runs until the main window closes
    Refused,          // the password was not given
    Failed,           // no working database
};

// The start-up sequence: state and folders, splash, the one-time notice, the
// password, the working database and the main window. `mainWindow` receives
// the window shown.
StartResult Main(MainWindow** mainWindow = nullptr);

} // namespace shell
