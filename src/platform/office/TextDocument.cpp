#include "platform/office/TextDocument.h"

#include "platform/office/OOo.h"
#include "platform/office/Office.h"
#include "platform/office/UnoSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUrl>

#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/PropertyAttribute.hpp>
#include <com/sun/star/beans/XPropertyContainer.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertySetInfo.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/document/XDocumentProperties.hpp>
#include <com/sun/star/document/XDocumentPropertiesSupplier.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/drawing/XShape.hpp>
#include <com/sun/star/drawing/XShapeDescriptor.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/HoriOrientation.hpp>
#include <com/sun/star/text/VertOrientation.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/text/XTextTablesSupplier.hpp>

#include <cmath>

namespace office {

using namespace office::uno;

namespace {

constexpr double kHmmPerPoint = 2540.0 / 72.0;
// The office keeps text positions and sizes in twips.
int twipsOf(double hmm)
{
    return int(std::lround(hmm * 72.0 / 127.0));
}
int hmmOfTwips(int twips)
{
    return int(std::lround(twips * 127.0 / 72.0));
}

// Names and exact positions of the document's objects, kept in user-defined
// document properties of this name followed by a number (the values of such
// properties are kept short for the Word formats).
const char* const kLayoutProperty = "KalvetaFrames";
constexpr int kChunk = 200;
constexpr int kSaveAttempts = 3;

bool supports(const Reference<css::uno::XInterface>& x, const char* service)
{
    Reference<css::lang::XServiceInfo> si(x, UNO_QUERY);
    return si.is() && si->supportsService(OUString::createFromAscii(service));
}

QString plainText(QString s)
{
    s.remove(QChar(13));
    s.remove(QChar(7));
    return s;
}

QString textOf(const Reference<css::uno::XInterface>& x)
{
    Reference<css::text::XText> text(x, UNO_QUERY);
    if (text.is())
        return plainText(toQ(text->getString()));
    Reference<css::container::XIndexAccess> children(x, UNO_QUERY);
    if (!children.is())
        return {};
    QStringList parts;
    for (sal_Int32 i = 0; i < children->getCount(); ++i) {
        const QString t = textOf(Reference<css::uno::XInterface>(children->getByIndex(i), UNO_QUERY));
        if (!t.isEmpty())
            parts << t;
    }
    return parts.join(QLatin1Char(' '));
}

} // namespace

struct TextDocument::Impl {
    struct Item {
        Reference<css::drawing::XShape> shape;
        Reference<css::beans::XPropertySet> props;
        bool listed = false;
        bool group = false;
        bool twipSized = false;  // a frame or picture of the text itself
        double x = 0;            // exact position, hundredths of a millimetre
        double y = 0;
        bool oriented = false;   // positioned by its numbers, not aligned
    };

    Reference<css::lang::XComponent> doc;
    QString path;
    QString filter;
    bool started = false;
    bool closed = false;
    std::vector<Item> items;
    std::vector<int> listed;

    void checkOpen() const
    {
        if (closed || !doc.is())
            throw Error(ErrorKind::Failed, QStringLiteral("документ закрыт"));
    }

    // The office's own formats keep everything; the others are checked.
    bool ownFormat() const { return filter.startsWith(QLatin1String("writer")); }
    // The Word 97 export loses a twip of every frame's and picture's size.
    bool wordBinary() const { return filter.startsWith(QLatin1String("MS Word 97")); }

    static Reference<css::container::XIndexAccess> drawPage(const Reference<css::lang::XComponent>& d)
    {
        Reference<css::drawing::XDrawPageSupplier> dps(d, UNO_QUERY_THROW);
        return Reference<css::container::XIndexAccess>(dps->getDrawPage(), UNO_QUERY_THROW);
    }

