#include "import/SheetRows.h"

namespace importer {
namespace {

constexpr int kCalcSearchRows = 100;
constexpr int kCalcSearchColumns = 100;
constexpr int kCalcEmptyCellsPerRow = 10;
constexpr int kCalcBlankRowsToStop = 10;

// Excel: the first caption equal to the cell counts; a caption found again
// further right moves there.
int findHeaderExcel(const office::SheetTexts& sheet, const QStringList& upperCaptions, QList<int>& positions)
{
    for (int r = 1; r <= sheet.rowCount(); ++r) {
        bool found = false;
        for (int c = 1; c <= sheet.columnCount(); ++c) {
            const QString text = sheet.cell(r, c).trimmed();
            if (text.isEmpty())
                continue;
            const int k = int(upperCaptions.indexOf(text.toUpper()));
            if (k >= 0) {
                positions[k] = c;
                found = true;
            }
        }
        if (found)
            return r;
    }
    return 0;
}

// Calc: every caption equal to the cell counts; a row is given up after its
// tenth empty cell unless a caption was found in it.
int findHeaderCalc(const office::SheetTexts& sheet, const QStringList& upperCaptions, QList<int>& positions)
{
    for (int r = 1; r <= kCalcSearchRows; ++r) {
        bool found = false;
        int empty = 0;
        for (int c = 1; c <= kCalcSearchColumns; ++c) {
            const QString text = sheet.cell(r, c).trimmed();
            if (text.isEmpty()) {
                ++empty;
            } else {
                const QString upper = text.toUpper();
                for (int k = 0; k < upperCaptions.size(); ++k)
                    if (upperCaptions.at(k) == upper) {
                        positions[k] = c;
                        found = true;
                    }
            }
            if (empty >= kCalcEmptyCellsPerRow && !found)
                break;
        }
        if (found)
            return r;
    }
    return 0;
}

bool rowHasData(const office::SheetTexts& sheet, int row, const QList<int>& positions)
{
    for (int p : positions)
        if (p > 0 && !sheet.cell(row, p).trimmed().isEmpty())
            return true;
    return false;
}

SheetRow takeRow(const office::SheetTexts& sheet, int row, const QList<int>& positions, const QList<int>& cutSizes,
                 bool trim)
{
    SheetRow out;
    out.sheetRow = row;
    for (int k = 0; k < positions.size(); ++k) {
        QString text = positions.at(k) > 0 ? sheet.cell(row, positions.at(k)) : QString();
        if (trim)
            text = text.trimmed();
        const int size = k < cutSizes.size() ? cutSizes.at(k) : 0;
        if (size > 0 && text.size() > size)
            text.truncate(size);
        out.cells << text;
    }
    return out;
}

} // namespace

SheetRead readImportSheet(const office::SheetTexts& sheet, const QStringList& captions, const QList<int>& cutSizes,
                          ReadingPath path)
{
    SheetRead out;
    QStringList upper;
    for (const QString& c : captions)
        upper << c.toUpper();
    out.positions = QList<int>(captions.size(), 0);
    out.headerRow = path == ReadingPath::Excel ? findHeaderExcel(sheet, upper, out.positions)
                                               : findHeaderCalc(sheet, upper, out.positions);
    if (!out.headerFound())
        return out;

    if (path == ReadingPath::Excel) {
        for (int r = out.headerRow + 1; r <= sheet.rowCount(); ++r)
            if (rowHasData(sheet, r, out.positions))
                out.rows << takeRow(sheet, r, out.positions, cutSizes, false);
        return out;
    }
    // Calc: ten blank rows in a row end the table; a data row starts the
    // count again, so data after scattered blank rows is not lost.
    int blank = 0;
    for (int r = out.headerRow + 1; blank < kCalcBlankRowsToStop; ++r) {
        if (rowHasData(sheet, r, out.positions)) {
            blank = 0;
            out.rows << takeRow(sheet, r, out.positions, cutSizes, true);
        } else {
            ++blank;
        }
    }
    return out;
}

} // namespace importer
