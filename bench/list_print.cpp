// Printing the students list of 20,000 rows through the Excel path with the
// list's own template, end to end: from the window's list (its texts read
// as the lines are written) to the saved .xls. Against the least bare office
// work that makes the same sheet: the same template loaded, the list's texts
// copied into one range, the lines' wrapping and borders set once on their
// block, the group line, and the same file saved; both against the same
// headless office in one run. Prints the ratio of the two times as
// "list print/range ratio: <x>" and what the print holds in memory per
// printed cell at its peak, the copy of the cells included ("list print
// memory per cell: <n> bytes"; goal at most 32).
#include "core/AppState.h"
#include "core/ListView.h"
#include "platform/office/Calc.h"
#include "platform/office/OOoUno.h"
#include "platform/office/Office.h"
#include "platform/ui/Messages.h"
#include "printing/ListPrinting.h"

#include <QApplication>
#include <QComboBox>
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

const QStringList kCaptions{QString(), QStringLiteral("Фамилия"), QStringLiteral("Имя"), QStringLiteral("Отчество"),
                            QStringLiteral("Регистрационный номер сертификата"),
                            QStringLiteral("Серия и номер бланка сертификата"), QStringLiteral("Дубликат сертификата"),
                            QStringLiteral("Доверенное лицо (получатель сертификата)"),
                            QStringLiteral("Дата и номер квитанции почтового отправления сертификата"),
                            QStringLiteral("Примечание")};
const QList<int> kAlignments{0, 0, 0, 0, 1, 0, 2, 0, 0, 0};
const QList<double> kPrintWidths{6.71, 18, 16.43, 16.43, 18, 16.43, 9.29, 16.43, 25, 16.14};
const QString kGroup = QStringLiteral("Ф-101");

// The students list as its window holds it, one row selected (every row printed).
void fillStudents(core::ReportList& list)
{
    core::SetupListViewColumns(&list, kCaptions, kAlignments);
    {
        core::ListAppender rows(&list);
        for (int i = 1; i <= kRows; ++i) {
            rows.addRow(QStringLiteral("R%1").arg(i));
            const QStringList texts{QStringLiteral("Фамилия%1").arg(i), QStringLiteral("Имя"),
                                    QStringLiteral("Отчество"), QStringLiteral("%1").arg(100000 + i),
                                    QStringLiteral("АА %1").arg(i), i % 7 ? QString() : QStringLiteral("Да"), QString(),
                                    QStringLiteral("01.02.2024 №%1").arg(i), i % 3 ? QString() : QStringLiteral("12")};
            for (int c = 0; c < texts.size(); ++c)
                rows.setText(c + 1, texts[c]);
        }
    }
    list.topLevelItem(0).setSelected(true);
}

