#include "shell/HelpAssistant.h"

#include "core/AppState.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Messages.h"
#include "shell/ProgramIcon.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QVBoxLayout>
#include <array>

namespace shell {
namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kStripTwips = 300;   // height of the strip that holds the check box
constexpr int kCheckLeftTwips = 120;
constexpr int kMarginTwips = 400;  // what a stored placement must leave of the client area

const QString kUser = QString::fromLatin1(settings::kSectionUser);
const QString kSettings = QString::fromLatin1(settings::kSectionSettings);

constexpr std::array<HelpCommand, 22> kHelpCommands{{
    {"СоздатьБазуДанных", "mnuFileCr_Click"},
    {"СправочникМедСпециальности", "mnuMed_Click"},
    {"СправочникУчреждение", "frmSpravMe_Click"},
    {"СправочникОбразовательныеУчреждения", "mnuSprOU_Click"},
    {"СправочникВидыОценок", "mnuSpravVidOc_Click"},
    {"СправочникВидыДокументов", "mnuSprVDoc_Click"},
    {"СправочникФормыПолученияОбразования", "mnuSprForm_Click"},
    {"СправочникУровниПодготовки", "mnuSprUr_Click"},
    {"СправочникДисциплины", "mnuSpravPredm_Click"},
    {"СправочникСпециальностиПрофессии", "mnuSpravSpec_Click"},
    {"СправочникУчебныеГруппы", "mnuSpravGr_Click"},
    {"СправочникУчебныйПлан", "mnuSpravPlan_Click"},
    {"СправочникСтудентыУчащиеся", "mnuSpravStud_Click"},
    {"СправочникИтоговыеОценки", "mnuSpravItOc_Click"},
    {"СправочникТипографии", "mnuSprTpgr_Click"},
    {"ПечатьДокументов", "mnuFileDip_Click"},
    {"КнигаРегистрации", "mnuRepBook_Click"},
    {"ИтоговыеОценкиПереподготовки", "mnuSpravItOcPer_Click"},
    {"ИтоговыеОценкиСвидетельств", "mnuSpravItOcSvid_Click"},
    {"КнигаРегистрацииВыданныхСертификатов", "mnuRepBookMed_Click"},
    {"КнигаРегистрацииВыдаваемыхДокументовПереподготовки", "mnuRepBookDok_Click"},
    {"КнигаРегистрацииВыдаваемыхСвидетельств", "mnuRepBookSvid_Click"},
}};

// The numeric value of the leading digits of a text, blanks ignored, as the
// start-up switch has always been read ("05" is 5, "abc" and "-1" are 0 once
// prefixed with "0").
double leadingNumber(const QString& text)
{
    QString digits;
    bool point = false;
    for (QChar c : text) {
        if (c.isSpace())
            continue;
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
        else if (c == QLatin1Char('.') && !point) {
            point = true;
            digits += c;
        } else
            break;
    }
    return digits.toDouble();
}

// Reads User\IsOurHelp; an empty value is replaced by "1" and stored.
QString readIsOurHelp()
{
    QString text = settings::getSetting(kUser, QString::fromLatin1(kIsOurHelpKey));
    if (text.isEmpty()) {
        text = QStringLiteral("1");
        settings::saveSetting(kUser, QString::fromLatin1(kIsOurHelpKey), text);
    }
    return text;
}

double settingNumber(const QString& key, double defaultValue)
{
    bool ok = false;
    const double v = settings::getSetting(kSettings, key).trimmed().toDouble(&ok);
    return ok ? v : defaultValue;
}

int toPixels(double twips)
{
    return qRound(twips / kTwipsPerPixel);
}

} // namespace

std::span<const HelpCommand> helpCommands()
{
    return kHelpCommands;
}

bool isHelpCommandWord(const QString& fileName)
{
    for (const HelpCommand& c : kHelpCommands)
        if (fileName == QString::fromUtf8(c.word))
            return true;
    return false;
}

HelpBrowserView::HelpBrowserView(QWidget* parent)
    : QTextBrowser(parent)
{
    document()->setDocumentMargin(12);
}

void HelpBrowserView::doSetSource(const QUrl& name, QTextDocument::ResourceType type)
{
    if (beforeNavigate_ && beforeNavigate_(name))
        return;
    QTextBrowser::doSetSource(name, type);
}

