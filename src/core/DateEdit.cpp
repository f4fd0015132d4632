#include "core/DateEdit.h"

#include "platform/ui/Messages.h"

#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QSignalBlocker>
#include <QStringList>
#include <QTimer>

namespace core {

namespace {

// Characters typed between the parts of a date; each is taken as the dot.
constexpr QStringView kSeparators = u".,/-";

// Digits of each part, and the first digit after which the day or the month
// cannot go on (4 as a day's first digit is the 4th).
constexpr int kPartLength[3] = {2, 2, 4};
constexpr int kLastOpenFirstDigit[2] = {3, 1};

// Day, month and year of a date as typed.
struct DateParts {
    int day = 0, month = 0, year = 0;

    QString text() const
    {
        return QStringLiteral("%1.%2.%3")
            .arg(day, 2, 10, QLatin1Char('0'))
            .arg(month, 2, 10, QLatin1Char('0'))
            .arg(year, 4, 10, QLatin1Char('0'));
    }
    // A day and month that could be a date: 1 to 31, 1 to 12.
    bool plausible() const { return day >= 1 && day <= 31 && month >= 1 && month <= 12; }
    bool exists() const { return QDate::isValid(year, month, day); }
    // A day the month has in no year (31.04, 30.02); 29.02 waits for its year.
    bool neverExists() const
    {
        const int most = month == 2 ? 29 : QDate(2000, month, 1).daysInMonth();
        return day > most;
    }
};

bool allDigits(const QString& s)
{
    for (QChar c : s)
        if (!c.isDigit())
            return false;
    return !s.isEmpty();
}

// A text of three dotted numbers with a four-digit year whose day and month
// are plausible but make no date.
std::optional<DateParts> missingDate(const QString& text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    if (parts.size() != 3)
        return std::nullopt;
    const QString &day = parts.at(0), &month = parts.at(1), &year = parts.at(2);
    if (!allDigits(day) || !allDigits(month) || !allDigits(year) || day.size() > 2 || month.size() > 2 ||
        year.size() != 4)
        return std::nullopt;
    const DateParts p{day.toInt(), month.toInt(), year.toInt()};
    if (p.plausible() && !p.exists())
        return p;
    return std::nullopt;
}

// No modifier but those the keypad and the shift key add.
bool plainKey(const QKeyEvent* event)
{
    return !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier));
}

bool isDigitKey(const QKeyEvent* event)
{
    return plainKey(event) && event->text().size() == 1 && event->text().front().isDigit() &&
           event->text().front().unicode() < 128;
}

bool isSeparatorKey(const QKeyEvent* event)
{
    return plainKey(event) && event->text().size() == 1 && kSeparators.contains(event->text().front());
}

} // namespace

QDate parseDate(const QString& text)
{
    const QString s = text.trimmed();
    for (const char* format : {"dd.MM.yyyy", "d.M.yyyy", "dd.MM.yy", "yyyy-MM-dd"}) {
        const QDate d = QDate::fromString(s, QString::fromLatin1(format));
        if (d.isValid())
            return d;
    }
    return {};
}

QString missingDateMessage(const QString& text)
{
    return QStringLiteral("Даты %1 не существует. Проверьте число и месяц.").arg(text);
}

DateEdit::DateEdit(QWidget* parent) : QDateEdit(parent)
{
    setDisplayFormat(QString::fromLatin1(kDateFormat));
    setCalendarPopup(true);
    lineEdit()->installEventFilter(this);
}

void DateEdit::focusInEvent(QFocusEvent* event)
{
    QDateEdit::focusInEvent(event);
    // Typing starts at the day wherever the click put the cursor.
    if (event->reason() != Qt::PopupFocusReason)
        freshFocus_ = true;
    advanced_ = false;
}

void DateEdit::focusOutEvent(QFocusEvent* event)
{
    advanced_ = false;
    if (event->reason() != Qt::PopupFocusReason)
        commitTyping();
    QDateEdit::focusOutEvent(event);
}

bool DateEdit::eventFilter(QObject* watched, QEvent* event)
{
    // A click ends the date being typed before it moves the cursor.
    if (watched == lineEdit() && (event->type() == QEvent::MouseButtonPress ||
                                  event->type() == QEvent::MouseButtonDblClick)) {
        advanced_ = false;
        commitTyping();
    }
    return QDateEdit::eventFilter(watched, event);
}

void DateEdit::keyPressEvent(QKeyEvent* event)
{
    // The message about a refused date is on its way: the keys wait for it,
    // as they would for the message box itself.
    if (refusing_) {
        event->accept();
        return;
    }
    // The field was set from elsewhere since the last key.
    if (typing_ && lineEdit()->text() != typing_->shown)
        typing_.reset();

    if (event->matches(QKeySequence::Paste)) {
        cancelTyping();
        freshFocus_ = advanced_ = false;
        pasteDate();
        event->accept();
        return;
    }
    if (isDigitKey(event) && isEnabled() && !isReadOnly()) {
        if (!typing_) {
            int part = 0;
            if (!freshFocus_ && currentSection() == MonthSection)
                part = 1;
            else if (!freshFocus_ && currentSection() == YearSection)
                part = 2;
            startTyping(part);
        }
        freshFocus_ = false;
        typeDigit(event->text().front());
        event->accept();
        return;
    }
    freshFocus_ = false;
    if (isSeparatorKey(event)) {
        // The part before it filled itself and the typing moved on already.
        const bool passed = advanced_;
        advanced_ = false;
        if (typing_) {
            if (!passed)
                nextPart();
            event->accept();
            return;
        }
        QKeyEvent dot(QEvent::KeyPress, Qt::Key_Period, event->modifiers(), QStringLiteral("."));
        QDateEdit::keyPressEvent(&dot);
        event->accept();
        return;
    }
    advanced_ = false;
    if (typing_) {
        if (event->key() == Qt::Key_Backspace && plainKey(event)) {
            backspace();
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_Escape) {
            cancelTyping();
            event->accept();
            return;
        }
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (!commitTyping() && enter) {
            event->accept();  // Enter must not confirm the window with the date refused
            return;
        }
    }
    QDateEdit::keyPressEvent(event);
}

