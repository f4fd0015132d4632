#pragma once
// Inside the office layer only: the desktop of a given office (the one the
// program shows documents with, or the one that reads workbooks).
#include "platform/office/Office.h"
#include "platform/office/UnoSupport.h"

namespace office::uno {

// Starts the office when it does not run. Throws office::Error (NotStarted).
Reference<css::frame::XDesktop2> desktopOf(Office& office);

// Its component context; starts it like desktopOf().
Reference<css::uno::XComponentContext> contextOf(Office& office);

// Whether the office is running and connected; starts nothing.
bool connectedTo(Office& office);

} // namespace office::uno
