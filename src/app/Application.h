#pragma once
// The program's application object. Every event of every window passes
// through it: a failure that the command it started did not handle (an
// exception leaving an event handler) is shown to the user with its cause,
// and the program goes on with the next event instead of ending.
#include <QApplication>
#include <QString>

#include <exception>

namespace app {

class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The message for a failure no command handled: "Произошла непредвиденная
// ошибка: " followed by the error's number and description, or its cause in
// words where it has no number.
QString unexpectedFailureText(std::exception_ptr failure);

// Shows that message (critical stop). Inside the main thread only; a
// failure met while an earlier one is being shown is not shown again.
void reportUnexpectedFailure(std::exception_ptr failure);

} // namespace app
