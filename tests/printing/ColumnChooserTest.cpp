// The column chooser: its entries, the stored mask, paging, ticking all,
// and what OK and Отмена leave for the print.
#include "core/AppState.h"
#include "core/ChildWindows.h"
#include "platform/settings/Settings.h"
#include "printing/frmUrDial.h"

#include "core/PrintQtValues.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace printing;

namespace {

QVariantList captionsOf(const QStringList& list)
{
    QVariantList out;
    for (const QString& c : list)
        out << c;
    return out;
}

QStringList numbered(const QString& prefix, int count)
{
    QStringList out;
    for (int i = 1; i <= count; ++i)
        out << prefix + QString::number(i);
    return out;
}

QString storedMask(const QString& key)
{
    return settings::getSetting(QStringLiteral("User"), key, QStringLiteral("<none>"));
}

class ColumnChooser : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::clearSettings();
        core::resetState();
    }
    void TearDown() override { ui::setDialogHandler({}); }
};

TEST_F(ColumnChooser, EntriesOfAListAndOfABook)
{
    frmUrDial list;
    list.univers(captionsOf({QString(), QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}),
                 QStringLiteral("Spr4"), 0, {}, 1);
    EXPECT_EQ(list.ChooserCaptions(),
              (QStringList{QStringLiteral("Номер по порядку (№ п.п)"), QStringLiteral("A"), QStringLiteral("B")}));
    EXPECT_EQ(list.MaskKey(), QStringLiteral("Spr4"));

    // A book: six captions, a block of three grade columns, eleven after it.
    QVariantList book = captionsOf(QStringList{QString()} + numbered(QStringLiteral("до "), 6));
    book << QVariant(numbered(QStringLiteral("оценка "), 3));
    book += captionsOf(numbered(QStringLiteral("после "), 11));
    frmUrDial expanded;
    expanded.univers(book, QStringLiteral("PFM0"), 7, QStringLiteral("Итоговые оценки"), 0, true, true);
    EXPECT_EQ(expanded.ChooserCount(), 21);
    EXPECT_EQ(expanded.ChooserCaptions()[7], QStringLiteral("оценка 1"));
    EXPECT_EQ(expanded.ChooserCaptions()[10], QStringLiteral("после 1"));
    frmUrDial single;
    single.univers(book, QStringLiteral("PFM0"), 7, QStringLiteral("Итоговые оценки"), 0, false, true);
    EXPECT_EQ(single.ChooserCount(), 19);
    EXPECT_EQ(single.ChooserCaptions()[7], QStringLiteral("Итоговые оценки"));
    // An empty block adds no entry.
    book[7] = QVariant(QStringList{});
    frmUrDial empty;
    empty.univers(book, QStringLiteral("PFM0"), 7, QStringLiteral("Итоговые оценки"), 0, true, true);
    EXPECT_EQ(empty.ChooserCount(), 18);
}

TEST_F(ColumnChooser, ACaptionLongerThanItsBoxCanBeReadWhole)
{
    const QString longCaption = QStringLiteral("Номер и дата приказа об отчислении слушателя из учебного заведения");
    frmUrDial d;
    d.univers(captionsOf({QString(), QStringLiteral("A"), longCaption}), QStringLiteral("Spr3"));
    d.Form_Load();
    EXPECT_EQ(d.Ch1(2)->toolTip(), longCaption);
}

