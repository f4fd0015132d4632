#pragma once
// Failures of the office layer. Every failure carries a number and a
// description for the messages that show both ("... Ошибка: 429 ...") and a
// kind that tells the callers' cases apart: the office cannot be started at
// all, a document cannot be loaded, a document cannot be stored, the office
// went away in the middle of the work, a sheet or frame that does not exist,
// a file too large (or too damaged) to be read within the office's limits,
// anything else the office refused.
#include <QString>

#include <exception>
#include <optional>
#include <stdexcept>

namespace office {

enum class ErrorKind {
    NotStarted,      // office not installed or it cannot start
    CannotLoad,      // a document or template cannot be loaded
    CannotStore,     // a document cannot be stored
    ConnectionLost,  // the office ended or crashed while in use
    NotFound,        // no sheet, frame or cell of that name or index
    TooLarge,        // a file that needs more memory or time than allowed
    Failed,          // any other refusal of the office
};

// Error numbers, after the automation errors of the same meaning where
// there is one.
enum ErrorNumber : int {
    errNotStarted = 429,
    errCannotLoad = 1004,
    errCannotStore = 75,
    errConnectionLost = 462,
    errNotFound = 9,
    errTooLarge = 7,
    errFailed = 440,
};

class Error : public std::runtime_error {
public:
    // `detail` (the office's own message, a file name) follows the kind's
    // description after a colon.
    Error(ErrorKind kind, const QString& detail = {});

    ErrorKind kind() const { return kind_; }
    int number() const { return number_; }
    QString description() const { return description_; }
    QString detail() const { return detail_; }

    // The number and the description joined by one blank, as the messages
    // show them.
    QString numberAndDescription() const;

    // A failure with a cause the user can act on (a full disk, a folder
    // that cannot be written), told in a sentence of its own: `cause` is
    // also the detail after the kind's description.
    static Error withCause(ErrorKind kind, const QString& cause);
    // That sentence; empty for other failures.
    QString cause() const { return cause_; }
    // The message of a failure in `context` ("Не удалось сохранить ...
    // Ошибка: "): the context followed by the number and the description,
    // or, for a failure with a cause, the cause first, then the context,
    // the number and the kind's description.
    QString causeFirst(const QString& context) const;

    // A failure for want of room on the disk of `folder`: its cause says so,
    // in the words the user acts on.
    static Error noSpace(ErrorKind kind, const QString& folder);
    // Whether the failure is for want of room on a disk.
    bool diskFull() const { return diskFull_; }
    // The same failure (its detail, its cause) as one of another kind.
    Error asKind(ErrorKind kind) const;
    // The sentence telling that the disk of `folder` is full.
    static QString noSpaceText(const QString& folder);
    // The sentence telling that the folder cannot be written.
    static QString noWriteAccessText(const QString& folder);

    static QString descriptionOf(ErrorKind kind);

private:
    ErrorKind kind_;
    int number_;
    QString description_;
    QString detail_;
    QString cause_;
    bool diskFull_ = false;
};

// The exception `e` as a failure of the office layer: an office::Error as
// it is, an exception of the office's own objects turned into one
// (ConnectionLost when the office went away); nothing for any other
// exception (or none).
std::optional<Error> officeErrorOf(std::exception_ptr e);

} // namespace office
