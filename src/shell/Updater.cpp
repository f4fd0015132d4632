#include "shell/Updater.h"

#include "core/AppState.h"

#include <filesystem>
#include <system_error>

namespace shell {

namespace fs = std::filesystem;

void RefreshUpdater()
{
    const QString appPath = core::state().AppPath;
    if (appPath.isEmpty())
        return;

    std::error_code ec;
    const fs::path programFolder(appPath.toStdU16String());
    const fs::path spareFolder = programFolder / kUpdaterSpareFolder;
    if (!fs::is_directory(spareFolder, ec))
        return;
    const fs::path source = spareFolder / kUpdaterFileName;
    if (!fs::is_regular_file(source, ec))
        return;

    // Copy beside the target first and put it in place with one rename, so
    // that a copy that fails half way leaves the old updater whole.
    const fs::path target = programFolder / kUpdaterFileName;
    fs::path partial = target;
    partial += ".part";
    fs::remove(partial, ec);
    if (!fs::copy_file(source, partial, fs::copy_options::overwrite_existing, ec)) {
        fs::remove(partial, ec);
        return;
    }
    fs::rename(partial, target, ec);
    if (ec)
        fs::remove(partial, ec);
}

} // namespace shell
