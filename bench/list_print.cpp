// Printing a students list of 20,000 rows through the Excel path (every
// cell, format and width written through the workbook model, borders, the
// .xls saved), against the least bare office work that makes the same
// sheet: the cells as one range, each format set once on its block, the
// widths, merges and borders, and the same file saved; both against the
// same headless office in one run. Prints the ratio of the two times as
// "list print/range ratio: <x>" and what the print holds in memory per
// printed cell at its peak ("list print memory per cell: <n> bytes").
#include "core/AppState.h"
#include "platform/office/Calc.h"
#include "platform/office/OOoUno.h"
#include "platform/office/Office.h"
#include "platform/ui/Messages.h"
#include "printing/ListPrinting.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/table/BorderLine2.hpp>
#include <com/sun/star/table/BorderLineStyle.hpp>
#include <com/sun/star/table/CellHoriJustify.hpp>
#include <com/sun/star/table/TableBorder2.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/util/XMergeable.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 20000;
constexpr int kRuns = 3;

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

printing::ListPrintJob studentsList()
{
    printing::ListPrintJob job;
    job.kind = 3;
    job.pluralName = QStringLiteral("Студенты");
    job.captions = QStringList{QString(), QStringLiteral("Фамилия"), QStringLiteral("Имя"), QStringLiteral("Отчество"),
                               QStringLiteral("Регистрационный номер сертификата"),
                               QStringLiteral("Серия и номер бланка сертификата"), QStringLiteral("Дубликат сертификата"),
                               QStringLiteral("Доверенное лицо (получатель сертификата)"),
                               QStringLiteral("Дата и номер квитанции почтового отправления сертификата"),
                               QStringLiteral("Примечание")};
    job.alignments = {0, 0, 0, 0, 1, 0, 2, 0, 0, 0};
    job.printWidths = {6.71, 18, 16.43, 16.43, 18, 16.43, 9.29, 16.43, 25, 16.14};
    for (int i = 1; i <= kRows; ++i) {
        job.rows << QStringList{QStringLiteral("R%1").arg(i), QStringLiteral("Фамилия%1").arg(i), QStringLiteral("Имя"),
                                QStringLiteral("Отчество"), QStringLiteral("%1").arg(100000 + i),
                                QStringLiteral("АА %1").arg(i), i % 7 ? QString() : QStringLiteral("Да"), QString(),
                                QStringLiteral("01.02.2024 №%1").arg(i), i % 3 ? QString() : QStringLiteral("12")};
        job.selected << (i == 1);
    }
    job.hasGroupFilter = true;
    job.groupText = QStringLiteral("Ф-101");
    return job;
}

double printOnce(const printing::ListPrintJob& job, const QList<bool>& flags)
{
    const auto start = Clock::now();
    const QString file = printing::printListExcel(job, flags);
    const double t = seconds(start);
    if (file.isEmpty())
        throw office::Error(office::ErrorKind::CannotStore, QStringLiteral("list print"));
    QFile::remove(file);
    return t;
}

// Kilobytes of the process's resident memory: now, or at its peak since
// the peak was last reset.
long long residentKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stoll(line.substr(std::string(field).size()));
    return 0;
}

