// Templates of the kind Word makes (a picture, text boxes, a group, a group
// in the text line, a right-aligned frame, a frame in the header) adjusted
// and saved again and again: every object keeps its name, size and picture
// and lands exactly where it was moved; a template that cannot be saved
// faithfully is refused and left as it was.
#include "OfficeFixtures.h"

#include "platform/office/OOo.h"
#include "platform/office/OOoUno.h"
#include "platform/office/Office.h"
#include "platform/office/TemplateDocument.h"
#include "platform/office/TextDocument.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>

#include <gtest/gtest.h>

#include <com/sun/star/awt/Point.hpp>
#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/drawing/XShape.hpp>
#include <com/sun/star/drawing/XShapeGrouper.hpp>
#include <com/sun/star/drawing/XShapes.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/ControlCharacter.hpp>
#include <com/sun/star/text/HoriOrientation.hpp>
#include <com/sun/star/text/RelOrientation.hpp>
#include <com/sun/star/text/SizeType.hpp>
#include <com/sun/star/text/TextContentAnchorType.hpp>
#include <com/sun/star/text/VertOrientation.hpp>
#include <com/sun/star/text/XParagraphCursor.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextFrame.hpp>
#include <com/sun/star/text/XTextRange.hpp>

#include <algorithm>
#include <cmath>

using namespace office;
using namespace office::uno;
using css::beans::XPropertySet;

namespace {

constexpr double kStep = 0.25 / 25.4 * 72;  // 0.25 mm in points
double mm(double v) { return v / 25.4 * 72; }

const QString kSurname = QStringLiteral("Текст Фамилия");
const QString kRight = QStringLiteral("Текст справа");
const QString kCentred = QStringLiteral("Ширина по тексту");
const QString kHeader = QStringLiteral("Текст шапки");
const QString kGroup = QStringLiteral("Текст группы");
const QString kInline = QStringLiteral("Группа в строке");
const QString kNested = QStringLiteral("Вложенная рамка");
const QString kRotated = QStringLiteral("Повернутая надпись");

// RotatedBox: also a page number in the header.
enum Extra { Plain, RotatedBox, SecondSection };

struct Builder {
    Reference<css::lang::XComponent> doc;
    Reference<css::lang::XMultiServiceFactory> factory;
    Reference<css::drawing::XShapes> page;
    Reference<css::text::XText> body;

    Reference<css::text::XTextFrame> frame(const Reference<css::text::XText>& where, const QString& text, int x, int y,
                                           int w, int h)
    {
        Reference<css::text::XTextFrame> f(factory->createInstance("com.sun.star.text.TextFrame"), UNO_QUERY_THROW);
        Reference<XPropertySet> p(f, UNO_QUERY_THROW);
        officetest::placeOnPage(p, css::text::TextContentAnchorType_AT_PARAGRAPH, x, y);
        p->setPropertyValue("SizeType", Any(css::text::SizeType::FIX));
        Reference<css::drawing::XShape>(f, UNO_QUERY_THROW)->setSize(css::awt::Size(w, h));
        where->insertTextContent(where->getEnd(), Reference<css::text::XTextContent>(f, UNO_QUERY_THROW), false);
        f->getText()->setString(toOU(text));
        return f;
    }

    Reference<css::drawing::XShape> shape(const char* type, int x, int y, int w, int h, const QString& text = {})
    {
        Reference<css::drawing::XShape> s(factory->createInstance(OUString::createFromAscii(type)), UNO_QUERY_THROW);
        s->setSize(css::awt::Size(w, h));
        Reference<XPropertySet>(s, UNO_QUERY_THROW)
            ->setPropertyValue("AnchorType", Any(css::text::TextContentAnchorType_AT_PARAGRAPH));
        body->insertTextContent(body->getEnd(), Reference<css::text::XTextContent>(s, UNO_QUERY_THROW), false);
        s->setPosition(css::awt::Point(x, y));
        if (!text.isEmpty())
            Reference<css::text::XTextRange>(s, UNO_QUERY_THROW)->setString(toOU(text));
        return s;
    }

