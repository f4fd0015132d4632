#include "printing/ListPrinting.h"

#include "core/AppState.h"
#include "core/ChildWindows.h"
#include "core/ListView.h"
#include "core/TextHelpers.h"
#include "platform/office/OOo.h"
#include "platform/office/Office.h"
#include "platform/ui/Messages.h"
#include "printing/frmUrDial.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace printing {

using namespace office;

const PrintTexts kListTexts{
    "Идет создание печатной формы справочника...",
    "Идет заполнение печатной формы справочника...",
    "Идет сохранение печатной формы справочника...",
    "Печатная форма справочника выполнена.",
    "Печатная форма справочника выполнена и сохранена.",
    "Печатная форма справочника выполнена и сохранена в файле ",
    "Печатная форма справочника выполнена, но не сохранена в файле.",
    "Печатная форма справочника выполнена, но не сохранена.",
    "Печатная форма справочника выполнена, но не сохранена в файле: ",
    "Печатная форма выполнена, но не сохранена.",
};

namespace {

constexpr const char* kNumberCaption = "№ п.п";
constexpr const char* kStudentPrefix = "Студент: ";
constexpr const char* kListFilePrefix = "Справочник ";
constexpr const char* kOwnTemplateSuffix = " (шаблон)";
constexpr const char* kGenericTemplate = "Справочники (шаблон)";
constexpr double kTitleFontSize = 14;
// Calc takes widths in hundredths of a millimetre: 5.5 characters are 10 mm.
constexpr double kCharactersPer10Mm = 5.5;

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

QString headerText(const ListPrintJob& job, int c)
{
    return c == 0 ? text(kNumberCaption) : job.captions.value(c);
}

QString studentLine(const ListPrintJob& job)
{
    return text(kStudentPrefix) + job.studentName;
}

// One line per row from line 5, for either office: `number(line, column, n)`
// writes the running number, `text(line, column, text)` each ticked list
// column; with `progress`, `send()` every kLinesPerSend lines and at the
// end, and the lines counted. Returns the lines written.
template <class Number, class Text, class Send>
int writeRowCells(const ListPrintJob& job, const QList<int>& rows, const QList<bool>& flags, Number number, Text text,
                  Send send, PrintProgress* progress)
{
    const QList<int> at = printedColumns(flags);
    const int total = int(rows.size());
    int r = 0;
    for (int index : rows) {
        ++r;
        const QStringList& row = job.rows[index];
        if (at.value(0) > 0)
            number(r + 4, at[0], r);
        for (int c = 1; c < at.size(); ++c)
            if (at[c] > 0)
                text(r + 4, at[c], row.value(c));
        if (progress && (r % kLinesPerSend == 0 || r == total)) {
            send();
            progress->lines(r, total);
        }
    }
    return r;
}

} // namespace

// ---------------------------------------------------------------------------
// Names

QString ownTemplatePath(const QString& pluralName, const QString& extension)
{
    return QDir(templatesFolder())
        .filePath(text(kListFilePrefix) + pluralName + text(kOwnTemplateSuffix) + extension);
}

QString genericTemplatePath(const QString& extension)
{
    return QDir(templatesFolder()).filePath(text(kGenericTemplate) + extension);
}

