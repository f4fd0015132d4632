#pragma once
// Finding the header row of an import sheet and taking the data rows below
// it, from the cell texts the office layer has read in one go.
//
// Two readings, after the two office programs an institution may use:
// - the Excel path: the active sheet, its cells as values (not trimmed),
//   the header searched over the whole used range; blank rows are left out
//   down to the last used row;
// - the Calc path: the first sheet, its cells as shown and trimmed, the
//   header searched in rows and columns 1 to 100, a row given up after its
//   tenth empty cell; reading stops at the tenth blank row in a row.
#include "platform/office/WorkbookReader.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace importer {

enum class ReadingPath { Excel, Calc };

struct SheetRow {
    int sheetRow = 0;   // 1-based row of the sheet
    QStringList cells;  // one text per layout column
};

struct SheetRead {
    int headerRow = 0;     // 1-based; 0 when no header was found
    QList<int> positions;  // per layout column its 1-based sheet column, 0 when absent
    QList<SheetRow> rows;
    bool headerFound() const { return headerRow > 0; }
};

// `captions` are the layout's captions in order; `cutSizes` per layout
// column the length a text is cut to (0: not cut).
SheetRead readImportSheet(const office::SheetTexts& sheet, const QStringList& captions, const QList<int>& cutSizes,
                          ReadingPath path);

} // namespace importer