// The print as the window makes it: the job over the list, the sheet, the file.
double printOnce(const core::ReportList& list, const QComboBox& groups, const QList<bool>& flags)
{
    const auto start = Clock::now();
    const printing::ListPrintJob job =
        printing::listPrintJob(3, &list, kCaptions, kAlignments, kPrintWidths, &groups, nullptr);
    const QString file = printing::printSheet(printing::listSheet(job, flags), printing::OfficePath::Excel);
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

// The same sheet made by bare calls from the same template: the list's
// texts copied into one range, wrapping and borders once on their blocks,
// the group line; saved as the same .xls.
double rangeOnce(const core::ReportList& list, const QString& templateFile, const QString& path)
{
    using css::uno::Any;
    using css::uno::Reference;
    using css::uno::Sequence;
    using css::uno::UNO_QUERY_THROW;
    auto ou = [](const QString& s) { return rtl::OUString(reinterpret_cast<const sal_Unicode*>(s.utf16()), s.size()); };
    const int columns = int(kCaptions.size());
    const int last = columns - 1;
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

    const auto start = Clock::now();
    // The copy of the cells: each text as the text-marking rule leaves it.
    Sequence<Sequence<Any>> data(kRows);
    auto* rows = data.getArray();
    for (int r = 0; r < kRows; ++r) {
        rows[r].realloc(columns);
        auto* cells = rows[r].getArray();
        const core::ListItem item = list.topLevelItem(r);
        cells[0] = Any(double(r + 1));
        for (int c = 1; c < columns; ++c) {
            const QString marked = printing::excelCellText(item.text(c));
            if (marked.isEmpty() || marked.startsWith(QLatin1Char('\'')))
                cells[c] = Any(ou(marked.mid(1)));
            else
                cells[c] = Any(marked.toDouble());
        }
    }
    office::CalcDocument doc = office::CalcDocument::load(templateFile, true);
    auto sheet = office::unoSheet(doc.sheet(0));
    Reference<css::container::XNamed>(sheet, UNO_QUERY_THROW)->setName(ou(QStringLiteral("Студенты")));
    auto block = [&](int left, int top, int right, int bottom) {
        return sheet->getCellRangeByPosition(left, top, right, bottom);
    };
    auto lines = block(0, 4, last, kRows + 3);
    props(lines)->setPropertyValue("IsTextWrapped", Any(true));
    props(lines)->setPropertyValue("TableBorder2", Any(borders));
    props(block(0, 3, last, 3))->setPropertyValue("TableBorder2", Any(borders));
    Reference<css::sheet::XCellRangeData>(lines, UNO_QUERY_THROW)->setDataArray(data);
    data = {};
    // Row 2: the template's label and the group, bold, wrapped, 14 points.
    auto label = block(0, 1, 0, 1);
    auto labelCell = label->getCellByPosition(0, 0);
    labelCell->setFormula(labelCell->getFormula() + ou(kGroup));
    const rtl::OUString names[] = {"CharHeight", "CharWeight", "IsTextWrapped"};
    const Any values[] = {Any(float(14)), Any(float(150)), Any(true)};
    Reference<css::beans::XMultiPropertySet>(label, UNO_QUERY_THROW)
        ->setPropertyValues(Sequence<rtl::OUString>(names, 3), Sequence<Any>(values, 3));
    doc.storeAsUrl(path);
    doc.dispose();
    const double t = seconds(start);
    QFile::remove(path);
    return t;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("KALVETA_HOME", home.path().toUtf8());
    qputenv("KALVETA_HEADLESS_OFFICE", "1");
    core::state().AppPath = home.path();
    QDir(home.path()).mkpath(QStringLiteral("Документы"));
    QDir(home.path()).mkpath(QStringLiteral("Шаблоны ЭЖ"));
    const QString own = QStringLiteral("Справочник Студенты (шаблон).xlt");
    const QString templateFile = QDir(home.path() + QStringLiteral("/Шаблоны ЭЖ")).filePath(own);
    if (!QFile::copy(QDir(QStringLiteral(KALVETA_BUILD_TEMPLATES_DIR)).filePath(own), templateFile)) {
        std::fprintf(stderr, "the students list's own template is not built\n");
        return 2;
    }
    ui::setMessageHandler([](const ui::MessageRequest&) { return int(ui::Ok); });
    office::Office& o = office::Office::instance();
    o.setDataFolder(home.path());
    o.setHeadless(true);
    try {
        o.ensureRunning();
        core::ReportList list;
        fillStudents(list);
        QComboBox groups;
        groups.addItem(kGroup);
        groups.setCurrentIndex(0);
        const QList<bool> flags(kCaptions.size(), true);
        const QString rangeFile = QDir(home.path()).filePath(QStringLiteral("range.xls"));
        // What a print holds at its peak beyond what the process held with
        // the list filled, the copy of the cells included: the first print
        // also loads what the office layer loads once (shown apart), so the
        // second is the one measured. The baseline runs after them, so that
        // the memory it frees is not counted as the print's.
        const double cells = double(kRows) * double(kCaptions.size());
        auto perCellOf = [&](long long fromKb, long long toKb) { return double(toKb - fromKb) * 1024.0 / cells; };
        long long before = residentKb("VmRSS:");
        resetPeak();
        printOnce(list, groups, flags);
        const double firstPerCell = perCellOf(before, residentKb("VmHWM:"));
        before = residentKb("VmRSS:");
        resetPeak();
        printOnce(list, groups, flags);
        const double perCell = perCellOf(before, residentKb("VmHWM:"));
        const double keptPerCell = perCellOf(before, residentKb("VmRSS:"));
        rangeOnce(list, templateFile, rangeFile);  // warm-up
        double print = 1e9;
        double range = 1e9;
        for (int i = 0; i < kRuns; ++i) {
            print = std::min(print, printOnce(list, groups, flags));
            range = std::min(range, rangeOnce(list, templateFile, rangeFile));
        }
        std::printf("rows: %d, columns: %lld, the list's own template\n", kRows, (long long)kCaptions.size());
        std::printf("list print through the layer: %.1f ms\n", print * 1000);
        std::printf("the same sheet by bare calls:  %.1f ms\n", range * 1000);
        std::printf("list print/range ratio: %.2f\n", print / range);
        std::printf("list print memory per cell: %.0f bytes\n", perCell);
        std::printf("first print, with the layer's one-time loading: %.0f bytes per cell\n", firstPerCell);
        std::printf("kept after the print: %.0f bytes per cell\n", keptPerCell);
        o.shutdown();
        return print / range <= 2.0 && perCell <= 32 ? 0 : 1;
    } catch (const office::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        o.shutdown();
        return 2;
    }
}
