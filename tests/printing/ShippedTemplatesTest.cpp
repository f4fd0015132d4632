// The shipped document templates: one source for every name the built-in
// defaults and the default printing houses produce, each with the scanned
// blank's outline and only placeholders the fill step knows, frames named
// each its own, and what each asks about before printing known without the
// office.
#include "DocumentPrintFixtures.h"

#include "core/AppState.h"
#include "core/DataAccess.h"
#include "newdb/NewDatabase.h"
#include "platform/office/TemplateDocument.h"
#include "printing/Placeholders.h"
#include "printing/PrintQuestions.h"
#include "printing/TemplateNames.h"
#include "printing/TemplatePackage.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRectF>
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
        // The head signs through [РУКОВОДИТЕЛЬ], which a duplicate of a
        // liquidated institution leaves empty for the authority's position.
        {"Титул диплома", false, {"Руководитель образовательной", "М.П."},
         {"[РУКОВОДИТЕЛЬ]", "[SPGRUP.FIOGAK]", "[DUBL]", "[ДУБЛИКАТ.ДОЛЖНОСТЬ]"}, {"[Otl]", "[INF.FIORUK]"}},
        {"Титул диплома с отличием", false, {"С ОТЛИЧИЕМ", "Руководитель образовательной", "М.П."},
         {"[РУКОВОДИТЕЛЬ]", "[DUBL]", "[ДУБЛИКАТ.ДОЛЖНОСТЬ]"}, {"[Otl]", "[INF.FIORUK]"}},
        // Section 4 and the signatures follow the grades wherever they end.
        {"Приложение к диплому", true, {"ПРИЛОЖЕНИЕ К ДИПЛОМУ"},
         {"4. ДОПОЛНИТЕЛЬНЫЕ СВЕДЕНИЯ", "[INF.Change]", "[SPGRUP.DOPOL]", "[DOPOL]",
          "[РУКОВОДИТЕЛЬ.ДОЛЖНОСТЬ]<text:tab/>[РУКОВОДИТЕЛЬ]", "М.П.", "[DUBL]", "[ДОКУМЕНТ ОБ ОБРАЗОВАНИИ]",
          "[УРОВЕНЬ.ПОДГОТОВКИ] [ФОРМА.ОБУЧЕНИЯ]"},
         {"[INF.FIORUK]", "[ДУБЛИКАТ.ДОЛЖНОСТЬ]", "[УРОВЕНЬ.NAIM]", "[ФОРМА.NAIM2]"}},
        {"Академическая справка", true, {"Отчислен(а) приказом", "(наименование образовательной организации)"},
         {"[PROTCH]", "[РУКОВОДИТЕЛЬ.ДОЛЖНОСТЬ]<text:tab/>[РУКОВОДИТЕЛЬ]", "Секретарь<text:tab/>[SPGRUP.FIOSEK]",
          "М.П.", "[DUBL]", "[ДОКУМЕНТ ОБ ОБРАЗОВАНИИ]"},
         {"[INF.FIORUK]", "[ДУБЛИКАТ.ДОЛЖНОСТЬ]"}},
        {"Кальвета КТ", false, {"М.П."}, {"[DUBLMED]", "[REGNOMMED]", "[SPGRUP.DatMed.ПРОПИСЬЮ]"},
         {"[ДАТА ВЫДАЧИ]", "[ДЕНЬ]", "[DUBL]"}},
        // The retraining documents of a duplicate say so too.
        {"Титул диплома ПК", false, {"Решение аттестационной комиссии", "Секретарь", "М.П."},
         {"[SPGRUP.DatGAK.ПРОПИСЬЮ]", "[SPGRUP.PRGAK]", "[SPGRUP.FIOSEK]", "[DUBL]"}, {}},
        {"Приложение к диплому ПК Знак", true, {"Секретарь", "М.П."}, {"[SPGRUP.FIOSEK]", "[DUBL]"}, {}},
        {"Удостоверение КТ", false, {"Секретарь", "М.П."}, {"[SPGRUP.FIOSEK]", "[DUBL]"}, {}},
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

