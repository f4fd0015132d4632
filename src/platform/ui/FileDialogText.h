#pragma once
// Qt's own file dialog in the program's language, and with a list that never
// reads the files it shows. Qt names a folder "Folder", gives sizes in "KiB"
// and dates after the system's locale, which Qt's Russian texts do not
// cover; and it takes a file's kind (and icon) from the file's first bytes
// when its name does not tell: opening and closing the working database that
// way would drop the database engine's own locks on it, which other programs
// using the engine honour.
class QFileDialog;

namespace ui {

// Shows the dialog's list through a model that names a folder "Папка",
// gives sizes in Russian units ("12,3 кБ") and dates in the Russian form
// ("11.12.2024 14:30"), with file kinds and icons taken from the names
// alone. Called for every file dialog run through execDialog, before the
// dialog's list is first filled; calling it again changes nothing.
void useRussianFileList(QFileDialog* dialog);

} // namespace ui
