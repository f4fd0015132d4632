#include "platform/office/OfficeProcess.h"

#include "platform/office/Components.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace office {

using namespace office::uno;

namespace {

// Starts a program in process group `group` (0: a group of its own) with its
// standard streams on /dev/null, no signals blocked and a broken pipe
// handled as usual (this process ignores it); `searchPath` looks the program
// up in PATH. Returns 0 or the error number.
int spawnQuietly(pid_t* pid, char* const argv[], char* const envp[], pid_t group, bool searchPath)
{
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attr, group);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    sigset_t usual;
    sigemptyset(&usual);
    sigaddset(&usual, SIGPIPE);
    posix_spawnattr_setsigdefault(&attr, &usual);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    const int rc = searchPath ? posix_spawnp(pid, argv[0], &files, &attr, argv, envp)
                              : posix_spawn(pid, argv[0], &files, &attr, argv, envp);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attr);
    return rc;
}

constexpr const char* kDefaultProgram = "/usr/lib/libreoffice/program/soffice";
constexpr auto kStartTimeout = std::chrono::seconds(90);
constexpr auto kGraceAfterExit = std::chrono::seconds(5);
constexpr auto kEndTimeout = std::chrono::seconds(10);
const char* const kPipeFile = "kalveta-office-pipe";

// Settings the profile starts with: no first-start pages (the start then
// takes a fraction of a second), no tips. A headless office also keeps no
// lock files, writes no thumbnails and saves no recovery data.
const char* const kSeedCommon[][3] = {
    {"/org.openoffice.Setup/Product", "ooSetupLastVersion", "99.9"},
    {"/org.openoffice.Office.Common/Misc", "ShowTipOfTheDay", "false"},
    {"/org.openoffice.Office.Common/Misc", "FirstRun", "false"},
};
// Spreadsheets are read with the values they were saved with: formulas are
// not recalculated on load (1: never) in any of the formats. Kept in the
// profile on every start, also in a profile made by an earlier version.
const char* const kKeptSettings[][3] = {
    {"/org.openoffice.Office.Calc/Formula/Load", "OOXMLRecalcMode", "1"},
    {"/org.openoffice.Office.Calc/Formula/Load", "ODFRecalcMode", "1"},
};
const char* const kSeedHeadless[][3] = {
    {"/org.openoffice.Office.Common/Misc", "UseLocking", "false"},
    {"/org.openoffice.Office.Common/Save/Document", "GenerateThumbnail", "false"},
    {"/org.openoffice.Office.Recovery/AutoSave", "Enabled", "false"},
};

bool envFlag(const char* name)
{
    const QByteArray v = qgetenv(name).trimmed();
    return !v.isEmpty() && v != "0";
}

// The default memory limit: half the machine's memory, at most 2 GB.
long long defaultMemoryLimit()
{
    constexpr long long kMax = 2LL << 30;
    const long long pages = ::sysconf(_SC_PHYS_PAGES);
    const long long pageSize = ::sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return kMax;
    return std::min(kMax, pages * pageSize / 2);
}
constexpr int kDefaultTimeLimit = 60;
constexpr int kDefaultStoreTimeLimit = 60;

QString fileUrl(const QString& path)
{
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

// The socket of a pipe the office listens on.
QString pipeSocket(const QString& name)
{
    return QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(::getuid()).arg(name);
}

// The pipe through which an office hands its arguments to another office
// on the same profile: named after an MD5 digest of the profile's URL.
QString singleInstancePipe(const QString& profileUrl)
{
    const QByteArray utf16(reinterpret_cast<const char*>(profileUrl.utf16()), profileUrl.size() * 2);
    const QByteArray digest = QCryptographicHash::hash(utf16, QCryptographicHash::Md5);
    QString hex;
    for (unsigned char b : digest)
        hex += QString::number(b, 16);
    return QStringLiteral("SingleOfficeIPC_") + hex;
}

} // namespace

