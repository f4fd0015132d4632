// Opening the user manual through the desktop's associated program.
#include "core/AppState.h"
#include "shell/UserManual.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

class UserManual : public ::testing::Test {
protected:
    void SetUp() override
    {
        core::resetState();
        core::state().AppPath = app.path();
        shell::setDocumentOpener([this](const QUrl& url) {
            opened << url;
            return openerSucceeds;
        });
    }
    void TearDown() override { shell::setDocumentOpener({}); }
    QString putManual()
    {
        QFile f(QDir(app.path()).filePath(QStringLiteral("Руководство пользователя.doc")));
        f.open(QIODevice::WriteOnly);
        f.write("manual");
        return f.fileName();
    }

    testsupport::TempFolder app;
    testsupport::MessageRecorder messages;
    QList<QUrl> opened;
    bool openerSucceeds = true;
};

TEST_F(UserManual, OpensTheFileInTheProgramFolderWithItsAssociatedProgram)
{
    const QString path = putManual();
    EXPECT_TRUE(shell::userManualExists());
    shell::OpenUserManual();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(path));
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(UserManual, MissingFileIsReportedWithTheFolderAndTheTitle)
{
    EXPECT_FALSE(shell::userManualExists());
    shell::OpenUserManual();
    EXPECT_TRUE(opened.isEmpty());
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.messages()[0].icon(), ui::Exclamation);
    EXPECT_EQ(messages.texts()[0],
              QStringLiteral("Руководство пользователя не найдено. Оно должно находиться в папке программы: ") + app.path()
                  + QStringLiteral(" в файле: \"Руководство пользователя.doc\". Для открытия Руководства пользователя "
                                   "выполните: Пуск - Программы - Кальвета - Руководство пользователя, либо найдите файл "
                                   "руководства самостоятельно с помощью Проводника."));
}

TEST_F(UserManual, AFailureToStartItsProgramIsReportedWithoutAnIcon)
{
    putManual();
    openerSucceeds = false;
    shell::OpenUserManual();
    EXPECT_EQ(opened.size(), 1);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.messages()[0].style, ui::OkOnly);
    EXPECT_EQ(messages.texts()[0],
              QStringLiteral("Не удается открыть Руководство пользователя. Для открытия Руководства пользователя "
                             "выполните: Пуск - Программы - Кальвета - Руководство пользователя, либо найдите файл "
                             "руководства самостоятельно с помощью Проводника."));
}

} // namespace