// Every caption is shown whole: the columns widen to the longer captions,
// a caption longer still is broken into lines, and no box covers another or
// leaves the frame.
TEST_F(ColumnChooser, CaptionsAreShownWhole)
{
    const QStringList captions{
        QStringLiteral("Серия и номер бланка приложения к диплому"),
        QStringLiteral("Регистрационный номер"),
        QStringLiteral("Основы латинского языка с медицинской терминологией и фармацевтической химией, "
                       "включая практику в аптечных организациях"),
        QStringLiteral("Дата"),
    };
    for (int count : {4, 20}) {  // one column, and two
        SCOPED_TRACE(count);
        QStringList all{QString()};
        all += captions;
        all += numbered(QStringLiteral("Графа "), count - int(captions.size()));
        frmUrDial d;
        d.univers(captionsOf(all), QStringLiteral("Spr9"));
        d.Form_Load();
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        QRect previous;
        for (int k = 0; k < d.ChooserCount(); ++k) {
            QCheckBox* box = d.Ch1(k);
            SCOPED_TRACE(box->toolTip().toStdString());
            EXPECT_EQ(box->text().replace(QLatin1Char('\n'), QLatin1Char(' ')), d.ChooserCaptions()[k]);
            EXPECT_GE(box->width(), box->sizeHint().width());
            EXPECT_GE(box->height(), box->sizeHint().height());
            EXPECT_TRUE(box->parentWidget()->rect().contains(box->geometry()));
            if (k % 15 != 0) {
                EXPECT_FALSE(box->geometry().intersects(previous));
            }
            previous = box->geometry();
        }
        EXPECT_EQ(d.Ch1(1)->text(), captions[0]);  // fits on one line once the column widens
        EXPECT_TRUE(d.Ch1(3)->text().contains(QLatin1Char('\n')));
        EXPECT_TRUE(d.rect().contains(d.OKButton()->geometry()));
        EXPECT_GT(d.OKButton()->y(), d.findChild<QGroupBox*>()->geometry().bottom());
    }
}

// A chooser whose rows would make it higher than the screen (the retraining
// book: long discipline captions in two or three lines) fits the screen, its
// buttons on it, and its rows scroll within the frame.
TEST_F(ColumnChooser, AChooserTooHighForTheScreenFitsItAndScrollsItsRows)
{
    QStringList all{QString()};
    for (int i = 1; i <= 123; ++i)
        all << QStringLiteral("Сестринское дело в хирургии, травматологии и ортопедии с курсом реанимации, анестезиологии "
                              "и интенсивной терапии, часть %1 (72)")
                   .arg(i);
    QWidget owner;  // the main window, shown
    owner.setGeometry(10, 10, 300, 200);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    frmUrDial d(&owner);
    d.univers(captionsOf(all), QStringLiteral("PFM0"));
    d.Form_Load();
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    const QRect screen = d.screen()->availableGeometry();
    EXPECT_LE(d.frameGeometry().height(), screen.height());
    EXPECT_TRUE(d.rect().contains(d.OKButton()->geometry()));
    EXPECT_TRUE(d.rect().contains(d.CancelButton()->geometry()));
    EXPECT_TRUE(d.rect().contains(d.Cmd1(1)->geometry()));

    // The rows scroll: the last row of the page can be brought into view, and
    // the boxes stand whole beside the scroll bar.
    auto* scroll = d.findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    QScrollBar* bar = scroll->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_TRUE(bar->isVisible());
    QCheckBox* lastRow = d.Ch1(14);
    const auto inView = [&](QCheckBox* box) {
        const QRect shown(box->mapTo(scroll->viewport(), QPoint(0, 0)), box->size());
        return scroll->viewport()->rect().contains(shown);
    };
    EXPECT_TRUE(inView(d.Ch1(0)));
    EXPECT_FALSE(inView(lastRow));
    // The keyboard brings a box into view as it takes the focus.
    d.Ch1(13)->setFocus();
    QTest::keyClick(d.Ch1(13), Qt::Key_Tab);
    EXPECT_TRUE(lastRow->hasFocus());
    EXPECT_TRUE(inView(lastRow));
    EXPECT_LE(d.Ch1(29)->geometry().right(), scroll->viewport()->width());

    // A chooser that fits shows no scroll bar.
    frmUrDial small(&owner);
    small.univers(captionsOf({QString(), QStringLiteral("A"), QStringLiteral("B")}), QStringLiteral("Spr1"));
    small.Form_Load();
    small.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&small));
    EXPECT_FALSE(small.findChild<QScrollArea*>()->verticalScrollBar()->isVisible());
}

