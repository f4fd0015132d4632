// How a list or book print ends when it cannot be made, on both office
// paths: the chooser cancelled, a file that cannot be saved, an office that
// cannot be started. One table of cases over the two kinds and two paths;
// each case in a fresh program folder against one headless office.
#include "core/AppState.h"
#include "core/ChildWindows.h"
#include "platform/office/Office.h"
#include "platform/settings/Settings.h"
#include "printing/BookPrinting.h"
#include "printing/ListPrinting.h"

#include "SheetPrintFixtures.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

using namespace printing;
using namespace printtest;

namespace {

enum class Failure { ChooserCancelled, FileNotSaved, OfficeNotStarted };

ListPrintJob groupsList()
{
    ListPrintJob job;
    job.kind = 4;
    job.pluralName = QStringLiteral("Группы");
    job.captions = QStringList{QString(), QStringLiteral("Учебная группа"), QStringLiteral("Специальность")};
    job.alignments = {0, 0, 0};
    job.printWidths = {6, 9, 25};
    job.rows = {{QString(), QStringLiteral("Ф-101"), QStringLiteral("Фармация")},
                {QString(), QStringLiteral("С-201"), QStringLiteral("Сестринское дело")}};
    job.selected = {true, false};
    return job;
}

BookPrintJob certificateBook()
{
    BookPrintJob job;
    job.med = core::SpecialistCertificates;
    job.caption = QStringLiteral("Книга регистрации выданных сертификатов");
    job.list.kind = job.med;
    job.list.pluralName = job.caption;
    job.list.captions = QStringList{QString(), QStringLiteral("Фамилия"), QStringLiteral("Рег. номер")};
    job.list.alignments = {0, 0, 1};
    job.list.rows = {{QString(), QStringLiteral("Ёлкина"), QStringLiteral("101")}};
    job.list.selected = {false};
    return job;
}

// A kind of print: how it is started and what its texts say.
struct Kind {
    const char* name;
    std::function<void(OfficePath)> print;
    QString word;      // "справочника", "книги"
    QString fileBase;  // the saved file's name without the extension
    QString maskKey;   // where a confirmed chooser keeps its ticks
};

const Kind& kindOf(SheetKind k)
{
    static const ListPrintJob list = groupsList();
    static const BookPrintJob book = certificateBook();
    static const Kind kinds[] = {
        {"List", [](OfficePath path) { printDirectoryList(list, path); }, QStringLiteral("справочника"),
         QStringLiteral("Справочник Группы"), QStringLiteral("Spr4")},
        {"Book", [](OfficePath path) { printRegistryBook(book, path); }, QStringLiteral("книги"),
         QStringLiteral("Книга регистрации выданных сертификатов"), QStringLiteral("PFM1")},
    };
    return kinds[k == SheetKind::Book ? 1 : 0];
}

class PrintFailures : public ::testing::TestWithParam<std::tuple<SheetKind, OfficePath>> {
protected:
    void TearDown() override
    {
        // A print leaves nothing open in a headless office, whatever happened.
        EXPECT_EQ(openDocumentCount(), 0);
        ui::setDialogHandler({});
        core::shellServices().activateMainWindow = nullptr;
        core::state().AppPath.clear();
    }
    const Kind& kind() const { return kindOf(std::get<0>(GetParam())); }
    OfficePath path() const { return std::get<1>(GetParam()); }
    bool calc() const { return path() == OfficePath::Calc; }
    QString extension() const { return calc() ? QStringLiteral(".ods") : QStringLiteral(".xls"); }
};

TEST_P(PrintFailures, EndWithTheirMessageAndNoFile)
{
    struct Case {
        Failure failure;
        const char* name;
    } cases[] = {
        {Failure::ChooserCancelled, "chooser cancelled"},
        {Failure::FileNotSaved, "file not saved"},
        {Failure::OfficeNotStarted, "office not started"},
    };
    office::Office& o = office::Office::instance();
    const QString program = o.program();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::clearSettings();
        core::resetState();
        QTemporaryDir app;
        ASSERT_TRUE(app.isValid());
        core::state().AppPath = app.path();
        const QDir documents(app.path() + QStringLiteral("/Документы"));
        ASSERT_TRUE(documents.mkpath(QStringLiteral(".")));
        int activations = 0;
        core::shellServices().activateMainWindow = [&activations] { ++activations; };
        ui::setStatusText(QString());
        testsupport::MessageRecorder messages;

        if (c.failure == Failure::FileNotSaved) {
            // The first free name leads into a folder that does not exist.
            ASSERT_TRUE(QFile::link(QStringLiteral("/nonexistent-kalveta-folder/print") + extension(),
                                    documents.filePath(kind().fileBase + extension())));
        }
        if (c.failure == Failure::OfficeNotStarted) {
            o.shutdown();
            o.setProgram(QStringLiteral("/nonexistent-kalveta-office/soffice"));
        }
        answerChooser(c.failure == Failure::ChooserCancelled ? nullptr : "111");
        kind().print(path());
        o.setProgram(program);

        const QString word = kind().word;
        switch (c.failure) {
        case Failure::ChooserCancelled:
            EXPECT_EQ(ui::statusText(), QStringLiteral("Печатная форма не создана."));
            EXPECT_EQ(messages.count(), 0);
            EXPECT_EQ(settings::getSetting(QString::fromLatin1(settings::kSectionUser), kind().maskKey), QString());
            break;
        case Failure::FileNotSaved: {
            // The text of the kind, the file's name and the cause, on both paths.
            ASSERT_EQ(messages.count(), 1);
            const QString shown = messages.texts().first();
            EXPECT_TRUE(shown.startsWith(QStringLiteral("Печатная форма %1 выполнена, но не сохранена в файле: %2%3. "
                                                        "Ошибка: 75 Документ не может быть сохранен")
                                             .arg(word, kind().fileBase, extension())))
                << shown.toStdString();
            EXPECT_EQ(ui::statusText(), calc() ? QStringLiteral("Печатная форма выполнена, но не сохранена.")
                                               : QStringLiteral("Печатная форма %1 выполнена, но не сохранена.").arg(word));
            EXPECT_EQ(activations, 1);
            break;
        }
        case Failure::OfficeNotStarted:
            ASSERT_EQ(messages.count(), 1);
            expectOfficeNotStarted(messages.texts().first(), calc());
            EXPECT_EQ(ui::statusText(), QStringLiteral("Идет создание печатной формы %1...").arg(word));
            EXPECT_EQ(activations, 0);
            break;
        }
        // Nothing saved (the dangling link of a case is no file).
        EXPECT_TRUE(documents.entryList(QDir::Files).isEmpty());
        ui::setDialogHandler({});
    }
}

INSTANTIATE_TEST_SUITE_P(KindsAndPaths, PrintFailures,
                         ::testing::Combine(::testing::Values(SheetKind::List, SheetKind::Book),
                                            ::testing::Values(OfficePath::Excel, OfficePath::Calc)),
                         [](const auto& info) {
                             return std::string(kindOf(std::get<0>(info.param)).name)
                                 + (std::get<1>(info.param) == OfficePath::Calc ? "Calc" : "Excel");
                         });

} // namespace
