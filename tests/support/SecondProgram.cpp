#include "support/SecondProgram.h"

#include "platform/jet/Jet.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <unistd.h>

namespace testsupport {
namespace {

constexpr const char* kPartVariable = "KALVETA_PROGRAM_PART";
constexpr const char* kPathVariable = "KALVETA_SECOND_PROGRAM_FILE";
constexpr const char* kStopVariable = "KALVETA_SECOND_PROGRAM_STOP";

std::map<std::string, int (*)()>& programParts()
{
    static std::map<std::string, int (*)()> parts;
    return parts;
}

QString secondProgramFile()
{
    return QString::fromLocal8Bit(qgetenv(kPathVariable));
}

QString stopFile()
{
    return QString::fromLocal8Bit(qgetenv(kStopVariable));
}

void tell(const char* line)
{
    std::fputs(line, stdout);
    std::fflush(stdout);
}

// One try at opening the file as the program's start does.
void tryOnce(const QString& path, SecondProgram::Tries& tries)
{
    try {
        jet::Database::open(path)->close();
        ++tries.opened;
    } catch (const jet::Error& e) {
        switch (e.number()) {
        case jet::errFileInUse: ++tries.refused; break;
        case jet::errFileNotFound: ++tries.missing; break;
        default: ++tries.failed; break;
        }
    }
}

int loop()
{
    const QString path = secondProgramFile();
    SecondProgram::Tries tries;
    tryOnce(path, tries);
    tell("ready\n");
    while (!QFileInfo::exists(stopFile()))
        tryOnce(path, tries);
    tryOnce(path, tries);
    std::printf("%d %d %d %d\n", tries.opened, tries.refused, tries.missing, tries.failed);
    std::fflush(stdout);
    return 0;
}

int holdNew()
{
    std::unique_ptr<jet::Database> db;
    try {
        db = jet::Database::create(secondProgramFile());
        db->execute(QStringLiteral("CREATE TABLE INF ([IDLU] COUNTER);"));
    } catch (const jet::Error&) {
        return 1;
    }
    tell("ready\n");
    while (!QFileInfo::exists(stopFile()))
        ::usleep(2000);
    return 0;
}

const bool kParts = registerProgramPart("loop", &loop) && registerProgramPart("hold-new", &holdNew);

} // namespace

SecondProgram::SecondProgram(const char* mode, const QString& path)
    : process_(std::make_unique<QProcess>()), signals_(std::make_unique<TempFolder>())
{
    QProcessEnvironment env;
    env.insert(QString::fromLatin1(kPathVariable), path);
    env.insert(QString::fromLatin1(kStopVariable), signals_->file(QStringLiteral("stop")));
    startProgramPart(*process_, mode, env);
    while (process_->waitForReadyRead(-1)) {
        if (process_->canReadLine() && process_->readLine() == "ready\n") {
            ready_ = true;
            break;
        }
    }
}

SecondProgram SecondProgram::looping(const QString& path)
{
    return SecondProgram("loop", path);
}

SecondProgram SecondProgram::holdingNew(const QString& path)
{
    return SecondProgram("hold-new", path);
}

SecondProgram::~SecondProgram()
{
    if (process_)
        stop();
}

SecondProgram::Tries SecondProgram::stop()
{
    if (stopped_)
        return tries_;
    stopped_ = true;
    QFile(signals_->file(QStringLiteral("stop"))).open(QIODevice::WriteOnly);
    if (!process_->waitForFinished(-1))
        process_->kill();
    const QList<QByteArray> counts = process_->readAllStandardOutput().trimmed().split(' ');
    if (counts.size() == 4) {
        tries_.opened = counts[0].toInt();
        tries_.refused = counts[1].toInt();
        tries_.missing = counts[2].toInt();
        tries_.failed = counts[3].toInt();
    }
    return tries_;
}

bool registerProgramPart(const char* name, int (*part)())
{
    programParts()[name] = part;
    return true;
}

int runProgramPartIfAsked()
{
    const QByteArray name = qgetenv(kPartVariable);
    if (name.isEmpty())
        return -1;
    const auto part = programParts().find(name.toStdString());
    return part == programParts().end() ? 125 : part->second();
}

void startProgramPart(QProcess& process, const char* name, const QProcessEnvironment& environment)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kPartVariable), QString::fromLatin1(name));
    for (const QString& key : environment.keys())
        env.insert(key, environment.value(key));
    process.setProcessEnvironment(env);
    process.start(QCoreApplication::applicationFilePath(), {});
}

std::optional<QString> outsideRead(const QString& path)
{
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), {path, QStringLiteral("SELECT count(*) FROM sqlite_master;")});
    if (!shell.waitForStarted(-1))
        return std::nullopt;
    shell.waitForFinished(-1);
    if (shell.exitStatus() == QProcess::NormalExit && shell.exitCode() == 0)
        return QString();
    const QString said = QString::fromLocal8Bit(shell.readAllStandardError()).trimmed();
    return said.isEmpty() ? QStringLiteral("exit code %1").arg(shell.exitCode()) : said;
}

} // namespace testsupport
