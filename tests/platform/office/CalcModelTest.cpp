// The Calc model: a list printed the Calc way into a document made from an
// .ots template, stored as .ods and read back.
#include "OfficeFixtures.h"

#include "platform/office/Calc.h"
#include "platform/office/Excel.h"
#include "platform/office/OOo.h"
#include "platform/office/OOoUno.h"

#include "support/TestSupport.h"

#include <QFileInfo>
#include <gtest/gtest.h>

#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XCell.hpp>

using namespace office;

TEST(CalcModel, APrintedListIsStoredAsOdsAndReadsBackWhole)
{
    testsupport::TempFolder folder;
    const QString templatePath = folder.file(QStringLiteral("Справочники (шаблон).ots"));
    newServiceManager();
    officetest::makeSpreadsheetTemplate(templatePath);

    const QStringList captions{QStringLiteral("Фамилия"), QStringLiteral("Оценка"), QStringLiteral("Рег. номер")};
    const QList<int> alignments{0, 2, 1};
    const QList<double> widths{5, 30, 8, 14};
    const QList<QStringList> rows{{QStringLiteral("Иванов"), QStringLiteral("5"), QStringLiteral("0123")},
                                  {QStringLiteral("Петрова\r\nАнна"), QStringLiteral("4"), QStringLiteral("12")}};
    const QList<bool> printed{true, true, false, true};  // the grade column is left out
    const int n = int(captions.size());

    CalcDocument doc = CalcDocument::load(templatePath);
    CalcSheet sheet = doc.sheet(0);
    sheet.setName(QStringLiteral("Группы"));
    for (int c = 0; c <= n; ++c)
        sheet.setColumnWidth(c, int(widths[c] / 5.5 * 1000));
    SetCellValue(4, 1, sheet, QStringLiteral("№ п.п"), 0);
    for (int c = 1; c <= n; ++c)
        SetCellValue(4, c + 1, sheet, captions[c - 1], 0);
    int r = 0;
    for (const QStringList& row : rows) {
        ++r;
        SetCellValue(r + 4, 1, sheet, QString::number(r), 1);
        for (int c = 1; c <= n; ++c) {
            QString s = row[c - 1];
            s.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
            CalcCell cell = SetCellValue(r + 4, c + 1, sheet, s, 0);
            const int code = alignments[c - 1];
            cell.setHoriJustify(code == 0 ? JustifyLeft : code == 1 ? JustifyRight : JustifyCenter);
        }
    }
    int removed = 0;
    for (int c = 0; c <= n; ++c)
        if (!printed[c])
            sheet.removeColumns(c - removed++, 1);
    const int last = n + 1 - removed;
    SetCellValue(1, 1, sheet, QStringLiteral("Группы"), 0);
    sheet.cellRange(0, 0, last - 1, 0).merge(true);
    sheet.cellRange(0, 0, last - 1, 0).setHoriJustify(JustifyCenter);
    SetCellValue(2, 1, sheet, sheet.cell(0, 1).string() + QStringLiteral("101"), 0);
    sheet.cellRange(0, 1, last - 1, 1).merge(true);
    sheet.cellRange(0, 1, last - 1, 1).setHoriJustify(JustifyCenter);
    SetRangeBorders(5, 1, r + 4, last, sheet, true, true);
    SetRangeBorders(4, 1, 4, last, sheet, true, true);
    const QString saved = folder.file(QStringLiteral("Справочник Группы.ods"));
    doc.storeAsUrl(ConvertToURL(saved));
    doc.setVisible(true);
    doc.activate();
    EXPECT_EQ(doc.url(), ConvertToURL(saved));
    doc.dispose();
    ASSERT_TRUE(QFileInfo::exists(saved));

    CalcDocument back = CalcDocument::load(saved, true);
    CalcSheet s = back.sheet(QStringLiteral("Группы"));
    EXPECT_EQ(s.cell(0, 0).string(), QStringLiteral("Группы"));
    EXPECT_TRUE(s.cellRange(0, 0, 2, 0).isMerged());
    EXPECT_EQ(s.cell(0, 0).horiJustify(), JustifyCenter);
    EXPECT_EQ(s.cell(0, 1).string(), QStringLiteral("Группа: 101"));
    EXPECT_TRUE(s.cellRange(0, 1, 2, 1).isMerged());
    const QStringList header{QStringLiteral("№ п.п"), QStringLiteral("Фамилия"), QStringLiteral("Рег. номер")};
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(s.cell(c, 3).string(), header[c]);
    // The running number is a number; every list text is a text, numbers too.
    auto uno = unoSheet(s);
    EXPECT_EQ(uno->getCellByPosition(0, 4)->getType(), css::table::CellContentType_VALUE);
    EXPECT_EQ(uno->getCellByPosition(2, 4)->getType(), css::table::CellContentType_TEXT);
    EXPECT_EQ(uno->getCellByPosition(2, 5)->getType(), css::table::CellContentType_TEXT);
    EXPECT_EQ(s.cell(1, 5).string(), QStringLiteral("Петрова Анна"));
    EXPECT_EQ(s.cell(2, 4).string(), QStringLiteral("0123"));
    EXPECT_EQ(s.cell(2, 5).string(), QStringLiteral("12"));
    EXPECT_EQ(s.cell(1, 4).horiJustify(), JustifyLeft);
    EXPECT_EQ(s.cell(2, 4).horiJustify(), JustifyRight);
    EXPECT_EQ(s.cell(0, 4).horiJustify(), JustifyStandard);
    EXPECT_EQ(s.lastRow(), 5);
    EXPECT_EQ(s.lastColumn(), 2);
    const int expectedWidths[] = {909, 5454, 2545};
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(s.columnWidth(c), expectedWidths[c], 2) << c;
    EXPECT_NEAR(s.cellRange(0, 4, 2, 5).outlineWidth(), 50, 1);  // kept in twips
    EXPECT_EQ(s.cellRange(0, 4, 2, 5).innerWidth(), 2);
    EXPECT_NEAR(s.cellRange(0, 3, 2, 3).outlineWidth(), 50, 1);
    back.dispose();
}

