#include "card/CardClipboard.h"

#include "card/CardInputs.h"
#include "card/frmSD1.h"
#include "card/frmSim.h"
#include "core/AppState.h"
#include "platform/ui/Messages.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace card {

namespace {

// Where text goes in a line: its one-line editor (a text, year, list or
// hours line) or its memo.
struct TextTarget {
    QLineEdit* edit = nullptr;
    QPlainTextEdit* memo = nullptr;
    bool valid() const { return edit || memo; }
};

TextTarget targetOf(const frmSD1& card, int line)
{
    TextTarget t;
    if (QLineEdit* e = card.Text1(line))
        t.edit = e;
    else if (QLineEdit* e3 = card.Text3(line))
        t.edit = e3;
    else if (QComboBox* c = card.Cm1(line))
        t.edit = c->lineEdit();
    else if (QComboBox* c2 = card.Cm2(line))
        t.edit = c2->lineEdit();
    else if (QPlainTextEdit* m = card.Text2(line))
        t.memo = m;
    return t;
}

struct Selection {
    int start = 0;
    int length = 0;
};

Selection selectionOf(const TextTarget& t)
{
    if (t.edit) {
        if (t.edit->hasSelectedText())
            return {t.edit->selectionStart(), int(t.edit->selectedText().size())};
        return {t.edit->cursorPosition(), 0};
    }
    if (t.memo) {
        const QTextCursor c = t.memo->textCursor();
        return {c.selectionStart(), c.selectionEnd() - c.selectionStart()};
    }
    return {};
}

// The text of the line becomes its first `start` characters, `text`, and
// what followed the selection; the caret stands after the inserted text.
void insertInto(frmSD1& card, int line, const TextTarget& t, Selection sel, const QString& text)
{
    if (t.edit) {
        const QString s = t.edit->text();
        sel.start = std::clamp(sel.start, 0, int(s.size()));
        sel.length = std::clamp(sel.length, 0, int(s.size()) - sel.start);
        const QString result = s.left(sel.start) + text + s.mid(sel.start + sel.length);
        if (result.size() > t.edit->maxLength())
            return;  // would be cut: the line keeps its text
        t.edit->setText(result);
        t.edit->setCursorPosition(sel.start + int(text.size()));
        if (card.Cm1(line))
            card.Cm1_Change(line);
    } else if (t.memo) {
        QTextCursor c = t.memo->textCursor();
        const int length = t.memo->document()->characterCount() - 1;
        sel.start = std::clamp(sel.start, 0, length);
        sel.length = std::clamp(sel.length, 0, length - sel.start);
        c.setPosition(sel.start);
        c.setPosition(sel.start + sel.length, QTextCursor::KeepAnchor);
        c.insertText(text);
        t.memo->setTextCursor(c);
    }
    card.focusLine(line);
}

QString memoSelection(const QPlainTextEdit* memo)
{
    QString s = memo->textCursor().selectedText();
    s.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    s.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return s;
}

} // namespace

void pasteIntoLine(frmSD1& card)
{
    QClipboard* clipboard = QApplication::clipboard();
    QString text = clipboard->text();
    if (text.isEmpty())
        return;
    const int line = card.focusedLine();
    if (line < 0)
        return;
    switch (card.field(line).controlKind) {
    case List: {
        text.replace(QLatin1String("\r\n"), QLatin1String(" "));
        text.replace(QLatin1Char('\r'), QLatin1Char(' '));
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        clipboard->setText(text);
        const TextTarget t = targetOf(card, line);
        insertInto(card, line, t, selectionOf(t), text);
        break;
    }
    case Text:
    case Memo: {
        const TextTarget t = targetOf(card, line);
        insertInto(card, line, t, selectionOf(t), text);
        break;
    }
    case Date: {
        // Read as a date typed or pasted into the line itself: a text that
        // looks like a date but is none is refused with the message.
        const core::DateReading reading = core::readDate(text);
        if (!reading.refusal.isEmpty())
            ui::msgBox(reading.refusal, ui::Exclamation);
        else if (reading.date.isValid())
            card.DT1(line)->setValue(reading.date);
        break;
    }
    default:
        break;
    }
}

void copyFromLine(frmSD1& card)
{
    const int line = card.focusedLine();
    if (line < 0)
        return;
    QClipboard* clipboard = QApplication::clipboard();
    switch (card.field(line).controlKind) {
    case Text:
        // A password stays where it is.
        if (card.Text1(line)->echoMode() == QLineEdit::Normal)
            clipboard->setText(card.Text1(line)->selectedText());
        break;
    case List:
        clipboard->setText(card.Cm1(line)->lineEdit()->selectedText());
        break;
    case Memo:
        clipboard->setText(memoSelection(card.Text2(line)));
        break;
    case Date:
        clipboard->setText(card.DT1(line)->text());
        break;
    default:
        break;
    }
}

void insertQuotationMark(frmSD1& card)
{
    // The line and its selection now: the dialog takes the focus away.
    const int line = card.focusedLine();
    const TextTarget target = line >= 0 ? targetOf(card, line) : TextTarget{};
    const Selection selection = selectionOf(target);

    core::AppState& s = core::state();
    s.DialogResult = 0;
    {
        frmSim dialog(&card);
        ui::execDialog(&dialog);
    }
    const bool chosen = s.DialogResult != 0;
    // The card's own outcome stays "not saved" until it saves.
    s.DialogResult = 0;

    if (line < 0 || card.field(line).controlKind == Year || !chosen)
        return;
    if (target.valid())
        insertInto(card, line, target, selection, s.ChosenSymbol);
}

} // namespace card
