// The memory the students window adds when it shows 20,000 persons (one
// group holding all of them), against the bytes of the text its list shows.
//
// Memory: the process heap in use (glibc mallinfo2: uordblks + hblkhd, the
// latter being the large blocks malloc maps by themselves) just before the
// window is made and once it is shown, filled and sorted. The window is
// opened and closed once beforehand, so that what the process keeps anyway
// (the database connection's page cache, fonts, style caches) is not counted;
// the window's own fixed parts (toolbar, group filter, menus) are.
//
// Text: the sum of the UTF-8 bytes of every visible cell text of the list
// (columns 1..n; the hidden sort key column is not shown). UTF-8 is the
// stricter measure for this text: Cyrillic letters take 2 bytes there and in
// the UTF-16 the program keeps, digits 1 byte instead of 2. Prints
// "students list memory/text ratio: <x>".
#include "ScaleDatabase.h"

#include "core/ListView.h"
#include "directory/frmSprav.h"
#include "platform/settings/Settings.h"

#include <QApplication>

#include <malloc.h>

namespace {

constexpr int kPersons = scale::kGroups * scale::kPersonsPerGroup;

size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

struct Measure {
    double added = 0;      // bytes
    double utf8 = 0;       // bytes of the shown texts
    double utf16 = 0;
    int rows = 0;
    double rowsPart = 0;   // bytes given back when the list is emptied
};
Measure g_measure;

std::unique_ptr<directory::frmSprav> openWindow()
{
    core::state().CurrentKind = core::Students;
    auto window = std::make_unique<directory::frmSprav>();
    window->resize(1000, 700);
    window->show();
    QApplication::processEvents();
    return window;
}

void BM_StudentsWindowMemory(benchmark::State& state)
{
    for (auto _ : state) {
        openWindow().reset();  // what the process keeps anyway
        QApplication::processEvents();
        const size_t before = heapInUse();
        auto window = openWindow();
        const size_t after = heapInUse();

        const core::ReportList* list = window->Spr();
        Measure m;
        m.rows = list->topLevelItemCount();
        m.added = double(after) - double(before);
        for (int r = 0; r < m.rows; ++r) {
            const core::ListItem item = list->topLevelItem(r);
            for (int c = 1; c < list->columnCount(); ++c) {
                const QString text = item.text(c);
                m.utf8 += double(text.toUtf8().size());
                m.utf16 += double(text.size()) * 2;
            }
        }
        window->Spr()->clear();
        m.rowsPart = double(after) - double(heapInUse());
        if (m.rows != kPersons)
            state.SkipWithError("the window does not show every person");
        g_measure = m;
        state.counters["added_MB"] = m.added / 1e6;
        state.counters["text_utf8_MB"] = m.utf8 / 1e6;
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}

} // namespace

int main(int argc, char** argv)
{
    scale::Environment home(argc, argv);
    core::state().ComboTypeAhead = true;
    settings::saveSetting(settings::kSectionUser, QStringLiteral("DG3"), QStringLiteral("0"));

    if (!scale::make(home.filePath(QStringLiteral("all.db")), 1, kPersons, false))
        return 1;

    benchmark::RegisterBenchmark("StudentsWindowMemory", BM_StudentsWindowMemory)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    scale::runBenchmarks(argc, argv);

    const Measure& m = g_measure;
    std::printf("students window on %d persons: +%.2f MB heap; shown text %.2f MB in UTF-8 (%.2f MB in UTF-16)\n",
                m.rows, m.added / 1e6, m.utf8 / 1e6, m.utf16 / 1e6);
    std::printf("of which the rows of the list: %.2f MB (%.0f bytes a row)\n", m.rowsPart / 1e6,
                m.rows > 0 ? m.rowsPart / m.rows : 0.0);
    std::printf("students list memory/text ratio: %.2f (against UTF-8; %.2f against UTF-16)\n",
                m.utf8 > 0 ? m.added / m.utf8 : 0.0, m.utf16 > 0 ? m.added / m.utf16 : 0.0);
    core::state().MainDatabase.reset();
    return 0;
}
