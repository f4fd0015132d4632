#include "core/ChildWindows.h"

namespace core {

WindowFactories& windowFactories()
{
    static WindowFactories f;
    return f;
}

ShellServices& shellServices()
{
    static ShellServices s;
    return s;
}

} // namespace core
