#include "printing/PrintJob.h"

#include "core/AppState.h"
#include "core/ComboTypeAhead.h"
#include "core/DirectoryMetadata.h"
#include "core/ListView.h"
#include "platform/office/Excel.h"
#include "platform/office/Office.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>

#include <optional>

namespace printing {

ListPrintJob listPrintJob(int kind, const core::ReportList* list, const QStringList& captions,
                          const QList<int>& alignments, const QList<double>& printWidths,
                          const QComboBox* groupFilter, const core::ReportList* personList)
{
    ListPrintJob job;
    job.kind = kind;
    job.pluralName = core::PluralNames(kind);
    job.captions = captions;
    job.alignments = alignments;
    job.printWidths = printWidths;
    readListRows(list, job);
    if (groupFilter) {
        job.hasGroupFilter = true;
        const int index = core::comboListIndex(groupFilter);
        if (index >= 0)
            job.groupText = groupFilter->itemText(index);
    }
    if (personList) {
        job.gradesView = true;
        if (const core::ListItem person = core::selectedListItem(personList)) {
            QStringList parts;
            for (int c = 1; c <= 3; ++c)
                parts << person->text(c).trimmed();
            job.studentName = parts.join(QLatin1Char(' ')).trimmed();
        }
    }
    return job;
}

void readListRows(const core::ReportList* list, ListPrintJob& job)
{
    job.source = list;
    job.rows.clear();
    job.selected.clear();
    if (!list)
        return;
    const int count = list->topLevelItemCount();
    job.selected.reserve(count);
    for (int i = 0; i < count; ++i)
        job.selected << list->topLevelItem(i).isSelected();
}

QString ListPrintJob::text(int row, int column) const
{
    if (source)
        return source->topLevelItem(row).text(column);
    return rows.value(row).value(column);
}

QStringList ListPrintJob::rowTexts(int row) const
{
    QStringList out;
    for (int c = 0; c <= lastColumn(); ++c)
        out << text(row, c);
    return out;
}

QList<int> rowsToPrint(const QList<bool>& selected)
{
    int count = 0;
    for (bool s : selected)
        if (s && ++count == 2)
            break;
    QList<int> rows;
    for (int i = 0; i < selected.size(); ++i)
        if (count == 1 || (count == 2 && selected[i]))
            rows << i;
    return rows;
}

QString paddedMask(const QString& mask, int n)
{
    return mask.left(n + 1).trimmed() + QString(n + 1, QLatin1Char('1'));
}

QList<bool> columnFlags(const QString& padded, int n)
{
    QList<bool> flags;
    for (int c = 0; c <= n; ++c) {
        const QChar ch = c < padded.size() ? padded[c] : QLatin1Char('1');
        flags << (ch.isDigit() && ch.digitValue() != 0);
    }
    return flags;
}

QString oneLine(const QString& text)
{
    QString s = text;
    return s.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
}

QString excelCellText(const QString& text)
{
    const QString s = oneLine(text);
    if (s.isEmpty())
        return s;
    const bool numeric = office::excelNumber(s);
    const QString lead = s.trimmed();
    if (!numeric || s.size() > 6 || lead.startsWith(QLatin1Char('0')))
        return QLatin1Char('\'') + s;
    return s;
}

QString safeFileName(const QString& text)
{
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    const auto isForbidden = [](QChar ch) {
        return forbidden.contains(ch) || ch.unicode() < 0x20 || ch.unicode() == 0x7F;
    };
    // A forbidden character becomes a blank, unless a blank stands next to
    // it already ("рег.номеру: 100" → "рег.номеру 100") or it ends the text.
    QString s;
    s.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (!isForbidden(ch)) {
            s += ch;
            continue;
        }
        const bool blankBefore = !s.isEmpty() && s.back() == QLatin1Char(' ');
        const bool blankAfter = i + 1 < text.size() && text.at(i + 1) == QLatin1Char(' ');
        const bool last = i + 1 == text.size();
        if (!blankBefore && !blankAfter && !last)
            s += QLatin1Char(' ');
    }
    return s;
}

QString firstFreeName(const QString& folder, const QString& base, const QString& extension)
{
    const QDir dir(folder);
    // A printed document deleted while it is still open in the office
    // keeps its name there: the office refuses to store another one under
    // it. Asked only once a name is free on the disk.
    std::optional<QStringList> held;
    for (int k = 0;; ++k) {
        const QString name = k == 0 ? base + extension : QStringLiteral("%1 (%2)%3").arg(base).arg(k).arg(extension);
        const QString path = dir.filePath(name);
        if (QFileInfo::exists(path) || QFileInfo::exists(dir.filePath(QStringLiteral(".~lock.") + name + QLatin1Char('#'))))
            continue;
        if (!held)
            held = office::Office::instance().documentFiles();
        if (!held->contains(QFileInfo(path).absoluteFilePath()))
            return name;
    }
}

QString templatesFolder()
{
    return QDir(core::state().AppPath).filePath(QString::fromUtf8(core::kTemplatesFolderName));
}

QString documentsFolder()
{
    const QString app = core::state().AppPath;
    const QString documents = QDir(app).filePath(QString::fromUtf8(core::kDocumentsFolderName));
    return QFileInfo(documents).isDir() ? documents : app;
}

} // namespace printing
