#pragma once
// Pieces the child windows of the main window's MDI area share.
#include <functional>

class QEvent;
class QToolBar;
class QWidget;

namespace core {

// Runs `activated` when `window` becomes the MDI area's current child and
// `deactivated` when another child becomes current after it. A null current
// child (the whole program lost the focus) changes nothing. Nothing happens
// without an MDI area; the link ends with the window.
void trackMdiActivation(QWidget* window, std::function<void()> activated, std::function<void()> deactivated);

// The window's toolbar "Toolbar1": 16-pixel pictures, fixed in place.
QToolBar* makeWindowToolbar(QWidget* window);

// A key press of Enter without Shift, Ctrl or Alt.
bool isPlainEnter(const QEvent* event);

} // namespace core
