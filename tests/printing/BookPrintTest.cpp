// Printing the registry books of a small database through both office
// paths: the saved file is opened again and its title, header with the
// grade block, ticked columns, rows, widths, borders and name are checked;
// each book keeps its own column ticks. All tests share one headless office.
#include "books/BookFixture.h"
#include "books/frmPFM.h"
#include "core/ChildWindows.h"
#include "core/ListView.h"
#include "core/TextHelpers.h"
#include "platform/office/Calc.h"
#include "platform/office/Excel.h"
#include "platform/office/Office.h"
#include "platform/office/UnoSupport.h"
#include "platform/settings/Settings.h"
#include "printing/BookPrinting.h"
#include "printing/frmUrDial.h"

#include "SheetPrintFixtures.h"
#include "core/PrintQtValues.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>

#include <memory>
#include <optional>

using namespace printing;
using namespace printtest;
using office::BorderIndex;
using office::BorderWeight;
using office::LineStyle;

namespace {

const QString kUser = QString::fromLatin1(settings::kSectionUser);
const QString kRetrainingCaption = QStringLiteral("Книга регистрации выдаваемых документов переподготовки");
const QString kCertificateCaption = QStringLiteral("Книга регистрации выданных сертификатов");

class BookPrint : public ::testing::TestWithParam<OfficePath> {
protected:
    void SetUp() override
    {
        core::resetState();
        testsupport::clearSettings();
        ASSERT_TRUE(app_.isValid());
        ASSERT_TRUE(newdb::CreateNewDatabase(db_.file(QStringLiteral("books.db")), true));
        booktest::fillFixture();
        core::state().AppPath = app_.path();
        QDir(app_.path()).mkpath(QStringLiteral("Документы"));
        core::shellServices().activateMainWindow = [this] { ++activations_; };
        ui::setStatusText(QString());
    }
    void TearDown() override
    {
        book_.reset();
        // A print leaves nothing open in a headless office, whatever happened.
        EXPECT_EQ(openDocumentCount(), 0);
        ui::setDialogHandler({});
        core::shellServices().activateMainWindow = nullptr;
        core::windowFactories() = {};
        core::CloseDatabase();
        core::state().AppPath.clear();
    }

    bool calc() const { return GetParam() == OfficePath::Calc; }
    QString extension() const { return calc() ? QStringLiteral(".ods") : QStringLiteral(".xls"); }
    QDir documents() const { return QDir(app_.path() + QStringLiteral("/Документы")); }

    // The book window of `med` showing the group at `groupIndex` (0 all groups).
    books::frmPFM* open(int med, int groupIndex)
    {
        book_ = std::make_unique<books::frmPFM>(med);
        book_->Cm1()->setCurrentIndex(groupIndex);
        return book_.get();
    }
    void select(std::initializer_list<int> rows)
    {
        core::ReportList* list = book_->List();
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            list->topLevelItem(i).setSelected(false);
        for (int i : rows)
            list->topLevelItem(i).setSelected(true);
    }
    // Prints the window's book through the chooser answered with `mask`;
    // the one new file.
    QString print(const QString& mask)
    {
        chooser_.set(mask);
        return printedFile(documents(), [this] {
            if (calc())
                book_->bPrintOOo();
            else
                book_->bPrint_click();
        });
    }

    // Widths as the workbook model reads them back, in characters.
    double gradeWidth() const { return calc() ? 2600 / 224.0 : 18; }
    double otherWidth() const { return calc() ? 3000 / 224.0 : 30; }

