// The registry-book filter: the dialog, the stored bounds and the command
// that probes the book before it shows the filtered book.
#include "BookFixture.h"

#include "books/BookFilter.h"
#include "books/frmFilter.h"
#include "books/frmPFM.h"
#include "core/ListView.h"
#include "support/DateTyping.h"
#include "support/ListRows.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>

#include <functional>
#include <memory>

using namespace booktest;

namespace {

TEST(FilterNumberTest, DigitsOfWhatWasTyped)
{
    struct Case {
        const char* typed;
        const char* digits;  // nullptr: refused
    };
    const Case cases[] = {
        {"1 2 3", "123"},
        {"-45", "45"},
        {"+007", "007"},
        {"№ 12-А", "12"},
        {"", nullptr},
        {"abc", nullptr},
        {"999999999999999999", "999999999999999999"},  // 18 digits
        {"1000000000000000000", nullptr},              // 19 digits do not fit
    };
    for (const Case& c : cases) {
        const auto d = books::filterNumberDigits(QString::fromUtf8(c.typed));
        EXPECT_EQ(d.has_value(), c.digits != nullptr) << c.typed;
        if (d && c.digits) {
            EXPECT_EQ(*d, QString::fromUtf8(c.digits)) << c.typed;
        }
    }
}

TEST(FilterStateTest, OneCriterionPerSetAndTwoSets)
{
    core::resetState();
    books::storeDateFilter(1, QDate(2024, 1, 1), QDate(2024, 12, 31));
    books::storeNumberFilter(2, QStringLiteral("5"), QStringLiteral("9"));
    EXPECT_EQ(core::state().CertFilterDateFrom, QStringLiteral("01.01.2024"));
    books::storeNumberFilter(1, QStringLiteral("100"), QStringLiteral("200"));
    EXPECT_TRUE(core::state().CertFilterDateFrom.isEmpty());
    EXPECT_TRUE(core::state().CertFilterDateTo.isEmpty());
    EXPECT_EQ(core::state().DocFilterNumberFrom, QStringLiteral("5"));
    // Books 0, 2, 3 and 4 share one set.
    for (int med : {0, 3, 4})
        EXPECT_EQ(books::bookFilterSet(med).numberTo, QStringLiteral("9")) << med;
    books::ClearRegistryFilter(0);
    EXPECT_TRUE(books::bookFilterSet(2).isEmpty());
    EXPECT_FALSE(books::bookFilterSet(1).isEmpty());
    books::ClearRegistryFilter(1);
    EXPECT_TRUE(books::bookFilterSet(1).isEmpty());
}

TEST(FilterQuestionTest, TextsOfBothQuestions)
{
    EXPECT_EQ(books::noMatchInGroupQuestion(0, 1, QStringLiteral("Группа А")),
              QStringLiteral("В выбранных границах номеров не найдено сертификатов в данной группе \"Группа А\", "
                             "установить фильтр по всем имеющимся группам? \"Да\" - выбрать из всех групп, \"Нет\" - "
                             "выбрать другой интервал, \"Отмена\" - оставить фильтр без изменений."));
    EXPECT_EQ(books::noMatchQuestion(1, 2),
              QStringLiteral("В выбранном периоде не найдено ни одного диплома. \"Да\" - выбрать другие границы "
                             "периода, \"Нет\" - вывести все записи книги без фильтра, \"Отмена\" - оставить фильтр "
                             "без изменений."));
}

class FilterDialogTest : public ::testing::Test {
protected:
    void SetUp() override { core::resetState(); }
};

TEST_F(FilterDialogTest, NumberPageStoresDigitsOrWarns)
{
    core::state().DocFilterDateFrom = QStringLiteral("01.01.2024");
    core::state().DocFilterDateTo = QStringLiteral("02.01.2024");
    core::state().DocFilterNumberFrom = QStringLiteral("11");
    books::frmFilter dialog(2, 0);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Фильтр по Регистрационному номеру"));
    EXPECT_FALSE(dialog.Frame1()->isHidden());
    EXPECT_TRUE(dialog.Frame2()->isHidden());
    EXPECT_EQ(dialog.Text1()->text(), QStringLiteral("11"));

    testsupport::MessageRecorder messages;
    dialog.Text1()->setText(QStringLiteral("- 1 5"));
    const struct {
        const char* typed;
        const char* warning;
    } refused[] = {
        {"12345678901234567890", "Слишком длинное число: в поле можно ввести не больше 18 цифр."},
        {"1234567890123456789", "Слишком длинное число: в поле можно ввести не больше 18 цифр."},
        {"№ б/н", "Введите в поле целое число."},
        {"", "Введите в поле целое число."},
    };
    for (const auto& r : refused) {
        messages.clear();
        dialog.Text4()->setText(QString::fromUtf8(r.typed));
        dialog.cmdOK_Click();
        EXPECT_EQ(messages.texts(), QStringList{QString::fromUtf8(r.warning)}) << r.typed;
        EXPECT_EQ(core::state().DialogResult, 0);
        EXPECT_EQ(core::state().DocFilterNumberFrom, QStringLiteral("11"));
    }
    // Eighteen digits are a number still.
    dialog.Text4()->setText(QStringLiteral("123456789012345678"));
    dialog.cmdOK_Click();
    EXPECT_EQ(core::state().DocFilterNumberTo, QStringLiteral("123456789012345678"));

    dialog.Text4()->setText(QStringLiteral("3"));  // from above to is kept as typed
    dialog.cmdOK_Click();
    EXPECT_EQ(core::state().DialogResult, -1);
    EXPECT_EQ(core::state().DocFilterNumberFrom, QStringLiteral("15"));
    EXPECT_EQ(core::state().DocFilterNumberTo, QStringLiteral("3"));
    EXPECT_TRUE(core::state().DocFilterDateFrom.isEmpty());

    // The arrows step the number the digits make.
    dialog.Text1()->setText(QStringLiteral("99"));
    dialog.Text1()->stepBy(1);
    EXPECT_EQ(dialog.Text1()->text(), QStringLiteral("100"));
    dialog.Text1()->setText(QStringLiteral("0"));
    dialog.Text1()->stepBy(-1);
    EXPECT_EQ(dialog.Text1()->text(), QStringLiteral("0"));
}

TEST_F(FilterDialogTest, DatePageExchangesReversedDates)
{
    books::frmFilter dialog(1, 1);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Фильтр по Дате выдачи"));
    EXPECT_EQ(dialog.Frame2()->title(), QStringLiteral("Укажите границы периода выдачи сертификатов:"));
    dialog.DT1()->setDate(QDate(2024, 12, 31));
    dialog.DT2()->setDate(QDate(2024, 1, 1));
    dialog.cmdOK_Click();
    EXPECT_EQ(core::state().CertFilterDateFrom, QStringLiteral("01.01.2024"));
    EXPECT_EQ(core::state().CertFilterDateTo, QStringLiteral("31.12.2024"));

    books::frmFilter again(1, 1);
    EXPECT_EQ(again.DT1()->date(), QDate(2024, 1, 1));
    EXPECT_EQ(again.DT2()->date(), QDate(2024, 12, 31));
    again.Without_Click();
    EXPECT_TRUE(books::bookFilterSet(1).isEmpty());
    EXPECT_EQ(core::state().DialogResult, -1);

    const struct {
        int med;
        const char* caption;
    } captions[] = {{2, "Укажите границы периода выдачи документов переподготовки:"},
                    {3, "Укажите границы периода выдачи свидетельств:"},
                    {0, "Укажите границы периода выдачи дипломов:"}};
    for (const auto& c : captions)
        EXPECT_EQ(books::frmFilter(c.med, 1).Frame2()->title(), QString::fromUtf8(c.caption));
}

// Dates typed into the filter's date fields with dots, as digits alone or
// pasted; dates that do not exist keep the bound the field had.
class FilterDateTypingTest : public ::testing::TestWithParam<testsupport::DateTyping> {
protected:
    void SetUp() override { core::resetState(); }
};

TEST_P(FilterDateTypingTest, StoresTheDateAsTyped)
{
    const testsupport::DateTyping& c = GetParam();
    const QString start = testsupport::dateTypingStart().toString(QStringLiteral("dd.MM.yyyy"));
    core::state().DocFilterDateFrom = start;
    core::state().DocFilterDateTo = start;
    testsupport::MessageRecorder messages;
    books::frmFilter dialog(2, 1);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    // "по": reached as a user does, by a click.
    testsupport::typeDate(dialog.DT2(), c);
    testsupport::expectTyped(dialog.DT2(), c, messages);
    messages.clear();
    // "с": the field the dialog opens in, typed straight away.
    dialog.DT1()->setFocus();
    QApplication::processEvents();
    if (c.paste) {
        QGuiApplication::clipboard()->setText(QString::fromUtf8(c.keys));
        QTest::keyClick(dialog.DT1(), Qt::Key_V, Qt::ControlModifier);
    } else {
        QTest::keyClicks(dialog.DT1(), QString::fromUtf8(c.keys));
    }
    QApplication::processEvents();
    testsupport::expectTyped(dialog.DT1(), c, messages);
    dialog.cmdOK_Click();
    const QString stored = c.expected.isValid() ? c.expected.toString(QStringLiteral("dd.MM.yyyy")) : start;
    EXPECT_EQ(core::state().DocFilterDateFrom, stored);
    EXPECT_EQ(core::state().DocFilterDateTo, stored);
}

INSTANTIATE_TEST_SUITE_P(Dates, FilterDateTypingTest, ::testing::ValuesIn(testsupport::kDateTypings));

// The book's filter commands with the dialog answered by a script: each
// step fills the dialog that opens and presses one of its buttons.
class SetBookFilterTest : public BookDbTest {
protected:
    using Step = std::function<void(books::frmFilter*)>;
    void TearDown() override
    {
        ui::setDialogHandler({});
        book.reset();
        BookDbTest::TearDown();
    }
    void script(std::vector<Step> steps)
    {
        steps_ = std::move(steps);
        opened_ = 0;
        ui::setDialogHandler([this](QDialog* d) {
            auto* f = qobject_cast<books::frmFilter*>(d);
            if (!f || opened_ >= int(steps_.size()))
                return int(QDialog::Rejected);
            steps_[size_t(opened_++)](f);
            return f->result();
        });
    }
    static Step numbers(const char* from, const char* to)
    {
        return [from, to](books::frmFilter* f) {
            f->Text1()->setText(QString::fromUtf8(from));
            f->Text4()->setText(QString::fromUtf8(to));
            f->cmdOK_Click();
        };
    }
    static Step cancel()
    {
        return [](books::frmFilter* f) { f->cmdCancel_Click(); };
    }
    books::frmPFM* open(int med, int groupIndex)
    {
        book = std::make_unique<books::frmPFM>(med);
        book->Cm1()->setCurrentIndex(groupIndex);
        return book.get();
    }
    QStringList keys() const { return testsupport::keys(book->List()); }

