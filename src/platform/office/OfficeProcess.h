#pragma once
// Inside the office layer only: the state of one office the program drives
// (Office::Impl): its process, started with its own profile folder and
// ended again, and its UNO connection (made in OfficeDesktop.cpp).
#include "platform/office/Office.h"
#include "platform/office/UnoTypes.h"

#include <QSet>
#include <QString>

#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/lang/XEventListener.hpp>

#include <atomic>
#include <chrono>
#include <functional>
#include <sys/types.h>
#include <vector>

namespace office {

struct Office::Impl {
    explicit Impl(bool readerRole);

    const bool reader;  // the office that reads workbooks
    QString program;
    bool headless;
    QString dataFolder;
    Limits limits;
    int storeSeconds;
    std::function<void(const QString&)> beforeStore;

    uno::Reference<css::uno::XComponentContext> remote;
    uno::Reference<css::frame::XDesktop2> desktop;
    uno::Reference<css::bridge::XBridge> bridge;
    uno::Reference<css::lang::XEventListener> listener;
    std::atomic<bool> alive{false};
    std::atomic<int> connections{0};  // counts the connections made
    pid_t pid = 0;  // the started office's process group
    // The process group of an office of an earlier run reused by this one
    // (not our child: it is watched and ended, never reaped), and the pipe
    // it listens on.
    pid_t reusedGroup = 0;
    QString reusedPipe;
    pid_t watchdog = 0;
    QString pipe;   // the name the started office listens on
    int starts = 0;
    // Offices started here and left running for the user at an end of the
    // run; reaped once they end.
    std::vector<pid_t> leftRunning;
    QSet<QString> documentFiles;  // local files the office was given

    QString profile() const;
    // The office's own temporary folder, so that what a killed office
    // leaves there stays inside the profile folder.
    QString tempFolder() const;
    QString pipeFile() const;

    // The process (OfficeProcess.cpp).
    bool childRunning();
    void reapLeftRunning(std::chrono::milliseconds wait = std::chrono::milliseconds(0));
    // The process group the limits of a guard watch: the office this
    // process started, or the one of an earlier run it reuses.
    pid_t watchedGroup() const { return pid > 0 ? pid : reusedGroup; }
    // After a guard ended the office: what it leaves is cleared away
    // without a call to it (it is gone); the next use starts a new one.
    void forgetEnded();
    // Processes of a process group (the office's start program and the
    // office it runs), or with `byParent` the children of a process.
    static std::vector<pid_t> groupMembers(pid_t group, bool byParent = false);
    // Kills what is left of a started office and reaps it.
    void killGroup();
    // Lock files that a killed office left next to documents it held.
    void removeStaleLocks();
    // A new profile gets the settings of a fast start; every profile gets
    // the kept settings, replacing what the office wrote for them.
    void seedProfile();
    // An office of ours left running by an earlier run (with the user's
    // documents in it) is reused.
    bool reuseEarlier();
    // Whether a process of the group is an office started with that pipe.
    static bool groupListensOn(pid_t group, const QString& pipeName);
    void stopWatchdog();
    void startWatchdog(pid_t group);
    void start();
    // Ends the connected office; returns false (and leaves it running) when
    // it shows a document and `evenVisible` is false, after closing the
    // hidden documents when `closeHidden`.
    bool end(bool evenVisible, bool closeHidden = false);

    // The connection (OfficeDesktop.cpp).
    bool connected();
    void dropConnection();
    // One attempt to reach an office listening on `pipe`.
    bool tryConnect(const QString& pipe);
    // Documents open in the office.
    std::vector<uno::Reference<css::lang::XComponent>> components();
};

} // namespace office