QValidator::State DateEdit::validate(QString& input, int& pos) const
{
    // What is being typed is shown as typed; it is judged as a whole.
    if (typing_)
        return QValidator::Intermediate;
    // A day the month lacks, put in some other way than by typing: the spin
    // box would quietly take the month's last day instead.
    if (missingDate(input))
        return QValidator::Invalid;
    return QDateEdit::validate(input, pos);
}

void DateEdit::startTyping(int part)
{
    Typing t;
    const QDate d = date();
    t.parts[0] = QStringLiteral("%1").arg(d.day(), 2, 10, QLatin1Char('0'));
    t.parts[1] = QStringLiteral("%1").arg(d.month(), 2, 10, QLatin1Char('0'));
    t.parts[2] = QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0'));
    t.part = part;
    typing_ = t;
}

void DateEdit::typeDigit(QChar digit)
{
    Typing& t = *typing_;
    if (!t.typed[t.part] || t.parts[t.part].size() >= kPartLength[t.part]) {
        t.parts[t.part].clear();
        t.typed[t.part] = true;
    }
    t.parts[t.part] += digit;
    const int length = int(t.parts[t.part].size());
    advanced_ = false;
    if (t.part == 2) {
        if (length == kPartLength[2])
            commitTyping();
        else
            showTyping();
        return;
    }
    // The day and the month move on once no digit can follow.
    if (length == kPartLength[t.part] || digit.digitValue() > kLastOpenFirstDigit[t.part]) {
        nextPart();
        advanced_ = true;
    } else {
        showTyping();
    }
}

void DateEdit::nextPart()
{
    Typing& t = *typing_;
    if (t.part == 2)
        return;
    if (t.part == 1 && t.typed[0]) {
        // A day this month has in no year: said at once.
        const DateParts p{t.parts[0].toInt(), t.parts[1].toInt(), t.parts[2].toInt()};
        if (p.plausible() && p.neverExists()) {
            typing_.reset();
            refuse(p.text());
            return;
        }
    }
    ++t.part;
    // The next part is typed afresh; until then it shows what it held.
    t.typed[t.part] = false;
    showTyping();
}

void DateEdit::backspace()
{
    Typing& t = *typing_;
    if (t.typed[t.part] && !t.parts[t.part].isEmpty()) {
        t.parts[t.part].chop(1);
    } else if (t.part > 0) {
        --t.part;
        t.typed[t.part] = true;
        t.parts[t.part].chop(1);
    }
    showTyping();
}

void DateEdit::showTyping()
{
    Typing& t = *typing_;
    t.shown = t.parts[0] + QLatin1Char('.') + t.parts[1] + QLatin1Char('.') + t.parts[2];
    int start = 0;
    for (int i = 0; i < t.part; ++i)
        start += int(t.parts[i].size()) + 1;
    QLineEdit* line = lineEdit();
    // The spin box must not read the half-typed date meanwhile.
    const QSignalBlocker block(line);
    line->setText(t.shown);
    if (t.typed[t.part])
        line->setCursorPosition(start + int(t.parts[t.part].size()));
    else
        line->setSelection(start, int(t.parts[t.part].size()));
}

void DateEdit::cancelTyping()
{
    if (!typing_)
        return;
    typing_.reset();
    setDate(date());  // shows the date the editor holds again
}

bool DateEdit::commitTyping()
{
    if (!typing_)
        return true;
    if (lineEdit()->text() != typing_->shown) {
        typing_.reset();  // the field was set from elsewhere
        return true;
    }
    const Typing t = *typing_;
    typing_.reset();
    const bool wholeYear = t.parts[2].size() == kPartLength[2];
    const DateParts p{t.parts[0].toInt(), t.parts[1].toInt(), t.parts[2].toInt()};
    const QDate d(p.year, p.month, p.day);
    if (wholeYear && p.plausible() && !p.exists()) {
        refuse(p.text());
        return false;
    }
    if (!wholeYear || !d.isValid() || d < minimumDate() || d > maximumDate()) {
        // Not a date of the field (a year of fewer digits, month 13): the
        // field keeps its date.
        setDate(date());
        return true;
    }
    setDate(d);
    if (hasFocus())
        lineEdit()->setCursorPosition(int(lineEdit()->text().size()));
    return true;
}

void DateEdit::pasteDate()
{
    if (!isEnabled() || isReadOnly())
        return;
    const QString text = QGuiApplication::clipboard()->text().trimmed();
    const QDate d = parseDate(text);
    if (d.isValid() && d >= minimumDate() && d <= maximumDate()) {
        setDate(d);
        selectAll();
        return;
    }
    if (const auto missing = missingDate(text))
        refuse(missing->text());
}

void DateEdit::refuse(const QString& text)
{
    setDate(date());
    if (hasFocus())
        setSelectedSection(DaySection);
    if (refusing_)
        return;
    refusing_ = true;
    // The message waits until the editor has finished with the key.
    QPointer<DateEdit> self(this);
    QTimer::singleShot(0, this, [self, text] {
        if (self)
            self->refusing_ = false;
        ui::msgBox(missingDateMessage(text), ui::Exclamation);
    });
}

} // namespace core
