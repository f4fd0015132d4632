#include "printing/TemplateNames.h"

#include "core/AppState.h"
#include "core/DataAccess.h"
#include "printing/PrintJob.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <array>
#include <utility>
#include <vector>

namespace printing {

namespace {

// Base names of document templates by template slot, from slot 1.
constexpr const char* kDefaultTemplateNames[] = {
    "Титул диплома", "Титул диплома с отличием", "Приложение к диплому", "Академическая справка", "Кальвета",
};

} // namespace

void UseDefaultTemplateNames()
{
    core::AppState& s = core::state();
    for (int i = 0; i < int(std::size(kDefaultTemplateNames)); ++i)
        s.DefaultTemplateNames[i + 1] = QString::fromUtf8(kDefaultTemplateNames[i]);
}

namespace {

// Template slot by option index 0..9; the later options use slot 1.
constexpr std::array<int, 10> kSlots{1, 3, 4, 5, 5, 7, 8, 9, 6, 10};
constexpr int kFirstSlot = 1;
constexpr int kLastSlot = 10;

const char* const kLaserWord = "Лазерный";

// The base name of a slot without a built-in default name: the document's
// own name, as the printing houses' template names begin.
struct SlotBaseName {
    int slot;
    const char* name;
};
constexpr SlotBaseName kSlotBaseNames[] = {
    {6, "Титул свидетельства"},
    {7, "Титул диплома ПК"},
    {8, "Приложение к диплому ПК"},
    {9, "Удостоверение"},
    {10, "Приложение к свидетельству"},
};

QString baseNameOfSlot(int slot)
{
    const core::AppState& s = core::state();
    if (slot >= kFirstSlot && slot <= kLastSlot && !s.DefaultTemplateNames[slot].isEmpty())
        return s.DefaultTemplateNames[slot];
    for (const SlotBaseName& b : kSlotBaseNames)
        if (b.slot == slot)
            return QString::fromUtf8(b.name);
    return {};
}

qlonglong infNumber(const char* field)
{
    return jet::toLong(core::LookupFieldValue(QStringLiteral("SELECT * FROM INF"), QString::fromLatin1(field)));
}

// The text after the last dot of the file name (not of its folders); empty
// when there is none.
QString extensionOf(const QString& name)
{
    const qsizetype slash = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot < slash)
        return {};
    return name.mid(dot + 1);
}

} // namespace

namespace {

// The document kinds whose grade lines a slot's document prints; the first
// unless the window printed from is another of them.
struct SlotGrades {
    int slot;
    std::array<int, 2> kinds;
};
constexpr SlotGrades kSlotGrades[] = {
    {1, {core::Documents, core::Documents}},
    {2, {core::Documents, core::Documents}},
    {3, {core::Documents, core::Documents}},
    {4, {core::Documents, core::AcademicTranscripts}},
    {5, {core::SpecialistCertificates, core::SpecialistCertificates}},
    {6, {core::TrainingCertificates, core::TrainingCertificates}},
    {7, {core::RetrainingDocuments, core::RetrainingDocuments}},
    {8, {core::RetrainingDocuments, core::RetrainingDocuments}},
    {9, {core::RetrainingDocuments, core::RetrainingDocuments}},
    {10, {core::TrainingCertificates, core::TrainingCertificates}},
};

// The print options whose document is that of their slot: options 0 to 9
// but "Прочее"; options 10 to 14 borrow slot 1's template for documents of
// their own.
constexpr int kLastSlotOption = 9;
constexpr int kOtherDocumentOption = 3;

// A template file's name as its slot's names are compared: without folders,
// extension and " Лазерный", in lower case.
QString slotKey(const QString& name)
{
    QString base = QFileInfo(QString(name).replace(QLatin1Char('\\'), QLatin1Char('/'))).completeBaseName();
    base.remove(QLatin1Char(' ') + QString::fromUtf8(kLaserWord), Qt::CaseInsensitive);
    return base.trimmed().toCaseFolded();
}

// The printing houses' templates by the slot of their column.
std::vector<std::pair<int, QString>> houseTemplates()
{
    std::vector<std::pair<int, QString>> out;
    try {
        auto rs = core::db().openRecordset(QStringLiteral("SELECT * FROM SPTPGR"), jet::dbOpenSnapshot);
        const QStringList fields = rs->fieldNames();
        for (; !rs->isEOF(); rs->moveNext())
            for (const QString& field : fields) {
                static const QRegularExpression column(QStringLiteral("^o?tmp(\\d+)$"),
                                                       QRegularExpression::CaseInsensitiveOption);
                const QRegularExpressionMatch m = column.match(field);
                const QString value = rs->text(field).trimmed();
                if (m.hasMatch() && !value.isEmpty())
                    out.emplace_back(m.captured(1).toInt(), value);
            }
        rs->close();
    } catch (const jet::Error&) {
        // No printing houses in the file: the base names alone decide.
    }
    return out;
}

} // namespace

