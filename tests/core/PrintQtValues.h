#pragma once
// Readable test failure output for Qt values.
#include <QString>
#include <QVariant>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

inline void PrintTo(const QVariant& v, std::ostream* os)
{
    if (!v.isValid())
        *os << "Null";
    else if (v.typeId() == QMetaType::QString)
        *os << '"' << v.toString().toStdString() << '"';
    else
        *os << v.typeName() << '(' << v.toString().toStdString() << ')';
}
