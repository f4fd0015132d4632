#pragma once
// Spreadsheet serial dates: the whole days since the workbook's null date
// (30.12.1899, or 01.01.1904 for a workbook that counts from 1904) and the
// time of day as the fraction. The one place both directions are worked
// out, for the cells the program writes and the cells it reads.
#include <QDate>
#include <QDateTime>

namespace office {

double serialOf(const QDateTime& dateTime, const QDate& nullDate);

// The moment a serial number stands for, rounded to the second. A serial
// below one day is a time alone: it lies on 30.12.1899, the day that is
// written as a time without a date, whatever day the workbook counts from.
QDateTime dateOfSerial(double serial, const QDate& nullDate);

} // namespace office
