#pragma once
// Inside the office layer only: what an Excel 97-2003 workbook (.xls) holds
// that the office does not give back as saved. The office recalculates
// every formula of such a file when it loads it and opens it hidden on the
// first sheet; the workbook reader takes the sheet that was active and the
// formula results as Excel saved them from the file itself.
//
// Only the file's records are read: its compound-file container, then the
// workbook stream's sheet list, window and formula records. A file that is
// not a readable Excel 97-2003 workbook (an older format, an encrypted one,
// a damaged container) gives nothing, and the office's reading stands.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace office::detail {

// A formula's result as it was saved (or an error constant).
struct SavedResult {
    enum Type { Number, Text, Boolean, Error, Empty };
    int row = 0;     // 0-based
    int column = 0;  // 0-based
    Type type = Number;
    double number = 0;  // Number; Boolean 1 or 0
    QString text;       // Text; Error: the error's text ("#DIV/0!")
};

class XlsRecords {
public:
    // Nothing when the file is not a readable Excel 97-2003 workbook.
    static std::optional<XlsRecords> read(const QString& path);

    // The sheets in workbook order, and the index of the one active when
    // the workbook was saved.
    const QStringList& sheetNames() const { return names_; }
    int activeSheet() const { return active_; }

    // The saved formula results of a sheet (index into sheetNames()) in
    // the rows top..bottom and the columns 0..lastColumn, all 0-based, and
    // the errors typed as constants there.
    std::vector<SavedResult> formulaResults(int sheet, int top, int bottom, int lastColumn) const;

private:
    QByteArray stream_;  // the workbook stream
    QStringList names_;
    std::vector<quint32> offsets_;  // of each sheet's records in the stream
    int active_ = 0;
};

} // namespace office::detail
