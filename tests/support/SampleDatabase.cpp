#include "support/SampleDatabase.h"

#include "core/DataAccess.h"
#include "newdb/NewDatabase.h"
#include "support/TestSupport.h"

#include <QFile>
#include <memory>

namespace testsupport {
namespace {

// The folder lives as long as the test program.
const QString& sampleFile()
{
    static std::unique_ptr<TempFolder> folder;
    static QString file;
    if (folder)
        return file;
    folder = std::make_unique<TempFolder>();
    const QString path = folder->file(QStringLiteral("sample.db"));
    MessageRecorder quiet;
    if (newdb::CreateNewDatabase(path, false))
        file = path;
    core::CloseDatabase();
    return file;
}

} // namespace

bool copySampleDatabase(const QString& path)
{
    const QString& sample = sampleFile();
    if (sample.isEmpty() || !QFile::copy(sample, path))
        return false;
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace testsupport