    void readItems()
    {
        items.clear();
        listed.clear();
        auto page = drawPage(doc);
        for (sal_Int32 i = 0; i < page->getCount(); ++i) {
            Item it;
            it.shape.set(page->getByIndex(i), UNO_QUERY);
            it.props.set(it.shape, UNO_QUERY);
            if (!it.shape.is() || !it.props.is())
                continue;
            const bool frame = supports(it.shape, "com.sun.star.text.TextFrame");
            it.twipSized = frame || supports(it.shape, "com.sun.star.text.TextGraphicObject")
                || supports(it.shape, "com.sun.star.text.TextEmbeddedObject");
            const OUString type = Reference<css::drawing::XShapeDescriptor>(it.shape, UNO_QUERY_THROW)->getShapeType();
            it.group = type == "com.sun.star.drawing.GroupShape";
            bool textBox = type == "com.sun.star.drawing.TextShape";
            auto info = it.props->getPropertySetInfo();
            if (!frame && info->hasPropertyByName("TextBox")) {
                bool tb = false;
                it.props->getPropertyValue("TextBox") >>= tb;
                textBox = textBox || tb;
            }
            it.listed = frame || it.group || textBox;
            sal_Int32 x = 0, y = 0;
            sal_Int16 ho = css::text::HoriOrientation::NONE, vo = css::text::VertOrientation::NONE;
            if (info->hasPropertyByName("HoriOrientPosition")) {
                it.props->getPropertyValue("HoriOrientPosition") >>= x;
                it.props->getPropertyValue("VertOrientPosition") >>= y;
                it.props->getPropertyValue("HoriOrient") >>= ho;
                it.props->getPropertyValue("VertOrient") >>= vo;
            }
            it.x = x;
            it.y = y;
            it.oriented = ho == css::text::HoriOrientation::NONE && vo == css::text::VertOrientation::NONE;
            if (it.listed)
                listed.push_back(int(items.size()));
            items.push_back(it);
        }
    }

    Reference<css::beans::XPropertyContainer> userProperties()
    {
        Reference<css::document::XDocumentPropertiesSupplier> dps(doc, UNO_QUERY_THROW);
        return dps->getDocumentProperties()->getUserDefinedProperties();
    }

    QString readLayout()
    {
        Reference<css::beans::XPropertySet> set(userProperties(), UNO_QUERY_THROW);
        auto info = set->getPropertySetInfo();
        QString text;
        for (int i = 1;; ++i) {
            const OUString name = toOU(QString::fromLatin1(kLayoutProperty) + QString::number(i));
            if (!info->hasPropertyByName(name))
                break;
            OUString chunk;
            set->getPropertyValue(name) >>= chunk;
            text += toQ(chunk);
        }
        return text;
    }

    void writeLayout(const QString& text)
    {
        auto container = userProperties();
        Reference<css::beans::XPropertySet> set(container, UNO_QUERY_THROW);
        auto info = set->getPropertySetInfo();
        for (const auto& p : info->getProperties())
            if (toQ(p.Name).startsWith(QLatin1String(kLayoutProperty)))
                container->removeProperty(p.Name);
        for (int i = 0; i * kChunk < text.size(); ++i)
            container->addProperty(toOU(QString::fromLatin1(kLayoutProperty) + QString::number(i + 1)),
                                   css::beans::PropertyAttribute::REMOVABLE,
                                   Any(toOU(text.mid(i * kChunk, kChunk))));
    }

