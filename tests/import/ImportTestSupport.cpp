#include "ImportTestSupport.h"

#include "core/ChildWindows.h"
#include "newdb/NewDatabase.h"
#include "platform/office/OOo.h"
#include "platform/office/UnoSupport.h"
#include "platform/ui/Messages.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include <algorithm>

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XTextRange.hpp>

namespace importtest {

using namespace office::uno;

void writeWorkbook(const QString& path, const QList<SheetSpec>& sheets, int activeSheet)
{
    auto doc = loadComponent("private:factory/scalc", props({{"Hidden", Any(false)}}), path);
    Reference<css::sheet::XSpreadsheetDocument> sd(doc, UNO_QUERY_THROW);
    auto all = sd->getSheets();
    Reference<css::container::XIndexAccess> byIndex(all, UNO_QUERY_THROW);
    for (int i = 0; i < sheets.size(); ++i) {
        if (i >= byIndex->getCount())
            all->insertNewByName(toOU(sheets.at(i).name), sal_Int16(i));
        Reference<css::sheet::XSpreadsheet> sheet(byIndex->getByIndex(i), UNO_QUERY_THROW);
        Reference<css::container::XNamed>(sheet, UNO_QUERY_THROW)->setName(toOU(sheets.at(i).name));
        const QList<QStringList>& rows = sheets.at(i).rows;
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < rows.at(r).size(); ++c) {
                const QString& text = rows.at(r).at(c);
                if (text.isEmpty())
                    continue;
                auto cell = sheet->getCellByPosition(c, r);
                if (text.startsWith(QLatin1Char('=')))
                    cell->setFormula(toOU(text));
                else
                    Reference<css::text::XTextRange>(cell, UNO_QUERY_THROW)->setString(toOU(text));
            }
    }
    Reference<css::frame::XModel> model(doc, UNO_QUERY_THROW);
    Reference<css::sheet::XSpreadsheetView> view(model->getCurrentController(), UNO_QUERY_THROW);
    view->setActiveSheet(Reference<css::sheet::XSpreadsheet>(byIndex->getByIndex(activeSheet), UNO_QUERY_THROW));
    const bool xls = QFileInfo(path).suffix().compare(QLatin1String("xls"), Qt::CaseInsensitive) == 0;
    Reference<css::frame::XStorable>(doc, UNO_QUERY_THROW)
        ->storeToURL(toOU(office::ConvertToURL(path)),
                     props({{"FilterName", Any(toOU(xls ? QStringLiteral("MS Excel 97") : QStringLiteral("calc8")))},
                            {"Overwrite", Any(true)}}));
    closeComponent(doc);
}

QList<QStringList> rowsOf(const char* text)
{
    QList<QStringList> out;
    for (const QString& line : QString::fromUtf8(text).split(QLatin1Char('\n')))
        out << line.split(QLatin1Char('|'));
    return out;
}

office::SheetTexts sheetOf(const QList<QStringList>& rows)
{
    office::SheetTexts s;
    int width = 0;
    for (const QStringList& r : rows)
        width = std::max(width, int(r.size()));
    for (QStringList r : rows) {
        while (r.size() < width)
            r << QString();
        s.rows << r;
    }
    return s;
}

FileDialogAnswer::FileDialogAnswer(const QString& path, std::function<int(QDialog*)> other)
    : path_(path), other_(std::move(other))
{
    ui::setDialogHandler([this](QDialog* d) {
        auto* dialog = qobject_cast<QFileDialog*>(d);
        if (!dialog) {
            if (other_)
                return other_(d);
            d->reject();
            return int(QDialog::Rejected);
        }
        titles << dialog->windowTitle();
        filters << dialog->nameFilters().join(QLatin1Char(';'));
        folders << dialog->directory().absolutePath();
        if (path_.isNull())
            return int(QDialog::Rejected);
        if (!path_.isEmpty())
            dialog->selectFile(path_);
        return int(QDialog::Accepted);
    });
}

FileDialogAnswer::~FileDialogAnswer()
{
    ui::setDialogHandler({});
}

testsupport::TempFolder* ImportDbTest::sample_ = nullptr;

void ImportDbTest::SetUpTestSuite()
{
    if (sample_)
        return;
    sample_ = new testsupport::TempFolder;
    core::resetState();
    ASSERT_TRUE(newdb::CreateNewDatabase(sample_->file(QStringLiteral("import.db")), true));
    for (const char* g : {"Б 31", "З 41"})
        core::db().execute(QStringLiteral("INSERT INTO SPGRUP (NAIM) VALUES (?)"), {QString::fromUtf8(g)});
    core::state().MainDatabase.reset();
    core::resetState();
}

void ImportDbTest::TearDownTestSuite() {}

void ImportDbTest::SetUp()
{
    core::resetState();
    testsupport::clearSettings();
    const QString path = folder_.file(QStringLiteral("import.db"));
    QFile::remove(path);
    ASSERT_TRUE(QFile::copy(sample_->file(QStringLiteral("import.db")), path));
    core::state().MainDatabase = jet::Database::open(path);
    core::state().AppPath = folder_.path();
    core::windowFactories() = {};
    core::shellServices() = {};
}

void ImportDbTest::TearDown()
{
    ui::setDialogHandler({});
    core::state().MainDatabase.reset();
    core::resetState();
}

qlonglong ImportDbTest::groupId(const QString& name) const
{
    return core::db().scalar(QStringLiteral("SELECT IDG FROM SPGRUP WHERE NAIM=?"), {name}).toLongLong();
}

long ImportDbTest::count(const QString& table) const
{
    return long(core::db().scalar(QStringLiteral("SELECT count(*) FROM %1").arg(table)).toLongLong());
}

QStringList ImportDbTest::column(const QString& sql, const QVariantList& params) const
{
    QStringList out;
    auto rs = core::db().openRecordset(sql, jet::dbOpenSnapshot, params);
    for (; !rs->isEOF(); rs->moveNext())
        out << jet::toText(rs->value(0));
    return out;
}

} // namespace importtest
