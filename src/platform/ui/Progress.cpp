#include "Progress.h"
#include "Messages.h"

#include "platform/aside/Aside.h"

#include <QApplication>
#include <QCursor>

#include <algorithm>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace ui {

namespace {

QString withBlank(const QString& caption)
{
    return caption.isEmpty() || caption.endsWith(QLatin1Char(' ')) ? caption : caption + QLatin1Char(' ');
}

#if defined(__GLIBC__)
// Long work allocates much of its data on threads of its own (the rows of
// a workbook read aside, say), and the office bridge allocates on its own
// threads too. Left to itself the allocator gives threads memory pools of
// their own, and what such a pool holds free at its end is not given back
// to the system when asked (only the main pool's is): an import of many
// rows could leave tens of megabytes behind. Set as the program loads,
// before any thread starts: every thread takes its memory from the main
// pool, so that giveBackFreedMemory() gives back all that was freed.
const bool kOneMemoryPool = mallopt(M_ARENA_MAX, 1) == 1;
#endif

} // namespace

LongWork::LongWork(QString caption) : caption_(std::move(caption))
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        cursorSet_ = true;
    }
    show();
}

LongWork::~LongWork()
{
    if (cursorSet_)
        QApplication::restoreOverrideCursor();
}

QString LongWork::text(const QString& caption, long long done, long long total)
{
    QString t = withBlank(caption);
    t += QString::number(done);
    if (total > 0)
        t += QStringLiteral(" из ") + QString::number(total);
    return t;
}

QString LongWork::percentText(const QString& caption, long long done, long long total)
{
    const long long percent = total > 0 ? std::clamp(done * 100 / total, 0LL, 100LL) : 0;
    return withBlank(caption) + QString::number(percent) + QStringLiteral(" %");
}

QString LongWork::secondsText(const QString& caption, long long seconds)
{
    return withBlank(caption) + QString::number(seconds) + QStringLiteral(" с");
}

void LongWork::giveBackFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

void LongWork::step(long long done, long long total)
{
    const bool edge = done <= 1 || (total > 0 && done >= total);
    if (!edge && sinceShown_.isValid() && sinceShown_.elapsed() < intervalMs)
        return;
    setStatusText(text(caption_, done, total));
    repaint();
}

void LongWork::setCaption(QString caption)
{
    caption_ = std::move(caption);
    show();
}

void LongWork::show()
{
    showText(caption_);
}

void LongWork::showText(const QString& text)
{
    setStatusText(text);
    repaint();
}

void LongWork::repaint()
{
    sinceShown_.start();
    aside::takeEvents();
}

} // namespace ui
