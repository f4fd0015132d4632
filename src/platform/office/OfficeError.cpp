#include "platform/office/OfficeError.h"

#include <QDir>

#include <array>

namespace office {

namespace {

struct KindText {
    ErrorKind kind;
    int number;
    const char* description;
};

constexpr std::array<KindText, 7> kKinds{{
    {ErrorKind::NotStarted, errNotStarted, "Офисная программа не установлена или не может быть запущена"},
    {ErrorKind::CannotLoad, errCannotLoad, "Документ не может быть загружен"},
    {ErrorKind::CannotStore, errCannotStore, "Документ не может быть сохранен"},
    {ErrorKind::ConnectionLost, errConnectionLost, "Связь с офисной программой потеряна"},
    {ErrorKind::NotFound, errNotFound, "Объект не найден"},
    {ErrorKind::TooLarge, errTooLarge, "Файл слишком велик или поврежден"},
    {ErrorKind::Failed, errFailed, "Ошибка офисной программы"},
}};

const KindText& textOf(ErrorKind kind)
{
    for (const auto& k : kKinds)
        if (k.kind == kind)
            return k;
    return kKinds.back();
}

QString composeDescription(ErrorKind kind, const QString& detail)
{
    QString d = QString::fromUtf8(textOf(kind).description);
    if (!detail.isEmpty())
        d += QStringLiteral(": ") + detail;
    return d;
}

} // namespace

Error::Error(ErrorKind kind, const QString& detail)
    : std::runtime_error(QString(QString::number(textOf(kind).number) + QLatin1Char(' ')
                                 + composeDescription(kind, detail))
                             .toStdString())
    , kind_(kind)
    , number_(textOf(kind).number)
    , description_(composeDescription(kind, detail))
    , detail_(detail)
{
}

QString Error::numberAndDescription() const
{
    return QString::number(number_) + QLatin1Char(' ') + description_;
}

QString Error::noSpaceText(const QString& folder)
{
    return QStringLiteral("Недостаточно места на диске (папка ") + QDir::toNativeSeparators(folder)
        + QStringLiteral("). Освободите место на диске и повторите.");
}

QString Error::noWriteAccessText(const QString& folder)
{
    return QStringLiteral("Нет права на запись в папку ") + QDir::toNativeSeparators(folder) + QLatin1Char('.');
}

Error Error::withCause(ErrorKind kind, const QString& cause)
{
    Error e(kind, cause);
    e.cause_ = cause;
    return e;
}

QString Error::causeFirst(const QString& context) const
{
    if (cause_.isEmpty())
        return context + numberAndDescription();
    return cause_ + QLatin1Char(' ') + context + QString::number(number_) + QLatin1Char(' ') + descriptionOf(kind_);
}

Error Error::asKind(ErrorKind kind) const
{
    Error e(kind, detail_);
    e.cause_ = cause_;
    e.diskFull_ = diskFull_;
    return e;
}

Error Error::noSpace(ErrorKind kind, const QString& folder)
{
    Error e = withCause(kind, noSpaceText(folder));
    e.diskFull_ = true;
    return e;
}

QString Error::descriptionOf(ErrorKind kind)
{
    return QString::fromUtf8(textOf(kind).description);
}

} // namespace office
