#pragma once
// Inside the office layer only: the UNO connection to an office and its
// desktop (the one the program shows documents with, or the one that reads
// workbooks).
#include "platform/office/Office.h"
#include "platform/office/UnoTypes.h"

namespace office::uno {

// The component context and desktop of our office, started when needed.
// Throw office::Error (NotStarted).
Reference<css::uno::XComponentContext> context();
Reference<css::frame::XDesktop2> desktop();

// Starts the office when it does not run. Throws office::Error (NotStarted).
Reference<css::frame::XDesktop2> desktopOf(Office& office);

// Its component context; starts it like desktopOf().
Reference<css::uno::XComponentContext> contextOf(Office& office);

// Whether the office is running and connected; starts nothing.
bool connectedTo(Office& office);

} // namespace office::uno
