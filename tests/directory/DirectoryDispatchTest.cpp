// Which operation every button, drop-down entry, double click and key of a
// directory window reaches, with the program-wide values set on the way.
#include "DirectoryTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>

using namespace dirtest;

namespace {

enum class Source { Button, Menu, Key, DoubleClick };

struct DispatchCase {
    int kind;
    Source source;
    const char* key;      // button or menu key
    int keyCode;          // list key
    int shift;
    bool secondList;      // the grade lines have the focus / the key is pressed there
    const char* expected; // the log line, "" for nothing
};

} // namespace

using DirectoryDispatchTest = DirectoryDbTest;

TEST_F(DirectoryDispatchTest, ButtonsMenusKeysAndDoubleClicksReachTheirOperations)
{
    const DispatchCase cases[] = {
        {4, Source::Button, "keyAdd", 0, 0, false, "AddRow:Спр"},
        {4, Source::Button, "keyEdit", 0, 0, false, "EditRow:Спр"},
        {4, Source::Button, "keyCopy", 0, 0, false, "CopyRow:Спр"},
        {4, Source::Button, "keyDel", 0, 0, false, "DeleteRows:Спр"},
        {0, Source::Button, "keyAdd", 0, 0, true, "AddRow:Спр2"},
        {0, Source::Button, "keyDel", 0, 0, true, "DeleteRows:Спр2"},
        {0, Source::Button, "keyCopyTo", 0, 0, false, "CopyFromPlan"},
        {0, Source::Button, "keyUp", 0, 0, true, "MoveRow:0"},
        {5, Source::Button, "keyDown", 0, 0, false, "MoveRow:1"},
        {5, Source::Button, "keyTotal", 0, 0, false, "TotalPlanHours"},
        {0, Source::Button, "keyBall5", 0, 0, true, "SetGrade:5"},
        {0, Source::Button, "keyBall4", 0, 0, false, "SetGrade:4"},
        {0, Source::Button, "keyBall3", 0, 0, false, "SetGrade:3"},
        {0, Source::Button, "keyBallZ", 0, 0, false, "SetGrade:6"},
        {4, Source::Button, "keyBall5", 0, 0, false, ""},  // grades only in the grades view
        {0, Source::Button, "keyNone", 0, 0, false, ""},
        {0, Source::Menu, "keyDr", 0, 0, false, "Print:2:#:4"},
        {0, Source::Menu, "keyDokPer", 0, 0, false, "Print:2:#:6"},
        {0, Source::Menu, "keyPrilPK", 0, 0, false, "Print:2:#:7"},
        {0, Source::Menu, "keyUdov", 0, 0, false, "Print:2:#:8"},
        {0, Source::Button, "PrintV", 0, 0, false, "Print:2:#:0"},
        {3, Source::Button, "PrintV2", 0, 0, false, "Print:1:#:0"},
        {3, Source::Button, "PrintV", 0, 0, false, "Print:-1:#:0"},
        // a form of the print menu names its document kind in the students window
        {3, Source::Menu, "keyDr", 0, 0, false, "Print:0:#:4"},
        {3, Source::Menu, "keyDokPer", 0, 0, false, "Print:2:#:6"},
        {3, Source::Menu, "keyUdov", 0, 0, false, "Print:2:#:8"},
        {0, Source::Button, "keyBook", 0, 0, false, "Book:2:@"},
        {0, Source::Menu, "keyBook", 0, 0, false, "Book:2:@"},
        {0, Source::Key, nullptr, 53, 0, false, "SetGrade:5"},
        {0, Source::Key, nullptr, 101, 0, true, "SetGrade:5"},
        {0, Source::Key, nullptr, 100, 0, true, "SetGrade:4"},
        {0, Source::Key, nullptr, 99, 0, false, "SetGrade:3"},
        {0, Source::Key, nullptr, 107, 0, true, "SetGrade:6"},
        {0, Source::Key, nullptr, 187, 0, true, ""},
        {0, Source::Key, nullptr, 101, 4, true, ""},
        {3, Source::Key, nullptr, 53, 0, false, ""},
        {6, Source::Key, nullptr, 107, 0, false, ""},
        {4, Source::Key, nullptr, 45, 0, false, "AddRow:Спр"},
        {0, Source::Key, nullptr, 45, 0, true, "AddRow:Спр2"},
        {4, Source::Key, nullptr, 45, 1, false, ""},
        {3, Source::Key, nullptr, 13, 0, false, "EditRow:Спр"},
        {0, Source::Key, nullptr, 13, 0, true, "EditRow:Спр2"},
        {12, Source::Key, nullptr, 120, 0, false, "CopyRow:Спр"},
        {4, Source::Key, nullptr, 46, 0, false, "DeleteRows:Спр"},
        {4, Source::Key, nullptr, 46, 2, false, ""},
        {0, Source::Key, nullptr, 46, 0, true, "DeleteRows:Спр2"},
        {4, Source::DoubleClick, nullptr, 0, 0, false, "EditRow:Спр"},
        {0, Source::DoubleClick, nullptr, 0, 0, true, "AddRow:Спр2"},  // the first group has no retraining lines
    };
    for (const DispatchCase& c : cases) {
        auto w = open(c.kind, 2);
        log.clear();
        if (c.secondList)
            w->Spr2()->setFocus();
        else
            w->Spr()->setFocus();
        const QString key = c.key ? QString::fromUtf8(c.key) : QString();
        switch (c.source) {
        case Source::Button: w->Toolbar1_ButtonClick(key); break;
        case Source::Menu: w->Toolbar1_ButtonMenuClick(key); break;
        case Source::Key: w->HandleListKey(c.keyCode, c.shift, c.secondList); break;
        case Source::DoubleClick: w->ListDblClick(c.secondList); break;
        }
        QString expected = QString::fromUtf8(c.expected);
        expected.replace(QLatin1Char('#'), QString::number(core::state().CurrentRowId));
        expected.replace(QLatin1Char('@'), QString::number(w->chosenGroupId()));
        EXPECT_EQ(log.join(QLatin1Char(';')), expected) << "kind " << c.kind << " " << (c.key ? c.key : "") << " "
                                                        << c.keyCode;
        EXPECT_EQ(messages.count(), 0) << c.expected;
        messages.clear();
    }
}