    Reference<css::drawing::XShape> group(const Reference<css::drawing::XShape>& a,
                                          const Reference<css::drawing::XShape>& b)
    {
        auto ctx = context();
        Reference<css::drawing::XShapes> both(
            ctx->getServiceManager()->createInstanceWithContext("com.sun.star.drawing.ShapeCollection", ctx),
            UNO_QUERY_THROW);
        both->add(a);
        both->add(b);
        return Reference<css::drawing::XShape>(Reference<css::drawing::XShapeGrouper>(page, UNO_QUERY_THROW)->group(both),
                                               UNO_QUERY_THROW);
    }
};

// An A4 template with margins of 20 mm (left, right) and 15 mm (top)
// holding a picture, the text box kSurname, a frame aligned to the right
// margin, a frame as wide as its text centred between the margins, a frame
// in the header, a group and a group anchored as a character; and the extra
// object asked for.
void makeWordLikeTemplate(const QString& path, const QString& picture, Extra extra = Plain)
{
    Builder b;
    b.doc = loadComponent("private:factory/swriter", props({{"Hidden", Any(true)}}), path);
    b.factory.set(b.doc, UNO_QUERY_THROW);
    Reference<css::drawing::XDrawPageSupplier> dps(b.doc, UNO_QUERY_THROW);
    b.page.set(dps->getDrawPage(), UNO_QUERY_THROW);
    Reference<css::text::XTextDocument> td(b.doc, UNO_QUERY_THROW);
    auto text = td->getText();
    b.body = text;
    text->insertString(text->getEnd(), toOU(QStringLiteral("Бланк ")), false);

    Reference<XPropertySet> style = officetest::firstPageStyle(b.doc);
    style->setPropertyValue("Width", Any(sal_Int32(21000)));
    style->setPropertyValue("Height", Any(sal_Int32(29700)));
    style->setPropertyValue("LeftMargin", Any(sal_Int32(2000)));
    style->setPropertyValue("TopMargin", Any(sal_Int32(1500)));
    style->setPropertyValue("RightMargin", Any(sal_Int32(2000)));
    style->setPropertyValue("HeaderIsOn", Any(true));
    Reference<css::text::XText> header(style->getPropertyValue("HeaderText"), UNO_QUERY_THROW);
    header->setString(toOU(QStringLiteral("Верхний колонтитул")));

    officetest::insertPicture(b.doc, text, picture, css::text::TextContentAnchorType_AT_PARAGRAPH, 1000, 9000);

    b.frame(text, kSurname, 3000, 4000, 5000, 1200);
    Reference<XPropertySet> right(b.frame(text, kRight, 0, 6000, 4000, 1200), UNO_QUERY_THROW);
    right->setPropertyValue("HoriOrient", Any(css::text::HoriOrientation::RIGHT));
    right->setPropertyValue("HoriOrientRelation", Any(css::text::RelOrientation::PAGE_PRINT_AREA));
    Reference<XPropertySet> centred(b.frame(text, kCentred, 0, 8000, 3000, 1000), UNO_QUERY_THROW);
    centred->setPropertyValue("WidthType", Any(css::text::SizeType::MIN));
    centred->setPropertyValue("HoriOrient", Any(css::text::HoriOrientation::CENTER));
    centred->setPropertyValue("HoriOrientRelation", Any(css::text::RelOrientation::PAGE_PRINT_AREA));
    b.frame(header, kHeader, 3000, 500, 5000, 1000);

    b.group(b.shape("com.sun.star.drawing.RectangleShape", 2000, 12000, 1500, 1000, kGroup),
            b.shape("com.sun.star.drawing.RectangleShape", 4500, 12500, 1500, 1000));
    auto inlineGroup = b.group(b.shape("com.sun.star.drawing.RectangleShape", 2000, 16000, 1500, 1000, kInline),
                               b.shape("com.sun.star.drawing.RectangleShape", 4500, 16500, 1500, 1000));
    Reference<XPropertySet>(inlineGroup, UNO_QUERY_THROW)
        ->setPropertyValue("AnchorType", Any(css::text::TextContentAnchorType_AS_CHARACTER));
    if (extra == SecondSection) {
        // A second page in a page style of its own whose header holds the
        // same frame, as the office reads a Word template of two sections.
        Reference<css::lang::XMultiServiceFactory> msf(b.doc, UNO_QUERY_THROW);
        Reference<XPropertySet> second(msf->createInstance("com.sun.star.style.PageStyle"), UNO_QUERY_THROW);
        Reference<css::style::XStyleFamiliesSupplier> sfs(b.doc, UNO_QUERY_THROW);
        Reference<css::container::XNameContainer>(sfs->getStyleFamilies()->getByName("PageStyles"), UNO_QUERY_THROW)
            ->insertByName(toOU(QStringLiteral("Раздел2")), Any(second));
        second->setPropertyValue("HeaderIsOn", Any(true));
        Reference<css::text::XText> header2(second->getPropertyValue("HeaderText"), UNO_QUERY_THROW);
        header2->setString(toOU(QStringLiteral("Верхний колонтитул")));
        b.frame(header2, kHeader, 3000, 500, 5000, 1000);
        text->insertControlCharacter(text->getEnd(), css::text::ControlCharacter::PARAGRAPH_BREAK, false);
        auto cursor = text->createTextCursorByRange(text->getEnd());
        Reference<XPropertySet>(cursor, UNO_QUERY_THROW)
            ->setPropertyValue("PageDescName", Any(toOU(QStringLiteral("Раздел2"))));
        text->insertString(text->getEnd(), toOU(QStringLiteral("Второй лист")), false);
    }
    if (extra == RotatedBox) {
        auto box = b.shape("com.sun.star.drawing.TextShape", 9000, 18000, 4000, 1000, kRotated);
        Reference<XPropertySet>(box, UNO_QUERY_THROW)->setPropertyValue("RotateAngle", Any(sal_Int32(9000)));
        Reference<css::text::XTextContent> number(b.factory->createInstance("com.sun.star.text.textfield.PageNumber"),
                                                  UNO_QUERY_THROW);
        Reference<XPropertySet>(number, UNO_QUERY_THROW)
            ->setPropertyValue("NumberingType", Any(sal_Int16(4)));  // arabic
        header->insertTextContent(header->getEnd(), number, false);
    }
    officetest::storeAs(b.doc, path);
    closeComponent(b.doc);
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Sizes in twips of the pictures of a file, with whether each still holds
// its graphic, as a fresh load reads them.
std::vector<std::pair<int, int>> pictureSizes(const QString& path, int* withGraphic)
{
    auto doc = officetest::loadForReading(path);
    std::vector<std::pair<int, int>> out;
    *withGraphic = 0;
    auto page = officetest::drawPageOf(doc);
    for (sal_Int32 i = 0; i < page->getCount(); ++i) {
        Reference<css::drawing::XShape> shape(page->getByIndex(i), UNO_QUERY_THROW);
        Reference<css::lang::XServiceInfo> si(shape, UNO_QUERY_THROW);
        if (!si->supportsService("com.sun.star.text.TextGraphicObject"))
            continue;
        const auto size = shape->getSize();
        out.push_back({int(std::lround(size.Width * 72.0 / 127.0)), int(std::lround(size.Height * 72.0 / 127.0))});
        if (Reference<XPropertySet>(shape, UNO_QUERY_THROW)->getPropertyValue("Graphic").hasValue())
            ++*withGraphic;
    }
    closeComponent(doc);
    return out;
}

QMap<QString, TextDocument::Frame> byText(const QList<TextDocument::Frame>& frames)
{
    QMap<QString, TextDocument::Frame> out;
    for (const auto& f : frames)
        out.insert(f.text, f);
    return out;
}

int indexOf(const QList<TextDocument::Frame>& frames, const QString& text)
{
    for (int i = 0; i < frames.size(); ++i)
        if (frames[i].text == text)
            return i;
    return -1;
}

QStringList leftovers(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral(".~*")}, QDir::Files | QDir::Hidden);
}

