// Text templates opened for adjusting: frames listed and moved, tables and
// margins read, and templates saved again and again without changing in
// anything but the moves.
#include "OfficeFixtures.h"

#include "platform/office/OOoUno.h"
#include "platform/office/TextDocument.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>

using namespace office;

namespace {

constexpr double kStep = 0.25 / 25.4 * 72;  // 0.25 mm in points

class TextTemplateTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        path = folder.file(QStringLiteral("Кальвета свидетельство.") + QString::fromLatin1(GetParam()));
        newServiceManager();
        officetest::makeTextTemplate(path, officetest::writePicture(folder.file(QStringLiteral("рисунок.png"))));
    }

    // Gives the objects of the template names of its own, the way a
    // template made elsewhere comes with them, and saves it once.
    void nameObjects()
    {
        TextDocument doc = TextDocument::open(path, true);
        auto model = officetest::openDocument(path);
        ASSERT_TRUE(model.is());
        auto page = officetest::drawPageOf(model);
        ASSERT_EQ(page->getCount(), 3);
        const QString names[] = {QStringLiteral("Картинка"), QStringLiteral("Фамилия"), QStringLiteral("Имя")};
        for (int i = 0; i < 3; ++i)
            css::uno::Reference<css::container::XNamed>(page->getByIndex(i), css::uno::UNO_QUERY_THROW)
                ->setName(uno::toOU(names[i]));
        doc.save();
        doc.close();
    }

    testsupport::TempFolder folder;
    QString path;
};

} // namespace

TEST_P(TextTemplateTest, ListsFramesTablesAndMargins)
{
    nameObjects();
    TextDocument doc = TextDocument::open(path, true);
    EXPECT_FALSE(doc.startedOffice());
    const QList<TextDocument::Frame> frames = doc.frames();
    // The picture before the frames is not listed.
    ASSERT_EQ(frames.size(), 2);
    EXPECT_EQ(frames[0].name, QStringLiteral("Фамилия"));
    EXPECT_EQ(frames[0].text, QStringLiteral("Текст Фамилия"));
    EXPECT_EQ(frames[1].name, QStringLiteral("Имя"));
    EXPECT_EQ(frames[1].text, QStringLiteral("Текст Имя"));
    EXPECT_NEAR(frames[0].left, 30.0 / 25.4 * 72, 0.05);
    EXPECT_NEAR(frames[0].top, 40.0 / 25.4 * 72, 0.05);
    EXPECT_NEAR(frames[1].left, 35.0 / 25.4 * 72, 0.05);
    EXPECT_NEAR(frames[0].width, 50.0 / 25.4 * 72, 0.1);
    EXPECT_FALSE(frames[0].group);
    EXPECT_EQ(doc.tableFirstCells(), QStringList{QStringLiteral("Дисциплина")});
    const TextDocument::Margins m = doc.pageMargins();
    EXPECT_NEAR(m.left, 20.0 / 25.4 * 72, 0.05);
    EXPECT_NEAR(m.top, 15.0 / 25.4 * 72, 0.05);

    // Moving the second frame moves it alone.
    doc.moveFrame(1, kStep, 0);
    const auto moved = doc.frames();
    EXPECT_NEAR(moved[1].left, frames[1].left + kStep, 1e-6);
    EXPECT_NEAR(moved[0].left, frames[0].left, 1e-9);
    EXPECT_THROW(doc.moveFrame(2, kStep, 0), Error);

    // Closing without saving drops the move.
    doc.close();
    EXPECT_FALSE(doc.isOpen());
    TextDocument again = TextDocument::open(path, true);
    EXPECT_NEAR(again.frames()[1].left, frames[1].left, 1e-6);
    again.close();
}

TEST_P(TextTemplateTest, TenMovesAndSavesChangeNothingButThePositions)
{
    nameObjects();
    const auto sizesBefore = officetest::objectSizes(path);
    ASSERT_EQ(sizesBefore.size(), 3u);
    QList<TextDocument::Frame> before;
    {
        TextDocument doc = TextDocument::open(path, true);
        before = doc.frames();
        doc.close();
    }
    for (int round = 0; round < 10; ++round) {
        TextDocument doc = TextDocument::open(path, true);
        doc.moveFrame(0, kStep, 0);   // right
        doc.moveFrame(1, 0, kStep);   // down
        doc.save();
        doc.close();
    }
    TextDocument doc = TextDocument::open(path, true);
    const QList<TextDocument::Frame> after = doc.frames();
    ASSERT_EQ(after.size(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(after[i].name, before[i].name);
        EXPECT_EQ(after[i].text, before[i].text);
        EXPECT_DOUBLE_EQ(after[i].width, before[i].width);
        EXPECT_DOUBLE_EQ(after[i].height, before[i].height);
    }
    // Ten steps of 0.25 mm: 2.5 mm, to within the office's twip.
    const double tolerance = 0.03;  // points, a hundredth of a millimetre
    EXPECT_NEAR(after[0].left, before[0].left + 10 * kStep, tolerance);
    EXPECT_NEAR(after[0].top, before[0].top, tolerance);
    EXPECT_NEAR(after[1].left, before[1].left, tolerance);
    EXPECT_NEAR(after[1].top, before[1].top + 10 * kStep, tolerance);
    doc.close();
    // In the file itself every frame and the picture keep their sizes.
    EXPECT_EQ(officetest::objectSizes(path), sizesBefore);
}

INSTANTIATE_TEST_SUITE_P(Templates, TextTemplateTest, ::testing::Values("dot", "ott"));

TEST(TextDocument, AMissingTemplateCannotBeLoaded)
{
    testsupport::TempFolder folder;
    try {
        TextDocument::open(folder.file(QStringLiteral("нет.dot")), true);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::CannotLoad);
        EXPECT_EQ(e.number(), 1004);
    }
    TextDocument blank = TextDocument::createNew(true);
    EXPECT_TRUE(blank.isOpen());
    EXPECT_TRUE(blank.frames().isEmpty());
    EXPECT_TRUE(blank.tableFirstCells().isEmpty());
    blank.close();
}
