#include "printing/DocumentFill.h"

#include "core/AppState.h"
#include "platform/office/OOo.h"
#include "platform/office/TemplateDocument.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Progress.h"
#include "printing/Placeholders.h"
#include "printing/PrintJob.h"
#include "printing/PrintQuestions.h"
#include "printing/TemplateNames.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <functional>
#include <optional>
#include <vector>

namespace printing {

namespace {

void report(const QString& text, int icon)
{
    ui::setStatusText(QStringLiteral("Готово."));
    ui::msgBox(text, icon);
}

// The office ended under the work again after it was started afresh.
void reportOfficeStopped(const QString& shownTemplate, const office::Error& e)
{
    report(QStringLiteral("Офисная программа прекратила работу, документ по шаблону ") + shownTemplate
               + QStringLiteral(" не сохранен. Повторите печать. Ошибка: ") + e.numberAndDescription(),
           ui::Critical);
}

// A grade's wording as the form prints it. The wordings keep the hyphen
// where a long word breaks in a narrow column ("удовлетво-рительно"): it
// becomes a soft hyphen, so the word prints whole where it fits and
// hyphenated only where the line breaks.
QString gradeWording(QString text)
{
    for (qsizetype i = 1; i + 1 < text.size(); ++i)
        if (text[i] == QLatin1Char('-') && text[i - 1].isLetter() && text[i + 1].isLower())
            text[i] = QChar(0x00AD);
    return text;
}

// Puts the person's values in place of the template's placeholders and
// the grade lines into the grades row; placeholders the program does not
// know are added to `unknown`. Returns the number of grade rows made. The
// grade rows' text is `points` high when above 0; `lines`, when not
// negative, is how many of the grade lines are put in. The stages are
// shown in `work` when given.
int fillDocument(office::TemplateDocument& doc, const DocumentData& data, QStringList& unknown, ui::LongWork* work,
                 double points = 0, int lines = -1)
{
    office::TemplateDocument::Values values;
    office::TemplateDocument::Values gradeTokens;  // as the template spells them
    QString gradeMarker;
    int gradeRows = 0;
    for (const QString& token : doc.placeholders()) {
        const Placeholder* p = FindPlaceholder(token);
        if (!p) {
            unknown << token;
        } else if (p->source == PlaceholderSource::GradeLine) {
            gradeTokens.append({token, p->token});
            if (p->form == PlaceholderForm::Discipline)
                gradeMarker = token;
        } else {
            values.append({token, PlaceholderValue(*p, data)});
        }
    }
    if (!gradeMarker.isEmpty()) {
        if (work)
            work->setCaption(QStringLiteral("Заполнение таблицы оценок..."));
        QList<office::TemplateDocument::Values> rows;
        QList<bool> headings;  // shown in bold
        for (const GradeLine& line : data.grades) {
            if (lines >= 0 && rows.size() == lines)
                break;
            office::TemplateDocument::Values row;
            for (const auto& [token, canonical] : gradeTokens) {
                const Placeholder& p = *FindPlaceholder(canonical);
                const QString value = GradeLineValue(p, line);
                row.append({token, p.form == PlaceholderForm::Grade ? gradeWording(value) : value});
            }
            // The person's other fields the row holds, written with the row.
            row.append(values);
            rows << row;
            headings << line.heading;
        }
        if (!doc.repeatTableRow(gradeMarker, rows, headings, points))
            rows.clear();
        gradeRows = int(rows.size());
    }
    // Grade placeholders outside the grades row have no line to show.
    for (const auto& [token, canonical] : gradeTokens)
        values.append({token, QString()});
    if (work)
        work->setCaption(QStringLiteral("Заполнение документа..."));
    doc.replace(values);
    return gradeRows;
}

// A blank with a grade table is one sheet printed on both sides.
constexpr int kBlankPages = 2;
// The grade table's font is made smaller, half a point at a time, down to
// this size and no further.
constexpr double kSmallestGradePoints = 8;

// The document filled afresh from its template with the grade rows' text
// `points` high and the first `lines` grade lines.
using Refill = std::function<office::TemplateDocument(double points, int lines)>;

// Makes a document with `lines` grade rows lie on the blank's pages. One
// that does not is filled afresh (the office lays out anew only what is
// added) with the grade table's font half a point smaller at a time; where
// even the smallest size does not do, the user is told how many lines fit
// and asked whether to store the document all the same. False when the
// user says no; otherwise `doc` is the document to store.
bool fitGradeTable(office::TemplateDocument& doc, int lines, const Refill& refill, std::optional<ui::LongWork>& work)
{
    if (lines == 0 || doc.pageCount() <= kBlankPages)
        return true;
    work->setCaption(QStringLiteral("Размещение таблицы оценок на бланке..."));
    const double templatePoints = doc.repeatedRowsCharHeight();
    doc.close();
    // The sizes to try, largest first: the steps below the template's size
    // down to the smallest (none when the template's is smaller already).
    std::vector<double> sizes;
    for (double size = templatePoints - 0.5; size >= kSmallestGradePoints; size -= 0.5)
        sizes.push_back(size);
    const double points = sizes.empty() ? templatePoints : sizes.back();
    double made = 0;  // the size of the document `doc` holds; 0: none
    const auto fits = [&](double size, int count) {
        doc = refill(size, count);
        made = size;
        if (doc.pageCount() <= kBlankPages)
            return true;
        doc.close();
        made = 0;
        return false;
    };
    // The smallest size first: when even that does not do, no other will;
    // when it does, the largest that does, found by halves.
    if (!sizes.empty() && fits(points, lines)) {
        size_t low = 0;
        size_t high = sizes.size() - 1;
        while (low < high) {
            const size_t middle = (low + high) / 2;
            if (fits(sizes[middle], lines))
                high = middle;
            else
                low = middle + 1;
        }
        if (made != sizes[high])
            doc = refill(sizes[high], lines);
        return true;
    }
    // The most lines that fit in the smallest size, found by halves.
    int fitting = 0;
    for (int over = lines; over - fitting > 1;) {
        const int middle = (fitting + over) / 2;
        office::TemplateDocument trial = refill(points, middle);
        (trial.pageCount() <= kBlankPages ? fitting : over) = middle;
        trial.close();
    }
    work.reset();
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    const bool yes = ui::msgBox(QStringLiteral("Таблица оценок не помещается на две страницы бланка даже при шрифте %1 пт: "
                                               "строк в таблице %2, на двух страницах помещается %3. Если сохранить "
                                               "документ, он займет больше двух страниц. Сохранить документ?")
                                    .arg(russian.toString(points), QString::number(lines), QString::number(fitting)),
                                ui::YesNo | ui::Question | ui::DefaultButton2)
        == ui::Yes;
    if (!yes)
        return false;
    work.emplace(QStringLiteral("Сохранение документа..."));
    doc = refill(points, lines);
    return true;
}

} // namespace

QString DocumentFileName(const QString& folder, const QString& caption, const QString& surnameAndInitials,
                         const QString& extension)
{
    // Blanks and dots at the end would vanish from the name on some disks.
    QString base = safeFileName(caption + QLatin1Char(' ') + surnameAndInitials).simplified();
    while (base.endsWith(QLatin1Char('.')) || base.endsWith(QLatin1Char(' ')))
        base.chop(1);
    if (base.isEmpty())
        base = QStringLiteral("Документ");
    return firstFreeName(folder, base, extension);
}

PrintOutcome PrintVkladish(const PrintRequest& request)
{
    PrintOutcome outcome;
    const core::AppState& s = core::state();

    const TemplateFile templateFile = ResolveTemplate(request.templateName);
    if (templateFile.status != TemplateFile::Found) {
        ui::setStatusText(templateFile.status == TemplateFile::WrongFormat
                              ? QStringLiteral("Файл не является шаблоном, либо не соответствует формату.")
                              : QStringLiteral("Нет такого файла."));
        ui::msgBox(TemplateRefusal(templateFile), ui::Exclamation);
        return outcome;
    }
    const QString templatePath = templateFile.path;
    const QString shownTemplate = QDir::toNativeSeparators(templatePath);

    // The wait cursor and the stage in the status bar, ended before any message.
    std::optional<ui::LongWork> work(std::in_place, QStringLiteral("Чтение данных для документа..."));
    const DocumentData data = LoadDocumentData(request.id, request.blankKind, request.docKind);
    if (!data.found) {
        work.reset();
        report(QStringLiteral("Запись для печати документа не найдена в базе данных."), ui::Exclamation);
        return outcome;
    }

    // Asked before the office starts, from what the template prints.
    PrintQuestions questions(request, data, templatePath);
    if (!questions.askBeforeOffice(work))
        return outcome;

    const QString folder = QDir(s.AppPath).filePath(QString::fromUtf8(core::kDocumentsFolderName));
    office::TemplateDocument doc;
    QString path;
    // An office lost in the middle of the work is started afresh and the
    // document made once more before the loss is reported.
    for (int attempt = 0;; ++attempt) {
        outcome.unknownPlaceholders.clear();
        work->setCaption(QStringLiteral("Открытие шаблона..."));
        try {
            doc = office::TemplateDocument::fromTemplate(templatePath);
            if (attempt == 0 && !questions.askOpened(doc.placeholders(), work)) {
                doc.close();
                return outcome;
            }
        } catch (const office::Error& e) {
            if (e.kind() == office::ErrorKind::ConnectionLost && attempt == 0)
                continue;
            work.reset();
            if (e.kind() == office::ErrorKind::ConnectionLost)
                reportOfficeStopped(shownTemplate, e);
            else if (e.kind() == office::ErrorKind::NotStarted)
                report(office::OOoNotStartedReport(QStringLiteral("Writer"), e), ui::Exclamation);
            else if (e.diskFull())  // the office could not copy the template: the disk is the whole cause
                report(e.cause() + QStringLiteral(" Не удалось открыть шаблон ") + shownTemplate + QLatin1Char('.'),
                       ui::Exclamation);
            else
                report(e.causeFirst(QStringLiteral("Не удалось открыть шаблон ") + shownTemplate
                                    + QStringLiteral(". Ошибка: ")),
                       ui::Exclamation);
            return outcome;
        }

        path.clear();
        try {
            work->setCaption(QStringLiteral("Заполнение документа..."));
            const int gradeRows = fillDocument(doc, data, outcome.unknownPlaceholders, &*work);
            const auto removeBackground = [&](office::TemplateDocument& d) {
                if (!request.keepBackground)
                    d.removePictures(QString::fromUtf8(kBackgroundPicturePrefix));
            };
            removeBackground(doc);
            const auto refill = [&](double points, int lines) {
                office::TemplateDocument remade = office::TemplateDocument::fromTemplate(templatePath);
                QStringList unknown;
                fillDocument(remade, data, unknown, nullptr, points, lines);
                removeBackground(remade);
                return remade;
            };
            if (!fitGradeTable(doc, gradeRows, refill, work)) {
                ui::setStatusText(QStringLiteral("Готово."));
                return outcome;
            }

            work->setCaption(QStringLiteral("Сохранение документа..."));
            QDir().mkpath(folder);
            const QString extension = QLatin1String(s.OfficeIsOOo ? ".odt" : ".doc");
            path = QDir(folder).filePath(
                DocumentFileName(folder, request.optionCaption, SurnameAndInitials(data.person), extension));
            doc.storeAs(path);
        } catch (const office::Error& e) {
            doc.close();
            if (e.kind() == office::ErrorKind::ConnectionLost && attempt == 0)
                continue;
            work.reset();
            if (e.kind() == office::ErrorKind::ConnectionLost)
                reportOfficeStopped(shownTemplate, e);
            else if (e.kind() == office::ErrorKind::CannotStore)
                report(e.causeFirst(QStringLiteral("Не удалось сохранить документ ") + QDir::toNativeSeparators(path)
                                    + QStringLiteral(". Ошибка: ")),
                       ui::Critical);
            else
                report(QStringLiteral("Не удалось заполнить документ по шаблону ") + shownTemplate
                           + QStringLiteral(". Ошибка: ") + e.numberAndDescription(),
                       ui::Critical);
            return outcome;
        }
        break;
    }
    work.reset();
    outcome.saved = true;
    outcome.documentPath = path;

    try {
        doc.show();
    } catch (const office::Error& e) {
        ui::msgBox(QStringLiteral("Документ сохранен в файле ") + path
                       + QStringLiteral(", но показать его не удалось. Ошибка: ") + e.numberAndDescription(),
                   ui::Exclamation);
    }
    ui::setStatusText(QStringLiteral("Документ сохранен: ") + QFileInfo(path).fileName());

    if (!outcome.unknownPlaceholders.isEmpty())
        ui::msgBox(UnknownPlaceholdersWarning(outcome.unknownPlaceholders), ui::Exclamation);
    return outcome;
}

} // namespace printing
