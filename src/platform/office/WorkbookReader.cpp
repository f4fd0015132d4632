#include "platform/office/WorkbookReader.h"

#include "platform/office/Excel.h"
#include "platform/office/Office.h"
#include "platform/office/SpreadsheetDocument.h"

#include <QDateTime>

#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>

#include <cmath>

namespace office {

using namespace office::uno;

struct WorkbookReader::Impl {
    std::shared_ptr<detail::DocImpl> doc;
    ~Impl()
    {
        if (doc)
            doc->close();
    }
};

namespace {

QString excelText(detail::SheetBuffer& b, int row, int column)
{
    const Any v = b.value(row, column);
    double d = 0;
    if (v.getValueTypeClass() == css::uno::TypeClass_DOUBLE && (v >>= d)) {
        if (!b.isDate(row, column))
            return excelValueText(d);
        double days = std::floor(d);
        long long seconds = std::llround((d - days) * 86400.0);
        if (seconds >= 86400) {
            days += 1;
            seconds -= 86400;
        }
        return excelValueText(QDateTime(b.nullDate().addDays((long long)days), QTime(0, 0).addSecs(int(seconds))));
    }
    OUString s;
    v >>= s;
    return toQ(s);
}

SheetTexts readSheet(const std::shared_ptr<detail::SheetImpl>& sheet, WorkbookReader::Reading reading, const QString& name)
{
    SheetTexts out;
    out.name = name;
    auto& b = sheet->buffer;
    const auto [lastRow, lastColumn] = b.lastCell();
    for (int r = 0; r <= lastRow; ++r) {
        QStringList row;
        for (int c = 0; c <= lastColumn; ++c)
            row << (reading == WorkbookReader::Reading::ExcelValues ? excelText(b, r, c) : b.displayText(r, c));
        out.rows << row;
    }
    return out;
}

} // namespace

QString SheetTexts::cell(int row, int column) const
{
    if (row < 1 || row > rows.size())
        return {};
    const QStringList& line = rows.at(row - 1);
    if (column < 1 || column > line.size())
        return {};
    return line.at(column - 1);
}

WorkbookReader WorkbookReader::open(const QString& path)
{
    WorkbookReader out;
    out.d_ = std::make_shared<Impl>();
    Office::instance().ensureRunning();
    out.d_->doc = detail::loadSpreadsheet(
        path, props({{"Hidden", Any(true)},
                     {"ReadOnly", Any(true)},
                     {"MacroExecutionMode", Any(css::document::MacroExecMode::NEVER_EXECUTE)},
                     {"UpdateDocMode", Any(sal_Int16(css::document::UpdateDocMode::NO_UPDATE))}}));
    return out;
}

bool WorkbookReader::isOpen() const
{
    return d_ && d_->doc && !d_->doc->closed;
}

QStringList WorkbookReader::sheetNames() const
{
    if (!isOpen())
        throw Error(ErrorKind::Failed, QStringLiteral("книга не открыта"));
    return d_->doc->sheetNames();
}

int WorkbookReader::activeSheet() const
{
    if (!isOpen())
        throw Error(ErrorKind::Failed, QStringLiteral("книга не открыта"));
    return d_->doc->activeSheetIndex();
}

SheetTexts WorkbookReader::read(int sheetIndex, Reading reading) const
{
    const QStringList names = sheetNames();
    if (sheetIndex < 0 || sheetIndex >= names.size())
        throw Error(ErrorKind::NotFound, QStringLiteral("лист %1").arg(sheetIndex + 1));
    return readSheet(d_->doc->sheet(sheetIndex), reading, names.at(sheetIndex));
}

SheetTexts WorkbookReader::read(const QString& sheetName, Reading reading) const
{
    const int index = int(sheetNames().indexOf(sheetName));
    if (index < 0)
        throw Error(ErrorKind::NotFound, QStringLiteral("лист \"%1\"").arg(sheetName));
    return read(index, reading);
}

void WorkbookReader::close()
{
    if (d_ && d_->doc)
        d_->doc->close();
}

} // namespace office
