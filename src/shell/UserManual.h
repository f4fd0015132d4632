#pragma once
// The user manual: a document in the program's folder, opened in the program
// the desktop associates with its type.
#include <QString>
#include <QUrl>
#include <functional>

namespace shell {

inline constexpr const char* kUserManualFileName = "Руководство пользователя.doc";

// The manual's full path: the program's folder (AppPath) and the file name.
QString userManualPath();
bool userManualExists();

// Opens the manual without waiting for the program that shows it; warns when
// the file is missing and reports a failure to start its program.
void OpenUserManual();

// Test support: `opener` stands in for the desktop; it receives the file's
// URL and returns whether a program was started. An empty function restores
// QDesktopServices::openUrl.
using DocumentOpener = std::function<bool(const QUrl&)>;
void setDocumentOpener(DocumentOpener opener);

} // namespace shell
