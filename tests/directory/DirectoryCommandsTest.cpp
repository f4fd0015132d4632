// The toolbar of each kind and the keys of the lists.
#include "directory/DirectoryCommands.h"

#include "core/AppState.h"
#include "import/ImportLayouts.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace directory;

namespace {

// The visible toolbar of a kind, separators as "|" and the placeholder as "[]".
QStringList visibleToolbar(int kind)
{
    QStringList out;
    for (const ToolbarButtonDef& b : toolbarButtons()) {
        if (!buttonVisibleIn(b, kind))
            continue;
        if (b.style == ButtonStyle::Placeholder)
            out << "[]";
        else if (b.style == ButtonStyle::Separator)
            out << (QString::fromUtf8(b.key).isEmpty() ? QStringLiteral("|") : QString::fromUtf8(b.key));
        else
            out << QString::fromUtf8(b.key);
    }
    return out;
}

} // namespace

TEST(DirectoryCommandsTest, ToolbarOfEachKind)
{
    const QStringList common{"keyAdd", "keyEdit", "keyCopy", "keyDel", "|"};
    EXPECT_EQ(visibleToolbar(0), common + QStringList({"keyImpVed", "|", "keyCopyTo", "PrintV", "keySep", "[]",
                                                       "keySepUD", "keyUp", "keyDown", "keySepKA", "keyBall5",
                                                       "keyBall4", "keyBall3", "keyBallZ", "keySepKB", "keyBook"}));
    EXPECT_EQ(visibleToolbar(3), common + QStringList({"keyImp", "|", "PrintV2", "keySep", "[]", "keySepKA"}));
    EXPECT_EQ(visibleToolbar(5), common + QStringList({"keyUp", "keyDown", "keySepKB", "keyTotal"}));
    for (int kind : {4, 11, 12, 16})
        EXPECT_EQ(visibleToolbar(kind), common + QStringList({"keyImp", "|", "[]"})) << kind;
    for (int kind : {1, 2, 6, 7, 8, 9, 10})
        EXPECT_EQ(visibleToolbar(kind), common + QStringList({"[]"})) << kind;
}

TEST(DirectoryCommandsTest, ImportIsOfferedWhereAWorkbookHasALayout)
{
    const ToolbarButtonDef* import = findButton(QStringLiteral("keyImp"));
    ASSERT_NE(import, nullptr);
    for (int kind = 0; kind < core::kKindCount; ++kind)
        EXPECT_EQ(buttonVisibleIn(*import, kind), importer::hasImportLayout(kind)) << kind;
}

TEST(DirectoryCommandsTest, MenusOfTheGradesView)
{
    QStringList print;
    for (const MenuEntryDef& e : printMenuEntries())
        print << QString::fromUtf8(e.text);
    EXPECT_EQ(print, (QStringList{"Титул диплома ПК", "Приложение диплома ПК", "Удостоверение", "-",
                                  "Другой документ", "Книга регистрации документов переподготовки"}));
    const struct {
        const char* key;
        Command command;
        int blank;
    } entries[] = {{"keyDokPer", Command::PrintBlank, 6}, {"keyPrilPK", Command::PrintBlank, 7},
                   {"keyUdov", Command::PrintBlank, 8},   {"keyDr", Command::PrintBlank, 4},
                   {"keyBook", Command::RegistryBook, 0}};
    for (const auto& e : entries) {
        const MenuEntryDef* def = findMenuEntry(QString::fromUtf8(e.key));
        ASSERT_NE(def, nullptr) << e.key;
        EXPECT_EQ(def->command, e.command) << e.key;
        EXPECT_EQ(def->blankKind, e.blank) << e.key;
    }
    EXPECT_EQ(findMenuEntry(QString()), nullptr);
}

TEST(DirectoryCommandsTest, ListKeys)
{
    const struct {
        int code;
        int shift;
        bool second;
        int kind;
        Command command;
    } cases[] = {
        {53, 0, false, 0, Command::Grade5},        {101, 0, true, 0, Command::Grade5},
        {100, 0, false, 0, Command::Grade4},       {51, 0, true, 0, Command::Grade3},
        {107, 0, false, 0, Command::GradePass},    {187, 0, false, 0, Command::None},  // the main-keyboard +
        {45, 0, false, 4, Command::AddRow},        {45, 0, true, 0, Command::AddRow},
        {45, 1, false, 4, Command::None},          {46, 2, false, 4, Command::None},
        {53, 4, false, 0, Command::None},          {13, 0, false, 0, Command::FocusSecondList},
        {13, 0, false, 3, Command::EditRow},       {13, 0, true, 0, Command::EditRow},
        {120, 0, false, 12, Command::CopyRow},     {46, 0, true, 0, Command::DeleteRows},
        {27, 0, false, 5, Command::FocusFilter},   {27, 0, true, 0, Command::FocusMainList},
        {65, 0, false, 4, Command::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(listKeyCommand(c.code, c.shift, c.second, c.kind), c.command) << c.code << " kind " << c.kind;
    EXPECT_EQ(gradeOf(Command::GradePass), 6);
}