class WordLikeTemplate : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        newServiceManager();
        picture = officetest::writePicture(folder.file(QStringLiteral("рисунок.png")));
        path = folder.file(QStringLiteral("Бланк.") + QString::fromLatin1(GetParam()));
    }
    bool word() const { return QString::fromLatin1(GetParam()) == QLatin1String("dot"); }

    testsupport::TempFolder folder;
    QString picture;
    QString path;
};

} // namespace

TEST_P(WordLikeTemplate, ListsEveryFrameOnceWithWhatMayBeDoneWithIt)
{
    makeWordLikeTemplate(path, picture);
    TextDocument doc = TextDocument::open(path, true);
    const auto frames = doc.frames();
    const auto f = byText(frames);
    ASSERT_EQ(frames.size(), 6) << QStringList(f.keys()).join(QLatin1Char('|')).toStdString();
    for (const QString& t : {kSurname, kRight, kCentred, kHeader, kGroup, kInline})
        EXPECT_TRUE(f.contains(t)) << t.toStdString();

    EXPECT_NEAR(f[kSurname].left, mm(30), 0.05);
    EXPECT_NEAR(f[kSurname].top, mm(40), 0.05);
    // Drawn at the right margin (the Word export of the fixture itself
    // places it at the page's edge).
    EXPECT_NEAR(f[kRight].left, word() ? mm(210 - 40) : mm(210 - 20 - 40), 0.1);
    EXPECT_TRUE(f[kGroup].group);
    EXPECT_TRUE(f[kInline].group);
    EXPECT_FALSE(f[kInline].movable);
    EXPECT_TRUE(f[kSurname].movable);
    EXPECT_TRUE(f[kHeader].everyPage);
    for (const QString& t : {kSurname, kRight, kGroup, kInline})
        EXPECT_FALSE(f[t].everyPage) << t.toStdString();

    // A group in the text line is not moved, and says so.
    EXPECT_THROW(doc.moveFrame(indexOf(frames, kInline), kStep, 0), Error);
    // Frames aligned by the office move from where they are drawn.
    EXPECT_NEAR(f[kCentred].left + f[kCentred].width / 2, mm(20 + 170 / 2.0), 0.5);
    for (const QString& t : {kRight, kCentred}) {
        doc.moveFrame(indexOf(frames, t), -kStep, kStep);
        const auto moved = byText(doc.frames());
        EXPECT_NEAR(moved[t].left, f[t].left - kStep, 0.03) << t.toStdString();
        EXPECT_NEAR(moved[t].top, f[t].top + kStep, 0.03) << t.toStdString();
    }
    EXPECT_TRUE(doc.saveWarnings().isEmpty());
    doc.close();
}

