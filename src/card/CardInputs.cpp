#include "card/CardInputs.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace card {

namespace {
// The editor's lowest date stands for "no date" and shows as blank.
const QDate kBlankDate(1752, 9, 14);
const QDate kFirstDate(1752, 9, 15);
} // namespace

DateLine::DateLine(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    box_ = new QCheckBox(this);
    box_->setToolTip(QStringLiteral("Отметьте, чтобы указать дату"));
    editor_ = new core::DateEdit(this);
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