QString listFileBase(const QString& pluralName)
{
    return safeFileName(text(kListFilePrefix) + pluralName);
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

// ---------------------------------------------------------------------------
// Excel steps

Workbook excelAddWorkbook(Application& excel, const QStringList& templates, int* templateUsed)
{
    for (int i = 0; i < templates.size(); ++i) {
        if (!QFileInfo(templates[i]).isFile())
            continue;
        try {
            Workbook book = excel.addWorkbook(templates[i]);
            *templateUsed = i;
            return book;
        } catch (const office::Error&) {
            // A template that does not load: the next one, or a blank workbook.
        }
    }
    *templateUsed = -1;
    return excel.addWorkbook();
}

void excelWriteHeaderCell(Worksheet& sheet, int column, const QString& caption)
{
    step([&] {
        Range cell = sheet.cells(4, column);
        cell.setValue(caption);
        cell.setBold(true);
        cell.setWrapText(true);
        cell.setHorizontalAlignment(HAlign::Center);
    });
}

void excelFormatLines(Worksheet& sheet, const ListPrintJob& job, int lines, const QList<bool>& flags, bool align)
{
    if (lines <= 0)
        return;
    const QList<int> at = printedColumns(flags);
    for (int c = 0; c < at.size(); ++c) {
        if (at[c] == 0)
            continue;
        step([&] {
            Range block = sheet.range(sheet.cells(5, at[c]), sheet.cells(lines + 4, at[c]));
            block.setWrapText(true);
            const HAlign a = c > 0 && c < job.alignments.size() ? excelAlignment(job.alignments[c]) : HAlign::General;
            if (align && a != HAlign::General)
                block.setHorizontalAlignment(a);
        });
    }
    // Sent before the texts: the office lays out the empty cells only.
    step([&] { sheet.flush(); });
}

int excelWriteRows(Worksheet& sheet, const ListPrintJob& job, const QList<int>& rows, const QList<bool>& flags,
                   PrintProgress* progress)
{
    return writeRowCells(
        job, rows, flags, [&](int line, int column, int number) { step([&] { sheet.cells(line, column).setValue(number); }); },
        [&](int line, int column, const QString& text) {
            step([&] { sheet.cells(line, column).setValue(excelCellText(text)); });
        },
        [&] { step([&] { sheet.flush(); }); }, progress);
}

int excelRemoveColumns(Worksheet& sheet, const QList<bool>& flags)
{
    int removed = 0;
    for (int c = 0; c < flags.size(); ++c) {
        if (flags[c])
            continue;
        step([&] { sheet.columns(c + 1 - removed).deleteColumns(); });
        ++removed;
    }
    return int(flags.size()) - removed;
}

void excelMergeRow(Worksheet& sheet, int row, int last)
{
    step([&] {
        Range block = sheet.range(sheet.cells(row, 1), sheet.cells(row, last));
        block.merge();
        block.setHorizontalAlignment(HAlign::Center);
    });
}

void excelDrawBorders(Application& excel, Worksheet& sheet, int lines, int last)
{
    if (lines > 0)
        step([&] {
            sheet.range(sheet.cells(5, 1), sheet.cells(lines + 4, last)).select();
            ExcelDrawTableBorders(excel, false);
        });
    step([&] {
        sheet.range(sheet.cells(4, 1), sheet.cells(4, last)).select();
        ExcelDrawTableBorders(excel, false);
    });
    step([&] { sheet.cells(1, 1).select(); });
}

namespace {

// The end of a print: the workbook shown to the user and left open; under a
// headless office nobody could see it, so it is closed.
void showOrClose(Application& excel, Workbook& book)
{
    if (Office::instance().headless()) {
        step([&] { book.close(false); });
        return;
    }
    step([&] {
        excel.setVisible(true);
        book.activate();
    });
}

void showOrClose(CalcDocument& document)
{
    if (Office::instance().headless()) {
        step([&] { document.dispose(); });
        return;
    }
    step([&] {
        document.setVisible(true);
        document.activate();
    });
}

QString savedMessage(const PrintTexts& texts, const QString& name)
{
    return text(texts.savedMessage) + QLatin1Char('"') + name + QStringLiteral("\".");
}

} // namespace

QString excelErrorReport(const office::Error& e)
{
    return e.description() + QLatin1Char(' ') + QString::number(e.number());
}

void excelWriteTitle(Worksheet& sheet, const QString& caption, int last, double fontSize)
{
    step([&] {
        Range title = sheet.cells(1, 1);
        title.setValue(QLatin1Char('\'') + caption);
        excelMergeRow(sheet, 1, last);
        title.setHorizontalAlignment(HAlign::Center);
        title.setBold(true);
        title.setWrapText(true);
        title.setFontSize(fontSize);
    });
}

QString excelSaveAndShow(Application& excel, Workbook& book, const QString& base, const PrintTexts& texts,
                         PrintProgress* progress)
{
    const QString folder = documentsFolder();
    const QString name = firstFreeName(folder, base, QStringLiteral(".xls"));
    const QString path = QDir(folder).filePath(name);
    try {
        if (progress) {
            // What is still queued goes first, counted as lines, then the save.
            progress->stage(texts.saving);
            progress->whileRepainting([&] { book.saveAs(path); });
            progress->end();
        } else {
            status(texts.saving);
            book.saveAs(path);
        }
    } catch (const office::Error&) {
        if (progress)
            progress->end();
        activateMainWindow();
        ui::msgBox(text(texts.notSavedExcel), ui::Information);
        status(texts.notSavedExcelStatus);
        showOrClose(excel, book);
        return {};
    }
    activateMainWindow();
    status(texts.doneExcel);
    ui::msgBox(savedMessage(texts, name), ui::Information);
    showOrClose(excel, book);
    return path;
}

// ---------------------------------------------------------------------------
// Calc steps

CalcDocument calcLoadDocument(const QStringList& templates, int* templateUsed)
{
    Office::instance().ensureRunning();
    for (int i = 0; i < templates.size(); ++i) {
        if (!QFileInfo(templates[i]).isFile())
            continue;
        try {
            CalcDocument document = CalcDocument::load(ConvertToURL(templates[i]));
            *templateUsed = i;
            return document;
        } catch (const office::Error& e) {
            if (e.kind() == ErrorKind::NotStarted)
                throw;
            // A template that does not load: the next one, or a new document.
        }
    }
    *templateUsed = -1;
    return CalcDocument::createNew();
}

bool calcOpenSheet(const QStringList& templates, int* templateUsed, CalcDocument& document, CalcSheet& sheet,
                   PrintProgress* progress)
{
    try {
        document = calcLoadDocument(templates, templateUsed);
    } catch (const office::Error& e) {
        if (progress)
            progress->end();
        ui::msgBox(OOoNotStartedReport(QStringLiteral("Calc"), e), ui::Information);
        return false;
    }
    try {
        sheet = document.sheet(0);
    } catch (const office::Error& e) {
        step([&] { document.dispose(); });
        if (progress)
            progress->end();
        ui::msgBox(OOoNotStartedReport(QStringLiteral("Calc"), e), ui::Information);
        return false;
    }
    return true;
}

void calcFormatLines(CalcSheet& sheet, const ListPrintJob& job, int lines, const QList<bool>& flags)
{
    if (lines <= 0)
        return;
    const QList<int> at = printedColumns(flags);
    for (int c = 1; c < at.size(); ++c) {
        const int justify = c < job.alignments.size() ? calcJustify(job.alignments[c]) : -1;
        if (at[c] > 0 && justify >= 0)
            step([&] { sheet.cellRange(at[c] - 1, 4, at[c] - 1, lines + 3).setHoriJustify(justify); });
    }
    step([&] { sheet.flush(); });
}

int calcWriteRows(CalcSheet& sheet, const ListPrintJob& job, const QList<int>& rows, const QList<bool>& flags,
                  PrintProgress* progress)
{
    return writeRowCells(
        job, rows, flags,
        [&](int line, int column, int number) { SetCellValue(line, column, sheet, QString::number(number), 1); },
        [&](int line, int column, const QString& text) { SetCellValue(line, column, sheet, oneLine(text), 0); },
        [&] { step([&] { sheet.flush(); }); }, progress);
}

int calcRemoveColumns(CalcSheet& sheet, const QList<bool>& flags)
{
    int removed = 0;
    for (int c = 0; c < flags.size(); ++c) {
        if (flags[c])
            continue;
        step([&] { sheet.removeColumns(c - removed, 1); });
        ++removed;
    }
    return int(flags.size()) - removed;
}

void calcMergeRow(CalcSheet& sheet, int row, int last)
{
    step([&] {
        CalcRange block = sheet.cellRange(0, row - 1, last - 1, row - 1);
        block.merge(true);
        block.setHoriJustify(JustifyCenter);
    });
}

void calcDrawBorders(CalcSheet& sheet, int lines, int last)
{
    if (lines > 0)
        step([&] { SetRangeBorders(5, 1, lines + 4, last, sheet, true, true); });
    step([&] { SetRangeBorders(4, 1, 4, last, sheet, true, true); });
}

QString calcStoreAndShow(CalcDocument& document, const QString& base, const PrintTexts& texts,
                         PrintProgress* progress)
{
    const QString folder = documentsFolder();
    const QString name = firstFreeName(folder, base, QStringLiteral(".ods"));
    const QString path = QDir(folder).filePath(name);
    try {
        if (progress) {
            progress->stage(texts.saving);
            progress->whileRepainting([&] { document.storeAsUrl(ConvertToURL(path)); });
            progress->end();
        } else {
            status(texts.saving);
            document.storeAsUrl(ConvertToURL(path));
        }
    } catch (const office::Error& e) {
        if (progress)
            progress->end();
        activateMainWindow();
        ui::msgBox(text(texts.notSavedCalc) + name + QStringLiteral(". Ошибка: ") + e.numberAndDescription(),
                   ui::Information);
        status(texts.notSavedCalcStatus);
        showOrClose(document);
        return {};
    }
    activateMainWindow();
    status(texts.doneCalc);
    ui::msgBox(savedMessage(texts, name), ui::Information);
    showOrClose(document);
    return path;
}

// ---------------------------------------------------------------------------
// Directory lists

void printDirectoryList(const ListPrintJob& job, OfficePath path)
{
    auto& s = core::state();
    QVariantList captions;
    for (const QString& c : job.captions)
        captions << c;
    if (!showColumnChooser(captions, listMaskKey(job.kind))) {
        ui::setStatusText(text(kStatusNotCreated));
        return;
    }
    const int n = job.lastColumn();
    s.PrintColumnMask = paddedMask(s.PrintColumnMask, n);
    const QList<bool> flags = columnFlags(s.PrintColumnMask, n);
    if (path == OfficePath::Calc)
        printListCalc(job, flags);
    else
        printListExcel(job, flags);
}

QString printListExcel(const ListPrintJob& job, const QList<bool>& flags)
{
    const PrintTexts& texts = kListTexts;
    const int n = job.lastColumn();
    status(texts.creating);
    const QList<int> rows = rowsToPrint(job.selected);
    const QString tooMany = xlsTooManyLinesMessage(rows.size(), QStringLiteral("списка"));
    if (!tooMany.isEmpty()) {
        ui::setStatusText(text(kStatusNotCreated));
        ui::msgBox(tooMany, ui::Exclamation);
        return {};
    }

    PrintProgress progress(texts.creating);
    Application excel;
    Workbook book;
    int templateUsed = -1;
    try {
        excel = Application::attach();
        excel.setVisible(false);
        book = excelAddWorkbook(excel, {ownTemplatePath(job.pluralName, QStringLiteral(".xlt")),
                                        genericTemplatePath(QStringLiteral(".xlt"))},
                                &templateUsed);
    } catch (const office::Error& e) {
        progress.end();
        ui::msgBox(excelErrorReport(e), ui::Information);
        return {};
    }
    const bool own = templateUsed == 0;

    Worksheet sheet;
    try {
        sheet = book.activeSheet();
    } catch (const office::Error& e) {
        // Nothing can be written: the half-made workbook is not left behind.
        step([&] { book.close(false); });
        progress.end();
        ui::msgBox(excelErrorReport(e), ui::Information);
        return {};
    }
    // A name the office refuses keeps the sheet's own name.
    step([&] { sheet.setName(core::Left31(core::SheetSafeName(job.pluralName))); });

    progress.stage(texts.filling);
    // The unticked columns go first, so that every later step writes the
    // sheet as it ends up: column at[c] holds list column c.
    const int last = excelRemoveColumns(sheet, flags);
    const QList<int> at = printedColumns(flags);
    if (!own)
        for (int c = 0; c <= n; ++c)
            if (at[c] > 0 && c < job.printWidths.size())
                step([&] { sheet.columns(at[c]).setColumnWidth(job.printWidths[c]); });
    excelFormatLines(sheet, job, int(rows.size()), flags, !own);
    excelDrawBorders(excel, sheet, int(rows.size()), last);
    step([&] { sheet.flush(); });
    if (!own)
        for (int c = 0; c <= n; ++c)
            if (at[c] > 0)
                excelWriteHeaderCell(sheet, at[c], headerText(job, c));
    excelWriteRows(sheet, job, rows, flags, &progress);

    if (!own)
        excelWriteTitle(sheet, job.pluralName, last, kTitleFontSize);

    if (job.hasGroupFilter) {
        Range line;
        step([&] { line = sheet.cells(2, 1); });
        if (!job.groupText.isNull())
            step([&] { line.setValue(QLatin1Char('\'') + excelValueText(line.value()) + job.groupText); });
        if (job.gradesView && !job.studentName.isNull())
            step([&] { line.setValue(QLatin1Char('\'') + studentLine(job)); });
        if (!own)
            excelMergeRow(sheet, 2, last);
        step([&] {
            line.setBold(true);
            line.setWrapText(true);
            line.setFontSize(kTitleFontSize);
        });
    } else if (!own) {
        step([&] { sheet.rows(2).setRowHeight(0); });
    }

    return excelSaveAndShow(excel, book, listFileBase(job.pluralName), texts, &progress);
}

QString printListCalc(const ListPrintJob& job, const QList<bool>& flags)
{
    const PrintTexts& texts = kListTexts;
    const int n = job.lastColumn();
    status(texts.creating);
    const QList<int> rows = rowsToPrint(job.selected);

    PrintProgress progress(texts.creating);
    CalcDocument document;
    CalcSheet sheet;
    int templateUsed = -1;
    if (!calcOpenSheet({ownTemplatePath(job.pluralName, QStringLiteral(".ots")),
                        genericTemplatePath(QStringLiteral(".ots"))},
                       &templateUsed, document, sheet, &progress))
        return {};
    const bool own = templateUsed == 0;
    step([&] { sheet.setName(job.pluralName); });

    progress.stage(texts.filling);
    // The unticked columns go first, so that every later step writes the
    // sheet as it ends up: column at[c] holds list column c.
    const int last = calcRemoveColumns(sheet, flags);
    const QList<int> at = printedColumns(flags);
    if (!own) {
        for (int c = 0; c <= n; ++c)
            if (at[c] > 0 && c < job.printWidths.size())
                step([&] { sheet.setColumnWidth(at[c] - 1, calcColumnWidth(job.printWidths[c])); });
        for (int c = 0; c <= n; ++c)
            if (at[c] > 0)
                SetCellValue(4, at[c], sheet, headerText(job, c), 0);
        calcFormatLines(sheet, job, int(rows.size()), flags);
    }
    calcDrawBorders(sheet, int(rows.size()), last);
    step([&] { sheet.flush(); });
    calcWriteRows(sheet, job, rows, flags, &progress);

    if (!own) {
        SetCellValue(1, 1, sheet, job.pluralName, 0);
        calcMergeRow(sheet, 1, last);
    }
    if (job.hasGroupFilter) {
        if (!job.groupText.isNull())
            step([&] { SetCellValue(2, 1, sheet, sheet.cell(0, 1).string() + job.groupText, 0); });
        if (job.gradesView && !job.studentName.isNull())
            SetCellValue(2, 1, sheet, studentLine(job), 0);
        if (!own)
            calcMergeRow(sheet, 2, last);
    } else if (!own) {
        step([&] { sheet.setRowHeight(1, 0); });
    }

    return calcStoreAndShow(document, listFileBase(job.pluralName), texts, &progress);
}

} // namespace printing