TEST_P(WordLikeTemplate, TenRoundsOfMovesLandExactlyAndKeepEverythingElse)
{
    makeWordLikeTemplate(path, picture);
    int graphicsBefore = 0;
    const auto picturesBefore = pictureSizes(path, &graphicsBefore);
    ASSERT_EQ(picturesBefore.size(), 1u);
    QMap<QString, TextDocument::Frame> before;
    {
        TextDocument doc = TextDocument::open(path, true);
        before = byText(doc.frames());
        doc.close();
    }
    // Each round moves every movable frame one step in one direction ("Все")
    // and the chosen text box one more step in the next direction.
    const double dirs[4][2] = {{kStep, 0}, {0, kStep}, {-kStep, 0}, {0, -kStep}};
    QMap<QString, std::pair<double, double>> expected;
    for (const auto& f : before)
        expected[f.text] = {f.left, f.top};
    for (int round = 0; round < 10; ++round) {
        TextDocument doc = TextDocument::open(path, true);
        const auto frames = doc.frames();
        ASSERT_EQ(frames.size(), 6) << "round " << round;
        const auto& d = dirs[round % 4];
        for (int i = 0; i < frames.size(); ++i) {
            if (!frames[i].movable)
                continue;
            doc.moveFrame(i, d[0], d[1]);
            expected[frames[i].text].first += d[0];
            expected[frames[i].text].second += d[1];
        }
        const auto& e = dirs[(round + 1) % 4];
        doc.moveFrame(indexOf(frames, kSurname), e[0], e[1]);
        expected[kSurname].first += e[0];
        expected[kSurname].second += e[1];
        ASSERT_NO_THROW(doc.save()) << "round " << round;
        doc.close();
    }

    TextDocument doc = TextDocument::open(path, true);
    const auto after = byText(doc.frames());
    doc.close();
    ASSERT_EQ(after.size(), before.size());
    const double tolerance = 0.03;  // points, a hundredth of a millimetre
    for (const auto& b : before) {
        SCOPED_TRACE(b.text.toStdString());
        ASSERT_TRUE(after.contains(b.text));
        const auto& a = after[b.text];
        EXPECT_EQ(a.name, b.name);
        EXPECT_EQ(a.group, b.group);
        EXPECT_NEAR(a.width, b.width, 0.06);   // within a twip
        EXPECT_NEAR(a.height, b.height, 0.06);
        // Where an aligned frame is drawn is worked out from its alignment,
        // to within a couple of twips of the office's own layout.
        const double slack = b.text == kRight || b.text == kCentred ? 0.1 : tolerance;
        // A frame moved past the page's right edge is kept there by the file;
        // the office draws it at the edge.
        const double pageRight = 210.0 / 25.4 * 72;
        EXPECT_NEAR(a.left, std::min(expected[b.text].first, pageRight - a.width), slack);
        EXPECT_NEAR(a.top, expected[b.text].second, slack);
    }
    int graphicsAfter = 0;
    EXPECT_EQ(pictureSizes(path, &graphicsAfter), picturesBefore);
    EXPECT_EQ(graphicsAfter, graphicsBefore);
    EXPECT_TRUE(leftovers(folder.path()).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Formats, WordLikeTemplate, ::testing::Values("dot", "ott"));

TEST_P(WordLikeTemplate, AHeaderFrameShownOnEveryPageIsListedOnceAndMovesEverywhere)
{
    makeWordLikeTemplate(path, picture, SecondSection);
    double top = 0;
    {
        TextDocument doc = TextDocument::open(path, true);
        const auto frames = doc.frames();
        ASSERT_EQ(frames.count(), 6) << QStringList(byText(frames).keys()).join(QLatin1Char('|')).toStdString();
        const int k = indexOf(frames, kHeader);
        ASSERT_GE(k, 0);
        EXPECT_TRUE(frames[k].everyPage);
        top = frames[k].top;
        doc.moveFrame(k, 0, kStep);
        doc.save();
        doc.close();
    }
    // Every copy of the frame in the file moved.
    auto model = officetest::loadForReading(path);
    auto page = officetest::drawPageOf(model);
    int copies = 0;
    for (sal_Int32 i = 0; i < page->getCount(); ++i) {
        Reference<css::text::XTextFrame> f(page->getByIndex(i), UNO_QUERY);
        if (!f.is() || toQ(f->getText()->getString()) != kHeader)
            continue;
        ++copies;
        sal_Int32 y = 0;
        Reference<XPropertySet>(f, UNO_QUERY_THROW)->getPropertyValue("VertOrientPosition") >>= y;
        EXPECT_NEAR(y / 2540.0 * 72, top + kStep, 0.03);
    }
    closeComponent(model);
    EXPECT_EQ(copies, 2);
}

TEST(TextDocumentSafety, AFileTheFormatCannotHoldIsRefusedAndLeftAsItWas)
{
    newServiceManager();
    testsupport::TempFolder folder;
    const QString path = folder.file(QStringLiteral("Вложенные.dot"));
    makeWordLikeTemplate(path, officetest::writePicture(folder.file(QStringLiteral("p.png"))));
    const QByteArray original = bytesOf(path);
    TextDocument doc = TextDocument::open(path, true);
    doc.moveFrame(indexOf(doc.frames(), kSurname), kStep, 0);
    // A frame put inside a frame, as the office allows: the Word format has
    // no room for it and the export drops it.
    {
        Builder b;
        b.doc = officetest::openDocument(path);
        ASSERT_TRUE(b.doc.is());
        b.factory.set(b.doc, UNO_QUERY_THROW);
        auto page = officetest::drawPageOf(b.doc);
        const sal_Int32 objects = page->getCount();
        for (sal_Int32 i = 0; i < objects; ++i) {
            Reference<css::text::XTextFrame> f(page->getByIndex(i), UNO_QUERY);
            if (f.is() && toQ(f->getText()->getString()) == kSurname) {
                b.frame(f->getText(), kNested, 100, 100, 2000, 600);
                break;
            }
        }
        ASSERT_EQ(page->getCount(), objects + 1);
    }
    try {
        doc.save();
        FAIL() << "saved";
    } catch (const SaveRefused& e) {
        EXPECT_FALSE(e.detail().isEmpty());
    }
    doc.close();
    EXPECT_EQ(bytesOf(path), original);
    EXPECT_TRUE(leftovers(folder.path()).isEmpty());
}

TEST(TextDocumentSafety, WhatTheWordFormatChangesIsToldBeforeSaving)
{
    newServiceManager();
    testsupport::TempFolder folder;
    const QString picture = officetest::writePicture(folder.file(QStringLiteral("p.png")));
    const QString dot = folder.file(QStringLiteral("Повернутая.dot"));
    const QString ott = folder.file(QStringLiteral("Повернутая.ott"));
    makeWordLikeTemplate(dot, picture, RotatedBox);
    makeWordLikeTemplate(ott, picture, RotatedBox);
    {
        TextDocument doc = TextDocument::open(ott, true);
        EXPECT_TRUE(doc.saveWarnings().isEmpty());
        doc.close();
    }
    TextDocument doc = TextDocument::open(dot, true);
    const QStringList warnings = doc.saveWarnings();
    ASSERT_EQ(warnings.size(), 2) << warnings.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(warnings[0].contains(kRotated)) << warnings[0].toStdString();
    EXPECT_TRUE(warnings[1].contains(QStringLiteral("Номера страниц"))) << warnings[1].toStdString();
    // Told, it is saved: the other frames are kept exactly.
    const auto frames = doc.frames();
    doc.moveFrame(indexOf(frames, kSurname), 0, kStep);
    ASSERT_NO_THROW(doc.save());
    doc.close();
    TextDocument again = TextDocument::open(dot, true);
    const auto after = byText(again.frames());
    again.close();
    EXPECT_NEAR(after[kSurname].top, byText(frames)[kSurname].top + kStep, 0.03);
}

TEST(TextDocumentSafety, AMissingOrDamagedTemplateIsNotOpened)
{
    newServiceManager();
    testsupport::TempFolder folder;
    const QString damaged = folder.file(QStringLiteral("Испорченный.dot"));
    {
        QFile f(damaged);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\xD0\xCF\x11\xE0 not a document at all \x01\x02\x03", 30);
    }
    const QByteArray original = bytesOf(damaged);
    const int documents = officetest::openDocumentCount();
    for (const QString& path : {folder.file(QStringLiteral("Нет такого.dot")), damaged}) {
        SCOPED_TRACE(path.toStdString());
        try {
            TextDocument::open(path, true);
            FAIL() << "opened";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), ErrorKind::CannotLoad);
        }
    }
    EXPECT_EQ(bytesOf(damaged), original);
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("Нет такого.dot"))));
    EXPECT_EQ(officetest::openDocumentCount(), documents);
}

