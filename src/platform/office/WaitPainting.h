#pragma once
// Inside the office layer only: a long call of the office made while the
// program's windows are repainted.
#include <functional>

namespace office::uno {

// Runs `work` (a call of the office that may take a while) aside
// (platform/aside): on the window thread the windows are repainted
// meanwhile and the user's input waits; elsewhere it runs in place.
// Exceptions of `work` pass through.
void waitPainting(const std::function<void()>& work);

} // namespace office::uno
