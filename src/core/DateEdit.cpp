#include "core/DateEdit.h"

#include "platform/ui/Messages.h"

#include <QAction>
#include <QChildEvent>
#include <QClipboard>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QSignalBlocker>
#include <QStringList>
#include <QRegularExpression>
#include <QTimer>

#include <array>

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
    bool exists() const { return QDate::isValid(year, month, day); }
};

bool allDigits(QStringView s)
{
    for (QChar c : s)
        if (!c.isDigit() || c.unicode() >= 128)
            return false;
    return !s.isEmpty();
}

bool onlyDigitsAndSeparators(QStringView s)
{
    for (QChar c : s)
        if (!(c.isDigit() && c.unicode() < 128) && !kSeparators.contains(c))
            return false;
    return true;
}

// Day, month and year as written; nothing when the text is no date text.
std::optional<std::array<QString, 3>> splitDate(const QString& text)
{
    if (text.isEmpty() || !onlyDigitsAndSeparators(text))
        return std::nullopt;
    if (allDigits(text)) {
        // Digits alone, as they are typed: ddMMyy or ddMMyyyy.
        if (text.size() != 6 && text.size() != 8)
            return std::nullopt;
        return std::array<QString, 3>{text.left(2), text.mid(2, 2), text.mid(4)};
    }
    QStringList parts;
    QString part;
    for (QChar c : text) {
        if (kSeparators.contains(c)) {
            parts << part;
            part.clear();
        } else {
            part += c;
        }
    }
    parts << part;
    if (parts.size() != 3)
        return std::nullopt;
    return std::array<QString, 3>{parts.at(0), parts.at(1), parts.at(2)};
}

// A date of the three parts as written: a day and a month of one or two
// digits, a year of two or four.
DateReading readParts(const std::array<QString, 3>& parts, int currentYear)
{
    const QString& day = parts[0];
    const QString& month = parts[1];
    const QString& year = parts[2];
    const bool complete = allDigits(day) && allDigits(month) && allDigits(year) && day.size() <= 2 &&
                          month.size() <= 2 && (year.size() == 2 || year.size() == 4);
    if (!complete)
        return {QDate(), incompleteDateMessage(day + QLatin1Char('.') + month + QLatin1Char('.') + year)};
    const DateParts p{day.toInt(), month.toInt(),
                      year.size() == 2 ? fullYear(year.toInt(), currentYear) : year.toInt()};
    if (!p.exists())
        return {QDate(), missingDateMessage(p.text())};
    return {QDate(p.year, p.month, p.day), QString()};
}

// A text of the editor's own form (a four-digit year) whose day and month
// could be a date's (1 to 31, 1 to 12) but make none: the spin box would
// quietly take the month's last day instead.
bool dayTheMonthLacks(const QString& text)
{
    const auto parts = splitDate(text.trimmed());
    if (!parts || (*parts)[2].size() != 4 || !allDigits((*parts)[0]) || !allDigits((*parts)[1]) ||
        !allDigits((*parts)[2]) || (*parts)[0].size() > 2 || (*parts)[1].size() > 2)
        return false;
    const DateParts p{(*parts)[0].toInt(), (*parts)[1].toInt(), (*parts)[2].toInt()};
    return p.day >= 1 && p.day <= 31 && p.month >= 1 && p.month <= 12 && !p.exists();
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

int fullYear(int twoDigitYear, int currentYear)
{
    const int first = currentYear - 90;
    int year = first - first % 100 + twoDigitYear % 100;
    if (year < first)
        year += 100;
    return year;
}

DateReading readDate(const QString& text, int currentYear)
{
    const QString s = text.trimmed();
    static const QRegularExpression iso(QStringLiteral("^\\d{4}-\\d{1,2}-\\d{1,2}$"));
    if (iso.match(s).hasMatch()) {
        const QStringList parts = s.split(QLatin1Char('-'));
        return readParts({parts.at(2), parts.at(1), parts.at(0)}, currentYear);
    }
    if (const auto parts = splitDate(s))
        return readParts(*parts, currentYear);
    return {};
}

DateReading readDate(const QString& text)
{
    return readDate(text, QDate::currentDate().year());
}

QDate parseDate(const QString& text)
{
    return readDate(text).date;
}

QString missingDateMessage(const QString& text)
{
    return QStringLiteral("Даты %1 не существует. Проверьте число и месяц.").arg(text);
}

QString incompleteDateMessage(const QString& text)
{
    return QStringLiteral("Дата %1 введена не полностью. Укажите число, месяц и год (год — четырьмя или двумя "
                          "цифрами).")
        .arg(text);
}

QString outOfRangeDateMessage(const QDate& date, const QDate& first, const QDate& last)
{
    const QString format = QString::fromLatin1(kDateFormat);
    return QStringLiteral("Дату %1 указать нельзя: допустимы даты с %2 по %3.")
        .arg(date.toString(format), first.toString(format), last.toString(format));
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

bool DateEdit::event(QEvent* event)
{
    // Tab ends the date being typed before the editor moves on with it.
    if (event->type() == QEvent::KeyPress && typing_) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            advanced_ = false;
            if (!commitTyping()) {
                event->accept();
                return true;
            }
        }
    }
    return QDateEdit::event(event);
}

