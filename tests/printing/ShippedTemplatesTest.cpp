// The shipped document templates: one source for every name the built-in
// defaults and the default printing houses produce, each with the scanned
// blank's outline and only placeholders the fill step knows.
#include "DocumentPrintFixtures.h"

#include "core/AppState.h"
#include "core/DataAccess.h"
#include "newdb/NewDatabase.h"
#include "printing/Placeholders.h"
#include "printing/TemplateNames.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <vector>

TEST(ShippedTemplatesTest, EveryDefaultNameHasASourceWithBackgroundAndKnownPlaceholders)
{
    core::resetState();
    printing::UseDefaultTemplateNames();
    testsupport::TempFolder folder;
    {
        testsupport::MessageRecorder quiet;
        ASSERT_TRUE(newdb::CreateNewDatabase(folder.file(QStringLiteral("t.db")), true));
    }
    const QList<QVariant> houses{QVariant(), 1, 2, 3, 4, 5, 6, 7};
    const int codes[] = {1, 2, 3, 4, 5, 6, 7, 8};  // the forms the dialog shows
    QSet<QString> wanted;
    for (const QVariant& house : houses)
        for (int laser = 0; laser < 2; ++laser)
            for (int ooo = 0; ooo < 2; ++ooo) {
                core::db().execute(QStringLiteral("UPDATE INF SET IDT = ?, TopPronter = ?"), {house, laser});
                core::state().OfficeIsOOo = ooo;
                for (int code : codes) {
                    const QString name = printing::TemplateNameForKind(code - 1);
                    if (!QFileInfo(name).completeBaseName().trimmed().isEmpty()
                        && !QFileInfo(name).completeBaseName().startsWith(QLatin1Char(' ')))
                        wanted << QFileInfo(name).completeBaseName();
                }
            }
    // The honours title, which no option proposes: chosen through "Прочее".
    wanted << core::state().DefaultTemplateNames[2]
           << printing::LaserTemplateName(core::state().DefaultTemplateNames[2] + QStringLiteral(".ott")).chopped(4);
    core::CloseDatabase();

    const QDir sources(testsupport::sourceDataFolder() + QStringLiteral("/templates/documents"));
    QSet<QString> shipped;
    for (const QFileInfo& f : sources.entryInfoList({QStringLiteral("*.fodt")}, QDir::Files))
        shipped << f.completeBaseName();
    EXPECT_EQ(wanted.size(), 40);  // 20 templates, each with its laser variant
    for (const QString& name : wanted)
        EXPECT_TRUE(shipped.contains(name)) << name.toStdString();
    for (const QString& name : shipped)
        EXPECT_TRUE(wanted.contains(name)) << "shipped but never proposed: " << name.toStdString();

    for (const QString& name : shipped) {
        SCOPED_TRACE(name.toStdString());
        QFile f(sources.filePath(name + QStringLiteral(".fodt")));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString xml = QString::fromUtf8(f.readAll());
        EXPECT_TRUE(xml.contains(QStringLiteral("draw:name=\"Подложка\"")));
        const QStringList placeholders = printtest::bracketedTexts(xml);
        EXPECT_FALSE(placeholders.isEmpty());
        for (const QString& p : placeholders)
            EXPECT_NE(printing::FindPlaceholder(p), nullptr) << p.toStdString();
    }
}

TEST(ShippedTemplatesTest, BuiltTemplatesAreThereInBothFormats)
{
    const QDir built(testsupport::builtTemplatesFolder());
    const QDir sources(testsupport::sourceDataFolder() + QStringLiteral("/templates/documents"));
    if (!QFileInfo::exists(built.filePath(QStringLiteral("Кальвета.ott"))))
        GTEST_SKIP() << "the build made no document templates (no office at build time)";
    for (const QFileInfo& f : sources.entryInfoList({QStringLiteral("*.fodt")}, QDir::Files))
        for (const char* extension : {".ott", ".dot"})
            EXPECT_TRUE(QFileInfo::exists(built.filePath(f.completeBaseName() + QString::fromLatin1(extension))))
                << f.completeBaseName().toStdString() << extension;
}

TEST(ShippedTemplatesTest, HelpAndManualListEveryPlaceholder)
{
    for (const char* page : {"/Помощник ЭЖ/shablony.htm", "/manual/manual.html"}) {
        QFile f(testsupport::sourceDataFolder() + QString::fromUtf8(page));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << page;
        const QString html = QString::fromUtf8(f.readAll());
        for (const printing::Placeholder& p : printing::PlaceholderTable())
            EXPECT_TRUE(html.contains(QStringLiteral("<b>%1</b>").arg(p.token))) << page << " " << p.token.toStdString();
    }
}

