#pragma once
// The sample records a new database receives after its reference directories:
// two entries for the institution, its own card, five specialties, five
// groups, five persons, the groups' study plans and the persons' final grades.
// Rows refer to each other and to the reference rows by the keys a fresh file
// gives them (1, 2, 3 ... in the order of writing).
#include "newdb/RowWriter.h"

#include <vector>

namespace newdb {

std::vector<TableRows> sampleContent();

} // namespace newdb
