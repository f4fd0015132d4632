#include "printing/SheetPrint.h"

#include "core/ChildWindows.h"
#include "core/ListView.h"
#include "core/TextHelpers.h"
#include "platform/office/Calc.h"
#include "platform/office/Excel.h"
#include "platform/office/OOo.h"
#include "platform/office/Office.h"
#include "platform/ui/Messages.h"

#include <QDir>
#include <QFileInfo>

#include <array>
#include <cmath>
#include <memory>

namespace printing {

using namespace office;

namespace {

const PrintTexts kListTexts{
    "Идет создание печатной формы справочника...",
    "Идет заполнение печатной формы справочника...",
    "Идет сохранение печатной формы справочника...",
    "Печатная форма справочника выполнена.",
    "Печатная форма справочника выполнена и сохранена.",
    "Печатная форма справочника выполнена и сохранена в файле ",
    "Печатная форма справочника выполнена, но не сохранена в файле: ",
    "Печатная форма справочника выполнена, но не сохранена.",
    "Печатная форма выполнена, но не сохранена.",
    "Печатная форма справочника не создана: офисная программа завершила работу во время печати.",
};

const PrintTexts kBookTexts{
    "Идет создание печатной формы книги...",
    "Идет заполнение печатной формы книги...",
    "Идет сохранение печатной формы книги...",
    "Печатная форма книги выполнена.",
    "Печатная форма книги выполнена и сохранена.",
    "Печатная форма книги выполнена и сохранена в файле ",
    "Печатная форма книги выполнена, но не сохранена в файле: ",
    "Печатная форма книги выполнена, но не сохранена.",
    "Печатная форма выполнена, но не сохранена.",
    "Печатная форма книги не создана: офисная программа завершила работу во время печати.",
};

constexpr std::array<SheetKindRules, 2> kKindRules{{
    {SheetKind::List, &kListTexts, "списка", true, true, false},
    {SheetKind::Book, &kBookTexts, "книги", false, false, true},
}};

// What sets the two office paths apart beyond their writers.
struct PathRules {
    OfficePath path;
    const char* templateExtension;
    const char* fileExtension;
    bool xlsSheet;  // the saved sheet holds at most kXlsSheetRows rows
};

constexpr std::array<PathRules, 2> kPathRules{{
    {OfficePath::Excel, ".xlt", ".xls", true},
    {OfficePath::Calc, ".ots", ".ods", false},
}};

const PathRules& pathRules(OfficePath path)
{
    return path == OfficePath::Calc ? kPathRules[1] : kPathRules[0];
}

constexpr const char* kNumberCaption = "№ п.п";
constexpr const char* kShowing = "Идет открытие печатной формы в офисной программе...";
constexpr const char* kClosing = "Идет закрытие печатной формы...";
constexpr const char* kStudentPrefix = "Студент: ";
constexpr double kTitleFontSize = 14;
constexpr double kUprightHeaderHeight = 100;  // points
constexpr int kUprightAngle = 90;
// Calc takes widths in hundredths of a millimetre: 5.5 characters are 10 mm.
constexpr double kCharactersPer10Mm = 5.5;
// The count in the status bar is renewed at most this often; with batches
// of kCellsPerSend cells the window is repainted well within 0.25 s.
constexpr int kCountShownAfterMs = 125;
// Formatted cells queued at most before they are sent.
constexpr long long kFormatCellsPerSend = 200000;

QString text(const char* s)
{
    return QString::fromUtf8(s);
}

void status(const char* s)
{
    ui::setStatusText(text(s));
}

void activateMainWindow()
{
    if (core::shellServices().activateMainWindow)
        core::shellServices().activateMainWindow();
}

// Runs one step of filling a sheet; a step the office refuses is skipped.
// An office that went away ends the print (nothing more can be written).
template <class F>
void step(F&& f)
{
    try {
        f();
    } catch (const office::Error& e) {
        if (e.kind() == ErrorKind::ConnectionLost)
            throw;
    }
}

// Runs a step of the end of a print (alerts back on, the document shown or
// closed): whatever it meets, the print is over.
template <class F>
void lastStep(F&& f)
{
    try {
        f();
    } catch (const office::Error&) {
    }
}

// ---------------------------------------------------------------------------
// The writers of the two paths. Rows and columns are 1-based sheet
// positions as the print lays them out.

class SheetWriter {
public:
    virtual ~SheetWriter() = default;
    // The workbook from the first of `templates` that exists and loads and
    // its sheet; the index of the template, -1 for a blank workbook. Throws
    // office::Error when not even a blank one can be made.
    virtual int open(const QStringList& templates) = 0;
    // The message for a workbook that could not be made.
    virtual QString openFailure(const office::Error& e) const = 0;
    virtual void setSheetName(const QString& name) = 0;
    virtual void removeColumn(int column) = 0;
    virtual void setColumnWidth(int column, const ColumnWidth& width) = 0;
    // Row 4 made tall enough for upright captions.
    virtual void setUprightHeaderHeight() = 0;
    // Lines 5..lines + 4 of a printed column; `align` an alignment code or
    // -1 to leave it.
    virtual void formatLines(int column, int lines, bool numbers, int align) = 0;
    virtual void drawBorders(int lines, int last) = 0;
    virtual void writeHeader(int column, const QString& caption, bool upright) = 0;
    virtual void writeNumber(int row, int column, int number) = 0;
    virtual void writeText(int row, int column, const QString& text) = 0;
    // What is queued goes to the office.
    virtual void send() = 0;
    virtual void writeTitle(const QString& title, int last, bool merge) = 0;
    // Row 2: the group (appended to what the template holds there) and the
    // person; merged over the printed columns when `merge`.
    virtual void writeGroupLine(const QString& group, const QString& person, int last, bool merge) = 0;
    virtual void hideRow(int row) = 0;
    // Called before the save (and when the print ends early).
    virtual void restore() {}
    virtual void save(const QString& path) = 0;
    // The end: the document shown to the user, or closed under a headless
    // office.
    virtual void showOrClose() = 0;
    // A half-made document that cannot be filled: closed.
    virtual void abandon() = 0;
};

HAlign excelAlignment(int code)
{
    switch (code) {
    case core::AlignLeft: return HAlign::Left;
    case core::AlignRight: return HAlign::Right;
    case core::AlignCenter: return HAlign::Center;
    default: return HAlign::General;
    }
}

int calcJustify(int code)
{
    switch (code) {
    case core::AlignLeft: return JustifyLeft;
    case core::AlignRight: return JustifyRight;
    case core::AlignCenter: return JustifyCenter;
    default: return -1;
    }
}

class ExcelWriter final : public SheetWriter {
public:
    explicit ExcelWriter(bool alertsOff) : alertsOff_(alertsOff) {}

