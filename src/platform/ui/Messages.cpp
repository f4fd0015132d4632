#include "platform/ui/Messages.h"

#include "platform/ui/FileDialogText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace ui {
namespace {

struct Service {
    QString title = QStringLiteral("Кальвета");
    QPointer<QWidget> parent;
    MessageHandler messageHandler;
    DialogHandler dialogHandler;
    StatusHandler statusHandler;
    QString status;
};

Service& service()
{
    static Service s;
    return s;
}

QMessageBox::StandardButton toStandard(int answer)
{
    switch (answer) {
    case Ok: return QMessageBox::Ok;
    case Cancel: return QMessageBox::Cancel;
    case Abort: return QMessageBox::Abort;
    case Retry: return QMessageBox::Retry;
    case Ignore: return QMessageBox::Ignore;
    case Yes: return QMessageBox::Yes;
    case No: return QMessageBox::No;
    default: return QMessageBox::NoButton;
    }
}

int fromStandard(int button)
{
    switch (button) {
    case QMessageBox::Ok: return Ok;
    case QMessageBox::Cancel: return Cancel;
    case QMessageBox::Abort: return Abort;
    case QMessageBox::Retry: return Retry;
    case QMessageBox::Ignore: return Ignore;
    case QMessageBox::Yes: return Yes;
    case QMessageBox::No: return No;
    default: return Cancel;
    }
}

QList<int> answersOf(int buttons)
{
    switch (buttons) {
    case OkCancel: return {Ok, Cancel};
    case AbortRetryIgnore: return {Abort, Retry, Ignore};
    case YesNoCancel: return {Yes, No, Cancel};
    case YesNo: return {Yes, No};
    case RetryCancel: return {Retry, Cancel};
    default: return {Ok};
    }
}

// The window a box stands in front of before the main window is shown: the
// modal dialog or the window in front.
QWidget* frontWindow()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal->window();
    QWidget* active = QApplication::activeWindow();
    return active ? active->window() : nullptr;
}

