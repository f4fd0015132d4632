#pragma once
// Inside the office layer only: the UNO types and the small conversions
// every part of the layer's UNO code uses, and the process's own UNO
// runtime. Needs the generated UNO headers (kalveta_office_uno).
#include "platform/office/OfficeError.h"

#include <QString>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/table/TableBorder.hpp>
#include <com/sun/star/task/XInteractionHandler.hpp>
#include <com/sun/star/uno/Any.hxx>
#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/Sequence.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <rtl/ustring.hxx>

#include <initializer_list>
#include <utility>

namespace office::uno {

using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;

inline OUString toOU(const QString& s)
{
    return OUString(reinterpret_cast<const sal_Unicode*>(s.utf16()), s.size());
}

inline QString toQ(const OUString& s)
{
    return QString(reinterpret_cast<const QChar*>(s.getStr()), s.getLength());
}

// The process's own UNO runtime (bootstrapped once). Throws office::Error
// (NotStarted) without the office's runtime.
Reference<css::uno::XComponentContext> localContext();

using Props = Sequence<css::beans::PropertyValue>;
Props props(std::initializer_list<std::pair<const char*, Any>> list);

// Sets a table border's outline on all four sides and, when `inner` is
// given, its inner horizontal and vertical lines.
inline void setTableBorderLines(css::table::TableBorder& border, const css::table::BorderLine& outline,
                                const css::table::BorderLine* inner)
{
    border.TopLine = outline;
    border.IsTopLineValid = true;
    border.BottomLine = outline;
    border.IsBottomLineValid = true;
    border.LeftLine = outline;
    border.IsLeftLineValid = true;
    border.RightLine = outline;
    border.IsRightLineValid = true;
    if (inner) {
        border.HorizontalLine = *inner;
        border.IsHorizontalLineValid = true;
        border.VerticalLine = *inner;
        border.IsVerticalLineValid = true;
    }
}

} // namespace office::uno
