// What a killed run leaves in the program's folders, and the hold that tells
// a start whether another program still works in them.
#include "shell/Leftovers.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write("x");
}

TEST(LeftoversTest, OnlyTheProgramsOwnNamesInTheirOwnFoldersGo)
{
    testsupport::TempFolder app;
    const QString templates = app.file(QStringLiteral("Шаблоны ЭЖ"));
    const shell::ProgramFolders where{app.path(), templates, app.file(QStringLiteral("qv.db"))};
    struct Case {
        const char* file;
        bool leftover;
    };
    const Case cases[] = {
        {"Документы/lu84123ahk2r.tmp", true},
        {"Документы/Список группы.ods", false},
        {"Документы/lu отчет.tmp", false},
        {"Документы/.~kalveta-Ab12cD.ott", false},  // a template copy is never made there
        {"Шаблоны ЭЖ/.~kalveta-Ab12cD.ott", true},
        {"Шаблоны ЭЖ/.~kalveta-Ab12cD.dot", true},
        {"Шаблоны ЭЖ/lu2t7k9q.tmp", true},
        {"Шаблоны ЭЖ/Кальвета.ott", false},
        {"Шаблоны ЭЖ/.~kalveta-заметки.ott", false},
        {"Архив/qv 2024-03-05 14-30-12.db.part", true},
        {"Архив/qv 2024-03-05 14-30-12.db", false},
        {"Архив/мои записи.part", false},
        {"qv.db.restore", true},
        {"qv.db", false},
        {"другая.db.restore", false},
        {"lu84123ahk2r.tmp", false},  // the data folder itself gets no office files
    };
    for (const Case& c : cases)
        touch(app.file(QString::fromUtf8(c.file)));
    // A file some process still writes (an office saving into the folder).
    const QString writing = app.file(QStringLiteral("Документы/lu5550000a.tmp"));
    touch(writing);
    QFile open(writing);
    ASSERT_TRUE(open.open(QIODevice::Append));

    EXPECT_EQ(shell::removeLeftovers(where), 6);
    for (const Case& c : cases)
        EXPECT_EQ(QFileInfo::exists(app.file(QString::fromUtf8(c.file))), !c.leftover) << c.file;
    EXPECT_TRUE(QFileInfo::exists(writing));
    open.close();
    EXPECT_EQ(shell::findLeftovers(where), QStringList{writing});
}

TEST(LeftoversTest, AFolderHeldByAnotherProgramIsNotHeldAlone)
{
    testsupport::TempFolder app, templates;
    const QStringList folders{app.path(), templates.path()};
    {
        shell::FolderHold first(folders);
        EXPECT_TRUE(first.alone());
        first.share();  // its start is over
        EXPECT_FALSE(first.alone());
        {
            shell::FolderHold second({templates.path()});
            EXPECT_FALSE(second.alone());
            EXPECT_FALSE(shell::FolderHold(folders).alone());
        }
        EXPECT_FALSE(shell::FolderHold({app.path()}).alone());
    }
    EXPECT_TRUE(shell::FolderHold(folders).alone());
    EXPECT_FALSE(shell::FolderHold({app.file(QStringLiteral("нет такой"))}).alone());
}

} // namespace
