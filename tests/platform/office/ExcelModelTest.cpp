// The workbook model: a list printed into a workbook made from a template,
// saved as .xls and read back; writes collected into ranges give the same
// document as writes made one cell at a time.
#include "OfficeFixtures.h"

#include "platform/office/Excel.h"
#include "platform/office/OOoUno.h"
#include "platform/office/SheetBuffer.h"

#include "support/TestSupport.h"

#include <QDateTime>
#include <QFile>
#include <gtest/gtest.h>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/table/CellHoriJustify.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/text/XTextRange.hpp>

using namespace office;
using rtl::OUString;

namespace {

// A list as a print hands it over: captions, alignments (0 left, 1 right,
// 2 centre), print widths (element 0 the number column) and the rows.
struct PrintedList {
    QStringList captions{QStringLiteral("Фамилия"), QStringLiteral("Рег. номер"), QStringLiteral("Оценка"),
                         QStringLiteral("Дата")};
    QList<int> alignments{0, 2, 1, 2};
    QList<double> widths{5, 30, 14, 8, 12};
    QList<QStringList> rows{
        {QStringLiteral("Иванов"), QStringLiteral("0123"), QStringLiteral("5"), QStringLiteral("12.05.2010")},
        {QStringLiteral("Петрова Анна"), QStringLiteral("123456789"), QStringLiteral("4"), QStringLiteral("01.09.2011")},
        {QStringLiteral("Сидоров\r\nмл."), QStringLiteral(""), QStringLiteral("12,5"), QStringLiteral("")},
    };
    // Column 2 (the grade) is left out of the print.
    QList<bool> printed{true, true, true, false, true};
};

// The text-marking rule of the list prints.
QString marked(const QString& s)
{
    if (s.isEmpty())
        return s;
    double d = 0;
    const bool numeric = excelNumber(s, &d);
    if (!numeric || s.size() >= 7 || s.trimmed().startsWith(QLatin1Char('0')))
        return QLatin1Char('\'') + s;
    return s;
}

HAlign alignmentOf(int code)
{
    return code == 1 ? HAlign::Right : code == 2 ? HAlign::Center : HAlign::Left;
}

// Prints the list the way the Excel print does, cell by cell.
void printList(Application& excel, const QString& templatePath, const PrintedList& list)
{
    excel.setVisible(false);
    Workbook book = excel.addWorkbook(templatePath);
    Worksheet sheet = excel.activeSheet();
    sheet.setName(QStringLiteral("Справочник"));
    const int n = int(list.captions.size());

    auto header = [&](int column, const QString& text) {
        Range cell = sheet.cells(4, column);
        cell.setValue(text);
        cell.setBold(true);
        cell.setWrapText(true);
        cell.setHorizontalAlignment(HAlign::Center);
    };
    header(1, QStringLiteral("№ п.п"));
    for (int c = 1; c <= n; ++c)
        header(c + 1, list.captions[c - 1]);

    int r = 0;
    for (const QStringList& row : list.rows) {
        ++r;
        sheet.cells(r + 4, 1).setValue(r);
        sheet.cells(r + 4, 1).setWrapText(true);
        for (int c = 1; c <= n; ++c) {
            Range cell = sheet.cells(r + 4, c + 1);
            QString s = row[c - 1];
            s.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
            cell.setValue(marked(s));
            cell.setWrapText(true);
            cell.setHorizontalAlignment(alignmentOf(list.alignments[c - 1]));
        }
    }
    for (int c = 0; c <= n; ++c)
        sheet.columns(c + 1).setColumnWidth(list.widths[c]);
    int removed = 0;
    for (int c = 0; c <= n; ++c)
        if (!list.printed[c]) {
            sheet.columns(c + 1 - removed).deleteColumns();
            ++removed;
        }
    const int last = n + 1 - removed;

    sheet.cells(1, 1).setValue(QStringLiteral("'Группы"));
    sheet.range(sheet.cells(1, 1), sheet.cells(1, last)).merge();
    Range title = sheet.cells(1, 1);
    title.setHorizontalAlignment(HAlign::Center);
    title.setBold(true);
    title.setWrapText(true);
    title.setFontSize(14);

    Range group = sheet.cells(2, 1);
    group.setValue(QVariant(group.value().toString() + QStringLiteral("101")));
    sheet.range(sheet.cells(2, 1), sheet.cells(2, last)).merge();
    group.setHorizontalAlignment(HAlign::Center);
    group.setBold(true);
    group.setWrapText(true);
    group.setFontSize(14);
    sheet.rows(3).setRowHeight(0);

    sheet.range(sheet.cells(5, 1), sheet.cells(r + 4, last)).select();
    ExcelDrawTableBorders(excel, false);
    sheet.range(sheet.cells(4, 1), sheet.cells(4, last)).select();
    ExcelDrawTableBorders(excel, false);
    sheet.cells(1, 1).select();
}

} // namespace

