#include "shell/WindowArrangement.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>

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

QSize usualChildSize(const QMdiArea* area)
{
    const QSize client = area->viewport()->size();
    return {client.width() * 3 / 4, client.height() * 3 / 4};
}

QPoint cascadePosition(const QMdiArea* area, const QMdiSubWindow* sample, QSize frameSize, int index)
{
    const QSize client = area->viewport()->size();
    const int step = sample->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sample);
    const int room = qMin(client.width() - frameSize.width(), client.height() - frameSize.height());
    const int offset = room > step && step > 0 ? (index * step) % (room - room % step + step) : 0;
    return {offset, offset};
}

void cascade(QMdiArea* area)
{
    if (!area)
        return;
    QMdiSubWindow* front = area->currentSubWindow();
    QList<QMdiSubWindow*> windows;
    const auto all = area->subWindowList(QMdiArea::StackingOrder);
    for (QMdiSubWindow* w : all) {
        if (w->isVisible() && !w->isMinimized())
            windows << w;
    }
    // The window in front ends on top of the cascade.
    if (windows.removeOne(front))
        windows << front;
    const QSize size = usualChildSize(area);
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* w = windows.at(i);
        if (w->isMaximized())
            w->showNormal();
        w->resize(size);
        w->move(cascadePosition(area, w, size, i));
        w->raise();
    }
    if (front)
        area->setActiveSubWindow(front);
}

void tileHorizontally(QMdiArea* area)
{
    tile(area, Strips::Rows);
}

void tileVertically(QMdiArea* area)
{
    tile(area, Strips::Columns);
}

} // namespace shell
