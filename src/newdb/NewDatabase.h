#pragma once
// Making a new database file ready: structure, reference rows and, unless
// only the reference rows are asked for, the sample data. The file is built
// whole under a temporary name and takes its own name only after the last
// row has been committed. On success the file is open as MainDatabase.
#include <QString>

#include <functional>
#include <span>
#include <vector>

namespace jet {
class Database;
}

namespace newdb {

struct TableRows;

bool CreateNewDatabase(const QString& path, bool referenceOnly);

// The tables CreateNewDatabase writes, in order.
std::vector<TableRows> newDatabaseContent(bool referenceOnly);

// The steps of the making, in order; a content step follows each table of
// rows (the table's name is passed with it).
enum class CreationStep { CoreTables, Structure, Rows, AllRows, Named };
using CreationObserver = std::function<void(CreationStep step, const char* table, jet::Database& file)>;

// The same with the tables to write given; `observer`, when set, is told of
// each step done on the file still under its temporary name (tests make a
// step fail through it).
bool CreateNewDatabase(const QString& path, std::span<const TableRows> content,
                       const CreationObserver& observer = {});

} // namespace newdb
