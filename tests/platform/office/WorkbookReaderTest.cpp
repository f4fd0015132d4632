// Reading workbooks for an import: .xls, .xlsx and .ods read back cell by
// cell, the Excel way (values without the sheet's formats) and the Calc way
// (texts as shown).
#include "OfficeFixtures.h"

#include "platform/office/Calc.h"
#include "platform/office/Excel.h"
#include "platform/office/OOoUno.h"
#include "platform/office/WorkbookReader.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <mutex>

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/text/XTextRange.hpp>

using namespace office;

namespace {

// The first sheet of the import fixture as the Excel path reads it.
const char* const kExcelValues[5][5] = {
    {"Фамилия", "Имя", "Балл", "Дата", "Сумма"},
    {"Иванов ", "Пётр", "5", "05.03.2024", "1234,5"},
    {"", "", "", "", ""},
    {"Петрова", "", "4,25", "05.03.2024 10:30:00", "1E-05"},
    {"0123", "с \"кавычками\"\nи переносом", "1E+20", "", "-12"},
};

// Every cell's text as the office shows it, one cell at a time.
QList<QStringList> shownOneByOne(const QString& path, int sheetIndex, int rows, int columns)
{
    using namespace office::uno;
    auto doc = loadComponent(toOU(ConvertToURL(path)), props({{"Hidden", Any(true)}, {"ReadOnly", Any(true)}}), path);
    Reference<css::sheet::XSpreadsheetDocument> sd(doc, UNO_QUERY_THROW);
    Reference<css::container::XIndexAccess> sheets(sd->getSheets(), UNO_QUERY_THROW);
    Reference<css::sheet::XSpreadsheet> sheet(sheets->getByIndex(sheetIndex), UNO_QUERY_THROW);
    QList<QStringList> out;
    for (int r = 0; r < rows; ++r) {
        QStringList row;
        for (int c = 0; c < columns; ++c)
            row << toQ(Reference<css::text::XTextRange>(sheet->getCellByPosition(c, r), UNO_QUERY_THROW)->getString());
        out << row;
    }
    closeComponent(doc);
    return out;
}

class WorkbookReaderTest : public ::testing::TestWithParam<const char*> {};

} // namespace

TEST_P(WorkbookReaderTest, ReadsEveryCellBothWays)
{
    testsupport::TempFolder folder;
    const QString path = folder.file(QStringLiteral("импорт.") + QString::fromLatin1(GetParam()));
    newServiceManager();
    officetest::makeImportWorkbook(path);

    WorkbookReader reader = WorkbookReader::open(path);
    EXPECT_EQ(reader.sheetNames(), (QStringList{QStringLiteral("Список"), QStringLiteral("Второй лист")}));
    EXPECT_EQ(reader.activeSheet(), 0);

    const SheetTexts values = reader.read(0, WorkbookReader::Reading::ExcelValues);
    EXPECT_EQ(values.name, QStringLiteral("Список"));
    ASSERT_EQ(values.rowCount(), 5);
    ASSERT_EQ(values.columnCount(), 5);
    for (int r = 1; r <= 5; ++r)
        for (int c = 1; c <= 5; ++c)
            EXPECT_EQ(values.cell(r, c), QString::fromUtf8(kExcelValues[r - 1][c - 1])) << r << "," << c;
    EXPECT_EQ(values.cell(6, 1), QString());
    EXPECT_EQ(values.cell(1, 6), QString());

    // As shown: the same texts the office gives cell by cell.
    const SheetTexts shown = reader.read(QStringLiteral("Список"), WorkbookReader::Reading::CalcText);
    EXPECT_EQ(shown.rows, shownOneByOne(path, 0, 5, 5));
    EXPECT_EQ(shown.cell(2, 4), QStringLiteral("05.03.2024"));  // the cell's own format
    EXPECT_TRUE(shown.cell(2, 5).startsWith(QStringLiteral("1234")) && shown.cell(2, 5).endsWith(QStringLiteral("50")));
    EXPECT_EQ(shown.cell(2, 1), QStringLiteral("Иванов "));

    const SheetTexts second = reader.read(1, WorkbookReader::Reading::ExcelValues);
    EXPECT_EQ(second.rowCount(), 3);
    EXPECT_EQ(second.columnCount(), 3);
    EXPECT_EQ(second.cell(1, 1), QStringLiteral("x"));
    EXPECT_EQ(second.cell(3, 3), QStringLiteral("7"));
    EXPECT_EQ(second.cell(2, 2), QString());

    try {
        reader.read(QStringLiteral("Нет листа"), WorkbookReader::Reading::CalcText);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::NotFound);
    }
    reader.close();
    EXPECT_FALSE(reader.isOpen());
}