Office::Impl::Impl(bool readerRole)
    : reader(readerRole)
    , program(QString::fromLatin1(kDefaultProgram))
    // Without a screen an office window cannot be shown at all.
    , headless(readerRole || envFlag("KALVETA_HEADLESS_OFFICE")
               || (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")))
    , limits{defaultMemoryLimit(), kDefaultTimeLimit}
    , storeSeconds(kDefaultStoreTimeLimit)
{
}

QString Office::Impl::profile() const
{
    return QDir(dataFolder).filePath(reader ? QStringLiteral("office-reader") : QStringLiteral("office"));
}

QString Office::Impl::tempFolder() const
{
    return QDir(profile()).filePath(QStringLiteral("tmp"));
}

QString Office::Impl::pipeFile() const
{
    return QDir(profile()).filePath(QString::fromLatin1(kPipeFile));
}

bool Office::Impl::childRunning()
{
    if (pid <= 0)
        return true;  // not ours to watch; the bridge tells
    int status = 0;
    const pid_t r = ::waitpid(pid, &status, WNOHANG);
    return r == 0;
}

void Office::Impl::reapLeftRunning(std::chrono::milliseconds wait )
{
    const auto until = std::chrono::steady_clock::now() + wait;
    for (;;) {
        std::erase_if(leftRunning, [](pid_t p) {
            int status = 0;
            return ::waitpid(p, &status, WNOHANG) != 0;
        });
        if (leftRunning.empty() || std::chrono::steady_clock::now() >= until)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// After a guard ended the office: what it leaves is cleared away
// without a call to it (it is gone); the next use starts a new one.
void Office::Impl::forgetEnded()
{
    dropConnection();
    if (pid != 0)
        killGroup();
    if (reusedGroup > 0) {
        ::kill(-reusedGroup, SIGKILL);
        reusedGroup = 0;
        QFile::remove(pipeSocket(reusedPipe));
        QFile::remove(pipeFile());
        QDir(tempFolder()).removeRecursively();
    }
    removeStaleLocks();
}

// Processes of a process group (the office's start program and the
// office it runs), or with `byParent` the children of a process.
std::vector<pid_t> Office::Impl::groupMembers(pid_t group, bool byParent)
{
    std::vector<pid_t> out;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& e : entries) {
        bool ok = false;
        const pid_t p = pid_t(e.toInt(&ok));
        if (!ok)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(p));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // pid (name) state ppid pgrp ...: the name may hold blanks.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields.at(byParent ? 1 : 2).toInt() == group)
            out.push_back(p);
    }
    return out;
}

// Kills what is left of a started office and reaps it: the office
// first, so that its start program reaps it, then the start program.
void Office::Impl::killGroup()
{
    if (pid == 0)
        return;
    const pid_t group = pid > 0 ? pid : -pid;
    for (pid_t p : groupMembers(group))
        if (p != group)
            ::kill(p, SIGKILL);
    if (pid > 0) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (childRunning() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (childRunning()) {
            ::kill(pid, SIGKILL);
            int status = 0;
            ::waitpid(pid, &status, 0);
        }
    }
    ::kill(-group, SIGKILL);
    pid = 0;
    stopWatchdog();
    // What the office leaves when it cannot clean up after itself: the
    // socket of its pipe and its temporary files.
    if (!pipe.isEmpty())
        QFile::remove(pipeSocket(pipe));
    QFile::remove(pipeSocket(singleInstancePipe(fileUrl(profile()))));
    QDir(tempFolder()).removeRecursively();
}

// Lock files that a killed office left next to documents it held.
void Office::Impl::removeStaleLocks()
{
    QFile::remove(QDir(profile()).filePath(QStringLiteral(".lock")));
    // Only locks that name our profile: another office may hold the
    // same document now.
    const QByteArray ours = QFileInfo(profile()).absoluteFilePath().toUtf8();
    for (const QString& path : std::as_const(documentFiles)) {
        const QFileInfo fi(path);
        QFile lock(fi.dir().filePath(QStringLiteral(".~lock.") + fi.fileName() + QLatin1Char('#')));
        if (!lock.open(QIODevice::ReadOnly))
            continue;
        const QByteArray owner = QByteArray::fromPercentEncoding(lock.readAll());
        lock.close();
        if (owner.contains(ours))
            lock.remove();
    }
    documentFiles.clear();
}

// A new profile gets the settings of a fast start; every profile gets
// the kept settings, replacing what the office wrote for them.
void Office::Impl::seedProfile()
{
    const QString user = QDir(profile()).filePath(QStringLiteral("user"));
    const QString xcu = QDir(user).filePath(QStringLiteral("registrymodifications.xcu"));
    auto line = [](const char* const item[3]) {
        return QByteArray("<item oor:path=\"") + item[0] + "\"><prop oor:name=\"" + item[1]
            + "\" oor:op=\"fuse\"><value>" + item[2] + "</value></prop></item>\n";
    };
    QByteArray text;
    QFile existing(xcu);
    if (existing.open(QIODevice::ReadOnly)) {
        text = existing.readAll();
        existing.close();
    }
    const QByteArray end = "</oor:items>";
    if (!text.contains(end)) {
        QDir().mkpath(user);
        text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
               "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
               "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n";
        for (const auto& item : kSeedCommon)
            text += line(item);
        if (headless)
            for (const auto& item : kSeedHeadless)
                text += line(item);
        text += end + "\n";
    }
    const QByteArray before = text;
    for (const auto& item : kKeptSettings) {
        const QByteArray wanted = line(item);
        if (text.contains(wanted))
            continue;
        // The office writes one item a line.
        const QByteArray key = QByteArray("<item oor:path=\"") + item[0] + "\"><prop oor:name=\"" + item[1] + "\"";
        for (qsizetype at = text.indexOf(key); at >= 0; at = text.indexOf(key)) {
            const qsizetype eol = text.indexOf('\n', at);
            text.remove(at, eol < 0 ? text.size() - at : eol - at + 1);
        }
        text.insert(text.lastIndexOf(end), wanted);
    }
    if (text == before && existing.exists())
        return;
    QFile f(xcu);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(text);
}

// An office of ours left running by an earlier run (with the user's
// documents in it) is reused. The pipe file names its pipe and its
// process group; the group is watched by guards like one started here,
// when it is still the office of that pipe.
bool Office::Impl::reuseEarlier()
{
    if (reader)
        return false;  // never left running for a user
    QFile f(pipeFile());
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QString earlier = QString::fromUtf8(f.readLine()).trimmed();
    const pid_t group = pid_t(QString::fromUtf8(f.readLine()).trimmed().toInt());
    if (earlier.isEmpty() || !tryConnect(earlier))
        return false;
    reusedPipe = earlier;
    reusedGroup = group > 0 && groupListensOn(group, earlier) ? group : 0;
    return true;
}

// Whether a process of the group is an office started with that pipe
// (a process group number may have been given to another program).
bool Office::Impl::groupListensOn(pid_t group, const QString& pipeName)
{
    const QByteArray wanted = "--accept=pipe,name=" + pipeName.toUtf8() + ';';
    for (pid_t p : groupMembers(group)) {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(p));
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(wanted))
            return true;
    }
    return false;
}

