#include "platform/office/TextDocument.h"

#include "platform/office/OOo.h"
#include "platform/office/Office.h"
#include "platform/office/UnoSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryFile>

#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/PropertyAttribute.hpp>
#include <com/sun/star/beans/XPropertyContainer.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertySetInfo.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
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
#include <com/sun/star/graphic/XGraphic.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/HoriOrientation.hpp>
#include <com/sun/star/text/RelOrientation.hpp>
#include <com/sun/star/text/SizeType.hpp>
#include <com/sun/star/text/TextContentAnchorType.hpp>
#include <com/sun/star/text/VertOrientation.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextFieldsSupplier.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/text/XTextTablesSupplier.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace office {

using namespace office::uno;
using css::beans::XPropertySet;

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

// The record of the document's objects, kept in user-defined document
// properties of this name followed by a number (the values of such
// properties are kept short for the Word formats).
const char* const kLayoutProperty = "KalvetaFrames";
// The checked copy a save writes beside the template: this prefix, the
// number of the writing process, a dash, a unique part.
const char* const kCopyPrefix = ".~kalveta-";
constexpr int kChunk = 200;
constexpr int kSaveAttempts = 3;
// How far an object read back may be from its record and still be taken
// for the same object: the export rounds positions to the twip and loses
// a twip or two of a size on each save.
constexpr int kPositionSlack = 1;
// Where a place on the page is worked out from an alignment or the page's
// edges, the office's layout and this layer may differ by a twip or two.
constexpr int kPageSlack = 3;
constexpr int kSizeSlack = 3;

enum Category : int { FrameObject = 0, PictureObject = 1, GroupObject = 2, ShapeObject = 3 };

bool supports(const Reference<css::uno::XInterface>& x, const char* service)
{
    Reference<css::lang::XServiceInfo> si(x, UNO_QUERY);
    return si.is() && si->supportsService(OUString::createFromAscii(service));
}

bool has(const Reference<XPropertySet>& p, const char* name)
{
    return p->getPropertySetInfo()->hasPropertyByName(OUString::createFromAscii(name));
}