TEST(ExcelModel, APrintedListIsSavedAsXlsAndReadsBackWhole)
{
    testsupport::TempFolder folder;
    const QString templatePath = folder.file(QStringLiteral("Справочники (шаблон).xlt"));
    Application::attach();
    officetest::makeSpreadsheetTemplate(templatePath);

    const PrintedList list;
    Application excel = Application::attach();
    printList(excel, templatePath, list);
    const QString saved = folder.file(QStringLiteral("Справочник Группы.xls"));
    excel.activeWorkbook().saveAs(saved);
    excel.setVisible(true);
    excel.activeWorkbook().close();

    Workbook book = Application::attach().openWorkbook(saved);
    Worksheet s = book.activeSheet();
    EXPECT_EQ(s.name(), QStringLiteral("Справочник"));

    // Title and group line: merged over the four printed columns, centred.
    EXPECT_EQ(s.cells(1, 1).value().toString(), QStringLiteral("Группы"));
    EXPECT_TRUE(s.range(s.cells(1, 1), s.cells(1, 4)).mergeCells());
    EXPECT_FALSE(s.cells(1, 5).mergeCells());
    EXPECT_EQ(s.cells(1, 1).horizontalAlignment(), HAlign::Center);
    EXPECT_TRUE(s.cells(1, 1).bold());
    EXPECT_DOUBLE_EQ(s.cells(1, 1).fontSize(), 14.0);
    EXPECT_EQ(s.cells(2, 1).value().toString(), QStringLiteral("Группа: 101"));
    EXPECT_TRUE(s.range(s.cells(2, 1), s.cells(2, 4)).mergeCells());
    EXPECT_DOUBLE_EQ(s.rows(3).rowHeight(), 0.0);

    // Header: the grade column is gone, the others moved up to close the gap.
    const QStringList header{QStringLiteral("№ п.п"), QStringLiteral("Фамилия"), QStringLiteral("Рег. номер"),
                             QStringLiteral("Дата")};
    for (int c = 1; c <= 4; ++c) {
        EXPECT_EQ(s.cells(4, c).value().toString(), header[c - 1]);
        EXPECT_TRUE(s.cells(4, c).bold());
        EXPECT_TRUE(s.cells(4, c).wrapText());
        EXPECT_EQ(s.cells(4, c).horizontalAlignment(), HAlign::Center);
    }
    EXPECT_TRUE(s.cells(4, 5).value().isNull());

    // Data: running numbers are numbers; short numbers are numbers; a
    // leading zero, long numbers, dates and names stay texts as listed.
    const QList<QVariantList> expected{
        {1.0, QStringLiteral("Иванов"), QStringLiteral("0123"), QStringLiteral("12.05.2010")},
        {2.0, QStringLiteral("Петрова Анна"), QStringLiteral("123456789"), QStringLiteral("01.09.2011")},
        {3.0, QStringLiteral("Сидоров мл."), QVariant(), QVariant()},
    };
    EXPECT_EQ(s.range(s.cells(5, 1), s.cells(7, 4)).values(), expected);
    EXPECT_EQ(s.cells(5, 1).value().typeId(), QMetaType::Double);
    EXPECT_EQ(s.cells(5, 3).value().typeId(), QMetaType::QString);
    EXPECT_EQ(s.cells(5, 2).horizontalAlignment(), HAlign::Left);
    EXPECT_EQ(s.cells(6, 3).horizontalAlignment(), HAlign::Center);
    EXPECT_EQ(s.cells(7, 4).horizontalAlignment(), HAlign::Center);
    EXPECT_EQ(s.cells(5, 1).horizontalAlignment(), HAlign::General);
    EXPECT_TRUE(s.cells(6, 2).wrapText());
    EXPECT_EQ(s.lastCell().row(), 7);
    EXPECT_EQ(s.lastCell().column(), 4);

    // Widths in characters; the grade column's width went with it.
    const double widths[] = {5, 30, 14, 12};
    for (int c = 1; c <= 4; ++c)
        EXPECT_NEAR(s.columns(c).columnWidth(), widths[c - 1], 0.05) << c;

    // Borders: medium outline, thin inner lines, on the data block and on
    // the header row.
    Range data = s.range(s.cells(5, 1), s.cells(7, 4));
    for (BorderIndex edge : {BorderIndex::EdgeLeft, BorderIndex::EdgeTop, BorderIndex::EdgeBottom, BorderIndex::EdgeRight}) {
        EXPECT_EQ(data.border(edge).lineStyle(), LineStyle::Continuous);
        EXPECT_EQ(data.border(edge).weight(), BorderWeight::Medium);
    }
    for (BorderIndex inner : {BorderIndex::InsideVertical, BorderIndex::InsideHorizontal}) {
        EXPECT_EQ(data.border(inner).lineStyle(), LineStyle::Continuous);
        EXPECT_EQ(data.border(inner).weight(), BorderWeight::Thin);
    }
    EXPECT_EQ(data.border(BorderIndex::DiagonalDown).lineStyle(), LineStyle::None);
    Range head = s.range(s.cells(4, 1), s.cells(4, 4));
    EXPECT_EQ(head.border(BorderIndex::EdgeTop).weight(), BorderWeight::Medium);
    EXPECT_EQ(head.border(BorderIndex::InsideVertical).weight(), BorderWeight::Thin);
    EXPECT_EQ(s.cells(3, 2).border(BorderIndex::EdgeBottom).lineStyle(), LineStyle::None);
    book.close();
}

