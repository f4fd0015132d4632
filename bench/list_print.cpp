// Printing a students list of 5,000 rows through the Excel path (every cell,
// format and width written through the workbook model, borders, the .xls
// saved), against writing the same cells as one range and saving the same
// file, both against the same headless office in one run. Prints the ratio
// of the two times as "list print/range ratio: <x>"; at most 3 passes.
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

#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/table/XCellRange.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

constexpr int kRows = 5000;
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

// The same cells as one range: title, group line, header and rows.
double rangeOnce(const printing::ListPrintJob& job, const QString& path)
{
    using css::uno::Any;
    using css::uno::Sequence;
    auto ou = [](const QString& s) { return rtl::OUString(reinterpret_cast<const sal_Unicode*>(s.utf16()), s.size()); };
    const int columns = int(job.captions.size());
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
                cells[c] = c == 0 ? Any(double(r - 3)) : Any(ou(job.rows[r - 4][c]));
            else
                cells[c] = Any(ou(text));
        }
    }
    const auto start = Clock::now();
    office::CalcDocument doc = office::CalcDocument::createNew(true);
    auto sheet = office::unoSheet(doc.sheet(0));
    css::uno::Reference<css::sheet::XCellRangeData>(sheet->getCellRangeByPosition(0, 0, columns - 1, kRows + 3),
                                                    css::uno::UNO_QUERY_THROW)
        ->setDataArray(data);
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
        rangeOnce(job, rangeFile);  // warm-up
        double print = 1e9;
        double range = 1e9;
        for (int i = 0; i < kRuns; ++i) {
            print = std::min(print, printOnce(job, flags));
            range = std::min(range, rangeOnce(job, rangeFile));
        }
        std::printf("rows: %d, columns: %lld\n", kRows, (long long)job.captions.size());
        std::printf("list print through the layer: %.1f ms\n", print * 1000);
        std::printf("one range and the same store: %.1f ms\n", range * 1000);
        std::printf("list print/range ratio: %.2f\n", print / range);
        o.shutdown();
        return print / range <= 3.0 ? 0 : 1;
    } catch (const office::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        o.shutdown();
        return 2;
    }
}