template <class T>
T value(const Reference<XPropertySet>& p, const char* name, T fallback)
{
    if (!has(p, name))
        return fallback;
    T out = fallback;
    p->getPropertyValue(OUString::createFromAscii(name)) >>= out;
    return out;
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

// The page the body starts on: its size and margins, hundredths of a mm.
struct PageBox {
    double width = 0, height = 0, left = 0, top = 0, right = 0, bottom = 0;
};

Reference<XPropertySet> firstPageStyle(const Reference<css::lang::XComponent>& doc)
{
    Reference<css::text::XTextDocument> td(doc, UNO_QUERY_THROW);
    Reference<XPropertySet> start(td->getText()->createTextCursor(), UNO_QUERY_THROW);
    OUString styleName;
    start->getPropertyValue("PageStyleName") >>= styleName;
    Reference<css::style::XStyleFamiliesSupplier> sfs(doc, UNO_QUERY_THROW);
    Reference<css::container::XNameAccess> pages(sfs->getStyleFamilies()->getByName("PageStyles"), UNO_QUERY_THROW);
    return Reference<XPropertySet>(pages->getByName(styleName), UNO_QUERY_THROW);
}

PageBox pageBoxOf(const Reference<css::lang::XComponent>& doc)
{
    auto style = firstPageStyle(doc);
    PageBox b;
    b.width = value<sal_Int32>(style, "Width", 0);
    b.height = value<sal_Int32>(style, "Height", 0);
    b.left = value<sal_Int32>(style, "LeftMargin", 0);
    b.top = value<sal_Int32>(style, "TopMargin", 0);
    b.right = value<sal_Int32>(style, "RightMargin", 0);
    b.bottom = value<sal_Int32>(style, "BottomMargin", 0);
    return b;
}

// The texts of every header and footer of every page style.
std::vector<Reference<css::text::XText>> headerFooterTexts(const Reference<css::lang::XComponent>& doc)
{
    static const char* const kTexts[] = {"HeaderText", "HeaderTextLeft", "HeaderTextRight", "HeaderTextFirst",
                                         "FooterText", "FooterTextLeft", "FooterTextRight", "FooterTextFirst"};
    std::vector<Reference<css::text::XText>> out;
    Reference<css::style::XStyleFamiliesSupplier> sfs(doc, UNO_QUERY_THROW);
    Reference<css::container::XNameAccess> pages(sfs->getStyleFamilies()->getByName("PageStyles"), UNO_QUERY_THROW);
    for (const OUString& name : pages->getElementNames()) {
        Reference<XPropertySet> style(pages->getByName(name), UNO_QUERY);
        if (!style.is())
            continue;
        for (const char* t : kTexts) {
            try {
                Reference<css::text::XText> text(value<Reference<css::uno::XInterface>>(style, t, {}), UNO_QUERY);
                if (text.is())
                    out.push_back(text);
            } catch (const css::uno::Exception&) {
                // A header that is off has no text.
            }
        }
    }
    return out;
}

// One object of the document's draw page as this layer sees it.
struct Item {
    Reference<css::drawing::XShape> shape;
    Reference<XPropertySet> props;
    int category = ShapeObject;
    bool listed = false;
    bool group = false;
    bool asCharacter = false;
    bool headerFooter = false;
    bool aligned = false;   // placed by an alignment, not by its numbers
    bool rotated = false;
    bool widerThanPage = false;
    bool fixedWidth = true;
    bool fixedHeight = true;
    double x = 0;  // hundredths of a mm from the origin of its relation
    double y = 0;
    std::optional<double> px;  // where it is drawn on the page, when known
    std::optional<double> py;
    // Drawn by an alignment or kept inside the page: placed by its numbers
    // from where it is drawn before it is moved.
    bool placeX = false;
    bool placeY = false;
    int width = 0;  // twips
    int height = 0;
    double drawnWidth = 0;  // hundredths of a mm: a frame as wide as its text
    QString text;
    QString name;

    // The export writes it differently whatever is done: matched by what it
    // is and its text only.
    bool lenient() const { return rotated || widerThanPage; }
};

// Where an object is drawn on one axis: the offset its numbers count from
// the origin of its relation (an alignment resolved against the page, for
// the alignments to the page and its text area; otherwise what the office
// reports), and, where the relation is one to the page, the place on the
// page. Word formats keep an object inside the page, so there the place on
// the page is kept inside it.
struct AxisPlace {
    double offset = 0;
    std::optional<double> onPage;
    bool moved = false;  // drawn elsewhere than its numbers say
};

AxisPlace placeOnAxis(sal_Int16 orient, sal_Int16 relation, double size, double pageSize, double before, double after,
                      double reported, bool horizontal, bool keepInside)
{
    using namespace css::text;
    std::optional<std::pair<double, double>> area;  // start and length
    if (relation == RelOrientation::PAGE_FRAME)
        area = {0.0, pageSize};
    else if (relation == RelOrientation::PAGE_PRINT_AREA
             || (horizontal && (relation == RelOrientation::FRAME || relation == RelOrientation::PRINT_AREA)))
        area = {before, pageSize - before - after};
    else if (horizontal && relation == RelOrientation::PAGE_LEFT)
        area = {0.0, before};
    else if (horizontal && relation == RelOrientation::PAGE_RIGHT)
        area = {pageSize - after, after};
    AxisPlace out;
    out.offset = reported;
    // Both NONE values are 0; left and top, right and bottom, centre share
    // no values across the axes, so each axis has its own cases.
    bool resolved = orient == 0;
    if (!resolved && area) {
        const double length = area->second;
        if (horizontal && orient == HoriOrientation::LEFT)
            out.offset = 0, resolved = true;
        else if (horizontal && orient == HoriOrientation::RIGHT)
            out.offset = length - size, resolved = true;
        else if (horizontal && orient == HoriOrientation::CENTER)
            out.offset = (length - size) / 2, resolved = true;
        else if (!horizontal && orient == VertOrientation::TOP)
            out.offset = 0, resolved = true;
        else if (!horizontal && orient == VertOrientation::BOTTOM)
            out.offset = length - size, resolved = true;
        else if (!horizontal && orient == VertOrientation::CENTER)
            out.offset = (length - size) / 2, resolved = true;
    }
    if (area && resolved) {
        double at = area->first + out.offset;
        if (keepInside && pageSize > size)
            at = std::clamp(at, 0.0, pageSize - size);
        out.onPage = at;
        out.moved = std::lround(at) != std::lround(area->first + out.offset);
    }
    return out;
}

std::vector<Item> readObjects(const Reference<css::lang::XComponent>& doc, bool keepInside)
{
    std::vector<Item> items;
    const PageBox page = pageBoxOf(doc);
    const auto headers = headerFooterTexts(doc);
    Reference<css::drawing::XDrawPageSupplier> dps(doc, UNO_QUERY_THROW);
    Reference<css::container::XIndexAccess> drawPage(dps->getDrawPage(), UNO_QUERY_THROW);
    for (sal_Int32 i = 0; i < drawPage->getCount(); ++i) {
        Item it;
        it.shape.set(drawPage->getByIndex(i), UNO_QUERY);
        it.props.set(it.shape, UNO_QUERY);
        if (!it.shape.is() || !it.props.is())
            continue;
        const bool frame = supports(it.shape, "com.sun.star.text.TextFrame");
        const OUString type = Reference<css::drawing::XShapeDescriptor>(it.shape, UNO_QUERY_THROW)->getShapeType();
        it.group = type == "com.sun.star.drawing.GroupShape";
        if (frame)
            it.category = FrameObject;
        else if (supports(it.shape, "com.sun.star.text.TextGraphicObject")
                 || supports(it.shape, "com.sun.star.text.TextEmbeddedObject"))
            it.category = PictureObject;
        else if (it.group)
            it.category = GroupObject;
        const bool textBox = type == "com.sun.star.drawing.TextShape" || (!frame && value<bool>(it.props, "TextBox", false));
        it.listed = frame || it.group || textBox;

        it.asCharacter = value<css::text::TextContentAnchorType>(it.props, "AnchorType",
                                                                  css::text::TextContentAnchorType_AT_PARAGRAPH)
            == css::text::TextContentAnchorType_AS_CHARACTER;
        try {
            Reference<css::text::XTextContent> content(it.shape, UNO_QUERY);
            auto anchor = content.is() ? content->getAnchor() : Reference<css::text::XTextRange>();
            auto anchorText = anchor.is() ? anchor->getText() : Reference<css::text::XText>();
            for (const auto& h : headers)
                if (anchorText.is() && anchorText == h)
                    it.headerFooter = true;
        } catch (const css::uno::Exception&) {
            // An object without an anchor of its own counts as the body's.
        }
        it.rotated = value<sal_Int32>(it.props, "RotateAngle", 0) % 36000 != 0;

        const auto size = it.shape->getSize();
        double width = size.Width;
        if (frame) {
            const sal_Int16 wt = value<sal_Int16>(it.props, "WidthType", css::text::SizeType::FIX);
            const sal_Int16 ht = value<sal_Int16>(it.props, "SizeType", css::text::SizeType::FIX);
            it.fixedWidth = wt == css::text::SizeType::FIX;
            it.fixedHeight = ht == css::text::SizeType::FIX;
            const auto layout = value<css::awt::Size>(it.props, "LayoutSize", css::awt::Size());
            if (!it.fixedWidth && layout.Width > 0)
                width = layout.Width;
        }
        it.width = twipsOf(size.Width);
        it.height = twipsOf(size.Height);
        it.drawnWidth = width;
        it.widerThanPage = page.width > 0 && width > page.width;

        const sal_Int16 ho = value<sal_Int16>(it.props, "HoriOrient", css::text::HoriOrientation::NONE);
        const sal_Int16 vo = value<sal_Int16>(it.props, "VertOrient", css::text::VertOrientation::NONE);
        const double reportedX = value<sal_Int32>(it.props, "HoriOrientPosition", 0);
        const double reportedY = value<sal_Int32>(it.props, "VertOrientPosition", 0);
        const AxisPlace h = placeOnAxis(ho, value<sal_Int16>(it.props, "HoriOrientRelation", 0), width, page.width,
                                        page.left, page.right, reportedX, true, keepInside);
        const AxisPlace v = placeOnAxis(vo, value<sal_Int16>(it.props, "VertOrientRelation", 0), size.Height,
                                        page.height, page.top, page.bottom, reportedY, false, keepInside);
        it.aligned = ho != css::text::HoriOrientation::NONE || vo != css::text::VertOrientation::NONE;
        it.x = h.offset;
        it.y = v.offset;
        it.px = h.onPage;
        it.py = v.onPage;
        it.placeX = ho != css::text::HoriOrientation::NONE || h.moved;
        it.placeY = vo != css::text::VertOrientation::NONE || v.moved;

        // One unreadable text does not hide the object or the others.
        try {
            it.text = textOf(it.shape);
        } catch (const css::uno::Exception&) {
            it.text.clear();
        }
        try {
            it.name = toQ(Reference<css::container::XNamed>(it.shape, UNO_QUERY_THROW)->getName());
        } catch (const css::uno::Exception&) {
            it.name.clear();
        }
        items.push_back(it);
    }
    return items;
}

// What is kept of an object at a save, to know it again in the file.
struct Record {
    int category = 0;
    bool headerFooter = false;
    bool absolute = true;
    bool lenient = false;
    bool fixedWidth = true;
    bool fixedHeight = true;
    double x = 0;  // hundredths of a mm, exact
    double y = 0;
    std::optional<double> px;
    std::optional<double> py;
    int width = 0;  // twips
    int height = 0;
    QString text;
    QString name;
};

Record recordOf(const Item& it)
{
    Record r;
    r.category = it.category;
    r.headerFooter = it.headerFooter;
    r.absolute = !it.aligned || (it.px && it.py);
    r.lenient = it.lenient();
    r.fixedWidth = it.fixedWidth;
    r.fixedHeight = it.fixedHeight;
    r.x = it.x;
    r.y = it.y;
    r.px = it.px;
    r.py = it.py;
    r.width = it.width;
    r.height = it.height;
    r.text = it.text;
    r.name = it.name;
    return r;
}

QString recordsText(const std::vector<Record>& records)
{
    QJsonArray list;
    for (const Record& r : records) {
        QJsonObject o;
        o[QStringLiteral("c")] = r.category;
        o[QStringLiteral("f")] = r.headerFooter;
        o[QStringLiteral("a")] = r.absolute;
        o[QStringLiteral("l")] = r.lenient;
        o[QStringLiteral("fw")] = r.fixedWidth;
        o[QStringLiteral("fh")] = r.fixedHeight;
        o[QStringLiteral("x")] = r.x;
        o[QStringLiteral("y")] = r.y;
        if (r.px)
            o[QStringLiteral("px")] = *r.px;
        if (r.py)
            o[QStringLiteral("py")] = *r.py;
        o[QStringLiteral("w")] = r.width;
        o[QStringLiteral("h")] = r.height;
        o[QStringLiteral("t")] = r.text;
        o[QStringLiteral("n")] = r.name;
        list.append(o);
    }
    return QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact));
}

