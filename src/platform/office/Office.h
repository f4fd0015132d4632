#pragma once
// The office process the program drives: LibreOffice, started by the program
// on first use and kept for the run.
//
// It runs with its own profile folder inside the data folder (seeded so that
// a start takes well under a second) and listens on a pipe whose name is
// unique to this process. It is visible for the user, or headless when the
// environment variable KALVETA_HEADLESS_OFFICE is 1 (tests, CI) or there is
// no screen to show it on. An office
// that ended or crashed is noticed and started again on the next use. At the
// end of the run an office that shows documents to the user is left running
// with them; otherwise it is ended.
//
// Workbooks read for an import are loaded by a second office of their own
// (reader()): always headless, with its own profile folder, and watched
// while it loads and reads (Guard). A file that makes it grow past its
// memory limit or work past its time limit ends that office only; the
// documents the user works with in the first one are not touched.
//
// Both profiles load .xlsx and .ods spreadsheets without recalculating
// them, so that a workbook reads with the values it was saved with (the
// office recalculates .xls files whatever it is told; the workbook reader
// takes their saved results from the file).
//
// Threads. The layer is called from one thread at a time: the window
// thread, or the thread that runs a call aside (platform/aside) while the
// window thread waits for it; the waiting window thread takes no user input
// and calls nothing of the layer meanwhile. A call that may take long
// (loading, storing a document) made on the window thread runs aside by
// itself, the windows painted meanwhile; made on another thread, it runs on
// that thread. What the office calls back (the end of its connection, how
// far it has loaded a document) comes on threads of the UNO bridge; the
// objects of the layer that receive those calls keep their state safe for
// it. A Guard's watching thread only measures the office and may end it.
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace office {

class Office {
public:
    static Office& instance();
    // The office that reads workbooks (see above).
    static Office& reader();

    // Makes sure our office runs and is connected, starting it (again) when
    // it does not. Returns true when this call started it. Throws
    // office::Error (NotStarted) when it cannot be started.
    bool ensureRunning();

    // True when our office runs and is connected; starts nothing.
    bool isRunning();

    // The local files of the documents open in our office (also those
    // deleted since): the office refuses to store another document under
    // one of them. Empty when it does not run; starts nothing.
    QStringList documentFiles();

    // Ends the office now unless it shows a document to the user: hidden
    // documents are closed first. Returns true when no office runs anymore.
    bool quitIfIdle();

    // End of the run: a headless office is always ended; a visible one only
    // when it shows no document (quitIfIdle). Called by itself when the
    // application object is destroyed or the process exits.
    void shutdown();

    bool headless() const;
    void setHeadless(bool headless);

    // The data folder that holds the profile folder: $KALVETA_HOME, else the
    // application's data location.
    QString dataFolder() const;
    void setDataFolder(const QString& folder);
    QString profileFolder() const;

    // The office's start program (normally the installed "soffice").
    QString program() const;
    void setProgram(const QString& path);

    // Process group of the office this process started, 0 when none runs
    // or the office was already running.
    long long processGroup() const;

    // How many times an office was started by this process.
    int startCount() const;

    // Limits for the work done under a Guard: the resident memory of the
    // office's processes together, and the time of one guarded step. By
    // default half the machine's memory but at most 2 GB, and 60 seconds.
    struct Limits {
        long long memoryBytes = 0;
        int seconds = 0;
    };
    Limits limits() const;
    void setLimits(const Limits& limits);

    // The time a document store may take (seconds, 60 by default): a store
    // that takes longer (the office's Word export loops on a full disk)
    // ends the office.
    int storeSeconds() const;
    void setStoreSeconds(int seconds);

    // For tests: runs with the file's name just before the office is told
    // to store a document into it (after the free space was checked), to
    // bring about what may happen at that moment.
    void setBeforeStore(std::function<void(const QString& file)> hook);

    // While a guard lives, a thread watches the office this process
    // started: when it exceeds a limit the office is killed at once (its
    // running call then fails) and exceeded() tells which limit it was.
    // The next ensureRunning() starts a new office.
    class Guard {
    public:
        enum class Exceeded { None, Memory, Time };
        explicit Guard(Office& office);
        Guard(Office& office, const Limits& limits);
        ~Guard();
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;
        Exceeded exceeded() const;

        struct State;

    private:
        std::shared_ptr<State> s_;
    };

    struct Impl;
    Impl& impl() { return *d_; }

    ~Office();
    Office(const Office&) = delete;
    Office& operator=(const Office&) = delete;

private:
    explicit Office(bool reader);
    std::unique_ptr<Impl> d_;
};

} // namespace office