    testsupport::MessageRecorder messages_;
    testsupport::TempFolder db_;
    QTemporaryDir app_;
    ChooserAnswer chooser_;
    std::unique_ptr<books::frmPFM> book_;
    int activations_ = 0;
};

TEST_P(BookPrint, RetrainingBookWithItsGradeBlock)
{
    open(core::RetrainingDocuments, 0);  // Абрамов, Гусев, Ёлкина, Яковлев; grades in columns 7 to 9
    select({0, 3});                      // two selected: only these, through both paths
    // Ticked: number, registration number, surname, the second and third
    // grade columns and the diploma blank.
    const QString mask = QStringLiteral("101010001110000000000");
    const QString file = print(mask);

    // One chooser entry per list column, the grade block's included.
    ASSERT_EQ(chooser_.entries.size(), 21);
    EXPECT_EQ(chooser_.entries.mid(6, 5),
              (QStringList{"Отчество", "анатомия (72)", "Биология (36)", "Ёмкость.расчёт (10)",
                           "Серия и номер бланка диплома"}));
    EXPECT_EQ(settings::getSetting(kUser, QStringLiteral("PFM2")), mask);

    EXPECT_EQ(QFileInfo(file).fileName(), kRetrainingCaption + extension());
    ASSERT_EQ(messages_.count(), 1);
    EXPECT_EQ(messages_.texts().first(),
              QStringLiteral("Печатная форма книги выполнена и сохранена в файле \"%1%2\".").arg(kRetrainingCaption, extension()));
    EXPECT_EQ(messages_.messages().front().icon(), ui::Information);
    EXPECT_EQ(ui::statusText(), calc() ? QStringLiteral("Печатная форма книги выполнена и сохранена.")
                                       : QStringLiteral("Печатная форма книги выполнена."));
    EXPECT_EQ(activations_, 1);

    Reopened r(file);
    EXPECT_EQ(r.sheet.name(), calc() ? kRetrainingCaption : kRetrainingCaption.left(31));
    EXPECT_EQ(r.text(1, 1), kRetrainingCaption);
    EXPECT_TRUE(r.block(1, 1, 1, 6).mergeCells());
    EXPECT_EQ(r.rowTexts(4, 7), (QStringList{"№ п.п", "Регистрационный номер", "Фамилия", "Биология (36)",
                                             "Ёмкость.расчёт (10)", "Серия и номер бланка диплома", ""}));
    EXPECT_EQ(r.rowTexts(5, 5), (QStringList{"1", "9007199254740993", "Абрамов", " ", " "}));
    EXPECT_EQ(r.rowTexts(6, 5), (QStringList{"2", "ПК-0150", "Яковлев", calc() ? " 5" : "5", " +"}));
    EXPECT_EQ(r.text(7, 3), QString());
    // Through Excel a short number becomes a number; through Calc every
    // listed text stays text. The running number is a number.
    EXPECT_EQ(r.sheet.cells(6, 4).value().typeId(), calc() ? QMetaType::QString : QMetaType::Double);
    EXPECT_EQ(r.sheet.cells(6, 1).value().typeId(), QMetaType::Double);
    // Without a template each column is aligned as in the list.
    EXPECT_EQ(r.sheet.cells(5, 2).horizontalAlignment(), office::HAlign::Right);
    EXPECT_EQ(r.sheet.cells(5, 3).horizontalAlignment(), office::HAlign::Left);
    EXPECT_EQ(r.sheet.cells(6, 4).horizontalAlignment(), office::HAlign::Center);

    // The grade block: narrow columns, the captions upright through Excel.
    for (int c : {4, 5}) {
        EXPECT_NEAR(r.sheet.columns(c).columnWidth(), gradeWidth(), 0.35) << c;
        EXPECT_EQ(r.sheet.cells(4, c).orientation(), calc() ? 0 : 90) << c;
    }
    for (int c : {2, 3, 6}) {
        EXPECT_NEAR(r.sheet.columns(c).columnWidth(), otherWidth(), 0.35) << c;
        EXPECT_EQ(r.sheet.cells(4, c).orientation(), 0) << c;
    }
    if (!calc()) {
        EXPECT_NEAR(r.sheet.rows(4).rowHeight(), 100, 0.5);
        EXPECT_TRUE(r.sheet.cells(4, 4).bold());
        EXPECT_TRUE(r.sheet.cells(1, 1).bold());
        EXPECT_EQ(r.sheet.cells(1, 1).fontSize(), 14);
    }
    expectBorders(r, 5, 6, 6);
    expectBorders(r, 4, 4, 6);
}

TEST_P(BookPrint, CertificateBookRowsFollowThePath)
{
    books::frmPFM* w = open(core::SpecialistCertificates, 0);
    const core::ReportList* list = w->List();
    ASSERT_GE(list->topLevelItemCount(), 3);
    QStringList surnames;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        surnames << list->topLevelItem(i).text(4);
    select({0, 2});
    // Without the running number: surname and first name only.
    const QString file = print(QStringLiteral("00001100000000"));
    EXPECT_EQ(chooser_.entries.size(), 14);
    EXPECT_EQ(QFileInfo(file).fileName(), kCertificateCaption + extension());

    Reopened r(file);
    EXPECT_EQ(r.text(1, 1), kCertificateCaption);
    EXPECT_TRUE(r.block(1, 1, 1, 2).mergeCells());
    EXPECT_EQ(r.rowTexts(4, 3), (QStringList{"Фамилия", "Имя", ""}));
    // Through Excel the certificate book prints every row whatever is
    // selected; through Calc only the selected ones.
    const QStringList expected = calc() ? QStringList{surnames[0], surnames[2]} : surnames;
    QStringList printed;
    for (int row = 5; !r.text(row, 1).isEmpty(); ++row)
        printed << r.text(row, 1);
    EXPECT_EQ(printed, expected);
    // No grade block: no upright captions, no tall header row.
    EXPECT_EQ(r.sheet.cells(4, 1).orientation(), 0);
    EXPECT_LT(r.sheet.rows(4).rowHeight(), 50);
    EXPECT_NEAR(r.sheet.columns(1).columnWidth(), otherWidth(), 0.35);
    expectBorders(r, 5, int(expected.size()) + 4, 2);
    expectBorders(r, 4, 4, 2);
}

TEST_P(BookPrint, NothingSelectedInTheRetrainingBookPrintsTitleAndHeader)
{
    open(core::RetrainingDocuments, 0);
    select({});
    const QString file = print(QStringLiteral("11111"));
    Reopened r(file);
    EXPECT_EQ(r.text(1, 1), kRetrainingCaption);
    EXPECT_EQ(r.text(4, 5), QStringLiteral("Фамилия"));
    EXPECT_EQ(r.rowTexts(5, 3), QStringList(3, QString()));
    expectBorders(r, 4, 4, 21);
    EXPECT_EQ(r.block(5, 1, 5, 21).border(BorderIndex::EdgeBottom).lineStyle(), LineStyle::None);
}

TEST_P(BookPrint, FilteredBooksAreSavedUnderTheirCaptions)
{
    struct Case {
        int med;
        QString caption;
        QString fileBase;
        QString firstSurname;
    };
    auto& s = core::state();
    s.CertFilterNumberFrom = QStringLiteral("100");
    s.CertFilterNumberTo = QStringLiteral("200");
    s.DocFilterNumberFrom = QStringLiteral("150");
    s.DocFilterNumberTo = QStringLiteral("151");
    const Case cases[] = {
        {core::SpecialistCertificates, kCertificateCaption + QStringLiteral(" - Фильтр по рег.номеру: 100-200"),
         kCertificateCaption + QStringLiteral(" - Фильтр по рег.номеру 100-200"), QStringLiteral("Ёлкина")},
        {core::RetrainingDocuments, kRetrainingCaption + QStringLiteral(" - Фильтр по рег.номеру: 150-151"),
         kRetrainingCaption + QStringLiteral(" - Фильтр по рег.номеру 150-151"), QStringLiteral("Ёлкина")},
    };
    for (const Case& c : cases) {
        messages_.clear();
        books::frmPFM* w = open(c.med, 1);  // Группа А
        ASSERT_EQ(w->windowTitle(), c.caption);
        const QString file = print(QStringLiteral("11111"));
        EXPECT_EQ(QFileInfo(file).fileName(), c.fileBase + extension()) << c.med;
        ASSERT_EQ(messages_.count(), 1);
        EXPECT_EQ(messages_.texts().first(),
                  QStringLiteral("Печатная форма книги выполнена и сохранена в файле \"%1%2\".").arg(c.fileBase, extension()));
        Reopened r(file);
        // The title keeps the caption; the sheet takes it where the office can.
        EXPECT_EQ(r.text(1, 1), c.caption) << c.med;
        if (!calc()) {
            EXPECT_EQ(r.sheet.name(), core::Left31(core::SheetSafeName(c.caption)));
        }
        EXPECT_EQ(r.text(5, 5), c.firstSurname) << c.med;
        book_.reset();
    }
}

TEST_P(BookPrint, GenericTemplateKeepsItsLookOfTheLines)
{
    // The shipped generic template.
    const QString ext = calc() ? QStringLiteral(".ots") : QStringLiteral(".xlt");
    ASSERT_NO_FATAL_FAILURE(
        provideSheetTemplate(app_.path() + QStringLiteral("/Шаблоны ЭЖ"), QStringLiteral("Справочники (шаблон)"), ext));

    open(core::RetrainingDocuments, 0);
    select({3});  // one selected: every row
    const QString file = print(QStringLiteral("1111111111"));
    Reopened r(file);
    // Title, header, widths and upright captions are written all the same;
    // the lines keep the template's alignment instead of the list's.
    EXPECT_EQ(r.text(1, 1), kRetrainingCaption);
    EXPECT_EQ(r.text(4, 8), QStringLiteral("анатомия (72)"));
    EXPECT_NEAR(r.sheet.columns(8).columnWidth(), gradeWidth(), 0.35);
    EXPECT_EQ(r.sheet.cells(4, 8).orientation(), calc() ? 0 : 90);
    EXPECT_EQ(r.rowTexts(8, 3), (QStringList{"4", "Группа А", "ПК-0150"}));
    EXPECT_NE(r.sheet.cells(8, 3).horizontalAlignment(), office::HAlign::Right);
}

INSTANTIATE_TEST_SUITE_P(BothPaths, BookPrint, ::testing::Values(OfficePath::Excel, OfficePath::Calc),
                         [](const auto& info) { return std::string(info.param == OfficePath::Calc ? "Calc" : "Excel"); });

TEST(BookRows, EveryRowThroughExcelForSomeBooksElseTheSelection)
{
    const QList<bool> twoSelected{false, true, false, true};
    const QList<int> all{0, 1, 2, 3};
    const QList<int> selected{1, 3};
    struct Case {
        int med;
        OfficePath path;
        QList<int> rows;
    };
    const Case cases[] = {
        {core::Documents, OfficePath::Excel, all},
        {core::SpecialistCertificates, OfficePath::Excel, all},
        {core::RetrainingDocuments, OfficePath::Excel, selected},
        {core::TrainingCertificates, OfficePath::Excel, all},
        {core::AcademicTranscripts, OfficePath::Excel, selected},
        {core::Documents, OfficePath::Calc, selected},
        {core::SpecialistCertificates, OfficePath::Calc, selected},
        {core::TrainingCertificates, OfficePath::Calc, selected},
    };
    for (const Case& c : cases) {
        BookPrintJob job;
        job.med = c.med;
        job.list.selected = twoSelected;
        EXPECT_EQ(bookRowsToPrint(job, c.path), c.rows) << c.med << " " << int(c.path);
    }
}

// The ticks of the chooser, without an office.
class BookColumnTicks : public booktest::BookDbTest {
protected:
    void TearDown() override
    {
        ui::setDialogHandler({});
        books_.clear();
        booktest::BookDbTest::TearDown();
    }
    // The chooser of a book window at a group, answered with `mask`; what it offered.
    QString choose(int med, int groupIndex, const QString& mask)
    {
        auto w = std::make_unique<books::frmPFM>(med);
        w->Cm1()->setCurrentIndex(groupIndex);
        const BookPrintJob job = bookPrintJob(med, w->windowTitle(), w->List(), w->columnModel().captions(),
                                              w->columnModel().alignments(), w->nper(), w->gradeCount());
        books_.push_back(std::move(w));
        chooser_.set(mask);
        EXPECT_TRUE(chooseBookColumns(job));
        return chooser_.offered;
    }
    ChooserAnswer chooser_;
    std::vector<std::unique_ptr<books::frmPFM>> books_;
};

TEST_F(BookColumnTicks, EachBookKeepsItsOwnTicks)
{
    const QString certificate = QStringLiteral("10101010101010");        // 14 entries
    const QString retraining = QStringLiteral("011111111111111111100");  // 21 entries: three grade columns
    EXPECT_EQ(choose(core::SpecialistCertificates, 0, certificate), QString(14, QLatin1Char('1')));
    EXPECT_EQ(choose(core::RetrainingDocuments, 0, retraining), QString(21, QLatin1Char('1')));
    EXPECT_EQ(settings::getSetting(kUser, QStringLiteral("PFM1")), certificate);
    EXPECT_EQ(settings::getSetting(kUser, QStringLiteral("PFM2")), retraining);
    // Offered again to each book as it left them.
    EXPECT_EQ(choose(core::SpecialistCertificates, 0, certificate), certificate);
    EXPECT_EQ(choose(core::RetrainingDocuments, 0, retraining), retraining);
    EXPECT_EQ(core::state().PrintColumnMask, retraining);
}

TEST_F(BookColumnTicks, TicksForAnotherNumberOfGradeColumnsAreNotShifted)
{
    // All groups: three grade columns; group Б: one (анатомия).
    const QString three = QStringLiteral("111111100111111111111");
    const QString one = QStringLiteral("1111110111111111111");
    EXPECT_EQ(choose(core::RetrainingDocuments, 0, three).size(), 21);
    EXPECT_EQ(choose(core::RetrainingDocuments, 2, one), QString(19, QLatin1Char('1')));
    EXPECT_EQ(choose(core::RetrainingDocuments, 0, three), QString(21, QLatin1Char('1')));
    EXPECT_EQ(choose(core::RetrainingDocuments, 0, three), three);
}

} // namespace
