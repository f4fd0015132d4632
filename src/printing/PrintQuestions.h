#pragma once
// The questions the print step asks before it makes a person's document,
// while "Нет" still leaves the blank unspent and no office started for
// nothing: a registration number or issue date that the template prints and
// the person lacks, and a grades table that would stay empty.
//
// What a template prints is known before the office opens it: a Writer
// template (.ott) is read from its package; a Word template (.dot) is taken
// to print what its document's slot prints. Whatever the opened template
// shows beyond that is asked once it is open.
#include "printing/DocumentFill.h"
#include "printing/Placeholders.h"
#include "platform/ui/Progress.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace printing {

// What the document of a template slot prints of the person's registration
// number, issue date and grades, as the slot's shipped template does; empty
// for a slot without one.
QStringList SlotPrints(int slot);

class PrintQuestions {
public:
    PrintQuestions(const PrintRequest& request, const DocumentData& data, const QString& templatePath);

    // The placeholders the template is known to print before the office
    // opens it; empty when that is not known.
    const QStringList& forecast() const { return forecast_; }

    // The questions for a template with these placeholders, in the order
    // they are asked.
    QStringList questionsFor(const QStringList& placeholders) const;

    // Asks the questions of the forecast. False when the user answers "Нет"
    // (nothing is made then, and the status bar reads "Готово."). A question
    // ends `work` (the wait cursor) and starts it again after "Да".
    bool askBeforeOffice(std::optional<ui::LongWork>& work);
    // Asks what the opened template's placeholders call for and was not
    // asked before the office started. False on "Нет".
    bool askOpened(const QStringList& placeholders, std::optional<ui::LongWork>& work);

private:
    bool ask(const QStringList& questions, std::optional<ui::LongWork>& work);

    const DocumentData& data_;
    QString document_;  // the option's caption
    QString templateName_;
    int gradeKind_ = 0;
    QStringList forecast_;
    QStringList asked_;
};

} // namespace printing