TEST(CalcModel, ARowOfNoHeightIsHiddenAndComesBack)
{
    testsupport::TempFolder folder;
    CalcDocument doc = CalcDocument::createNew(true);
    CalcSheet s = doc.sheet(0);
    s.cell(0, 0).setString(QStringLiteral("видно"));
    s.setRowHeight(1, 0);
    s.setRowHeight(2, 1000);
    const QString path = folder.file(QStringLiteral("строки.ods"));
    doc.storeAsUrl(path);
    doc.dispose();
    CalcDocument back = CalcDocument::load(path, true);
    EXPECT_EQ(back.sheet(0).rowHeight(1), 0);
    EXPECT_EQ(back.sheet(0).rowHeight(2), 1000);
    back.dispose();
}

TEST(CalcModel, BothModelsShareOneDocumentFormat)
{
    // A workbook made through the workbook model from an .ots template and
    // stored as .ods reads back through the Calc model.
    testsupport::TempFolder folder;
    const QString templatePath = folder.file(QStringLiteral("шаблон.ots"));
    newServiceManager();
    officetest::makeSpreadsheetTemplate(templatePath);
    Application excel = Application::attach();
    Workbook book = excel.addWorkbook(templatePath);
    Worksheet ws = book.activeSheet();
    ws.cells(2, 1).setValue(ws.cells(2, 1).value().toString() + QStringLiteral("Ф-1"));
    ws.cells(5, 2).setValue(QStringLiteral("'5"));
    ws.cells(5, 3).setValue(QStringLiteral("5"));
    ws.columns(2).setColumnWidth(20);
    const QString path = folder.file(QStringLiteral("обе.ods"));
    book.saveAs(path);
    book.close();

    CalcDocument doc = CalcDocument::load(path, true);
    CalcSheet s = doc.sheet(0);
    EXPECT_EQ(s.cell(0, 1).string(), QStringLiteral("Группа: Ф-1"));
    auto uno = unoSheet(s);
    EXPECT_EQ(uno->getCellByPosition(1, 4)->getType(), css::table::CellContentType_TEXT);
    EXPECT_EQ(uno->getCellByPosition(2, 4)->getType(), css::table::CellContentType_VALUE);
    EXPECT_NEAR(s.columnWidth(1), 20 * 224, 2);
    doc.dispose();
}