// The records of a layout text; nothing when it is not one (a file saved
// elsewhere, or by an older version of the program).
std::vector<Record> recordsOf(const QString& text)
{
    std::vector<Record> out;
    const QJsonArray list = QJsonDocument::fromJson(text.toUtf8()).array();
    for (const auto& v : list) {
        const QJsonObject o = v.toObject();
        if (!o.contains(QStringLiteral("c")))
            return {};
        Record r;
        r.category = o.value(QStringLiteral("c")).toInt();
        r.headerFooter = o.value(QStringLiteral("f")).toBool();
        r.absolute = o.value(QStringLiteral("a")).toBool(true);
        r.lenient = o.value(QStringLiteral("l")).toBool();
        r.fixedWidth = o.value(QStringLiteral("fw")).toBool(true);
        r.fixedHeight = o.value(QStringLiteral("fh")).toBool(true);
        r.x = o.value(QStringLiteral("x")).toDouble();
        r.y = o.value(QStringLiteral("y")).toDouble();
        if (o.contains(QStringLiteral("px")))
            r.px = o.value(QStringLiteral("px")).toDouble();
        if (o.contains(QStringLiteral("py")))
            r.py = o.value(QStringLiteral("py")).toDouble();
        r.width = o.value(QStringLiteral("w")).toInt();
        r.height = o.value(QStringLiteral("h")).toInt();
        r.text = o.value(QStringLiteral("t")).toString();
        r.name = o.value(QStringLiteral("n")).toString();
        out.push_back(r);
    }
    return out;
}

bool sameKind(const Record& r, const Item& it)
{
    return r.category == it.category && r.headerFooter == it.headerFooter && r.text == it.text;
}

