#include "shell/WindowArrangement.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace shell {
namespace {

enum class Strips { Rows, Columns };

// Minimised windows keep their icons where they are; every other visible
// child gets one strip, in the order the windows were opened.
void tile(QMdiArea* area, Strips strips)
{
    if (!area)
        return;
    QList<QMdiSubWindow*> windows;
    const auto all = area->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow* w : all) {
        if (w->isVisible() && !w->isMinimized())
            windows << w;
    }
    if (windows.isEmpty())
        return;

    const QRect client = area->viewport()->rect();
    const int n = static_cast<int>(windows.size());
    const int total = strips == Strips::Rows ? client.height() : client.width();
    int offset = 0;
    for (int i = 0; i < n; ++i) {
        // Spread the remainder over the first strips so that the strips fill
        // the client area exactly.
        const int size = total / n + (i < total % n ? 1 : 0);
        QMdiSubWindow* w = windows.at(i);
        if (w->isMaximized())
            w->showNormal();
        if (strips == Strips::Rows)
            w->setGeometry(client.left(), client.top() + offset, client.width(), size);
        else
            w->setGeometry(client.left() + offset, client.top(), size, client.height());
        offset += size;
    }
}

} // namespace

void tileHorizontally(QMdiArea* area)
{
    tile(area, Strips::Rows);
}

void tileVertically(QMdiArea* area)
{
    tile(area, Strips::Columns);
}

} // namespace shell
