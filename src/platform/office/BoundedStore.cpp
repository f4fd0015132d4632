#include "platform/office/BoundedStore.h"

#include "platform/office/OfficeFailures.h"
#include "platform/office/OfficeProcess.h"
#include "platform/office/WaitPainting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>

namespace office::uno {

bool diskNearlyFull(const QString& folder, long long needed)
{
    QStorageInfo disk(folder);
    disk.refresh();
    return disk.isValid() && disk.bytesAvailable() >= 0 && disk.bytesAvailable() < needed;
}

namespace {

// The office's temporary files in a folder (it writes a document as
// lu<...>.tmp beside it first).
QSet<QString> officeTempFiles(const QDir& folder)
{
    const QStringList names = folder.entryList({QStringLiteral("lu*.tmp")}, QDir::Files | QDir::Hidden);
    return QSet<QString>(names.begin(), names.end());
}

} // namespace

void storeBounded(const QString& file, long long needed, const std::function<void()>& store)
{
    const QFileInfo target(file);
    const QString folderPath = target.absolutePath();
    const QDir folder(folderPath);
    if (diskNearlyFull(folderPath, needed + kStoreSlack))
        throw Error::noSpace(ErrorKind::CannotStore, folderPath);
    // A file made empty for the store (a checked copy) is the store's own.
    const bool existed = target.exists() && target.size() > 0;
    const QSet<QString> tempBefore = officeTempFiles(folder);
    auto removePartial = [&] {
        if (!existed)
            QFile::remove(target.absoluteFilePath());
        for (const QString& name : officeTempFiles(folder))
            if (!tempBefore.contains(name))
                QFile::remove(folder.filePath(name));
    };

    Office& office = Office::instance();
    office.ensureRunning();
    if (office.impl().beforeStore)
        office.impl().beforeStore(target.absoluteFilePath());
    Office::Limits limits;
    limits.seconds = office.storeSeconds();
    Office::Guard guard(office, limits);
    // Everything after a failed store works without the office: it may be
    // gone (ended by the guard, or crashed on the full disk).
    auto failed = [&](const QString& officeText, bool lost) -> Error {
        // The disk is judged with what the store left on it still there.
        const bool full = diskNearlyFull(folderPath, needed + kStoreSlack);
        removePartial();
        const bool ended = guard.exceeded() != Office::Guard::Exceeded::None;
        if (ended)
            office.impl().forgetEnded();
        QString cause;
        if (full)
            return Error::noSpace(ErrorKind::CannotStore, folderPath);
        if (ended)
            cause = QStringLiteral("Офисная программа не сохранила файл за %1 с и была закрыта.").arg(limits.seconds);
        else if (lost)
            return Error(ErrorKind::ConnectionLost);
        QString text = plainOfficeText(officeText);
        if (text.contains(QLatin1String("bridge"), Qt::CaseInsensitive))
            text.clear();  // the office ended: its words say nothing of the cause
        if (cause.isEmpty() && officeText.contains(QLatin1String("Area:Io")))
            cause = QStringLiteral("Файл ") + QDir::toNativeSeparators(target.absoluteFilePath())
                + QStringLiteral(" не удается записать.");
        QString detail = cause.isEmpty() ? QDir::toNativeSeparators(target.absoluteFilePath()) : cause;
        if (!text.isEmpty() && !detail.contains(text))
            detail += QStringLiteral(" (") + text + QLatin1Char(')');
        return Error(ErrorKind::CannotStore, detail);
    };
    try {
        waitPainting(store);
    } catch (const css::uno::Exception& e) {
        const bool lost = guard.exceeded() == Office::Guard::Exceeded::None && !office.impl().connected();
        throw failed(toQ(e.Message), lost);
    }
    if (guard.exceeded() != Office::Guard::Exceeded::None)
        throw failed(QString(), false);
}

} // namespace office::uno