TEST(ExcelModel, ABlankWorkbookAndTheOrientationOfCaptions)
{
    testsupport::TempFolder folder;
    Application excel = Application::attach();
    Workbook book = excel.addWorkbook();
    Worksheet s = book.sheet(1);
    s.cells(4, 2).setValue(QStringLiteral("Анатомия"));
    s.cells(4, 2).setOrientation(90);
    s.rows(4).setRowHeight(100);
    s.columns(2).setColumnWidth(18);
    s.cells(5, 1).setValue(QDate(2024, 3, 5));
    s.range(s.cells(6, 1), s.cells(6, 3)).setValues({{QStringLiteral("'12"), QStringLiteral("12"), QVariant()}});
    const QString path = folder.file(QStringLiteral("книга.xls"));
    book.saveAs(path);
    EXPECT_EQ(book.fullName(), path);
    book.close();

    Worksheet back = Application::attach().openWorkbook(path).sheet(1);
    EXPECT_EQ(back.cells(4, 2).orientation(), 90);
    EXPECT_NEAR(back.rows(4).rowHeight(), 100.0, 0.1);
    EXPECT_NEAR(back.columns(2).columnWidth(), 18.0, 0.05);
    EXPECT_EQ(back.cells(4, 2).value().toString(), QStringLiteral("Анатомия"));
    EXPECT_EQ(back.cells(5, 1).value(), QVariant(QDateTime(QDate(2024, 3, 5), QTime(0, 0))));
    EXPECT_EQ(excelValueText(back.cells(5, 1).value()), QStringLiteral("05.03.2024"));
    EXPECT_EQ(back.range(back.cells(6, 1), back.cells(6, 3)).values(),
              (QList<QVariantList>{{QStringLiteral("12"), 12.0, QVariant()}}));
}