    int open(const QStringList& templates) override
    {
        excel_ = Application::attach();
        if (alertsOff_)
            excel_.setDisplayAlerts(false);
        excel_.setVisible(false);
        int used = -1;
        for (int i = 0; i < templates.size() && used < 0; ++i) {
            if (!QFileInfo(templates[i]).isFile())
                continue;
            try {
                book_ = excel_.addWorkbook(templates[i]);
                used = i;
            } catch (const office::Error& e) {
                if (e.kind() == ErrorKind::ConnectionLost)
                    throw;
                // A template that does not load: the next one, or a blank workbook.
            }
        }
        if (used < 0)
            book_ = excel_.addWorkbook();
        try {
            sheet_ = book_.activeSheet();
        } catch (const office::Error&) {
            // Nothing can be written: the half-made workbook is not left behind.
            abandon();
            throw;
        }
        return used;
    }
    QString openFailure(const office::Error& e) const override
    {
        return e.description() + QLatin1Char(' ') + QString::number(e.number());
    }
    void setSheetName(const QString& name) override { sheet_.setName(core::Left31(core::SheetSafeName(name))); }
    void removeColumn(int column) override { sheet_.columns(column).deleteColumns(); }
    void setColumnWidth(int column, const ColumnWidth& width) override
    {
        sheet_.columns(column).setColumnWidth(width.characters);
    }
    void setUprightHeaderHeight() override { sheet_.rows(4).setRowHeight(kUprightHeaderHeight); }
    void formatLines(int column, int lines, bool, int align) override
    {
        Range block = sheet_.range(sheet_.cells(5, column), sheet_.cells(lines + 4, column));
        block.setWrapText(true);
        const HAlign a = excelAlignment(align);
        if (a != HAlign::General)
            block.setHorizontalAlignment(a);
    }
    void drawBorders(int lines, int last) override
    {
        if (lines > 0)
            step([&] {
                sheet_.range(sheet_.cells(5, 1), sheet_.cells(lines + 4, last)).select();
                ExcelDrawTableBorders(excel_, false);
            });
        step([&] {
            sheet_.range(sheet_.cells(4, 1), sheet_.cells(4, last)).select();
            ExcelDrawTableBorders(excel_, false);
        });
        step([&] { sheet_.cells(1, 1).select(); });
    }
    void writeHeader(int column, const QString& caption, bool upright) override
    {
        Range cell = sheet_.cells(4, column);
        cell.setValue(caption);
        cell.setBold(true);
        cell.setWrapText(true);
        cell.setHorizontalAlignment(HAlign::Center);
        if (upright)
            cell.setOrientation(kUprightAngle);
    }
    void writeNumber(int row, int column, int number) override { sheet_.cells(row, column).setValue(number); }
    void writeText(int row, int column, const QString& text) override
    {
        sheet_.cells(row, column).setValue(excelCellText(text));
    }
    void send() override { sheet_.flush(); }
    void writeTitle(const QString& title, int last, bool) override
    {
        Range cell = sheet_.cells(1, 1);
        cell.setValue(QLatin1Char('\'') + title);
        mergeRow(1, last);
        cell.setHorizontalAlignment(HAlign::Center);
        cell.setBold(true);
        cell.setWrapText(true);
        cell.setFontSize(kTitleFontSize);
    }
    void writeGroupLine(const QString& group, const QString& person, int last, bool merge) override
    {
        Range line;
        step([&] { line = sheet_.cells(2, 1); });
        if (!group.isNull())
            step([&] { line.setValue(QLatin1Char('\'') + excelValueText(line.value()) + group); });
        if (!person.isNull())
            step([&] { line.setValue(QLatin1Char('\'') + person); });
        if (merge)
            step([&] { mergeRow(2, last); });
        step([&] {
            line.setBold(true);
            line.setWrapText(true);
            line.setFontSize(kTitleFontSize);
        });
    }
    void hideRow(int row) override { sheet_.rows(row).setRowHeight(0); }
    void restore() override
    {
        if (alertsOff_)
            lastStep([&] { excel_.setDisplayAlerts(true); });
    }
    void save(const QString& path) override { book_.saveAs(path); }
    void showOrClose() override
    {
        if (Office::instance().headless()) {
            lastStep([&] { book_.close(false); });
            return;
        }
        lastStep([&] {
            excel_.setVisible(true);
            book_.activate();
        });
    }
    void abandon() override
    {
        if (book_.isValid())
            lastStep([&] { book_.close(false); });
        restore();
    }

private:
    void mergeRow(int row, int last)
    {
        Range block = sheet_.range(sheet_.cells(row, 1), sheet_.cells(row, last));
        block.merge();
        block.setHorizontalAlignment(HAlign::Center);
    }

