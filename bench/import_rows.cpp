// Checking and importing 20,000 and 100,000 student rows from an .ods
// workbook, against
// the least the same work can cost: the workbook loaded and its used range
// read in one remote call, the groups' keys read once, and the rows written
// with one prepared INSERT in one transaction. Both run against the same
// reading office and copies of the same database. Prints the ratio of the
// two times per size as "import/read+insert ratio: <x>"; the goal is 3.
// A size may be given on the command line instead; "window" and a size run
// the students' window trial alone.
//
// The grade-sheet line: a sheet of 20,000 persons of one group of 20,000,
// each with a grade in five disciplines, read, checked and imported,
// against the bare work: the used range read in one call, the group's
// persons, the disciplines and the grade kinds read once into hashes, and
// the grade lines written with one prepared INSERT in one transaction.
// Printed as "grade sheet/read+insert ratio: <x>"; the goal is 3.
//
// Then both imports tried in the import window, as a user runs them
// (reading, "Проверка", "OK"), the students at the largest size, watched
// by bench::WindowWatch: per stage of the status bar the longest time the
// window thread went without taking its events (painting), printed as
// "<stage>: ... longest stall <ms> ms"; the goal is 500 ms, and every stage
// longer than a second shows a count. And the memory the program keeps once
// the students' window has closed (goal: at most 20 MB).
#include "core/AppState.h"
#include "core/DirectoryMetadata.h"
#include "WindowWatch.h"
#include "import/DirectoryRows.h"
#include "import/GradeRows.h"
#include "import/GradeSettings.h"
#include "import/GradeSheet.h"
#include "import/ImportLayouts.h"
#include "import/SheetRows.h"
#include "import/frmImport.h"
#include "newdb/NewDatabase.h"
#include "platform/office/Calc.h"
#include "platform/office/Office.h"
#include "platform/office/OfficeDesktop.h"
#include "platform/office/WorkbookReader.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Progress.h"

#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <sqlite3.h>

#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QTimer>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

constexpr int kSizes[] = {20000, 100000};
constexpr int kRuns = 3;
constexpr double kGoal = 3.0;
constexpr qint64 kStallGoalMs = 500;
constexpr qint64 kCountedAfterMs = 1000;
constexpr long long kKeptGoalMb = 20;
constexpr int kGradePersons = 20000;
constexpr int kGradeDisciplines = 5;
constexpr int kGradeHeaderRows = 2;  // the hours, then the disciplines' names
constexpr const char* kGradeGroup = "Г 1";
constexpr const char* kGradeMarks[] = {"5", "4", "3"};
const char* const kHeader[] = {"Группа", "Фамилия", "Имя", "Отчество", "Регистрационный номер сертификата",
                               "Примечание"};
constexpr int kColumns = int(std::size(kHeader));

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// The process's resident memory of its own (not the pages of the program
// and its libraries, which the first use of a library brings in), in
// kilobytes.
long long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("RssAnon:"))
            return line.mid(8).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// Every `unknownEvery`-th row (0: none) names a group the database lacks;
// the check pass removes such rows.
QString cellText(int row, int column, int unknownEvery = 0)
{
    switch (column) {
    case 0:
        if (unknownEvery > 0 && row % unknownEvery == 0)
            return QStringLiteral("Нет такой группы");
        return row % 2 ? QStringLiteral("Б 31") : QStringLiteral("з 41");
    case 1: return QStringLiteral("Фамилия%1").arg(row);
    case 2: return QStringLiteral("Имя%1").arg(row % 97);
    case 3: return QStringLiteral("Отчество%1").arg(row % 89);
    case 4: return QString::number(100000 + row);
    default: return QStringLiteral("Примечание к строке %1").arg(row);
    }
}

void writeWorkbook(const QString& path, int rowCount, int unknownEvery = 0)
{
    office::CalcDocument doc = office::CalcDocument::createNew(true);
    office::CalcSheet sheet = doc.sheet(0);
    for (int c = 0; c < kColumns; ++c)
        sheet.cell(c, 0).setString(QString::fromUtf8(kHeader[c]));
    for (int r = 1; r <= rowCount; ++r)
        for (int c = 0; c < kColumns; ++c)
            sheet.cell(c, r).setString(cellText(r, c, unknownEvery));
    doc.storeAsUrl(path);
    doc.dispose();
}

void openCopy(const QString& sample, const QString& path)
{
    core::state().MainDatabase.reset();
    QFile::remove(path);
    QFile::copy(sample, path);
    core::state().MainDatabase = jet::Database::open(path);
}