int SlotOfTemplate(const QString& name)
{
    const QString key = slotKey(name);
    if (key.isEmpty())
        return 0;
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
        QStringList names{baseNameOfSlot(slot)};
        if (slot <= int(std::size(kDefaultTemplateNames)))
            names << QString::fromUtf8(kDefaultTemplateNames[slot - 1]);
        for (const QString& base : names)
            if (!base.isEmpty() && slotKey(base + QStringLiteral(".ott")) == key)
                return slot;
    }
    for (const auto& [slot, house] : houseTemplates())
        if (slotKey(house) == key)
            return slot;
    return 0;
}

int DocumentSlot(int optionIndex, const QString& name)
{
    if (optionIndex == kOtherDocumentOption)
        return SlotOfTemplate(name);
    if (optionIndex < 0 || optionIndex > kLastSlotOption)
        return 0;
    return TemplateSlotForKind(optionIndex);
}

int GradeKindOfDocument(int slot, int windowDocKind)
{
    for (const SlotGrades& g : kSlotGrades)
        if (g.slot == slot)
            return windowDocKind == g.kinds[1] ? g.kinds[1] : g.kinds[0];
    return windowDocKind;
}

int TemplateSlotForKind(int optionIndex)
{
    if (optionIndex >= 0 && optionIndex < int(kSlots.size()))
        return kSlots[optionIndex];
    return kFirstSlot;
}

bool LaserPrinterInUse()
{
    return infNumber("TopPronter") == 1;
}

QString LaserTemplateName(const QString& name)
{
    if (name.isEmpty() || name.contains(QString::fromUtf8(kLaserWord)))
        return name;
    const QString extension = extensionOf(name);
    if (extension.isEmpty())
        return name;
    const QString stem = name.left(name.size() - extension.size() - 1);
    return stem + QLatin1Char(' ') + QString::fromUtf8(kLaserWord) + QLatin1Char('.') + extension;
}

QString TemplateNameForKind(int optionIndex)
{
    return TemplateNameForKind(optionIndex, LaserPrinterInUse());
}

QString TemplateNameForKind(int optionIndex, bool laser)
{
    const core::AppState& s = core::state();
    const int slot = TemplateSlotForKind(optionIndex);
    const QString column = QString::fromLatin1(s.OfficeIsOOo ? "oTmp" : "Tmp") + QString::number(slot);

    QString result;
    const qlonglong house = infNumber("IDT");
    if (house > 0) {
        const QString value = jet::toText(
            core::LookupFieldValue(QStringLiteral("SELECT * FROM SPTPGR WHERE IDT = ?"), column, {house}));
        result = laser ? LaserTemplateName(value) : value;
    }
    if (result.isEmpty()) {
        result = baseNameOfSlot(slot) + (laser ? QLatin1Char(' ') + QString::fromUtf8(kLaserWord) : QString())
            + QLatin1String(s.OfficeIsOOo ? ".ott" : ".dot");
    }
    return result;
}

QString TemplateExtension()
{
    return QLatin1String(core::state().OfficeIsOOo ? "ott" : "dot");
}

TemplateFile ResolveTemplate(const QString& name)
{
    TemplateFile out;
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return out;
    const QString folder = QDir::cleanPath(QDir(templatesFolder()).absolutePath());
    if (QDir::isAbsolutePath(trimmed)) {
        out.path = QDir::cleanPath(trimmed);
    } else {
        out.path = QDir::cleanPath(folder + QLatin1Char('/') + trimmed);
        if (!out.path.startsWith(folder + QLatin1Char('/'))) {
            out.status = TemplateFile::Outside;
            return out;
        }
    }
    if (!QFileInfo(out.path).isFile())
        out.status = TemplateFile::Missing;
    else if (QFileInfo(out.path).suffix().compare(TemplateExtension(), Qt::CaseInsensitive) != 0)
        out.status = TemplateFile::WrongFormat;
    else
        out.status = TemplateFile::Found;
    return out;
}

QString TemplateRefusal(const TemplateFile& file)
{
    const QString path = QDir::toNativeSeparators(file.path);
    switch (file.status) {
    case TemplateFile::Found:
        return {};
    case TemplateFile::Missing:
        return QStringLiteral("Файл шаблона не найден: ")
            + (path.isEmpty() ? QStringLiteral("имя шаблона не указано.") : path);
    case TemplateFile::Outside:
        return QStringLiteral("Шаблон должен находиться в папке \"Шаблоны ЭЖ\" или быть указан полным путем: ") + path
            + QLatin1Char('.');
    case TemplateFile::WrongFormat:
        return QStringLiteral("Файл не является шаблоном, либо не соответствует формату: ") + path
            + QStringLiteral(". Выберите файл с расширением *.") + TemplateExtension() + QLatin1Char('.');
    }
    return {};
}

} // namespace printing
