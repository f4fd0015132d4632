#include "app/Application.h"

#include "platform/jet/Jet.h"
#include "platform/office/OfficeError.h"
#include "platform/ui/Messages.h"

#include <QThread>

#include <new>

namespace app {

namespace {

constexpr const char* kUnexpected = "Произошла непредвиденная ошибка: ";
// The automation's number and words for a want of memory.
constexpr int kOutOfMemory = 7;
constexpr const char* kOutOfMemoryText = "Недостаточно памяти";
constexpr const char* kUnknownCause = "причина неизвестна";

bool reporting = false;  // a failure is being shown (main thread only)

} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportUnexpectedFailure(std::current_exception());
    }
    return false;
}

QString unexpectedFailureText(std::exception_ptr failure)
{
    const QString lead = QString::fromUtf8(kUnexpected);
    if (const std::optional<office::Error> e = office::officeErrorOf(failure))
        return lead + e->numberAndDescription();
    try {
        std::rethrow_exception(failure);
    } catch (const jet::Error& e) {
        return lead + QString::number(e.number()) + QLatin1Char(' ') + e.description();
    } catch (const std::bad_alloc&) {
        return lead + QString::number(kOutOfMemory) + QLatin1Char(' ') + QString::fromUtf8(kOutOfMemoryText);
    } catch (const std::exception& e) {
        return lead + QString::fromUtf8(e.what());
    } catch (...) {
    }
    return lead + QString::fromUtf8(kUnknownCause);
}

void reportUnexpectedFailure(std::exception_ptr failure)
{
    const QString text = unexpectedFailureText(failure);
    const QCoreApplication* app = QCoreApplication::instance();
    if (reporting || !app || QThread::currentThread() != app->thread()) {
        qCritical("%s", qUtf8Printable(text));
        return;
    }
    reporting = true;
    ui::msgBox(text, ui::Critical);
    reporting = false;
}

} // namespace app