HelpAssistant::HelpAssistant(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmBrowser"));
    setWindowTitle(QStringLiteral("Ваш Помощник"));
    setWindowIcon(programIcon());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    WebBrowser1 = new HelpBrowserView(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setFrameShape(QFrame::NoFrame);
    WebBrowser1->setBeforeNavigate([this](const QUrl& url) { return beforeNavigate(url); });
    layout->addWidget(WebBrowser1, 1);

    auto* strip = new QWidget(this);
    strip->setFixedHeight(toPixels(kStripTwips));
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(toPixels(kCheckLeftTwips), 0, 0, 0);
    Check1 = new QCheckBox(QStringLiteral("Открывать Помощник при запуске программы"), strip);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setChecked(false);
    stripLayout->addWidget(Check1);
    stripLayout->addStretch();
    layout->addWidget(strip);

    connect(Check1, &QCheckBox::toggled, this, &HelpAssistant::checkClicked);
}

QWidget* HelpAssistant::frameWindow()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return sub;
    return this;
}

bool HelpAssistant::load(const QSize& client)
{
    QWidget* frame = frameWindow();
    const double clientWidth = client.width() * double(kTwipsPerPixel);
    const double clientHeight = client.height() * double(kTwipsPerPixel);

    bool ok = false;
    int windowState = settings::getSetting(kSettings, QStringLiteral("BrowserState")).trimmed().toInt(&ok);
    if (!ok || windowState == 1)
        windowState = 0;

    double left = settingNumber(QStringLiteral("BrowserLeft"), 0);
    if (left < 0 || left > clientWidth - kMarginTwips)
        left = 0;
    double top = settingNumber(QStringLiteral("BrowserTop"), 0);
    if (top < 0 || top > clientHeight - kMarginTwips)
        top = 0;
    double width = settingNumber(QStringLiteral("BrowserWidth"), 11000);
    if (width > clientWidth || width < kMarginTwips)
        width = clientWidth - kMarginTwips;
    double height = settingNumber(QStringLiteral("BrowserHeight"), 6500);
    if (height > clientHeight || height < kMarginTwips)
        height = clientHeight - kMarginTwips;
    // A client area too small for the rule above still gets a window that can be seen.
    width = qMax(width, double(kMarginTwips));
    height = qMax(height, double(kMarginTwips));
    frame->setGeometry(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
    frame->setWindowState(windowState == 2 ? Qt::WindowMaximized : Qt::WindowNoState);

    StartPageShown = false;
    const QString page = core::state().HelpPagePath;
    if (page.isEmpty() || !QFileInfo(page).isFile())
        return false;
    WebBrowser1->setSource(QUrl::fromLocalFile(QFileInfo(page).absoluteFilePath()));

    const QString switchText = readIsOurHelp();
    const int ticked = switchText.trimmed().toInt(&ok);
    if (ok && (ticked == 0 || ticked == 1))
        Check1->setChecked(ticked == 1);  // a change runs the box's own handling
    return true;
}

QString HelpAssistant::linkFileName(const QUrl& url)
{
    QString name = url.fileName(QUrl::FullyDecoded);
    if (name.isEmpty()) {
        // A URL that ends in a separator or has no path: the text after the
        // last separator of the whole URL.
        const QString path = url.path(QUrl::FullyDecoded);
        name = path.mid(qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))) + 1);
    }
    if (url.hasQuery())
        name += QLatin1Char('?') + url.query(QUrl::FullyDecoded);
    if (url.hasFragment())
        name += QLatin1Char('#') + url.fragment(QUrl::FullyDecoded);
    return name;
}

bool HelpAssistant::beforeNavigate(const QUrl& url)
{
    const QString name = linkFileName(url);

    // The start page is shown once per opening of the window.
    if (name == QFileInfo(core::state().HelpPagePath).fileName()) {
        const bool cancel = StartPageShown;
        StartPageShown = true;
        return cancel;
    }
    for (const HelpCommand& c : kHelpCommands) {
        const QString word = QString::fromUtf8(c.word);
        if (name == word) {
            if (commandHandler_)
                commandHandler_(word);
            return true;
        }
    }
    if (name == QStringLiteral("Ссылка") || name == QStringLiteral("ссылка")) {
        ui::msgBox(QStringLiteral("Вы нажали на ссылку. С помощью других ссылок можно открывать справочники программы и "
                                  "другие возможности. Спасибо за работу в программе \"Сорвента\"."),
                   ui::Information);
        return true;
    }
    return false;
}

