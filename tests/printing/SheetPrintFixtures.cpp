#include "SheetPrintFixtures.h"

#include "platform/office/Calc.h"
#include "platform/office/UnoSupport.h"
#include "platform/ui/Messages.h"
#include "printing/frmUrDial.h"

#include "support/TestSupport.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <gtest/gtest.h>

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>

namespace printtest {

void provideSheetTemplate(const QString& folder, const QString& name, const QString& extension)
{
    const QString target = QDir(folder).filePath(name + extension);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString built = QDir(testsupport::builtTemplatesFolder()).filePath(name + extension);
    if (QFileInfo(built).isFile()) {
        ASSERT_TRUE(QFile::copy(built, target));
        return;
    }
    const QString source =
        testsupport::sourceDataFolder() + QStringLiteral("/templates/spreadsheets/") + name + QStringLiteral(".fods");
    office::CalcDocument doc = office::CalcDocument::load(source, true);
    doc.storeAsUrl(target);
    doc.dispose();
}

Reopened::Reopened(const QString& path)
{
    book = app.openWorkbook(path);
    sheet = book.sheet(1);
}

Reopened::~Reopened() { book.close(); }

QString Reopened::text(int row, int column) const
{
    return office::excelValueText(sheet.cells(row, column).value());
}

QStringList Reopened::rowTexts(int row, int columns) const
{
    QStringList out;
    for (int c = 1; c <= columns; ++c)
        out << text(row, c);
    return out;
}

office::Range Reopened::block(int top, int left, int bottom, int right) const
{
    return sheet.range(sheet.cells(top, left), sheet.cells(bottom, right));
}

QString printedFile(const QDir& folder, const std::function<void()>& print)
{
    const QStringList before = folder.entryList(QDir::Files);
    print();
    QStringList after = folder.entryList(QDir::Files);
    for (const QString& f : before)
        after.removeAll(f);
    EXPECT_EQ(after.size(), 1) << after.join(QLatin1Char(',')).toStdString();
    return after.isEmpty() ? QString() : folder.filePath(after.first());
}

void expectBorders(const Reopened& r, int top, int bottom, int last)
{
    using office::BorderIndex;
    using office::BorderWeight;
    using office::LineStyle;
    const office::Range b = r.block(top, 1, bottom, last);
    for (BorderIndex side : {BorderIndex::EdgeLeft, BorderIndex::EdgeTop, BorderIndex::EdgeBottom, BorderIndex::EdgeRight}) {
        EXPECT_EQ(b.border(side).lineStyle(), LineStyle::Continuous) << top << " side " << int(side);
        EXPECT_EQ(b.border(side).weight(), BorderWeight::Medium) << top << " side " << int(side);
    }
    if (last > 1) {
        EXPECT_EQ(b.border(BorderIndex::InsideVertical).lineStyle(), LineStyle::Continuous) << top;
    }
    if (bottom > top) {
        EXPECT_EQ(b.border(BorderIndex::InsideHorizontal).lineStyle(), LineStyle::Continuous) << top;
    }
}

namespace {

// Answers one chooser dialog; what it offered goes to `offered` when given.
int answer(QDialog* dialog, const std::optional<QString>& mask, ChooserAnswer* offered)
{
    auto* d = qobject_cast<printing::frmUrDial*>(dialog);
    if (!d)
        return int(QDialog::Rejected);
    if (offered) {
        offered->entries = d->ChooserCaptions();
        offered->offered.clear();
        for (int k = 0; k < d->ChooserCount(); ++k)
            offered->offered += d->Ch1(k) && d->Ch1(k)->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
    }
    if (!mask) {
        d->CancelButton()->click();
        return d->result();
    }
    for (int k = 0; k < d->ChooserCount(); ++k)
        d->Ch1(k)->setChecked(k >= mask->size() || mask->at(k) != QLatin1Char('0'));
    d->OKButton()->click();
    return d->result();
}

} // namespace

void ChooserAnswer::set(std::optional<QString> mask)
{
    ui::setDialogHandler([this, mask](QDialog* dialog) { return answer(dialog, mask, this); });
}

void answerChooser(const char* mask)
{
    std::optional<QString> m;
    if (mask)
        m = QString::fromLatin1(mask);
    ui::setDialogHandler([m](QDialog* dialog) { return answer(dialog, m, nullptr); });
}

void expectOfficeNotStarted(const QString& reported, bool calc)
{
    if (calc) {
        EXPECT_TRUE(reported.startsWith(QStringLiteral("Приложение OpenOffice.org Calc не может загрузиться. ")) &&
                    reported.contains(QStringLiteral(" Ошибка: 429 ")))
            << reported.toStdString();
    } else {
        EXPECT_TRUE(reported.endsWith(QStringLiteral(" 429"))) << reported.toStdString();
    }
}

} // namespace printtest