namespace {

// A field frame of a template source: its name, place and text.
struct FieldFrame {
    QString name;
    QRectF mm;
    QString text;
};

QList<FieldFrame> fieldFrames(const QString& xml)
{
    QList<FieldFrame> out;
    static const QRegularExpression frame(QStringLiteral(
        "<draw:frame draw:style-name=\"Field\" draw:name=\"([^\"]*)\"[^>]*svg:x=\"([0-9.]+)mm\" svg:y=\"([0-9.]+)mm\" "
        "svg:width=\"([0-9.]+)mm\" svg:height=\"([0-9.]+)mm\"[^>]*><draw:text-box><text:p[^>]*>([^<]*)</text:p>"));
    for (auto it = frame.globalMatch(xml); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out.push_back({m.captured(1),
                       QRectF(m.captured(2).toDouble(), m.captured(3).toDouble(), m.captured(4).toDouble(),
                              m.captured(5).toDouble()),
                       m.captured(6)});
    }
    return out;
}

QStringList shippedSources()
{
    const QDir sources(testsupport::sourceDataFolder() + QStringLiteral("/templates/documents"));
    QStringList out;
    for (const QFileInfo& f : sources.entryInfoList({QStringLiteral("*.fodt")}, QDir::Files, QDir::Name))
        out << f.absoluteFilePath();
    return out;
}

QString readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

TEST(ShippedTemplatesTest, EveryFrameHasANameOfItsOwnAndADuplicateStandsUnderTheTitle)
{
    const QStringList sources = shippedSources();
    ASSERT_EQ(sources.size(), 40);
    for (const QString& source : sources) {
        SCOPED_TRACE(QFileInfo(source).completeBaseName().toStdString());
        const QString xml = readAll(source);
        // Every frame and picture by a name of its own: the adjustment
        // window finds a moved frame in the saved file by it.
        static const QRegularExpression named(QStringLiteral("<draw:frame[^>]* draw:name=\"([^\"]*)\""));
        QStringList names;
        for (auto it = named.globalMatch(xml); it.hasNext();)
            names << it.next().captured(1);
        const QSet<QString> distinct(names.begin(), names.end());
        EXPECT_EQ(distinct.size(), names.size()) << names.join(QLatin1Char('|')).toStdString();

        // "ДУБЛИКАТ" has a line of its own under the title, above the
        // registration number, beside no other field.
        const QList<FieldFrame> frames = fieldFrames(xml);
        ASSERT_GT(frames.size(), 5);
        const FieldFrame* duplicate = nullptr;
        const FieldFrame* number = nullptr;
        for (const FieldFrame& f : frames) {
            if (f.text == QLatin1String("[DUBL]") || f.text == QLatin1String("[DUBLMED]"))
                duplicate = &f;
            if (f.text.startsWith(QLatin1String("[REGNOM")) || f.text == QLatin1String("[regnomDoc]")
                || f.text == QLatin1String("[regnomUd]"))
                number = &f;
        }
        ASSERT_NE(duplicate, nullptr);
        ASSERT_NE(number, nullptr);
        EXPECT_LE(duplicate->mm.bottom(), number->mm.top());
        for (const FieldFrame& f : frames) {
            if (&f != duplicate) {
                EXPECT_FALSE(f.mm.intersects(duplicate->mm)) << f.name.toStdString();
            }
        }
    }
}

TEST(ShippedTemplatesTest, WhatATemplateAsksAboutIsKnownBeforeTheOfficeStarts)
{
    core::resetState();
    printing::UseDefaultTemplateNames();
    testsupport::TempFolder folder;
    {
        testsupport::MessageRecorder quiet;
        ASSERT_TRUE(newdb::CreateNewDatabase(folder.file(QStringLiteral("t.db")), true));
    }
    // A person with nothing, and one with every number, date and a grade.
    printing::DocumentData nothing;
    printing::DocumentData everything;
    for (const char* column : {"REGNOM", "REGNOMMED", "REGNOMDOC", "REGNOMUD"})
        everything.person.insert(QString::fromLatin1(column), QStringLiteral("17"));
    everything.person.insert(QStringLiteral("DAT"), QDate(2014, 11, 3));
    everything.group.insert(QStringLiteral("DATMED"), QDate(2014, 6, 28));
    everything.issueDate = QDate(2014, 11, 3);
    everything.grades.push_back({QStringLiteral("Анатомия"), QStringLiteral("72"), QStringLiteral("отлично")});

    const QDir built(testsupport::builtTemplatesFolder());
    const bool haveBuilt = QFileInfo::exists(built.filePath(QStringLiteral("Кальвета.ott")));
    for (const QString& source : shippedSources()) {
        const QString name = QFileInfo(source).completeBaseName();
        SCOPED_TRACE(name.toStdString());
        const QStringList tokens = printtest::bracketedTexts(readAll(source));
        // A Word template, which only the office reads, asks what its
        // slot's document prints.
        const int slot = printing::SlotOfTemplate(name + QStringLiteral(".dot"));
        ASSERT_GT(slot, 0);
        const QStringList slotPrints = printing::SlotPrints(slot);
        for (const printing::DocumentData* data : {&nothing, &everything}) {
            EXPECT_EQ(printing::MissingIssueDetails(slotPrints, *data), printing::MissingIssueDetails(tokens, *data));
            EXPECT_EQ(printing::GradeTableStaysEmpty(slotPrints, *data), printing::GradeTableStaysEmpty(tokens, *data));
        }
        if (!haveBuilt)
            continue;
        // A Writer template is read from its package as the office reads it.
        const QString ott = built.filePath(name + QStringLiteral(".ott"));
        const std::optional<QStringList> package = printing::PackagePlaceholders(ott);
        ASSERT_TRUE(package.has_value());
        office::TemplateDocument doc = office::TemplateDocument::openReadOnly(ott);
        const QStringList seen = doc.placeholders();
        doc.close();
        EXPECT_EQ(QSet<QString>(package->begin(), package->end()), QSet<QString>(seen.begin(), seen.end()));
        EXPECT_EQ(QSet<QString>(package->begin(), package->end()), QSet<QString>(tokens.begin(), tokens.end()));
        EXPECT_FALSE(printing::PackagePlaceholders(built.filePath(name + QStringLiteral(".dot"))).has_value());
    }
    core::CloseDatabase();
    // Nothing to read: no file, a file of noise, an empty file.
    const QString noise = folder.file(QStringLiteral("шум.ott"));
    {
        QFile f(noise);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("PK\x05\x06", 4) + QByteArray(40, '\x7f'));
        QFile empty(folder.file(QStringLiteral("пусто.ott")));
        ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    }
    for (const QString& path : {folder.file(QStringLiteral("нет.ott")), noise, folder.file(QStringLiteral("пусто.ott"))})
        EXPECT_FALSE(printing::PackagePlaceholders(path).has_value()) << path.toStdString();
}
