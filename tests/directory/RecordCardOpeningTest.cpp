// Add, edit and copy hand the row to the record card; after a save the
// window shows the row's group and selects the row.
#include "DirectoryTestSupport.h"

#include "platform/settings/Settings.h"

using namespace dirtest;

namespace {

struct CardRequest {
    int kind;
    long rowId;
    bool copy;
    long groupId;
    long groupIndex;
    long studentId;
    int docKind;
};

class RecordCardOpeningTest : public DirectoryDbTest {
protected:
    void SetUp() override
    {
        DirectoryDbTest::SetUp();
        core::windowFactories().showRecordCard = [this] {
            const core::AppState& s = core::state();
            requests.push_back({s.CurrentKind, s.CurrentRowId, s.RowIsCopy, s.CurrentGroupId, s.CurrentGroupIndex,
                                s.CurrentStudentId, s.CurrentDocKind});
            if (onCard)
                onCard();
        };
    }

    std::vector<CardRequest> requests;
    std::function<void()> onCard;
};

} // namespace

TEST_F(RecordCardOpeningTest, AddingAStudentIntoAnotherGroupMovesTheFilterAndSelectsTheRow)
{
    auto w = open(3, 0, false);
    const int other = w->Cm1()->findText(QStringLiteral("П 31"));
    ASSERT_GE(other, 0);
    ASSERT_NE(other, w->chosenGroupIndex());
    const long otherGroup = w->Cm1()->itemData(other).toLongLong();
    onCard = [&] {
        core::state().CurrentRowId = static_cast<long>(insert(
            QStringLiteral("INSERT INTO SPSTUD (IDG, FAM) VALUES (?, ?)"), {qlonglong(otherGroup), QStringLiteral("Новикова")}));
        core::state().DialogResult = -1;
    };
    w->Toolbar1_ButtonClick(QStringLiteral("keyAdd"));

    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, 3);
    EXPECT_EQ(requests[0].rowId, 0);
    EXPECT_FALSE(requests[0].copy);
    EXPECT_EQ(requests[0].groupIndex, 0);
    EXPECT_EQ(requests[0].groupId, w->Cm1()->itemData(0).toLongLong());
    EXPECT_EQ(requests[0].docKind, -1);

    EXPECT_EQ(w->chosenGroupIndex(), other);
    EXPECT_EQ(settings::getSetting(settings::kSectionUser, QStringLiteral("DG3")), QString::number(other));
    const QList<core::ListItem> selected = w->Spr()->selectedItems();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(core::listItemKey(selected.first()), core::rowItemKey(core::state().CurrentRowId));
}

TEST_F(RecordCardOpeningTest, ACardOpenedWithoutAChosenGroupGetsNone)
{
    auto w = open(3, 0, false);
    w->Cm1()->setCurrentIndex(-1);
    core::state().CurrentGroupId = 77;
    w->Toolbar1_ButtonClick(QStringLiteral("keyAdd"));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].groupId, 0);
    EXPECT_EQ(requests[0].groupIndex, -1);
}

TEST_F(RecordCardOpeningTest, EditAndCopyOpenTheSelectedRowAndNothingInAnEmptyList)
{
    auto w = open(4, 0, false);
    core::selectOnlyItem(w->Spr(), w->Spr()->topLevelItem(1));
    const long row = static_cast<long>(core::IdFromKey(core::listItemKey(w->Spr()->topLevelItem(1))));
    w->Toolbar1_ButtonClick(QStringLiteral("keyEdit"));
    w->Toolbar1_ButtonClick(QStringLiteral("keyCopy"));
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].kind, 4);
    EXPECT_EQ(requests[0].rowId, row);
    EXPECT_FALSE(requests[0].copy);
    EXPECT_TRUE(requests[1].copy);
    EXPECT_EQ(requests[1].groupId, 0);

    w->Spr()->clear();
    w->Toolbar1_ButtonClick(QStringLiteral("keyEdit"));
    w->Toolbar1_ButtonClick(QStringLiteral("keyCopy"));
    EXPECT_EQ(requests.size(), 2u);
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(RecordCardOpeningTest, CancelledCardRefreshesNothingAndReturnsTheFocus)
{
    auto w = open(4, 0, false);
    const int rows = w->Spr()->topLevelItemCount();
    onCard = [&] { insert(QStringLiteral("INSERT INTO SPGRUP (NAIM) VALUES (?)"), {QStringLiteral("Я 99")}); };
    w->Toolbar1_ButtonClick(QStringLiteral("keyAdd"));
    EXPECT_EQ(w->Spr()->topLevelItemCount(), rows);
    EXPECT_EQ(w->focusWidget(), w->Spr());
}

TEST_F(RecordCardOpeningTest, GradeLineCardGetsThePersonAndTheDocumentKind)
{
    auto w = open(0, 2, false);
    const long person = static_cast<long>(core::IdFromKey(core::listItemKey(core::selectedListItem(w->Spr()))));
    w->Spr2()->setFocus();
    w->Toolbar1_ButtonClick(QStringLiteral("keyAdd"));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, 0);
    EXPECT_EQ(requests[0].studentId, person);
    EXPECT_EQ(requests[0].docKind, 2);
    EXPECT_EQ(requests[0].groupId, w->chosenGroupId());

    // A person from the persons list opens the person card in the view's document kind.
    w->Spr()->setFocus();
    w->Toolbar1_ButtonClick(QStringLiteral("keyEdit"));
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].kind, 3);
    EXPECT_EQ(requests[1].rowId, person);
    EXPECT_EQ(requests[1].docKind, 2);

    // Without persons no grade line can be added.
    w->Spr()->clear();
    w->Spr2()->setFocus();
    w->Toolbar1_ButtonClick(QStringLiteral("keyAdd"));
    EXPECT_EQ(requests.size(), 2u);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.texts().first(), QStringLiteral("Список студентов пуст. Сначала заполните список студентов, после "
                                                       "чего можно будет вводить итоговые оценки."));
}
