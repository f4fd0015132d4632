#include "core/AppState.h"

namespace core {

AppState& state()
{
    static AppState s;
    return s;
}

jet::Database& db()
{
    AppState& s = state();
    if (!s.MainDatabase || !s.MainDatabase->isOpen())
        throw jet::Error(jet::errGeneric, QStringLiteral("База данных не открыта."));
    return *s.MainDatabase;
}

void resetState()
{
    state() = AppState{};
}

} // namespace core