    QString layoutText() const
    {
        QJsonArray list;
        for (const Item& it : items) {
            QJsonObject o;
            o[QStringLiteral("name")] = toQ(Reference<css::container::XNamed>(it.shape, UNO_QUERY_THROW)->getName());
            o[QStringLiteral("x")] = it.x;
            o[QStringLiteral("y")] = it.y;
            list.append(o);
        }
        return QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact));
    }

    // Gives the objects back the names and exact positions kept at the last
    // save, when the document still holds the same objects at the places
    // saved then.
    void restoreLayout()
    {
        const QJsonArray list = QJsonDocument::fromJson(readLayout().toUtf8()).array();
        if (list.size() != int(items.size()) || items.empty())
            return;
        std::vector<QString> wanted;
        for (size_t i = 0; i < items.size(); ++i) {
            const QJsonObject o = list.at(int(i)).toObject();
            Item& it = items[i];
            const double x = o.value(QStringLiteral("x")).toDouble(it.x);
            const double y = o.value(QStringLiteral("y")).toDouble(it.y);
            if (twipsOf(x) == twipsOf(it.x))
                it.x = x;
            if (twipsOf(y) == twipsOf(it.y))
                it.y = y;
            wanted.push_back(o.value(QStringLiteral("name")).toString());
        }
        // Two passes, so that names may be swapped among the objects.
        std::vector<Reference<css::container::XNamed>> renamed;
        for (size_t i = 0; i < items.size(); ++i) {
            Reference<css::container::XNamed> n(items[i].shape, UNO_QUERY);
            if (!n.is() || wanted[i].isEmpty() || toQ(n->getName()) == wanted[i]) {
                renamed.push_back({});
                continue;
            }
            try {
                n->setName(toOU(QStringLiteral("kalveta-rename-%1").arg(i)));
                renamed.push_back(n);
            } catch (const css::uno::Exception&) {
                renamed.push_back({});
            }
        }
        for (size_t i = 0; i < items.size(); ++i) {
            if (!renamed[i].is())
                continue;
            try {
                renamed[i]->setName(toOU(wanted[i]));
            } catch (const css::uno::Exception&) {
                // The name is taken by another object; it keeps the office's.
            }
        }
    }

    // Sizes in twips of the frames and pictures, in document order.
    static std::vector<std::pair<int, int>> twipSizes(const Reference<css::lang::XComponent>& d)
    {
        std::vector<std::pair<int, int>> out;
        auto page = drawPage(d);
        for (sal_Int32 i = 0; i < page->getCount(); ++i) {
            Reference<css::drawing::XShape> shape(page->getByIndex(i), UNO_QUERY);
            if (!shape.is())
                continue;
            if (supports(shape, "com.sun.star.text.TextFrame") || supports(shape, "com.sun.star.text.TextGraphicObject")
                || supports(shape, "com.sun.star.text.TextEmbeddedObject")) {
                const auto s = shape->getSize();
                out.push_back({twipsOf(s.Width), twipsOf(s.Height)});
            }
        }
        return out;
    }

    void setTwipSizes(const std::vector<std::pair<int, int>>& sizes)
    {
        size_t k = 0;
        for (Item& it : items) {
            if (!it.twipSized)
                continue;
            if (k >= sizes.size())
                break;
            it.shape->setSize(css::awt::Size(hmmOfTwips(sizes[k].first), hmmOfTwips(sizes[k].second)));
            ++k;
        }
    }

    void store()
    {
        Reference<css::frame::XStorable>(doc, UNO_QUERY_THROW)->store();
    }

    // Sizes of the frames and pictures as a copy of the saved file reads
    // them back.
    std::vector<std::pair<int, int>> sizesAsSaved()
    {
        QTemporaryDir dir;
        const QString copy = dir.filePath(QFileInfo(path).fileName());
        if (!dir.isValid() || !QFile::copy(path, copy))
            return {};
        Reference<css::lang::XComponent> saved;
        try {
            saved = loadComponent(toOU(ConvertToURL(copy)),
                                   props({{"Hidden", Any(true)},
                                          {"AsTemplate", Any(false)},
                                          {"ReadOnly", Any(true)},
                                          {"MacroExecutionMode", Any(css::document::MacroExecMode::NEVER_EXECUTE)}}),
                                   copy);
        } catch (const Error&) {
            return {};  // the check is skipped; the file is saved
        }
        std::vector<std::pair<int, int>> out;
        try {
            out = twipSizes(saved);
        } catch (const css::uno::Exception&) {
        }
        closeComponent(saved);
        return out;
    }

    void save()
    {
        checkOpen();
        writeLayout(layoutText());
        if (ownFormat()) {
            store();
            return;
        }
        // The Word 97 export writes every frame and picture one twip smaller
        // than it is: it is given sizes grown by what the last attempt lost,
        // until a copy of the file reads back the sizes the document has.
        const auto wanted = twipSizes(doc);
        const int guess = wordBinary() ? 1 : 0;
        std::vector<std::pair<int, int>> grow(wanted.size(), {guess, guess});
        for (int attempt = 0; attempt < kSaveAttempts; ++attempt) {
            std::vector<std::pair<int, int>> given = wanted;
            for (size_t i = 0; i < given.size(); ++i) {
                given[i].first += grow[i].first;
                given[i].second += grow[i].second;
            }
            setTwipSizes(given);
            try {
                store();
            } catch (...) {
                setTwipSizes(wanted);
                throw;
            }
            setTwipSizes(wanted);
            const auto saved = sizesAsSaved();
            if (saved.size() != wanted.size() || saved == wanted)
                return;
            for (size_t i = 0; i < wanted.size(); ++i) {
                grow[i].first += wanted[i].first - saved[i].first;
                grow[i].second += wanted[i].second - saved[i].second;
            }
        }
    }
};

