#include "directory/DirectoryCommands.h"

#include "core/AppState.h"
#include "import/ImportLayouts.h"

#include <initializer_list>

namespace directory {
namespace {

constexpr unsigned kinds(std::initializer_list<int> list)
{
    unsigned mask = 0;
    for (int k : list)
        mask |= 1u << k;
    return mask;
}

constexpr unsigned kAll = ~0u;
constexpr unsigned kAllBut5 = ~(1u << 5);
// Also shown in every kind the import has a workbook layout for.
constexpr unsigned kImportable = 1u << 31;

using B = ButtonStyle;
using C = Command;
using P = Picture;

constexpr ToolbarButtonDef kButtons[] = {
    {"keyAdd", B::Button, "Новая строка", P::TableNew, kAll, C::AddRow},
    {"keyEdit", B::Button, "Изменить", P::TableEdit, kAll, C::EditRow},
    {"keyCopy", B::Button, "Копировать", P::TableCopy, kAll, C::CopyRow},
    {"keyDel", B::Button, "Удалить", P::TableDelete, kAll, C::DeleteRows},
    {"", B::Separator, "", P::None, kAll, C::None},
    {"keyImp", B::Button, "Импорт", P::Import, kImportable, C::Import},
    {"keyImpVed", B::Button, "Импорт из ведомости", P::ImportSheet, kinds({0}), C::ImportGradeSheet},
    {"", B::Separator, "", P::None, kinds({0}) | kImportable, C::None},
    {"keyCopyTo", B::Button, "Скопировать из учебного плана", P::TablePlus, kinds({0}), C::CopyFromPlan},
    {"PrintV", B::DropDown, "Печать документов", P::Printer, kinds({0}), C::PrintDocuments},
    {"PrintV2", B::Button, "Печать документов", P::Printer, kinds({3}), C::PrintCertificate},
    {"keySep", B::Separator, "", P::None, kinds({0, 3}), C::None},
    {"keyli", B::Placeholder, "", P::None, kAllBut5, C::None},
    {"keySepUD", B::Separator, "", P::None, kinds({0}), C::None},
    {"keyUp", B::Button, "Переместить строку вверх", P::ArrowUp, kinds({0, 5}), C::MoveUp},
    {"keyDown", B::Button, "Переместить строку вниз", P::ArrowDown, kinds({0, 5}), C::MoveDown},
    {"keySepKA", B::Separator, "", P::None, kinds({0, 3}), C::None},
    {"keyBall5", B::Button, "Оценка 5 (отлично)", P::Digit5, kinds({0}), C::Grade5},
    {"keyBall4", B::Button, "Оценка 4 (хорошо)", P::Digit4, kinds({0}), C::Grade4},
    {"keyBall3", B::Button, "Оценка 3 (удовлетворительно)", P::Digit3, kinds({0}), C::Grade3},
    {"keyBallZ", B::Button, "Оценка Зачтено", P::Check, kinds({0}), C::GradePass},
    {"keySepKB", B::Separator, "", P::None, kinds({0, 5}), C::None},
    {"keyTotal", B::Button, "Рассчитать итого часов", P::Sum, kinds({5}), C::TotalHours},
    {"keyBook", B::DropDown, "Книга регистрации документов переподготовки", P::Book, kinds({0}), C::RegistryBook},
};

constexpr MenuEntryDef kPrintMenu[] = {
    {"keyDokPer", "Титул диплома ПК", C::PrintBlank, core::RetrainingDiplomaTitle},
    {"keyPrilPK", "Приложение диплома ПК", C::PrintBlank, core::RetrainingDiplomaSupplement},
    {"keyUdov", "Удостоверение", C::PrintBlank, core::CompletionCertificate},
    {"", "-", C::None, 0},
    {"keyDr", "Другой документ", C::PrintBlank, core::OtherDocument},
    {"keyBook", "Книга регистрации документов переподготовки", C::RegistryBook, 0},
};

constexpr MenuEntryDef kBookMenu[] = {
    {"keyBook", "Книга регистрации документов переподготовки", C::RegistryBook, 0},
};

constexpr ListKeyDef kListKeys[] = {
    {53, C::Grade5, C::Grade5, C::Grade5},      // 5
    {101, C::Grade5, C::Grade5, C::Grade5},     // numeric-pad 5
    {52, C::Grade4, C::Grade4, C::Grade4},      // 4
    {100, C::Grade4, C::Grade4, C::Grade4},     // numeric-pad 4
    {51, C::Grade3, C::Grade3, C::Grade3},      // 3
    {99, C::Grade3, C::Grade3, C::Grade3},      // numeric-pad 3
    {107, C::GradePass, C::GradePass, C::GradePass},  // numeric-pad +
    {45, C::AddRow, C::AddRow, C::AddRow},      // Insert
    {13, C::FocusSecondList, C::EditRow, C::EditRow},  // Enter
    {120, C::CopyRow, C::CopyRow, C::CopyRow},  // F9
    {46, C::DeleteRows, C::DeleteRows, C::DeleteRows},  // Delete
    {27, C::FocusFilter, C::FocusFilter, C::FocusMainList},  // Esc
};

} // namespace

std::span<const ToolbarButtonDef> toolbarButtons() { return kButtons; }
std::span<const MenuEntryDef> printMenuEntries() { return kPrintMenu; }
std::span<const MenuEntryDef> bookMenuEntries() { return kBookMenu; }

const ToolbarButtonDef* findButton(const QString& key)
{
    if (key.isEmpty())
        return nullptr;
    for (const ToolbarButtonDef& b : kButtons)
        if (key == QLatin1String(b.key))
            return &b;
    return nullptr;
}

bool buttonVisibleIn(const ToolbarButtonDef& button, int kind)
{
    if (kind < 0 || kind >= 31)
        return false;
    return (button.visibleKinds & (1u << kind)) != 0
        || ((button.visibleKinds & kImportable) != 0 && importer::hasImportLayout(kind));
}

Command buttonCommand(const QString& key)
{
    const ToolbarButtonDef* b = findButton(key);
    return b ? b->command : Command::None;
}

const MenuEntryDef* findMenuEntry(const QString& key)
{
    if (key.isEmpty())
        return nullptr;
    for (const MenuEntryDef& e : kPrintMenu)
        if (key == QLatin1String(e.key))
            return &e;
    for (const MenuEntryDef& e : kBookMenu)
        if (key == QLatin1String(e.key))
            return &e;
    return nullptr;
}

Command listKeyCommand(int keyCode, int shift, bool secondList, int windowKind)
{
    if (shift != 0)
        return Command::None;
    for (const ListKeyDef& k : kListKeys) {
        if (k.keyCode != keyCode)
            continue;
        if (secondList)
            return k.inSecondList;
        return windowKind == core::Grades ? k.inGradesPersons : k.inMainList;
    }
    return Command::None;
}

bool isGradeCommand(Command command)
{
    return command == Command::Grade5 || command == Command::Grade4 || command == Command::Grade3 ||
           command == Command::GradePass;
}

int gradeOf(Command command)
{
    switch (command) {
    case Command::Grade5: return 5;
    case Command::Grade4: return 4;
    case Command::Grade3: return 3;
    case Command::GradePass: return 6;
    default: return 0;
    }
}

} // namespace directory
