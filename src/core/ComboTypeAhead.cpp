#include "core/ComboTypeAhead.h"

#include "core/AppState.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QVariant>

namespace core {
namespace {

constexpr const char* kControlIndexProperty = "controlArrayIndex";

bool typeAheadOn()
{
    return state().ComboTypeAhead;
}

// Routes the combo's Backspace and focus loss to the type-ahead handlers.
class TypeAheadFilter : public QObject {
public:
    explicit TypeAheadFilter(QComboBox* combo) : QObject(combo), combo_(combo) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != combo_)
            return false;
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const Qt::KeyboardModifiers mods =
                key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
            if (key->key() == Qt::Key_Backspace && mods == Qt::NoModifier)
                ComboTypeAheadKeyDown(combo_);
        } else if (event->type() == QEvent::FocusOut) {
            const auto* focus = static_cast<QFocusEvent*>(event);
            if (focus->reason() != Qt::PopupFocusReason)
                ComboTypeAheadLostFocus(combo_);
        }
        return false;
    }

private:
    QComboBox* combo_;
};

} // namespace

void ComboTypeAheadChange(QComboBox* combo)
{
    if (!typeAheadOn() || !combo || !combo->lineEdit())
        return;
    const QString text = combo->currentText();
    if (text.isEmpty())
        return;
    const qsizetype n = text.size();
    for (int i = 0; i < combo->count(); ++i) {
        const QString item = combo->itemText(i);
        if (QStringView(item).left(n).compare(text, Qt::CaseInsensitive) != 0)
            continue;
        combo->setCurrentIndex(i);
        if (combo->lineEdit()->text() != item)
            combo->setEditText(item);
        combo->lineEdit()->setSelection(static_cast<int>(n), static_cast<int>(item.size() - n));
        return;
    }
}

void ComboTypeAheadKeyDown(QComboBox* combo)
{
    if (!typeAheadOn() || !combo || !combo->lineEdit())
        return;
    QLineEdit* edit = combo->lineEdit();
    const QString selected = edit->selectedText();
    if (selected == edit->text())
        return;
    const int start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    if (start <= 0)
        return;
    edit->setSelection(start - 1, static_cast<int>(selected.size()) + 1);
}

void ComboTypeAheadLostFocus(QComboBox* combo)
{
    if (!typeAheadOn() || !combo)
        return;
    const QString text = combo->currentText();
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i) == text) {
            combo->setCurrentIndex(i);
            return;
        }
    }
    combo->setCurrentIndex(-1);
    combo->setEditText(QString());
}

void prepareTypeAheadCombo(QComboBox* combo)
{
    combo->setEditable(true);
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
}

void installComboTypeAhead(QComboBox* combo)
{
    prepareTypeAheadCombo(combo);
    auto* filter = new TypeAheadFilter(combo);
    // The line edit is the combo's focus proxy: keys and focus changes reach
    // the combo first.
    combo->installEventFilter(filter);
    QObject::connect(combo, &QComboBox::editTextChanged, combo, [combo](const QString&) { ComboTypeAheadChange(combo); });
}

int comboListIndex(const QComboBox* combo)
{
    if (!combo)
        return -1;
    const int index = combo->currentIndex();
    if (index < 0)
        return -1;
    if (combo->isEditable() && combo->currentText() != combo->itemText(index))
        return -1;
    return index;
}

void setControlArrayIndex(QWidget* control, int index)
{
    control->setProperty(kControlIndexProperty, index);
}

int controlArrayIndex(const QWidget* control)
{
    if (!control)
        return -1;
    const QVariant v = control->property(kControlIndexProperty);
    bool ok = false;
    const int index = v.toInt(&ok);
    return v.isValid() && ok ? index : -1;
}

long ControlArrayId(const QWidget* control)
{
    const int index = controlArrayIndex(control);
    if (index < 0)
        return -1;
    const QString name = control->objectName();
    if (name.isEmpty())
        return 0;
    const QChar last = name.back();
    int digit = (last >= QLatin1Char('0') && last <= QLatin1Char('9')) ? last.digitValue() : 0;
    if (digit == 0)
        digit = 10;
    return static_cast<long>(digit - 1) * 30000L + index;
}

void UndoActiveControl(QWidget* form)
{
    if (!form)
        return;
    QWidget* active = form->focusWidget();
    if (!active)
        return;
    if (auto* combo = qobject_cast<QComboBox*>(active)) {
        if (combo->lineEdit())
            combo->lineEdit()->undo();
        return;
    }
    if (auto* edit = qobject_cast<QLineEdit*>(active)) {
        edit->undo();
        return;
    }
    if (auto* text = qobject_cast<QTextEdit*>(active)) {
        text->undo();
        return;
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(active)) {
        plain->undo();
        return;
    }
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(active)) {
        if (auto* inner = spin->findChild<QLineEdit*>())
            inner->undo();
    }
}

} // namespace core