TextDocument TextDocument::open(const QString& path, bool hidden)
{
    TextDocument out;
    out.d_ = std::make_shared<Impl>();
    out.d_->started = Office::instance().ensureRunning();
    out.d_->path = QFileInfo(path).absoluteFilePath();
    out.d_->doc = loadComponent(
        toOU(ConvertToURL(path)),
        props({{"AsTemplate", Any(false)},
               {"Hidden", Any(hidden)},
               {"MacroExecutionMode", Any(css::document::MacroExecMode::NEVER_EXECUTE)},
               {"UpdateDocMode", Any(sal_Int16(css::document::UpdateDocMode::NO_UPDATE))}}),
        out.d_->path);
    if (!Reference<css::text::XTextDocument>(out.d_->doc, UNO_QUERY).is()) {
        closeComponent(out.d_->doc);
        throw Error(ErrorKind::CannotLoad, out.d_->path + QStringLiteral(" (не текстовый документ)"));
    }
    call(ErrorKind::CannotLoad, [&] {
        for (const auto& a : Reference<css::frame::XModel>(out.d_->doc, UNO_QUERY_THROW)->getArgs())
            if (a.Name == "FilterName") {
                OUString f;
                a.Value >>= f;
                out.d_->filter = toQ(f);
            }
        out.d_->readItems();
        out.d_->restoreLayout();
    }, out.d_->path);
    return out;
}

TextDocument TextDocument::createNew(bool hidden)
{
    TextDocument out;
    out.d_ = std::make_shared<Impl>();
    out.d_->started = Office::instance().ensureRunning();
    out.d_->doc = loadComponent("private:factory/swriter", props({{"Hidden", Any(hidden)}}), QStringLiteral("новый документ"));
    call(ErrorKind::CannotLoad, [&] { out.d_->readItems(); });
    return out;
}

bool TextDocument::isOpen() const
{
    return d_ && !d_->closed;
}

bool TextDocument::startedOffice() const
{
    return d_ && d_->started;
}

QString TextDocument::path() const
{
    return d_ ? d_->path : QString();
}

QList<TextDocument::Frame> TextDocument::frames() const
{
    if (!d_)
        return {};
    d_->checkOpen();
    return call(ErrorKind::Failed, [&] {
        QList<Frame> out;
        for (int index : d_->listed) {
            const Impl::Item& it = d_->items[index];
            Frame f;
            f.name = toQ(Reference<css::container::XNamed>(it.shape, UNO_QUERY_THROW)->getName());
            f.text = textOf(it.shape);
            f.left = it.x / kHmmPerPoint;
            f.top = it.y / kHmmPerPoint;
            const auto size = it.shape->getSize();
            f.width = size.Width / kHmmPerPoint;
            f.height = size.Height / kHmmPerPoint;
            f.group = it.group;
            out << f;
        }
        return out;
    });
}