// The import as the window runs it: the Calc reading, the check pass and
// the import pass.
double importRun(const QString& workbook, int rowCount)
{
    const auto start = Clock::now();
    importer::DirectoryImport import;
    import.kind = core::Students;
    import.layout = importer::importLayout(core::Students);
    import.targets = importer::targetFields(core::TableNames(core::Students), import.layout);
    office::WorkbookReader reader = office::WorkbookReader::open(workbook);
    const office::SheetTexts sheet = reader.read(0, office::WorkbookReader::Reading::CalcText);
    reader.close();
    const importer::SheetRead read = importer::readImportSheet(
        sheet, importer::captionsOf(import.layout), importer::cutSizes(import.layout, import.targets),
        importer::ReadingPath::Calc);
    QList<QStringList> rows;
    QList<int> numbers;
    for (const importer::SheetRow& r : read.rows) {
        rows << r.cells;
        numbers << r.sheetRow;
    }
    const importer::CheckOutcome check = importer::checkDirectoryRows(import, rows, numbers);
    const importer::ImportOutcome done = importer::importDirectoryRows(import, rows, numbers);
    const double t = seconds(start);
    if (check.count != rowCount || !done.ok || done.count != rowCount)
        std::fprintf(stderr, "unexpected counts: %ld %ld\n", check.count, done.count);
    return t;
}

// The bare read of a workbook: its first sheet's used range in one call.
css::uno::Sequence<css::uno::Sequence<css::uno::Any>> usedRange(const QString& workbook)
{
    using namespace office::uno;
    auto desktop = desktopOf(office::Office::reader());
    Reference<css::lang::XComponent> doc = desktop->loadComponentFromURL(
        toOU(QUrl::fromLocalFile(workbook).toString()), "_blank", 0,
        props({{"Hidden", Any(true)}, {"ReadOnly", Any(true)}}));
    Reference<css::sheet::XSpreadsheetDocument> sd(doc, UNO_QUERY_THROW);
    Reference<css::container::XIndexAccess> sheets(sd->getSheets(), UNO_QUERY_THROW);
    Reference<css::sheet::XSpreadsheet> sheet(sheets->getByIndex(0), UNO_QUERY_THROW);
    auto cursor = sheet->createCursor();
    Reference<css::sheet::XUsedAreaCursor>(cursor, UNO_QUERY_THROW)->gotoEndOfUsedArea(false);
    const auto end = Reference<css::sheet::XCellRangeAddressable>(cursor, UNO_QUERY_THROW)->getRangeAddress();
    const auto data = Reference<css::sheet::XCellRangeData>(
                          sheet->getCellRangeByPosition(0, 0, end.EndColumn, end.EndRow), UNO_QUERY_THROW)
                          ->getDataArray();
    doc->dispose();
    return data;
}

