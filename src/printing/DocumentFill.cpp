#include "printing/DocumentFill.h"

#include "core/AppState.h"
#include "platform/office/OOo.h"
#include "platform/office/TemplateDocument.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Progress.h"
#include "printing/Placeholders.h"
#include "printing/PrintJob.h"
#include "printing/TemplateNames.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

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
// know are added to `unknown`.
void fillDocument(office::TemplateDocument& doc, const DocumentData& data, QStringList& unknown, ui::LongWork& work)
{
    office::TemplateDocument::Values values;
    office::TemplateDocument::Values gradeTokens;  // as the template spells them
    QString gradeMarker;
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
        work.setCaption(QStringLiteral("Заполнение таблицы оценок..."));
        QList<office::TemplateDocument::Values> rows;
        QList<bool> headings;  // shown in bold
        for (const GradeLine& line : data.grades) {
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
        doc.repeatTableRow(gradeMarker, rows, headings);
    }
    // Grade placeholders outside the grades row have no line to show.
    for (const auto& [token, canonical] : gradeTokens)
        values.append({token, QString()});
    work.setCaption(QStringLiteral("Заполнение документа..."));
    doc.replace(values);
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
            // A numbered blank is not spent on a document without the number
            // or the date its template prints.
            if (const QStringList missing = MissingIssueDetails(doc.placeholders(), data);
                attempt == 0 && !missing.isEmpty()) {
                work.reset();
                if (ui::msgBox(QStringLiteral("Документ будет напечатан ") + missing.join(QStringLiteral(" и "))
                                   + QStringLiteral(". Продолжить?"),
                               ui::YesNo | ui::Question | ui::DefaultButton2)
                    != ui::Yes) {
                    doc.close();
                    ui::setStatusText(QStringLiteral("Готово."));
                    return outcome;
                }
                work.emplace(QStringLiteral("Открытие шаблона..."));
            }
        } catch (const office::Error& e) {
            if (e.kind() == office::ErrorKind::ConnectionLost && attempt == 0)
                continue;
            work.reset();
            if (e.kind() == office::ErrorKind::ConnectionLost)
                reportOfficeStopped(shownTemplate, e);
            else if (e.kind() == office::ErrorKind::NotStarted)
                report(office::OOoNotStartedReport(QStringLiteral("Writer"), e), ui::Exclamation);
            else if (e.diskFull())  // the office could not copy the template
                report(QStringLiteral("Не удалось открыть шаблон ") + shownTemplate + QStringLiteral(". ") + e.detail(),
                       ui::Exclamation);
            else
                report(QStringLiteral("Не удалось открыть шаблон ") + shownTemplate + QStringLiteral(". Ошибка: ")
                           + e.numberAndDescription(),
                       ui::Exclamation);
            return outcome;
        }

        path.clear();
        try {
            work->setCaption(QStringLiteral("Заполнение документа..."));
            fillDocument(doc, data, outcome.unknownPlaceholders, *work);
            if (!request.keepBackground)
                doc.removePictures(QString::fromUtf8(kBackgroundPicturePrefix));

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
                report(QStringLiteral("Не удалось сохранить документ ") + QDir::toNativeSeparators(path)
                           + QStringLiteral(". Ошибка: ")
                           + e.numberAndDescription(),
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
        ui::msgBox(QStringLiteral("В шаблоне есть поля, которые программа не знает: ")
                       + outcome.unknownPlaceholders.join(QStringLiteral(", "))
                       + QStringLiteral(". Они оставлены в документе без изменений; поправьте их в документе "
                                        "или в шаблоне."),
                   ui::Exclamation);
    return outcome;
}

} // namespace printing