    bool alertsOff_;
    Application excel_;
    Workbook book_;
    Worksheet sheet_;
};

class CalcWriter final : public SheetWriter {
public:
    int open(const QStringList& templates) override
    {
        Office::instance().ensureRunning();
        int used = -1;
        for (int i = 0; i < templates.size() && used < 0; ++i) {
            if (!QFileInfo(templates[i]).isFile())
                continue;
            try {
                document_ = CalcDocument::load(ConvertToURL(templates[i]));
                used = i;
            } catch (const office::Error& e) {
                if (e.kind() == ErrorKind::NotStarted || e.kind() == ErrorKind::ConnectionLost)
                    throw;
                // A template that does not load: the next one, or a new document.
            }
        }
        if (used < 0)
            document_ = CalcDocument::createNew();
        try {
            sheet_ = document_.sheet(0);
        } catch (const office::Error&) {
            abandon();
            throw;
        }
        return used;
    }
    QString openFailure(const office::Error& e) const override
    {
        return OOoNotStartedReport(QStringLiteral("Calc"), e);
    }
    void setSheetName(const QString& name) override { sheet_.setName(name); }
    void removeColumn(int column) override { sheet_.removeColumns(column - 1, 1); }
    void setColumnWidth(int column, const ColumnWidth& width) override
    {
        sheet_.setColumnWidth(column - 1, width.hundredthsMm);
    }
    void setUprightHeaderHeight() override {}
    void formatLines(int column, int lines, bool numbers, int align) override
    {
        const int justify = calcJustify(align);
        if (!numbers && justify >= 0)
            sheet_.cellRange(column - 1, 4, column - 1, lines + 3).setHoriJustify(justify);
    }
    void drawBorders(int lines, int last) override
    {
        if (lines > 0)
            step([&] { SetRangeBorders(5, 1, lines + 4, last, sheet_, true, true); });
        step([&] { SetRangeBorders(4, 1, 4, last, sheet_, true, true); });
    }
    void writeHeader(int column, const QString& caption, bool) override { SetCellValue(4, column, sheet_, caption, 0); }
    void writeNumber(int row, int column, int number) override
    {
        SetCellValue(row, column, sheet_, QString::number(number), 1);
    }
    void writeText(int row, int column, const QString& text) override
    {
        SetCellValue(row, column, sheet_, oneLine(text), 0);
    }
    void send() override { sheet_.flush(); }
    void writeTitle(const QString& title, int last, bool merge) override
    {
        SetCellValue(1, 1, sheet_, title, 0);
        if (merge)
            mergeRow(1, last);
    }
    void writeGroupLine(const QString& group, const QString& person, int last, bool merge) override
    {
        if (!group.isNull())
            step([&] { SetCellValue(2, 1, sheet_, sheet_.cell(0, 1).string() + group, 0); });
        if (!person.isNull())
            step([&] { SetCellValue(2, 1, sheet_, person, 0); });
        if (merge)
            step([&] { mergeRow(2, last); });
    }
    void hideRow(int row) override { sheet_.setRowHeight(row - 1, 0); }
    void save(const QString& path) override { document_.storeAsUrl(ConvertToURL(path)); }
    void showOrClose() override
    {
        if (Office::instance().headless()) {
            lastStep([&] { document_.dispose(); });
            return;
        }
        lastStep([&] {
            document_.setVisible(true);
            document_.activate();
        });
    }
    void abandon() override
    {
        if (document_.isOpen())
            lastStep([&] { document_.dispose(); });
    }

private:
    void mergeRow(int row, int last)
    {
        CalcRange block = sheet_.cellRange(0, row - 1, last - 1, row - 1);
        block.merge(true);
        block.setHoriJustify(JustifyCenter);
    }