// A headless office must not outlive this process, however it ends
// (a test killed for taking too long): a small shell in the office's
// process group ends the group once this process is gone.
void Office::Impl::stopWatchdog()
{
    if (watchdog <= 0)
        return;
    const auto sleeping = groupMembers(watchdog, true);
    ::kill(watchdog, SIGKILL);
    for (pid_t p : sleeping)
        ::kill(p, SIGKILL);
    int status = 0;
    ::waitpid(watchdog, &status, 0);
    watchdog = 0;
}

void Office::Impl::startWatchdog(pid_t group)
{
    const QByteArray sockets = QFile::encodeName(pipeSocket(pipe)) + "' '"
        + QFile::encodeName(pipeSocket(singleInstancePipe(fileUrl(profile()))));
    const QByteArray script = QByteArray("while kill -0 ") + QByteArray::number(::getpid())
        + " 2>/dev/null; do sleep 1; done; rm -f '" + sockets + "'; kill -KILL -" + QByteArray::number(group);
    const char* argv[] = {"/bin/sh", "-c", script.constData(), nullptr};
    pid_t p = 0;
    if (spawnQuietly(&p, const_cast<char**>(argv), environ, group, false) == 0)
        watchdog = p;
}

void Office::Impl::start()
{
    pipe = QStringLiteral("kalveta-%1-%2-%3")
                             .arg(::getpid())
                             .arg(starts + 1)
                             .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    seedProfile();

    std::vector<QByteArray> args;
    args.push_back(program.toLocal8Bit());
    if (headless)
        args.push_back("--headless");
    for (const char* a : {"--invisible", "--nologo", "--norestore", "--nodefault", "--nolockcheck"})
        args.push_back(a);
    args.push_back(QByteArray("--accept=pipe,name=") + pipe.toUtf8() + ";urp;StarOffice.ComponentContext");
    args.push_back(QByteArray("-env:UserInstallation=") + fileUrl(profile()).toUtf8());
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    QDir().mkpath(tempFolder());
    std::vector<QByteArray> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "TMPDIR=", 7) != 0)
            env.emplace_back(*e);
    env.push_back("TMPDIR=" + QFile::encodeName(tempFolder()));
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    pid_t child = 0;
    const int rc = spawnQuietly(&child, argv.data(), envp.data(), 0, !program.contains(QLatin1Char('/')));
    if (rc != 0)
        throw Error(ErrorKind::NotStarted, program + QStringLiteral(" (") + QString::fromLocal8Bit(std::strerror(rc)) + QLatin1Char(')'));
    pid = child;
    ++starts;
    if (headless)
        startWatchdog(child);

    using clock = std::chrono::steady_clock;
    const auto begin = clock::now();
    std::optional<clock::time_point> exitedAt;
    int exitStatus = 0;
    auto wait = std::chrono::milliseconds(30);
    for (;;) {
        if (tryConnect(pipe))
            break;
        if (!exitedAt) {
            int status = 0;
            if (::waitpid(child, &status, WNOHANG) == child) {
                // Either it failed, or it handed the request to an office
                // already running on this profile; give that one a moment.
                exitedAt = clock::now();
                exitStatus = status;
                pid = -child;
            }
        }
        const auto now = clock::now();
        if ((exitedAt && now - *exitedAt > kGraceAfterExit) || now - begin > kStartTimeout) {
            killGroup();
            QString why = exitedAt ? QStringLiteral("программа завершилась с кодом %1")
                                         .arg(WIFEXITED(exitStatus) ? WEXITSTATUS(exitStatus) : 128 + WTERMSIG(exitStatus))
                                   : QStringLiteral("программа не отвечает");
            throw Error(ErrorKind::NotStarted, program + QStringLiteral(" (") + why + QLatin1Char(')'));
        }
        std::this_thread::sleep_for(wait);
        wait = std::min(wait * 2, std::chrono::milliseconds(100));
    }
    QFile f(pipeFile());
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(pipe.toUtf8() + '\n' + QByteArray::number(child) + '\n');
}

