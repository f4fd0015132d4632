#pragma once
// The date editor of every date field (the record cards' date lines, the
// registry books' date filter). It shows "dd.MM.yyyy" and takes a date typed
// as digits alone (15032015) or with separators (15.03.2015, 5.3.2015): the
// day and the month move on by themselves once they are full, and a
// separator typed right after that is taken as already passed. The typed
// date is judged as a whole once its year is typed or the editor is left,
// never against the month or year the field showed before. A date that does
// not exist (31.02.2014) is refused with a message and the field keeps the
// date it had; no date is ever moved to another day. Pasting a date text
// sets the date. The arrows, the calendar and the other keys work as in any
// date editor.
#include <QDate>
#include <QDateEdit>
#include <QString>

#include <optional>

namespace core {

// The form in which the date fields show and read dates.
inline constexpr const char* kDateFormat = "dd.MM.yyyy";

// A date text in the fields' form (also d.M.yyyy, dd.MM.yy, yyyy-MM-dd); an
// invalid date otherwise.
QDate parseDate(const QString& text);

// The message that refuses a date that does not exist, naming it.
QString missingDateMessage(const QString& text);

class DateEdit : public QDateEdit {
    Q_OBJECT
public:
    explicit DateEdit(QWidget* parent = nullptr);

    // Sets the date of the text on the clipboard; a text that reads as a
    // date that does not exist gets the message, any other text changes
    // nothing. What Ctrl+V and Shift+Insert do.
    void pasteDate();

    // Ends a date being typed: takes it when it exists, refuses it (with
    // the message) when it does not. False when it was refused.
    bool commitTyping();

    QValidator::State validate(QString& input, int& pos) const override;

protected:
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
    // Puts back the date the editor holds and shows the message afterwards.
    void refuse(const QString& text);

    std::optional<Typing> typing_;
    bool freshFocus_ = false;
    bool advanced_ = false;  // the last digit filled its part and moved on
    bool refusing_ = false;
};

} // namespace core
