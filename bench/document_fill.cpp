// Filling one specialist certificate from a shipped template (reading the
// person, replacing the placeholders, removing the scanned blank, storing
// the document) against loading the same template without its scanned
// blank and storing it unchanged (the document the fill stores, less the
// texts), both in the same headless office. Prints the ratio of the two
// times as "document fill/load-store ratio: <x>".
#include "core/AppState.h"
#include "core/DataAccess.h"
#include "newdb/NewDatabase.h"
#include "platform/office/UnoSupport.h"
#include "platform/office/Office.h"
#include "platform/office/TemplateDocument.h"
#include "platform/ui/Messages.h"
#include "printing/DocumentFill.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/XModel.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

constexpr int kRuns = 5;
const char* const kTemplate = "Кальвета КТ";

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// The fill step leaves its document open for the user: closed here.
void closeDocument(const QString& path)
{
    using namespace office::uno;
    const QUrl wanted = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    auto e = desktop()->getComponents()->createEnumeration();
    while (e->hasMoreElements()) {
        Reference<css::frame::XModel> model(e->nextElement(), UNO_QUERY);
        if (model.is() && QUrl(toQ(model->getURL())) == wanted)
            closeComponent(Reference<css::lang::XComponent>(model, UNO_QUERY));
    }
}

long makePerson()
{
    auto& db = core::db();
    db.execute(QStringLiteral("UPDATE INF SET NAIM = ?, GORODMED = ?"),
               {QStringLiteral("Медицинский колледж № 1"), QStringLiteral("г. Энск")});
    db.execute(QStringLiteral("INSERT INTO SPGRUP (NAIM, IDM, DatMed, DatGAKMed, PRGAKMed) VALUES (?, 1, ?, ?, ?)"),
               {QStringLiteral("Ф-21"), QDate(2024, 3, 5), QDate(2024, 3, 1), QStringLiteral("17")});
    const qlonglong group = db.lastInsertKey();
    db.execute(QStringLiteral("INSERT INTO SPSTUD (IDG, FAM, IM, OTCH, REGNOMMED, NOMMED) VALUES (?, ?, ?, ?, ?, ?)"),
               {group, QStringLiteral("Смирнова"), QStringLiteral("Анна"), QStringLiteral("Петровна"),
                QStringLiteral("0112-24"), QStringLiteral("1177 0012345")});
    return long(db.lastInsertKey());
}

double loadAndStore(const QString& templatePath, const QString& target)
{
    const auto start = Clock::now();
    office::TemplateDocument doc = office::TemplateDocument::fromTemplate(templatePath);
    doc.storeAs(target);
    const double t = seconds(start);
    doc.close();
    return t;
}

double fill(long id, const QString& templateName)
{
    const auto start = Clock::now();
    const printing::PrintOutcome outcome = printing::PrintVkladish(
        {id, core::SpecialistCertificate, templateName, false, core::SpecialistCertificates,
         QStringLiteral("Кальвета")});
    const double t = seconds(start);
    if (!outcome.saved)
        throw office::Error(office::ErrorKind::Failed, QStringLiteral("документ не сохранен"));
    closeDocument(outcome.documentPath);
    return t;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("KALVETA_HOME", home.path().toUtf8());
    qputenv("KALVETA_HEADLESS_OFFICE", "1");
    QApplication app(argc, argv);
    ui::setMessageHandler([](const ui::MessageRequest& r) {
        std::fprintf(stderr, "message: %s\n", qPrintable(r.text));
        return int(ui::Ok);
    });
    core::state().AppPath = home.path();
    core::state().OfficeIsOOo = true;
    if (!newdb::CreateNewDatabase(QDir(home.path()).filePath(QStringLiteral("bench.db")), true))
        return 2;
    const long id = makePerson();

    office::Office& o = office::Office::instance();
    o.setDataFolder(home.path());
    o.setHeadless(true);
    try {
        o.ensureRunning();
        const QDir templates(QDir(home.path()).filePath(QStringLiteral("Шаблоны ЭЖ")));
        QDir().mkpath(templates.path());
        const QString name = QString::fromUtf8(kTemplate) + QStringLiteral(".ott");
        const QString templatePath = templates.filePath(name);
        {
            office::TemplateDocument source = office::TemplateDocument::openReadOnly(
                QStringLiteral(KALVETA_SOURCE_DATA_DIR "/templates/documents/") + QString::fromUtf8(kTemplate)
                + QStringLiteral(".fodt"));
            source.storeAs(templatePath);
            source.close();
        }
        // The same template without its scanned blank, made once.
        const QString bareTemplate = QDir(home.path()).filePath(QStringLiteral("без подложки.ott"));
        {
            office::TemplateDocument bare = office::TemplateDocument::openReadOnly(templatePath);
            bare.removePictures(QString::fromUtf8(printing::kBackgroundPicturePrefix));
            bare.storeAs(bareTemplate);
            bare.close();
        }
        const QDir out(QDir(home.path()).filePath(QStringLiteral("bench")));
        QDir().mkpath(out.path());
        int n = 0;
        const auto target = [&] { return out.filePath(QStringLiteral("копия %1.odt").arg(++n)); };

        loadAndStore(bareTemplate, target());  // warm-up: the first document of an office is slower
        fill(id, name);
        double base = 1e9, filled = 1e9;
        for (int i = 0; i < kRuns; ++i) {
            base = std::min(base, loadAndStore(bareTemplate, target()));
            filled = std::min(filled, fill(id, name));
        }
        std::printf("template: %s\n", qPrintable(name));
        std::printf("load without the blank and store:     %.1f ms\n", base * 1000);
        std::printf("fill one certificate:                 %.1f ms\n", filled * 1000);
        std::printf("document fill/load-store ratio: %.2f\n", filled / base);
        core::CloseDatabase();
        o.shutdown();
        return filled / base <= 1.5 ? 0 : 1;
    } catch (const office::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        o.shutdown();
        return 2;
    }
}
