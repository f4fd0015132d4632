#include "platform/office/OOoUno.h"

#include "platform/office/Excel.h"
#include "platform/office/Office.h"
#include "platform/office/SpreadsheetDocument.h"
#include "platform/office/UnoSupport.h"

#include <com/sun/star/reflection/XIdlClass.hpp>
#include <com/sun/star/reflection/theCoreReflection.hpp>

namespace office {

using namespace office::uno;

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
