#pragma once
// Russian text semantics for every connection: the "RU" collation
// (case-insensitive, Russian alphabet order), Cyrillic-aware upper(),
// lower() and LIKE, Visual Basic's val() and isnull(), and textlength() (every
// character of a text, NUL characters included).
#include <QString>

struct sqlite3;

namespace jet::detail {

// Registers the collation and functions on a connection; false on failure.
bool registerTextSemantics(sqlite3* db);

// Compares two texts as the RU collation does.
int collateRu(const QString& a, const QString& b);
// The RU collation's key of a text: equal keys exactly for texts that
// compare equal.
QByteArray collationKeyRu(const QString& text);

// LIKE with % and _ (and an optional escape character), case-insensitive
// for every alphabet.
bool likeMatch(const QString& pattern, const QString& text, QChar escape = QChar());

} // namespace jet::detail
