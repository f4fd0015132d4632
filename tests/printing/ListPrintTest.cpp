// Printing directory lists through both office paths, from the shipped
// templates and from none: the saved file is opened again and its title,
// group line, header, ticked columns, widths, borders, rows and name are
// checked. All tests share one headless office.
#include "core/AppState.h"
#include "core/ChildWindows.h"
#include "core/ListView.h"
#include "platform/office/Calc.h"
#include "platform/office/Excel.h"
#include "platform/office/Office.h"
#include "platform/office/UnoSupport.h"
#include "platform/settings/Settings.h"
#include "printing/BookPrinting.h"
#include "printing/ListPrinting.h"
#include "printing/frmUrDial.h"

#include "SheetPrintFixtures.h"
#include "core/PrintQtValues.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>

#include <QThread>

#include <chrono>
#include <functional>
#include <future>
#include <tuple>

using namespace printing;
using namespace printtest;
using office::BorderIndex;
using office::BorderWeight;
using office::LineStyle;

namespace {

const QString kGeneric = QStringLiteral("Справочники (шаблон)");
const QString kStudentsOwn = QStringLiteral("Справочник Студенты (шаблон)");

// The students list as its window shows it.
ListPrintJob studentsJob()
{
    ListPrintJob job;
    job.kind = 3;
    job.pluralName = QStringLiteral("Студенты");
    job.captions = QStringList{QString(),
                               QStringLiteral("Фамилия"),
                               QStringLiteral("Имя"),
                               QStringLiteral("Отчество"),
                               QStringLiteral("Регистрационный номер сертификата"),
                               QStringLiteral("Серия и номер бланка сертификата"),
                               QStringLiteral("Дубликат сертификата"),
                               QStringLiteral("Доверенное лицо (получатель сертификата)"),
                               QStringLiteral("Дата и номер квитанции почтового отправления сертификата"),
                               QStringLiteral("Примечание")};
    job.alignments = {0, 0, 0, 0, 1, 0, 2, 0, 0, 0};
    job.printWidths = {6.71, 18, 16.43, 16.43, 18, 16.43, 9.29, 16.43, 25, 16.14};
    auto row = [](const char* fam, const char* im, const char* reg, const char* note) {
        return QStringList{QStringLiteral("R1"), QString::fromUtf8(fam), QString::fromUtf8(im), QStringLiteral("Петрович"),
                           QString::fromUtf8(reg), QStringLiteral("АА 123456"), QString(), QString(),
                           QStringLiteral("01.02.2024 №5"), QString::fromUtf8(note)};
    };
    job.rows = {row("Иванов", "Пётр", "0123", ""), row("Петров", "Иван", "5", "переведён\r\nиз Ф-102"),
                row("Сидоров", "Олег", "123456789", "12"), row("Яковлев", "Илья", "77", "")};
    job.selected = {true, false, true, false};  // two selected: only these
    job.hasGroupFilter = true;
    job.groupText = QStringLiteral("Ф-101");
    return job;
}

ListPrintJob groupsJob()
{
    ListPrintJob job;
    job.kind = 4;
    job.pluralName = QStringLiteral("Группы");
    job.captions = QStringList{QString(), QStringLiteral("Учебная группа"), QStringLiteral("Специальность/профессия"),
                               QStringLiteral("Квалификация"), QStringLiteral("Дата выдачи документов")};
    job.alignments = {0, 0, 0, 0, 2};
    job.printWidths = {6.14, 9, 25.14, 25.14, 12.14};
    job.rows = {{QString(), QStringLiteral("Ф-101"), QStringLiteral("Фармация"), QStringLiteral("Фармацевт"),
                 QStringLiteral("30.06.2024")},
                {QString(), QStringLiteral("С-201"), QStringLiteral("Сестринское дело"), QStringLiteral("Медсестра"),
                 QString()}};
    job.selected = {false, true};  // one selected: every row
    return job;
}

ListPrintJob gradesJob()
{
    ListPrintJob job;
    job.kind = 0;
    job.pluralName = QStringLiteral("Итоговые оценки");
    job.captions = QStringList{QString(), QStringLiteral("Дисциплина"), QStringLiteral("Дополнительный текст"),
                               QStringLiteral("Количество часов"), QStringLiteral("Итоговая оценка"),
                               QStringLiteral("Курсовая работа")};
    job.alignments = {0, 0, 0, 2, 2, 2};
    job.printWidths = {7, 28.86, 18.86, 10.29, 18.86, 18.86};
    job.rows = {{QString(), QStringLiteral("Анатомия"), QString(), QStringLiteral("72"), QStringLiteral("5 (отлично)"),
                 QString()},
                {QString(), QStringLiteral("Химия"), QString(), QStringLiteral("108"), QStringLiteral("4 (хорошо)"),
                 QString()},
                {QString(), QStringLiteral("Латынь"), QString(), QStringLiteral("36"), QStringLiteral("зачтено"),
                 QString()}};
    job.selected = {false, false, false};  // none selected: title and header only
    job.hasGroupFilter = true;
    job.groupText = QStringLiteral("Ф-101");
    job.gradesView = true;
    job.studentName = QStringLiteral("Иванов Пётр Петрович");
    return job;
}

class ListPrint : public ::testing::TestWithParam<std::tuple<OfficePath, bool>> {
protected:
    void SetUp() override
    {
        testsupport::clearSettings();
        core::resetState();
        ASSERT_TRUE(app_.isValid());
        core::state().AppPath = app_.path();
        QDir(app_.path()).mkpath(QStringLiteral("Документы"));
        QDir(app_.path()).mkpath(QStringLiteral("Шаблоны ЭЖ"));
        if (shipped()) {
            for (const QString& name : {kGeneric, kStudentsOwn})
                for (const QString& ext : {QStringLiteral(".xlt"), QStringLiteral(".ots")})
                    ASSERT_NO_FATAL_FAILURE(provideSheetTemplate(templatesFolder().path(), name, ext));
        }
        core::shellServices().activateMainWindow = [this] { ++activations_; };
        ui::setStatusText(QString());
    }
    void TearDown() override
    {
        // A print leaves nothing open in a headless office, whatever happened.
        EXPECT_EQ(openDocumentCount(), 0);
        ui::setDialogHandler({});
        core::shellServices().activateMainWindow = nullptr;
        core::state().AppPath.clear();
    }

