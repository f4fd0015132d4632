// Writing 1,000 rows of 10 cells into a spreadsheet of the office: through
// the workbook model, which sends the writes in ranges, and one remote call
// per cell, both against the same headless office. Prints the ratio of the
// two times as "range/per-cell ratio: <x>".
#include "platform/office/Excel.h"
#include "platform/office/OOoUno.h"
#include "platform/office/Office.h"

#include <QTemporaryDir>
#include <QVariant>

#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XTextRange.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRows = 1000;
constexpr int kColumns = 10;
constexpr int kRuns = 3;  // of the layer; the slow per-cell run once

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

rtl::OUString toOU(const QString& s)
{
    return rtl::OUString(reinterpret_cast<const sal_Unicode*>(s.utf16()), s.size());
}

QString textOf(int row, int column)
{
    return QStringLiteral("Строка %1, графа %2").arg(row).arg(column);
}

// The workbook model: every cell written on its own, sent in ranges.
double throughTheLayer()
{
    office::Workbook book = office::Application::attach().addWorkbook();
    office::Worksheet sheet = book.sheet(1);
    const auto start = Clock::now();
    for (int r = 1; r <= kRows; ++r)
        for (int c = 1; c <= kColumns; ++c)
            sheet.cells(r, c).setValue(c == 1 ? QVariant(r) : QVariant(QLatin1Char('\'') + textOf(r, c)));
    sheet.flush();
    const double t = seconds(start);
    book.close();
    return t;
}

// One remote call per cell (the cells themselves are fetched beforehand,
// outside the time).
double onePerCell()
{
    office::CalcDocument doc = office::CalcDocument::createNew(true);
    auto sheet = office::unoSheet(doc.sheet(0));
    std::vector<css::uno::Reference<css::table::XCell>> cells;
    cells.reserve(kRows * kColumns);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c)
            cells.push_back(sheet->getCellByPosition(c, r));
    std::vector<css::uno::Reference<css::text::XTextRange>> texts;
    for (const auto& cell : cells)
        texts.emplace_back(cell, css::uno::UNO_QUERY);
    const auto start = Clock::now();
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            const int i = r * kColumns + c;
            if (c == 0)
                cells[i]->setValue(r + 1);
            else
                texts[i]->setString(toOU(textOf(r + 1, c + 1)));
        }
    const double t = seconds(start);
    doc.dispose();
    return t;
}

} // namespace

int main()
{
    QTemporaryDir home;
    qputenv("KALVETA_HOME", home.path().toUtf8());
    qputenv("KALVETA_HEADLESS_OFFICE", "1");
    office::Office& o = office::Office::instance();
    o.setDataFolder(home.path());
    o.setHeadless(true);
    try {
        o.ensureRunning();
        throughTheLayer();  // warm-up: the first document of an office is slower
        double layer = 1e9;
        for (int i = 0; i < kRuns; ++i)
            layer = std::min(layer, throughTheLayer());
        const double perCell = onePerCell();
        std::printf("cells: %d x %d\n", kRows, kColumns);
        std::printf("through the layer (ranges): %.1f ms\n", layer * 1000);
        std::printf("one remote call per cell:   %.1f ms\n", perCell * 1000);
        std::printf("range/per-cell ratio: %.4f\n", layer / perCell);
        o.shutdown();
        return layer / perCell <= 1.0 / 20 ? 0 : 1;
    } catch (const office::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        o.shutdown();
        return 2;
    }
}
