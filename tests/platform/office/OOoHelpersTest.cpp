// The office helpers: file URLs, the advice text, structs and property
// lists, single cells and framed ranges, opening a document for the user.
#include "OfficeFixtures.h"

#include "platform/office/OOo.h"
#include "platform/office/OOoUno.h"
#include "platform/office/Office.h"
#include "platform/office/TemplateDocument.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QUrl>
#include <gtest/gtest.h>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/table/BorderLine.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/TableBorder.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <osl/file.hxx>

using namespace office;
using css::uno::Any;
using css::uno::Sequence;

namespace {

QString systemUrl(const QString& path)
{
    rtl::OUString url;
    osl::FileBase::getFileURLFromSystemPath(uno::toOU(path), url);
    return uno::toQ(url);
}

Sequence<Any> anys(std::initializer_list<Any> list)
{
    Sequence<Any> out(sal_Int32(list.size()));
    sal_Int32 i = 0;
    for (const Any& a : list)
        out.getArray()[i++] = a;
    return out;
}

QString cellText(const css::uno::Reference<css::table::XCell>& cell)
{
    return uno::toQ(css::uno::Reference<css::text::XTextRange>(cell, css::uno::UNO_QUERY_THROW)->getString());
}

} // namespace

TEST(ConvertToURL, GivesTheUrlTheOfficeTakesForAnyPath)
{
    const QString names[] = {
        QStringLiteral("/tmp/Шаблоны ЭЖ/Справочники (шаблон).ots"),
        QStringLiteral("/tmp/100% готово.ods"),
        QStringLiteral("/tmp/№ 5 #1.xls"),
        QStringLiteral("/tmp/a;b=c&d+e[1]!.ods"),
    };
    for (const QString& path : names) {
        const QString url = ConvertToURL(path);
        EXPECT_EQ(QUrl(url).toLocalFile(), path) << qPrintable(url);
        // The same URL the office's own runtime makes of the path, up to
        // which harmless characters are escaped.
        EXPECT_EQ(QUrl::fromPercentEncoding(url.toUtf8()), QUrl::fromPercentEncoding(systemUrl(path).toUtf8()));
        EXPECT_FALSE(url.contains(QLatin1Char(' ')));
        EXPECT_FALSE(url.contains(QLatin1Char('#')));
    }
    EXPECT_EQ(ConvertToURL(QStringLiteral("/tmp/100% готово.ods")),
              QStringLiteral("file:///tmp/100%25%20%D0%B3%D0%BE%D1%82%D0%BE%D0%B2%D0%BE.ods"));
    // Already a URL: unchanged.
    const QString url = QStringLiteral("file:///tmp/%D0%90.ods");
    EXPECT_EQ(ConvertToURL(url), url);
    EXPECT_EQ(ConvertToURL(QStringLiteral("private:factory/scalc")), QStringLiteral("private:factory/scalc"));
    // Backslashes separate folders; a relative path starts in the current folder.
    EXPECT_EQ(ConvertToURL(QStringLiteral("/tmp\\Документы\\a.ods")), ConvertToURL(QStringLiteral("/tmp/Документы/a.ods")));
    EXPECT_EQ(QUrl(ConvertToURL(QStringLiteral("a b.ods"))).toLocalFile(), QDir::current().filePath(QStringLiteral("a b.ods")));
    EXPECT_EQ(ConvertToURL(QString()), QString());
}

TEST(ConvertToURL, FilesWithAwkwardNamesAreStoredAndLoaded)
{
    testsupport::TempFolder folder;
    for (const QString& name : {QStringLiteral("Справочник Группы (1).ods"), QStringLiteral("100% #2.ods")}) {
        const QString path = folder.file(name);
        CalcDocument doc = CalcDocument::createNew(true);
        doc.sheet(0).cell(0, 0).setString(name);
        doc.storeAsUrl(ConvertToURL(path));
        doc.dispose();
        ASSERT_TRUE(QFile::exists(path)) << qPrintable(name);
        CalcDocument back = CalcDocument::load(ConvertToURL(path), true);
        EXPECT_EQ(back.sheet(0).cell(0, 0).string(), name);
        back.dispose();
    }
}