void HelpAssistant::checkClicked(bool ticked)
{
    if (!ticked)
        ui::msgBox(QStringLiteral("При снятой галочке окно \"Ваш Помощник\" не будет отображаться при запуске "
                                  "программы. В случае необходимости Вы всегда сможете его открыть с помощью кнопки на "
                                  "панели инструментов \"Ваш Помощник\", либо через меню Справка - Ваш Помощник."),
                   ui::Information);
    settings::saveSetting(kUser, QString::fromLatin1(kIsOurHelpKey), ticked ? QStringLiteral("1") : QStringLiteral("0"));
}

void HelpAssistant::closeEvent(QCloseEvent* event)
{
    QWidget* frame = frameWindow();
    const int state = frame->isMinimized() ? 1 : frame->isMaximized() ? 2 : 0;
    if (state != 1) {
        const QRect g = frame->geometry();
        settings::saveSetting(kSettings, QStringLiteral("BrowserLeft"), QString::number(g.x() * kTwipsPerPixel));
        settings::saveSetting(kSettings, QStringLiteral("BrowserTop"), QString::number(g.y() * kTwipsPerPixel));
        settings::saveSetting(kSettings, QStringLiteral("BrowserWidth"), QString::number(g.width() * kTwipsPerPixel));
        settings::saveSetting(kSettings, QStringLiteral("BrowserHeight"), QString::number(g.height() * kTwipsPerPixel));
    }
    settings::saveSetting(kSettings, QStringLiteral("BrowserState"), QString::number(state));
    event->accept();
}

HelpAssistant* findHelpAssistant(QMdiArea* area)
{
    if (area) {
        for (QMdiSubWindow* sub : area->subWindowList())
            if (auto* a = qobject_cast<HelpAssistant*>(sub->widget()))
                return a;
        return nullptr;
    }
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* a = qobject_cast<HelpAssistant*>(w))
            return a;
    return nullptr;
}

HelpAssistant* ShowHelpAssistant(bool forced, QMdiArea* area, const CommandHandler& handler)
{
    const bool wanted = leadingNumber(QStringLiteral("0") + readIsOurHelp()) > 0;
    if (!forced && !wanted)
        return nullptr;

    const QString page = core::state().HelpPagePath;
    if (page.isEmpty() || !QFileInfo(page).isFile()) {
        if (forced)
            ui::msgBox(QStringLiteral("Файл страницы Помощника не найден. Он должен находится в папке программы в файле: ")
                           + QDir::toNativeSeparators(page)
                           + QStringLiteral(" Вы можете воспользоваться руководством пользователя (Справка - Руководство "
                                            "пользователя)."),
                       ui::Exclamation);
        return nullptr;
    }

    if (HelpAssistant* open = findHelpAssistant(area)) {
        QWidget* frame = area ? static_cast<QWidget*>(open->parentWidget()) : open;
        if (frame->isMinimized())
            frame->showNormal();
        else
            frame->show();
        if (area)
            area->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(frame));
        else {
            frame->raise();
            frame->activateWindow();
        }
        return open;
    }

    auto* assistant = new HelpAssistant;
    assistant->setCommandHandler(handler);
    QWidget* frame = assistant;
    QSize client;
    if (area) {
        QMdiSubWindow* sub = area->addSubWindow(assistant);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setWindowIcon(programIcon());
        frame = sub;
        client = area->viewport()->size();
    } else {
        assistant->setAttribute(Qt::WA_DeleteOnClose);
        QScreen* screen = QGuiApplication::primaryScreen();
        client = screen ? screen->availableGeometry().size() : QSize(1024, 768);
    }
    if (!assistant->load(client)) {
        delete frame;
        return nullptr;
    }
    const bool maximized = frame->windowState() & Qt::WindowMaximized;
    if (maximized)
        frame->showMaximized();
    else
        frame->show();
    return assistant;
}

} // namespace shell
