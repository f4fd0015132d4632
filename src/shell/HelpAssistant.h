#pragma once
// The help assistant (frmBrowser, "Ваш Помощник"): a child window of the main
// window that shows the local pages starting at "Помощник ЭЖ/index.htm". A
// link whose file name is a command word runs that command of the main
// window instead of opening a page.
#include <QString>
#include <QTextBrowser>
#include <QWidget>
#include <functional>
#include <span>

class QCheckBox;
class QMdiArea;
class QMdiSubWindow;

namespace shell {

// Runs the main-window command of a command word; false for a word it does
// not know.
using CommandHandler = std::function<bool(const QString& commandWord)>;

// One command word of the pages and the main-window command it runs.
struct HelpCommand {
    const char* word;
    const char* command;
};
// Every command word, in the order links are compared with them.
std::span<const HelpCommand> helpCommands();
bool isHelpCommandWord(const QString& fileName);

// Settings of the assistant.
inline constexpr const char* kIsOurHelpKey = "IsOurHelp";  // section "User"

// The browser control: every navigation (a followed link or a page request)
// is offered to `beforeNavigate` first, which returns true to cancel it.
class HelpBrowserView : public QTextBrowser {
    Q_OBJECT
public:
    using BeforeNavigate = std::function<bool(const QUrl&)>;
    explicit HelpBrowserView(QWidget* parent = nullptr);
    void setBeforeNavigate(BeforeNavigate handler) { beforeNavigate_ = std::move(handler); }

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

private:
    BeforeNavigate beforeNavigate_;
};

class HelpAssistant : public QWidget {
    Q_OBJECT
public:
    explicit HelpAssistant(QWidget* parent = nullptr);

    void setCommandHandler(CommandHandler handler) { commandHandler_ = std::move(handler); }

    // Places the window (its MDI frame when it has one) from the settings
    // within a client area of `client` pixels and opens the start page;
    // false when the start page is missing (the caller closes the window).
    bool load(const QSize& client);

    // The file-name part of a URL as the links are judged by: decoded, with
    // its query and fragment.
    static QString linkFileName(const QUrl& url);

    HelpBrowserView* browser() const { return WebBrowser1; }
    QCheckBox* startupCheckBox() const { return Check1; }
    bool startPageShown() const { return StartPageShown; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool beforeNavigate(const QUrl& url);
    void checkClicked(bool ticked);
    QWidget* frameWindow();

    HelpBrowserView* WebBrowser1 = nullptr;
    QCheckBox* Check1 = nullptr;
    bool StartPageShown = false;
    CommandHandler commandHandler_;
};

// Shows the assistant in `area` (a top-level window when `area` is null):
// when `forced`, or when the user has not switched it off; an assistant
// already open is only brought to the front. Returns the window shown, or
// null when none is.
HelpAssistant* ShowHelpAssistant(bool forced, QMdiArea* area, const CommandHandler& handler);

// The assistant open in `area`, or null.
HelpAssistant* findHelpAssistant(QMdiArea* area);

} // namespace shell
