#include "platform/office/Office.h"

#include "platform/office/OfficeProcess.h"
#include "platform/aside/Aside.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <com/sun/star/frame/XModel.hpp>

#include <cstdlib>

namespace office {

using namespace office::uno;

namespace {

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

} // namespace

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
    // Loading the runtime and starting the office take a second or more:
    // the windows are painted meanwhile.
    bool started = false;
    aside::run([&] {
        localContext();  // throws NotStarted without the office's runtime
        if (d_->reuseEarlier())
            return;
        d_->start();
        started = true;
    });
    return started;
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

} // namespace office
