#include "printing/ListPrinting.h"

#include "core/AppState.h"
#include "platform/ui/Messages.h"
#include "printing/frmUrDial.h"

#include <QDir>

namespace printing {

namespace {

constexpr const char* kListFilePrefix = "Справочник ";
constexpr const char* kOwnTemplateSuffix = " (шаблон)";
constexpr const char* kGenericTemplate = "Справочники (шаблон)";

QString text(const char* s)
{
    return QString::fromUtf8(s);
}

} // namespace

QString ownTemplatePath(const QString& pluralName)
{
    return QDir(templatesFolder()).filePath(text(kListFilePrefix) + pluralName + text(kOwnTemplateSuffix));
}

QString genericTemplatePath()
{
    return QDir(templatesFolder()).filePath(text(kGenericTemplate));
}

QString listFileBase(const QString& pluralName)
{
    return safeFileName(text(kListFilePrefix) + pluralName);
}

SheetPrint listSheet(const ListPrintJob& job, const QList<bool>& flags)
{
    SheetPrint p;
    p.kind = SheetKind::List;
    p.job = &job;
    p.rows = rowsToPrint(job.selected);
    p.flags = flags;
    p.sheetName = job.pluralName;
    p.title = job.pluralName;
    p.fileBase = listFileBase(job.pluralName);
    p.templates = {ownTemplatePath(job.pluralName), genericTemplatePath()};
    for (int c = 0; c < flags.size(); ++c) {
        if (c < job.printWidths.size())
            p.widths << ColumnWidth{job.printWidths[c], calcColumnWidth(job.printWidths[c])};
        else
            p.widths << std::nullopt;
    }
    return p;
}

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
    printSheet(listSheet(job, columnFlags(s.PrintColumnMask, n)), path);
}

} // namespace printing
