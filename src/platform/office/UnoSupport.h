#pragma once
// Inside the office layer only: everything its UNO code uses, in one
// include: the UNO types and conversions (UnoTypes.h), the connection to
// our office (OfficeDesktop.h), the translation of the office's failures
// (OfficeFailures.h), its documents (Components.h) and bounded stores
// (BoundedStore.h). Needs the generated UNO headers (kalveta_office_uno).
#include "platform/office/BoundedStore.h"
#include "platform/office/Components.h"
#include "platform/office/OfficeDesktop.h"
#include "platform/office/OfficeFailures.h"
#include "platform/office/UnoTypes.h"
