#pragma once
// The commands of a directory window as data: its toolbar buttons (with the
// kinds in which each is shown), the two drop-down menus, and the keys of
// its lists.
#include <QString>

#include <span>

namespace directory {

// What a button, menu entry or key runs.
enum class Command {
    None,
    AddRow,
    EditRow,
    CopyRow,
    DeleteRows,
    Import,
    ImportGradeSheet,
    PrintDocuments,     // "PrintV": documents of the selected person
    PrintCertificate,   // "PrintV2": the specialist certificate (students window)
    PrintBlank,         // a drop-down entry that preselects a document form
    CopyFromPlan,
    MoveUp,
    MoveDown,
    RegistryBook,
    Grade5,
    Grade4,
    Grade3,
    GradePass,
    TotalHours,
    FocusSecondList,
    FocusMainList,
    FocusFilter,
};

enum class ButtonStyle { Button, DropDown, Separator, Placeholder };

// Pictures of the buttons (drawn by the window).
enum class Picture { None, TableNew, TableEdit, TableCopy, TableDelete, Import, ImportSheet, TablePlus, Printer, ArrowUp,
                     ArrowDown, Digit5, Digit4, Digit3, Check, Sum, Book };

struct ToolbarButtonDef {
    const char* key;
    ButtonStyle style;
    const char* tip;
    Picture picture;
    unsigned visibleKinds;  // bit k: shown in a window of kind k; bit 31: and where a workbook can be imported
    Command command;
};

struct MenuEntryDef {
    const char* key;  // "" for a separator line
    const char* text;
    Command command;
    int blankKind;  // the document form preselected in the print dialog
};

struct ListKeyDef {
    int keyCode;
    Command inGradesPersons;  // the persons list of the grades view
    Command inMainList;       // the main list of every other kind
    Command inSecondList;     // the grade lines of the grades view
};

// The toolbar, left to right.
std::span<const ToolbarButtonDef> toolbarButtons();
// The drop-down menus of "PrintV" and "keyBook".
std::span<const MenuEntryDef> printMenuEntries();
std::span<const MenuEntryDef> bookMenuEntries();

const ToolbarButtonDef* findButton(const QString& key);
bool buttonVisibleIn(const ToolbarButtonDef& button, int kind);
// The command of a button key; None for an unknown key.
Command buttonCommand(const QString& key);
// A drop-down entry; nullptr for an unknown key.
const MenuEntryDef* findMenuEntry(const QString& key);
// The command of a key pressed in a list of a window of `windowKind`; None
// when a modifier is held (shift state other than 0) or the key has none.
Command listKeyCommand(int keyCode, int shift, bool secondList, int windowKind);

// True for the grade commands, which act only in the grades view.
bool isGradeCommand(Command command);
// The grade a grade command sets: 5, 4, 3, or 6 for "зачтено".
int gradeOf(Command command);

} // namespace directory
