#pragma once
// The document fill step of the print-parameters dialog: one person's
// document made from a document template, filled, saved in "Документы" and
// shown in the office for the user to check and print. The database is only
// read.
#include <QString>
#include <QStringList>

namespace printing {

struct PrintRequest {
    long id = 0;               // SPSTUD.ID of the person
    int blankKind = 0;         // print code 1..15
    QString templateName;      // as ResolveTemplate() takes it
    bool keepBackground = false;
    int docKind = 0;           // the grade lines of this document kind
    QString optionCaption;     // starts the document's file name
};

struct PrintOutcome {
    bool saved = false;
    QString documentPath;
    QStringList unknownPlaceholders;
};

// Pictures whose name starts with this are the scanned blank.
inline constexpr const char* kBackgroundPicturePrefix = "Подложка";

// The document's file name in `folder`: the caption, a blank, the surname
// and initials, made safe for a file name, then " (k)" for the smallest k
// from 1 when the name without it is taken, then `extension` (".odt").
QString DocumentFileName(const QString& folder, const QString& caption, const QString& surnameAndInitials,
                         const QString& extension);

// Fills and saves the document; every failure is reported to the user with
// a message, and the outcome says what was done. A document that carries a
// registration number, for a person without one or without an issue date,
// or a grades table the person has no lines for, is printed only when the
// user says so (PrintQuestions, asked before the office starts). A grade
// table too long for the blank's two pages is set in smaller type; one that
// does not fit even so is stored only when the user says so.
PrintOutcome PrintVkladish(const PrintRequest& request);

} // namespace printing