    std::unique_ptr<books::frmPFM> book;
    std::vector<Step> steps_;
    int opened_ = 0;
};

TEST_F(SetBookFilterTest, MatchesOnlyInAnotherGroupOffersAllGroups)
{
    books::frmPFM* w = open(1, 1);  // Группа А
    testsupport::MessageRecorder messages;
    messages.answer(ui::Yes);
    script({numbers("9007199254740993", "9007199254740993")});
    w->SetBookFilter(0);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.messages().at(0).text, books::noMatchInGroupQuestion(0, 1, QStringLiteral("Группа А")));
    EXPECT_EQ(messages.messages().at(0).style, ui::YesNoCancel | ui::Question);
    EXPECT_EQ(w->Cm1()->currentIndex(), 0);
    EXPECT_EQ(keys(), QStringList{QStringLiteral("R4")});
    EXPECT_TRUE(w->windowTitle().endsWith(QStringLiteral(" - Фильтр по рег.номеру: 9007199254740993-9007199254740993")));
}

TEST_F(SetBookFilterTest, AnswersToTheQuestions)
{
    struct Case {
        const char* what;
        int groupIndex;
        std::vector<int> answers;
        int dialogs;
        bool filterKept;
        QStringList rows;
        int group;  // the combo's entry afterwards
    };
    const Case cases[] = {
        // Nothing anywhere: asked at once in all groups.
        {"no: without filter", 0, {ui::No}, 1, false, {"R4", "R5", "R2", "R1"}, 0},
        {"cancel: filter kept", 0, {ui::Cancel}, 1, true, {}, 0},
        // Other bounds, then "Отмена" in the dialog: the stored bounds wait for the next refresh.
        {"yes: other bounds, then cancel", 0, {ui::Yes}, 2, true, {"R4", "R5", "R2", "R1"}, 0},
        // Nothing in the group, nothing elsewhere: the second question.
        {"in a group", 1, {ui::No}, 1, false, {"R2", "R1"}, 1},
        // Found elsewhere, "Нет": the dialog again.
        {"elsewhere, other bounds", 1, {ui::No}, 2, true, {"R2", "R1"}, 1},
    };
    for (const Case& c : cases) {
        books::ClearRegistryFilter(1);
        books::frmPFM* w = open(1, c.groupIndex);
        testsupport::MessageRecorder messages;
        for (int a : c.answers)
            messages.answer(a);
        const bool elsewhere = QString::fromUtf8(c.what).startsWith(QStringLiteral("elsewhere"));
        script({elsewhere ? numbers("300", "9999999999999999") : numbers("1", "5"), cancel()});
        w->SetBookFilter(0);
        EXPECT_EQ(opened_, c.dialogs) << c.what;
        EXPECT_EQ(!books::bookFilterSet(1).isEmpty(), c.filterKept) << c.what;
        EXPECT_EQ(keys(), c.rows) << c.what;
        EXPECT_EQ(w->Cm1()->currentIndex(), c.group) << c.what;
    }
}

