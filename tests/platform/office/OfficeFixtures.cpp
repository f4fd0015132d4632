#include "OfficeFixtures.h"

#include "platform/office/OOo.h"

#include <QColor>
#include <QFileInfo>
#include <QImage>
#include <QUrl>

#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/drawing/XShape.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/HoriOrientation.hpp>
#include <com/sun/star/text/RelOrientation.hpp>
#include <com/sun/star/text/SizeType.hpp>
#include <com/sun/star/text/TextContentAnchorType.hpp>
#include <com/sun/star/text/VertOrientation.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextFrame.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>

#include <cmath>
#include <stdexcept>

namespace officetest {

using namespace office::uno;
using css::beans::XPropertySet;

namespace {

QString filterFor(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QLatin1String("xls"))
        return QStringLiteral("MS Excel 97");
    if (ext == QLatin1String("xlt"))
        return QStringLiteral("MS Excel 97 Vorlage/Template");
    if (ext == QLatin1String("xlsx"))
        return QStringLiteral("Calc MS Excel 2007 XML");
    if (ext == QLatin1String("ods"))
        return QStringLiteral("calc8");
    if (ext == QLatin1String("ots"))
        return QStringLiteral("calc8_template");
    if (ext == QLatin1String("dot"))
        return QStringLiteral("MS Word 97 Vorlage");
    if (ext == QLatin1String("ott"))
        return QStringLiteral("writer8_template");
    throw std::runtime_error("no filter for " + path.toStdString());
}

Reference<css::lang::XComponent> newDocument(const char* factory)
{
    return loadComponent(OUString::createFromAscii(factory), props({{"Hidden", Any(true)}}), QString::fromLatin1(factory));
}

Reference<css::sheet::XSpreadsheet> sheetAt(const Reference<css::lang::XComponent>& doc, int index)
{
    Reference<css::sheet::XSpreadsheetDocument> sd(doc, UNO_QUERY_THROW);
    Reference<css::container::XIndexAccess> sheets(sd->getSheets(), UNO_QUERY_THROW);
    return Reference<css::sheet::XSpreadsheet>(sheets->getByIndex(index), UNO_QUERY_THROW);
}

void setText(const Reference<css::sheet::XSpreadsheet>& sheet, int col, int row, const QString& text)
{
    Reference<css::text::XTextRange>(sheet->getCellByPosition(col, row), UNO_QUERY_THROW)->setString(toOU(text));
}

sal_Int32 formatKey(const Reference<css::lang::XComponent>& doc, const char* code)
{
    Reference<css::util::XNumberFormatsSupplier> nfs(doc, UNO_QUERY_THROW);
    auto formats = nfs->getNumberFormats();
    const css::lang::Locale locale("en", "US", "");
    sal_Int32 key = formats->queryKey(OUString::createFromAscii(code), locale, false);
    if (key < 0)
        key = formats->addNew(OUString::createFromAscii(code), locale);
    return key;
}

void setNumber(const Reference<css::lang::XComponent>& doc, const Reference<css::sheet::XSpreadsheet>& sheet, int col,
               int row, double value, const char* format = nullptr)
{
    auto cell = sheet->getCellByPosition(col, row);
    cell->setValue(value);
    if (format)
        Reference<XPropertySet>(cell, UNO_QUERY_THROW)->setPropertyValue("NumberFormat", Any(formatKey(doc, format)));
}

} // namespace

void storeAs(const Reference<css::lang::XComponent>& doc, const QString& path)
{
    Reference<css::frame::XStorable>(doc, UNO_QUERY_THROW)
        ->storeToURL(toOU(office::ConvertToURL(path)),
                     props({{"FilterName", Any(toOU(filterFor(path)))}, {"Overwrite", Any(true)}}));
}

QString writePicture(const QString& path)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(QColor(200, 30, 30));
    image.save(path, "PNG");
    return path;
}

void makeSpreadsheetTemplate(const QString& path)
{
    auto doc = newDocument("private:factory/scalc");
    setText(sheetAt(doc, 0), 0, 1, QStringLiteral("Группа: "));
    storeAs(doc, path);
    closeComponent(doc);
}