// A message box whose question has no Отмена (or whose Отмена goes on) is
// answered only by its buttons: Esc and the window's close button leave it
// open, since either would answer for the user ("Нет" may mean "go on" as
// well as "stop"). A box with Отмена takes both as Отмена; a box with the
// one button OK as OK.
class QuestionBox : public QMessageBox {
public:
    QuestionBox(QWidget* parent, bool answersEscape) : QMessageBox(parent), answersEscape_(answersEscape) {}

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (!answersEscape_ && event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override
    {
        if (!answersEscape_ && !clickedButton()) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }

private:
    bool answersEscape_;
};

int showRealBox(const MessageRequest& request)
{
    // Only the main window, which stays for the whole run, owns a box. Any
    // other window could close under a box waiting for its answer (the
    // splash closes itself) and take the box with it: the box then only
    // stands in front of it.
    const QList<int> answers = answersOf(request.buttons());
    const bool answersEscape = !request.buttonsOnly() && (answers.contains(Cancel) || answers.size() == 1);
    QuestionBox box(service().parent.data(), answersEscape);
    box.setWindowModality(Qt::ApplicationModal);
    // A window kept above all others (the template adjustment, above the
    // office) would hide a box of the main window: such a box stands in
    // front of it and stays above like it.
    QWidget* front = frontWindow();
    const bool aboveAll = front && front->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    if (aboveAll)
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (front && (aboveAll || !service().parent)) {
        box.winId();
        if (QWindow* handle = box.windowHandle(); handle && front->windowHandle())
            handle->setTransientParent(front->windowHandle());
    }
    box.setWindowTitle(request.title);
    box.setText(request.text);
    switch (request.icon()) {
    case Critical: box.setIcon(QMessageBox::Critical); break;
    case Question: box.setIcon(QMessageBox::Question); break;
    case Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Information: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    QMessageBox::StandardButtons buttons;
    for (int a : answers)
        buttons |= toStandard(a);
    box.setStandardButtons(buttons);
    int defaultIndex = 0;
    if (request.defaultButton() == DefaultButton2)
        defaultIndex = 1;
    else if (request.defaultButton() == DefaultButton3)
        defaultIndex = 2;
    if (defaultIndex < answers.size())
        box.setDefaultButton(toStandard(answers.at(defaultIndex)));
    // Without an answer for Esc, the box stays until a button is pressed.
    if (answersEscape)
        box.setEscapeButton(answers.contains(Cancel) ? QMessageBox::Cancel : toStandard(answers.first()));
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (!clicked)
        return answers.contains(Cancel) ? Cancel : answers.last();
    return fromStandard(box.standardButton(clicked));
}

// The shown window a dialog belongs to: the window of its parent, or of the
// nearest of the parent's owners that is on the screen (a window still
// being loaded may open a dialog before it shows itself), else the main
// window. Null when none is shown.
QWidget* shownOwner(const QDialog* dialog)
{
    for (QWidget* w = dialog->parentWidget(); w; w = w->parentWidget()) {
        w = w->window();
        if (w->isVisible())
            return w;
    }
    QWidget* main = service().parent.data();
    return main && main->isVisible() ? main->window() : nullptr;
}

// Puts a dialog, as it is shown, over the middle of the window it belongs
// to, within that window's screen. Left to Qt, a dialog whose parent is not
// yet shown would open at the screen's corner, one without a parent in the
// screen's middle whatever the main window's place.
class Placement : public QObject {
public:
    explicit Placement(QDialog* dialog) : QObject(dialog), dialog_(dialog) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == dialog_ && event->type() == QEvent::Show && !event->spontaneous()) {
            dialog_->removeEventFilter(this);
            place();
        }
        return false;
    }

private:
    void place()
    {
        if (dialog_->testAttribute(Qt::WA_Moved))
            return;  // placed by its own code
        QWidget* owner = shownOwner(dialog_);
        if (!owner)
            return;  // nothing shown yet: Qt puts it in the screen's middle
        const QRect over = owner->frameGeometry();
        // The dialog's frame is not made yet: it is taken to be as thick as
        // its owner's. The position moved to is the frame's.
        const QSize frame = over.size() - owner->size();
        QRect placed(QPoint(0, 0), dialog_->size() + frame);
        placed.moveCenter(over.center());
        if (const QScreen* screen = owner->screen()) {
            const QRect room = screen->availableGeometry();
            placed.moveRight(std::min(placed.right(), room.right()));
            placed.moveBottom(std::min(placed.bottom(), room.bottom()));
            placed.moveLeft(std::max(placed.left(), room.left()));
            placed.moveTop(std::max(placed.top(), room.top()));
        }
        dialog_->move(placed.topLeft());
    }

    QDialog* dialog_;
};

} // namespace

int msgBox(const QString& text, int style, const QString& title)
{
    MessageRequest request{text, style, title.isEmpty() ? service().title : title};
    if (service().messageHandler)
        return service().messageHandler(request);
    return showRealBox(request);
}

int execDialog(QDialog* dialog)
{
    if (auto* files = qobject_cast<QFileDialog*>(dialog))
        useRussianFileList(files);
    if (service().dialogHandler)
        return service().dialogHandler(dialog);
    dialog->installEventFilter(new Placement(dialog));
    return dialog->exec();
}

void setApplicationTitle(const QString& title) { service().title = title; }
QString applicationTitle() { return service().title; }
void setMessageParent(QWidget* parent) { service().parent = parent; }
void setMessageHandler(MessageHandler handler) { service().messageHandler = std::move(handler); }
MessageHandler messageHandler() { return service().messageHandler; }
void setDialogHandler(DialogHandler handler) { service().dialogHandler = std::move(handler); }

void setStatusText(const QString& text)
{
    service().status = text;
    if (service().statusHandler)
        service().statusHandler(text);
}

QString statusText() { return service().status; }
void setStatusHandler(StatusHandler handler) { service().statusHandler = std::move(handler); }

} // namespace ui