// Where the object is on the page when both know it (the export may count
// a position from another origin), else by its numbers.
bool sameOnAxis(double recordRaw, const std::optional<double>& recordPage, double raw, const std::optional<double>& page)
{
    if (recordPage && page)
        return std::abs(twipsOf(*recordPage) - twipsOf(*page)) <= kPageSlack;
    return std::abs(twipsOf(recordRaw) - twipsOf(raw)) <= kPositionSlack;
}

bool samePlace(const Record& r, const Item& it)
{
    return sameOnAxis(r.x, r.px, it.x, it.px) && sameOnAxis(r.y, r.py, it.y, it.py);
}

bool sameGeometry(const Record& r, const Item& it)
{
    if (r.fixedWidth && std::abs(r.width - it.width) > kSizeSlack)
        return false;
    if (r.fixedHeight && std::abs(r.height - it.height) > kSizeSlack)
        return false;
    return !r.absolute || samePlace(r, it);
}

bool alike(const Record& a, const Record& b)
{
    auto samePage = [](const std::optional<double>& p, const std::optional<double>& q) {
        return p.has_value() == q.has_value() && (!p || twipsOf(*p) == twipsOf(*q));
    };
    return a.category == b.category && a.headerFooter == b.headerFooter && a.text == b.text
        && a.absolute == b.absolute && a.width == b.width && a.height == b.height && twipsOf(a.x) == twipsOf(b.x)
        && twipsOf(a.y) == twipsOf(b.y) && samePage(a.px, b.px) && samePage(a.py, b.py);
}

// For every record the object of `items` that is the one it was made of;
// nothing when a record matches no object or more than one, or when an
// object is left over.
std::optional<std::vector<size_t>> matchRecords(const std::vector<Record>& records, const std::vector<Item>& items,
                                                size_t* unmatched = nullptr)
{
    if (records.size() != items.size())
        return std::nullopt;
    std::vector<size_t> out(records.size(), items.size());
    std::vector<bool> taken(items.size(), false);
    // Objects the export keeps as they are first, by what they are and
    // where; those it changes after, among what is left.
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t r = 0; r < records.size(); ++r) {
            if (records[r].lenient != (pass == 1))
                continue;
            size_t found = items.size();
            int count = 0;
            for (size_t i = 0; i < items.size(); ++i) {
                if (taken[i] || !sameKind(records[r], items[i]))
                    continue;
                if (pass == 0 && !sameGeometry(records[r], items[i]))
                    continue;
                found = i;
                ++count;
            }
            // Copies alike in everything (a header frame in each page style)
            // may take each other's place: only as many as there are.
            if (count > 1) {
                int copies = 0;
                for (size_t o = 0; o < records.size(); ++o)
                    if (out[o] == items.size() && records[o].lenient == records[r].lenient
                        && alike(records[o], records[r]))
                        ++copies;
                if (copies != count) {
                    if (unmatched)
                        *unmatched = r;
                    return std::nullopt;
                }
                for (size_t i = 0; i < items.size(); ++i)
                    if (!taken[i] && sameKind(records[r], items[i])
                        && (pass == 1 || sameGeometry(records[r], items[i]))) {
                        found = i;
                        break;
                    }
            } else if (count != 1) {
                if (unmatched)
                    *unmatched = r;
                return std::nullopt;
            }
            out[r] = found;
            taken[found] = true;
        }
    }
    return out;
}

QString quoted(const QString& text)
{
    QString t = text.simplified();
    if (t.size() > 40)
        t = t.left(40) + QStringLiteral("…");
    return QStringLiteral("«") + t + QStringLiteral("»");
}

// An object of a record, as the user knows it: by its text, else by its
// name.
QString describe(const Record& r)
{
    static const char* const kinds[] = {"Рамка", "Рисунок", "Группа", "Фигура"};
    const QString kind = QString::fromUtf8(kinds[std::clamp(r.category, 0, 3)]);
    if (!r.text.simplified().isEmpty())
        return kind + QLatin1Char(' ') + quoted(r.text);
    if (!r.name.isEmpty())
        return kind + QLatin1Char(' ') + quoted(r.name);
    return kind;
}

Reference<css::beans::XPropertyContainer> userProperties(const Reference<css::lang::XComponent>& doc)
{
    Reference<css::document::XDocumentPropertiesSupplier> dps(doc, UNO_QUERY_THROW);
    return dps->getDocumentProperties()->getUserDefinedProperties();
}