    CalcDocument document_;
    CalcSheet sheet_;
};

std::unique_ptr<SheetWriter> writerFor(OfficePath path, const SheetKindRules& rules)
{
    if (path == OfficePath::Calc)
        return std::make_unique<CalcWriter>();
    return std::make_unique<ExcelWriter>(rules.alertsOffWhileFilling);
}

// One line per printed row from line 5: the running number and the ticked
// list columns, read from the job's list as they are written; sent to the
// office a batch of cells at a time, the lines counted once from 1 to M.
void writeLines(SheetWriter& writer, const SheetPrint& p, const QList<int>& at, PrintProgress& progress)
{
    int printed = 0;
    for (int c = 0; c < at.size(); ++c)
        if (at[c] > 0)
            ++printed;
    const int batch = linesPerSend(printed);
    const int total = int(p.rows.size());
    int r = 0;
    for (int index : p.rows) {
        ++r;
        if (at.value(0) > 0)
            step([&] { writer.writeNumber(r + 4, at[0], r); });
        for (int c = 1; c < at.size(); ++c)
            if (at[c] > 0)
                step([&] { writer.writeText(r + 4, at[c], p.job->text(index, c)); });
        if (r % batch == 0 || r == total) {
            // The batch's texts are taken from the window's list here; the
            // office takes them aside.
            progress.runAside([&] { step([&] { writer.send(); }); }, false);
            progress.lines(r, total);
        }
    }
}

} // namespace

const SheetKindRules& rulesOf(SheetKind kind)
{
    return kind == SheetKind::Book ? kKindRules[1] : kKindRules[0];
}

PrintProgress::PrintProgress(const char* caption) : work_(std::in_place, QString::fromUtf8(caption)), caption_(QString::fromUtf8(caption))
{
    shown_.start();
}

void PrintProgress::stage(const char* caption)
{
    caption_ = QString::fromUtf8(caption);
    if (work_)
        work_->setCaption(caption_);
    else
        ui::setStatusText(caption_);
    shown_.start();
}

void PrintProgress::lines(long long done, long long total)
{
    if (!work_)
        return;
    const bool edge = done <= 1 || done >= total;
    if (!edge && shown_.elapsed() < kCountShownAfterMs)
        return;
    // The counted text of the moment: shown and repainted at once.
    work_->showText(ui::LongWork::text(caption_, done, total));
    shown_.start();
}

int linesPerSend(int columns)
{
    return std::max(1, kCellsPerSend / std::max(1, columns));
}

int calcColumnWidth(double printWidth)
{
    return int(std::lround(printWidth / kCharactersPer10Mm * 1000));
}

QString xlsTooManyLinesMessage(long long lines, const QString& what)
{
    if (lines <= kXlsLinesThatFit)
        return {};
    return QStringLiteral("Печатная форма не создана: строк %1 для печати: %2, а лист файла .xls вмещает %3 строк, "
                          "из них под строки %1 — не более %4. Ничего не записано.\n\n"
                          "Офисная программа \"OpenOffice.org\" сохраняет печатную форму в файле .ods, лист которого "
                          "вмещает больше строк; выбрать ее можно в справочнике учреждения "
                          "(Справочники - Учреждение - Офисная программа).")
        .arg(what)
        .arg(lines)
        .arg(kXlsSheetRows)
        .arg(kXlsLinesThatFit);
}

QList<int> printedColumns(const QList<bool>& flags)
{
    QList<int> at;
    int next = 1;
    for (bool f : flags)
        at << (f ? next++ : 0);
    return at;
}

namespace {

QString printSheetOnce(const SheetPrint& p, OfficePath path)
{
    const SheetKindRules& rules = rulesOf(p.kind);
    const PathRules& paths = pathRules(path);
    const PrintTexts& texts = *rules.texts;
    const ListPrintJob& job = *p.job;
    const int lines = int(p.rows.size());
    status(texts.creating);
    if (paths.xlsSheet) {
        const QString tooMany = xlsTooManyLinesMessage(lines, text(rules.what));
        if (!tooMany.isEmpty()) {
            status(kStatusNotCreated);
            ui::msgBox(tooMany, ui::Exclamation);
            return {};
        }
    }

    // Every call of the office below runs aside: the windows are painted
    // however long the office takes, with the wait cursor, and the seconds
    // of a wait that has no other count (the office starting, the file
    // stored) counted after the stage's text.
    PrintProgress progress(texts.creating);
    std::unique_ptr<SheetWriter> writer = writerFor(path, rules);
    QStringList templates;
    for (const QString& t : p.templates)
        templates << t + text(paths.templateExtension);
    int templateUsed = -1;
    try {
        templateUsed = progress.runAside([&] { return writer->open(templates); });
    } catch (const office::Error& e) {
        if (e.kind() == ErrorKind::ConnectionLost)
            throw;  // told by printSheet
        progress.runAside([&] { writer->restore(); });
        progress.end();
        ui::msgBox(writer->openFailure(e), ui::Information);
        return {};
    }
    const bool templateMode = templateUsed == 0;
    const bool writeLook = !(templateMode && rules.firstTemplateKeepsLook);
    const bool alignLines = !templateMode;
    const QList<int> at = printedColumns(p.flags);
    const int n = int(at.size()) - 1;
    int last = 0;

    progress.stage(texts.filling);
    progress.runAside([&] {
        // A name the office refuses keeps the sheet's own name.
        step([&] { writer->setSheetName(p.sheetName); });
        // The unticked columns go first, so that every later step writes the
        // sheet as it ends up: sheet column at[c] holds list column c.
        int removed = 0;
        for (int c = 0; c < p.flags.size(); ++c) {
            if (p.flags[c])
                continue;
            step([&] { writer->removeColumn(c + 1 - removed); });
            ++removed;
        }
        last = int(p.flags.size()) - removed;

        bool upright = false;
        if (writeLook) {
            for (int c = 0; c <= n; ++c) {
                if (at[c] == 0)
                    continue;
                if (const auto& w = p.widths.value(c))
                    step([&] { writer->setColumnWidth(at[c], *w); });
                upright = upright || p.upright.value(c);
            }
            if (upright)
                step([&] { writer->setUprightHeaderHeight(); });
        }
        // Formats and borders of the lines go before their texts: the office
        // then lays out the empty cells only. Long lines are sent a few
        // columns at a time, so that what waits to be sent stays small.
        long long formatsQueued = 0;
        if (lines > 0)
            for (int c = 0; c <= n; ++c) {
                if (at[c] == 0)
                    continue;
                step([&] {
                    writer->formatLines(at[c], lines, c == 0, alignLines && c > 0 ? job.alignments.value(c, -1) : -1);
                });
                formatsQueued += lines;
                if (formatsQueued >= kFormatCellsPerSend) {
                    step([&] { writer->send(); });
                    formatsQueued = 0;
                }
            }
        writer->drawBorders(lines, last);
        step([&] { writer->send(); });
        if (writeLook)
            for (int c = 0; c <= n; ++c)
                if (at[c] > 0)
                    step([&] {
                        writer->writeHeader(at[c], c == 0 ? text(kNumberCaption) : job.captions.value(c),
                                            p.upright.value(c));
                    });
    });
    writeLines(*writer, p, at, progress);

    QString name, file;
    progress.runAside([&] {
        if (writeLook)
            step([&] { writer->writeTitle(p.title, last, true); });
        if (rules.groupLine) {
            if (job.hasGroupFilter) {
                const QString person =
                    job.gradesView && !job.studentName.isNull() ? text(kStudentPrefix) + job.studentName : QString();
                writer->writeGroupLine(job.groupText, person, last, writeLook);
            } else if (writeLook) {
                step([&] { writer->hideRow(2); });
            }
        }
        writer->restore();
        const QString folder = documentsFolder();
        name = firstFreeName(folder, p.fileBase, text(paths.fileExtension));
        file = QDir(folder).filePath(name);
    });
    // The end, once the message is read: the document shown to the user, or
    // closed under a headless office, as a stage of its own (the office
    // takes a while over a large one); the result's text stays after it.
    const auto showOrClose = [&] {
        const QString result = ui::statusText();
        PrintProgress ending(Office::instance().headless() ? kClosing : kShowing);
        ending.runAside([&] { writer->showOrClose(); });
        ending.end();
        ui::setStatusText(result);
    };
    try {
        // What is still queued goes first, then the save.
        progress.stage(texts.saving);
        progress.runAside([&] { writer->save(file); });
        progress.end();
    } catch (const office::Error& e) {
        if (e.kind() == ErrorKind::ConnectionLost)
            throw;  // told by printSheet
        progress.end();
        activateMainWindow();
        ui::msgBox(e.causeFirst(text(texts.notSaved) + name + QStringLiteral(". Ошибка: ")), ui::Information);
        status(path == OfficePath::Calc ? texts.notSavedCalcStatus : texts.notSavedExcelStatus);
        showOrClose();
        return {};
    }
    activateMainWindow();
    status(path == OfficePath::Calc ? texts.doneCalc : texts.doneExcel);
    ui::msgBox(text(texts.savedMessage) + QLatin1Char('"') + name + QStringLiteral("\"."), ui::Information);
    showOrClose();
    return file;
}

} // namespace

QString printSheet(const SheetPrint& p, OfficePath path)
{
    QString file;
    for (int attempt = 0;; ++attempt) {
        try {
            file = printSheetOnce(p, path);
        } catch (const office::Error& e) {
            // Everything else the office says ends its print with a message.
            if (e.kind() != ErrorKind::ConnectionLost)
                throw;
            // The office went away: once more from the start on a new one.
            if (attempt == 0)
                continue;
            const PrintTexts& texts = *rulesOf(p.kind).texts;
            status(kStatusNotCreated);
            activateMainWindow();
            ui::msgBox(text(texts.officeLost) + QStringLiteral(" Ошибка: ") + e.numberAndDescription(),
                       ui::Exclamation);
        }
        break;
    }
    // What a long print freed goes back to the system at once, so that the
    // program's memory returns near where it was before the print.
    ui::LongWork::giveBackFreedMemory();
    return file;
}

} // namespace printing
