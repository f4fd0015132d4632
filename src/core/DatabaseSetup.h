#pragma once
// Creating a database file with its core tables, and opening, verifying and
// upgrading a file to the current structure.
#include <QString>

namespace core {

// create = true: makes the file and its five core tables (fails when a file
// exists at path). create = false: opens the file exclusively on a connection
// of its own, verifies the core tables, adds missing tables and columns,
// widens SPOTD.NAIM, merges the default printing houses and stamps the
// version. Reports every problem in a message box itself; the file is closed
// again on return. True on success.
bool OpenAndCheckDatabase(const QString& path, bool create);

} // namespace core
