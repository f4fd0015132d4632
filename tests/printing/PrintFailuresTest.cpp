// How a list or book print ends when it cannot be made, on both office
// paths: the chooser cancelled, a file that cannot be saved (a documents
// folder that cannot be written, or on a full disk), an office that cannot
// be started or that dies in the middle. One table of cases over the two
// kinds and two paths; each case in a fresh program folder against one
// headless office.
#include "core/AppState.h"
#include "core/ChildWindows.h"
#include "platform/office/Office.h"
#include "platform/settings/Settings.h"
#include "printing/BookPrinting.h"
#include "printing/ListPrinting.h"

#include "DocumentPrintFixtures.h"
#include "SheetPrintFixtures.h"
#include "support/OfficeDocuments.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <tuple>

using namespace printing;
using namespace printtest;

namespace {

enum class Failure { ChooserCancelled, FileNotSaved, DocumentsReadOnly, DocumentsFull, OfficeNotStarted };

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
        {Failure::DocumentsReadOnly, "documents folder read-only"},
        {Failure::DocumentsFull, "documents folder on a full disk"},
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
        // A program folder on a disk of its own, nearly full.
        std::optional<printtest::SmallDisk> disk;
        if (c.failure == Failure::DocumentsFull) {
            disk.emplace(64 << 10);
            if (!disk->mounted())
                continue;  // no right to mount a small disk here
        }
        core::state().AppPath = disk ? disk->path() : app.path();
        const QDir documents(core::state().AppPath + QStringLiteral("/Документы"));
        ASSERT_TRUE(documents.mkpath(QStringLiteral(".")));
        if (disk)
            disk->fillUp();
        int activations = 0;
        core::shellServices().activateMainWindow = [&activations] { ++activations; };
        ui::setStatusText(QString());
        testsupport::MessageRecorder messages;
        std::optional<printtest::ReadOnlyFolder> readOnly;
        if (c.failure == Failure::DocumentsReadOnly) {
            readOnly.emplace(documents.path());
            ASSERT_TRUE(readOnly->readOnly());
        }

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
        readOnly.reset();

        const QString word = kind().word;
        switch (c.failure) {
        case Failure::ChooserCancelled:
            EXPECT_EQ(ui::statusText(), QStringLiteral("Печатная форма не создана."));
            EXPECT_EQ(messages.count(), 0);
            EXPECT_EQ(settings::getSetting(QString::fromLatin1(settings::kSectionUser), kind().maskKey), QString());
            break;
        case Failure::FileNotSaved: {
            // The text of the kind, the file's name and the cause, on both
            // paths; the file's path told once.
            ASSERT_EQ(messages.count(), 1);
            const QString shown = messages.texts().first();
            EXPECT_EQ(shown.count(documents.path()), 1) << shown.toStdString();
            EXPECT_TRUE(shown.startsWith(QStringLiteral("Печатная форма %1 выполнена, но не сохранена в файле: %2%3. "
                                                        "Ошибка: 75 Документ не может быть сохранен")
                                             .arg(word, kind().fileBase, extension())))
                << shown.toStdString();
            EXPECT_EQ(ui::statusText(), calc() ? QStringLiteral("Печатная форма выполнена, но не сохранена.")
                                               : QStringLiteral("Печатная форма %1 выполнена, но не сохранена.").arg(word));
            EXPECT_EQ(activations, 1);
            break;
        }
        case Failure::DocumentsReadOnly:
        case Failure::DocumentsFull: {
            // The cause first, in the words the user acts on, then the text
            // of the kind with the file's name; the folder named once.
            ASSERT_EQ(messages.count(), 1);
            const QString cause = c.failure == Failure::DocumentsFull
                ? QStringLiteral("Недостаточно места на диске (папка %1). Освободите место на диске и повторите.")
                      .arg(documents.path())
                : QStringLiteral("Нет права на запись в папку %1.").arg(documents.path());
            EXPECT_EQ(messages.texts().first(),
                      cause
                          + QStringLiteral(" Печатная форма %1 выполнена, но не сохранена в файле: %2%3. "
                                           "Ошибка: 75 Документ не может быть сохранен")
                                .arg(word, kind().fileBase, extension()));
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
        EXPECT_TRUE(documents.entryList(QDir::Files | QDir::Hidden).isEmpty());
        ui::setDialogHandler({});
    }
}

TEST_P(PrintFailures, AnOfficeThatDiesIsToldOrThePrintIsMadeAgainOnANewOne)
{
    // The office's processes killed at a stage of the print: the print is
    // made once more from the start on a new office; when that one dies
    // too, the user is told that the office stopped. An office that dies
    // once the file is saved takes only the shown document with it. Either
    // way the next print is made as usual.
    struct Case {
        const char* name;
        const char* stage;  // killed as the status bar shows this, or
        bool atStore;       // as the office is told to store the file
        int kills;          // offices killed in a row
        bool remade;        // the print is made again on a new office
    };
    const Case cases[] = {
        {"while filling, once", "Идет заполнение", false, 1, true},
        {"before the store, once", "Идет сохранение", false, 1, true},
        {"at the store, once", nullptr, true, 1, true},
        {"once saved", "Печатная форма", false, 1, false},
        {"while filling, every time", "Идет заполнение", false, 2, true},
        {"at the store, every time", nullptr, true, 2, true},
    };
    office::Office& o = office::Office::instance();
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
        o.ensureRunning();
        const int starts = o.startCount();
        int killed = 0;
        long long lastKilled = 0;
        auto kill = [&] {
            const long long group = o.processGroup();
            if (killed < c.kills && group > 0 && group != lastKilled) {
                testsupport::killOffice(group);
                lastKilled = group;
                ++killed;
            }
        };
        if (c.stage)
            ui::setStatusHandler([&](const QString& shown) {
                if (shown.startsWith(QString::fromUtf8(c.stage)))
                    kill();
            });
        if (c.atStore)
            o.setBeforeStore([&](const QString&) { kill(); });
        testsupport::MessageRecorder messages;
        answerChooser("111");
        kind().print(path());
        ui::setStatusHandler({});
        o.setBeforeStore(nullptr);

        EXPECT_EQ(killed, c.kills);
        EXPECT_EQ(o.startCount(), starts + (c.remade ? 1 : 0));
        ASSERT_EQ(messages.count(), 1);
        const QString shown = messages.texts().first();
        EXPECT_FALSE(shown.contains(QStringLiteral("bridge"), Qt::CaseInsensitive)) << shown.toStdString();
        if (c.kills == 1) {
            EXPECT_EQ(shown, QStringLiteral("Печатная форма %1 выполнена и сохранена в файле \"%2%3\".")
                                 .arg(kind().word, kind().fileBase, extension()));
            EXPECT_EQ(documents.entryList(QDir::Files), QStringList{kind().fileBase + extension()});
        } else {
            EXPECT_EQ(shown, QStringLiteral("Печатная форма %1 не создана: офисная программа завершила работу во время "
                                            "печати. Ошибка: 462 Связь с офисной программой потеряна")
                                 .arg(kind().word));
            EXPECT_EQ(ui::statusText(), QStringLiteral("Печатная форма не создана."));
            EXPECT_TRUE(documents.entryList(QDir::Files | QDir::Hidden).isEmpty());
        }
        EXPECT_EQ(activations, 1);

        // The next print is made as usual.
        messages.clear();
        answerChooser("111");
        kind().print(path());
        ASSERT_EQ(messages.count(), 1);
        EXPECT_TRUE(messages.texts().first().contains(QStringLiteral("выполнена и сохранена в файле")))
            << messages.texts().first().toStdString();
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
