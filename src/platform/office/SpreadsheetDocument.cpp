#include "platform/office/SpreadsheetDocument.h"

#include "platform/office/OOo.h"

#include <QFileInfo>
#include <QUrl>

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>

namespace office::detail {

using namespace office::uno;

namespace {

struct FilterOf {
    const char* extension;
    const char* filter;
};

constexpr FilterOf kSpreadsheetFilters[] = {
    {"xls", "MS Excel 97"},
    {"xlt", "MS Excel 97 Vorlage/Template"},
    {"xlsx", "Calc MS Excel 2007 XML"},
    {"ods", "calc8"},
    {"ots", "calc8_template"},
};

Reference<css::container::XIndexAccess> sheetsOf(const Reference<css::lang::XComponent>& doc)
{
    Reference<css::sheet::XSpreadsheetDocument> sd(doc, UNO_QUERY);
    if (!sd.is())
        throw Error(ErrorKind::Failed, QStringLiteral("документ не является электронной таблицей"));
    return Reference<css::container::XIndexAccess>(sd->getSheets(), UNO_QUERY_THROW);
}

Reference<css::sheet::XSpreadsheetView> viewOf(const Reference<css::lang::XComponent>& doc)
{
    Reference<css::frame::XModel> model(doc, UNO_QUERY);
    if (!model.is())
        return {};
    return Reference<css::sheet::XSpreadsheetView>(model->getCurrentController(), UNO_QUERY);
}

} // namespace

QString spreadsheetFilterFor(const QString& fileName)
{
    const QString ext = QFileInfo(fileName).suffix().toLower();
    for (const auto& f : kSpreadsheetFilters)
        if (ext == QLatin1String(f.extension))
            return QString::fromLatin1(f.filter);
    return {};
}

SheetImpl::SheetImpl(const std::shared_ptr<DocImpl>& o, int i, const Reference<css::sheet::XSpreadsheet>& sheet)
    : owner(o), index(i), buffer(o->document, sheet)
{
}

DocImpl::DocImpl(const Reference<css::lang::XComponent>& doc, const QString& w) : document(doc), what(w) {}

DocImpl::~DocImpl()
{
    if (closed)
        return;
    try {
        flush();
    } catch (const Error&) {
    }
}

void DocImpl::checkOpen() const
{
    if (closed || !document.is())
        throw Error(ErrorKind::Failed, QStringLiteral("документ закрыт"));
}

int DocImpl::sheetCount()
{
    checkOpen();
    return call(ErrorKind::Failed, [&] { return int(sheetsOf(document)->getCount()); });
}

QStringList DocImpl::sheetNames()
{
    checkOpen();
    return call(ErrorKind::Failed, [&] {
        Reference<css::sheet::XSpreadsheetDocument> sd(document, UNO_QUERY_THROW);
        QStringList out;
        for (const auto& n : sd->getSheets()->getElementNames())
            out << toQ(n);
        return out;
    });
}

std::shared_ptr<SheetImpl> DocImpl::sheet(int index)
{
    checkOpen();
    auto it = sheets.find(index);
    if (it != sheets.end())
        return it->second;
    auto s = call(ErrorKind::Failed, [&] {
        auto all = sheetsOf(document);
        if (index < 0 || index >= all->getCount())
            throw Error(ErrorKind::NotFound, QStringLiteral("лист %1").arg(index + 1));
        return Reference<css::sheet::XSpreadsheet>(all->getByIndex(index), UNO_QUERY_THROW);
    });
    auto impl = std::make_shared<SheetImpl>(shared_from_this(), index, s);
    sheets[index] = impl;
    return impl;
}

std::shared_ptr<SheetImpl> DocImpl::sheet(const QString& name)
{
    const int index = int(sheetNames().indexOf(name));
    if (index < 0)
        throw Error(ErrorKind::NotFound, QStringLiteral("лист \"%1\"").arg(name));
    return sheet(index);
}

int DocImpl::activeSheetIndex()
{
    checkOpen();
    return call(ErrorKind::Failed, [&] {
        auto view = viewOf(document);
        if (!view.is())
            return 0;
        const QString name = toQ(Reference<css::container::XNamed>(view->getActiveSheet(), UNO_QUERY_THROW)->getName());
        return std::max(0, int(sheetNames().indexOf(name)));
    });
}

void DocImpl::setActiveSheet(int index)
{
    auto s = sheet(index);
    call(ErrorKind::Failed, [&] {
        auto view = viewOf(document);
        if (view.is())
            view->setActiveSheet(s->buffer.sheet());
    });
}

void DocImpl::flush()
{
    for (auto& [index, s] : sheets)
        s->buffer.flush();
}

void DocImpl::store(const QString& url, bool moveThere, const QString& filter)
{
    checkOpen();
    flush();
    const QString target = ConvertToURL(url);
    const QString f = filter.isEmpty() ? spreadsheetFilterFor(QUrl(target).path()) : filter;
    auto storeIt = [&] {
        Reference<css::frame::XStorable> storable(document, UNO_QUERY_THROW);
        Props args = f.isEmpty() ? props({{"Overwrite", Any(true)}})
                                 : props({{"Overwrite", Any(true)}, {"FilterName", Any(toOU(f))}});
        if (moveThere)
            storable->storeAsURL(toOU(target), args);
        else
            storable->storeToURL(toOU(target), args);
    };
    if (QUrl(target).isLocalFile()) {
        storeBounded(QUrl(target).toLocalFile(), 0, storeIt);
    } else {
        try {
            storeIt();
        } catch (const css::uno::Exception& e) {
            fail(ErrorKind::CannotStore, e, target);
        }
    }
    if (moveThere) {
        noteDocumentFile(toOU(target));
        what = QUrl(target).isLocalFile() ? QUrl(target).toLocalFile() : target;
    }
}

QString DocImpl::url()
{
    checkOpen();
    return call(ErrorKind::Failed, [&] { return toQ(Reference<css::frame::XModel>(document, UNO_QUERY_THROW)->getURL()); });
}

void DocImpl::close()
{
    if (closed)
        return;
    for (auto& [index, s] : sheets)
        s->buffer.discard();
    closeComponent(document);
    closed = true;
}

std::shared_ptr<DocImpl> loadSpreadsheet(const QString& pathOrUrl, const Props& args)
{
    const QString url = ConvertToURL(pathOrUrl);
    const QUrl u(url);
    const QString what = u.isLocalFile() ? u.toLocalFile() : pathOrUrl;
    auto doc = loadComponent(toOU(url), args, what);
    // The office may go away just as the document has loaded.
    const bool spreadsheet = call(ErrorKind::CannotLoad, [&] {
        return Reference<css::sheet::XSpreadsheetDocument>(doc, UNO_QUERY).is();
    }, what);
    if (!spreadsheet) {
        closeComponent(doc);
        throw Error(ErrorKind::CannotLoad, what + QStringLiteral(" (не электронная таблица)"));
    }
    return std::make_shared<DocImpl>(doc, what);
}

std::shared_ptr<DocImpl> newSpreadsheet(bool hidden)
{
    auto doc = loadComponent("private:factory/scalc", props({{"Hidden", Any(hidden)}}), QStringLiteral("новая таблица"));
    return std::make_shared<DocImpl>(doc);
}

} // namespace office::detail
