// Splash and about windows: texts, self-closing splash, the key rule, and the
// system-information button.
#include "core/AppState.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Messages.h"
#include "shell/AboutWindow.h"
#include "shell/SplashWindow.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

using shell::AboutWindow;
using shell::SplashWindow;

TEST(SplashWindow, ShowsNameVersionAndPurposeInTheProgramColour)
{
    SplashWindow splash;
    EXPECT_EQ(shell::versionText(), QStringLiteral("Версия 6.0.4"));
    EXPECT_EQ(splash.versionLabel()->text(), QStringLiteral("Версия 6.0.4"));
    EXPECT_EQ(splash.productNameLabel()->text(), QStringLiteral("Кальвета"));
    EXPECT_EQ(splash.licenseLabel()->text(),
              QStringLiteral("Программа для печати сертификатов специалистов, выдаваемых медицинским и "
                             "фармацевтическим работникам, образца 2013 года"));
    EXPECT_EQ(splash.versionLabel()->palette().color(QPalette::WindowText), QColor(43, 130, 174));
    EXPECT_EQ(splash.productNameLabel()->palette().color(QPalette::WindowText), QColor(43, 130, 174));
    EXPECT_TRUE(splash.windowTitle().isEmpty());
    // What the task bar shows: the program's title, not its file name.
    ASSERT_NE(splash.windowHandle(), nullptr);
    EXPECT_EQ(splash.windowHandle()->title(), QStringLiteral("Кальвета"));
    EXPECT_EQ(splash.size(), QSize(7455 / 15, 4665 / 15));
    EXPECT_EQ(splash.closeTimer()->interval(), 2000);
    EXPECT_TRUE(splash.closeTimer()->isActive());
}

// The modal showing waits for the window's own two-second timer; the test
// lets that timer run out at once instead of waiting for it.
TEST(SplashWindow, ModalShowingEndsByItselfWhenItsTwoSecondTimerRunsOut)
{
    bool shown = false;
    SplashWindow::showModal([&shown](SplashWindow& splash) {
        shown = true;
        EXPECT_TRUE(splash.isVisible());
        EXPECT_TRUE(splash.isModal());
        QTimer* timer = splash.closeTimer();
        EXPECT_TRUE(timer->isActive());
        EXPECT_TRUE(timer->isSingleShot());
        EXPECT_EQ(timer->interval(), 2000);
        timer->start(0);
    });
    EXPECT_TRUE(shown);
}

struct KeyCase {
    const char* name;
    Qt::Key key;
    char text;  // 0: the key types nothing
    bool closes;
};

TEST(SplashWindow, KeysThatTypeACharacterCloseItOthersAndClicksDoNot)
{
    const KeyCase cases[] = {
        {"letter", Qt::Key_A, 'a', true},       {"digit", Qt::Key_5, '5', true},
        {"space", Qt::Key_Space, ' ', true},    {"Enter", Qt::Key_Return, '\r', true},
        {"Esc", Qt::Key_Escape, '\x1b', true},  {"Backspace", Qt::Key_Backspace, '\b', true},
        {"F1", Qt::Key_F1, 0, false},           {"arrow", Qt::Key_Left, 0, false},
        {"Shift", Qt::Key_Shift, 0, false},
    };
    for (const KeyCase& c : cases) {
        SplashWindow splash;
        splash.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&splash));
        QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier, c.text ? QString(QLatin1Char(c.text)) : QString());
        QApplication::sendEvent(&splash, &press);
        EXPECT_EQ(!splash.isVisible(), c.closes) << c.name;
    }
    SplashWindow splash;
    splash.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&splash));
    QTest::mouseClick(&splash, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseClick(splash.productNameLabel(), Qt::LeftButton);
    EXPECT_TRUE(splash.isVisible()) << "mouse click";
}

TEST(SplashWindow, ModelessShowingIsPaintedAtOnceAndGoesAwayByItsTimer)
{
    QPointer<SplashWindow> splash = SplashWindow::showModeless();
    ASSERT_TRUE(splash);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_FALSE(splash->isModal());
    EXPECT_TRUE(splash->closeTimer()->isActive());
    EXPECT_EQ(splash->closeTimer()->interval(), 2000);
    splash->closeTimer()->start(0);  // its two seconds run out at once
    EXPECT_TRUE(QTest::qWaitFor([&] { return splash.isNull(); }, 5000));  // closed and deleted
}

// A message shown while the splash is in front (a start-up failure) is not
// the splash's: the splash closes itself and goes away while the message
// waits, and the message stays on screen until it is answered.
TEST(SplashWindow, AStartUpMessageOutlivesTheSplashClosingUnderIt)
{
    ui::setMessageHandler({});  // the real box
    QPointer<SplashWindow> splash = SplashWindow::showModeless();
    ASSERT_TRUE(splash);
    splash->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(splash.data()));
    splash->closeTimer()->start(50);

    bool shownAfterTheSplash = false;
    QElapsedTimer clock;
    clock.start();
    QTimer answer;
    answer.setInterval(20);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (splash && clock.elapsed() < 5000)
            return;  // the splash is still there: wait for its timer
        shownAfterTheSplash = !splash && box->isVisible();
        box->button(QMessageBox::Ok)->click();
    });
    answer.start();
    const int pressed =
        ui::msgBox(QStringLiteral("Файл базы данных qv.db поврежден. Продолжение работы с этим файлом невозможно."),
                   ui::Critical);
    answer.stop();
    EXPECT_EQ(pressed, ui::Ok);
    EXPECT_TRUE(shownAfterTheSplash);
    EXPECT_FALSE(splash);
}

