#include "printing/PrintQuestions.h"

#include "core/AppState.h"
#include "core/DirectoryMetadata.h"
#include "platform/ui/Messages.h"
#include "printing/TemplateNames.h"
#include "printing/TemplatePackage.h"

#include <QFileInfo>

#include <vector>

namespace printing {

namespace {

// What each slot's shipped template prints that the questions look at: the
// document's own registration number and issue date, and the grades row.
struct SlotTokens {
    int slot;
    std::vector<const char*> tokens;
};
const SlotTokens kSlotTokens[] = {
    {1, {"[REGNOM]", "[ДАТА ВЫДАЧИ]"}},
    {2, {"[REGNOM]", "[ДАТА ВЫДАЧИ]"}},
    {3, {"[REGNOM]", "[ДАТА ВЫДАЧИ]", kGradeRowMarker}},
    {4, {"[REGNOM]", "[ДАТА ВЫДАЧИ]", kGradeRowMarker}},
    {5, {"[REGNOMMED]", "[SPGRUP.DatMed.ПРОПИСЬЮ]"}},
    {7, {"[regnomDoc]", "[ДАТА ВЫДАЧИ]"}},
    {8, {"[regnomDoc]", "[ДАТА ВЫДАЧИ]", kGradeRowMarker}},
    {9, {"[regnomUd]", "[ДАТА ВЫДАЧИ]"}},
};

QString fullName(const QVariantMap& person)
{
    QStringList parts;
    for (const char* column : {"FAM", "IM", "OTCH"}) {
        const QString part = person.value(QString::fromLatin1(column)).toString().trimmed();
        if (!part.isEmpty())
            parts << part;
    }
    return parts.join(QLatin1Char(' '));
}

} // namespace

QStringList SlotPrints(int slot)
{
    QStringList out;
    for (const SlotTokens& s : kSlotTokens)
        if (s.slot == slot)
            for (const char* token : s.tokens)
                out << QString::fromUtf8(token);
    return out;
}

PrintQuestions::PrintQuestions(const PrintRequest& request, const DocumentData& data, const QString& templatePath)
    : data_(data)
    , document_(request.optionCaption)
    , templateName_(QFileInfo(templatePath).fileName())
    , gradeKind_(request.docKind)
{
    if (const std::optional<QStringList> package = PackagePlaceholders(templatePath))
        forecast_ = *package;
    else
        forecast_ = SlotPrints(DocumentSlot(request.blankKind - 1, request.templateName));
}

QStringList PrintQuestions::questionsFor(const QStringList& placeholders) const
{
    QStringList out;
    if (const QStringList missing = MissingIssueDetails(placeholders, data_); !missing.isEmpty())
        out << QStringLiteral("Документ будет напечатан ") + missing.join(QStringLiteral(" и "))
                   + QStringLiteral(". Продолжить?");
    if (GradeTableStaysEmpty(placeholders, data_)) {
        // Certificates keep their grade lines with the documents'.
        const int window = core::vidDokumOf(std::max(gradeKind_, 0)) == 0 ? int(core::Documents) : gradeKind_;
        out << QStringLiteral("%1: нет итоговых оценок для документа «%2» (шаблон «%3»), и таблица оценок в нем "
                              "останется пустой. Оценки вносятся в окне «%4». Продолжить?")
                   .arg(fullName(data_.person), document_, templateName_,
                        core::DirectoryWindowCaption(core::Grades, window));
    }
    return out;
}

bool PrintQuestions::askBeforeOffice(std::optional<ui::LongWork>& work)
{
    return ask(questionsFor(forecast_), work);
}

bool PrintQuestions::askOpened(const QStringList& placeholders, std::optional<ui::LongWork>& work)
{
    QStringList more;
    for (const QString& question : questionsFor(placeholders))
        if (!asked_.contains(question))
            more << question;
    return ask(more, work);
}

bool PrintQuestions::ask(const QStringList& questions, std::optional<ui::LongWork>& work)
{
    if (questions.isEmpty())
        return true;
    work.reset();
    for (const QString& question : questions) {
        if (ui::msgBox(question, ui::YesNo | ui::Question | ui::DefaultButton2) != ui::Yes) {
            ui::setStatusText(QStringLiteral("Готово."));
            return false;
        }
        asked_ << question;
    }
    work.emplace(QStringLiteral("Открытие шаблона..."));
    return true;
}

} // namespace printing
