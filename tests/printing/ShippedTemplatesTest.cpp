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
#include <QSet>

#include <gtest/gtest.h>

TEST(ShippedTemplatesTest, EveryDefaultNameHasASourceWithBackgroundAndKnownPlaceholders)
{
    core::resetState();
    const char* names[] = {"Титул диплома", "Титул диплома с отличием", "Приложение к диплому",
                           "Академическая справка", "Кальвета"};
    for (int i = 0; i < 5; ++i)
        core::state().DefaultTemplateNames[i + 1] = QString::fromUtf8(names[i]);
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
    core::CloseDatabase();

    const QDir sources(testsupport::sourceDataFolder() + QStringLiteral("/templates/documents"));
    QSet<QString> shipped;
    for (const QFileInfo& f : sources.entryInfoList({QStringLiteral("*.fodt")}, QDir::Files))
        shipped << f.completeBaseName();
    EXPECT_EQ(wanted.size(), 38);  // 19 templates, each with its laser variant
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
