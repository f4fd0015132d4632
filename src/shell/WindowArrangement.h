#pragma once
// Tiling of the main window's child windows. QMdiArea only knows a grid
// tiling; the window menu offers the two strip tilings of a classic
// multiple-document frame.
class QMdiArea;

namespace shell {

// One strip per child window, stacked from top to bottom, each as wide as
// the client area.
void tileHorizontally(QMdiArea* area);

// One strip per child window, side by side from left to right, each as high
// as the client area.
void tileVertically(QMdiArea* area);

} // namespace shell