QString readLayout(const Reference<css::lang::XComponent>& doc)
{
    Reference<XPropertySet> set(userProperties(doc), UNO_QUERY_THROW);
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

void writeLayout(const Reference<css::lang::XComponent>& doc, const QString& text)
{
    auto container = userProperties(doc);
    Reference<XPropertySet> set(container, UNO_QUERY_THROW);
    for (const auto& p : set->getPropertySetInfo()->getProperties())
        if (toQ(p.Name).startsWith(QLatin1String(kLayoutProperty)))
            container->removeProperty(p.Name);
    for (int i = 0; i * kChunk < text.size(); ++i)
        container->addProperty(toOU(QString::fromLatin1(kLayoutProperty) + QString::number(i + 1)),
                               css::beans::PropertyAttribute::REMOVABLE, Any(toOU(text.mid(i * kChunk, kChunk))));
}

int pageNumberFields(const Reference<css::lang::XComponent>& doc)
{
    Reference<css::text::XTextFieldsSupplier> tfs(doc, UNO_QUERY);
    if (!tfs.is())
        return 0;
    int n = 0;
    auto e = tfs->getTextFields()->createEnumeration();
    while (e->hasMoreElements()) {
        Reference<css::uno::XInterface> field(e->nextElement(), UNO_QUERY);
        if (supports(field, "com.sun.star.text.textfield.PageNumber")
            || supports(field, "com.sun.star.text.TextField.PageNumber")
            || supports(field, "com.sun.star.text.textfield.PageCount")
            || supports(field, "com.sun.star.text.TextField.PageCount"))
            ++n;
    }
    return n;
}

// The filter names a file of each extension may be read with; any other
// reading means the file is damaged or is not what its name says.
bool filterFitsExtension(const QString& filter, const QString& suffix)
{
    const QString ext = suffix.toLower();
    if (ext == QLatin1String("dot") || ext == QLatin1String("doc"))
        return filter.startsWith(QLatin1String("MS Word 97"));
    if (ext == QLatin1String("ott") || ext == QLatin1String("odt"))
        return filter.startsWith(QLatin1String("writer8"));
    if (ext == QLatin1String("dotx") || ext == QLatin1String("docx"))
        return filter.startsWith(QLatin1String("MS Word 2007"));
    return filter.startsWith(QLatin1String("MS Word")) || filter.startsWith(QLatin1String("writer"));
}

// Gives the objects back the names and exact positions of the record kept
// at the last save, when every object of the file is known again.
void restoreLayoutOf(const std::vector<Record>& records, std::vector<Item>& items)
{
    if (records.empty())
        return;
    const auto match = matchRecords(records, items);
    if (!match)
        return;
    std::vector<QString> wanted(items.size());
    for (size_t r = 0; r < records.size(); ++r) {
        Item& it = items[(*match)[r]];
        if (!it.aligned) {
            if (twipsOf(records[r].x) == twipsOf(it.x))
                it.x = records[r].x;
            if (twipsOf(records[r].y) == twipsOf(it.y))
                it.y = records[r].y;
        }
        wanted[(*match)[r]] = records[r].name;
    }
    // Two passes, so that names may be swapped among the objects.
    std::vector<Reference<css::container::XNamed>> renamed(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        Reference<css::container::XNamed> n(items[i].shape, UNO_QUERY);
        if (!n.is() || wanted[i].isEmpty() || items[i].name == wanted[i])
            continue;
        try {
            n->setName(toOU(QStringLiteral("kalveta-rename-%1").arg(i)));
            renamed[i] = n;
        } catch (const css::uno::Exception&) {
        }
    }
    for (size_t i = 0; i < items.size(); ++i) {
        if (!renamed[i].is())
            continue;
        try {
            renamed[i]->setName(toOU(wanted[i]));
            items[i].name = wanted[i];
        } catch (const css::uno::Exception&) {
            // The name is taken by another object; it keeps the office's.
            items[i].name = toQ(renamed[i]->getName());
        }
    }
}

// The office's own formats keep everything the Word formats change.
bool isOwnFormat(const QString& filter)
{
    return filter.startsWith(QLatin1String("writer"));
}

QString filterOf(const Reference<css::lang::XComponent>& doc)
{
    for (const auto& a : Reference<css::frame::XModel>(doc, UNO_QUERY_THROW)->getArgs())
        if (a.Name == "FilterName") {
            OUString f;
            a.Value >>= f;
            return toQ(f);
        }
    return {};
}

} // namespace

namespace {

// A file its owner may not write (its mode says so, even to a user whom the
// system would let write it).
bool readOnlyFile(const QString& path)
{
    const QFileInfo fi(path);
    if (!fi.isWritable())
        return true;
    const uint me = ::getuid();
    return (me == 0 || me == fi.ownerId()) && !fi.permission(QFile::WriteOwner);
}

} // namespace

struct TextDocument::Impl {
    Reference<css::lang::XComponent> doc;
    QString path;
    QString filter;
    bool started = false;
    bool closed = false;
    std::vector<Item> items;
    // The listed frames: the objects each entry stands for (a frame of a
    // header or footer once for all page styles that show it).
    std::vector<std::vector<size_t>> listed;

    void checkOpen() const
    {
        if (closed || !doc.is())
            throw Error(ErrorKind::Failed, QStringLiteral("документ закрыт"));
    }

    bool ownFormat() const { return isOwnFormat(filter); }
    // The Word 97 export loses a twip of every frame's, picture's and
    // group's size.
    bool wordBinary() const { return filter.startsWith(QLatin1String("MS Word 97")); }

    void readItems()
    {
        items = readObjects(doc, !ownFormat());
        listed.clear();
        for (size_t i = 0; i < items.size(); ++i) {
            const Item& it = items[i];
            if (!it.listed)
                continue;
            bool joined = false;
            if (it.headerFooter) {
                for (auto& entry : listed) {
                    const Item& first = items[entry.front()];
                    if (first.headerFooter && first.category == it.category && first.text == it.text
                        && twipsOf(first.x) == twipsOf(it.x) && twipsOf(first.y) == twipsOf(it.y)
                        && first.width == it.width && first.height == it.height) {
                        entry.push_back(i);
                        joined = true;
                        break;
                    }
                }
            }
            if (!joined)
                listed.push_back({i});
        }
    }

    void restoreLayout() { restoreLayoutOf(recordsOf(readLayout(doc)), items); }

    void setTwipSize(const Item& it, int width, int height)
    {
        it.shape->setSize(css::awt::Size(hmmOfTwips(width), hmmOfTwips(height)));
    }

    // What a copy stored in `copy` holds: per record the twips its size
    // came back short by, or the reason it is not the document.
    struct Check {
        QString refusal;
        std::vector<std::pair<int, int>> shortBy;
    };

