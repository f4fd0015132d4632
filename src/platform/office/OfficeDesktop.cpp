#include "platform/office/OfficeDesktop.h"

#include "platform/office/OfficeProcess.h"

#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <cppuhelper/implbase1.hxx>

namespace office {

using namespace office::uno;

namespace {

// Told by the UNO bridge when the connection to the office ends. The bridge
// of an office that died may tell it late, once a new office is connected:
// only the end of the connection it was made for counts.
class BridgeListener : public cppu::WeakImplHelper1<css::lang::XEventListener> {
public:
    BridgeListener(std::atomic<bool>* alive, const std::atomic<int>* current, int connection)
        : alive_(alive), current_(current), connection_(connection)
    {
    }
    void SAL_CALL disposing(const css::lang::EventObject&) override
    {
        if (current_->load() == connection_)
            alive_->store(false);
    }

private:
    std::atomic<bool>* alive_;
    const std::atomic<int>* current_;
    int connection_;
};

} // namespace

bool Office::Impl::connected()
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

void Office::Impl::dropConnection()
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

// One attempt to reach an office listening on `pipe`.
bool Office::Impl::tryConnect(const QString& pipe)
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
        const int id = ++connections;
        alive.store(true);
        listener = Reference<css::lang::XEventListener>(new BridgeListener(&alive, &connections, id));
        Reference<css::lang::XComponent>(newBridge, UNO_QUERY_THROW)
            ->addEventListener(listener);
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

// Documents open in the office.
std::vector<Reference<css::lang::XComponent>> Office::Impl::components()
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

namespace uno {

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

} // namespace uno

} // namespace office
