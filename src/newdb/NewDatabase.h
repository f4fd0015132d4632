#pragma once
// Making a new database file ready: structure, reference rows and, unless
// only the reference rows are asked for, the sample data. On success the file
// is open as MainDatabase.
#include <QString>

namespace newdb {

bool CreateNewDatabase(const QString& path, bool referenceOnly);

} // namespace newdb