    Check checkCopy(const QString& copy, const std::vector<Record>& records, const QString& layout)
    {
        Check out;
        Reference<css::lang::XComponent> saved;
        try {
            saved = loadComponent(toOU(ConvertToURL(copy)),
                                   props({{"Hidden", Any(true)},
                                          {"AsTemplate", Any(false)},
                                          {"ReadOnly", Any(true)},
                                          {"MacroExecutionMode", Any(css::document::MacroExecMode::NEVER_EXECUTE)}}),
                                   copy);
        } catch (const Error& e) {
            // No room for the office to read it back in: the disk is told,
            // not the copy.
            if (e.diskFull())
                throw e.asKind(ErrorKind::CannotStore);
            out.refusal = QStringLiteral("сохраненный файл не удается прочитать");
            return out;
        }
        try {
            const std::vector<Item> back = readObjects(saved, !ownFormat());
            std::optional<std::vector<size_t>> match;
            if (readLayout(saved) != layout) {
                out.refusal = QStringLiteral("сведения о рамках не сохраняются в файле");
            } else if (back.size() != records.size()) {
                out.refusal = QStringLiteral("в сохраненном файле %1 объектов вместо %2")
                                  .arg(back.size())
                                  .arg(records.size());
            } else if (size_t lost = records.size(); !(match = matchRecords(records, back, &lost))) {
                out.refusal = lost < records.size()
                    ? QStringLiteral("%1 не удается найти в сохраненном файле таким, каким он был в шаблоне")
                          .arg(describe(records[lost]))
                    : QStringLiteral("объекты сохраненного файла не удается сопоставить с объектами шаблона");
            } else {
                for (size_t r = 0; r < records.size(); ++r) {
                    const Record& rec = records[r];
                    const Item& it = back[(*match)[r]];
                    std::pair<int, int> d{0, 0};
                    if (!rec.lenient) {
                        if (rec.fixedWidth)
                            d.first = rec.width - it.width;
                        if (rec.fixedHeight)
                            d.second = rec.height - it.height;
                        if (rec.absolute && !samePlace(rec, it))
                            out.refusal = QStringLiteral("рамка %1 не сохраняется на своем месте").arg(quoted(rec.text));
                    }
                    if (rec.category == PictureObject && has(it.props, "Graphic")
                        && !it.props->getPropertyValue("Graphic").hasValue())
                        out.refusal = QStringLiteral("рисунок не сохраняется");
                    out.shortBy.push_back(d);
                }
            }
        } catch (const css::uno::Exception& e) {
            out.refusal = QStringLiteral("сохраненный файл не удается прочитать (%1)").arg(plainOfficeText(toQ(e.Message)));
        }
        closeComponent(saved);
        return out;
    }

    // A new file beside the template, for the copy that is checked before
    // it takes the template's place.
    QString siblingFile() const
    {
        const QFileInfo fi(path);
        removeLeftCopies(fi.absolutePath());
        QTemporaryFile f(templateCopyName(path, QString::number(::getpid())));
        f.setAutoRemove(false);
        if (!f.open())
            throw Error(ErrorKind::CannotStore, path + QStringLiteral(" (папка недоступна для записи)"));
        return f.fileName();
    }

    void storeCopy(const QString& copy)
    {
        storeBounded(copy, 2 * QFileInfo(path).size(), [&] {
            Reference<css::frame::XStorable>(doc, UNO_QUERY_THROW)
                ->storeToURL(toOU(ConvertToURL(copy)),
                             props({{"FilterName", Any(toOU(filter))},
                                    {"Overwrite", Any(true)},
                                    {"InteractionHandler", Any(quietInteraction())}}));
        });
    }

    // The objects as the document holds them now (the user may have
    // changed it in the office window), with the exact positions of those
    // this layer knows.
    std::vector<Item> currentItems() const
    {
        std::vector<Item> now = readObjects(doc, !ownFormat());
        for (Item& it : now) {
            for (const Item& known : items) {
                if (known.shape != it.shape)
                    continue;
                if (!it.aligned && twipsOf(known.x) == twipsOf(it.x))
                    it.x = known.x;
                if (!it.aligned && twipsOf(known.y) == twipsOf(it.y))
                    it.y = known.y;
            }
        }
        return now;
    }

    void save()
    {
        checkOpen();
        if (readOnlyFile(path))
            throw Error(ErrorKind::CannotStore, path + QStringLiteral(" (файл доступен только для чтения)"));
        const std::vector<Item> now = currentItems();
        std::vector<Record> records;
        for (const Item& it : now)
            records.push_back(recordOf(it));
        const QString layout = recordsText(records);
        writeLayout(doc, layout);

        // The Word 97 export writes frames, pictures and groups one twip
        // smaller than they are: they are given sizes grown by what the last
        // attempt lost, until the copy reads back the sizes they have.
        std::vector<std::pair<int, int>> grow(now.size(), {0, 0});
        for (size_t i = 0; i < now.size(); ++i)
            if (wordBinary() && !now[i].lenient() && now[i].category != ShapeObject)
                grow[i] = {now[i].fixedWidth ? 1 : 0, now[i].fixedHeight ? 1 : 0};

        const QString copy = siblingFile();
        auto dropCopy = [&] { QFile::remove(copy); };
        for (int attempt = 0; attempt < kSaveAttempts; ++attempt) {
            const auto grown = grow;
            auto resize = [&](bool bigger) {
                for (size_t i = 0; i < now.size(); ++i)
                    if (grown[i] != std::pair<int, int>{0, 0})
                        setTwipSize(now[i], now[i].width + (bigger ? grown[i].first : 0),
                                    now[i].height + (bigger ? grown[i].second : 0));
            };
            try {
                resize(true);
            } catch (...) {
                dropCopy();
                throw;
            }
            try {
                storeCopy(copy);
            } catch (const Error&) {
                // The copy goes first: what follows needs the office, which
                // a store cut off (a full disk, the time limit) may have
                // ended; then the document has nothing left to save.
                dropCopy();
                if (!Office::instance().isRunning()) {
                    closed = true;
                } else {
                    try {
                        resize(false);
                    } catch (const css::uno::Exception&) {
                        closed = true;  // the office went away meanwhile
                    }
                }
                throw;
            }
            Check check;
            try {
                resize(false);
                check = checkCopy(copy, records, layout);
            } catch (...) {
                dropCopy();
                throw;
            }
            if (!check.refusal.isEmpty()) {
                dropCopy();
                throw SaveRefused(check.refusal);
            }
            bool exact = true;
            for (size_t i = 0; i < now.size(); ++i) {
                if (check.shortBy[i] != std::pair<int, int>{0, 0})
                    exact = false;
                grow[i].first += check.shortBy[i].first;
                grow[i].second += check.shortBy[i].second;
            }
            if (exact) {
                replaceFile(copy);
                return;
            }
        }
        dropCopy();
        throw SaveRefused(QStringLiteral("размеры рамок не сохраняются без изменений"));
    }