    OfficePath path() const { return std::get<0>(GetParam()); }
    bool shipped() const { return std::get<1>(GetParam()); }
    bool calc() const { return path() == OfficePath::Calc; }
    QString extension() const { return calc() ? QStringLiteral(".ods") : QStringLiteral(".xls"); }
    QDir documents() const { return QDir(app_.path() + QStringLiteral("/Документы")); }
    QDir templatesFolder() const { return QDir(app_.path() + QStringLiteral("/Шаблоны ЭЖ")); }

    // Prints through the chooser answered with `mask`; the one new file.
    QString print(const ListPrintJob& job, const char* mask)
    {
        answerChooser(mask);
        return printedFile(documents(), [&] { printDirectoryList(job, path()); });
    }

    // The column widths expected for print widths (in characters of the
    // default font as the workbook model reads them back).
    double expectedWidth(double printWidth) const
    {
        return calc() ? calcColumnWidth(printWidth) / 224.0 : printWidth;
    }

    testsupport::MessageRecorder messages_;
    QTemporaryDir app_;
    int activations_ = 0;
};

TEST_P(ListPrint, StudentsOfAGroup)
{
    const ListPrintJob job = studentsJob();
    // The first name is taken already.
    QFile taken(documents().filePath(QStringLiteral("Справочник Студенты") + extension()));
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.close();

    // Number, surname, first name, registration number and note ticked.
    const QString file = print(job, "1110100001");
    EXPECT_EQ(QFileInfo(file).fileName(), QStringLiteral("Справочник Студенты (1)") + extension());
    ASSERT_EQ(messages_.count(), 1);
    EXPECT_EQ(messages_.texts().first(),
              QStringLiteral("Печатная форма справочника выполнена и сохранена в файле \"Справочник Студенты (1)%1\".")
                  .arg(extension()));
    EXPECT_EQ(messages_.messages().front().icon(), ui::Information);
    EXPECT_EQ(ui::statusText(), calc() ? QStringLiteral("Печатная форма справочника выполнена и сохранена.")
                                       : QStringLiteral("Печатная форма справочника выполнена."));
    EXPECT_EQ(activations_, 1);
    EXPECT_EQ(settings::getSetting(QStringLiteral("User"), QStringLiteral("Spr3")), QStringLiteral("1110100001"));

    Reopened r(file);
    EXPECT_EQ(r.sheet.name(), QStringLiteral("Студенты"));
    // The own template holds its title and the label of the group line.
    EXPECT_EQ(r.text(1, 1), shipped() ? QStringLiteral("Список студентов") : QStringLiteral("Студенты"));
    EXPECT_EQ(r.text(2, 1), shipped() ? QStringLiteral("Группа: Ф-101") : QStringLiteral("Ф-101"));
    EXPECT_TRUE(r.block(1, 1, 1, 5).mergeCells());
    EXPECT_EQ(r.text(3, 1), QString());
    EXPECT_EQ(r.rowTexts(4, 6), (QStringList{QStringLiteral("№ п.п"), QStringLiteral("Фамилия"), QStringLiteral("Имя"),
                                             QStringLiteral("Регистрационный номер сертификата"),
                                             QStringLiteral("Примечание"), QString()}));
    // Rows 1 and 3 were selected: those two, numbered without a gap.
    EXPECT_EQ(r.rowTexts(5, 6), (QStringList{QStringLiteral("1"), QStringLiteral("Иванов"), QStringLiteral("Пётр"),
                                             QStringLiteral("0123"), QString(), QString()}));
    EXPECT_EQ(r.rowTexts(6, 6), (QStringList{QStringLiteral("2"), QStringLiteral("Сидоров"), QStringLiteral("Олег"),
                                             QStringLiteral("123456789"), QStringLiteral("12"), QString()}));
    EXPECT_EQ(r.text(7, 1), QString());
    // The running number is a number; listed texts stay texts, except short
    // numbers through Excel.
    EXPECT_EQ(r.sheet.cells(5, 1).value().typeId(), QMetaType::Double);
    EXPECT_EQ(r.sheet.cells(5, 4).value().typeId(), QMetaType::QString);
    EXPECT_EQ(r.sheet.cells(6, 5).value().typeId(), calc() ? QMetaType::QString : QMetaType::Double);
    // The registration number is right-aligned: as its list column without a
    // template of its own, by the template's look of the rows with it.
    EXPECT_EQ(r.sheet.cells(6, 4).horizontalAlignment(), office::HAlign::Right);

    const double widths[] = {6.71, 18, 16.43, 18, 16.14};
    // The own template carries widths of its own. A width in characters
    // depends on the fonts the machine has: it is compared with the
    // template's own, read the same way.
    std::vector<double> own;
    if (shipped()) {
        Reopened t(templatesFolder().filePath(kStudentsOwn + (calc() ? QStringLiteral(".ots") : QStringLiteral(".xlt"))));
        // The template has a column for each field; the ticked ones are kept.
        for (int column : {1, 2, 3, 5, 10})
            own.push_back(t.sheet.columns(column).columnWidth());
    }
    for (int c = 0; c < 5; ++c) {
        const double expected = shipped() ? own[c] : expectedWidth(widths[c]);
        EXPECT_NEAR(r.sheet.columns(c + 1).columnWidth(), expected, 0.35) << c;
    }
    expectBorders(r, 5, 6, 5);
    expectBorders(r, 4, 4, 5);
}

TEST_P(ListPrint, GroupsWithoutGroupFilter)
{
    const QString file = print(groupsJob(), "11011");  // the specialty unticked
    EXPECT_EQ(QFileInfo(file).fileName(), QStringLiteral("Справочник Группы") + extension());
    Reopened r(file);
    EXPECT_EQ(r.text(1, 1), QStringLiteral("Группы"));
    EXPECT_TRUE(r.block(1, 1, 1, 4).mergeCells());
    EXPECT_EQ(r.sheet.rows(2).rowHeight(), 0);  // no group line
    EXPECT_EQ(r.rowTexts(4, 5), (QStringList{QStringLiteral("№ п.п"), QStringLiteral("Учебная группа"),
                                             QStringLiteral("Квалификация"), QStringLiteral("Дата выдачи документов"),
                                             QString()}));
    // One row selected: every row.
    EXPECT_EQ(r.rowTexts(5, 4), (QStringList{QStringLiteral("1"), QStringLiteral("Ф-101"), QStringLiteral("Фармацевт"),
                                             QStringLiteral("30.06.2024")}));
    EXPECT_EQ(r.rowTexts(6, 4), (QStringList{QStringLiteral("2"), QStringLiteral("С-201"), QStringLiteral("Медсестра"),
                                             QString()}));
    EXPECT_EQ(r.sheet.cells(5, 4).horizontalAlignment(), office::HAlign::Center);
    EXPECT_EQ(r.sheet.cells(5, 2).horizontalAlignment(), office::HAlign::Left);
    const double widths[] = {6.14, 9, 25.14, 12.14};
    for (int c = 0; c < 4; ++c)
        EXPECT_NEAR(r.sheet.columns(c + 1).columnWidth(), expectedWidth(widths[c]), 0.35) << c;
    expectBorders(r, 5, 6, 4);
    expectBorders(r, 4, 4, 4);
}

TEST_P(ListPrint, GradesOfAStudentWithNothingSelected)
{
    const QString file = print(gradesJob(), "010111");  // no running number, no extra text
    EXPECT_EQ(QFileInfo(file).fileName(), QStringLiteral("Справочник Итоговые оценки") + extension());
    Reopened r(file);
    EXPECT_EQ(r.text(1, 1), QStringLiteral("Итоговые оценки"));
    EXPECT_EQ(r.text(2, 1), QStringLiteral("Студент: Иванов Пётр Петрович"));
    EXPECT_TRUE(r.block(2, 1, 2, 4).mergeCells());
    EXPECT_EQ(r.rowTexts(4, 5), (QStringList{QStringLiteral("Дисциплина"), QStringLiteral("Количество часов"),
                                             QStringLiteral("Итоговая оценка"), QStringLiteral("Курсовая работа"),
                                             QString()}));
    // Nothing selected: title and header only, the header still framed.
    EXPECT_EQ(r.rowTexts(5, 4), QStringList(4, QString()));
    expectBorders(r, 4, 4, 4);
    EXPECT_EQ(r.block(5, 1, 5, 4).border(BorderIndex::EdgeBottom).lineStyle(), LineStyle::None);
}

// Broken templates, unsafe names and long lists, with the shipped templates in place.
using ListPrintFailures = ListPrint;

TEST_P(ListPrintFailures, OwnTemplateThatDoesNotLoadGivesTheGenericLayout)
{
    const QString own = templatesFolder().filePath(kStudentsOwn + (calc() ? QStringLiteral(".ots") : QStringLiteral(".xlt")));
    QFile broken(own);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write(calc() ? QByteArray("PK\x03\x04 broken", 11) : QByteArray(512, '\0'));
    broken.close();

    const QString file = print(studentsJob(), "1100000000");
    Reopened r(file);
    // Title, header and widths written as without a template of its own.
    EXPECT_EQ(r.text(1, 1), QStringLiteral("Студенты"));
    EXPECT_EQ(r.text(2, 1), QStringLiteral("Ф-101"));
    EXPECT_EQ(r.rowTexts(4, 3), (QStringList{QStringLiteral("№ п.п"), QStringLiteral("Фамилия"), QString()}));
    EXPECT_NEAR(r.sheet.columns(2).columnWidth(), expectedWidth(18), 0.35);
    EXPECT_EQ(r.rowTexts(6, 2), (QStringList{QStringLiteral("2"), QStringLiteral("Сидоров")}));
}

TEST_P(ListPrintFailures, NameThatNoFileCanHold)
{
    ListPrintJob job = groupsJob();
    job.pluralName = QStringLiteral("Специальности/профессии: \"все\"");
    const QString file = print(job, "11111");
    EXPECT_EQ(QFileInfo(file).fileName(), QStringLiteral("Справочник Специальности профессии все") + extension());
    Reopened r(file);
    EXPECT_EQ(r.text(1, 1), job.pluralName);  // the title keeps the name
}

// A long list shows the wait cursor while it is made and saved, its lines
// counted in the status bar; the cursor is back for the closing message.
TEST_P(ListPrintFailures, LongListShowsItsProgress)
{
    ListPrintJob job = groupsJob();
    const QStringList row = job.rows.first();
    job.rows.clear();
    job.selected.clear();
    for (int i = 0; i < 2500; ++i) {
        job.rows << row;
        job.selected << (i == 0);
    }
    QStringList shown;
    ui::setStatusHandler([&](const QString& text) {
        shown << text + (QApplication::overrideCursor() ? QStringLiteral(" [ждать]") : QString());
    });
    bool cursorAtMessage = true;
    ui::setMessageHandler([&](const ui::MessageRequest&) {
        cursorAtMessage = QApplication::overrideCursor() != nullptr;
        return int(ui::Ok);
    });
    const QString file = print(job, "11111");
    ui::setStatusHandler({});
    EXPECT_FALSE(file.isEmpty());
    EXPECT_FALSE(cursorAtMessage);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(shown.contains(QStringLiteral("Идет заполнение печатной формы справочника... 2500 из 2500 [ждать]")))
        << shown.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("Идет сохранение печатной формы справочника... [ждать]")))
        << shown.join(QLatin1Char('|')).toStdString();
    // The lines are counted once, upwards, to the last.
    QList<int> counts;
    for (const QString& t : shown)
        if (t.contains(QStringLiteral(" из 2500")))
            counts << t.section(QLatin1Char(' '), -4, -4).toInt();
    ASSERT_FALSE(counts.isEmpty());
    for (int i = 1; i < counts.size(); ++i)
        EXPECT_LT(counts[i - 1], counts[i]) << shown.join(QLatin1Char('|')).toStdString();
    EXPECT_GE(counts.first(), 1);
    EXPECT_EQ(counts.last(), 2500);
}