TEST_F(DirectoryDispatchTest, RealKeyEventsTellTheNumericPadApart)
{
    auto w = open(0, 2);
    w->Spr2()->setFocus();
    const struct {
        int key;
        Qt::KeyboardModifiers mods;
        const char* text;
        const char* expected;
    } cases[] = {
        {Qt::Key_5, Qt::KeypadModifier, "5", "SetGrade:5"},
        {Qt::Key_Plus, Qt::KeypadModifier, "+", "SetGrade:6"},
        {Qt::Key_Plus, Qt::NoModifier, "+", ""},
        {Qt::Key_4, Qt::NoModifier, "4", "SetGrade:4"},
        {Qt::Key_Delete, Qt::ControlModifier, "", ""},
        {Qt::Key_F9, Qt::NoModifier, "", "CopyRow:Спр2"},
    };
    for (const auto& c : cases) {
        log.clear();
        QKeyEvent press(QEvent::KeyPress, c.key, c.mods, QString::fromUtf8(c.text));
        QApplication::sendEvent(w->Spr2(), &press);
        EXPECT_EQ(log.join(QLatin1Char(';')), QString::fromUtf8(c.expected)) << c.key;
    }
}

TEST_F(DirectoryDispatchTest, FocusKeysMoveBetweenListsAndFilter)
{
    auto w = open(0, 2);
    w->Spr()->setFocus();
    w->HandleListKey(13, 0, false);
    EXPECT_EQ(w->focusWidget(), w->Spr2());
    w->HandleListKey(27, 0, true);
    EXPECT_EQ(w->focusWidget(), w->Spr());
    w->HandleListKey(27, 0, false);
    EXPECT_EQ(w->focusWidget(), w->Cm1());

    auto groups = open(4);
    groups->Spr()->setFocus();
    groups->HandleListKey(27, 0, false);
    EXPECT_EQ(groups->focusWidget(), groups->Spr());
}

TEST_F(DirectoryDispatchTest, DoubleClickInAnEmptyListAdds)
{
    auto w = open(4);
    w->Spr()->clear();
    w->ListDblClick(false);
    EXPECT_EQ(log, QStringList{"AddRow:Спр"});
}

