// Template names by print option, printing house, printer and office.
#include "core/AppState.h"
#include "core/DataAccess.h"
#include "newdb/NewDatabase.h"
#include "printing/TemplateNames.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

void setDefaultNames()
{
    printing::UseDefaultTemplateNames();
}

} // namespace

TEST(LaserTemplateNameTest, InsertsTheWordBeforeTheExtension)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Кальвета.dot", "Кальвета Лазерный.dot"},
        {"Приложение к диплому ПК Знак.dot", "Приложение к диплому ПК Знак Лазерный.dot"},
        {"Кальвета Знак Лазерный.dot", "Кальвета Знак Лазерный.dot"},
        {"Лазерный шаблон.ott", "Лазерный шаблон.ott"},
        {"", ""},
        {"Кальвета", "Кальвета"},                    // no extension
        {"/data/v1.2/Кальвета", "/data/v1.2/Кальвета"},  // a dot of a folder is no extension
        {"/data/шаблоны/Кальвета.ott", "/data/шаблоны/Кальвета Лазерный.ott"},
        {"C:\\Шаблоны\\Кальвета.v2.dot", "C:\\Шаблоны\\Кальвета.v2 Лазерный.dot"},
        {".dot", " Лазерный.dot"},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(printing::LaserTemplateName(QString::fromUtf8(name)), QString::fromUtf8(expected)) << name;
}

class TemplateNameForKindTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        core::resetState();
        setDefaultNames();
        testsupport::MessageRecorder quiet;
        ASSERT_TRUE(newdb::CreateNewDatabase(folder.file(QStringLiteral("names.db")), true));
    }
    void TearDown() override { core::CloseDatabase(); }
    static void setInf(const QVariant& house, const QVariant& printer)
    {
        core::db().execute(QStringLiteral("UPDATE INF SET IDT = ?, TopPronter = ?"), {house, printer});
    }
    testsupport::TempFolder folder;
};