// The templates the program ships (the ones the build made, or else two of
// their sources converted by the office to both formats): every frame
// moved 2 mm right and down (as a blank printed that far off needs), saved,
// and found there.
TEST(TextDocumentSafety, ShippedTemplatesTakeAMove)
{
    constexpr double kMove = 8 * kStep;
    newServiceManager();
    testsupport::TempFolder folder;
    QStringList files;
    for (QDirIterator it(testsupport::builtTemplatesFolder(), {QStringLiteral("*.dot"), QStringLiteral("*.ott")},
                         QDir::Files);
         it.hasNext();)
        files << it.next();
    if (files.isEmpty()) {
        const QDir sources(testsupport::sourceDataFolder() + QStringLiteral("/templates/documents"));
        const QStringList names = sources.entryList({QStringLiteral("*.fodt")}, QDir::Files, QDir::Name).mid(0, 2);
        for (const QString& name : names) {
            for (const char* ext : {".dot", ".ott"}) {
                const QString made = folder.file(QStringLiteral("исходный ") + QFileInfo(name).completeBaseName()
                                                 + QString::fromLatin1(ext));
                TemplateDocument doc = TemplateDocument::openReadOnly(sources.filePath(name));
                doc.storeAs(made);
                doc.close();
                files << made;
            }
        }
    }
    if (files.isEmpty())
        GTEST_SKIP() << "no shipped document templates";
    for (const QString& source : files) {
        SCOPED_TRACE(source.toStdString());
        const QString path = folder.file(QFileInfo(source).fileName().remove(QStringLiteral("исходный ")));
        ASSERT_TRUE(QFile::copy(source, path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        TextDocument doc = TextDocument::open(path, true);
        const auto before = doc.frames();
        std::vector<bool> moved(before.size(), false);
        for (int i = 0; i < before.size(); ++i) {
            if (!before[i].movable)
                continue;
            try {
                doc.moveFrame(i, kMove, kMove);
                moved[i] = true;
            } catch (const Error& e) {
                // A frame as large as the page has no room in the Word format.
                EXPECT_TRUE(path.endsWith(QLatin1String(".dot"))) << e.detail().toStdString();
            }
        }
        try {
            doc.save();
        } catch (const SaveRefused& e) {
            doc.close();
            ADD_FAILURE() << "refused: " << e.detail().toStdString();
            continue;
        }
        doc.close();
        TextDocument again = TextDocument::open(path, true);
        const auto after = again.frames();
        again.close();
        ASSERT_EQ(after.size(), before.size());
        for (int i = 0; i < before.size(); ++i) {
            const int j = indexOf(after, before[i].text);
            ASSERT_GE(j, 0);
            const double step = moved[i] ? kMove : 0;
            EXPECT_NEAR(after[j].left, before[i].left + step, 0.03);
            EXPECT_NEAR(after[j].top, before[i].top + step, 0.03);
            EXPECT_NEAR(after[j].width, before[i].width, 0.06);
        }
    }
}

// Files that are no document of their extension's format never reach the
// office: it stays with the documents open in it.
TEST(TextDocumentSafety, ATemplateThatIsNoDocumentIsRefusedBeforeTheOfficeLoadsIt)
{
    testsupport::TempFolder folder;
    QByteArray noise(64 << 10, '\0');
    quint32 seed = 12345;
    for (char& c : noise) {
        seed = seed * 1103515245u + 12345u;
        c = char(seed >> 16);
    }
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"случайный.dot", noise},
        {"случайный.ott", noise},
        {"пустой.ott", QByteArray()},
        {"пустой.dot", QByteArray()},
        {"zip без mimetype.ott", QByteArray("PK\x03\x04", 4) + noise},
    };
    TemplateDocument open = TemplateDocument::fromTemplate([&] {
        const QString picture = officetest::writePicture(folder.file(QStringLiteral("p.png")));
        const QString good = folder.file(QStringLiteral("хороший.ott"));
        officetest::makeTextTemplate(good, picture);
        return good;
    }());
    const long long group = office::Office::instance().processGroup();
    const int documents = officetest::openDocumentCount();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = folder.file(QString::fromUtf8(c.name));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.bytes);
        f.close();
        for (int way = 0; way < 2; ++way) {
            try {
                if (way == 0)
                    TemplateDocument::fromTemplate(path);
                else
                    TextDocument::open(path, true);
                FAIL() << "loaded";
            } catch (const Error& e) {
                EXPECT_EQ(e.kind(), ErrorKind::CannotLoad);
                EXPECT_TRUE(e.detail().startsWith(QFileInfo(path).absoluteFilePath() + QStringLiteral(" (")))
                    << e.what();
            }
        }
    }
    EXPECT_EQ(office::Office::instance().processGroup(), group);
    EXPECT_EQ(officetest::openDocumentCount(), documents);
    EXPECT_TRUE(open.isOpen());
    EXPECT_FALSE(open.placeholders().isEmpty() && open.allText().isEmpty());
    open.close();
}

