// Entry of every test program: a QApplication on the offscreen platform, a
// private settings folder and a private data folder, then GoogleTest (or the
// part of another program this run was started as).
#include "platform/settings/Settings.h"
#include "support/SecondProgram.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("KALVETA_TEST_DATA", testsupport::testDataFolder().toUtf8());
    qputenv("KALVETA_SOURCE_DATA", testsupport::sourceDataFolder().toUtf8());
    qputenv("KALVETA_HOME", home.path().toUtf8());
    qputenv("KALVETA_HEADLESS_OFFICE", "1");
    QApplication app(argc, argv);
    settings::useSettingsFolder(home.path() + QStringLiteral("/config"));
    if (const int code = testsupport::runProgramPartIfAsked(); code >= 0)
        return code;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
