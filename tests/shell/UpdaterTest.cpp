#include "shell/Updater.h"

#include "core/AppState.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

class UpdaterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedAppPath_ = core::state().AppPath;
        core::state().AppPath = folder_.path();
    }
    void TearDown() override { core::state().AppPath = savedAppPath_; }

    QString programFile() const { return folder_.file(QStringLiteral("Update.exe")); }
    QString spareFile() const { return folder_.file(QStringLiteral("WinSys/Update.exe")); }

    static void write(const QString& path, const QByteArray& content)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }
    static QByteArray read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void makeSpareFolder() { ASSERT_TRUE(QDir(folder_.path()).mkdir(QStringLiteral("WinSys"))); }

    testsupport::TempFolder folder_;
    QString savedAppPath_;
};

TEST_F(UpdaterTest, NoSpareFolderLeavesEverythingAlone)
{
    shell::RefreshUpdater();
    EXPECT_FALSE(QFile::exists(programFile()));

    write(programFile(), "old");
    shell::RefreshUpdater();
    EXPECT_EQ(read(programFile()), "old");
}

TEST_F(UpdaterTest, SpareFolderWithoutUpdaterCopiesNothing)
{
    makeSpareFolder();
    write(programFile(), "old");
    shell::RefreshUpdater();
    EXPECT_EQ(read(programFile()), "old");
    EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Files), QStringList{QStringLiteral("Update.exe")});
}

TEST_F(UpdaterTest, SpareCopyReplacesTheUpdaterEveryTime)
{
    makeSpareFolder();
    write(spareFile(), "new version");
    shell::RefreshUpdater();
    EXPECT_EQ(read(programFile()), "new version");

    write(programFile(), "changed since");
    shell::RefreshUpdater();
    EXPECT_EQ(read(programFile()), "new version");
    EXPECT_EQ(read(spareFile()), "new version");
    EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Files), QStringList{QStringLiteral("Update.exe")});
}

TEST_F(UpdaterTest, SpareThatIsNoFileIsSkipped)
{
    makeSpareFolder();
    write(programFile(), "old");
    ASSERT_TRUE(QDir(folder_.path()).mkpath(QStringLiteral("WinSys/Update.exe")));
    shell::RefreshUpdater();
    EXPECT_EQ(read(programFile()), "old");
}

TEST_F(UpdaterTest, FailedReplacementLeavesNoPartialFile)
{
    makeSpareFolder();
    write(spareFile(), "new version");
    // The target cannot be replaced: a folder that is not empty stands there.
    ASSERT_TRUE(QDir(folder_.path()).mkpath(QStringLiteral("Update.exe/inside")));
    shell::RefreshUpdater();
    EXPECT_TRUE(QFileInfo(programFile()).isDir());
    EXPECT_TRUE(QDir(folder_.path()).entryList(QDir::Files).isEmpty());
}

} // namespace
