#include "app/Application.h"
#include "shell/Startup.h"

int main(int argc, char** argv)
{
    app::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kalveta"));
    // No display name: the window system would append it to every caption.
    shell::installTranslations(app);

    shell::StartResult started = shell::StartResult::Failed;
    try {
        started = shell::Main();
    } catch (...) {
        // The start could not be made: told, and the program ends.
        app::reportUnexpectedFailure(std::current_exception());
    }
    switch (started) {
    case shell::StartResult::MainWindowShown:
        return app.exec();
    case shell::StartResult::Refused:
        return 0;
    case shell::StartResult::Failed:
        break;
    }
    return 1;
}