// A template its owner may not write is not replaced, even where the
// system would let the program write it.
TEST(TextDocumentSafety, AReadOnlyTemplateIsNotOverwritten)
{
    newServiceManager();
    testsupport::TempFolder folder;
    const QString picture = officetest::writePicture(folder.file(QStringLiteral("p.png")));
    for (const char* name : {"только чтение.dot", "только чтение.ott"}) {
        SCOPED_TRACE(name);
        const QString path = folder.file(QString::fromUtf8(name));
        officetest::makeTextTemplate(path, picture);
        ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const QByteArray before = bytesOf(path);
        TextDocument doc = TextDocument::open(path, true);
        doc.moveFrame(0, 5, 5);
        try {
            doc.save();
            FAIL() << "saved";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), ErrorKind::CannotStore);
            EXPECT_TRUE(e.detail().contains(QStringLiteral("только для чтения"))) << e.what();
        }
        doc.close();
        EXPECT_EQ(bytesOf(path), before);
        EXPECT_EQ(QFileInfo(path).permissions() & QFile::WriteOwner, 0);
        EXPECT_EQ(QDir(folder.path()).entryList({QStringLiteral(".~kalveta*"), QStringLiteral("lu*.tmp")},
                                                QDir::Files | QDir::Hidden),
                  QStringList{});
    }
}