TEST_F(DirectoryDispatchTest, PrintCommandsWarnOnEmptyListOrMissingSelection)
{
    const struct {
        int kind;
        bool empty;
        const char* key;
        bool menu;
        const char* message;
    } cases[] = {
        {0, true, "PrintV", false, "Список студентов пуст. Сначала заполните список студентов и введите оценки, после чего можно будет распечатать документы."},
        {0, false, "PrintV", false, "Сначала выберите студента, для которого необходимо печатать документы."},
        {3, true, "PrintV2", false, "Список сертификатов пуст. Сначала заполните список сертификатов, после чего можно будет распечатать документы."},
        {3, false, "PrintV2", false, "Сначала выберите сертификат, который необходимо распечатать."},
        {0, true, "keyUdov", true, "Список студентов пуст. Сначала заполните список студентов и введите итоговые оценки, после чего можно будет распечатать документы."},
        {0, false, "keyDr", true, "Сначала выберите студента, для которого необходимо печатать документы."},
    };
    for (const auto& c : cases) {
        auto w = open(c.kind, 2);
        log.clear();
        messages.clear();
        if (c.empty)
            w->Spr()->clear();
        else
            w->Spr()->clearSelection();
        if (c.menu)
            w->Toolbar1_ButtonMenuClick(QString::fromUtf8(c.key));
        else
            w->Toolbar1_ButtonClick(QString::fromUtf8(c.key));
        EXPECT_TRUE(log.isEmpty()) << c.key;
        ASSERT_EQ(messages.count(), 1) << c.key;
        EXPECT_EQ(messages.texts().first(), QString::fromUtf8(c.message));
        EXPECT_EQ(messages.messages().front().style, ui::OkOnly | ui::Exclamation);
    }
}

TEST_F(DirectoryDispatchTest, ImportHandsOverKindGroupAndDocumentKind)
{
    auto plan = open(5);
    const long group = plan->chosenGroupId();
    plan->Toolbar1_ButtonClick(QStringLiteral("keyImp"));
    EXPECT_EQ(log, QStringList{QStringLiteral("Import:5:%1:0").arg(group)});

    auto grades = open(0, 2);
    log.clear();
    grades->Toolbar1_ButtonClick(QStringLiteral("keyImpVed"));
    EXPECT_EQ(log, QStringList{QStringLiteral("Import:100:%1:2").arg(grades->chosenGroupId())});

    auto groups = open(4);
    log.clear();
    groups->Toolbar1_ButtonClick(QStringLiteral("keyImp"));
    EXPECT_EQ(log, QStringList{QStringLiteral("Import:4:0:0")});
}

TEST_F(DirectoryDispatchTest, ImportWithoutChosenGroupWarnsAndForgetsEarlierGroup)
{
    auto students = open(3);
    students->Toolbar1_ButtonClick(QStringLiteral("keyImp"));
    ASSERT_EQ(log.size(), 1);
    log.clear();

    students->Cm1()->setCurrentIndex(-1);
    for (const char* key : {"keyImp"}) {
        students->Toolbar1_ButtonClick(QString::fromUtf8(key));
        EXPECT_TRUE(log.isEmpty());
        EXPECT_EQ(core::state().ImportGroupId, 0);
        ASSERT_EQ(messages.count(), 1);
        EXPECT_EQ(messages.texts().first(), QStringLiteral("Сначала выберите группу, в которую нужно импортировать данные."));
    }
    auto grades = open(0, 2);
    grades->Cm1()->setCurrentIndex(-1);
    messages.clear();
    grades->Toolbar1_ButtonClick(QStringLiteral("keyImpVed"));
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(messages.count(), 1);
}

TEST_F(DirectoryDispatchTest, RegistryBookGroupIsResetAfterEveryOpening)
{
    auto grades = open(0, 2);
    const long group = grades->chosenGroupId();
    ASSERT_GT(group, 0);
    grades->Toolbar1_ButtonClick(QStringLiteral("keyBook"));
    EXPECT_EQ(log, QStringList{QStringLiteral("Book:2:%1").arg(group)});
    EXPECT_EQ(core::state().BookGroupId, 0);

    log.clear();
    grades->Cm1()->setCurrentIndex(-1);
    grades->Toolbar1_ButtonMenuClick(QStringLiteral("keyBook"));
    EXPECT_EQ(log, QStringList{QStringLiteral("Book:2:0")});
    EXPECT_EQ(core::state().BookGroupId, 0);
}

TEST_F(DirectoryDispatchTest, ToolbarActionsTriggerTheButtonCommand)
{
    auto w = open(5);
    w->Spr()->setFocus();
    w->button(QStringLiteral("keyTotal"))->trigger();
    w->button(QStringLiteral("keyDel"))->trigger();
    EXPECT_EQ(log, (QStringList{"TotalPlanHours", "DeleteRows:Спр"}));
    auto grades = open(0, 2);
    log.clear();
    grades->menuEntry(QStringLiteral("PrintV"), QStringLiteral("keyUdov"))->trigger();
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log.first().endsWith(QStringLiteral(":8")));
}