    // The checked copy takes the template's place in one step.
    void replaceFile(const QString& copy)
    {
        QFile::setPermissions(copy, QFileInfo(path).permissions());
        if (std::rename(QFile::encodeName(copy).constData(), QFile::encodeName(path).constData()) != 0) {
            QFile::remove(copy);
            throw Error(ErrorKind::CannotStore, path);
        }
    }
};

QString templateCopyName(const QString& templatePath, const QString& pid)
{
    const QFileInfo fi(templatePath);
    return fi.absoluteDir().filePath(QString::fromLatin1(kCopyPrefix) + pid + QStringLiteral("-XXXXXX.") + fi.suffix());
}

void removeLeftCopies(const QString& folder)
{
    const QDir dir(folder);
    const QString prefix = QString::fromLatin1(kCopyPrefix);
    for (const QString& name : dir.entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System)) {
        // The process that writes a copy is named in it; a copy of a
        // process that has ended (or of an older version, without the
        // number) is left over.
        bool ok = false;
        const pid_t writer = pid_t(name.mid(prefix.size()).section(QLatin1Char('-'), 0, 0).toInt(&ok));
        if (ok && writer > 0 && (::kill(writer, 0) == 0 || errno != ESRCH))
            continue;
        QFile::remove(dir.filePath(name));
    }
}

TextDocument TextDocument::open(const QString& path, bool hidden)
{
    TextDocument out;
    out.d_ = std::make_shared<Impl>();
    out.d_->path = QFileInfo(path).absoluteFilePath();
    if (!QFileInfo(path).isFile())
        throw Error(ErrorKind::CannotLoad, out.d_->path + QStringLiteral(" (файл не найден)"));
    if (const QString defect = documentFileDefect(path); !defect.isEmpty())
        throw Error(ErrorKind::CannotLoad, out.d_->path + QStringLiteral(" (") + defect + QLatin1Char(')'));
    removeLeftCopies(QFileInfo(out.d_->path).absolutePath());
    out.d_->started = Office::instance().ensureRunning();
    out.d_->doc = loadComponent(
        toOU(ConvertToURL(path)),
        props({{"AsTemplate", Any(false)},
               {"Hidden", Any(hidden)},
               {"MacroExecutionMode", Any(css::document::MacroExecMode::NEVER_EXECUTE)},
               {"UpdateDocMode", Any(sal_Int16(css::document::UpdateDocMode::NO_UPDATE))}}),
        out.d_->path);
    try {
        const bool text = call(ErrorKind::CannotLoad, [&] {
            out.d_->filter = filterOf(out.d_->doc);
            return Reference<css::text::XTextDocument>(out.d_->doc, UNO_QUERY).is();
        }, out.d_->path);
        if (!text || !filterFitsExtension(out.d_->filter, QFileInfo(path).suffix()))
            throw Error(ErrorKind::CannotLoad,
                        out.d_->path + QStringLiteral(" (файл поврежден или не является шаблоном документа)"));
        call(ErrorKind::CannotLoad, [&] {
            out.d_->readItems();
            out.d_->restoreLayout();
        }, out.d_->path);
    } catch (...) {
        closeComponent(out.d_->doc);
        out.d_->closed = true;
        throw;
    }
    return out;
}

QString documentFileDefect(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("файл не удается прочитать");
    const QByteArray head = f.read(128);
    const QString notADocument = QStringLiteral("файл поврежден или не является шаблоном документа");
    if (head.isEmpty())
        return QStringLiteral("файл пуст");
    if (ext == QLatin1String("dot") || ext == QLatin1String("doc")) {
        // A Word 97 file is a compound file.
        if (!head.startsWith(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) || f.size() < 1536)
            return notADocument;
    } else if (ext == QLatin1String("ott") || ext == QLatin1String("odt")) {
        // A zip file whose first entry "mimetype" names a text document.
        if (!head.startsWith("PK\x03\x04") || head.mid(30, 8) != "mimetype"
            || !head.mid(38).startsWith("application/vnd.oasis.opendocument.text"))
            return notADocument;
    } else if (ext == QLatin1String("dotx") || ext == QLatin1String("docx")) {
        if (!head.startsWith("PK\x03\x04"))
            return notADocument;
    } else if (ext == QLatin1String("fodt")) {
        if (!head.trimmed().startsWith("<?xml") && !head.startsWith("\xEF\xBB\xBF<?xml"))
            return notADocument;
    }
    return {};
}

bool TextDocument::readAsItsFormat(const Reference<css::lang::XComponent>& doc, const QString& path)
{
    if (!Reference<css::text::XTextDocument>(doc, UNO_QUERY).is())
        return false;
    static const QStringList judged{QStringLiteral("dot"), QStringLiteral("doc"), QStringLiteral("ott"),
                                    QStringLiteral("odt"), QStringLiteral("dotx"), QStringLiteral("docx")};
    const QString ext = QFileInfo(path).suffix().toLower();
    return !judged.contains(ext) || filterFitsExtension(filterOf(doc), ext);
}

