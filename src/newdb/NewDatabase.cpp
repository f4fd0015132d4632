#include "newdb/NewDatabase.h"

#include "core/AppState.h"
#include "core/DataAccess.h"
#include "core/DatabaseSetup.h"
#include "newdb/ReferenceContent.h"
#include "newdb/RowWriter.h"
#include "newdb/SampleData.h"
#include "platform/ui/Messages.h"

namespace newdb {

namespace {

void showCreationError(const jet::Error& e)
{
    // One full stop, also after a description that brings its own.
    QString text = QStringLiteral("Произошла ошибка при создании файла базы данных. Ошибка: ") + e.numberAndDescription();
    if (!text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    ui::msgBox(text, ui::Exclamation);
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

bool CreateNewDatabase(const QString& path, std::span<const TableRows> content, const CreationObserver& observer)
{
    core::CloseDatabase();
    const auto tell = [&](CreationStep step, jet::Database& file, const char* table = nullptr) {
        if (observer)
            observer(step, table, file);
    };

    // The structure step refuses an existing file and leaves it as it is; a
    // false result of a structure step has been reported there already, so
    // nothing more is said. Until `finish` the file has a temporary name: a
    // failure removes it, a crash leaves it to be removed by the next making.
    core::NewDatabaseFile file(path);
    try {
        if (!file.create())
            return false;
        tell(CreationStep::CoreTables, file.db());
        if (!file.upgrade())
            return false;
        tell(CreationStep::Structure, file.db());
        writeAll(file.db(), content,
                 [&](const TableRows& rows) { tell(CreationStep::Rows, file.db(), rows.table); });
        tell(CreationStep::AllRows, file.db());
    } catch (const jet::Error& e) {
        showCreationError(e);
        return false;
    }
    if (!file.finish())
        return false;
    try {
        core::state().MainDatabase = file.openFinished();
    } catch (const jet::Error& e) {
        showCreationError(e);
        return false;
    }
    if (observer)
        observer(CreationStep::Named, nullptr, *core::state().MainDatabase);
    return true;
}

} // namespace newdb