// The office works aside: while it stores the file, the window thread takes
// its events under the wait cursor (the store waits for an event only that
// thread delivers, and a guard time ends the wait otherwise). Showing or
// closing the document is a stage of its own; the result's text stays.
TEST_P(ListPrintFailures, TheWindowThreadTakesItsEventsWhileTheOfficeWorks)
{
    bool delivered = false;
    bool waitCursor = false;
    bool storedOffTheWindowThread = false;
    office::Office::instance().setBeforeStore([&](const QString&) {
        storedOffTheWindowThread = QThread::currentThread() != qApp->thread();
        std::promise<void> taken;
        std::future<void> done = taken.get_future();
        QMetaObject::invokeMethod(
            qApp,
            [&] {
                const QCursor* cursor = QApplication::overrideCursor();
                waitCursor = cursor && cursor->shape() == Qt::WaitCursor;
                taken.set_value();
            },
            Qt::QueuedConnection);
        delivered = done.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
    });
    QStringList shown;
    ui::setStatusHandler([&](const QString& text) {
        shown << text + (QApplication::overrideCursor() ? QStringLiteral(" [ждать]") : QString());
    });
    const QString file = print(groupsJob(), "11111");
    ui::setStatusHandler({});
    office::Office::instance().setBeforeStore(nullptr);
    EXPECT_FALSE(file.isEmpty());
    EXPECT_TRUE(storedOffTheWindowThread);
    EXPECT_TRUE(delivered);
    EXPECT_TRUE(waitCursor);
    const QString done = calc() ? QStringLiteral("Печатная форма справочника выполнена и сохранена.")
                                : QStringLiteral("Печатная форма справочника выполнена.");
    // Headless: the document is closed after the message.
    ASSERT_GE(shown.size(), 3);
    EXPECT_EQ(shown.mid(shown.size() - 3),
              (QStringList{done, QStringLiteral("Идет закрытие печатной формы... [ждать]"), done}));
}

