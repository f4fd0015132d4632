#include "platform/office/Components.h"

#include "platform/office/BoundedStore.h"
#include "platform/office/OfficeDesktop.h"
#include "platform/office/OfficeFailures.h"
#include "platform/office/OfficeProcess.h"
#include "platform/aside/Aside.h"

#include <QFileInfo>
#include <QUrl>

#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/util/CloseVetoException.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <rtl/ref.hxx>

namespace office::uno {

Reference<css::lang::XComponent> loadComponent(const OUString& url, const Props& args, const QString& what)
{
    auto desk = desktop();
    rtl::Reference<QuietInteraction> interaction(new QuietInteraction);
    Props all(args);
    all.realloc(args.getLength() + 1);
    all.getArray()[args.getLength()] = css::beans::PropertyValue(
        "InteractionHandler", 0, Any(Reference<css::task::XInteractionHandler>(interaction.get())),
        css::beans::PropertyState_DIRECT_VALUE);
    Reference<css::lang::XComponent> doc;
    // Why a document was not loaded: the office's answer, or what it
    // asked; a full disk first, where the office writes the document's
    // lock file and its copy of a template.
    auto refused = [&](const QString& officeText) -> Error {
        const QUrl u(toQ(url));
        for (const QString& folder : {u.isLocalFile() ? QFileInfo(u.toLocalFile()).absolutePath() : QString(),
                                      Office::instance().profileFolder()}) {
            if (!folder.isEmpty() && QFileInfo(folder).isDir() && diskNearlyFull(folder, kStoreSlack))
                return Error::noSpace(ErrorKind::CannotLoad, folder);
        }
        QString why = interaction->asked();
        const QString plain = plainOfficeText(officeText);
        if (why.isEmpty())
            why = plain;
        else if (!plain.isEmpty() && plain != why)
            why += QStringLiteral("; ") + plain;
        return Error(ErrorKind::CannotLoad, why.isEmpty() ? what : what + QStringLiteral(" (") + why + QLatin1Char(')'));
    };
    try {
        aside::run([&] { doc = desk->loadComponentFromURL(url, "_blank", 0, all); });
    } catch (const css::lang::DisposedException& e) {
        fail(ErrorKind::CannotLoad, e, what, true);
    } catch (const css::uno::Exception& e) {
        if (!Office::instance().impl().connected())
            fail(ErrorKind::CannotLoad, e, what);
        throw refused(toQ(e.Message));
    }
    if (!doc.is())
        throw refused(QString());
    noteDocumentFile(url);
    return doc;
}

void closeComponent(const Reference<css::lang::XComponent>& doc)
{
    if (!doc.is())
        return;
    try {
        Reference<css::util::XCloseable> c(doc, UNO_QUERY);
        if (c.is())
            c->close(true);
        else
            doc->dispose();
    } catch (const css::util::CloseVetoException&) {
        try {
            doc->dispose();
        } catch (const css::uno::Exception&) {
        }
    } catch (const css::uno::Exception&) {
    }
}

namespace {

Reference<css::frame::XFrame> frameOf(const Reference<css::lang::XComponent>& doc)
{
    Reference<css::frame::XModel> model(doc, UNO_QUERY);
    if (!model.is())
        return {};
    auto controller = model->getCurrentController();
    return controller.is() ? controller->getFrame() : Reference<css::frame::XFrame>();
}

} // namespace

bool isVisible(const Reference<css::lang::XComponent>& doc)
{
    try {
        auto frame = frameOf(doc);
        if (!frame.is())
            return false;
        Reference<css::awt::XWindow2> w(frame->getContainerWindow(), UNO_QUERY);
        return w.is() && w->isVisible();
    } catch (const css::uno::Exception&) {
        return false;
    }
}

void setVisible(const Reference<css::lang::XComponent>& doc, bool visible)
{
    call(ErrorKind::Failed, [&] {
        auto frame = frameOf(doc);
        if (frame.is() && frame->getContainerWindow().is())
            frame->getContainerWindow()->setVisible(visible);
    });
}

void activate(const Reference<css::lang::XComponent>& doc)
{
    call(ErrorKind::Failed, [&] {
        auto frame = frameOf(doc);
        if (!frame.is())
            return;
        frame->activate();
        Reference<css::awt::XTopWindow> top(frame->getContainerWindow(), UNO_QUERY);
        if (top.is())
            top->toFront();
    });
}

void noteDocumentFile(const OUString& url)
{
    const QUrl u(toQ(url));
    if (u.isLocalFile())
        Office::instance().impl().documentFiles.insert(u.toLocalFile());
}

} // namespace office::uno