void placeOnPage(const Reference<XPropertySet>& p, css::text::TextContentAnchorType anchor, int x, int y)
{
    p->setPropertyValue("AnchorType", Any(anchor));
    if (anchor == css::text::TextContentAnchorType_AT_PAGE)
        p->setPropertyValue("AnchorPageNo", Any(sal_Int16(1)));
    p->setPropertyValue("HoriOrient", Any(css::text::HoriOrientation::NONE));
    p->setPropertyValue("VertOrient", Any(css::text::VertOrientation::NONE));
    p->setPropertyValue("HoriOrientRelation", Any(css::text::RelOrientation::PAGE_FRAME));
    p->setPropertyValue("VertOrientRelation", Any(css::text::RelOrientation::PAGE_FRAME));
    p->setPropertyValue("HoriOrientPosition", Any(sal_Int32(x)));
    p->setPropertyValue("VertOrientPosition", Any(sal_Int32(y)));
}

Reference<XPropertySet> insertPicture(const Reference<css::lang::XComponent>& doc,
                                      const Reference<css::text::XText>& text, const QString& picture,
                                      css::text::TextContentAnchorType anchor, int x, int y)
{
    Reference<css::lang::XMultiServiceFactory> factory(doc, UNO_QUERY_THROW);
    Reference<XPropertySet> graphic(factory->createInstance("com.sun.star.text.TextGraphicObject"), UNO_QUERY_THROW);
    graphic->setPropertyValue("GraphicURL", Any(toOU(office::ConvertToURL(picture))));
    placeOnPage(graphic, anchor, x, y);
    Reference<css::drawing::XShape>(graphic, UNO_QUERY_THROW)->setSize(css::awt::Size(2000, 2000));
    text->insertTextContent(text->getEnd(), Reference<css::text::XTextContent>(graphic, UNO_QUERY_THROW), false);
    return graphic;
}

Reference<XPropertySet> firstPageStyle(const Reference<css::lang::XComponent>& doc)
{
    Reference<css::style::XStyleFamiliesSupplier> sfs(doc, UNO_QUERY_THROW);
    Reference<css::container::XNameAccess> pages(sfs->getStyleFamilies()->getByName("PageStyles"), UNO_QUERY_THROW);
    Reference<css::text::XTextDocument> td(doc, UNO_QUERY_THROW);
    OUString styleName;
    Reference<XPropertySet>(td->getText()->createTextCursor(), UNO_QUERY_THROW)->getPropertyValue("PageStyleName")
        >>= styleName;
    return Reference<XPropertySet>(pages->getByName(styleName), UNO_QUERY_THROW);
}

void makeTextTemplate(const QString& path, const QString& picture)
{
    auto doc = newDocument("private:factory/swriter");
    Reference<css::text::XTextDocument> td(doc, UNO_QUERY_THROW);
    Reference<css::lang::XMultiServiceFactory> factory(doc, UNO_QUERY_THROW);
    auto text = td->getText();
    text->insertString(text->getEnd(), "Бланк", false);

    auto graphic = insertPicture(doc, text, picture, css::text::TextContentAnchorType_AT_PAGE, 1000, 9000);
    Reference<css::container::XNamed>(graphic, UNO_QUERY_THROW)->setName(toOU(QStringLiteral("Картинка")));

    const QString names[] = {QStringLiteral("Фамилия"), QStringLiteral("Имя")};
    const int xs[] = {3000, 3500};
    const int ys[] = {4000, 6000};
    for (int i = 0; i < 2; ++i) {
        Reference<css::text::XTextFrame> frame(factory->createInstance("com.sun.star.text.TextFrame"), UNO_QUERY_THROW);
        Reference<XPropertySet> p(frame, UNO_QUERY_THROW);
        placeOnPage(p, css::text::TextContentAnchorType_AT_PAGE, xs[i], ys[i]);
        p->setPropertyValue("SizeType", Any(css::text::SizeType::FIX));
        Reference<css::drawing::XShape>(frame, UNO_QUERY_THROW)->setSize(css::awt::Size(5000 + 1000 * i, 1200));
        Reference<css::container::XNamed>(frame, UNO_QUERY_THROW)->setName(toOU(names[i]));
        text->insertTextContent(text->getEnd(), Reference<css::text::XTextContent>(frame, UNO_QUERY_THROW), false);
        frame->getText()->setString(toOU(QStringLiteral("Текст ") + names[i]));
    }

    Reference<css::text::XTextTable> table(factory->createInstance("com.sun.star.text.TextTable"), UNO_QUERY_THROW);
    table->initialize(2, 2);
    text->insertTextContent(text->getEnd(), Reference<css::text::XTextContent>(table, UNO_QUERY_THROW), false);
    Reference<css::text::XText>(table->getCellByName("A1"), UNO_QUERY_THROW)->setString(toOU(QStringLiteral("Дисциплина")));

    Reference<XPropertySet> style = firstPageStyle(doc);
    style->setPropertyValue("LeftMargin", Any(sal_Int32(2000)));
    style->setPropertyValue("TopMargin", Any(sal_Int32(1500)));

    storeAs(doc, path);
    closeComponent(doc);
}

