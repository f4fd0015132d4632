// Entry of every test program: a QApplication on the offscreen platform, a
// private settings folder and a private data folder, then GoogleTest.
#include "platform/settings/Settings.h"
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
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
