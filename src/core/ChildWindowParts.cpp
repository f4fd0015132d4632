#include "core/ChildWindowParts.h"

#include "core/ChildWindows.h"
#include "core/ListView.h"

#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QToolBar>

namespace core {

void trackMdiActivation(QWidget* window, std::function<void()> activated, std::function<void()> deactivated)
{
    QMdiArea* area = shellServices().mdiArea;
    if (!area)
        return;
    QObject::connect(area, &QMdiArea::subWindowActivated, window,
                     [window, activated = std::move(activated), deactivated = std::move(deactivated),
                      active = false](QMdiSubWindow* current) mutable {
                         if (!current)
                             return;
                         const bool nowActive = current->widget() == window;
                         if (nowActive && !active)
                             activated();
                         else if (!nowActive && active)
                             deactivated();
                         active = nowActive;
                     });
}

QToolBar* makeWindowToolbar(QWidget* window)
{
    auto* toolbar = new QToolBar(window);
    toolbar->setObjectName(QStringLiteral("Toolbar1"));
    toolbar->setIconSize(QSize(16, 16));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    return toolbar;
}

bool isPlainEnter(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && vbShiftState(key->modifiers()) == 0;
}

} // namespace core
