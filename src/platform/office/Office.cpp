#include "platform/office/Office.h"

#include "platform/office/OfficeDesktop.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>
#include <QSet>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QUrl>

#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XEventListener.hpp>
#include <com/sun/star/document/LockFileCorruptRequest.hpp>
#include <com/sun/star/document/LockFileIgnoreRequest.hpp>
#include <com/sun/star/document/LockedDocumentRequest.hpp>
#include <com/sun/star/task/ErrorCodeRequest.hpp>
#include <com/sun/star/task/PasswordRequest.hpp>
#include <com/sun/star/task/XInteractionAbort.hpp>
#include <com/sun/star/task/XInteractionDisapprove.hpp>
#include <com/sun/star/task/XInteractionHandler.hpp>
#include <com/sun/star/ucb/IOErrorCode.hpp>
#include <com/sun/star/ucb/InteractiveIOException.hpp>
#include <com/sun/star/util/CloseVetoException.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/implbase1.hxx>
#include <rtl/ref.hxx>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace office {

using namespace office::uno;

namespace {

// Starts a program in process group `group` (0: a group of its own) with its
// standard streams on /dev/null and no signals blocked; `searchPath` looks
// the program up in PATH. Returns 0 or the error number.
int spawnQuietly(pid_t* pid, char* const argv[], char* const envp[], pid_t group, bool searchPath)
{
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
    posix_spawnattr_setpgroup(&attr, group);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
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
constexpr const char* kFundamentalRc = "/usr/lib/libreoffice/program/fundamentalrc";
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

// Told by the UNO bridge when the connection to the office ends.
class BridgeListener : public cppu::WeakImplHelper1<css::lang::XEventListener> {
public:
    explicit BridgeListener(std::atomic<bool>* alive) : alive_(alive) {}
    void SAL_CALL disposing(const css::lang::EventObject&) override { alive_->store(false); }

private:
    std::atomic<bool>* alive_;
};

bool envFlag(const char* name)
{
    const QByteArray v = qgetenv(name).trimmed();
    return !v.isEmpty() && v != "0";
}

void shutdownHook()
{
    Office::instance().shutdown();
}

Office* gReader = nullptr;  // made by Office::reader() on first use

void readerShutdownHook()
{
    if (gReader)
        gReader->shutdown();
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

struct Office::Impl {
    explicit Impl(bool readerRole) : reader(readerRole)
    {
        if (reader)
            headless = true;
    }

    const bool reader;  // the office that reads workbooks
    QString program = QString::fromLatin1(kDefaultProgram);
    // Without a screen an office window cannot be shown at all.
    bool headless = envFlag("KALVETA_HEADLESS_OFFICE")
        || (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"));
    QString dataFolder;
    Limits limits{defaultMemoryLimit(), kDefaultTimeLimit};
    int storeSeconds = kDefaultStoreTimeLimit;
    std::function<void(const QString&)> beforeStore;

    Reference<css::uno::XComponentContext> remote;
    Reference<css::frame::XDesktop2> desktop;
    Reference<css::bridge::XBridge> bridge;
    rtl::Reference<BridgeListener> listener;
    std::atomic<bool> alive{false};
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

    QString profile() const
    {
        return QDir(dataFolder).filePath(reader ? QStringLiteral("office-reader") : QStringLiteral("office"));
    }
    // The office's own temporary folder, so that what a killed office
    // leaves there stays inside the profile folder.
    QString tempFolder() const { return QDir(profile()).filePath(QStringLiteral("tmp")); }

    bool childRunning()
    {
        if (pid <= 0)
            return true;  // not ours to watch; the bridge tells
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        return r == 0;
    }

    void reapLeftRunning(std::chrono::milliseconds wait = std::chrono::milliseconds(0))
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

    bool connected()
    {
        if (!remote.is() || !alive.load())
            return false;
        if (pid > 0 && !childRunning()) {
            // The office we started has ended (crashed, or the user quit it).
            pid = -pid;  // reaped; remember only that the group may linger
            alive.store(false);
            return false;
        }
        return true;
    }

    void dropConnection()
    {
        if (bridge.is()) {
            try {
                Reference<css::lang::XComponent>(bridge, UNO_QUERY_THROW)->dispose();
            } catch (const css::uno::Exception&) {
            }
        }
        desktop.clear();
        remote.clear();
        bridge.clear();
        listener.clear();
        alive.store(false);
    }

    // The process group the limits of a guard watch: the office this
    // process started, or the one of an earlier run it reuses.
    pid_t watchedGroup() const { return pid > 0 ? pid : reusedGroup; }

    // After a guard ended the office: what it leaves is cleared away
    // without a call to it (it is gone); the next use starts a new one.
    void forgetEnded()
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
    static std::vector<pid_t> groupMembers(pid_t group, bool byParent = false)
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
    void killGroup()
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
    void removeStaleLocks()
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
    void seedProfile()
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

    // One attempt to reach an office listening on `pipe`.
    bool tryConnect(const QString& pipe)
    {
        try {
            auto local = localContext();
            auto connection = css::connection::Connector::create(local)->connect(
                toOU(QStringLiteral("pipe,name=") + pipe));
            auto factory = css::bridge::BridgeFactory::create(local);
            auto newBridge = factory->createBridge(OUString(), "urp", connection, nullptr);
            Reference<css::uno::XComponentContext> ctx(
                newBridge->getInstance("StarOffice.ComponentContext"), UNO_QUERY_THROW);
            auto newDesktop = css::frame::Desktop::create(ctx);
            alive.store(true);
            listener = new BridgeListener(&alive);
            Reference<css::lang::XComponent>(newBridge, UNO_QUERY_THROW)
                ->addEventListener(Reference<css::lang::XEventListener>(listener.get()));
            bridge = newBridge;
            remote = ctx;
            desktop = newDesktop;
            return true;
        } catch (const css::connection::NoConnectException&) {
            return false;
        } catch (const css::uno::Exception&) {
            return false;
        }
    }

    QString pipeFile() const { return QDir(profile()).filePath(QString::fromLatin1(kPipeFile)); }

    // An office of ours left running by an earlier run (with the user's
    // documents in it) is reused. The pipe file names its pipe and its
    // process group; the group is watched by guards like one started here,
    // when it is still the office of that pipe.
    bool reuseEarlier()
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
    static bool groupListensOn(pid_t group, const QString& pipeName)
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
    void stopWatchdog()
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

    void startWatchdog(pid_t group)
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

    void start()
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

    // Documents open in the office.
    std::vector<Reference<css::lang::XComponent>> components()
    {
        std::vector<Reference<css::lang::XComponent>> out;
        if (!desktop.is())
            return out;
        try {
            auto e = desktop->getComponents()->createEnumeration();
            while (e->hasMoreElements()) {
                Reference<css::lang::XComponent> c(e->nextElement(), UNO_QUERY);
                if (c.is())
                    out.push_back(c);
            }
        } catch (const css::uno::Exception&) {
        }
        return out;
    }

    // Ends the connected office; returns false (and leaves it running) when
    // it shows a document and `evenVisible` is false, after closing the
    // hidden documents when `closeHidden`.
    bool end(bool evenVisible, bool closeHidden = false)
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
};

Office& Office::instance()
{
    // Never destroyed: the end of the run is handled by shutdown(), before
    // the UNO runtime goes away.
    static Office* office = [] {
        auto* o = new Office(false);
        if (QCoreApplication::instance())
            qAddPostRoutine(shutdownHook);
        std::atexit(shutdownHook);
        return o;
    }();
    return *office;
}

Office& Office::reader()
{
    static Office* office = [] {
        auto* o = new Office(true);
        gReader = o;
        if (QCoreApplication::instance())
            qAddPostRoutine(readerShutdownHook);
        std::atexit(readerShutdownHook);
        return o;
    }();
    return *office;
}

Office::Office(bool reader) : d_(std::make_unique<Impl>(reader))
{
    const QString home = qEnvironmentVariable("KALVETA_HOME");
    d_->dataFolder = !home.isEmpty() ? home : QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

Office::~Office() = default;

bool Office::ensureRunning()
{
    d_->reapLeftRunning();
    if (d_->connected())
        return false;
    d_->dropConnection();
    if (d_->pid != 0) {
        d_->killGroup();
        d_->removeStaleLocks();
    }
    d_->reusedGroup = 0;  // a reused office that went away is not ours to end
    localContext();  // throws NotStarted without the office's runtime
    if (d_->reuseEarlier())
        return false;
    d_->start();
    return true;
}

bool Office::isRunning()
{
    return d_->connected();
}

QStringList Office::documentFiles()
{
    QStringList out;
    if (!d_->connected())
        return out;
    for (const auto& c : d_->components()) {
        try {
            Reference<css::frame::XModel> model(c, UNO_QUERY);
            const QUrl url(model.is() ? toQ(model->getURL()) : QString());
            if (url.isLocalFile())
                out << QFileInfo(url.toLocalFile()).absoluteFilePath();
        } catch (const css::uno::RuntimeException&) {
            // A document closed meanwhile holds no name.
        }
    }
    return out;
}

bool Office::quitIfIdle()
{
    return d_->end(false);
}

void Office::shutdown()
{
    if (d_->headless) {
        d_->end(true);
        return;
    }
    if (!d_->end(false, true)) {
        // The user works with documents in it: leave it to the user.
        d_->stopWatchdog();
        d_->dropConnection();
        if (d_->pid > 0)
            d_->leftRunning.push_back(d_->pid);
        d_->pid = 0;
        d_->reusedGroup = 0;
    }
}

bool Office::headless() const
{
    return d_->headless;
}

void Office::setHeadless(bool headless)
{
    d_->headless = headless || d_->reader;
}

QString Office::dataFolder() const
{
    return d_->dataFolder;
}

void Office::setDataFolder(const QString& folder)
{
    d_->dataFolder = folder;
}

QString Office::profileFolder() const
{
    return d_->profile();
}

QString Office::program() const
{
    return d_->program;
}

void Office::setProgram(const QString& path)
{
    d_->program = path;
}

long long Office::processGroup() const
{
    return d_->pid > 0 ? d_->pid : 0;
}

int Office::startCount() const
{
    return d_->starts;
}

Office::Limits Office::limits() const
{
    return d_->limits;
}

void Office::setLimits(const Limits& limits)
{
    d_->limits = limits;
}

int Office::storeSeconds() const
{
    return d_->storeSeconds;
}

void Office::setStoreSeconds(int seconds)
{
    d_->storeSeconds = seconds;
}

void Office::setBeforeStore(std::function<void(const QString& file)> hook)
{
    d_->beforeStore = std::move(hook);
}

// ---------------------------------------------------------------------------
// Guard

namespace {

// Resident memory of the processes of a group, in bytes.
long long groupResidentBytes(pid_t group)
{
    long long total = 0;
    for (pid_t p : Office::Impl::groupMembers(group)) {
        QFile status(QStringLiteral("/proc/%1/status").arg(p));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:")) {
                total += line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
                break;
            }
    }
    return total;
}

} // namespace

struct Office::Guard::State {
    pid_t group = 0;
    Limits limits;
    std::atomic<int> exceeded{int(Exceeded::None)};
    std::mutex mutex;
    std::condition_variable wake;
    bool done = false;
    std::thread thread;

    void watch()
    {
        using clock = std::chrono::steady_clock;
        const auto until = clock::now() + std::chrono::seconds(limits.seconds);
        std::unique_lock lock(mutex);
        while (!done) {
            Exceeded why = Exceeded::None;
            if (limits.seconds > 0 && clock::now() >= until)
                why = Exceeded::Time;
            else if (limits.memoryBytes > 0 && groupResidentBytes(group) > limits.memoryBytes)
                why = Exceeded::Memory;
            if (why != Exceeded::None) {
                exceeded.store(int(why));
                // Only signals here: the office's state is put right by the
                // thread that uses it, once its call has failed.
                ::kill(-group, SIGKILL);
                return;
            }
            wake.wait_for(lock, std::chrono::milliseconds(50));
        }
    }
};

Office::Guard::Guard(Office& office) : Guard(office, office.limits())
{
}

Office::Guard::Guard(Office& office, const Limits& limits) : s_(std::make_shared<State>())
{
    s_->group = office.impl().watchedGroup();
    s_->limits = limits;
    if (s_->group > 0)
        s_->thread = std::thread([s = s_] { s->watch(); });
}

Office::Guard::~Guard()
{
    {
        std::lock_guard lock(s_->mutex);
        s_->done = true;
    }
    s_->wake.notify_all();
    if (s_->thread.joinable())
        s_->thread.join();
}

Office::Guard::Exceeded Office::Guard::exceeded() const
{
    return Exceeded(s_->exceeded.load());
}

// ---------------------------------------------------------------------------
// UNO support

namespace uno {

Reference<css::uno::XComponentContext> localContext()
{
    // Kept to the very end of the process (never destroyed), like the
    // runtime it stands for.
    static auto* ctxHolder = new Reference<css::uno::XComponentContext>;
    auto& ctx = *ctxHolder;
    if (ctx.is())
        return ctx;
    if (qEnvironmentVariableIsEmpty("URE_BOOTSTRAP"))
        qputenv("URE_BOOTSTRAP", QByteArray("vnd.sun.star.pathname:") + kFundamentalRc);
    // A call to an office that has just ended writes into its closed pipe:
    // that must fail as the call (the office lost), never end the program.
    ::signal(SIGPIPE, SIG_IGN);
    try {
        ctx = cppu::defaultBootstrap_InitialComponentContext();
    } catch (const cppu::BootstrapException& e) {
        throw Error(ErrorKind::NotStarted, toQ(e.getMessage()));
    } catch (const css::uno::Exception& e) {
        throw Error(ErrorKind::NotStarted, toQ(e.Message));
    }
    return ctx;
}

Reference<css::uno::XComponentContext> context()
{
    Office::instance().ensureRunning();
    return Office::instance().impl().remote;
}

Reference<css::frame::XDesktop2> desktop()
{
    Office::instance().ensureRunning();
    return Office::instance().impl().desktop;
}

Reference<css::frame::XDesktop2> desktopOf(Office& office)
{
    office.ensureRunning();
    return office.impl().desktop;
}

Reference<css::uno::XComponentContext> contextOf(Office& office)
{
    office.ensureRunning();
    return office.impl().remote;
}

bool connectedTo(Office& office)
{
    return office.impl().connected();
}

Props props(std::initializer_list<std::pair<const char*, Any>> list)
{
    Props out(static_cast<sal_Int32>(list.size()));
    auto* p = out.getArray();
    for (const auto& [name, value] : list) {
        p->Name = OUString::createFromAscii(name);
        p->Value = value;
        ++p;
    }
    return out;
}

namespace {

// A little more than a file needs: the office writes a temporary copy and
// its own files besides.
constexpr long long kStoreSlack = 1LL << 20;

bool diskNearlyFull(const QString& folder, long long needed)
{
    QStorageInfo disk(folder);
    disk.refresh();
    return disk.isValid() && disk.bytesAvailable() >= 0 && disk.bytesAvailable() < needed;
}


// The office's classes of input/output errors, by their number in an
// error code and the name its messages give them.
struct ErrorClassText {
    int number;
    const char* name;
    const char* text;
};
constexpr ErrorClassText kErrorClasses[] = {
    {1, "Abort", "операция прервана"},
    {3, "NotExists", "файл или папка не существует"},
    {4, "AlreadyExists", "файл с таким именем уже есть или открыт в офисной программе"},
    {5, "Access", "нет доступа к файлу или папке"},
    {6, "Path", "неверный путь к файлу"},
    {7, "Locking", "файл заблокирован другой программой"},
    {9, "Space", "недостаточно места на диске"},
    {11, "Read", "ошибка чтения файла"},
    {12, "Write", "ошибка записи файла"},
    {15, "Format", "неверный формат файла"},
    {16, "Create", "не удается создать файл"},
};
const char* const kOtherIoError = "ошибка чтения или записи файла";

QString errorClassText(const ErrorClassText* c)
{
    return QString::fromUtf8(c ? c->text : kOtherIoError);
}

const ErrorClassText* errorClassByNumber(int number)
{
    for (const auto& c : kErrorClasses)
        if (c.number == number)
            return &c;
    return nullptr;
}

const ErrorClassText* errorClassByName(const QString& name)
{
    for (const auto& c : kErrorClasses)
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

// What the office asked in a request it would have shown as a dialog.
QString requestText(const Any& request)
{
    if (request.isExtractableTo(cppu::UnoType<css::document::LockFileIgnoreRequest>::get()))
        return QStringLiteral("рядом с файлом не удается создать файл блокировки");
    if (request.isExtractableTo(cppu::UnoType<css::document::LockedDocumentRequest>::get()))
        return QStringLiteral("файл открыт в другой программе или другим пользователем");
    if (request.isExtractableTo(cppu::UnoType<css::document::LockFileCorruptRequest>::get()))
        return QStringLiteral("файл блокировки документа поврежден");
    if (request.isExtractableTo(cppu::UnoType<css::task::PasswordRequest>::get()))
        return QStringLiteral("файл защищен паролем");
    css::ucb::InteractiveIOException io;
    if (request >>= io) {
        switch (io.Code) {
        case css::ucb::IOErrorCode_OUT_OF_DISK_SPACE:
            return errorClassText(errorClassByNumber(9));
        case css::ucb::IOErrorCode_ACCESS_DENIED:
        case css::ucb::IOErrorCode_WRITE_PROTECTED:
            return errorClassText(errorClassByNumber(5));
        case css::ucb::IOErrorCode_NOT_EXISTING:
        case css::ucb::IOErrorCode_NOT_EXISTING_PATH:
            return errorClassText(errorClassByNumber(3));
        case css::ucb::IOErrorCode_LOCKING_VIOLATION:
            return errorClassText(errorClassByNumber(7));
        default:
            return errorClassText(nullptr);
        }
    }
    css::task::ErrorCodeRequest code;
    if (request >>= code)
        return errorClassText(errorClassByNumber((code.ErrCode >> 8) & 0x1f));
    return QStringLiteral("офисная программа запросила ответ пользователя");
}

// Answers every question of the office in place of the user, so that the
// office never shows a dialog of its own (in its language, behind the
// program's window): the document is not loaded or stored, and what was
// asked is kept for the message.
class QuietInteraction : public cppu::WeakImplHelper1<css::task::XInteractionHandler> {
public:
    void SAL_CALL handle(const Reference<css::task::XInteractionRequest>& request) override
    {
        if (!request.is())
            return;
        {
            // The first question tells the cause; the office reports the
            // answer given to it as an error of its own afterwards.
            std::lock_guard lock(mutex_);
            if (asked_.isEmpty())
                asked_ = requestText(request->getRequest());
        }
        const auto continuations = request->getContinuations();
        for (const auto& c : continuations) {
            if (Reference<css::task::XInteractionAbort>(c, UNO_QUERY).is()) {
                c->select();
                return;
            }
        }
        for (const auto& c : continuations) {
            if (Reference<css::task::XInteractionDisapprove>(c, UNO_QUERY).is()) {
                c->select();
                return;
            }
        }
    }
    QString asked() const
    {
        std::lock_guard lock(mutex_);
        return asked_;
    }

private:
    mutable std::mutex mutex_;
    QString asked_;
};

} // namespace

Reference<css::task::XInteractionHandler> quietInteraction()
{
    return Reference<css::task::XInteractionHandler>(new QuietInteraction);
}

QString plainOfficeText(const QString& text)
{
    QString out = text.trimmed();
    // The places in the office's sources, and the name of the routine
    // that failed in front.
    if (const qsizetype at = out.indexOf(QLatin1String(" at ./")); at >= 0)
        out.truncate(at);
    static const QRegularExpression routine(QStringLiteral("^\\w+::\\w+\\s+"));
    out.remove(routine);
    out.replace(QLatin1String(" failed: "), QLatin1String(": "));
    // Error codes in words, file addresses as the user knows the paths.
    auto replaceAll = [&out](const QRegularExpression& re, const std::function<QString(const QRegularExpressionMatch&)>& by) {
        QString rebuilt;
        qsizetype last = 0;
        for (auto it = re.globalMatch(out); it.hasNext();) {
            const auto m = it.next();
            rebuilt += out.mid(last, m.capturedStart() - last) + by(m);
            last = m.capturedEnd();
        }
        out = rebuilt + out.mid(last);
    };
    static const QRegularExpression code(
        QStringLiteral("(0x[0-9a-fA-F]+)?\\s*\\(?(?:Error|Warning)? ?Area:\\w+ Class:(\\w+) Code:\\d+\\)?"));
    replaceAll(code, [](const QRegularExpressionMatch& m) {
        return QLatin1Char(' ') + errorClassText(errorClassByName(m.captured(2)));
    });
    static const QRegularExpression url(QStringLiteral("<?(file://[^\\s<>]+)>?"));
    replaceAll(url, [](const QRegularExpressionMatch& m) {
        const QUrl u(m.captured(1), QUrl::TolerantMode);
        return u.isLocalFile() ? QDir::toNativeSeparators(u.toLocalFile()) : m.captured(0);
    });
    return out.simplified();
}

void waitPainting(const std::function<void()>& work)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) {
        work();
        return;
    }
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::exception_ptr error;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        std::lock_guard lock(mutex);
        done = true;
        finished.notify_all();
    });
    for (;;) {
        {
            std::unique_lock lock(mutex);
            if (finished.wait_for(lock, std::chrono::milliseconds(40), [&] { return done; }))
                break;
        }
        // Windows are repainted; the user's input waits for the end.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
    }
    worker.join();
    if (error)
        std::rethrow_exception(error);
}

void fail(ErrorKind kind, const css::uno::Exception& e, const QString& what, bool disposed)
{
    // A closed document also reports itself disposed; only a broken bridge
    // means the office went away.
    const bool gone = !Office::instance().impl().connected()
        || (disposed && e.Message.indexOf("bridge") >= 0);
    if (gone) {
        Office::instance().impl().alive.store(false);
        // The bridge's own words say nothing of the cause.
        throw Error(ErrorKind::ConnectionLost);
    }
    QString detail = what;
    const QString message = plainOfficeText(toQ(e.Message));
    if (!message.isEmpty())
        detail += detail.isEmpty() ? message : QStringLiteral(" (") + message + QLatin1Char(')');
    throw Error(kind, detail);
}

Reference<css::lang::XComponent> loadComponent(const OUString& url, const Props& args, const QString& what)
{
    auto desk = desktop();
    rtl::Reference<QuietInteraction> interaction(new QuietInteraction);
    Props all(args);
    all.realloc(args.getLength() + 1);
    all.getArray()[args.getLength()] = css::beans::PropertyValue(
        "InteractionHandler", 0, Any(Reference<css::task::XInteractionHandler>(interaction.get())),
        css::beans::PropertyState_DIRECT_VALUE);
    Reference<css::lang::XComponent> doc;
    // Why a document was not loaded: the office's answer, or what it
    // asked; a full disk first, where the office writes the document's
    // lock file and its copy of a template.
    auto refused = [&](const QString& officeText) -> Error {
        const QUrl u(toQ(url));
        for (const QString& folder : {u.isLocalFile() ? QFileInfo(u.toLocalFile()).absolutePath() : QString(),
                                      Office::instance().profileFolder()}) {
            if (!folder.isEmpty() && QFileInfo(folder).isDir() && diskNearlyFull(folder, kStoreSlack))
                return Error::noSpace(ErrorKind::CannotLoad, folder);
        }
        QString why = interaction->asked();
        const QString plain = plainOfficeText(officeText);
        if (why.isEmpty())
            why = plain;
        else if (!plain.isEmpty() && plain != why)
            why += QStringLiteral("; ") + plain;
        return Error(ErrorKind::CannotLoad, why.isEmpty() ? what : what + QStringLiteral(" (") + why + QLatin1Char(')'));
    };
    try {
        waitPainting([&] { doc = desk->loadComponentFromURL(url, "_blank", 0, all); });
    } catch (const css::lang::DisposedException& e) {
        fail(ErrorKind::CannotLoad, e, what, true);
    } catch (const css::uno::Exception& e) {
        if (!Office::instance().impl().connected())
            fail(ErrorKind::CannotLoad, e, what);
        throw refused(toQ(e.Message));
    }
    if (!doc.is())
        throw refused(QString());
    noteDocumentFile(url);
    return doc;
}

void closeComponent(const Reference<css::lang::XComponent>& doc)
{
    if (!doc.is())
        return;
    try {
        Reference<css::util::XCloseable> c(doc, UNO_QUERY);
        if (c.is())
            c->close(true);
        else
            doc->dispose();
    } catch (const css::util::CloseVetoException&) {
        try {
            doc->dispose();
        } catch (const css::uno::Exception&) {
        }
    } catch (const css::uno::Exception&) {
    }
}

namespace {

Reference<css::frame::XFrame> frameOf(const Reference<css::lang::XComponent>& doc)
{
    Reference<css::frame::XModel> model(doc, UNO_QUERY);
    if (!model.is())
        return {};
    auto controller = model->getCurrentController();
    return controller.is() ? controller->getFrame() : Reference<css::frame::XFrame>();
}

} // namespace

bool isVisible(const Reference<css::lang::XComponent>& doc)
{
    try {
        auto frame = frameOf(doc);
        if (!frame.is())
            return false;
        Reference<css::awt::XWindow2> w(frame->getContainerWindow(), UNO_QUERY);
        return w.is() && w->isVisible();
    } catch (const css::uno::Exception&) {
        return false;
    }
}

void setVisible(const Reference<css::lang::XComponent>& doc, bool visible)
{
    call(ErrorKind::Failed, [&] {
        auto frame = frameOf(doc);
        if (frame.is() && frame->getContainerWindow().is())
            frame->getContainerWindow()->setVisible(visible);
    });
}

void activate(const Reference<css::lang::XComponent>& doc)
{
    call(ErrorKind::Failed, [&] {
        auto frame = frameOf(doc);
        if (!frame.is())
            return;
        frame->activate();
        Reference<css::awt::XTopWindow> top(frame->getContainerWindow(), UNO_QUERY);
        if (top.is())
            top->toFront();
    });
}

namespace {

// The office's temporary files in a folder (it writes a document as
// lu<...>.tmp beside it first).
QSet<QString> officeTempFiles(const QDir& folder)
{
    const QStringList names = folder.entryList({QStringLiteral("lu*.tmp")}, QDir::Files | QDir::Hidden);
    return QSet<QString>(names.begin(), names.end());
}

} // namespace

void storeBounded(const QString& file, long long needed, const std::function<void()>& store)
{
    const QFileInfo target(file);
    const QString folderPath = target.absolutePath();
    const QDir folder(folderPath);
    if (diskNearlyFull(folderPath, needed + kStoreSlack))
        throw Error::noSpace(ErrorKind::CannotStore, folderPath);
    // A file made empty for the store (a checked copy) is the store's own.
    const bool existed = target.exists() && target.size() > 0;
    const QSet<QString> tempBefore = officeTempFiles(folder);
    auto removePartial = [&] {
        if (!existed)
            QFile::remove(target.absoluteFilePath());
        for (const QString& name : officeTempFiles(folder))
            if (!tempBefore.contains(name))
                QFile::remove(folder.filePath(name));
    };

    Office& office = Office::instance();
    office.ensureRunning();
    if (office.impl().beforeStore)
        office.impl().beforeStore(target.absoluteFilePath());
    Office::Limits limits;
    limits.seconds = office.storeSeconds();
    Office::Guard guard(office, limits);
    // Everything after a failed store works without the office: it may be
    // gone (ended by the guard, or crashed on the full disk).
    auto failed = [&](const QString& officeText, bool lost) -> Error {
        // The disk is judged with what the store left on it still there.
        const bool full = diskNearlyFull(folderPath, needed + kStoreSlack);
        removePartial();
        const bool ended = guard.exceeded() != Office::Guard::Exceeded::None;
        if (ended)
            office.impl().forgetEnded();
        QString cause;
        if (full)
            return Error::noSpace(ErrorKind::CannotStore, folderPath);
        if (ended)
            cause = QStringLiteral("Офисная программа не сохранила файл за %1 с и была закрыта.").arg(limits.seconds);
        else if (lost)
            return Error(ErrorKind::ConnectionLost);
        QString text = plainOfficeText(officeText);
        if (text.contains(QLatin1String("bridge"), Qt::CaseInsensitive))
            text.clear();  // the office ended: its words say nothing of the cause
        if (cause.isEmpty() && officeText.contains(QLatin1String("Area:Io")))
            cause = QStringLiteral("Файл ") + QDir::toNativeSeparators(target.absoluteFilePath())
                + QStringLiteral(" не удается записать.");
        QString detail = cause.isEmpty() ? QDir::toNativeSeparators(target.absoluteFilePath()) : cause;
        if (!text.isEmpty() && !detail.contains(text))
            detail += QStringLiteral(" (") + text + QLatin1Char(')');
        return Error(ErrorKind::CannotStore, detail);
    };
    try {
        waitPainting(store);
    } catch (const css::uno::Exception& e) {
        // The bridge tells that the office went away before the process
        // list does.
        const bool lost = guard.exceeded() == Office::Guard::Exceeded::None
            && (!office.impl().connected() || e.Message.indexOf("bridge") >= 0);
        throw failed(toQ(e.Message), lost);
    }
    if (guard.exceeded() != Office::Guard::Exceeded::None)
        throw failed(QString(), false);
}

void noteDocumentFile(const OUString& url)
{
    const QUrl u(toQ(url));
    if (u.isLocalFile())
        Office::instance().impl().documentFiles.insert(u.toLocalFile());
}

} // namespace uno

} // namespace office
