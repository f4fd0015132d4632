#pragma once
// Opening the record card, and the services of the main window that the card
// uses without linking the shell.
#include <QString>
#include <functional>

namespace card {

// What the card needs of the application shell. The shell fills these at
// start-up; a service left empty counts as unavailable.
struct ShellHooks {
    // The enciphered form of a text ("" for "" and on failure).
    std::function<QString(const QString&)> encryptString;
    // The plain text of an enciphered text ("" for "" and on failure).
    std::function<QString(const QString&)> decryptString;
    // Opens the user manual (the main window's "Руководство пользователя").
    std::function<void()> openUserManual;
};
ShellHooks& shellHooks();

// Shows the record card modally for the card parameters of the program-wide
// state: CurrentKind (the directory kind), CurrentRowId (0 for a new row,
// else the row to edit or copy), RowIsCopy, CurrentDocKind (kind 3: 2 gives
// the retraining layout; kind 0: the grade line's document kind),
// CurrentGroupId with CurrentGroupIndex (the group filter's chosen group and
// its position, -1 when none: a new person or plan line starts in that
// group; a grade line lists that group's persons) and CurrentStudentId (the
// person of a new grade line). When the row to edit or copy no longer exists
// the card warns and does not open. Afterwards DialogResult is -1 when the
// row was saved (CurrentRowId then holds its key; for a grade line its own
// key IDE), else 0.
void showRecordCard();

// Makes core::windowFactories().showRecordCard open this card.
void registerRecordCard();

} // namespace card