void makeImportWorkbook(const QString& path)
{
    auto doc = newDocument("private:factory/scalc");
    auto s = sheetAt(doc, 0);
    Reference<css::container::XNamed>(s, UNO_QUERY_THROW)->setName(toOU(QStringLiteral("Список")));
    const QString header[] = {QStringLiteral("Фамилия"), QStringLiteral("Имя"), QStringLiteral("Балл"),
                              QStringLiteral("Дата"), QStringLiteral("Сумма")};
    for (int c = 0; c < 5; ++c)
        setText(s, c, 0, header[c]);
    setText(s, 0, 1, QStringLiteral("Иванов "));
    setText(s, 1, 1, QStringLiteral("Пётр"));
    setNumber(doc, s, 2, 1, 5);
    setNumber(doc, s, 3, 1, 45356, "DD.MM.YYYY");  // 05.03.2024
    setNumber(doc, s, 4, 1, 1234.5, "0.00");
    setText(s, 0, 3, QStringLiteral("Петрова"));
    setNumber(doc, s, 2, 3, 4.25);
    setNumber(doc, s, 3, 3, 45356 + 10.5 / 24, "DD.MM.YYYY HH:MM:SS");
    setNumber(doc, s, 4, 3, 0.00001);
    setText(s, 0, 4, QStringLiteral("0123"));
    setText(s, 1, 4, QStringLiteral("с \"кавычками\"\nи переносом"));
    setNumber(doc, s, 2, 4, 1e20);
    setNumber(doc, s, 4, 4, -12);

    Reference<css::sheet::XSpreadsheetDocument> sd(doc, UNO_QUERY_THROW);
    sd->getSheets()->insertNewByName(toOU(QStringLiteral("Второй лист")), 1);
    auto second = sheetAt(doc, 1);
    setText(second, 0, 0, QStringLiteral("x"));
    setNumber(doc, second, 2, 2, 7);

    storeAs(doc, path);
    closeComponent(doc);
}

Reference<css::lang::XComponent> loadForReading(const QString& path)
{
    return loadComponent(toOU(office::ConvertToURL(path)),
                         props({{"Hidden", Any(true)}, {"AsTemplate", Any(false)}, {"ReadOnly", Any(true)}}), path);
}

Reference<css::container::XIndexAccess> drawPageOf(const Reference<css::lang::XComponent>& doc)
{
    Reference<css::drawing::XDrawPageSupplier> dps(doc, UNO_QUERY_THROW);
    return Reference<css::container::XIndexAccess>(dps->getDrawPage(), UNO_QUERY_THROW);
}

std::vector<std::pair<int, int>> objectSizes(const QString& path)
{
    auto doc = loadForReading(path);
    std::vector<std::pair<int, int>> out;
    auto page = drawPageOf(doc);
    for (sal_Int32 i = 0; i < page->getCount(); ++i) {
        Reference<css::drawing::XShape> shape(page->getByIndex(i), UNO_QUERY_THROW);
        const auto size = shape->getSize();
        out.push_back({int(std::lround(size.Width * 72.0 / 127.0)), int(std::lround(size.Height * 72.0 / 127.0))});
    }
    closeComponent(doc);
    return out;
}

Reference<css::lang::XComponent> openDocument(const QString& path)
{
    const QString url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
    auto e = desktop()->getComponents()->createEnumeration();
    while (e->hasMoreElements()) {
        Reference<css::frame::XModel> model(e->nextElement(), UNO_QUERY);
        if (model.is() && QUrl(toQ(model->getURL())) == QUrl(url))
            return Reference<css::lang::XComponent>(model, UNO_QUERY);
    }
    return {};
}

} // namespace officetest
