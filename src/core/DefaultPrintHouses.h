#pragma once
// The default printing houses with the file names of their templates, merged
// into SPTPGR at every opening of a database, and the house a file uses
// while it names none.
#include <QString>
#include <QStringList>

namespace jet {
class Database;
}

namespace core {

// The 9 SPTPGR columns of the default rows: "NAIM", "oTmp5", "Tmp5", "oTmp7",
// "Tmp7", "oTmp8", "Tmp8", "oTmp9", "Tmp9".
QStringList DefaultPrintHouseFields();

// 63 texts: the seven rows one after another in the column order above, so
// that row r, column c stands at r * 9 + c; an empty text where a house has
// no template for a slot.
QStringList DefaultPrintHouseRows();

// Name of the default house a file uses while INF.IDT is empty: ОАО "КТ".
QString DefaultPrintHouseInUseName();

// Adds each default house missing by name and fills the template slots that
// are empty in an existing one; never overwrites or deletes. One transaction;
// a row that cannot be written is skipped.
void UpsertDefaultPrintHouses(jet::Database& db);

// While the first INF row names no printing house, points it at the default
// house in use (found by its name). Nothing happens when INF has no row or
// the house is not in the file.
void SetDefaultPrintHouse(jet::Database& db);

} // namespace core
