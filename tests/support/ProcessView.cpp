#include "ProcessView.h"

#include <QDir>
#include <QFile>

#include <algorithm>

#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString ReadLink(const QString& path)
{
    char target[4096];
    const ssize_t size = ::readlink(QFile::encodeName(path).constData(), target, sizeof target);
    return size > 0 ? QString::fromLocal8Bit(target, static_cast<int>(size)) : QString();
}

qint64 ChildNamed(qint64 parent, const QByteArray& name)
{
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
        QFile stat("/proc/" + pid + "/stat");
        if (!stat.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QList<QByteArray> fields = stat.readAll().split(' ');
        if (fields.value(1) == "(" + name + ")" && fields.value(3).toLongLong() == parent) {
            return pid.toLongLong();
        }
    }
    return 0;
}

QString LimitLine(const QString& limits, const QString& name)
{
    const qsizetype at = limits.indexOf("\n" + name + " ");
    return at < 0 ? QString() : limits.mid(at + 1).section('\n', 0, 0);
}

std::pair<rlim_t, rlim_t> LimitValues(const QString& line)
{
    const QStringList fields = line.mid(26).split(' ', Qt::SkipEmptyParts);
    const auto value = [](const QString& field) {
        return field == "unlimited" ? RLIM_INFINITY : static_cast<rlim_t>(field.toULongLong());
    };
    return {value(fields.value(0)), value(fields.value(1))};
}

std::pair<rlim_t, rlim_t> ClampedTo(std::pair<rlim_t, rlim_t> limit, rlim_t hard)
{
    return {std::min(limit.first, hard), std::min(limit.second, hard)};
}

QString ProcessTree(qint64 pid)
{
    QString tree;
    const QString base = "/proc/" + QString::number(pid);
    for (const QString& task : QDir(base + "/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QByteArray stat = ReadAll(base + "/task/" + task + "/stat");
        const QByteArray wchan = ReadAll(base + "/task/" + task + "/wchan");
        tree += QStringLiteral("%1/%2 %3 %4\n")
                    .arg(pid)
                    .arg(task,
                         QString::fromUtf8(stat.mid(stat.indexOf(' ') + 1,
                                                    stat.lastIndexOf(')') + 3 - stat.indexOf(' ') - 1)),
                         QString::fromUtf8(wchan));
    }
    for (const QString& child : QDir("/proc").entryList(QDir::Dirs)) {
        const QList<QByteArray> fields = ReadAll("/proc/" + child + "/stat").split(')');
        if (child.toLongLong() > 0 && fields.value(1).split(' ').value(2).toLongLong() == pid) {
            tree += ProcessTree(child.toLongLong());
        }
    }
    return tree;
}

ProcessView ViewOf(qint64 pid)
{
    const QString base = "/proc/" + QString::number(pid);
    ProcessView view;
    QFile status(base + "/status");
    QFile environ(base + "/environ");
    if (status.open(QIODevice::ReadOnly) && environ.open(QIODevice::ReadOnly)) {
        view.status = QString::fromUtf8(status.readAll());
        view.environment = environ.readAll().split('\0');
        view.environment.removeAll(QByteArray());
    }
    view.limits = QString::fromUtf8(ReadAll(base + "/limits"));
    const QByteArray stat = ReadAll(base + "/stat");
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    view.nice = fields.value(16);
    view.policy = fields.value(38);
    const long ioPriority = ::syscall(SYS_ioprio_get, 1 /* IOPRIO_WHO_PROCESS */, static_cast<int>(pid));
    if (ioPriority >= 0) {
        view.ioClass = static_cast<int>(ioPriority >> 13);
        view.ioLevel = static_cast<int>(ioPriority & 7);
    }
    view.oomAdjust = ReadAll(base + "/oom_score_adj").trimmed();
    for (const QString& fd : QDir(base + "/fd").entryList(QDir::Files | QDir::System)) {
        view.descriptors.insert(fd.toInt(), ReadLink(base + "/fd/" + fd));
    }
    return view;
}

bool CatchesSigterm(const QString& status)
{
    const qsizetype at = status.indexOf("\nSigCgt:\t");
    return at >= 0 && (status.mid(at + 9, 16).toULongLong(nullptr, 16) & (1ull << (SIGTERM - 1))) != 0;
}
