#include "shell/Startup.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kalveta"));
    // No display name: the window system would append it to every caption.
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
