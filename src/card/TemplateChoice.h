#pragma once
// Choosing a printing house's document template: a file dialog for the
// templates of the office program in use, opened in TemplatesFolder. A file
// in the program's "Шаблоны ЭЖ" folder is stored by its bare name, any other
// by its full path.
#include <QString>

namespace card {

class frmSD1;

// What a template line stores for a chosen file.
QString templateLineValue(const QString& file, const QString& appPath);

// The "Обзор..." button of template line `line`.
void chooseTemplateFile(frmSD1& card, int line);

} // namespace card