QStringList TextDocument::tableFirstCells() const
{
    if (!d_)
        return {};
    d_->checkOpen();
    return call(ErrorKind::Failed, [&] {
        QStringList out;
        Reference<css::text::XTextTablesSupplier> tts(d_->doc, UNO_QUERY_THROW);
        Reference<css::container::XIndexAccess> tables(tts->getTextTables(), UNO_QUERY_THROW);
        for (sal_Int32 i = 0; i < tables->getCount(); ++i) {
            Reference<css::text::XTextTable> table(tables->getByIndex(i), UNO_QUERY_THROW);
            out << textOf(table->getCellByName("A1"));
        }
        return out;
    });
}

TextDocument::Margins TextDocument::pageMargins() const
{
    if (!d_)
        return {};
    d_->checkOpen();
    return call(ErrorKind::Failed, [&] {
        Reference<css::text::XTextDocument> td(d_->doc, UNO_QUERY_THROW);
        Reference<css::beans::XPropertySet> start(td->getText()->createTextCursor(), UNO_QUERY_THROW);
        OUString styleName;
        start->getPropertyValue("PageStyleName") >>= styleName;
        Reference<css::style::XStyleFamiliesSupplier> sfs(d_->doc, UNO_QUERY_THROW);
        Reference<css::container::XNameAccess> pages(sfs->getStyleFamilies()->getByName("PageStyles"), UNO_QUERY_THROW);
        Reference<css::beans::XPropertySet> style(pages->getByName(styleName), UNO_QUERY_THROW);
        sal_Int32 l = 0, t = 0, r = 0, b = 0;
        style->getPropertyValue("LeftMargin") >>= l;
        style->getPropertyValue("TopMargin") >>= t;
        style->getPropertyValue("RightMargin") >>= r;
        style->getPropertyValue("BottomMargin") >>= b;
        return Margins{l / kHmmPerPoint, t / kHmmPerPoint, r / kHmmPerPoint, b / kHmmPerPoint};
    });
}

void TextDocument::moveFrame(int index, double dx, double dy)
{
    if (!d_)
        throw Error(ErrorKind::NotFound, QStringLiteral("документ не открыт"));
    d_->checkOpen();
    if (index < 0 || index >= int(d_->listed.size()))
        throw Error(ErrorKind::NotFound, QStringLiteral("рамка %1").arg(index + 1));
    Impl::Item& it = d_->items[d_->listed[index]];
    call(ErrorKind::Failed, [&] {
        if (!it.oriented) {
            it.props->setPropertyValue("HoriOrient", Any(css::text::HoriOrientation::NONE));
            it.props->setPropertyValue("VertOrient", Any(css::text::VertOrientation::NONE));
            it.oriented = true;
        }
        it.x += dx * kHmmPerPoint;
        it.y += dy * kHmmPerPoint;
        it.props->setPropertyValue("HoriOrientPosition", Any(sal_Int32(std::lround(it.x))));
        it.props->setPropertyValue("VertOrientPosition", Any(sal_Int32(std::lround(it.y))));
    });
}

void TextDocument::save()
{
    if (!d_)
        throw Error(ErrorKind::NotFound, QStringLiteral("документ не открыт"));
    try {
        d_->save();
    } catch (const css::uno::Exception& e) {
        fail(ErrorKind::CannotStore, e, d_->path);
    }
}

void TextDocument::close()
{
    if (!d_ || d_->closed)
        return;
    closeComponent(d_->doc);
    d_->closed = true;
    d_->items.clear();
    d_->listed.clear();
}

bool TextDocument::quitOfficeIfStarted()
{
    if (!startedOffice())
        return false;
    return Office::instance().quitIfIdle();
}

void TextDocument::setVisible(bool visible)
{
    if (!d_)
        return;
    d_->checkOpen();
    if (!Office::instance().headless())
        uno::setVisible(d_->doc, visible);
}

void TextDocument::activate()
{
    if (!d_)
        return;
    d_->checkOpen();
    if (!Office::instance().headless())
        uno::activate(d_->doc);
}

} // namespace office