TEST(ExcelModel, WritesGoToTheOfficeInRangesAndGiveTheSameDocument)
{
    // The same writes, in the same order, once through the model and once
    // one remote call per cell: later writes override earlier ones.
    Application excel = Application::attach();
    Workbook viaModel = excel.addWorkbook();
    Worksheet s = viaModel.sheet(1);
    CalcDocument plain = CalcDocument::createNew(true);
    auto sheet = unoSheet(plain.sheet(0));

    constexpr int kRows = 150;
    for (int r = 1; r <= kRows; ++r)
        for (int c = 1; c <= 10; ++c) {
            const QString text = QStringLiteral("%1-%2").arg(r).arg(c);
            const QVariant v = c % 3 == 0 ? QVariant(double(r * c)) : QVariant(text);
            s.cells(r, c).setValue(v);
            s.cells(r, c).setHorizontalAlignment(c % 2 ? HAlign::Left : HAlign::Right);
            if (c % 3 == 0)
                sheet->getCellByPosition(c - 1, r - 1)->setValue(r * c);
            else
                css::uno::Reference<css::text::XTextRange>(sheet->getCellByPosition(c - 1, r - 1), css::uno::UNO_QUERY_THROW)
                    ->setString(uno::toOU(text));
            css::uno::Reference<css::beans::XPropertySet>(sheet->getCellByPosition(c - 1, r - 1), css::uno::UNO_QUERY_THROW)
                ->setPropertyValue("HoriJustify", css::uno::Any(c % 2 ? css::table::CellHoriJustify_LEFT
                                                                      : css::table::CellHoriJustify_RIGHT));
        }
    // Overrides: a block made bold then partly plain, values replaced.
    s.range(s.cells(10, 1), s.cells(20, 5)).setBold(true);
    s.range(s.cells(15, 2), s.cells(16, 3)).setBold(false);
    s.cells(12, 2).setValue(QVariant());
    s.cells(13, 2).setValue(QStringLiteral("'007"));
    s.range(s.cells(2, 2), s.cells(3, 3)).setHorizontalAlignment(HAlign::Center);
    for (int r = 10; r <= 20; ++r)
        for (int c = 1; c <= 5; ++c) {
            const bool plainText = r >= 15 && r <= 16 && c >= 2 && c <= 3;
            css::uno::Reference<css::beans::XPropertySet>(sheet->getCellByPosition(c - 1, r - 1), css::uno::UNO_QUERY_THROW)
                ->setPropertyValue("CharWeight", css::uno::Any(float(plainText ? 100.0 : 150.0)));
        }
    css::uno::Reference<css::text::XTextRange>(sheet->getCellByPosition(1, 11), css::uno::UNO_QUERY_THROW)->setString(OUString());
    css::uno::Reference<css::text::XTextRange>(sheet->getCellByPosition(1, 12), css::uno::UNO_QUERY_THROW)->setString("007");
    for (int r = 2; r <= 3; ++r)
        for (int c = 2; c <= 3; ++c)
            css::uno::Reference<css::beans::XPropertySet>(sheet->getCellByPosition(c - 1, r - 1), css::uno::UNO_QUERY_THROW)
                ->setPropertyValue("HoriJustify", css::uno::Any(css::table::CellHoriJustify_CENTER));
    s.flush();

    // Same values, same formats, cell by cell.
    const QList<QVariantList> values = s.range(s.cells(1, 1), s.cells(kRows, 10)).values();
    auto directData = css::uno::Reference<css::sheet::XCellRangeData>(sheet->getCellRangeByPosition(0, 0, 9, kRows - 1),
                                                                     css::uno::UNO_QUERY_THROW)
                          ->getDataArray();
    int differences = 0;
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < 10; ++c) {
            const css::uno::Any& d = directData[r][c];
            double number = 0;
            OUString text;
            QVariant expected;
            if (d.getValueTypeClass() == css::uno::TypeClass_DOUBLE && (d >>= number))
                expected = number;
            else if ((d >>= text) && !text.isEmpty())
                expected = uno::toQ(text);
            if (values[r][c] != expected)
                ++differences;
        }
    EXPECT_EQ(differences, 0);
    for (int r : {1, 2, 3, 10, 12, 13, 15, 16, 20, 21, 100})
        for (int c = 1; c <= 10; ++c) {
            auto cell = css::uno::Reference<css::beans::XPropertySet>(sheet->getCellByPosition(c - 1, r - 1),
                                                                      css::uno::UNO_QUERY_THROW);
            float weight = 0;
            cell->getPropertyValue("CharWeight") >>= weight;
            css::table::CellHoriJustify j;
            cell->getPropertyValue("HoriJustify") >>= j;
            EXPECT_EQ(s.cells(r, c).bold(), weight > 100) << r << "," << c;
            EXPECT_EQ(int(s.cells(r, c).horizontalAlignment()),
                      int(j == css::table::CellHoriJustify_CENTER ? HAlign::Center
                          : j == css::table::CellHoriJustify_RIGHT ? HAlign::Right
                                                                   : HAlign::Left))
                << r << "," << c;
        }
    viaModel.close();
    plain.dispose();
}