TEST_F(ColumnChooser, StoredMaskTicksTheBoxes)
{
    struct Case {
        const char* stored;  // null: nothing stored
        QList<bool> ticked;
    } cases[] = {
        {nullptr, {true, true, true, true}},
        {"0101", {false, true, false, true}},
        {"01", {true, true, true, true}},          // too short: everything ticked
        {"10x1100", {true, false, false, true}},   // longer: its first characters; no digit reads 0
    };
    for (const Case& c : cases) {
        testsupport::clearSettings();
        if (c.stored)
            settings::saveSetting(QStringLiteral("User"), QStringLiteral("Spr3"), QString::fromUtf8(c.stored));
        frmUrDial d;
        d.univers(captionsOf({QString(), QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}),
                  QStringLiteral("Spr3"));
        d.Form_Load();
        QList<bool> ticked;
        for (int k = 0; k < d.ChooserCount(); ++k)
            ticked << d.Ch1(k)->isChecked();
        EXPECT_EQ(ticked, c.ticked) << (c.stored ? c.stored : "none");
        EXPECT_FALSE(d.Cmd1(0)->isEnabled());
        EXPECT_FALSE(d.Cmd1(1)->isEnabled());
    }
}

TEST_F(ColumnChooser, PagingByColumnsOfFifteen)
{
    frmUrDial d;
    d.univers(captionsOf(QStringList{QString()} + numbered(QStringLiteral("Графа "), 39)), QStringLiteral("Spr9"));
    d.Form_Load();
    d.show();
    ASSERT_EQ(d.ChooserCount(), 40);
    EXPECT_TRUE(d.Cmd1(1)->isEnabled());
    auto visible = [&] {
        QList<int> out;
        for (int k = 0; k < d.ChooserCount(); ++k)
            if (d.Ch1(k)->isVisible())
                out << k;
        return out;
    };
    EXPECT_EQ(visible().first(), 0);
    EXPECT_EQ(visible().last(), 29);
    d.Cmd1(1)->click();
    EXPECT_EQ(d.ChooserPage(), 1);
    EXPECT_EQ(visible().first(), 15);
    EXPECT_EQ(visible().last(), 39);
    // Entry 15 moved to the top of the left column.
    EXPECT_EQ(d.Ch1(15)->pos(), d.Ch1(0)->pos());
    d.Cmd1(1)->click();
    EXPECT_EQ(d.ChooserPage(), 1);
    d.Cmd1(0)->click();
    EXPECT_EQ(d.ChooserPage(), 0);
    EXPECT_EQ(visible().last(), 29);
    // Wide with more than 14 entries, narrow with fewer.
    frmUrDial narrow;
    narrow.univers(captionsOf(QStringList{QString()} + numbered(QStringLiteral("Графа "), 13)), QStringLiteral("Spr9"));
    narrow.Form_Load();
    EXPECT_GT(d.width(), 1.5 * narrow.width());
}

TEST_F(ColumnChooser, OkSavesTheMaskAndCancelSavesNothing)
{
    const QVariantList captions = captionsOf({QString(), QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    ui::setDialogHandler([](QDialog* dialog) {
        auto* d = static_cast<frmUrDial*>(dialog);
        d->MarkButton(0)->click();  // "--": nothing ticked, the hidden ones too
        d->Ch1(0)->setChecked(true);
        d->Ch1(2)->setChecked(true);
        d->OKButton()->click();
        return dialog->result();
    });
    EXPECT_TRUE(showColumnChooser(captions, listMaskKey(3)));
    EXPECT_EQ(core::state().DialogResult, -1);
    EXPECT_EQ(core::state().ColumnChooserMode, 3);
    EXPECT_EQ(core::state().PrintColumnMask, QStringLiteral("1010"));
    EXPECT_EQ(storedMask(QStringLiteral("Spr3")), QStringLiteral("1010"));

    ui::setDialogHandler([](QDialog* dialog) {
        auto* d = static_cast<frmUrDial*>(dialog);
        d->MarkButton(1)->click();  // "+"
        d->CancelButton()->click();
        return dialog->result();
    });
    EXPECT_FALSE(showColumnChooser(captions, listMaskKey(3)));
    EXPECT_EQ(core::state().DialogResult, 0);
    EXPECT_EQ(storedMask(QStringLiteral("Spr3")), QStringLiteral("1010"));
}

TEST_F(ColumnChooser, HelpOpensTheManual)
{
    int opened = 0;
    core::shellServices().openUserManual = [&] { ++opened; };
    frmUrDial d;
    d.univers(captionsOf({QString(), QStringLiteral("A")}), QStringLiteral("Spr1"));
    d.Form_Load();
    d.HelpButton()->click();
    EXPECT_EQ(opened, 1);
    core::shellServices().openUserManual = nullptr;
}

} // namespace