// A list or book longer than an .xls sheet is refused through the Excel
// path before the office is asked for anything: an office that cannot start
// shows the check comes first, and nothing is saved.
TEST(XlsSheetLimit, LongerListsAndBooksAreRefusedWithNothingWritten)
{
    EXPECT_TRUE(xlsTooManyLinesMessage(kXlsLinesThatFit, QStringLiteral("списка")).isEmpty());
    EXPECT_TRUE(xlsTooManyLinesMessage(0, QStringLiteral("списка")).isEmpty());

    testsupport::clearSettings();
    core::resetState();
    QTemporaryDir app;
    core::state().AppPath = app.path();
    const QDir documents(app.path() + QStringLiteral("/Документы"));
    ASSERT_TRUE(documents.mkpath(QStringLiteral(".")));
    office::Office& o = office::Office::instance();
    o.shutdown();
    const QString program = o.program();
    o.setProgram(QStringLiteral("/nonexistent-kalveta-office/soffice"));

    ListPrintJob list = groupsJob();
    const QStringList row = list.rows.first();
    list.rows.clear();
    list.selected.clear();
    for (int i = 0; i < kXlsLinesThatFit + 1; ++i) {
        list.rows << row;
        list.selected << (i == 7);  // one selected: every row
    }
    BookPrintJob book;
    book.med = core::Documents;  // printed whole through Excel, whatever is selected
    book.caption = QStringLiteral("Книга регистрации документов");
    book.list = list;
    book.list.selected.fill(false);
    book.list.rows << row << row;
    book.list.selected << false << false;

    // A book window's list past the limit: its job reads the list's texts
    // only while lines are written, so nothing is copied to be refused.
    core::ReportList window;
    core::SetupListViewColumns(&window, {QString(), QStringLiteral("Фамилия")}, {0, 0});
    {
        core::ListAppender rows(&window);
        for (int i = 0; i < kXlsLinesThatFit + 1; ++i) {
            rows.addRow(QStringLiteral("R%1").arg(i));
            rows.setText(1, QStringLiteral("Ёлкина"));
        }
    }
    const BookPrintJob windowBook = bookPrintJob(core::SpecialistCertificates, book.caption, &window,
                                                 {QString(), QStringLiteral("Фамилия")}, {0, 0}, 0, 0);
    EXPECT_TRUE(windowBook.list.rows.isEmpty());
    EXPECT_EQ(windowBook.list.text(kXlsLinesThatFit, 1), QStringLiteral("Ёлкина"));

    struct Case {
        const char* name;
        std::function<QString()> print;
        QString expected;
    } cases[] = {
        {"list",
         [&] {
             answerChooser("11111");
             printDirectoryList(list, OfficePath::Excel);
             return QString();
         },
         QStringLiteral("Печатная форма не создана: строк списка для печати: 65533, а лист файла .xls вмещает 65536 "
                        "строк, из них под строки списка — не более 65532. Ничего не записано.")},
        {"book", [&] { return printSheet(bookSheet(book, QList<bool>(5, true), OfficePath::Excel), OfficePath::Excel); },
         QStringLiteral("Печатная форма не создана: строк книги для печати: 65535, а лист файла .xls вмещает 65536 "
                        "строк, из них под строки книги — не более 65532. Ничего не записано.")},
        {"book window",
         [&] {
             return printSheet(bookSheet(windowBook, QList<bool>(2, true), OfficePath::Excel), OfficePath::Excel);
         },
         QStringLiteral("Печатная форма не создана: строк книги для печати: 65533, а лист файла .xls вмещает 65536 ")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::MessageRecorder messages;
        ui::setStatusText(QString());
        EXPECT_TRUE(c.print().isEmpty());
        ASSERT_EQ(messages.count(), 1);
        const QString shown = messages.texts().first();
        EXPECT_TRUE(shown.startsWith(c.expected)) << shown.toStdString();
        EXPECT_TRUE(shown.contains(QStringLiteral("\"OpenOffice.org\""))) << shown.toStdString();
        EXPECT_EQ(ui::statusText(), QStringLiteral("Печатная форма не создана."));
        EXPECT_TRUE(documents.entryList(QDir::Files).isEmpty());
        EXPECT_FALSE(o.isRunning());
    }
    o.setProgram(program);
    ui::setDialogHandler({});
    core::state().AppPath.clear();
}

INSTANTIATE_TEST_SUITE_P(BothPaths, ListPrintFailures,
                         ::testing::Combine(::testing::Values(OfficePath::Excel, OfficePath::Calc),
                                            ::testing::Values(true)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) == OfficePath::Calc ? "Calc" : "Excel");
                         });

std::string paramName(const ::testing::TestParamInfo<std::tuple<OfficePath, bool>>& info)
{
    return std::string(std::get<0>(info.param) == OfficePath::Calc ? "Calc" : "Excel")
        + (std::get<1>(info.param) ? "ShippedTemplates" : "NoTemplate");
}

INSTANTIATE_TEST_SUITE_P(BothPaths, ListPrint,
                         ::testing::Combine(::testing::Values(OfficePath::Excel, OfficePath::Calc),
                                            ::testing::Bool()),
                         paramName);

} // namespace