namespace {

// The texts of the outline pictures of a template source, by picture name.
QMap<QString, QString> outlines(const QString& xml)
{
    QMap<QString, QString> out;
    static const QRegularExpression picture(QStringLiteral(
        "draw:name=\"(Подложка[^\"]*)\"[^>]*><draw:image><office:binary-data>([^<]*)</office:binary-data>"));
    for (auto it = picture.globalMatch(xml); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out.insert(m.captured(1), QString::fromUtf8(QByteArray::fromBase64(m.captured(2).toLatin1())));
    }
    return out;
}

} // namespace

TEST(ShippedTemplatesTest, BlanksCarryTheirSignaturesSealAndBack)
{
    struct Kind {
        const char* name;
        bool back;                          // a second side with an outline of its own
        std::vector<const char*> outline;   // wording of the blank, on either side
        std::vector<const char*> fields;    // placeholders and printed wording of the template
        std::vector<const char*> absent;    // placeholders it must not hold
    };
    const Kind kinds[] = {
        {"Титул диплома", false, {"Руководитель образовательной", "М.П."},
         {"[INF.isIO] [INF.FIORUK]", "[SPGRUP.FIOGAK]", "[DUBL]", "[ДУБЛИКАТ.ДОЛЖНОСТЬ]"}, {"[Otl]"}},
        {"Титул диплома с отличием", false, {"С ОТЛИЧИЕМ", "Руководитель образовательной", "М.П."},
         {"[INF.isIO] [INF.FIORUK]", "[DUBL]"}, {"[Otl]"}},
        // Section 4 and the signatures follow the grades wherever they end.
        {"Приложение к диплому", true, {"ПРИЛОЖЕНИЕ К ДИПЛОМУ"},
         {"4. ДОПОЛНИТЕЛЬНЫЕ СВЕДЕНИЯ", "[INF.Change]", "[SPGRUP.DOPOL]", "[DOPOL]",
          "Руководитель образовательной организации<text:tab/>[INF.isIO] [INF.FIORUK]", "М.П.", "[DUBL]",
          "[ДУБЛИКАТ.ДОЛЖНОСТЬ]", "[ДОКУМЕНТ ОБ ОБРАЗОВАНИИ]"},
         {}},
        {"Академическая справка", true, {"Отчислен(а) приказом", "(наименование образовательной организации)"},
         {"[PROTCH]", "Руководитель образовательной организации<text:tab/>[INF.isIO] [INF.FIORUK]",
          "Секретарь<text:tab/>[SPGRUP.FIOSEK]", "М.П.", "[DUBL]", "[ДУБЛИКАТ.ДОЛЖНОСТЬ]",
          "[ДОКУМЕНТ ОБ ОБРАЗОВАНИИ]"},
         {}},
        {"Кальвета КТ", false, {"М.П."}, {"[DUBLMED]", "[REGNOMMED]", "[SPGRUP.DatMed.ПРОПИСЬЮ]"},
         {"[ДАТА ВЫДАЧИ]", "[ДЕНЬ]"}},
        {"Титул диплома ПК", false, {"Решение аттестационной комиссии", "Секретарь", "М.П."},
         {"[SPGRUP.DatGAK.ПРОПИСЬЮ]", "[SPGRUP.PRGAK]", "[SPGRUP.FIOSEK]"}, {}},
        {"Приложение к диплому ПК Знак", true, {"Секретарь", "М.П."}, {"[SPGRUP.FIOSEK]"}, {}},
        {"Удостоверение КТ", false, {"Секретарь", "М.П."}, {"[SPGRUP.FIOSEK]"}, {}},
    };
    const QDir sources(testsupport::sourceDataFolder() + QStringLiteral("/templates/documents"));
    for (const Kind& kind : kinds)
        for (const QString& name : {QString::fromUtf8(kind.name), QString::fromUtf8(kind.name) + QStringLiteral(" Лазерный")}) {
            SCOPED_TRACE(name.toStdString());
            QFile f(sources.filePath(name + QStringLiteral(".fodt")));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            const QString xml = QString::fromUtf8(f.readAll());
            const QMap<QString, QString> pictures = outlines(xml);
            QStringList expected{QStringLiteral("Подложка")};
            if (kind.back)
                expected << QStringLiteral("Подложка оборота");
            EXPECT_EQ(pictures.keys(), expected);
            const QString wording = QStringList(pictures.values()).join(QLatin1Char('\n'));
            for (const char* text : kind.outline)
                EXPECT_TRUE(wording.contains(QString::fromUtf8(text).toHtmlEscaped())) << text;
            for (const char* field : kind.fields)
                EXPECT_TRUE(xml.contains(QString::fromUtf8(field))) << field;
            for (const char* field : kind.absent)
                EXPECT_FALSE(xml.contains(QString::fromUtf8(field))) << field;
            // A value that may be missing brings no marks of its own.
            for (const char* mark : {"«[", "] г.", "№ ["})
                EXPECT_FALSE(xml.contains(QString::fromUtf8(mark))) << mark;
        }
}