bool DateEdit::eventFilter(QObject* watched, QEvent* event)
{
    // The context menu's "Вставить" pastes as Ctrl+V does: the menu is made
    // as a child of the editor's text and filled before it is shown (and
    // polished).
    if (watched == lineEdit() && event->type() == QEvent::ChildPolished) {
        if (auto* menu = qobject_cast<QMenu*>(static_cast<QChildEvent*>(event)->child()))
            routeMenuPaste(menu);
    }
    // A click ends the date being typed before it moves the cursor.
    if (watched == lineEdit() && (event->type() == QEvent::MouseButtonPress ||
                                  event->type() == QEvent::MouseButtonDblClick)) {
        advanced_ = false;
        commitTyping();
    }
    return QDateEdit::eventFilter(watched, event);
}

void DateEdit::routeMenuPaste(QMenu* menu)
{
    const QString paste = QCoreApplication::translate("QLineEdit", "&Paste");
    for (QAction* action : menu->actions()) {
        if (!action->text().startsWith(paste))
            continue;
        disconnect(action, &QAction::triggered, lineEdit(), nullptr);
        connect(action, &QAction::triggered, this, &DateEdit::pasteDate, Qt::UniqueConnection);
    }
}

void DateEdit::keyPressEvent(QKeyEvent* event)
{
    // The message about a refused date is on its way: the keys wait for it,
    // as they would for the message box itself.
    if (refusing_) {
        event->accept();
        return;
    }
    // A modifier key alone (the Ctrl of Ctrl+V) changes nothing yet.
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        QDateEdit::keyPressEvent(event);
        return;
    default:
        break;
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
    if (!typing_ && event->key() == Qt::Key_Backspace && plainKey(event) && backspaceIntoDate()) {
        event->accept();
        return;
    }
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
    if (dayTheMonthLacks(input))
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
    // A day the month lacks waits for the year, so that the message names
    // the year typed.
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

bool DateEdit::backspaceIntoDate()
{
    QLineEdit* line = lineEdit();
    if (!isEnabled() || isReadOnly() || line->hasSelectedText())
        return false;
    const QString text = line->text();
    const QStringList shown = text.split(QLatin1Char('.'));
    if (shown.size() != 3)
        return false;
    // The part the cursor is in, and how much of it lies before the cursor.
    const int cursor = line->cursorPosition();
    int part = 0;
    int start = 0;
    while (part < 2 && cursor > start + shown.at(part).size()) {
        start += int(shown.at(part).size()) + 1;
        ++part;
    }
    startTyping(part);
    Typing& t = *typing_;
    t.parts[part] = shown.at(part).left(cursor - start);
    t.typed[part] = !t.parts[part].isEmpty();
    t.shown = text;
    backspace();
    return true;
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
    bool digitsLeft = false;
    for (int i = 0; i < 3; ++i)
        digitsLeft = digitsLeft || (t.typed[i] && !t.parts[i].isEmpty());
    if (!digitsLeft) {
        // Every digit typed was erased again: nothing was typed.
        setDate(date());
        return true;
    }
    return take(readDate(t.parts[0] + QLatin1Char('.') + t.parts[1] + QLatin1Char('.') + t.parts[2]));
}

bool DateEdit::take(const DateReading& reading)
{
    if (!reading.refusal.isEmpty()) {
        refuse(reading.refusal);
        return false;
    }
    const QDate& d = reading.date;
    // The lowest date of a field that shows it as blank is no date to take.
    const QDate first = specialValueText().isEmpty() ? minimumDate() : minimumDate().addDays(1);
    if (d < first || d > maximumDate()) {
        refuse(outOfRangeDateMessage(d, first, maximumDate()));
        return false;
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
    cancelTyping();
    freshFocus_ = advanced_ = false;
    const QString text = QGuiApplication::clipboard()->text();
    const DateReading reading = readDate(text);
    if (reading.date.isValid() || !reading.refusal.isEmpty()) {
        if (take(reading))
            selectAll();
        return;
    }
    // Any other text ("15.03.2015 г.") is read as its keys would be typed.
    if (typeText(text))
        selectAll();
}

bool DateEdit::typeText(const QString& text)
{
    bool started = false;
    for (const QChar c : text) {
        if (c.isDigit() && c.unicode() < 128) {
            if (!typing_) {
                if (started)
                    break;  // the date typed has been taken or refused
                startTyping(0);
                started = true;
            }
            typeDigit(c);
            continue;
        }
        if (kSeparators.contains(c)) {
            const bool passed = advanced_;
            advanced_ = false;
            if (typing_ && !passed)
                nextPart();
            continue;
        }
        // Any other character ends a date being typed; before one, it
        // changes nothing.
        advanced_ = false;
        if (typing_)
            break;
    }
    advanced_ = false;
    // The year's last digit has taken the date (or refused it) already.
    const bool taken = typing_ ? commitTyping() : !refusing_;
    return started && taken;
}

void DateEdit::refuse(const QString& message)
{
    setDate(date());
    if (hasFocus())
        setSelectedSection(DaySection);
    if (refusing_)
        return;
    refusing_ = true;
    // The message waits until the editor has finished with the key.
    QPointer<DateEdit> self(this);
    QTimer::singleShot(0, this, [self, message] {
        if (self)
            self->refusing_ = false;
        ui::msgBox(message, ui::Exclamation);
    });
}

} // namespace core