// The bare work: the used range read in one call, the group names turned
// into keys from one read of the groups, and one prepared INSERT bound anew
// per row.
double baselineRun(const QString& workbook)
{
    using namespace office::uno;
    const auto start = Clock::now();
    const auto data = usedRange(workbook);

    sqlite3* db = core::db().handle();
    QHash<QString, qlonglong> groups;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT IDG, NAIM FROM SPGRUP", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        groups.insert(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1))).toUpper(),
                      sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO SPSTUD (IDG, FAM, IM, OTCH, REGNOMMED, MEMO) VALUES (?, ?, ?, ?, ?, ?)", -1, &st,
                       nullptr);
    for (sal_Int32 r = 1; r < data.getLength(); ++r) {
        const auto& row = data[r];
        OUString text;
        row[0] >>= text;
        sqlite3_bind_int64(st, 1, groups.value(toQ(text).trimmed().toUpper()));
        for (int c = 1; c < kColumns; ++c) {
            row[c] >>= text;
            const QByteArray utf8 = toQ(text).trimmed().toUtf8();
            sqlite3_bind_text(st, c + 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        }
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    return seconds(start);
}

// ---------------------------------------------------------------------------
// The grade sheet.

QString gradeName(int person, int part)
{
    switch (part) {
    case 0: return QStringLiteral("Фамилия%1").arg(person);
    case 1: return QStringLiteral("Имя%1").arg(person % 97);
    default: return QStringLiteral("Отчество%1").arg(person % 89);
    }
}

QString gradeDiscipline(int d)
{
    return QStringLiteral("Дисциплина %1").arg(d + 1);
}

QString gradeMark(int person, int d)
{
    return QString::fromUtf8(kGradeMarks[(person + d) % std::size(kGradeMarks)]);
}

// Names in columns A to C, the disciplines from column D; the hours in row
// 1, the disciplines' names in row 2, the persons from row 3.
void writeGradeWorkbook(const QString& path, int persons)
{
    office::CalcDocument doc = office::CalcDocument::createNew(true);
    office::CalcSheet sheet = doc.sheet(0);
    for (int d = 0; d < kGradeDisciplines; ++d) {
        sheet.cell(3 + d, 0).setString(QStringLiteral("72"));
        sheet.cell(3 + d, 1).setString(gradeDiscipline(d));
    }
    for (int p = 0; p < persons; ++p) {
        for (int part = 0; part < 3; ++part)
            sheet.cell(part, kGradeHeaderRows + p).setString(gradeName(p, part));
        for (int d = 0; d < kGradeDisciplines; ++d)
            sheet.cell(3 + d, kGradeHeaderRows + p).setString(gradeMark(p, d));
    }
    doc.storeAsUrl(path);
    doc.dispose();
}

// The group, its persons and the disciplines, written the bare way.
void fillGradeDatabase(int persons)
{
    jet::Database& db = core::db();
    db.execute(QStringLiteral("INSERT INTO SPGRUP (NAIM) VALUES (?)"), {QString::fromUtf8(kGradeGroup)});
    const qlonglong group = db.lastInsertKey();
    for (int d = 0; d < kGradeDisciplines; ++d)
        db.execute(QStringLiteral("INSERT INTO SPPRED (NAIM, isNotPred) VALUES (?, 0)"), {gradeDiscipline(d)});
    sqlite3* h = db.handle();
    sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, "INSERT INTO SPSTUD (FAM, IM, OTCH, IDG) VALUES (?, ?, ?, ?)", -1, &st, nullptr);
    for (int p = 0; p < persons; ++p) {
        for (int part = 0; part < 3; ++part) {
            const QByteArray utf8 = gradeName(p, part).toUtf8();
            sqlite3_bind_text(st, part + 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        }
        sqlite3_bind_int64(st, 4, group);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
}

void saveGradeSettings(const QString& sheetName, int persons)
{
    using namespace importer;
    const std::pair<GradeSetting, QString> values[] = {
        {SheetName, sheetName},
        {FirstPersonRow, QString::number(kGradeHeaderRows + 1)},
        {LastPersonRow, QString::number(kGradeHeaderRows + persons)},
        {NameColumn, QStringLiteral("1")},
        {NamesInThreeColumns, QStringLiteral("1")},
        {AddPersons, QStringLiteral("0")},
        {DisciplineRow, QString::number(kGradeHeaderRows)},
        {FirstDisciplineColumn, QStringLiteral("4")},
        {LastDisciplineColumn, QString::number(3 + kGradeDisciplines)},
        {DisciplinesEverySecondColumn, QStringLiteral("0")},
        {AddDisciplines, QStringLiteral("0")},
        {RefillGrades, QStringLiteral("0")},
    };
    for (const auto& [setting, text] : values)
        saveGradeSetting(setting, text);
}

qlonglong gradeLines()
{
    return core::db().scalar(QStringLiteral("SELECT count(*) FROM EXAM")).toLongLong();
}

// The grade sheet as the window reads, checks and imports it.
double gradeRun(const QString& workbook, int persons)
{
    using namespace importer;
    const auto start = Clock::now();
    const qlonglong before = gradeLines();
    const GradeSheetSettings settings = loadGradeSheetSettings();
    office::WorkbookReader reader = office::WorkbookReader::open(workbook);
    const office::SheetTexts sheet = reader.read(settings.sheetName, office::WorkbookReader::Reading::CalcText);
    reader.close();
    const GradeSheetRead read = readGradeSheet(sheet, settings, QString::fromUtf8(kGradeGroup), ReadingPath::Calc);
    const GradeImport import =
        gradeImportFromSettings(importLayout(core::GradeSheetImport) + read.disciplines, core::RetrainingDocuments);
    const GradeOutcome check = checkGradeRows(import, read.rows, read.sheetRows);
    const GradeOutcome done = importGradeRows(import, read.rows, read.sheetRows);
    const double t = seconds(start);
    const long lines = long(persons) * kGradeDisciplines;
    if (check.count != lines || !done.ok || done.count != lines || gradeLines() - before != lines)
        std::fprintf(stderr, "grade sheet: unexpected counts: %ld %ld\n", check.count, done.count);
    return t;
}

// The bare work: the used range in one call; the group's persons, the
// disciplines and the grade kinds read once; one prepared INSERT per line
// and the lines' order set by one UPDATE, in one transaction.
double gradeBaseline(const QString& workbook)
{
    using namespace office::uno;
    const auto start = Clock::now();
    const auto data = usedRange(workbook);

    sqlite3* db = core::db().handle();
    const auto text = [](sqlite3_stmt* st, int c) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
        return p ? QString::fromUtf8(p) : QString();
    };
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT IDG FROM SPGRUP WHERE NAIM=?", -1, &st, nullptr);
    const QByteArray groupName = QByteArray(kGradeGroup);
    sqlite3_bind_text(st, 1, groupName.constData(), int(groupName.size()), SQLITE_TRANSIENT);
    sqlite3_step(st);
    const qlonglong group = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    QHash<QString, qlonglong> persons;
    sqlite3_prepare_v2(db, "SELECT ID, FAM, IM, OTCH FROM SPSTUD WHERE IDG=?", -1, &st, nullptr);
    sqlite3_bind_int64(st, 1, group);
    while (sqlite3_step(st) == SQLITE_ROW)
        persons.insert(text(st, 1) + QLatin1Char('|') + text(st, 2) + QLatin1Char('|') + text(st, 3),
                       sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    QHash<QString, qlonglong> disciplines, marks;
    sqlite3_prepare_v2(db, "SELECT IDD, NAIM FROM SPPRED", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        disciplines.insert(text(st, 1), sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    sqlite3_prepare_v2(db, "SELECT IDB, OCEN FROM SPBALL", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        marks.insert(text(st, 1), sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);

    const auto cell = [&](int row, int column) {
        OUString s;
        data[row][column] >>= s;
        return toQ(s).trimmed();
    };
    QList<qlonglong> columnDisciplines;
    QList<QByteArray> hours;
    for (int d = 0; d < kGradeDisciplines; ++d) {
        columnDisciplines << disciplines.value(cell(kGradeHeaderRows - 1, 3 + d));
        hours << cell(kGradeHeaderRows - 2, 3 + d).toUtf8();
    }
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO EXAM (ID, IDD, IDB, CH, VidDokum) VALUES (?, ?, ?, ?, ?)", -1, &st, nullptr);
    const int vidDokum = core::vidDokumOf(core::RetrainingDocuments);
    for (sal_Int32 r = kGradeHeaderRows; r < data.getLength(); ++r) {
        const qlonglong person =
            persons.value(cell(r, 0) + QLatin1Char('|') + cell(r, 1) + QLatin1Char('|') + cell(r, 2));
        for (int d = 0; d < kGradeDisciplines; ++d) {
            sqlite3_bind_int64(st, 1, person);
            sqlite3_bind_int64(st, 2, columnDisciplines[d]);
            sqlite3_bind_int64(st, 3, marks.value(cell(r, 3 + d)));
            sqlite3_bind_text(st, 4, hours[d].constData(), int(hours[d].size()), SQLITE_STATIC);
            sqlite3_bind_int(st, 5, vidDokum);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "UPDATE EXAM SET SORT=IDE WHERE SORT IS NULL", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    return seconds(start);
}

// ---------------------------------------------------------------------------
// The window.

// The stages of one trial, printed; false when one stalled longer than the
// goal or went on for over a second without a count.
bool stagesWithinGoal(const char* what, const QList<bench::WindowWatch::Phase>& phases)
{
    bench::WindowWatch::print(what, phases);
    const QString uncounted = bench::WindowWatch::uncountedPhase(phases, kCountedAfterMs);
    if (!uncounted.isEmpty())
        std::printf("%s: \"%s\" went on without a count\n", what, qPrintable(uncounted));
    const qint64 longest = bench::WindowWatch::longestStall(phases);
    std::printf("%s: longest stall %lld ms (goal %lld)\n", what, longest, kStallGoalMs);
    std::fflush(stdout);
    return longest <= kStallGoalMs && uncounted.isEmpty();
}

// The import window at work on the workbook, every tenth row of which
// names an unknown group; false when a stage stalled longer than the goal
// or the rows did not arrive as expected.
constexpr int kUnknownEvery = 10;
bool windowTrial(const QString& workbook, int rowCount)
{
    core::AppState& state = core::state();
    state.OfficeIsOOo = true;
    state.CurrentKind = core::Students;
    state.ImportGroupId = 0;
    // The window as the directory window shows it: loaded, then shown
    // modally, where the user presses "Проверка" and "OK".
    int listed = 0, checked = 0;
    ui::setDialogHandler([&](QDialog* d) {
        if (auto* files = qobject_cast<QFileDialog*>(d)) {
            files->selectFile(workbook);
            return int(QDialog::Accepted);
        }
        if (auto* window = qobject_cast<importer::frmImport*>(d)) {
            window->show();
            listed = window->Spr()->topLevelItemCount();
            window->CheckIt_Click();
            checked = window->Spr()->topLevelItemCount();
            window->OKButton_Click();
            return window->result();
        }
        return int(QDialog::Rejected);
    });
    QStringList messages;
    ui::setMessageHandler([&](const ui::MessageRequest& m) {
        messages << m.text;
        return 1;
    });
    bench::WindowWatch watch;
    watch.beginPhase(QStringLiteral("(окно)"));
    const bool written = importer::showImportWindow(nullptr);
    const QList<bench::WindowWatch::Phase> phases = watch.take();
    ui::setDialogHandler({});
    ui::setMessageHandler({});
    const QByteArray what = QStringLiteral("window, %1 rows").arg(rowCount).toUtf8();
    const bool within = stagesWithinGoal(what.constData(), phases);
    const bool allRows = listed == rowCount && checked == rowCount - rowCount / kUnknownEvery && written;
    if (!allRows)
        std::fprintf(stderr, "window: %d rows listed, %d checked; %s\n", listed, checked,
                     qPrintable(messages.join(QLatin1Char('|')).left(500)));
    return allRows && within;
}

// The grade sheet in the import window of the grades window; false as for
// the students.
bool gradeWindowTrial(const QString& workbook, int persons)
{
    core::AppState& state = core::state();
    state.OfficeIsOOo = true;
    state.CurrentKind = core::GradeSheetImport;
    state.ImportDocKind = core::RetrainingDocuments;
    state.ImportGroupId = core::db()
                              .scalar(QStringLiteral("SELECT IDG FROM SPGRUP WHERE NAIM=?"),
                                      {QString::fromUtf8(kGradeGroup)})
                              .toLongLong();
    ui::setDialogHandler([&](QDialog* d) {
        if (auto* files = qobject_cast<QFileDialog*>(d)) {
            files->selectFile(workbook);
            return int(QDialog::Accepted);
        }
        // The settings dialog: as saved.
        return int(QDialog::Accepted);
    });
    QStringList messages;
    ui::setMessageHandler([&](const ui::MessageRequest& m) {
        messages << m.text;
        return 1;
    });
    const qlonglong before = gradeLines();
    importer::frmImport window;
    window.show();
    bench::WindowWatch watch;
    watch.beginPhase(QStringLiteral("(окно)"));
    const bool loaded = window.load();
    const int listed = window.Spr()->topLevelItemCount();
    window.CheckIt_Click();
    window.OKButton_Click();
    const QList<bench::WindowWatch::Phase> phases = watch.take();
    ui::setDialogHandler({});
    ui::setMessageHandler({});
    const QByteArray what = QStringLiteral("grade sheet window, %1 persons").arg(persons).toUtf8();
    const bool within = stagesWithinGoal(what.constData(), phases);
    const bool allLines = loaded && listed == persons && gradeLines() - before == qlonglong(persons) * kGradeDisciplines;
    if (!allLines)
        std::fprintf(stderr, "grade sheet window: %d persons listed, %lld lines; %s\n", listed,
                     gradeLines() - before, qPrintable(messages.join(QLatin1Char('|')).left(500)));
    return allLines && within;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("KALVETA_HOME", home.path().toUtf8());
    // The window's settings (its last folder among them) stay in the run's own folder.
    settings::useSettingsFolder(home.filePath(QStringLiteral("config")));
    qputenv("KALVETA_HEADLESS_OFFICE", "1");
    office::Office& o = office::Office::instance();
    o.setDataFolder(home.path());
    o.setHeadless(true);
    const QString sample = home.filePath(QStringLiteral("sample.db"));
    const QString db = home.filePath(QStringLiteral("run.db"));
    const QString workbook = home.filePath(QStringLiteral("студенты.ods"));
    QList<int> sizes(std::begin(kSizes), std::end(kSizes));
    // "window" first: the students' window trial only.
    const bool windowOnly = argc > 1 && QByteArray(argv[1]) == "window";
    const int sizeArgument = windowOnly ? 2 : 1;
    if (argc > sizeArgument && QByteArray(argv[sizeArgument]).toInt() > 0)
        sizes = {QByteArray(argv[sizeArgument]).toInt()};
    try {
        if (!newdb::CreateNewDatabase(sample, true))
            return 2;
        for (const char* g : {"Б 31", "З 41"})
            core::db().execute(QStringLiteral("INSERT INTO SPGRUP (NAIM) VALUES (?)"), {QString::fromUtf8(g)});
        core::state().MainDatabase.reset();
        o.ensureRunning();

        bool withinGoal = true;
        for (const int rowCount : windowOnly ? QList<int>{} : sizes) {
            writeWorkbook(workbook, rowCount);
            openCopy(sample, db);
            baselineRun(workbook);  // warm-up: the first load of a workbook is slower
            double import = 1e9, baseline = 1e9;
            for (int i = 0; i < kRuns; ++i) {
                openCopy(sample, db);
                import = std::min(import, importRun(workbook, rowCount));
                openCopy(sample, db);
                baseline = std::min(baseline, baselineRun(workbook));
            }
            core::state().MainDatabase.reset();
            std::printf("rows: %d x %d\n", rowCount, kColumns);
            std::printf("import (read, check, import): %.1f ms\n", import * 1000);
            std::printf("bare range read + prepared INSERTs: %.1f ms\n", baseline * 1000);
            std::printf("import/read+insert ratio: %.2f (goal %.0f)\n", import / baseline, kGoal);
            std::fflush(stdout);
            withinGoal = withinGoal && import / baseline <= kGoal;
        }
        // The grade sheet.
        if (!windowOnly) {
            const QString gradeSample = home.filePath(QStringLiteral("grades.db"));
            const QString gradeBook = home.filePath(QStringLiteral("ведомость.ods"));
            openCopy(sample, gradeSample);
            fillGradeDatabase(kGradePersons);
            core::state().MainDatabase.reset();
            writeGradeWorkbook(gradeBook, kGradePersons);
            {
                office::WorkbookReader reader = office::WorkbookReader::open(gradeBook);
                saveGradeSettings(reader.sheetNames().value(0), kGradePersons);
            }
            openCopy(gradeSample, db);
            gradeBaseline(gradeBook);  // warm-up
            double grades = 1e9, gradesBare = 1e9;
            for (int i = 0; i < kRuns; ++i) {
                openCopy(gradeSample, db);
                grades = std::min(grades, gradeRun(gradeBook, kGradePersons));
                openCopy(gradeSample, db);
                gradesBare = std::min(gradesBare, gradeBaseline(gradeBook));
            }
            std::printf("grade sheet: %d persons of one group x %d disciplines\n", kGradePersons, kGradeDisciplines);
            std::printf("grade sheet (read, check, import): %.1f ms\n", grades * 1000);
            std::printf("bare range read + hashes + prepared INSERTs: %.1f ms\n", gradesBare * 1000);
            std::printf("grade sheet/read+insert ratio: %.2f (goal %.0f)\n", grades / gradesBare, kGoal);
            std::fflush(stdout);
            withinGoal = withinGoal && grades / gradesBare <= kGoal;
            openCopy(gradeSample, db);
            withinGoal = gradeWindowTrial(gradeBook, kGradePersons) && withinGoal;
        }
        writeWorkbook(workbook, sizes.last(), kUnknownEvery);
        openCopy(sample, db);
        // The program at rest before the import: what earlier stages freed
        // given back, as the import gives back its own.
        ui::LongWork::giveBackFreedMemory();
        const long long before = residentKb();
        withinGoal = windowTrial(workbook, sizes.last()) && withinGoal;
        // What the program keeps once the window has closed.
        const long long kept = residentKb() - before;
        std::printf("window, %d rows: memory kept after the import: %+.1f MB (goal %lld)\n", sizes.last(),
                    double(kept) / 1024, kKeptGoalMb);
        withinGoal = withinGoal && kept <= kKeptGoalMb * 1024;
        core::state().MainDatabase.reset();
        o.shutdown();
        return withinGoal ? 0 : 1;
    } catch (const office::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        o.shutdown();
        return 2;
    } catch (const jet::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        o.shutdown();
        return 2;
    }
}
