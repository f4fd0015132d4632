#pragma once
// Tiling of the main window's child windows. QMdiArea only knows a grid
// tiling; the window menu offers the two strip tilings of a classic
// multiple-document frame.
#include <QPoint>
#include <QSize>

class QMdiArea;
class QMdiSubWindow;

namespace shell {

// The size a child window takes when it opens without a size of its own and
// when the windows are cascaded: three quarters of the client area.
QSize usualChildSize(const QMdiArea* area);

// Where the child window number `index` (0 for the first) of a cascade goes:
// one title bar lower and to the right per window, back at the top left
// corner when a window of `frameSize` would leave the client area.
QPoint cascadePosition(const QMdiArea* area, const QMdiSubWindow* sample, QSize frameSize, int index);

// Restores the visible child windows that are not minimised and lays them
// one over the other, each a title bar lower than the one behind, each of the
// usual size; the window in front stays in front.
void cascade(QMdiArea* area);

// One strip per child window, stacked from top to bottom, each as wide as
// the client area.
void tileHorizontally(QMdiArea* area);

// One strip per child window, side by side from left to right, each as high
// as the client area.
void tileVertically(QMdiArea* area);

} // namespace shell