TEST(ExcelModel, ThousandsOfCellWritesCostAFewRemoteCalls)
{
    Workbook book = Application::attach().addWorkbook();
    Worksheet s = book.sheet(1);
    const long long before = detail::remoteCallCount();
    for (int r = 1; r <= 1000; ++r)
        for (int c = 1; c <= 10; ++c) {
            s.cells(r, c).setValue(c == 1 ? QVariant(r) : QVariant(QStringLiteral("т%1").arg(c)));
            s.cells(r, c).setWrapText(true);
            s.cells(r, c).setHorizontalAlignment(c % 3 == 0 ? HAlign::Center : c % 3 == 1 ? HAlign::Left : HAlign::Right);
        }
    s.flush();
    EXPECT_LT(detail::remoteCallCount() - before, 30);
    EXPECT_EQ(s.cells(1000, 10).value().toString(), QStringLiteral("т10"));
    EXPECT_EQ(s.cells(999, 3).horizontalAlignment(), HAlign::Center);
    book.close();
}

TEST(ExcelModel, ReadsAreAnsweredFromOneReadOfTheirRows)
{
    Workbook book = Application::attach().addWorkbook();
    Worksheet s = book.sheet(1);
    for (int r = 1; r <= 200; ++r)
        s.cells(r, 1).setValue(r);
    s.flush();
    const long long before = detail::remoteCallCount();
    double sum = 0;
    for (int r = 1; r <= 200; ++r)
        sum += s.cells(r, 1).value().toDouble();
    EXPECT_DOUBLE_EQ(sum, 200 * 201 / 2);
    EXPECT_LT(detail::remoteCallCount() - before, 15);
    // A write makes the next read fetch the sheet again.
    s.cells(1, 1).setValue(QStringLiteral("новое"));
    EXPECT_EQ(s.cells(1, 1).value().toString(), QStringLiteral("новое"));
    // One cell of a long sheet reads the rows round it, not the sheet.
    for (int r = 201; r <= 5000; ++r)
        s.cells(r, 3).setValue(QStringLiteral("строка %1").arg(r));
    const long long read = detail::cellsReadCount();
    EXPECT_EQ(s.cells(2, 1).value().toDouble(), 2.0);
    EXPECT_EQ(s.cells(4000, 3).value().toString(), QStringLiteral("строка 4000"));
    EXPECT_LE(detail::cellsReadCount() - read, 2 * detail::SheetBuffer::kBandRows * 3);
    book.close();
}

TEST(ExcelModel, FailuresHaveTheirOwnKinds)
{
    testsupport::TempFolder folder;
    Application excel = Application::attach();
    try {
        excel.addWorkbook(folder.file(QStringLiteral("нет шаблона.xlt")));
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::CannotLoad);
        EXPECT_EQ(e.number(), errCannotLoad);
        EXPECT_TRUE(e.description().contains(QStringLiteral("нет шаблона.xlt")));
    }
    Workbook book = excel.addWorkbook();
    // A file stands where the folder should be.
    QFile blocker(folder.file(QStringLiteral("папка")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    try {
        book.saveAs(folder.file(QStringLiteral("папка/книга.xls")));
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::CannotStore);
        EXPECT_EQ(e.number(), errCannotStore);
    }
    EXPECT_THROW(book.sheet(5), Error);
    try {
        book.sheet(QStringLiteral("Нет такого"));
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::NotFound);
    }
    book.close();
    EXPECT_FALSE(book.isOpen());
    EXPECT_THROW(book.sheetCount(), Error);
}
