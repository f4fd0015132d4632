#include "platform/office/OOoUno.h"

#include "platform/office/Excel.h"
#include "platform/office/Office.h"
#include "platform/office/SpreadsheetDocument.h"
#include "platform/office/UnoSupport.h"


#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/reflection/XIdlClass.hpp>
#include <com/sun/star/reflection/theCoreReflection.hpp>
#include <com/sun/star/table/BorderLine.hpp>
#include <com/sun/star/table/TableBorder.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/text/XTextRange.hpp>

namespace office {

using namespace office::uno;

std::shared_ptr<detail::DocImpl> docImplOf(const CalcDocument& d);
std::shared_ptr<detail::SheetImpl> sheetImplOf(const CalcSheet& s);

namespace {

Reference<css::lang::XMultiComponentFactory>& latestServiceManager()
{
    static auto* manager = new Reference<css::lang::XMultiComponentFactory>;  // never destroyed
    return *manager;
}

} // namespace

Reference<css::lang::XMultiComponentFactory> newServiceManager()
{
    auto ctx = context();
    auto manager = call(ErrorKind::NotStarted, [&] { return ctx->getServiceManager(); });
    if (!manager.is())
        throw Error(ErrorKind::NotStarted);
    latestServiceManager() = manager;
    return manager;
}

Reference<css::lang::XMultiComponentFactory> OOoServiceManager()
{
    return latestServiceManager();
}

Sequence<css::beans::PropertyValue> EmptyArray()
{
    return {};
}

Any CreateUnoStruct(const QString& typeName, int count)
{
    if (!OOoServiceManager().is())
        return {};
    try {
        auto reflection = css::reflection::theCoreReflection::get(localContext());
        auto type = reflection->forName(toOU(typeName));
        if (!type.is()
            || (type->getTypeClass() != css::uno::TypeClass_STRUCT && type->getTypeClass() != css::uno::TypeClass_EXCEPTION))
            return {};
        auto make = [&] {
            Any a;
            type->createObject(a);
            return a;
        };
        if (count < 0)
            return make();
        Sequence<Any> array(count + 1);
        Any* p = array.getArray();
        for (sal_Int32 i = 0; i <= count; ++i)
            p[i] = make();
        return Any(array);
    } catch (const css::uno::Exception&) {
        return {};
    }
}

Sequence<css::beans::PropertyValue> MakePropertyValues(const Sequence<Any>& pairs)
{
    const sal_Int32 n = pairs.getLength() - 1;
    if (n < 1 || n % 2 == 0)
        return EmptyArray();
    Sequence<css::beans::PropertyValue> out((n - 1) / 2 + 1);
    auto* p = out.getArray();
    for (sal_Int32 j = 0; j <= n; j += 2, ++p) {
        OUString name;
        if (pairs[j].getValueTypeClass() != css::uno::TypeClass_STRING || !(pairs[j] >>= name))
            return EmptyArray();
        p->Name = name;
        p->Value = pairs[j + 1];
    }
    return out;
}

Reference<css::table::XCell> SetCellValue(int row, int column, const Reference<css::sheet::XSpreadsheet>& sheet,
                                         const QString& text, int mode)
{
    Reference<css::table::XCell> cell;
    try {
        cell = sheet->getCellByPosition(column - 1, row - 1);
    } catch (const css::uno::Exception&) {
        return {};
    }
    try {
        switch (mode) {
        case 0: Reference<css::text::XTextRange>(cell, UNO_QUERY_THROW)->setString(toOU(text)); break;
        case 1: {
            double d = 0;
            if (cellNumberValue(text, &d))
                cell->setValue(d);
            break;
        }
        case 2: cell->setFormula(toOU(text)); break;
        default: break;
        }
    } catch (const css::uno::Exception&) {
        // A failing step is skipped.
    }
    return cell;
}

void SetRangeBorders(int firstRow, int firstColumn, int lastRow, int lastColumn,
                     const Reference<css::sheet::XSpreadsheet>& sheet, bool innerLines, bool thick)
{
    call(ErrorKind::Failed, [&] {
        auto range = sheet->getCellRangeByPosition(firstColumn - 1, firstRow - 1, lastColumn - 1, lastRow - 1);
        const Any inner = CreateUnoStruct(QStringLiteral("com.sun.star.table.BorderLine"), -1);
        const Any outline = CreateUnoStruct(QStringLiteral("com.sun.star.table.BorderLine"), -1);
        const Any table = CreateUnoStruct(QStringLiteral("com.sun.star.table.TableBorder"), -1);
        css::table::BorderLine innerLine, outlineLine;
        css::table::TableBorder border;
        if (!(inner >>= innerLine) || !(outline >>= outlineLine) || !(table >>= border))
            throw Error(ErrorKind::Failed, QStringLiteral("нет диспетчера служб офисной программы"));
        innerLine = css::table::BorderLine(0, 0, 2, 0);
        outlineLine = css::table::BorderLine(0, 0, sal_Int16(thick ? 50 : 2), 0);
        setTableBorderLines(border, outlineLine, innerLines ? &innerLine : nullptr);
        Reference<css::beans::XPropertySet>(range, UNO_QUERY_THROW)->setPropertyValue("TableBorder", Any(border));
    });
}

Reference<css::sheet::XSpreadsheet> unoSheet(const CalcSheet& sheet)
{
    auto s = sheetImplOf(sheet);
    if (!s)
        return {};
    s->buffer.flush();
    s->buffer.invalidate();  // whatever is written directly is not in what was read
    return s->buffer.sheet();
}

} // namespace office
