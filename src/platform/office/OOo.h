#pragma once
// The office helpers the Calc path and the document commands use: the URL
// of a file, the advice shown when the office cannot be started, and writing
// and framing cells of a Calc sheet.
// The helpers over the office's own objects (its service manager, structs
// and property lists) are in OOoUno.h.
#include "platform/office/Calc.h"
#include "platform/office/OfficeError.h"

#include <QString>

namespace office {

// The URL the office takes for a file path: absolute, with Cyrillic letters,
// blanks, "%" and "#" encoded. Backslashes count as folder separators. A
// text that already is a URL ("file:///...", "private:...") is returned
// unchanged.
QString ConvertToURL(const QString& path);

// The advice text for an office that cannot be started; `application` is
// "", "Writer" or "Calc" (compared exactly).
QString OOoNotStartedMessage(const QString& application);

// The advice followed by " Ошибка: ", the error's number, a blank and its
// description, as the messages show it.
QString OOoNotStartedReport(const QString& application, const Error& error);

// Writes one cell of `sheet` by 1-based row and column: mode 0 as text,
// 1 as a number (a text that is no number writes nothing), 2 as a formula,
// any other mode nothing. Returns the cell, or an invalid cell when the
// position does not exist.
CalcCell SetCellValue(int row, int column, CalcSheet& sheet, const QString& text, int mode);

// The number a cell written as a number takes from `text`: as Excel reads a
// typed number, else with the decimal point. False when it is no number.
bool cellNumberValue(const QString& text, double* number);

// Frames the block of 1-based rows and columns with black lines: an outline
// of 0.5 mm when `thick`, a hairline otherwise, and hairlines between the
// cells when `innerLines` (otherwise the cells keep their own).
void SetRangeBorders(int firstRow, int firstColumn, int lastRow, int lastColumn, CalcSheet& sheet,
                     bool innerLines, bool thick);

} // namespace office
