#pragma once
// Another program on a database file, as a second start of the program (or
// one started at the same instant) would be: this test program started anew
// in a mode of its own, chosen before any test runs.
#include "support/TestSupport.h"

#include <QProcess>
#include <QString>

#include <memory>
#include <optional>

namespace testsupport {

class SecondProgram {
public:
    // How the tries of a looping program went.
    struct Tries {
        int opened = 0;   // it got the file open: it was not kept out
        int refused = 0;  // the file was in use
        int missing = 0;  // there was no file under the name yet
        int failed = 0;   // anything else
    };

    // Tries to open `path` as the program's start does, again and again,
    // from the moment the constructor returns (it has tried once by then)
    // until stop().
    static SecondProgram looping(const QString& path);
    // Makes a new database file at `path` and keeps it open until stopped;
    // the constructor returns once the file is there.
    static SecondProgram holdingNew(const QString& path);

    ~SecondProgram();
    SecondProgram(SecondProgram&&) = default;
    SecondProgram& operator=(SecondProgram&&) = delete;
    SecondProgram(const SecondProgram&) = delete;
    SecondProgram& operator=(const SecondProgram&) = delete;

    // Tells it to stop (a looping program tries once more first) and waits
    // for its end.
    Tries stop();
    // Whether it started and did its first part.
    bool ready() const { return ready_; }

private:
    SecondProgram(const char* mode, const QString& path);
    std::unique_ptr<QProcess> process_;
    std::unique_ptr<TempFolder> signals_;
    bool ready_ = false;
    bool stopped_ = false;
    Tries tries_;
};

// A test program acts as another program on its files: started anew through
// startProgramPart(), it runs the part registered under that name once the
// test program's own preparation is done (an application, private folders),
// and ends with the part's exit code instead of running the tests.
bool registerProgramPart(const char* name, int (*part)());
// The part asked for in this run, run; -1 when this run is the tests'.
int runProgramPartIfAsked();
// Starts this test program as the part `name`, with `environment` added.
void startProgramPart(QProcess& process, const char* name, const QProcessEnvironment& environment = {});

// Reads `path` with the sqlite3 shell, a program of its own that honours the
// database engine's locks: empty when it read the file, else what it said
// (a file in use: "database is locked"); nullopt when there is no shell.
std::optional<QString> outsideRead(const QString& path);

} // namespace testsupport
