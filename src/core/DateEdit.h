#pragma once
// The date editor of every date field (the record cards' date lines, the
// registry books' date filter). It shows "dd.MM.yyyy" and takes a date typed
// as digits alone (15032015) or with separators (15.03.2015, 5.3.2015): the
// day and the month move on by themselves once they are full, and a
// separator typed right after that is taken as already passed. The typed
// date is judged as a whole once its year is typed or the editor is left,
// never against the month or year the field showed before. A date that does
// not exist (31.02.2014) is refused with a message and the field keeps the
// date it had; no date is ever moved to another day. A year may be typed
// with two digits (01.03.15 is 01.03.2015); Backspace after a date was taken
// goes back into it, so that its last part can be typed again. Whatever was
// typed is either taken or refused with a message, never dropped. Pasting
// reads the text as typing does. The arrows, the calendar and the other keys
// work as in any date editor.
#include <QDate>
#include <QDateEdit>
#include <QString>

#include <optional>

class QMenu;

namespace core {

// The form in which the date fields show and read dates.
inline constexpr const char* kDateFormat = "dd.MM.yyyy";

// The year of a year written with two digits: the one of its century that
// falls within the 100 years from 90 before `currentYear` to 9 after it,
// the years of birth and of documents (in 2026: 15 is 2015, 35 is 2035, 36
// is 1936, 99 is 1999).
int fullYear(int twoDigitYear, int currentYear);

// How a date text reads. A text of three numbers (day, month, year, parted by
// ".", ",", "/" or "-"; also ddMMyyyy, ddMMyy and yyyy-MM-dd) is either a date
// or refused with the message that says why; any other text is no date at
// all and refuses nothing. A year of two digits is read by fullYear.
struct DateReading {
    QDate date;       // the date, when the text is one
    QString refusal;  // the message, when the text looks like a date but is none
};
DateReading readDate(const QString& text, int currentYear);
DateReading readDate(const QString& text);  // in the current year

// The date of a date text (the forms of readDate); an invalid date otherwise.
QDate parseDate(const QString& text);

// The message that refuses a date that does not exist, naming it.
QString missingDateMessage(const QString& text);
// The message that refuses a date of which a part is missing or of the
// wrong length (a year of three digits), naming it as typed.
QString incompleteDateMessage(const QString& text);
// The message that refuses a date outside the field's range.
QString outOfRangeDateMessage(const QDate& date, const QDate& first, const QDate& last);

class DateEdit : public QDateEdit {
    Q_OBJECT
public:
    explicit DateEdit(QWidget* parent = nullptr);

    // Sets the date of the text on the clipboard; a text that looks like a
    // date but is none gets the message. Any other text is taken as its
    // characters would be typed: "15.03.2015 г." gives 15.03.2015, a text
    // without digits changes nothing. What Ctrl+V, Shift+Insert and the
    // context menu's paste do.
    void pasteDate();

    // Ends a date being typed: takes it when it exists, refuses it (with
    // the message) when it does not. False when it was refused.
    bool commitTyping();

    QValidator::State validate(QString& input, int& pos) const override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // A date being typed: the text of each part (day, month, year), which
    // of them the next digit goes to, and which were typed.
    struct Typing {
        QString parts[3];
        bool typed[3] = {false, false, false};
        int part = 0;
        QString shown;  // the text the editor shows for it
    };

    void startTyping(int part);
    void typeDigit(QChar digit);
    void nextPart();
    void backspace();
    void showTyping();
    void cancelTyping();
    // Backspace with no date being typed: goes back into the part before
    // the cursor. False when it was left to the editor.
    bool backspaceIntoDate();
    // Makes the context menu's paste action paste a date (pasteDate).
    void routeMenuPaste(QMenu* menu);
    // Types the digits and separators of `text` from the day on, as the
    // keys would; the first other character after a digit ends the date.
    // True when a date was typed and taken.
    bool typeText(const QString& text);
    // Takes a date read from what was typed or pasted, or refuses it.
    bool take(const DateReading& reading);
    // Puts back the date the editor holds and shows the message afterwards.
    void refuse(const QString& message);

    std::optional<Typing> typing_;
    bool freshFocus_ = false;
    bool advanced_ = false;  // the last digit filled its part and moved on
    bool refusing_ = false;
};

} // namespace core
