#pragma once
// Per-user settings of the program: an INI file "kalveta/kalveta.ini" in the
// user's configuration folder, sections "User" and "Settings", every value
// stored as text.
#include <QString>

namespace settings {

inline constexpr const char* kSectionUser = "User";
inline constexpr const char* kSectionSettings = "Settings";

// Reads a value; a missing key gives `defaultValue`.
QString getSetting(const QString& section, const QString& key, const QString& defaultValue = {});
// Writes a value as text and flushes it to disk.
void saveSetting(const QString& section, const QString& key, const QString& value);
void deleteSetting(const QString& section, const QString& key);

// Booleans as the program stores them: "-1" for true, "0" for false.
QString boolText(bool value);

// The user's settings file when it is there but cannot be read (no right to
// read it, a folder or a FIFO in its place, a link to a missing file,
// damaged), or a file the settings fall back on that is no file at all;
// empty when they read or the user's file is not there yet. `cause` receives
// why, in words for the user. Never waits on the file.
QString unreadableSettingsFile(QString* cause = nullptr);

// Machine-wide values (system scope, read only).
QString getSystemSetting(const QString& section, const QString& key, const QString& defaultValue = {});

// Test support: keep the settings file in `folder` instead of the user's
// configuration folder (both user and system scope).
void useSettingsFolder(const QString& folder);

} // namespace settings
