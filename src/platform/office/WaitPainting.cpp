#include "platform/office/WaitPainting.h"

#include "platform/aside/Aside.h"

namespace office::uno {

void waitPainting(const std::function<void()>& work)
{
    aside::run(work);
}

} // namespace office::uno
