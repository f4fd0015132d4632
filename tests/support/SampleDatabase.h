#pragma once
// A database with the reference and sample rows, made once per test program
// and copied for each test that changes it.
#include <QString>

namespace testsupport {

// Copies the sample database to `path` (readable by its owner only); false
// when it could not be made or copied.
bool copySampleDatabase(const QString& path);

} // namespace testsupport
