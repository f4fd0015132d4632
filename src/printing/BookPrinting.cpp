#include "printing/BookPrinting.h"

#include "core/AppState.h"
#include "core/TextHelpers.h"
#include "platform/office/OOo.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Messages.h"
#include "printing/frmUrDial.h"

#include <QApplication>

namespace printing {

using namespace office;

const PrintTexts kBookTexts{
    "Идет создание печатной формы книги...",
    "Идет заполнение печатной формы книги...",
    "Идет сохранение печатной формы книги...",
    "Печатная форма книги выполнена.",
    "Печатная форма книги выполнена и сохранена.",
    "Печатная форма книги выполнена и сохранена в файле ",
    "Печатная форма книги выполнена, но не сохранена в файле.",
    "Печатная форма книги выполнена, но не сохранена.",
    "Печатная форма книги выполнена, но не сохранена в файле: ",
    "Печатная форма выполнена, но не сохранена.",
};

namespace {

constexpr const char* kMaskKeyPrefix = "PFM";
constexpr const char* kGradeBlockEntry = "Итоговые оценки";
constexpr const char* kNumberCaption = "№ п.п";
// The chooser saves the mask under the caller's settings value from this mode on.
constexpr int kChooserSavesUnderKey = 3;

// The sheet's look of a book: column widths (Excel in characters, Calc in
// hundredths of a millimetre), the header row's height under upright grade
// captions (points) and the title's font size.
struct BookSheetLook {
    double excelGradeWidth;
    double excelOtherWidth;
    int calcGradeWidth;
    int calcOtherWidth;
    double gradeHeaderHeight;
    int gradeCaptionAngle;
    double titleFontSize;
};
constexpr BookSheetLook kLook{18, 30, 2600, 3000, 100, 90, 14};

QString text(const char* s)
{
    return QString::fromUtf8(s);
}

void status(const char* s)
{
    ui::setStatusText(text(s));
}

QString headerText(const BookPrintJob& job, int c)
{
    return c == 0 ? text(kNumberCaption) : job.list.captions.value(c);
}

// Books print every row through Excel, whatever is selected.
bool printsEveryRowThroughExcel(int med)
{
    return med == core::Documents || med == core::SpecialistCertificates || med == core::TrainingCertificates;
}

} // namespace

BookPrintJob bookPrintJob(int med, const QString& caption, const core::ReportList* list, const QStringList& captions,
                          const QList<int>& alignments, int nper, int gradeCount)
{
    BookPrintJob job;
    job.med = med;
    job.caption = caption;
    job.nper = nper > 0 ? nper : 0;
    job.gradeCount = job.nper > 0 ? gradeCount : 0;
    job.list.kind = med;
    job.list.pluralName = caption;
    job.list.captions = captions;
    job.list.alignments = alignments;
    readListRows(list, job.list);
    return job;
}

QString bookMaskKey(int med)
{
    return text(kMaskKeyPrefix) + QString::number(med);
}

QVariantList bookChooserCaptions(const BookPrintJob& job)
{
    const QStringList& captions = job.list.captions;
    QVariantList sC;
    for (int c = 0; c < captions.size(); ++c) {
        if (job.nper > 0 && c == job.nper)
            sC << QVariant(captions.mid(job.nper, job.gradeCount));
        if (!job.isGradeColumn(c))
            sC << captions[c];
    }
    return sC;
}

bool chooseBookColumns(const BookPrintJob& job)
{
    auto& s = core::state();
    s.ColumnChooserMode = kChooserSavesUnderKey;
    const QString key = bookMaskKey(job.med);
    frmUrDial dialog(QApplication::activeWindow());
    dialog.univers(bookChooserCaptions(job), key, job.nper, text(kGradeBlockEntry), 0, true, true);
    dialog.Form_Load();
    // A mask ticked for another number of grade columns would put its ticks
    // on other columns: everything is offered ticked instead.
    int boxes = 0;
    for (int k = 0; k < dialog.ChooserCount(); ++k)
        if (dialog.Ch1(k))
            ++boxes;
    const QString stored = settings::getSetting(QString::fromLatin1(settings::kSectionUser), key);
    if (stored.size() != boxes)
        dialog.Mark_Click(1);
    ui::execDialog(&dialog);
    return s.DialogResult == -1;
}

void printRegistryBook(const BookPrintJob& job, OfficePath path)
{
    auto& s = core::state();
    if (!chooseBookColumns(job)) {
        status(kStatusNotCreated);
        return;
    }
    const int n = job.lastColumn();
    s.PrintColumnMask = paddedMask(s.PrintColumnMask, n);
    const QList<bool> flags = columnFlags(s.PrintColumnMask, n);
    if (path == OfficePath::Calc)
        printBookCalc(job, flags);
    else
        printBookExcel(job, flags);
}

QList<int> bookRowsToPrint(const BookPrintJob& job, OfficePath path)
{
    if (path == OfficePath::Excel && printsEveryRowThroughExcel(job.med)) {
        QList<int> rows;
        for (int i = 0; i < job.list.rows.size(); ++i)
            rows << i;
        return rows;
    }
    return rowsToPrint(job.list.selected);
}

QString printBookExcel(const BookPrintJob& job, const QList<bool>& flags)
{
    const PrintTexts& texts = kBookTexts;
    const int n = job.lastColumn();
    status(texts.creating);
    const QList<int> rows = bookRowsToPrint(job, OfficePath::Excel);
    const QString tooMany = xlsTooManyLinesMessage(rows.size(), QStringLiteral("книги"));
    if (!tooMany.isEmpty()) {
        status(kStatusNotCreated);
        ui::msgBox(tooMany, ui::Exclamation);
        return {};
    }

    PrintProgress progress(texts.creating);
    Application excel;
    Workbook book;
    int templateUsed = -1;
    try {
        excel = Application::attach();
        excel.setDisplayAlerts(false);
        excel.setVisible(false);
        book = excelAddWorkbook(excel, {genericTemplatePath(QStringLiteral(".xlt"))}, &templateUsed);
    } catch (const office::Error& e) {
        step([&] { excel.setDisplayAlerts(true); });
        progress.end();
        ui::msgBox(excelErrorReport(e), ui::Information);
        return {};
    }
    const bool templateMode = templateUsed == 0;

    Worksheet sheet;
    try {
        sheet = book.activeSheet();
    } catch (const office::Error& e) {
        // Nothing can be written: the half-made workbook is not left behind.
        step([&] { book.close(false); });
        excel.setDisplayAlerts(true);
        progress.end();
        ui::msgBox(excelErrorReport(e), ui::Information);
        return {};
    }
    step([&] { sheet.setName(core::Left31(core::SheetSafeName(job.caption))); });

    progress.stage(texts.filling);
    // The unticked columns go first, so that every later step writes the
    // sheet as it ends up: column at[c] holds list column c.
    const int last = excelRemoveColumns(sheet, flags);
    const QList<int> at = printedColumns(flags);
    bool uprightCaptions = false;
    for (int c = 1; c <= n; ++c) {
        if (at[c] == 0)
            continue;
        const bool grade = job.isGradeColumn(c);
        uprightCaptions = uprightCaptions || grade;
        step([&] { sheet.columns(at[c]).setColumnWidth(grade ? kLook.excelGradeWidth : kLook.excelOtherWidth); });
    }
    if (uprightCaptions)
        step([&] { sheet.rows(4).setRowHeight(kLook.gradeHeaderHeight); });
    excelFormatLines(sheet, job.list, int(rows.size()), flags, !templateMode);
    excelDrawBorders(excel, sheet, int(rows.size()), last);
    step([&] { sheet.flush(); });
    for (int c = 0; c <= n; ++c) {
        if (at[c] == 0)
            continue;
        excelWriteHeaderCell(sheet, at[c], headerText(job, c));
        if (job.isGradeColumn(c))
            step([&] { sheet.cells(4, at[c]).setOrientation(kLook.gradeCaptionAngle); });
    }
    excelWriteRows(sheet, job.list, rows, flags, &progress);

    excelWriteTitle(sheet, job.caption, last, kLook.titleFontSize);

    excel.setDisplayAlerts(true);
    // A filtered book's caption carries a colon: the file takes the caption
    // made fit for a file name.
    return excelSaveAndShow(excel, book, safeFileName(job.caption), texts, &progress);
}

QString printBookCalc(const BookPrintJob& job, const QList<bool>& flags)
{
    const PrintTexts& texts = kBookTexts;
    const int n = job.lastColumn();
    status(texts.creating);
    const QList<int> rows = bookRowsToPrint(job, OfficePath::Calc);

    PrintProgress progress(texts.creating);
    CalcDocument document;
    CalcSheet sheet;
    int templateUsed = -1;
    if (!calcOpenSheet({genericTemplatePath(QStringLiteral(".ots"))}, &templateUsed, document, sheet, &progress))
        return {};
    const bool templateMode = templateUsed == 0;
    // A caption Calc refuses as a sheet name keeps the sheet's own name.
    step([&] { sheet.setName(job.caption); });

    progress.stage(texts.filling);
    const int last = calcRemoveColumns(sheet, flags);
    const QList<int> at = printedColumns(flags);
    for (int c = 0; c <= n; ++c) {
        if (at[c] == 0)
            continue;
        if (c > 0) {
            const int width = job.isGradeColumn(c) ? kLook.calcGradeWidth : kLook.calcOtherWidth;
            step([&] { sheet.setColumnWidth(at[c] - 1, width); });
        }
        SetCellValue(4, at[c], sheet, headerText(job, c), 0);
    }
    if (!templateMode)
        calcFormatLines(sheet, job.list, int(rows.size()), flags);
    calcDrawBorders(sheet, int(rows.size()), last);
    step([&] { sheet.flush(); });
    calcWriteRows(sheet, job.list, rows, flags, &progress);

    SetCellValue(1, 1, sheet, job.caption, 0);
    calcMergeRow(sheet, 1, last);

    return calcStoreAndShow(document, safeFileName(job.caption), texts, &progress);
}

} // namespace printing