TEST_F(SetBookFilterTest, TheProbeAsksTheBooksOwnSelection)
{
    // Retraining numbers 150-151 are in group A; those persons have no diploma
    // number, and the book is shown without a question.
    books::frmPFM* w = open(2, 1);
    testsupport::MessageRecorder messages;
    script({numbers("150", "151")});
    w->SetBookFilter(0);
    EXPECT_EQ(messages.count(), 0);
    EXPECT_EQ(keys(), (QStringList{"R2", "R1"}));
}

TEST_F(SetBookFilterTest, CancelOrNoFilterInTheDialog)
{
    books::frmPFM* w = open(1, 0);
    core::state().CertFilterNumberFrom = QStringLiteral("100");
    core::state().CertFilterNumberTo = QStringLiteral("200");
    testsupport::MessageRecorder messages;
    script({cancel()});
    w->SetBookFilter(0);
    EXPECT_EQ(keys().size(), 4);  // nothing refreshed
    script({[](books::frmFilter* f) { f->Without_Click(); }});
    w->SetBookFilter(1);
    EXPECT_TRUE(books::bookFilterSet(1).isEmpty());
    EXPECT_EQ(keys().size(), 4);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Книга регистрации выданных сертификатов"));
    EXPECT_EQ(messages.count(), 0);

    // A date range in the chosen group.
    core::state().CertFilterDateFrom.clear();
    w->Cm1()->setCurrentIndex(2);  // Группа Б
    script({[](books::frmFilter* f) {
        f->DT1()->setDate(QDate(2024, 9, 10));
        f->DT2()->setDate(QDate(2024, 9, 10));
        f->cmdOK_Click();
    }});
    w->SetBookFilter(1);
    EXPECT_EQ(keys(), (QStringList{"R4", "R5"}));
    EXPECT_EQ(messages.count(), 0);
}

} // namespace
