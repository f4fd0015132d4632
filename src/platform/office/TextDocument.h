#pragma once
// A text document (a Word or Writer template) opened for adjusting its
// layout: its floating frames (text boxes and groups) with their positions
// and texts, its tables, its page margins; frames moved; saved in place in
// the file's own format or closed without saving.
//
// The office's Word 97 export renames frames, reorders the objects and
// makes every frame, picture and group a little smaller on each save. The
// document therefore keeps, in a document property of its own, a record of
// every object (what it is, where, how big, its text, its name), written
// just before the store; objects of a file are matched with that record by
// what they are, never by their place in the document. A save writes a
// copy first, reads it back, grows the sizes the export shrinks until they
// read back unchanged, and puts the copy in place of the file only when
// every object came back where it was: otherwise the save is refused
// (SaveRefused) and the file stays as it was. Failures throw office::Error.
#include "platform/office/OfficeError.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace com::sun::star {
namespace uno {
template <class interface_type> class Reference;
}
namespace lang {
class XComponent;
}
} // namespace com::sun::star

namespace office {

// A save refused because the file would not come back as the document is;
// the file is left untouched. detail() says why, in a sentence.
class SaveRefused : public Error {
public:
    explicit SaveRefused(const QString& reason) : Error(ErrorKind::CannotStore, reason) {}
};

// Why a file cannot be a text document of its extension's format, judged
// by its first bytes before the office is given it (a file of random bytes
// or an empty one can end the office with every document open in it);
// empty when it may be one, and for extensions not judged here.
QString documentFileDefect(const QString& path);

// Removes from `folder` the copies that saves of a run killed in the middle
// left behind (hidden files beginning ".~kalveta-"); the copy a running
// save writes stays.
void removeLeftCopies(const QString& folder);
QString templateCopyName(const QString& templatePath, const QString& pid);  // "<folder>/.~kalveta-<pid>-XXXXXX.<suffix>"

class TextDocument {
public:
    struct Frame {
        QString name;
        QString text;       // without carriage returns
        // Points from the page's left and top edges where the frame is
        // drawn (a frame placed from its paragraph counts from the margin).
        double left = 0;
        double top = 0;
        double width = 0;   // points (as drawn, for a frame as wide as its text)
        double height = 0;
        bool group = false;
        // Anchored as a character: it moves with the text and cannot be
        // moved by itself.
        bool movable = true;
        // In a header or footer: drawn on every page of its page style.
        bool everyPage = false;
    };
    struct Margins {
        double left = 0;  // points
        double top = 0;
        double right = 0;
        double bottom = 0;
    };

    TextDocument() = default;

    // Opens the file itself for editing (a template is not turned into a new
    // document), in a window unless `hidden` or the office is headless.
    // Starts the office when it does not run. CannotLoad (also for a file
    // the office reads as something else than a text document of its
    // extension's format), NotStarted.
    static TextDocument open(const QString& path, bool hidden = false);
    // A new, empty text document.
    static TextDocument createNew(bool hidden = false);

    bool isOpen() const;
    // Whether opening this document had to start the office.
    bool startedOffice() const;
    QString path() const;

    // Text boxes and groups of the document in the document's order; other
    // objects (pictures, lines) are not listed. A frame of a header or
    // footer is listed once however many page styles show it. A frame whose
    // text cannot be read is listed with an empty text.
    QList<Frame> frames() const;
    // Text of the first cell of every table, without carriage returns and
    // end-of-cell marks.
    QStringList tableFirstCells() const;
    Margins pageMargins() const;

    // Moves listed frame `index` (0-based) by the given points, every copy
    // of a header or footer frame alike. A frame aligned on the page (right,
    // centred, ...) is first placed where it is drawn. A frame may be moved
    // past the page's edge: the save tells when the file's format would not
    // keep it there. NotFound for a wrong index; Failed for a frame that is
    // not movable.
    void moveFrame(int index, double dx, double dy);

    // What the file's format will write differently from the document
    // (rotated text boxes, frames wider than the page, page-number fields),
    // one sentence each; empty when the save keeps everything.
    QStringList saveWarnings() const;

    // Saves the file in place in its own format. SaveRefused when the
    // result would not be faithful (the file is left as it was);
    // CannotStore when the office cannot write it.
    void save();
    // Closes without saving.
    void close();
    // Ends the office when opening this document started it and it shows
    // no other document; returns true when the office was ended.
    bool quitOfficeIfStarted();

    void setVisible(bool visible);
    void activate();

    // For the office layer: whether a text document loaded from `path` was
    // read as its extension's format says (a file the office read as
    // something else is damaged or not what its name says).
    static bool readAsItsFormat(const com::sun::star::uno::Reference<com::sun::star::lang::XComponent>& doc,
                                const QString& path);

    // For the office layer: false when the file at `path` surely holds no
    // record of a save here (a file of a Word format, which keeps the
    // record's name as it is, without that name in it); true otherwise.
    // Reads the file only.
    static bool mayHoldRecordedLayout(const QString& path);

    // For the office layer: gives the objects of a text document loaded in
    // any other way (a new document made from a template, say) the names the
    // record of the last save here keeps, as open() does. Leaves the names
    // the file has when the document has no record or its objects no longer
    // match it. Returns whether the document has a record at all. UNO
    // exceptions pass through.
    static bool restoreRecordedLayout(const com::sun::star::uno::Reference<com::sun::star::lang::XComponent>& doc);
    // Removes that record from a document (one made from a template keeps
    // no record of the template's objects). UNO exceptions pass through.
    static void dropRecordedLayout(const com::sun::star::uno::Reference<com::sun::star::lang::XComponent>& doc);

    struct Impl;

private:
    std::shared_ptr<Impl> d_;
};

} // namespace office
