#include "core/ChildWindows.h"

#include "platform/ui/Messages.h"

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

void reportNotAvailable()
{
    ui::msgBox(QStringLiteral("Эта возможность в данной версии программы пока недоступна."), ui::Information);
}

} // namespace core
