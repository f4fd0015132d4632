#pragma once
// Inside the office layer only: the documents (components) of our office:
// loaded, closed, shown and hidden, and the local files they hold.
#include "platform/office/UnoTypes.h"

#include <QString>

namespace office::uno {

// Loads a document through the desktop; CannotLoad when the office refuses.
// `what` names the file in the error.
Reference<css::lang::XComponent> loadComponent(const OUString& url, const Props& args,
                                               const QString& what);

// Closes a document without saving; failures (a dead office) are ignored.
void closeComponent(const Reference<css::lang::XComponent>& doc);

// Whether the document has a visible window, and showing or hiding it.
bool isVisible(const Reference<css::lang::XComponent>& doc);
void setVisible(const Reference<css::lang::XComponent>& doc, bool visible);
void activate(const Reference<css::lang::XComponent>& doc);

// Remembers a local file the office holds, so that lock files a crashed
// office leaves behind can be removed before it is started again.
void noteDocumentFile(const OUString& url);

} // namespace office::uno
