#pragma once
// What the main window uses of its child windows, and what child windows use
// of the main window. The real windows register their factories at start-up;
// tests register stand-ins.
#include <QString>
#include <functional>

class QMdiArea;
class QPoint;
class QWidget;

namespace core {

// A directory window (one per directory kind; grades windows one per
// document kind).
class DirectoryWindowApi {
public:
    virtual ~DirectoryWindowApi() = default;
    virtual QWidget* widget() = 0;
    virtual int kind() const = 0;     // DirectoryKind
    virtual int docKind() const = 0;  // DocKind
    // The toolbar's buttons by key: "keyAdd", "keyEdit", "keyCopy", "keyDel", "PrintV", ...
    virtual bool hasButton(const QString& key) const = 0;
    // Performs the action of a toolbar button exactly as a click on it would.
    virtual void Toolbar1_ButtonClick(const QString& key) = 0;
    virtual void Ref() = 0;
    virtual void bPrint_click() = 0;
    virtual void bPrintOOo() = 0;
};

// A registry-book window (one per book kind `Med`).
class RegistryBookApi {
public:
    virtual ~RegistryBookApi() = default;
    virtual QWidget* widget() = 0;
    virtual int Med() const = 0;
    virtual void Ref() = 0;
    virtual void bPrint_click() = 0;
    virtual void bPrintOOo() = 0;
};

struct WindowFactories {
    // A new directory window; it takes its kind from CurrentKind and its
    // document kind from CurrentDocKind while it loads.
    std::function<DirectoryWindowApi*(QWidget* parent)> createDirectoryWindow;
    // A new registry-book window of kind `med`.
    std::function<RegistryBookApi*(QWidget* parent, int med)> createRegistryBook;
    // The record card, modal: reads CurrentKind, CurrentRowId, RowIsCopy.
    std::function<void()> showRecordCard;
    // The print-parameters dialog, modal: reads CurrentDocKind, CurrentRowId.
    std::function<void()> showPrintParameters;
    // The import window, modal: reads CurrentKind (a directory kind, or 100 +
    // the kind for a grade sheet), ImportGroupId and ImportDocKind. True when
    // rows were written (the opener refreshes its list).
    std::function<bool(QWidget* parent)> showImport;
    // The template adjustment window on a template file, modal; returns its
    // DialogResult.
    std::function<int(const QString& templatePath)> adjustTemplate;
};
WindowFactories& windowFactories();

// Services of the application shell that child windows and the record card
// call without linking the shell. The main window fills the first ones, and
// empties them when it goes; start-up fills the others. A service left empty
// counts as unavailable.
struct ShellServices {
    QMdiArea* mdiArea = nullptr;
    // Shows or hides the main window's actions menu ("Действия").
    std::function<void(bool visible)> setActionsMenuVisible;
    // Pops the actions menu up at a screen position.
    std::function<void(const QPoint& globalPos)> popupActionsMenu;
    // Opens a registry book (BookGroupId preselects its group).
    std::function<void(int med)> showRegistryBook;
    // Brings the main window to the front (after an office window took it).
    std::function<void()> activateMainWindow;
    // Opens the user manual (the main window's "Руководство пользователя").
    std::function<void()> openUserManual;
    // The enciphered form of a text ("" for "" and on failure).
    std::function<QString(const QString&)> encryptString;
    // The plain text of an enciphered text ("" for "" and on failure).
    std::function<QString(const QString&)> decryptString;
};
ShellServices& shellServices();

} // namespace core