INSTANTIATE_TEST_SUITE_P(Workbooks, WorkbookReaderTest, ::testing::Values("xls", "xlsx", "ods"));

TEST(WorkbookReader, TheWorkbookModelReadsTheSameValues)
{
    testsupport::TempFolder folder;
    const QString path = folder.file(QStringLiteral("импорт.xls"));
    newServiceManager();
    officetest::makeImportWorkbook(path);
    Application excel = Application::attach();
    Workbook book = excel.openWorkbook(path);
    EXPECT_EQ(book.sheetCount(), 2);
    Worksheet s = book.activeSheet();
    const Range last = s.lastCell();
    EXPECT_EQ(last.row(), 5);
    EXPECT_EQ(last.column(), 5);
    for (int r = 1; r <= 5; ++r)
        for (int c = 1; c <= 5; ++c)
            EXPECT_EQ(excelValueText(s.cells(r, c).value()), QString::fromUtf8(kExcelValues[r - 1][c - 1])) << r << "," << c;
    EXPECT_EQ(s.cells(2, 4).value().typeId(), QMetaType::QDateTime);
    EXPECT_EQ(s.cells(2, 3).value().typeId(), QMetaType::Double);
    book.sheet(QStringLiteral("Второй лист")).activate();
    EXPECT_EQ(book.activeSheet().name(), QStringLiteral("Второй лист"));
    book.close();
}

TEST(WorkbookReader, AFileTheOfficeCannotReadIsReportedAsSuch)
{
    testsupport::TempFolder folder;
    try {
        WorkbookReader::open(folder.file(QStringLiteral("нет файла.xls")));
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::CannotLoad);
        EXPECT_TRUE(e.description().contains(QStringLiteral("нет файла.xls")));
    }
}

// How far the office has loaded a workbook and how many rows of a sheet it
// has exported as text are told as the work goes on, from any thread; the
// rows counted never exceed the sheet's, texts with line breaks inside
// them included.
TEST(WorkbookReader, TheLoadingAndTheReadingTellHowFarTheyAre)
{
    testsupport::TempFolder folder;
    const QString path = folder.file(QStringLiteral("много.ods"));
    newServiceManager();
    constexpr int kRows = 3000;
    {
        CalcDocument doc = CalcDocument::createNew(true);
        CalcSheet sheet = doc.sheet(0);
        for (int r = 0; r < kRows; ++r) {
            sheet.cell(0, r).setString(QStringLiteral("Строка %1").arg(r + 1));
            sheet.cell(1, r).setString(r % 3 ? QStringLiteral("текст") : QStringLiteral("две\nстроки \"в\" ячейке"));
        }
        doc.storeAsUrl(ConvertToURL(path));
        doc.dispose();
    }
    std::mutex mutex;
    QList<std::pair<long long, long long>> told;
    const WorkbookReader::Progress progress = [&](long long done, long long total) {
        std::lock_guard lock(mutex);
        told << std::pair(done, total);
    };

    WorkbookReader reader = WorkbookReader::open(path, progress);
    {
        std::lock_guard lock(mutex);
        ASSERT_FALSE(told.isEmpty());
        for (const auto& [done, total] : told)
            EXPECT_TRUE(done >= 0 && done <= total && total > 0) << done << " " << total;
        EXPECT_EQ(told.last().first, told.last().second);
        told.clear();
    }
    const SheetTexts shown = reader.read(0, WorkbookReader::Reading::CalcText, progress);
    EXPECT_EQ(shown.rowCount(), kRows);
    EXPECT_EQ(shown.cell(1, 2), QStringLiteral("две\nстроки \"в\" ячейке"));
    std::lock_guard lock(mutex);
    ASSERT_FALSE(told.isEmpty());
    long long last = 0;
    for (const auto& [done, total] : told) {
        EXPECT_EQ(total, kRows);
        EXPECT_GE(done, last);
        last = done;
    }
    EXPECT_EQ(told.last(), std::pair(qlonglong(kRows), qlonglong(kRows)));
}
