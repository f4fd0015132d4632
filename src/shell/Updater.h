#pragma once
// Keeps the separate updater program in the program folder current.
#include <QString>

namespace shell {

// Name of the updater program and of the folder that holds its spare copy,
// both in the program folder.
inline constexpr const char* kUpdaterFileName = "Update.exe";
inline constexpr const char* kUpdaterSpareFolder = "WinSys";

// When the program folder (core::state().AppPath) holds a "WinSys" folder,
// copies its "Update.exe" over the program folder's "Update.exe". Nothing is
// reported; when the copy fails the old file stays as it was.
void RefreshUpdater();

} // namespace shell
