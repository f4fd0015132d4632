#include "support/OfficeDocuments.h"

#include "platform/office/UnoSupport.h"

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>

#include <QDir>
#include <QFile>
#include <QThread>

#include <csignal>

namespace testsupport {

int openDocumentCount()
{
    int n = 0;
    auto e = office::uno::desktop()->getComponents()->createEnumeration();
    while (e->hasMoreElements()) {
        e->nextElement();
        ++n;
    }
    return n;
}

namespace {

// Whether a process of the group still runs (its start program, reaped by
// the program only later, may stay a zombie meanwhile).
bool groupRuns(long long group)
{
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& e : entries) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(e));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields.at(2).toLongLong() == group && !fields.at(0).startsWith('Z'))
            return true;
    }
    return false;
}

} // namespace

void killOffice(long long group)
{
    if (group <= 0)
        return;
    ::kill(pid_t(-group), SIGKILL);
    for (int i = 0; i < 500 && groupRuns(group); ++i)
        QThread::msleep(10);
}

} // namespace testsupport