TEST(OOoNotStartedMessage, ChoosesTheFirstSentenceByTheApplicationWord)
{
    const QString rest = QStringLiteral("Проверьте, установлен ли на Вашем компьютере офисный комплект программ OpenOffice.org версии 3.1 и выше, затем повторите операцию. ");
    struct Case {
        const char* word;
        const char* first;
    };
    const Case cases[] = {
        {"", "Приложение OpenOffice.org не может загрузиться. "},
        {"Writer", "Приложение OpenOffice.org Writer не может загрузиться. "},
        {"Calc", "Приложение OpenOffice.org Calc не может загрузиться. "},
        {"calc", ""},
    };
    for (const Case& c : cases) {
        const QString text = OOoNotStartedMessage(QString::fromUtf8(c.word));
        EXPECT_TRUE(text.startsWith(QString::fromUtf8(c.first) + rest)) << c.word;
    }
    const QString text = OOoNotStartedMessage(QStringLiteral("Calc"));
    EXPECT_TRUE(text.contains(QStringLiteral("по адресу: https://")));
    EXPECT_TRUE(text.contains(QStringLiteral(" и установить на свой компьютер . По своим возможностям")));
    EXPECT_TRUE(text.contains(QStringLiteral("бюджетные учреждения полностью перевести")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("Справочники - Учреждение - Офисная программа. ")));
    const Error e(ErrorKind::NotStarted, QStringLiteral("soffice"));
    EXPECT_EQ(OOoNotStartedReport(QStringLiteral("Calc"), e),
              text + QStringLiteral(" Ошибка: 429 ") + e.description());
}

TEST(OOoHelpers, StructsAndPropertyLists)
{
    newServiceManager();
    ASSERT_TRUE(OOoServiceManager().is());
    css::beans::PropertyValue one;
    EXPECT_TRUE(CreateUnoStruct(QStringLiteral("com.sun.star.beans.PropertyValue"), -1) >>= one);
    struct Case {
        int count;
        int elements;
    };
    for (const Case& c : {Case{0, 1}, Case{2, 3}}) {
        Sequence<Any> array;
        ASSERT_TRUE(CreateUnoStruct(QStringLiteral("com.sun.star.table.BorderLine"), c.count) >>= array);
        ASSERT_EQ(array.getLength(), c.elements);
        css::table::BorderLine line;
        EXPECT_TRUE(array[0] >>= line);
    }
    EXPECT_FALSE(CreateUnoStruct(QStringLiteral("com.sun.star.no.SuchStruct"), -1).hasValue());
    EXPECT_FALSE(CreateUnoStruct(QStringLiteral("com.sun.star.frame.XDesktop"), -1).hasValue());

    auto hidden = MakePropertyValues(anys({Any(rtl::OUString("Hidden")), Any(true)}));
    ASSERT_EQ(hidden.getLength(), 1);
    EXPECT_EQ(hidden[0].Name, "Hidden");
    EXPECT_EQ(hidden[0].Value, Any(true));
    EXPECT_EQ(MakePropertyValues(anys({Any(rtl::OUString("A")), Any(1), Any(rtl::OUString("B"))})).getLength(), 0);
    EXPECT_EQ(MakePropertyValues(anys({Any(sal_Int32(1)), Any(true)})).getLength(), 0);
    EXPECT_EQ(MakePropertyValues(Sequence<Any>()).getLength(), 0);
    auto two = MakePropertyValues(
        anys({Any(rtl::OUString("Overwrite")), Any(true), Any(rtl::OUString("FilterName")), Any(rtl::OUString("calc8"))}));
    ASSERT_EQ(two.getLength(), 2);
    EXPECT_EQ(two[1].Name, "FilterName");
    EXPECT_EQ(EmptyArray().getLength(), 0);
}

TEST(OOoHelpers, SetCellValueWritesOneCellByItsMode)
{
    newServiceManager();
    CalcDocument doc = CalcDocument::createNew(true);
    CalcSheet model = doc.sheet(0);
    CalcCell a1 = SetCellValue(1, 1, model, QStringLiteral("0123"), 0);
    ASSERT_TRUE(a1.isValid());
    EXPECT_EQ(a1.column(), 0);
    EXPECT_EQ(a1.row(), 0);
    SetCellValue(2, 3, model, QStringLiteral("12,5"), 1);
    SetCellValue(3, 1, model, QStringLiteral("=C2*2"), 2);
    EXPECT_TRUE(SetCellValue(4, 1, model, QStringLiteral("x"), 3).isValid());
    SetCellValue(5, 1, model, QStringLiteral("не число"), 1);
    EXPECT_FALSE(SetCellValue(0, 1, model, QStringLiteral("x"), 0).isValid());
    EXPECT_FALSE(SetCellValue(1, 0, model, QStringLiteral("x"), 0).isValid());

    // What the office holds once the writes are sent.
    auto sheet = unoSheet(model);
    EXPECT_EQ(cellText(sheet->getCellByPosition(0, 0)), QStringLiteral("0123"));
    EXPECT_EQ(sheet->getCellByPosition(0, 0)->getType(), css::table::CellContentType_TEXT);
    EXPECT_DOUBLE_EQ(sheet->getCellByPosition(2, 1)->getValue(), 12.5);
    EXPECT_DOUBLE_EQ(sheet->getCellByPosition(0, 2)->getValue(), 25.0);
    EXPECT_EQ(sheet->getCellByPosition(0, 3)->getType(), css::table::CellContentType_EMPTY);
    EXPECT_EQ(sheet->getCellByPosition(0, 4)->getType(), css::table::CellContentType_EMPTY);
    doc.dispose();
}

