#include "platform/office/OfficeFailures.h"

#include "platform/office/OfficeProcess.h"

#include <QDir>
#include <QRegularExpression>
#include <QUrl>

#include <com/sun/star/document/LockFileCorruptRequest.hpp>
#include <com/sun/star/document/LockFileIgnoreRequest.hpp>
#include <com/sun/star/document/LockedDocumentRequest.hpp>
#include <com/sun/star/task/ErrorCodeRequest.hpp>
#include <com/sun/star/task/PasswordRequest.hpp>
#include <com/sun/star/task/XInteractionAbort.hpp>
#include <com/sun/star/task/XInteractionDisapprove.hpp>
#include <com/sun/star/ucb/IOErrorCode.hpp>
#include <com/sun/star/ucb/InteractiveIOException.hpp>

#include <functional>

namespace office {

namespace uno {

namespace {

// The office's classes of input/output errors, by their number in an
// error code and the name its messages give them.
struct ErrorClassText {
    int number;
    const char* name;
    const char* text;
};
constexpr ErrorClassText kErrorClasses[] = {
    {1, "Abort", "операция прервана"},
    {3, "NotExists", "файл или папка не существует"},
    {4, "AlreadyExists", "файл с таким именем уже есть или открыт в офисной программе"},
    {5, "Access", "нет доступа к файлу или папке"},
    {6, "Path", "неверный путь к файлу"},
    {7, "Locking", "файл заблокирован другой программой"},
    {9, "Space", "недостаточно места на диске"},
    {11, "Read", "ошибка чтения файла"},
    {12, "Write", "ошибка записи файла"},
    {15, "Format", "неверный формат файла"},
    {16, "Create", "не удается создать файл"},
};
const char* const kOtherIoError = "ошибка чтения или записи файла";

QString errorClassText(const ErrorClassText* c)
{
    return QString::fromUtf8(c ? c->text : kOtherIoError);
}

const ErrorClassText* errorClassByNumber(int number)
{
    for (const auto& c : kErrorClasses)
        if (c.number == number)
            return &c;
    return nullptr;
}

const ErrorClassText* errorClassByName(const QString& name)
{
    for (const auto& c : kErrorClasses)
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

// What the office asked in a request it would have shown as a dialog.
QString requestText(const Any& request)
{
    if (request.isExtractableTo(cppu::UnoType<css::document::LockFileIgnoreRequest>::get()))
        return QStringLiteral("рядом с файлом не удается создать файл блокировки");
    if (request.isExtractableTo(cppu::UnoType<css::document::LockedDocumentRequest>::get()))
        return QStringLiteral("файл открыт в другой программе или другим пользователем");
    if (request.isExtractableTo(cppu::UnoType<css::document::LockFileCorruptRequest>::get()))
        return QStringLiteral("файл блокировки документа поврежден");
    if (request.isExtractableTo(cppu::UnoType<css::task::PasswordRequest>::get()))
        return QStringLiteral("файл защищен паролем");
    css::ucb::InteractiveIOException io;
    if (request >>= io) {
        switch (io.Code) {
        case css::ucb::IOErrorCode_OUT_OF_DISK_SPACE:
            return errorClassText(errorClassByNumber(9));
        case css::ucb::IOErrorCode_ACCESS_DENIED:
        case css::ucb::IOErrorCode_WRITE_PROTECTED:
            return errorClassText(errorClassByNumber(5));
        case css::ucb::IOErrorCode_NOT_EXISTING:
        case css::ucb::IOErrorCode_NOT_EXISTING_PATH:
            return errorClassText(errorClassByNumber(3));
        case css::ucb::IOErrorCode_LOCKING_VIOLATION:
            return errorClassText(errorClassByNumber(7));
        default:
            return errorClassText(nullptr);
        }
    }
    css::task::ErrorCodeRequest code;
    if (request >>= code)
        return errorClassText(errorClassByNumber((code.ErrCode >> 8) & 0x1f));
    return QStringLiteral("офисная программа запросила ответ пользователя");
}

} // namespace

void SAL_CALL QuietInteraction::handle(const Reference<css::task::XInteractionRequest>& request)
{
    if (!request.is())
        return;
    {
        // The first question tells the cause; the office reports the
        // answer given to it as an error of its own afterwards.
        std::lock_guard lock(mutex_);
        if (asked_.isEmpty())
            asked_ = requestText(request->getRequest());
    }
    const auto continuations = request->getContinuations();
    for (const auto& c : continuations) {
        if (Reference<css::task::XInteractionAbort>(c, UNO_QUERY).is()) {
            c->select();
            return;
        }
    }
    for (const auto& c : continuations) {
        if (Reference<css::task::XInteractionDisapprove>(c, UNO_QUERY).is()) {
            c->select();
            return;
        }
    }
}

QString QuietInteraction::asked() const
{
    std::lock_guard lock(mutex_);
    return asked_;
}

Reference<css::task::XInteractionHandler> quietInteraction()
{
    return Reference<css::task::XInteractionHandler>(new QuietInteraction);
}

QString plainOfficeText(const QString& text)
{
    QString out = text.trimmed();
    // The places in the office's sources, and the name of the routine
    // that failed in front.
    if (const qsizetype at = out.indexOf(QLatin1String(" at ./")); at >= 0)
        out.truncate(at);
    static const QRegularExpression routine(QStringLiteral("^\\w+::\\w+\\s+"));
    out.remove(routine);
    out.replace(QLatin1String(" failed: "), QLatin1String(": "));
    // Error codes in words, file addresses as the user knows the paths.
    auto replaceAll = [&out](const QRegularExpression& re, const std::function<QString(const QRegularExpressionMatch&)>& by) {
        QString rebuilt;
        qsizetype last = 0;
        for (auto it = re.globalMatch(out); it.hasNext();) {
            const auto m = it.next();
            rebuilt += out.mid(last, m.capturedStart() - last) + by(m);
            last = m.capturedEnd();
        }
        out = rebuilt + out.mid(last);
    };
    static const QRegularExpression code(
        QStringLiteral("(0x[0-9a-fA-F]+)?\\s*\\(?(?:Error|Warning)? ?Area:\\w+ Class:(\\w+) Code:\\d+\\)?"));
    replaceAll(code, [](const QRegularExpressionMatch& m) {
        return QLatin1Char(' ') + errorClassText(errorClassByName(m.captured(2)));
    });
    static const QRegularExpression url(QStringLiteral("<?(file://[^\\s<>]+)>?"));
    replaceAll(url, [](const QRegularExpressionMatch& m) {
        const QUrl u(m.captured(1), QUrl::TolerantMode);
        return u.isLocalFile() ? QDir::toNativeSeparators(u.toLocalFile()) : m.captured(0);
    });
    return out.simplified();
}

bool officeLost(Office& office, const css::uno::Exception& e)
{
    if (!office.impl().connected())
        return true;
    // A closed document also reports itself disposed; only the bridge's own
    // words ("Binary URP bridge disposed during call", "... already
    // disposed") mean that the office went away.
    if (e.Message.indexOf("URP bridge") >= 0) {
        office.impl().alive.store(false);
        return true;
    }
    return false;
}

void fail(ErrorKind kind, const css::uno::Exception& e, const QString& what, bool)
{
    if (officeLost(Office::instance(), e)) {
        // The bridge's own words say nothing of the cause.
        throw Error(ErrorKind::ConnectionLost);
    }
    QString detail = what;
    const QString message = plainOfficeText(toQ(e.Message));
    if (!message.isEmpty())
        detail += detail.isEmpty() ? message : QStringLiteral(" (") + message + QLatin1Char(')');
    throw Error(kind, detail);
}

} // namespace uno

std::optional<Error> officeErrorOf(std::exception_ptr e)
{
    if (!e)
        return std::nullopt;
    try {
        std::rethrow_exception(e);
    } catch (const Error& error) {
        return error;
    } catch (const css::uno::Exception& unoError) {
        try {
            uno::fail(ErrorKind::Failed, unoError);
        } catch (const Error& error) {
            return error;
        }
    } catch (...) {
    }
    return std::nullopt;
}

} // namespace office