void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The same sheet made by bare calls: the cells as one range, each format
// once on its block, widths, merges, borders; saved as the same .xls.
double rangeOnce(const printing::ListPrintJob& job, const QString& path)
{
    using css::uno::Any;
    using css::uno::Reference;
    using css::uno::Sequence;
    using css::uno::UNO_QUERY_THROW;
    auto ou = [](const QString& s) { return rtl::OUString(reinterpret_cast<const sal_Unicode*>(s.utf16()), s.size()); };
    // A list text as the print's text-marking rule leaves it in its cell.
    auto cellOf = [&](const QString& text) {
        const QString marked = printing::excelCellText(text);
        if (marked.isEmpty() || marked.startsWith(QLatin1Char('\'')))
            return Any(ou(marked.mid(1)));
        return Any(marked.toDouble());
    };
    const int columns = int(job.captions.size());
    const int last = columns - 1;
    Sequence<Sequence<Any>> data(kRows + 4);
    auto* rows = data.getArray();
    for (int r = 0; r < kRows + 4; ++r) {
        rows[r].realloc(columns);
        auto* cells = rows[r].getArray();
        for (int c = 0; c < columns; ++c) {
            QString text;
            if (r == 0 && c == 0)
                text = job.pluralName;
            else if (r == 1 && c == 0)
                text = job.groupText;
            else if (r == 3)
                text = c == 0 ? QStringLiteral("№ п.п") : job.captions[c];
            if (r >= 4)
                cells[c] = c == 0 ? Any(double(r - 3)) : cellOf(job.rows[r - 4][c]);
            else
                cells[c] = Any(ou(text));
        }
    }
    auto line = [](int width) {
        css::table::BorderLine2 l;
        l.LineStyle = css::table::BorderLineStyle::SOLID;
        l.LineWidth = l.OuterLineWidth = width;
        return l;
    };
    css::table::TableBorder2 borders;
    borders.LeftLine = borders.TopLine = borders.RightLine = borders.BottomLine = line(62);
    borders.VerticalLine = borders.HorizontalLine = line(26);
    borders.IsLeftLineValid = borders.IsTopLineValid = borders.IsRightLineValid = borders.IsBottomLineValid = true;
    borders.IsVerticalLineValid = borders.IsHorizontalLineValid = true;
    auto props = [](const Reference<css::table::XCellRange>& r) {
        return Reference<css::beans::XPropertySet>(r, UNO_QUERY_THROW);
    };
    // Several properties of a block in one call.
    auto setMany = [](const Reference<css::table::XCellRange>& r, std::vector<rtl::OUString> names,
                      std::vector<Any> values) {
        Reference<css::beans::XMultiPropertySet>(r, UNO_QUERY_THROW)
            ->setPropertyValues(Sequence<rtl::OUString>(names.data(), sal_Int32(names.size())),
                                Sequence<Any>(values.data(), sal_Int32(values.size())));
    };
    auto justify = [](int code) {
        return code == 1 ? css::table::CellHoriJustify_RIGHT
            : code == 2  ? css::table::CellHoriJustify_CENTER
                         : css::table::CellHoriJustify_LEFT;
    };

    const auto start = Clock::now();
    office::CalcDocument doc = office::CalcDocument::createNew(true);
    auto sheet = office::unoSheet(doc.sheet(0));
    Reference<css::container::XNamed>(sheet, UNO_QUERY_THROW)->setName(ou(job.pluralName));
    auto block = [&](int left, int top, int right, int bottom) {
        return sheet->getCellRangeByPosition(left, top, right, bottom);
    };
    Reference<css::container::XIndexAccess> widths(
        Reference<css::table::XColumnRowRange>(block(0, 0, last, 0), UNO_QUERY_THROW)->getColumns(), UNO_QUERY_THROW);
    for (int c = 0; c < columns; ++c)
        Reference<css::beans::XPropertySet>(widths->getByIndex(c), UNO_QUERY_THROW)
            ->setPropertyValue("Width", Any(sal_Int32(job.printWidths[c] * 224.0 + 0.5)));
    auto lines = block(0, 4, last, kRows + 3);
    props(lines)->setPropertyValue("IsTextWrapped", Any(true));
    for (int c = 1; c < columns; ++c)
        props(block(c, 4, c, kRows + 3))->setPropertyValue("HoriJustify", Any(justify(job.alignments[c])));
    props(lines)->setPropertyValue("TableBorder2", Any(borders));
    auto header = block(0, 3, last, 3);
    props(header)->setPropertyValue("TableBorder2", Any(borders));
    setMany(header, {"CharWeight", "HoriJustify", "IsTextWrapped"},
            {Any(float(150)), Any(css::table::CellHoriJustify_CENTER), Any(true)});
    Reference<css::sheet::XCellRangeData>(block(0, 0, last, kRows + 3), UNO_QUERY_THROW)->setDataArray(data);
    for (int row : {0, 1}) {
        auto title = block(0, row, last, row);
        Reference<css::util::XMergeable>(title, UNO_QUERY_THROW)->merge(true);
        setMany(title, {"CharHeight", "CharWeight", "HoriJustify", "IsTextWrapped"},
                {Any(float(14)), Any(float(150)), Any(css::table::CellHoriJustify_CENTER), Any(true)});
    }
    doc.storeAsUrl(path);
    doc.dispose();
    const double t = seconds(start);
    QFile::remove(path);
    return t;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("KALVETA_HOME", home.path().toUtf8());
    qputenv("KALVETA_HEADLESS_OFFICE", "1");
    core::state().AppPath = home.path();
    QDir(home.path()).mkpath(QStringLiteral("Документы"));
    ui::setMessageHandler([](const ui::MessageRequest&) { return int(ui::Ok); });
    office::Office& o = office::Office::instance();
    o.setDataFolder(home.path());
    o.setHeadless(true);
    try {
        o.ensureRunning();
        const printing::ListPrintJob job = studentsList();
        const QList<bool> flags(job.captions.size(), true);
        const QString rangeFile = QDir(home.path()).filePath(QStringLiteral("range.xls"));
        // What the first print holds at its peak, beyond what the process
        // held before it (the baseline runs after it, so that the memory it
        // frees is not counted as the print's).
        const long long before = residentKb("VmRSS:");
        resetPeak();
        printOnce(job, flags);
        const long long peak = residentKb("VmHWM:");
        const double perCell = double(peak - before) * 1024.0 / (double(kRows) * double(job.captions.size()));
        rangeOnce(job, rangeFile);  // warm-up
        double print = 1e9;
        double range = 1e9;
        for (int i = 0; i < kRuns; ++i) {
            print = std::min(print, printOnce(job, flags));
            range = std::min(range, rangeOnce(job, rangeFile));
        }
        std::printf("rows: %d, columns: %lld\n", kRows, (long long)job.captions.size());
        std::printf("list print through the layer: %.1f ms\n", print * 1000);
        std::printf("the same sheet by bare calls:  %.1f ms\n", range * 1000);
        std::printf("list print/range ratio: %.2f\n", print / range);
        std::printf("list print memory per cell: %.0f bytes\n", perCell);
        o.shutdown();
        return print / range <= 2.0 && perCell < 64 ? 0 : 1;
    } catch (const office::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        o.shutdown();
        return 2;
    }
}
