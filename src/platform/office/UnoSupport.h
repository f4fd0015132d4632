#pragma once
// Inside the office layer only: the UNO connection, conversions between Qt
// and UNO texts and the translation of UNO exceptions into office::Error.
// Needs the generated UNO headers (kalveta_office_uno).
#include "platform/office/OfficeError.h"

#include <QString>

#include <functional>

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

// The process's own UNO runtime (bootstrapped once).
Reference<css::uno::XComponentContext> localContext();

// The component context and desktop of our office, started when needed.
Reference<css::uno::XComponentContext> context();
Reference<css::frame::XDesktop2> desktop();

using Props = Sequence<css::beans::PropertyValue>;
Props props(std::initializer_list<std::pair<const char*, Any>> list);

// Throws office::Error of `kind` for the UNO exception `e` (ConnectionLost
// when the office went away); `what` names the document or object.
// `disposed` tells that `e` was a DisposedException.
[[noreturn]] void fail(ErrorKind kind, const css::uno::Exception& e, const QString& what = {}, bool disposed = false);

// Runs `f`, turning UNO exceptions into office::Error of `kind`.
template <class F>
decltype(auto) call(ErrorKind kind, F&& f, const QString& what = {})
{
    try {
        return f();
    } catch (const css::lang::DisposedException& e) {
        fail(kind, e, what, true);
    } catch (const css::uno::Exception& e) {
        fail(kind, e, what);
    }
}

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

// Stores a document into the new file `file` through `store` (a call of
// the document's XStorable), bounded: refused before storing when the
// file's disk has less than `needed` bytes free; a store that does not
// return within the office's store time limit ends the office (the next
// use starts a new one). After a failure the partial file and the
// office's temporary lu*.tmp files in the folder are removed, and the
// CannotStore error says the cause in plain words first ("Недостаточно
// места на диске ...") with the office's own text after it.
void storeBounded(const QString& file, long long needed, const std::function<void()>& store);

// The office's own words for a message: without the places in its
// sources, error codes said in words, file addresses as paths.
QString plainOfficeText(const QString& text);

// Runs `work` (a call of the office that may take a while) aside
// (platform/aside): on the window thread the windows are repainted
// meanwhile and the user's input waits; elsewhere it runs in place.
// Exceptions of `work` pass through.
void waitPainting(const std::function<void()>& work);

// A handler for the office's questions: it answers each one in place of
// the user (no, or cancel), so the office shows no dialog of its own.
Reference<css::task::XInteractionHandler> quietInteraction();

// Remembers a local file the office holds, so that lock files a crashed
// office leaves behind can be removed before it is started again.
void noteDocumentFile(const OUString& url);

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
