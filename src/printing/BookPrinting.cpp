#include "printing/BookPrinting.h"

#include "core/AppState.h"
#include "core/TextHelpers.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Messages.h"
#include "printing/ListPrinting.h"
#include "printing/frmUrDial.h"

#include <QApplication>

namespace printing {

namespace {

constexpr const char* kMaskKeyPrefix = "PFM";
constexpr const char* kGradeBlockEntry = "Итоговые оценки";
// The chooser saves the mask under the caller's settings value from this mode on.
constexpr int kChooserSavesUnderKey = 3;

// Column widths of a book on each path; the running number's column keeps
// the width the workbook gives it.
constexpr ColumnWidth kGradeWidth{18, 2600};
constexpr ColumnWidth kOtherWidth{30, 3000};

QString text(const char* s)
{
    return QString::fromUtf8(s);
}

void status(const char* s)
{
    ui::setStatusText(text(s));
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
    printSheet(bookSheet(job, columnFlags(s.PrintColumnMask, n), path), path);
}

QList<int> bookRowsToPrint(const BookPrintJob& job, OfficePath path)
{
    if (path == OfficePath::Excel && printsEveryRowThroughExcel(job.med)) {
        QList<int> rows;
        rows.reserve(job.list.selected.size());
        for (int i = 0; i < job.list.selected.size(); ++i)
            rows << i;
        return rows;
    }
    return rowsToPrint(job.list.selected);
}

SheetPrint bookSheet(const BookPrintJob& job, const QList<bool>& flags, OfficePath path)
{
    SheetPrint p;
    p.kind = SheetKind::Book;
    p.job = &job.list;
    p.rows = bookRowsToPrint(job, path);
    p.flags = flags;
    p.sheetName = job.caption;
    p.title = job.caption;
    // A filtered book's caption carries a colon: the file takes the caption
    // made fit for a file name.
    p.fileBase = safeFileName(job.caption);
    p.templates = {genericTemplatePath()};
    for (int c = 0; c < flags.size(); ++c) {
        const bool grade = job.isGradeColumn(c);
        p.widths << (c == 0 ? std::nullopt : std::optional<ColumnWidth>(grade ? kGradeWidth : kOtherWidth));
        p.upright << grade;
    }
    return p;
}

} // namespace printing
