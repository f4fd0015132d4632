// A command that ends in a failure nobody handled: the user is told its
// cause and the program goes on with the next command. The test program
// makes the program's own application object, as the program does.
#include "app/Application.h"
#include "platform/jet/Jet.h"
#include "platform/office/OfficeError.h"
#include "platform/ui/Messages.h"
#include "support/TestSupport.h"

#include <QEventLoop>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <com/sun/star/lang/DisposedException.hpp>

#include <functional>
#include <new>
#include <stdexcept>

namespace {

TEST(UnexpectedFailure, IsToldWithItsCauseAndTheProgramGoesOn)
{
    struct Case {
        const char* name;
        std::function<void()> fail;
        QString shown;
    };
    const QString lead = QStringLiteral("Произошла непредвиденная ошибка: ");
    const Case cases[] = {
        {"office lost", [] { throw office::Error(office::ErrorKind::ConnectionLost); },
         lead + QStringLiteral("462 Связь с офисной программой потеряна")},
        // An object of an office that has gone, asked outside the office layer.
        {"office object disposed", [] { throw css::lang::DisposedException("Binary URP bridge disposed during call"); },
         lead + QStringLiteral("462 Связь с офисной программой потеряна")},
        {"database", [] { throw jet::Error(jet::errIo, QStringLiteral("Ошибка ввода-вывода на диске")); },
         lead + QStringLiteral("3051 Ошибка ввода-вывода на диске")},
        {"memory", [] { throw std::bad_alloc(); }, lead + QStringLiteral("7 Недостаточно памяти")},
        {"other", [] { throw std::runtime_error("Файл не найден"); }, lead + QStringLiteral("Файл не найден")},
        {"unknown", [] { throw 42; }, lead + QStringLiteral("причина неизвестна")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::MessageRecorder messages;
        QPushButton command(QStringLiteral("Команда"));
        QPushButton next(QStringLiteral("Следующая"));
        QObject::connect(&command, &QPushButton::clicked, c.fail);
        int nextRan = 0;
        QObject::connect(&next, &QPushButton::clicked, [&nextRan] { ++nextRan; });
        command.show();
        next.show();

        QTest::mouseClick(&command, Qt::LeftButton);
        ASSERT_EQ(messages.count(), 1);
        EXPECT_EQ(messages.texts().first(), c.shown);
        EXPECT_EQ(messages.messages().front().icon(), ui::Critical);

        // The user's next command, and the event loop, go on.
        QTest::mouseClick(&next, Qt::LeftButton);
        EXPECT_EQ(nextRan, 1);
        QEventLoop loop;
        QTimer::singleShot(0, &command, [&command] { command.click(); });
        QTimer::singleShot(0, &loop, [&loop] { loop.quit(); });
        loop.exec();
        EXPECT_EQ(messages.count(), 2);
    }
}

TEST(UnexpectedFailure, MetWhileOneIsShownIsNotShownAgain)
{
    // The message box of the first failure runs the event loop; a failure
    // of an event delivered meanwhile does not open a second box over it.
    int shown = 0;
    ui::setMessageHandler([&shown](const ui::MessageRequest&) {
        ++shown;
        QTimer::singleShot(0, [] { throw std::runtime_error("вторая"); });
        QEventLoop loop;
        QTimer::singleShot(10, &loop, [&loop] { loop.quit(); });
        loop.exec();
        return int(ui::Ok);
    });
    QPushButton command;
    QObject::connect(&command, &QPushButton::clicked, [] { throw std::runtime_error("первая"); });
    command.show();
    QTest::mouseClick(&command, Qt::LeftButton);
    ui::setMessageHandler({});
    EXPECT_EQ(shown, 1);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("KALVETA_HOME", home.path().toUtf8());
    app::Application application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
