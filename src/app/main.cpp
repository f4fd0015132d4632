#include "shell/Startup.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kalveta"));
    QApplication::setApplicationDisplayName(QStringLiteral("Кальвета"));
    shell::installTranslations(app);

    switch (shell::Main()) {
    case shell::StartResult::MainWindowShown:
        return app.exec();
    case shell::StartResult::Refused:
        return 0;
    case shell::StartResult::Failed:
        break;
    }
    return 1;
}
