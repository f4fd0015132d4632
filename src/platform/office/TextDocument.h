#pragma once
// A text document (a Word or Writer template) opened for adjusting its
// layout: its floating frames (text boxes and groups) with their positions
// and texts, its tables, its page margins; frames moved; saved in place in
// the file's own format or closed without saving.
//
// The office's Word 97 export renames frames and makes every frame and
// picture a little smaller on each save; the document keeps the names and
// exact positions in a document property of its own and saves sizes so
// that they read back unchanged, so that a template saved again and again
// changes in nothing but the moves. Failures throw office::Error.
#include "platform/office/OfficeError.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace office {

class TextDocument {
public:
    struct Frame {
        QString name;
        QString text;       // without carriage returns
        double left = 0;    // points, from where the frame is anchored
        double top = 0;
        double width = 0;   // points
        double height = 0;
        bool group = false;
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
    // Starts the office when it does not run. CannotLoad, NotStarted.
    static TextDocument open(const QString& path, bool hidden = false);
    // A new, empty text document.
    static TextDocument createNew(bool hidden = false);

    bool isOpen() const;
    // Whether opening this document had to start the office.
    bool startedOffice() const;
    QString path() const;

    // Text boxes and groups of the document in the document's order; other
    // objects (pictures, lines) are not listed.
    QList<Frame> frames() const;
    // Text of the first cell of every table, without carriage returns and
    // end-of-cell marks.
    QStringList tableFirstCells() const;
    Margins pageMargins() const;

    // Moves listed frame `index` (0-based) by the given points.
    void moveFrame(int index, double dx, double dy);

    // Saves the file in place in its own format. CannotStore.
    void save();
    // Closes without saving.
    void close();
    // Ends the office when opening this document started it and it shows
    // no other document; returns true when the office was ended.
    bool quitOfficeIfStarted();

    void setVisible(bool visible);
    void activate();

    struct Impl;

private:
    std::shared_ptr<Impl> d_;
};

} // namespace office
