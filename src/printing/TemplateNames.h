#pragma once
// The file name of the document template for a print option: through the
// option's template slot, the printing house in use (INF.IDT) and its
// template columns, the printer kind (INF.TopPronter) and the built-in
// default names.
#include <QString>

namespace printing {

// Gives the program-wide state the base names of document templates by
// template slot (1 to 5; 6 to 10 stay empty).
void UseDefaultTemplateNames();

// The template slot (1 to 10) of a print option (print code - 1).
int TemplateSlotForKind(int optionIndex);

// The template file name for print option `optionIndex` (print code - 1),
// for the printer kind of the institution card: the printing house's
// template for the slot, else the slot's base name ("Кальвета",
// "Удостоверение" ...) with " Лазерный" for a laser printer and the
// office's extension. Never fails: a database that cannot be read gives the
// base name.
QString TemplateNameForKind(int optionIndex);
// The same for the given printer kind (true: laser).
QString TemplateNameForKind(int optionIndex, bool laser);

// The laser-printer variant of a template name: " Лазерный" before the dot
// of its extension. An empty name, one that already holds "Лазерный" and
// one without an extension are returned unchanged.
QString LaserTemplateName(const QString& name);

// The template slot a template file stands for: the slot whose base name
// ("Приложение к диплому", "Удостоверение" ...), or whose template of any
// printing house, the file bears, with or without " Лазерный" (its folder
// and extension aside, without regard to case); 0 when none does.
int SlotOfTemplate(const QString& name);

// The slot of the document that print option `optionIndex` (print code - 1)
// prints from template `name`: the option's own slot; for "Прочее", which
// takes any template, the slot of the template; 0 when the document is not
// known (options 11 to 15, a template of no slot).
int DocumentSlot(int optionIndex, const QString& name);

// The document kind whose grade lines the document of `slot` prints: the
// diploma's for its title, supplement and transcript (a transcript printed
// from the academic transcripts' grades takes theirs), the certificate's,
// the retraining's, the training certificate's; for an unknown document
// (slot 0) those of the window it is printed from, `windowDocKind`.
int GradeKindOfDocument(int slot, int windowDocKind);

// True when the institution card names a laser printer (TopPronter 1).
bool LaserPrinterInUse();

// The file a document template name stands for, the same way for the print
// dialog, the printing houses' names and the fill: an absolute path as it
// is; any other name, also one with folders, as a file of the templates
// folder, which it may not leave. Only a file with the office's template
// extension (.ott under OpenOffice.org, .dot otherwise) is a template.
struct TemplateFile {
    enum Status { Found, Missing, Outside, WrongFormat };
    Status status = Missing;
    QString path;  // the file the name stands for (empty for an empty name)
};
TemplateFile ResolveTemplate(const QString& name);
// The template extension of the office in use: "ott" or "dot".
QString TemplateExtension();
// Why a template name is refused, one sentence for a message (with the
// path as the user knows it); empty when it was found.
QString TemplateRefusal(const TemplateFile& file);

} // namespace printing
