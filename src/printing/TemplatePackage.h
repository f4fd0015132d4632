#pragma once
// What a Writer template (.ott) or document (.odt) holds, read from its
// package without the office: the texts in square brackets of its body,
// tables, frames, headers and footers. The print step asks its questions
// from them before it starts the office.
#include <QString>
#include <QStringList>

#include <optional>

namespace printing {

// Every text in square brackets of the file, each once, in the order the
// file holds them; nullopt when the file cannot be read as such a package
// (a Word template, a damaged file).
std::optional<QStringList> PackagePlaceholders(const QString& path);

} // namespace printing
