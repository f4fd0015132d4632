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

std::vector<GroupMember> groupMembers(long long group)
{
    std::vector<GroupMember> out;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& e : entries) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(e));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields.at(2).toLongLong() == group)
            out.push_back({pid_t(e.toInt()), fields.at(0).isEmpty() ? '?' : fields.at(0).at(0)});
    }
    return out;
}

bool groupAlive(long long group)
{
    for (const GroupMember& m : groupMembers(group))
        if (m.state != 'Z')
            return true;
    return false;
}

void killOffice(long long group)
{
    if (group <= 0)
        return;
    ::kill(pid_t(-group), SIGKILL);
    for (int i = 0; i < 500 && groupAlive(group); ++i)
        QThread::msleep(10);
}

} // namespace testsupport
