// The help assistant: start page, command-word links, the start-up switch and
// the window's remembered placement.
#include "core/AppState.h"
#include "platform/settings/Settings.h"
#include "shell/HelpAssistant.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

using shell::HelpAssistant;

const QString kPagesFolder = QStringLiteral("Помощник ЭЖ");

// The shipped pages in the source tree (data/ beside tests/).
QString shippedPagesFolder()
{
    QString data = testsupport::sourceDataFolder();
    if (data.isEmpty())
        data = QFileInfo(QStringLiteral(__FILE__)).absoluteDir().filePath(QStringLiteral("../../data"));
    return QDir(data).filePath(kPagesFolder);
}

void copyFolder(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    for (const QFileInfo& fi : QDir(from).entryInfoList(QDir::Files))
        QFile::copy(fi.filePath(), QDir(to).filePath(fi.fileName()));
}

QString setting(const char* section, const char* key)
{
    return settings::getSetting(QString::fromLatin1(section), QString::fromLatin1(key), QStringLiteral("<absent>"));
}

void put(const char* section, const char* key, const QString& value)
{
    settings::saveSetting(QString::fromLatin1(section), QString::fromLatin1(key), value);
}

class HelpAssistantTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::clearSettings();
        core::resetState();
        core::state().AppPath = app.path();
        pages = QDir(app.path()).filePath(kPagesFolder);
        copyFolder(shippedPagesFolder(), pages);
        core::state().HelpPagePath = QDir(pages).filePath(QStringLiteral("index.htm"));
        area.setFrameShape(QFrame::NoFrame);
        area.resize(1200, 800);
        area.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));
        ASSERT_EQ(area.viewport()->size(), QSize(1200, 800));
    }
    void TearDown() override { area.closeAllSubWindows(); }

    HelpAssistant* show(bool forced)
    {
        return shell::ShowHelpAssistant(forced, &area, [this](const QString& word) {
            commands << word;
            return true;
        });
    }
    QUrl pageUrl(const QString& name) const { return QUrl::fromLocalFile(QDir(pages).filePath(name)); }
    QString currentPage(HelpAssistant* a) const { return a->browser()->source().fileName(); }
    QMdiSubWindow* frameOf(HelpAssistant* a) const { return qobject_cast<QMdiSubWindow*>(a->parentWidget()); }
    void closeAssistant(HelpAssistant* a)
    {
        QPointer<QMdiSubWindow> frame = frameOf(a);
        frame->close();
        EXPECT_TRUE(QTest::qWaitFor([&] { return frame.isNull(); }, 2000));
    }

    testsupport::TempFolder app;
    testsupport::MessageRecorder messages;
    QString pages;
    QMdiArea area;
    QStringList commands;
};

TEST_F(HelpAssistantTest, FirstStartOpensTheStartPageAndStoresTheSwitch)
{
    EXPECT_EQ(setting("User", "IsOurHelp"), QStringLiteral("<absent>"));
    HelpAssistant* a = show(false);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->windowTitle(), QStringLiteral("Ваш Помощник"));
    EXPECT_EQ(frameOf(a)->windowTitle(), QStringLiteral("Ваш Помощник"));
    EXPECT_EQ(currentPage(a), QStringLiteral("index.htm"));
    EXPECT_TRUE(a->startPageShown());
    EXPECT_FALSE(a->browser()->toPlainText().trimmed().isEmpty());
    EXPECT_TRUE(a->startupCheckBox()->isChecked());
    EXPECT_EQ(a->startupCheckBox()->text(), QStringLiteral("Открывать Помощник при запуске программы"));
    EXPECT_EQ(setting("User", "IsOurHelp"), QStringLiteral("1"));
    EXPECT_EQ(messages.count(), 0);
    EXPECT_EQ(area.subWindowList().size(), 1);

    // Asked again while open: the same window, its page not reloaded.
    a->browser()->setSource(pageUrl(QStringLiteral("spravochniki.htm")));
    EXPECT_EQ(show(true), a);
    EXPECT_EQ(area.subWindowList().size(), 1);
    EXPECT_EQ(currentPage(a), QStringLiteral("spravochniki.htm"));
}

