#pragma once
// Inside the office layer only: the office's failures in the user's words.
// UNO exceptions become office::Error (ConnectionLost when the office went
// away), the office's own messages are put plainly, and the questions the
// office would ask the user are answered in place of the user with what
// was asked kept for the message.
#include "platform/office/Office.h"
#include "platform/office/UnoTypes.h"

#include <com/sun/star/task/XInteractionHandler.hpp>
#include <com/sun/star/task/XInteractionRequest.hpp>
#include <cppuhelper/implbase1.hxx>

#include <mutex>

namespace office::uno {

// Whether `office` went away: it no longer runs, or the failure `e` of one
// of its objects says that its bridge broke (noted at once).
bool officeLost(Office& office, const css::uno::Exception& e);

// Throws office::Error of `kind` for the UNO exception `e` (ConnectionLost
// when our office went away); `what` names the document or object.
// `disposed` tells that `e` was a DisposedException (the bridge's words
// tell a broken bridge whatever the type).
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

// The office's own words for a message: without the places in its
// sources, error codes said in words, file addresses as paths.
QString plainOfficeText(const QString& text);

// Answers every question of the office in place of the user, so that the
// office never shows a dialog of its own (in its language, behind the
// program's window): the document is not loaded or stored, and what was
// asked is kept for the message.
class QuietInteraction : public cppu::WeakImplHelper1<css::task::XInteractionHandler> {
public:
    void SAL_CALL handle(const Reference<css::task::XInteractionRequest>& request) override;
    // What the office asked first, in the user's words; empty when nothing.
    QString asked() const;

private:
    mutable std::mutex mutex_;
    QString asked_;
};


// A handler for the office's questions: it answers each one in place of
// the user (no, or cancel), so the office shows no dialog of its own.
Reference<css::task::XInteractionHandler> quietInteraction();

} // namespace office::uno
