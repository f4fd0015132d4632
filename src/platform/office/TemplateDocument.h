#pragma once
// A text document made from a document template and filled: placeholders
// in square brackets replaced wherever they stand (body text, tables, text
// frames and text boxes), a table row repeated once per line of data,
// pictures removed by name, the result stored under a new name in the
// office's own format or as Word 97, and shown to the user.
//
// The document is hidden until show(); a document that was never shown is
// closed when the last copy of the object goes. Failures throw office::Error.
#include "platform/office/OfficeError.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace office {

class TemplateDocument {
public:
    // Placeholder -> value. Placeholders are compared exactly.
    using Values = QList<QPair<QString, QString>>;

    TemplateDocument() = default;

    // A new untitled document from the template file (hidden). Starts the
    // office when it does not run. NotStarted, CannotLoad.
    static TemplateDocument fromTemplate(const QString& path);
    // Opens a document file read-only and hidden, to look at what it holds.
    static TemplateDocument openReadOnly(const QString& path);
    // Opens the file itself (a template stays a template) in an office
    // window for the user to edit; the document is left open there.
    static void openForEditing(const QString& path);

    bool isOpen() const;

    // Every text in square brackets, in the order of the document's
    // search (body and tables, then frames), each once.
    QStringList placeholders() const;

    // Replaces every occurrence of each placeholder by its value; line
    // breaks in a value become paragraph breaks. The placeholders are those
    // the document held before anything was written into it: a value (or a
    // repeated row's value) in square brackets is text, never replaced.
    void replace(const Values& values);

    // Finds the table row with a cell that holds `marker` and repeats it
    // once per entry of `rows`: each copy has the placeholders of the row
    // replaced by the entry's values; a copy whose entry of `bold` is true
    // has its text in bold. No entries remove the row. The rows are kept
    // whole: none is divided between pages or the columns of a page. A
    // value is written as it is, never searched for placeholders. False
    // when no table row holds the marker. `points`, when above 0, is the
    // character height of the rows' text.
    bool repeatTableRow(const QString& marker, const QList<Values>& rows, const QList<bool>& bold = {},
                        double points = 0);

    // The character height in points of the text of the rows the last
    // repeatTableRow() made (as the first has it; 0 when none was made).
    double repeatedRowsCharHeight() const;
    // The number of pages the office lays the document out on: true for a
    // document filled from its template; text moved back when room was made
    // before it may still be counted where it stood.
    int pageCount() const;

    // Names of the pictures of the document, wherever they stand (also in
    // the header of a page the office has not laid out yet). The office's
    // Word 97 export does not keep them: a .doc stored from a document read
    // from the Word format names its pictures Image1, ...
    QStringList pictureNames() const;
    // Removes every picture or drawing object whose name starts with
    // `prefix`, wherever it stands, laid out or not; in a document read from
    // a Word format, also every picture behind the text that covers a whole
    // page, whatever its name. Returns how many were removed. A frame or
    // text box whose text held something when the placeholders were looked
    // for is a field of the form and stays.
    int removePictures(const QString& prefix);

    // The text of the body, the tables, the text frames and text boxes,
    // one piece per line.
    QString allText() const;

    // Stores the document under `path` in the format of its extension:
    // .odt, .ott, .doc or .dot. An existing file is not overwritten.
    // CannotStore.
    void storeAs(const QString& path);

    // Shows the document in an office window and brings it to the front
    // (a headless office only keeps it open); it stays open after this
    // object goes.
    void show();
    // Closes without saving.
    void close();

    // For tests: the steps of the work on a document, and a function run
    // at the start of each, to bring about what may happen at that moment
    // (an office that ends). Loaded: the office has just given the loaded
    // document; Filling: the first change is about to be made; Storing: the
    // document is about to be stored. An empty function runs nothing.
    enum class Step { Loaded, Filling, Storing };
    static void setStepHook(std::function<void(Step)> hook);

    struct Impl;

private:
    std::shared_ptr<Impl> d_;
};

} // namespace office
