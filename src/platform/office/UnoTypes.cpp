#include "platform/office/UnoTypes.h"

#include <cppuhelper/bootstrap.hxx>

#include <csignal>

namespace office::uno {

namespace {

constexpr const char* kFundamentalRc = "/usr/lib/libreoffice/program/fundamentalrc";

} // namespace

Reference<css::uno::XComponentContext> localContext()
{
    // Kept to the very end of the process (never destroyed), like the
    // runtime it stands for.
    static auto* ctxHolder = new Reference<css::uno::XComponentContext>;
    auto& ctx = *ctxHolder;
    if (ctx.is())
        return ctx;
    // The connection to an office is a pipe: when the office dies while it
    // is written to, the write fails and the bridge reports the office
    // gone. The signal such a write raises would end this process instead.
    std::signal(SIGPIPE, SIG_IGN);
    if (qEnvironmentVariableIsEmpty("URE_BOOTSTRAP"))
        qputenv("URE_BOOTSTRAP", QByteArray("vnd.sun.star.pathname:") + kFundamentalRc);
    try {
        ctx = cppu::defaultBootstrap_InitialComponentContext();
    } catch (const cppu::BootstrapException& e) {
        throw Error(ErrorKind::NotStarted, toQ(e.getMessage()));
    } catch (const css::uno::Exception& e) {
        throw Error(ErrorKind::NotStarted, toQ(e.Message));
    }
    return ctx;
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

} // namespace office::uno
