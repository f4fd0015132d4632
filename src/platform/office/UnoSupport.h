#pragma once
// Inside the office layer only: everything its UNO code uses, in one
// include: the UNO types and conversions (UnoTypes.h), the connection to
// our office (OfficeDesktop.h), the translation of the office's failures
// (OfficeFailures.h), its documents (Components.h), bounded stores
// (BoundedStore.h) and long calls made while the windows repaint
// (WaitPainting.h). Needs the generated UNO headers (kalveta_office_uno).
#include "platform/office/BoundedStore.h"
#include "platform/office/Components.h"
#include "platform/office/OfficeDesktop.h"
#include "platform/office/OfficeFailures.h"
#include "platform/office/UnoTypes.h"
#include "platform/office/WaitPainting.h"
