#pragma once
// Making a new database file ready: structure, reference rows and, unless
// only the reference rows are asked for, the sample data. On success the file
// is open as MainDatabase.
#include <QString>

#include <span>
#include <vector>

namespace newdb {

struct TableRows;

bool CreateNewDatabase(const QString& path, bool referenceOnly);

// The tables CreateNewDatabase writes, in order.
std::vector<TableRows> newDatabaseContent(bool referenceOnly);

// The same with the tables to write given (tests use it to make a write fail).
bool CreateNewDatabase(const QString& path, std::span<const TableRows> content);

} // namespace newdb