// Ends the connected office; returns false (and leaves it running) when
// it shows a document and `evenVisible` is false, after closing the
// hidden documents when `closeHidden`.
bool Office::Impl::end(bool evenVisible, bool closeHidden)
{
    bool ended = false;
    if (connected()) {
        auto docs = components();
        if (!evenVisible) {
            std::vector<Reference<css::lang::XComponent>> shown;
            for (const auto& c : docs)
                if (isVisible(c))
                    shown.push_back(c);
            if (!shown.empty()) {
                if (closeHidden)
                    for (const auto& c : docs)
                        if (std::find(shown.begin(), shown.end(), c) == shown.end())
                            closeComponent(c);
                return false;
            }
        }
        for (const auto& c : docs)
            closeComponent(c);
        try {
            desktop->terminate();
        } catch (const css::uno::Exception&) {
        }
        ended = true;
    }
    dropConnection();
    if (pid > 0) {
        const auto until = std::chrono::steady_clock::now() + kEndTimeout;
        while (childRunning() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (childRunning()) {
            killGroup();
            removeStaleLocks();
        }
    }
    if (pid != 0) {
        killGroup();  // anything left in the group
        ended = true;
    }
    if (ended) {
        // An office left running earlier and ended now by terminate().
        reapLeftRunning(kEndTimeout);
        QFile::remove(pipeFile());
        QDir(tempFolder()).removeRecursively();
        documentFiles.clear();
    }
    reusedGroup = 0;
    return true;
}

} // namespace office