TEST(OOoHelpers, SetRangeBordersFramesTheRange)
{
    newServiceManager();
    CalcDocument doc = CalcDocument::createNew(true);
    CalcSheet model = doc.sheet(0);
    // Inner lines drawn earlier stay when the frame has none of its own.
    SetRangeBorders(2, 2, 4, 4, model, true, false);
    SetRangeBorders(1, 1, 5, 5, model, false, false);
    SetRangeBorders(7, 1, 9, 3, model, true, true);

    auto sheet = unoSheet(model);
    auto borderOf = [&](int l, int t, int r, int b) {
        css::table::TableBorder border;
        css::uno::Reference<css::beans::XPropertySet>(sheet->getCellRangeByPosition(l, t, r, b), css::uno::UNO_QUERY_THROW)
                ->getPropertyValue("TableBorder")
            >>= border;
        return border;
    };
    auto outer = borderOf(0, 0, 4, 4);
    EXPECT_EQ(outer.LeftLine.OuterLineWidth, 2);
    auto inner = borderOf(1, 1, 3, 3);
    EXPECT_TRUE(inner.IsHorizontalLineValid);
    EXPECT_EQ(inner.HorizontalLine.OuterLineWidth, 2);
    auto thick = borderOf(0, 6, 2, 8);
    EXPECT_NEAR(thick.TopLine.OuterLineWidth, 50, 1);  // kept in twips
    EXPECT_EQ(thick.VerticalLine.OuterLineWidth, 2);
    EXPECT_NEAR(model.cellRange(0, 6, 2, 8).outlineWidth(), 50, 1);
    EXPECT_EQ(model.cellRange(0, 6, 2, 8).innerWidth(), 2);
    doc.dispose();
}

TEST(OfficeMessages, TheOfficesWordsShowPathsAndCausesAsTheUserKnowsThem)
{
    const std::pair<const char*, const char*> cases[] = {
        {"SfxBaseModel::impl_store <file:///tmp/%D0%94%D0%BE%D0%BA%20%231.doc> failed: 0x507(Error Area:Io "
         "Class:Access Code:7) at ./sfx2/source/doc/sfxbasemodel.cxx:3202 at ./sfx2/source/doc/sfxbasemodel.cxx:1775",
         "/tmp/Док #1.doc: нет доступа к файлу или папке"},
        {"SfxBaseModel::impl_store <file:///tmp/a.odt> failed: 0xc10(Error Area:Io Class:Write Code:16)",
         "/tmp/a.odt: ошибка записи файла"},
        {"0x81a(Error Area:Io Class:Space Code:26)", "недостаточно места на диске"},
        {"Error Area:Io Class:Unknown Code:0", "ошибка чтения или записи файла"},
        {"Unsupported URL <file:///home/%D1%8F/x.ott>: \"type detection failed\"",
         "Unsupported URL /home/я/x.ott: \"type detection failed\""},
        {"", ""},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(uno::plainOfficeText(QString::fromUtf8(text)), QString::fromUtf8(expected)) << text;
}

TEST(OfficeMessages, AQuestionOfTheOfficeIsAnsweredForTheUserAndToldInTheMessage)
{
    // A document that asks for its password: the office shows no dialog of
    // its own (in its language, behind the program's window), the load is
    // refused at once and the message says why.
    testsupport::TempFolder folder;
    const QString path = folder.file(QStringLiteral("с паролем.odt"));
    {
        auto doc = uno::loadComponent(uno::toOU(QStringLiteral("private:factory/swriter")),
                                      uno::props({{"Hidden", Any(true)}}), QStringLiteral("новый"));
        css::uno::Reference<css::frame::XStorable>(doc, css::uno::UNO_QUERY_THROW)
            ->storeToURL(uno::toOU(ConvertToURL(path)),
                         uno::props({{"FilterName", Any(uno::toOU(QStringLiteral("writer8")))},
                                     {"Password", Any(uno::toOU(QStringLiteral("секрет")))}}));
        uno::closeComponent(doc);
    }
    try {
        TemplateDocument::openReadOnly(path);
        FAIL() << "opened";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::CannotLoad);
        EXPECT_TRUE(e.detail().contains(QStringLiteral("файл защищен паролем"))) << e.what();
        EXPECT_TRUE(e.detail().startsWith(path)) << e.what();
    }
    EXPECT_TRUE(Office::instance().isRunning());
}
