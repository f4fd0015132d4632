// Filling one document from a shipped template (reading the person,
// replacing the placeholders, filling the grade table and seeing that it
// lies on the blank's pages, removing the scanned blank, storing the
// document) against the least work that stores the same document, both in
// the same headless office. For the certificate that is loading the
// template without its scanned blank and storing it unchanged in the same
// format (the document the fill stores, less a few texts); for a
// supplement, whose table the fill makes 40 rows long, loading the finished
// document itself and storing it again. Four lines: the specialist
// certificate and a supplement with 40 grade lines, each stored as .odt and
// as .doc; each prints the ratio of the two times as
// "<line> fill/load-store ratio: <x>".
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
#include <QFile>
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

constexpr int kRuns = 9;

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

struct People {
    long certificateHolder = 0;
    long graduate = 0;  // with 40 grade lines
};

People makePeople()
{
    auto& db = core::db();
    db.execute(QStringLiteral("UPDATE INF SET NAIM = ?, GORODMED = ?"),
               {QStringLiteral("Медицинский колледж № 1"), QStringLiteral("г. Энск")});
    db.execute(QStringLiteral("INSERT INTO SPGRUP (NAIM, IDM, DatMed, DatGAKMed, PRGAKMed, Spec, KVAL, NormTime) "
                              "VALUES (?, 1, ?, ?, ?, ?, ?, ?)"),
               {QStringLiteral("Ф-21"), QDate(2024, 3, 5), QDate(2024, 3, 1), QStringLiteral("17"),
                QStringLiteral("34.02.01 Сестринское дело"), QStringLiteral("Медицинская сестра"),
                QStringLiteral("2 года 10 месяцев")});
    const qlonglong group = db.lastInsertKey();
    People out;
    db.execute(QStringLiteral("INSERT INTO SPSTUD (IDG, FAM, IM, OTCH, REGNOMMED, NOMMED) VALUES (?, ?, ?, ?, ?, ?)"),
               {group, QStringLiteral("Смирнова"), QStringLiteral("Анна"), QStringLiteral("Петровна"),
                QStringLiteral("0112-24"), QStringLiteral("1177 0012345")});
    out.certificateHolder = long(db.lastInsertKey());
    db.execute(QStringLiteral("INSERT INTO SPSTUD (IDG, FAM, IM, OTCH, REGNOM, PRIL, Dat, D_R) "
                              "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
               {group, QStringLiteral("Кузнецов"), QStringLiteral("Иван"), QStringLiteral("Сергеевич"),
                QStringLiteral("17910"), QStringLiteral("43 ПА 0008904"), QDate(2024, 6, 27), QDate(2003, 7, 11)});
    out.graduate = long(db.lastInsertKey());
    // 40 lines as a supplement has them: sections in bold, disciplines with
    // names of one and two lines, hours and grades.
    const QStringList grades{QStringLiteral("отлично"), QStringLiteral("хорошо"), QStringLiteral("удовлетво-рительно"),
                             QStringLiteral("зачтено")};
    for (int i = 1; i <= 40; ++i) {
        const bool heading = i % 10 == 1;
        const QString name = heading ? QStringLiteral("Профессиональный модуль %1").arg(i / 10 + 1)
            : i % 3 == 0 ? QStringLiteral("Основы профилактики и организация сестринской помощи, раздел %1").arg(i)
                         : QStringLiteral("Дисциплина %1").arg(i);
        db.execute(QStringLiteral("INSERT INTO SPPRED (NAIM, isNotPred) VALUES (?, ?)"), {name, heading ? -1 : 0});
        const qlonglong discipline = db.lastInsertKey();
        const QVariant grade = heading ? QVariant()
                                       : db.scalar(QStringLiteral("SELECT IDB FROM SPBALL WHERE NAIM = ?"),
                                                   {grades[i % grades.size()]});
        db.execute(QStringLiteral("INSERT INTO EXAM (ID, IDD, IDB, CH, SORT, VidDokum) VALUES (?, ?, ?, ?, ?, ?)"),
                   {qlonglong(out.graduate), discipline, grade, QString::number(36 + i % 5 * 18), i,
                    core::vidDokumOf(core::Documents)});
    }
    return out;
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

struct Line {
    const char* caption;
    const char* templateName;
    bool ooo;  // stored as .odt
    int blankKind;
    int docKind;
    bool supplement;
};

const Line kLines[] = {
    {"certificate .odt", "Кальвета КТ", true, core::SpecialistCertificate, core::SpecialistCertificates, false},
    {"certificate .doc", "Кальвета КТ", false, core::SpecialistCertificate, core::SpecialistCertificates, false},
    {"supplement 40 lines .odt", "Приложение к диплому", true, core::DiplomaSupplement, core::Documents, true},
    {"supplement 40 lines .doc", "Приложение к диплому", false, core::DiplomaSupplement, core::Documents, true},
};

// The time of one fill; `stored` receives the document's file.
double fill(long id, const Line& line, const QString& templateName, QString* stored = nullptr)
{
    core::state().OfficeIsOOo = line.ooo;
    const auto start = Clock::now();
    const printing::PrintOutcome outcome = printing::PrintVkladish(
        {id, line.blankKind, templateName, false, line.docKind, QString::fromUtf8(line.caption)});
    const double t = seconds(start);
    if (!outcome.saved)
        throw office::Error(office::ErrorKind::Failed, QStringLiteral("документ не сохранен"));
    closeDocument(outcome.documentPath);
    if (stored)
        *stored = outcome.documentPath;
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
    const People people = makePeople();

    office::Office& o = office::Office::instance();
    o.setDataFolder(home.path());
    o.setHeadless(true);
    try {
        o.ensureRunning();
        const QDir templates(QDir(home.path()).filePath(QStringLiteral("Шаблоны ЭЖ")));
        QDir().mkpath(templates.path());
        const QDir out(QDir(home.path()).filePath(QStringLiteral("bench")));
        QDir().mkpath(out.path());
        int n = 0;
        bool withinGoal = true;
        for (const Line& line : kLines) {
            const QString templateExtension = line.ooo ? QStringLiteral(".ott") : QStringLiteral(".dot");
            const QString documentExtension = line.ooo ? QStringLiteral(".odt") : QStringLiteral(".doc");
            const QString name = QString::fromUtf8(line.templateName) + templateExtension;
            const QString templatePath = templates.filePath(name);
            if (!QFileInfo::exists(templatePath)) {
                office::TemplateDocument source = office::TemplateDocument::openReadOnly(
                    QStringLiteral(KALVETA_SOURCE_DATA_DIR "/templates/documents/")
                    + QString::fromUtf8(line.templateName) + QStringLiteral(".fodt"));
                source.storeAs(templatePath);
                source.close();
            }
            // The same template without its scanned blank, made once.
            const QString bareTemplate =
                QDir(home.path()).filePath(QStringLiteral("без подложки %1").arg(++n) + templateExtension);
            {
                office::TemplateDocument bare = office::TemplateDocument::openReadOnly(templatePath);
                bare.removePictures(QString::fromUtf8(printing::kBackgroundPicturePrefix));
                bare.storeAs(bareTemplate);
                bare.close();
            }
            const auto target = [&] { return out.filePath(QStringLiteral("копия %1").arg(++n) + documentExtension); };
            const long id = line.supplement ? people.graduate : people.certificateHolder;

            // Warm-up: the first document of a kind is slower. Its result,
            // copied, is the finished document.
            loadAndStore(bareTemplate, target());
            QString stored;
            fill(id, line, name, &stored);
            const QString finished =
                QDir(home.path()).filePath(QStringLiteral("готовый %1").arg(++n) + documentExtension);
            if (!QFile::copy(stored, finished))
                throw office::Error(office::ErrorKind::Failed, finished);
            double bare = 1e9, again = 1e9, filled = 1e9;
            for (int i = 0; i < kRuns; ++i) {
                bare = std::min(bare, loadAndStore(bareTemplate, target()));
                if (line.supplement)
                    again = std::min(again, loadAndStore(finished, target()));
                filled = std::min(filled, fill(id, line, name));
            }
            const double base = line.supplement ? again : bare;
            std::printf("%s (template %s)\n", line.caption, qPrintable(name));
            std::printf("  load without the blank and store:   %.1f ms\n", bare * 1000);
            if (line.supplement)
                std::printf("  load the finished document, store:  %.1f ms\n", again * 1000);
            std::printf("  fill:                                %.1f ms\n", filled * 1000);
            std::printf("%s fill/load-store ratio: %.2f\n", line.caption, filled / base);
            withinGoal = withinGoal && filled / base <= 2.0;
        }
        core::CloseDatabase();
        o.shutdown();
        return withinGoal ? 0 : 1;
    } catch (const office::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        o.shutdown();
        return 2;
    }
}
