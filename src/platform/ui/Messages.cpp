#include "platform/ui/Messages.h"

#include "platform/ui/FileDialogText.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QWindow>

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

int showRealBox(const MessageRequest& request)
{
    // Only the main window, which stays for the whole run, owns a box. Any
    // other window could close under a box waiting for its answer (the
    // splash closes itself) and take the box with it: the box then only
    // stands in front of it.
    QMessageBox box(service().parent.data());
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
    const QList<int> answers = answersOf(request.buttons());
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
    if (answers.contains(Cancel))
        box.setEscapeButton(QMessageBox::Cancel);
    else if (answers.contains(No))
        box.setEscapeButton(QMessageBox::No);
    else if (answers.size() == 1)
        box.setEscapeButton(toStandard(answers.first()));
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (!clicked)
        return answers.contains(Cancel) ? Cancel : answers.last();
    return fromStandard(box.standardButton(clicked));
}

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