TEST(AboutWindow, ShowsTitleVersionAndDescription)
{
    core::resetState();
    core::state().MainCaption = QStringLiteral("Кальвета");
    AboutWindow about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("О программе"));
    EXPECT_EQ(about.titleLabel()->text(), QStringLiteral("Кальвета"));
    EXPECT_EQ(about.versionLabel()->text(), QStringLiteral("Версия 6.0.4"));
    EXPECT_EQ(about.descriptionLabel()->text(),
              QStringLiteral("Программа для печати сертификатов специалистов, выдаваемых медицинским и "
                             "фармацевтическим работникам."));
    EXPECT_EQ(about.okButton()->text(), QStringLiteral("OK"));
    EXPECT_TRUE(about.okButton()->isDefault());
    EXPECT_EQ(about.sysInfoButton()->text(), QStringLiteral("&System Info..."));
    EXPECT_EQ(about.size(), QSize(5775 / 15, 4740 / 15));
    EXPECT_FALSE(about.windowIcon().isNull());
    EXPECT_FALSE(about.windowFlags() & Qt::WindowMinMaxButtonsHint);
}

TEST(AboutWindow, OkEnterAndEscCloseIt)
{
    for (Qt::Key key : {Qt::Key_unknown, Qt::Key_Return, Qt::Key_Escape}) {
        AboutWindow about;
        about.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
        if (key == Qt::Key_unknown)
            QTest::mouseClick(about.okButton(), Qt::LeftButton);
        else
            QTest::keyClick(&about, key);
        EXPECT_FALSE(about.isVisible()) << key;
    }
}

class SystemInfo : public ::testing::Test {
protected:
    void SetUp() override { clearSystem(); }
    void TearDown() override { clearSystem(); }
    static QSettings system()
    {
        return QSettings(QSettings::IniFormat, QSettings::SystemScope, QStringLiteral("kalveta"), QStringLiteral("kalveta"));
    }
    static void clearSystem()
    {
        QSettings s = system();
        s.clear();
        s.sync();
    }
    static void put(const char* key, const char* value, const QString& text)
    {
        QSettings s = system();
        s.setValue(QString::fromLatin1(key) + QLatin1Char('/') + QString::fromLatin1(value), text);
        s.sync();
    }
    static QString executable(const QString& path)
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("#!/bin/sh\nexit 0\n");
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
        return path;
    }
};

TEST_F(SystemInfo, ReadsTheMachineWideValuesOrReportsThatThereIsNoProgram)
{
    testsupport::TempFolder tools;
    testsupport::TempFolder emptyFolder;
    executable(tools.file(QStringLiteral("MSINFO32.EXE")));
    const QString unavailable = QStringLiteral("System Information Is Unavailable At This Time");

    struct Case {
        const char* name;
        QString path;        // the program named by the first value (empty: absent)
        QString toolsFolder; // the folder named by the second value (empty: absent)
        bool reported;
    };
    const Case cases[] = {
        {"neither value (the usual case)", {}, {}, true},
        {"first value names a program", executable(tools.file(QStringLiteral("sysinfo"))), {}, false},
        {"first value names a missing file", tools.file(QStringLiteral("missing")), {}, true},
        {"folder holds the program", {}, tools.path(), false},
        {"folder lacks the program", {}, emptyFolder.path(), true},
    };
    for (const Case& c : cases) {
        clearSystem();
        if (!c.path.isEmpty())
            put(AboutWindow::kSysInfoKey, AboutWindow::kSysInfoValue, c.path);
        if (!c.toolsFolder.isEmpty())
            put(AboutWindow::kSharedToolsKey, AboutWindow::kSharedToolsValue, c.toolsFolder);
        testsupport::MessageRecorder messages;
        AboutWindow about;
        QTest::mouseClick(about.sysInfoButton(), Qt::LeftButton);
        if (c.reported) {
            ASSERT_EQ(messages.count(), 1) << c.name;
            EXPECT_EQ(messages.messages()[0].text, unavailable);
            EXPECT_EQ(messages.messages()[0].style, ui::OkOnly);
            EXPECT_EQ(messages.messages()[0].title, ui::applicationTitle());
        } else {
            EXPECT_EQ(messages.count(), 0) << c.name;
        }
    }
}

TEST_F(SystemInfo, GetKeyValueEmptiesTheOutputWhenTheValueIsAbsent)
{
    QString value = QStringLiteral("old");
    EXPECT_FALSE(AboutWindow::GetKeyValue(QString::fromLatin1(AboutWindow::kSysInfoKey),
                                          QString::fromLatin1(AboutWindow::kSysInfoValue), value));
    EXPECT_TRUE(value.isEmpty());
    put(AboutWindow::kSysInfoKey, AboutWindow::kSysInfoValue, QStringLiteral("/opt/tools/sysinfo"));
    EXPECT_TRUE(AboutWindow::GetKeyValue(QString::fromLatin1(AboutWindow::kSysInfoKey),
                                         QString::fromLatin1(AboutWindow::kSysInfoValue), value));
    EXPECT_EQ(value, QStringLiteral("/opt/tools/sysinfo"));
    // Reading goes through the program's own system-scope settings.
    EXPECT_EQ(settings::getSystemSetting(QString::fromLatin1(AboutWindow::kSysInfoKey),
                                         QString::fromLatin1(AboutWindow::kSysInfoValue)),
              QStringLiteral("/opt/tools/sysinfo"));
}

} // namespace