// The Word format keeps a frame placed on the page past the page's edge
// (measured: 30 mm left of it, 63 mm right of it): such a move is saved and
// read back where it was put.
TEST(TextDocumentSafety, FramesPastThePageEdgeAreKeptWhereTheFormatKeepsThem)
{
    newServiceManager();
    testsupport::TempFolder folder;
    const QString picture = officetest::writePicture(folder.file(QStringLiteral("p.png")));
    struct Case {
        const char* name;
        double left;  // mm from the page's left edge, where the frame is put
    };
    const Case cases[] = {{"слева.dot", -30}, {"справа.dot", 210 + 63}, {"справа.ott", 210 + 63}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = folder.file(QString::fromUtf8(c.name));
        makeWordLikeTemplate(path, picture);
        {
            TextDocument doc = TextDocument::open(path, true);
            const int k = indexOf(doc.frames(), kSurname);
            doc.moveFrame(k, mm(c.left) - doc.frames()[k].left, 0);
            doc.save();
            doc.close();
        }
        // The place the file keeps (the office itself draws a frame past
        // the edge at the edge; Word draws it where the file says).
        auto doc = officetest::loadForReading(path);
        auto page = officetest::drawPageOf(doc);
        int found = 0;
        for (sal_Int32 i = 0; i < page->getCount(); ++i) {
            Reference<css::text::XText> text(page->getByIndex(i), UNO_QUERY);
            if (!text.is() || toQ(text->getString()) != kSurname)
                continue;
            ++found;
            sal_Int32 x = 0;
            Reference<XPropertySet>(text, UNO_QUERY_THROW)->getPropertyValue("HoriOrientPosition") >>= x;
            EXPECT_NEAR(x, c.left * 100, 2);
        }
        closeComponent(doc);
        EXPECT_EQ(found, 1);
    }
}
