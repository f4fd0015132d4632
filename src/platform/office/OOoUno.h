#pragma once
// The office helpers over the office's own UNO objects, for code that
// drives the office directly. Needs the generated UNO headers: link
// kalveta_office_uno. Everything else of the layer is in headers without
// UNO types (Office.h, Excel.h, Calc.h, OOo.h, TextDocument.h,
// WorkbookReader.h).
#include "platform/office/Calc.h"
#include "platform/office/OOo.h"

#include <QString>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/uno/Any.hxx>
#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/Sequence.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>

namespace office {

// A service manager of our office (started when it does not run); it
// becomes OOoServiceManager(). Throws office::Error (NotStarted).
css::uno::Reference<css::lang::XMultiComponentFactory> newServiceManager();

// The service manager made by the latest newServiceManager(); empty before.
css::uno::Reference<css::lang::XMultiComponentFactory> OOoServiceManager();

// The empty argument list of a load call.
css::uno::Sequence<css::beans::PropertyValue> EmptyArray();

// A new struct of the named UNO type (count below 0), or an array of
// count + 1 of them (a Sequence<Any>); nothing (an empty Any) without a
// service manager or for a type name that is not a struct.
css::uno::Any CreateUnoStruct(const QString& typeName, int count);

// Property values from name, value, name, value, ...; the empty list for an
// odd number of elements, fewer than two, or a name that is not a text.
css::uno::Sequence<css::beans::PropertyValue> MakePropertyValues(const css::uno::Sequence<css::uno::Any>& pairs);

// The office sheet behind the Calc model (what was written through the
// model is sent first).
css::uno::Reference<css::sheet::XSpreadsheet> unoSheet(const CalcSheet& sheet);

} // namespace office
