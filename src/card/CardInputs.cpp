#include "card/CardInputs.h"

#include "platform/ui/Messages.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace card {

namespace {
// The editor's lowest date stands for "no date" and shows as blank.
const QDate kBlankDate(1752, 9, 14);
const QDate kFirstDate(1752, 9, 15);

// The date editor of a date line. Typing starts at the day wherever the
// click put the cursor, and a date that does not exist (31.02) is refused
// with a message instead of being moved to the end of the month.
class DateEditor : public QDateEdit {
public:
    using QDateEdit::QDateEdit;

protected:
    void focusInEvent(QFocusEvent* event) override
    {
        QDateEdit::focusInEvent(event);
        if (event->reason() != Qt::PopupFocusReason)
            freshFocus_ = true;
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        const bool digit = event->text().size() == 1 && event->text().front().isDigit();
        if (freshFocus_ && digit && event->modifiers() == Qt::NoModifier)
            setSelectedSection(QDateTimeEdit::DaySection);
        freshFocus_ = false;
        QDateEdit::keyPressEvent(event);
    }

    QValidator::State validate(QString& input, int& pos) const override
    {
        // A complete date of the line's form whose day the month lacks: the
        // editor would quietly take the month's last day.
        const QStringList parts = input.trimmed().split(QLatin1Char('.'));
        if (parts.size() == 3 && parts.at(0).size() == 2 && parts.at(1).size() == 2 && parts.at(2).size() == 4) {
            bool okDay = false, okMonth = false, okYear = false;
            const int day = parts.at(0).toInt(&okDay);
            const int month = parts.at(1).toInt(&okMonth);
            const int year = parts.at(2).toInt(&okYear);
            if (okDay && okMonth && okYear && day >= 1 && day <= 31 && month >= 1 && month <= 12 &&
                !QDate::isValid(year, month, day)) {
                refuse(input.trimmed());
                return QValidator::Invalid;
            }
        }
        return QDateEdit::validate(input, pos);
    }

private:
    // The message waits until the editor has finished with the key.
    void refuse(const QString& text) const
    {
        if (refusing_)
            return;
        refusing_ = true;
        QTimer::singleShot(0, this, [this, text] {
            ui::msgBox(QStringLiteral("Даты %1 не существует. Проверьте число и месяц.").arg(text), ui::Exclamation);
            refusing_ = false;
        });
    }

    bool freshFocus_ = false;
    mutable bool refusing_ = false;
};
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

DateLine::DateLine(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    box_ = new QCheckBox(this);
    box_->setToolTip(QStringLiteral("Отметьте, чтобы указать дату"));
    editor_ = new DateEditor(this);
    editor_->setDisplayFormat(QString::fromLatin1(kDateFormat));
    editor_->setCalendarPopup(true);
    editor_->setSpecialValueText(QStringLiteral(" "));
    layout->addWidget(box_);
    layout->addWidget(editor_, 1);
    applyState(false, {});

    connect(box_, &QCheckBox::toggled, this, [this](bool on) {
        if (updating_)
            return;
        applyState(on, lastDate_.isValid() ? lastDate_ : QDate::currentDate());
        if (on)
            editor_->setFocus(Qt::OtherFocusReason);
        Q_EMIT changed();
    });
    connect(editor_, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        if (updating_ || !box_->isChecked())
            return;
        lastDate_ = d;
        Q_EMIT changed();
    });
}

void DateLine::applyState(bool hasDate, const QDate& date)
{
    updating_ = true;
    box_->setChecked(hasDate);
    if (hasDate) {
        editor_->setMinimumDate(kFirstDate);
        editor_->setDate(date);
        lastDate_ = date;
        editor_->setEnabled(true);
        setFocusProxy(editor_);
    } else {
        editor_->setMinimumDate(kBlankDate);
        editor_->setDate(kBlankDate);
        editor_->setEnabled(false);
        setFocusProxy(box_);
    }
    updating_ = false;
}

QVariant DateLine::value() const
{
    return hasDate() ? QVariant(editor_->date()) : QVariant();
}

void DateLine::setValue(const QVariant& value)
{
    QDate d;
    if (value.typeId() == QMetaType::QDate)
        d = value.toDate();
    else if (value.typeId() == QMetaType::QDateTime)
        d = value.toDateTime().date();
    else if (value.isValid())
        d = parseDate(value.toString());
    const QString before = text();
    applyState(d.isValid(), d);
    if (text() != before)
        Q_EMIT changed();
}

bool DateLine::hasDate() const
{
    return box_->isChecked();
}

QDate DateLine::date() const
{
    return hasDate() ? editor_->date() : QDate();
}

QString DateLine::text() const
{
    return hasDate() ? editor_->date().toString(QString::fromLatin1(kDateFormat)) : QString();
}

UpDown::UpDown(QLineEdit* buddy, int minimum, int maximum, int start, QWidget* parent)
    : QWidget(parent), buddy_(buddy), minimum_(minimum), maximum_(maximum), value_(start)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int step : {1, -1}) {
        auto* button = new QToolButton(this);
        button->setArrowType(step > 0 ? Qt::UpArrow : Qt::DownArrow);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        connect(button, &QToolButton::clicked, this, [this, step] { stepBy(step); });
        layout->addWidget(button);
    }
    if (buddy_)
        buddy_->installEventFilter(this);
}

void UpDown::stepBy(int steps)
{
    if (!buddy_ || !buddy_->isEnabled() || buddy_->isReadOnly())
        return;
    bool ok = false;
    const int typed = buddy_->text().trimmed().toInt(&ok);
    if (ok && typed >= minimum_ && typed <= maximum_)
        value_ = typed;
    value_ = std::clamp(value_ + steps, minimum_, maximum_);
    buddy_->setText(QString::number(value_));
}

bool UpDown::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == buddy_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            stepBy(key->key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return false;
}

} // namespace card
