#pragma once
// The reference directories every new database starts with: grade kinds,
// forms of study, training levels, kinds of earlier-education documents,
// users and the disciplines with their section headings.
#include "newdb/RowWriter.h"

#include <vector>

namespace newdb {

// The tables in the order they are written. `shortDisciplines` chooses the
// 12-row discipline directory; otherwise the 124-row one that the sample
// plans and grades refer to. The printing houses come last with no fields:
// the structure step has already merged them into the file.
std::vector<TableRows> referenceContent(bool shortDisciplines);

} // namespace newdb