TEST_F(HelpAssistantTest, EveryCommandWordRunsItsCommandAndKeepsThePage)
{
    HelpAssistant* a = show(true);
    ASSERT_NE(a, nullptr);
    QStringList expected;
    for (const shell::HelpCommand& c : shell::helpCommands()) {
        const QString word = QString::fromUtf8(c.word);
        expected << word;
        a->browser()->setSource(pageUrl(word));
    }
    EXPECT_EQ(commands, expected);
    EXPECT_EQ(expected.size(), 22);
    EXPECT_EQ(currentPage(a), QStringLiteral("index.htm"));
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(HelpAssistantTest, ClickingALinkOnThePageRunsItsCommand)
{
    HelpAssistant* a = show(true);
    ASSERT_NE(a, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(a));
    const QString word = QStringLiteral("СправочникУчебныеГруппы");
    int position = -1;
    for (QTextBlock b = a->browser()->document()->begin(); b.isValid() && position < 0; b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().anchorHref() == word) {
                position = it.fragment().position();
                break;
            }
    ASSERT_GE(position, 0) << "the start page links to the groups directory";
    QTextCursor cursor(a->browser()->document());
    cursor.setPosition(position + 2);
    a->browser()->setTextCursor(cursor);
    a->browser()->ensureCursorVisible();
    const QPoint at = a->browser()->cursorRect(cursor).center();
    QTest::mouseClick(a->browser()->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(commands, QStringList{word});
    EXPECT_EQ(currentPage(a), QStringLiteral("index.htm"));
}

TEST_F(HelpAssistantTest, LinksThatAreNotCommandWords)
{
    QFile extra(QDir(pages).filePath(QStringLiteral("ссылками.htm")));
    ASSERT_TRUE(extra.open(QIODevice::WriteOnly));
    extra.write("<html><body><p>Страница</p></body></html>");
    extra.close();
    HelpAssistant* a = show(true);
    ASSERT_NE(a, nullptr);

    const QString notice = QStringLiteral("Вы нажали на ссылку. С помощью других ссылок можно открывать справочники "
                                          "программы и другие возможности. Спасибо за работу в программе \"Сорвента\".");
    for (const char* name : {"ссылка", "Ссылка"}) {
        a->browser()->setSource(pageUrl(QString::fromUtf8(name)));
        EXPECT_EQ(currentPage(a), QStringLiteral("index.htm")) << name;
    }
    EXPECT_EQ(messages.texts(), (QStringList{notice, notice}));
    EXPECT_EQ(messages.messages()[0].icon(), ui::Information);

    // A name that only begins with the word, or a command word with an
    // extension, is an ordinary page.
    a->browser()->setSource(pageUrl(QStringLiteral("ссылками.htm")));
    EXPECT_EQ(currentPage(a), QStringLiteral("ссылками.htm"));
    a->browser()->setSource(pageUrl(QStringLiteral("СправочникУчебныеГруппы.htm")));
    EXPECT_EQ(currentPage(a), QStringLiteral("СправочникУчебныеГруппы.htm"));
    EXPECT_TRUE(commands.isEmpty());

    // Back to the start page: shown once per opening, later requests do nothing.
    a->browser()->setSource(pageUrl(QStringLiteral("spravochniki.htm")));
    a->browser()->setSource(pageUrl(QStringLiteral("index.htm")));
    EXPECT_EQ(currentPage(a), QStringLiteral("spravochniki.htm"));
    EXPECT_EQ(messages.count(), 2);
}

TEST_F(HelpAssistantTest, AltLeftGoesBackToThePreviousPageEvenTheStartPage)
{
    HelpAssistant* a = show(true);
    ASSERT_NE(a, nullptr);
    a->browser()->setSource(pageUrl(QStringLiteral("soderzhanie.htm")));
    a->browser()->setSource(pageUrl(QStringLiteral("knigi.htm")));
    QTest::keyClick(a->browser(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(currentPage(a), QStringLiteral("soderzhanie.htm"));
    QTest::keyClick(a->browser(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(currentPage(a), QStringLiteral("index.htm"));
}

TEST_F(HelpAssistantTest, LinkFileNamesAreDecoded)
{
    EXPECT_EQ(HelpAssistant::linkFileName(QUrl(QStringLiteral(
                  "file:///opt/%D0%9F%D0%BE%D0%BC/%D0%A1%D1%81%D1%8B%D0%BB%D0%BA%D0%B0"))),
              QStringLiteral("Ссылка"));
    EXPECT_EQ(HelpAssistant::linkFileName(QUrl::fromLocalFile(QStringLiteral("/a b/Помощник ЭЖ/index.htm"))),
              QStringLiteral("index.htm"));
    EXPECT_EQ(HelpAssistant::linkFileName(QUrl(QStringLiteral("file:///a/index.htm#top"))),
              QStringLiteral("index.htm#top"));
    EXPECT_TRUE(shell::isHelpCommandWord(QStringLiteral("КнигаРегистрации")));
    EXPECT_FALSE(shell::isHelpCommandWord(QStringLiteral("книгарегистрации")));
}

TEST_F(HelpAssistantTest, UntickingTheBoxKeepsItClosedAtTheNextStart)
{
    HelpAssistant* a = show(false);
    ASSERT_NE(a, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(a));
    QTest::mouseClick(a->startupCheckBox(), Qt::LeftButton);
    EXPECT_FALSE(a->startupCheckBox()->isChecked());
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.messages()[0].icon(), ui::Information);
    EXPECT_EQ(messages.texts()[0],
              QStringLiteral("При снятой галочке окно \"Ваш Помощник\" не будет отображаться при запуске программы. В "
                             "случае необходимости Вы всегда сможете его открыть с помощью кнопки на панели "
                             "инструментов \"Ваш Помощник\", либо через меню Справка - Ваш Помощник."));
    EXPECT_EQ(setting("User", "IsOurHelp"), QStringLiteral("0"));
    closeAssistant(a);

    EXPECT_EQ(show(false), nullptr);  // next start
    EXPECT_TRUE(area.subWindowList().isEmpty());
    HelpAssistant* forced = show(true);  // the menu item still opens it
    ASSERT_NE(forced, nullptr);
    EXPECT_FALSE(forced->startupCheckBox()->isChecked());
    EXPECT_EQ(setting("User", "IsOurHelp"), QStringLiteral("0"));
    EXPECT_EQ(messages.count(), 1);

    // Ticking it again brings it back at start-up.
    QTest::mouseClick(forced->startupCheckBox(), Qt::LeftButton);
    EXPECT_EQ(setting("User", "IsOurHelp"), QStringLiteral("1"));
    closeAssistant(forced);
    EXPECT_NE(show(false), nullptr);
}

TEST_F(HelpAssistantTest, StartUpSwitchValues)
{
    struct Case {
        const char* stored;
        bool opens;
    };
    for (const Case& c : {Case{"1", true}, Case{"5", true}, Case{"05", true}, Case{"0", false}, Case{"-1", false},
                          Case{"abc", false}}) {
        put("User", "IsOurHelp", QString::fromLatin1(c.stored));
        HelpAssistant* a = show(false);
        EXPECT_EQ(a != nullptr, c.opens) << c.stored;
        if (a)
            closeAssistant(a);
    }
}

TEST_F(HelpAssistantTest, MissingStartPage)
{
    core::state().HelpPagePath = QDir(app.path()).filePath(QStringLiteral("нет/index.htm"));
    EXPECT_EQ(show(false), nullptr);
    EXPECT_EQ(messages.count(), 0);
    EXPECT_EQ(show(true), nullptr);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.messages()[0].icon(), ui::Exclamation);
    EXPECT_EQ(messages.texts()[0],
              QStringLiteral("Файл страницы Помощника не найден. Он должен находится в папке программы в файле: ")
                  + core::state().HelpPagePath
                  + QStringLiteral(" Вы можете воспользоваться руководством пользователя (Справка - Руководство "
                                   "пользователя)."));
    EXPECT_TRUE(area.subWindowList().isEmpty());
}

TEST_F(HelpAssistantTest, PlacementFromTheSettingsIsKeptWithinTheClientArea)
{
    struct Case {
        const char* name;
        const char *left, *top, *width, *height;
        QRect expected;  // pixels; the client area is 1200 by 800 (18000 by 12000 twips)
    };
    const Case cases[] = {
        {"defaults", nullptr, nullptr, nullptr, nullptr, QRect(0, 0, 733, 433)},
        {"inside", "1500", "750", "9000", "6000", QRect(100, 50, 600, 400)},
        {"beyond the client area", "17700", "11700", "18001", "12001", QRect(0, 0, 1173, 773)},
        {"negative, too small", "-15", "-1", "399", "300", QRect(0, 0, 1173, 773)},
        {"not numbers", "abc", "", "x", "y", QRect(0, 0, 733, 433)},
    };
    for (const Case& c : cases) {
        testsupport::clearSettings();
        put("User", "IsOurHelp", QStringLiteral("1"));
        if (c.left) {
            put("Settings", "BrowserLeft", QString::fromLatin1(c.left));
            put("Settings", "BrowserTop", QString::fromLatin1(c.top));
            put("Settings", "BrowserWidth", QString::fromLatin1(c.width));
            put("Settings", "BrowserHeight", QString::fromLatin1(c.height));
        }
        HelpAssistant* a = show(false);
        ASSERT_NE(a, nullptr) << c.name;
        EXPECT_EQ(frameOf(a)->geometry(), c.expected) << c.name;
        closeAssistant(a);
    }
}

TEST_F(HelpAssistantTest, ClosingStoresThePlacementAndTheWindowState)
{
    HelpAssistant* a = show(true);
    ASSERT_NE(a, nullptr);
    frameOf(a)->setGeometry(60, 30, 450, 300);
    closeAssistant(a);
    EXPECT_EQ(setting("Settings", "BrowserLeft"), QStringLiteral("900"));
    EXPECT_EQ(setting("Settings", "BrowserTop"), QStringLiteral("450"));
    EXPECT_EQ(setting("Settings", "BrowserWidth"), QStringLiteral("6750"));
    EXPECT_EQ(setting("Settings", "BrowserHeight"), QStringLiteral("4500"));
    EXPECT_EQ(setting("Settings", "BrowserState"), QStringLiteral("0"));

    // Closed maximised: reopens maximised.
    a = show(true);
    EXPECT_EQ(frameOf(a)->geometry(), QRect(60, 30, 450, 300));
    frameOf(a)->showMaximized();
    closeAssistant(a);
    EXPECT_EQ(setting("Settings", "BrowserState"), QStringLiteral("2"));
    a = show(true);
    EXPECT_TRUE(frameOf(a)->isMaximized());
    frameOf(a)->showNormal();
    frameOf(a)->setGeometry(60, 30, 450, 300);
    closeAssistant(a);

    // Closed minimised: the placement of the earlier close stays, and it
    // reopens in the normal state.
    a = show(true);
    frameOf(a)->setGeometry(150, 150, 300, 300);
    frameOf(a)->showMinimized();
    closeAssistant(a);
    EXPECT_EQ(setting("Settings", "BrowserState"), QStringLiteral("1"));
    EXPECT_EQ(setting("Settings", "BrowserLeft"), QStringLiteral("900"));
    EXPECT_EQ(setting("Settings", "BrowserWidth"), QStringLiteral("6750"));
    a = show(true);
    EXPECT_FALSE(frameOf(a)->isMinimized());
    EXPECT_FALSE(frameOf(a)->isMaximized());
    EXPECT_EQ(frameOf(a)->geometry(), QRect(60, 30, 450, 300));
}

// The shipped pages: every command word is linked from some page, and every
// other link leads to a page that exists.
TEST(HelpPages, LinkEveryCommandWordAndHaveNoBrokenLinks)
{
    const QDir folder(shippedPagesFolder());
    ASSERT_TRUE(folder.exists(QStringLiteral("index.htm")));
    QSet<QString> hrefs;
    const QRegularExpression link(QStringLiteral("href=\"([^\"]*)\""));
    for (const QFileInfo& fi : folder.entryInfoList({QStringLiteral("*.htm")}, QDir::Files)) {
        QFile f(fi.filePath());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(f.readAll());
        EXPECT_TRUE(html.contains(QStringLiteral("charset=utf-8"), Qt::CaseInsensitive)) << fi.fileName().toStdString();
        for (auto it = link.globalMatch(html); it.hasNext();) {
            const QString href = it.next().captured(1);
            hrefs << href;
            const QString file = href.section(QLatin1Char('#'), 0, 0);
            if (file.isEmpty() || shell::isHelpCommandWord(file) || file == QStringLiteral("ссылка")
                || file == QStringLiteral("Ссылка"))
                continue;
            EXPECT_TRUE(folder.exists(file)) << fi.fileName().toStdString() << " links to " << href.toStdString();
        }
    }
    for (const shell::HelpCommand& c : shell::helpCommands())
        EXPECT_TRUE(hrefs.contains(QString::fromUtf8(c.word))) << c.word;
    EXPECT_TRUE(hrefs.contains(QStringLiteral("ссылка")) || hrefs.contains(QStringLiteral("Ссылка")));
}

} // namespace
