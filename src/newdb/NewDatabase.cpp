#include "newdb/NewDatabase.h"

#include "core/AppState.h"
#include "core/DataAccess.h"
#include "core/DatabaseSetup.h"
#include "newdb/ReferenceContent.h"
#include "newdb/RowWriter.h"
#include "newdb/SampleData.h"
#include "platform/ui/Messages.h"

#include <QFile>
#include <QFileInfo>

namespace newdb {

namespace {

void showCreationError(int number, const QString& description)
{
    ui::msgBox(QStringLiteral("Произошла ошибка при создании файла базы данных. Ошибка: ")
                   + QString::number(number) + QLatin1Char(' ') + description + QLatin1Char('.'),
               ui::Exclamation);
}

// A file this call has made and could not finish is removed, so that no later
// start takes a file without its default rows for a working database.
void discardUnfinishedFile(const QString& path)
{
    core::CloseDatabase();
    QFile::remove(path);
}

} // namespace

std::vector<TableRows> newDatabaseContent(bool referenceOnly)
{
    std::vector<TableRows> content = referenceContent(referenceOnly);
    if (!referenceOnly) {
        const std::vector<TableRows> sample = sampleContent();
        content.insert(content.end(), sample.begin(), sample.end());
    }
    return content;
}

bool CreateNewDatabase(const QString& path, bool referenceOnly)
{
    const std::vector<TableRows> content = newDatabaseContent(referenceOnly);
    return CreateNewDatabase(path, content);
}

bool CreateNewDatabase(const QString& path, std::span<const TableRows> content)
{
    core::CloseDatabase();

    // The structure step refuses an existing file and leaves it as it is; a
    // false result has been reported there already, so nothing more is said.
    const bool existedBefore = QFileInfo::exists(path);
    if (!core::OpenAndCheckDatabase(path, true))
        return false;
    if (!core::OpenAndCheckDatabase(path, false)) {
        if (!existedBefore && QFileInfo::exists(path))
            discardUnfinishedFile(path);
        return false;
    }
    try {
        core::state().MainDatabase = jet::Database::open(path);
        writeAll(*core::state().MainDatabase, content);
    } catch (const jet::Error& e) {
        showCreationError(e.number(), e.description());
        if (!existedBefore && QFileInfo::exists(path))
            discardUnfinishedFile(path);
        return false;
    }
    return true;
}

} // namespace newdb