TEST_F(TemplateNameForKindTest, TableOfCases)
{
    struct Case {
        bool ooo;
        QVariant house;    // INF.IDT
        QVariant printer;  // INF.TopPronter
        int code;          // print code
        const char* expected;
    };
    const QVariant none;  // Null
    const Case cases[] = {
        // No printing house: the default names.
        {false, none, none, 1, "Титул диплома.dot"},
        {false, 0, 0, 5, "Кальвета.dot"},
        {true, none, 1, 5, "Кальвета Лазерный.ott"},
        // Slots without a built-in name: the document's own name, never a
        // bare extension.
        {false, none, none, 9, "Титул свидетельства.dot"},
        {false, none, 1, 10, "Приложение к свидетельству Лазерный.dot"},
        {true, none, none, 6, "Титул диплома ПК.ott"},
        {false, none, 1, 7, "Приложение к диплому ПК Лазерный.dot"},
        {true, 0, 1, 8, "Удостоверение Лазерный.ott"},
        {true, none, none, 11, "Титул диплома.ott"},
        {false, none, none, 15, "Титул диплома.dot"},
        // House 6 (ОАО "КТ"), slots 5, 7, 8, 9 from its columns.
        {false, 6, 0, 5, "Кальвета КТ.dot"},
        {false, 6, 0, 4, "Кальвета КТ.dot"},      // the other document shares slot 5
        {true, 6, 0, 6, "Титул диплома ПК КТ.ott"},
        {true, 6, 1, 7, "Приложение к диплому ПК КТ Лазерный.ott"},
        {false, 6, 0, 8, "Удостоверение КТ.dot"},
        // Slots 1, 3 and 4 have no house column.
        {false, 6, 0, 2, "Приложение к диплому.dot"},
        {true, 6, 1, 3, "Академическая справка Лазерный.ott"},
        // A house without templates for slots 7 to 9, and a house that does
        // not exist.
        {false, 1, 0, 6, "Титул диплома ПК.dot"},
        {true, 2, 1, 7, "Приложение к диплому ПК Лазерный.ott"},
        {false, 3, 0, 8, "Удостоверение.dot"},
        {false, 99, 1, 5, "Кальвета Лазерный.dot"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        core::state().OfficeIsOOo = c.ooo;
        setInf(c.house, c.printer);
        EXPECT_EQ(printing::TemplateNameForKind(c.code - 1), QString::fromUtf8(c.expected));
    }
}

TEST_F(TemplateNameForKindTest, HouseValuesAsStored)
{
    setInf(4, 1);
    const auto setTmp5 = [](const char* value) {
        core::db().execute(QStringLiteral("UPDATE SPTPGR SET Tmp5 = ? WHERE IDT = 4"), {QString::fromUtf8(value)});
    };
    setTmp5("Кальвета Знак.dot");
    EXPECT_EQ(printing::TemplateNameForKind(4), QStringLiteral("Кальвета Знак Лазерный.dot"));
    setTmp5("Кальвета Знак Лазерный.dot");
    EXPECT_EQ(printing::TemplateNameForKind(4), QStringLiteral("Кальвета Знак Лазерный.dot"));
    setTmp5("Мой шаблон");  // no extension: used as it is
    EXPECT_EQ(printing::TemplateNameForKind(4), QStringLiteral("Мой шаблон"));
    setTmp5("");
    EXPECT_EQ(printing::TemplateNameForKind(4), QStringLiteral("Кальвета Лазерный.dot"));
    // Without a database every name is the default one.
    core::CloseDatabase();
    EXPECT_EQ(printing::TemplateNameForKind(4), QStringLiteral("Кальвета.dot"));
}

TEST_F(TemplateNameForKindTest, TheDocumentOfATemplateAndTheGradeLinesItPrints)
{
    // A template file stands for the slot whose base name or printing
    // house's template it bears, in either printer's variant.
    core::db().execute(QStringLiteral("UPDATE SPTPGR SET Tmp8 = 'Вкладыш ПК нашей типографии.dot' WHERE IDT = 1"));
    const std::pair<const char*, int> bySlot[] = {
        {"Титул диплома.ott", 1},
        {"Титул диплома с отличием Лазерный.dot", 2},
        {"Приложение к диплому.ott", 3},
        {"ПРИЛОЖЕНИЕ К ДИПЛОМУ ЛАЗЕРНЫЙ.DOT", 3},
        {"Академическая справка.dot", 4},
        {"Кальвета.ott", 5},
        {"Кальвета КТ Лазерный.ott", 5},  // a printing house's
        {"Титул диплома ПК Знак.dot", 7},
        {"Приложение к диплому ПК.ott", 8},
        {"Вкладыш ПК нашей типографии Лазерный.dot", 8},
        {"/home/секретарь/бланки/Удостоверение КТ.dot", 9},
        {"Типография\\Удостоверение.ott", 9},
        {"Свой бланк.ott", 0},
        {"", 0},
    };
    for (const auto& [name, slot] : bySlot)
        EXPECT_EQ(printing::SlotOfTemplate(QString::fromUtf8(name)), slot) << name;

    // The document an option prints: its slot's; "Прочее" by the template.
    struct Document {
        int code;
        const char* templateName;
        int slot;
    };
    const Document documents[] = {
        {core::DiplomaSupplement, "Свой бланк.ott", 3},
        {core::OtherDocument, "Приложение к диплому.ott", 3},
        {core::OtherDocument, "Кальвета.ott", 5},
        {core::OtherDocument, "Свой бланк.ott", 0},
        {core::CompletionCertificate, "Удостоверение.dot", 9},
        {core::AcademicTranscriptSupplement, "Титул диплома.dot", 0},  // borrows slot 1's template
    };
    for (const Document& d : documents)
        EXPECT_EQ(printing::DocumentSlot(d.code - 1, QString::fromUtf8(d.templateName)), d.slot) << d.code;

    // Whichever window prints it, a document takes its own grade lines.
    struct Grades {
        int slot;
        int window;
        int kind;
    };
    const Grades grades[] = {
        {3, core::RetrainingDocuments, core::Documents},
        {3, core::StudentsWindow, core::Documents},
        {1, core::AcademicTranscripts, core::Documents},
        {4, core::Documents, core::Documents},
        {4, core::AcademicTranscripts, core::AcademicTranscripts},
        {4, core::RetrainingDocuments, core::Documents},
        {8, core::Documents, core::RetrainingDocuments},
        {9, core::StudentsWindow, core::RetrainingDocuments},
        {5, core::RetrainingDocuments, core::SpecialistCertificates},
        {10, core::Documents, core::TrainingCertificates},
        {0, core::RetrainingDocuments, core::RetrainingDocuments},  // a document of no slot: the window's
        {0, core::StudentsWindow, core::StudentsWindow},
    };
    for (const Grades& g : grades)
        EXPECT_EQ(printing::GradeKindOfDocument(g.slot, g.window), g.kind) << g.slot << " " << g.window;
}

TEST(ResolveTemplateTest, OneWayForEveryNameAndOnlyTemplatesOfTheFormat)
{
    core::resetState();
    testsupport::TempFolder app;
    core::state().AppPath = app.path();
    const QDir templates(app.file(QStringLiteral("Шаблоны ЭЖ")));
    ASSERT_TRUE(templates.mkpath(QStringLiteral("Типография")));
    ASSERT_TRUE(templates.mkpath(QStringLiteral("Папка.ott")));
    testsupport::TempFolder elsewhere;
    for (const QString& path : {templates.filePath(QStringLiteral("Кальвета.ott")),
                                templates.filePath(QStringLiteral("Типография/Кальвета.ott")),
                                templates.filePath(QStringLiteral("Заметка.txt")), app.file(QStringLiteral("Чужой.ott")),
                                elsewhere.file(QStringLiteral("Свой.ott")), elsewhere.file(QStringLiteral("Список.txt"))}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    }
    using printing::TemplateFile;
    struct Case {
        QString name;
        bool ooo;
        TemplateFile::Status status;
        QString path;
    };
    const Case cases[] = {
        {QStringLiteral("Кальвета.ott"), true, TemplateFile::Found, templates.filePath(QStringLiteral("Кальвета.ott"))},
        {QStringLiteral(" Кальвета.ott "), true, TemplateFile::Found, templates.filePath(QStringLiteral("Кальвета.ott"))},
        // Folders of the templates folder are taken from it, never from the
        // process's current folder.
        {QStringLiteral("Типография/Кальвета.ott"), true, TemplateFile::Found,
         templates.filePath(QStringLiteral("Типография/Кальвета.ott"))},
        {QStringLiteral("Типография/../Кальвета.ott"), true, TemplateFile::Found,
         templates.filePath(QStringLiteral("Кальвета.ott"))},
        {QStringLiteral("../Чужой.ott"), true, TemplateFile::Outside, app.file(QStringLiteral("Чужой.ott"))},
        {QStringLiteral("Типография/../../Чужой.ott"), true, TemplateFile::Outside, app.file(QStringLiteral("Чужой.ott"))},
        // A full path is taken as it is.
        {elsewhere.file(QStringLiteral("Свой.ott")), true, TemplateFile::Found, elsewhere.file(QStringLiteral("Свой.ott"))},
        // Only a template of the office in use.
        {QStringLiteral("Кальвета.ott"), false, TemplateFile::WrongFormat, templates.filePath(QStringLiteral("Кальвета.ott"))},
        {QStringLiteral("Заметка.txt"), true, TemplateFile::WrongFormat, templates.filePath(QStringLiteral("Заметка.txt"))},
        {elsewhere.file(QStringLiteral("Список.txt")), true, TemplateFile::WrongFormat,
         elsewhere.file(QStringLiteral("Список.txt"))},
        {QStringLiteral("Нет такого.ott"), true, TemplateFile::Missing, templates.filePath(QStringLiteral("Нет такого.ott"))},
        {QStringLiteral("Папка.ott"), true, TemplateFile::Missing, templates.filePath(QStringLiteral("Папка.ott"))},
        {QString(), true, TemplateFile::Missing, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString() + (c.ooo ? " ooo" : " word"));
        core::state().OfficeIsOOo = c.ooo;
        const TemplateFile file = printing::ResolveTemplate(c.name);
        EXPECT_EQ(file.status, c.status);
        EXPECT_EQ(file.path, c.path);
        EXPECT_EQ(printing::TemplateRefusal(file).isEmpty(), c.status == TemplateFile::Found);
    }
}
