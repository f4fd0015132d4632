#pragma once
// Qt's own file dialog in the program's language: its list names folders
// "Folder" and gives sizes in "KiB" after the system's locale, which Qt's
// Russian texts do not cover.
class QFileDialog;

namespace ui {

// Shows the dialog's list through a model that names a folder "Папка" and
// gives sizes in Russian units ("12,3 кБ"). Called for every file dialog
// run through execDialog; calling it again changes nothing.
void useRussianFileList(QFileDialog* dialog);

} // namespace ui
