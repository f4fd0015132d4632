#pragma once
// The one way the program shows a message box or runs a modal dialog, so that
// tests can answer both without a person at the screen.
#include <QString>
#include <functional>

class QDialog;
class QWidget;

namespace ui {

// Buttons, icon and default button are combined as in a message-box style
// value: buttons | icon | default button.
enum MsgStyle : int {
    OkOnly = 0,
    OkCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64,
    DefaultButton2 = 256,
    DefaultButton3 = 512,
    // Esc and the window's close button leave the box open even where it has
    // Отмена: for a question whose Отмена goes on rather than stops.
    ButtonsOnly = 0x10000,
};

// The answer: which button was pressed.
enum Answer : int { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

struct MessageRequest {
    QString text;
    int style = OkOnly;
    QString title;
    int buttons() const { return style & 0x0F; }
    int icon() const { return style & 0xF0; }
    int defaultButton() const { return style & 0xF00; }
    bool buttonsOnly() const { return (style & ButtonsOnly) != 0; }
};

// Shows a message box with the program's title (or `title` when given) and
// returns the button pressed. Esc and the window's close button answer
// Cancel where the box has it and OK where OK is its only button; a question
// without Cancel (Да/Нет), or marked ButtonsOnly, is answered only by its
// buttons.
int msgBox(const QString& text, int style = OkOnly, const QString& title = {});

// A warning: the exclamation icon and the button OK.
inline void warn(const QString& text) { msgBox(text, Exclamation); }

// Runs `dialog` modally and returns QDialog's result code. The dialog opens
// over the middle of the window it belongs to: its parent's window, or when
// that is not shown yet the nearest shown owner, else the main window.
int execDialog(QDialog* dialog);

// The title every message box carries unless told otherwise.
void setApplicationTitle(const QString& title);
QString applicationTitle();

// The window in front of which messages appear (the main window once shown).
void setMessageParent(QWidget* parent);

// The first panel of the main window's status bar: progress and results of
// long work. Without a main window the text is only remembered.
void setStatusText(const QString& text);
QString statusText();
using StatusHandler = std::function<void(const QString&)>;
void setStatusHandler(StatusHandler handler);

// Test support. A message handler returns the answer for a request; a dialog
// handler fills and closes a dialog and returns its result code. Passing an
// empty function restores the real boxes and dialogs.
using MessageHandler = std::function<int(const MessageRequest&)>;
using DialogHandler = std::function<int(QDialog*)>;
void setMessageHandler(MessageHandler handler);
MessageHandler messageHandler();
void setDialogHandler(DialogHandler handler);

} // namespace ui
