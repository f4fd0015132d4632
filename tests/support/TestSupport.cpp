#include "TestSupport.h"

#include "platform/settings/Settings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>
#include <memory>

#include <algorithm>
#include <QSettings>

namespace testsupport {

namespace {

// Recorders alive, newest last: the newest answers. What answered before the
// first of them is put back when the last goes.
std::vector<MessageRecorder*>& liveRecorders()
{
    static std::vector<MessageRecorder*> recorders;
    return recorders;
}

ui::MessageHandler& handlerBeforeRecorders()
{
    static ui::MessageHandler handler;
    return handler;
}

} // namespace

MessageRecorder::MessageRecorder()
{
    if (liveRecorders().empty())
        handlerBeforeRecorders() = ui::messageHandler();
    liveRecorders().push_back(this);
    ui::setMessageHandler([](const ui::MessageRequest& r) { return liveRecorders().back()->record(r); });
}

int MessageRecorder::record(const ui::MessageRequest& r)
{
    messages_.push_back(r);
    if (!answers_.empty()) {
        const int a = answers_.front();
        answers_.pop_front();
        return a;
    }
    switch (r.buttons()) {
    case ui::OkCancel: return r.defaultButton() == ui::DefaultButton2 ? int(ui::Cancel) : int(ui::Ok);
    case ui::YesNo:
    case ui::YesNoCancel:
        if (r.defaultButton() == ui::DefaultButton2)
            return int(ui::No);
        if (r.defaultButton() == ui::DefaultButton3)
            return int(ui::Cancel);
        return int(ui::Yes);
    default: return int(ui::Ok);
    }
}

MessageRecorder::~MessageRecorder()
{
    auto& live = liveRecorders();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    if (live.empty())
        ui::setMessageHandler(handlerBeforeRecorders());
}

QStringList MessageRecorder::texts() const
{
    QStringList out;
    for (const auto& m : messages_)
        out << m.text;
    return out;
}

void onNextMessageBox(std::function<void(QMessageBox*)> act)
{
    auto* poll = new QTimer;
    struct Watch {
        QElapsedTimer waited;
        bool acted = false;
        QPointer<QMessageBox> box;
    };
    auto watch = std::make_shared<Watch>();
    watch->waited.start();
    QObject::connect(poll, &QTimer::timeout, [poll, watch, act = std::move(act)] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (watch->acted) {
            // Done once its box is gone; a box left open is closed for the test.
            if (watch->box.isNull() || watch->box != box) {
                poll->stop();
                poll->deleteLater();
            } else if (watch->waited.elapsed() > 5000) {
                ADD_FAILURE() << "the message box stayed open: " << box->text().toStdString();
                box->buttons().first()->click();
            }
            return;
        }
        if (box && box->isVisible()) {
            watch->acted = true;
            watch->box = box;
            watch->waited.restart();
            act(box);
        } else if (watch->waited.elapsed() > 5000) {
            ADD_FAILURE() << "no message box was shown";
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(20);
}

TempFolder::TempFolder()
{
    dir_.setAutoRemove(true);
}

QString testDataFolder()
{
    return qEnvironmentVariable("KALVETA_TEST_DATA", QStringLiteral(KALVETA_TEST_DATA_DIR));
}

QString sourceDataFolder()
{
    return qEnvironmentVariable("KALVETA_SOURCE_DATA", QStringLiteral(KALVETA_SOURCE_DATA_DIR));
}

QString builtTemplatesFolder()
{
    return QStringLiteral(KALVETA_BUILD_TEMPLATES_DIR);
}

void clearSettings()
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("kalveta"), QStringLiteral("kalveta"));
    s.clear();
    s.sync();
}

} // namespace testsupport
