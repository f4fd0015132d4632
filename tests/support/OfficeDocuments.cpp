#include "support/OfficeDocuments.h"

#include "platform/office/UnoSupport.h"

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>

namespace testsupport {

int openDocumentCount()
{
    int n = 0;
    auto e = office::uno::desktop()->getComponents()->createEnumeration();
    while (e->hasMoreElements()) {
        e->nextElement();
        ++n;
    }
    return n;
}

} // namespace testsupport