bool TextDocument::mayHoldRecordedLayout(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext != QLatin1String("dot") && ext != QLatin1String("doc"))
        return true;  // a package: its properties are compressed
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true;
    const QByteArray bytes = file.readAll();
    const QByteArray name(kLayoutProperty);
    QByteArray wide;
    for (const char c : name)
        wide.append(c).append('\0');
    return bytes.contains(name) || bytes.contains(wide);
}

bool TextDocument::restoreRecordedLayout(const Reference<css::lang::XComponent>& doc)
{
    // Most templates were never saved here: their objects are not read.
    const QString layout = readLayout(doc);
    const std::vector<Record> records = recordsOf(layout);
    if (!records.empty()) {
        std::vector<Item> items = readObjects(doc, !isOwnFormat(filterOf(doc)));
        restoreLayoutOf(records, items);
    }
    return !layout.isEmpty();
}

void TextDocument::dropRecordedLayout(const Reference<css::lang::XComponent>& doc)
{
    auto container = userProperties(doc);
    Reference<XPropertySet> set(container, UNO_QUERY_THROW);
    for (const auto& p : set->getPropertySetInfo()->getProperties())
        if (toQ(p.Name).startsWith(QLatin1String(kLayoutProperty)))
            container->removeProperty(p.Name);
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
    const PageBox page = call(ErrorKind::Failed, [&] { return pageBoxOf(d_->doc); });
    QList<Frame> out;
    for (const auto& entry : d_->listed) {
        const Item& it = d_->items[entry.front()];
        Frame f;
        f.name = it.name;
        f.text = it.text;
        f.left = (it.px ? *it.px : it.x + page.left) / kHmmPerPoint;
        f.top = (it.py ? *it.py : it.y + page.top) / kHmmPerPoint;
        f.width = hmmOfTwips(it.width) / kHmmPerPoint;
        f.height = hmmOfTwips(it.height) / kHmmPerPoint;
        try {
            const auto size = it.shape->getSize();
            f.width = (it.fixedWidth ? size.Width : it.drawnWidth) / kHmmPerPoint;
            f.height = size.Height / kHmmPerPoint;
        } catch (const css::uno::Exception&) {
            // The size read with the document serves.
        }
        f.group = it.group;
        f.movable = !it.asCharacter;
        f.everyPage = it.headerFooter;
        out << f;
    }
    return out;
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
        const PageBox b = pageBoxOf(d_->doc);
        return Margins{b.left / kHmmPerPoint, b.top / kHmmPerPoint, b.right / kHmmPerPoint, b.bottom / kHmmPerPoint};
    });
}

void TextDocument::moveFrame(int index, double dx, double dy)
{
    if (!d_)
        throw Error(ErrorKind::NotFound, QStringLiteral("документ не открыт"));
    d_->checkOpen();
    if (index < 0 || index >= int(d_->listed.size()))
        throw Error(ErrorKind::NotFound, QStringLiteral("рамка %1").arg(index + 1));
    for (size_t i : d_->listed[index]) {
        if (d_->items[i].asCharacter)
            throw Error(ErrorKind::Failed,
                        QStringLiteral("рамка %1 вставлена в текст как символ и не сдвигается")
                            .arg(quoted(d_->items[i].text)));
    }
    for (size_t i : d_->listed[index]) {
        Item& it = d_->items[i];
        call(ErrorKind::Failed, [&] {
            // Placed by its numbers from where it is drawn now, so that it
            // does not jump by its alignment.
            if (it.placeX) {
                it.props->setPropertyValue("HoriOrient", Any(css::text::HoriOrientation::NONE));
                if (it.px) {
                    it.props->setPropertyValue("HoriOrientRelation", Any(css::text::RelOrientation::PAGE_FRAME));
                    it.x = *it.px;
                }
                it.placeX = false;
            }
            if (it.placeY) {
                it.props->setPropertyValue("VertOrient", Any(css::text::VertOrientation::NONE));
                if (it.py) {
                    it.props->setPropertyValue("VertOrientRelation", Any(css::text::RelOrientation::PAGE_FRAME));
                    it.y = *it.py;
                }
                it.placeY = false;
            }
            it.aligned = false;
            const double step[2] = {dx * kHmmPerPoint, dy * kHmmPerPoint};
            it.x += step[0];
            it.y += step[1];
            if (it.px)
                *it.px += step[0];
            if (it.py)
                *it.py += step[1];
            it.props->setPropertyValue("HoriOrientPosition", Any(sal_Int32(std::lround(it.x))));
            it.props->setPropertyValue("VertOrientPosition", Any(sal_Int32(std::lround(it.y))));
        });
    }
}

QStringList TextDocument::saveWarnings() const
{
    if (!d_)
        return {};
    d_->checkOpen();
    if (d_->ownFormat())
        return {};
    QStringList out;
    for (const Item& it : d_->items) {
        if (it.rotated)
            out << QStringLiteral("Повернутая надпись %1 в формате Word будет сохранена с другим положением или "
                                  "размером.")
                       .arg(quoted(it.text));
        else if (it.widerThanPage)
            out << QStringLiteral("Рамка %1 шире страницы: в формате Word ее размер будет сохранен иначе.")
                       .arg(quoted(it.text));
    }
    const int fields = call(ErrorKind::Failed, [&] { return pageNumberFields(d_->doc); });
    if (fields > 0)
        out << QStringLiteral("Номера страниц в формате Word будут сохранены иначе.");
    return out;
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
