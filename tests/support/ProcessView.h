#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <utility>

#include <sys/resource.h>

// What a test reads of a running process in /proc, read while it runs.
struct ProcessView
{
    QString status;
    QString limits;       // /proc/PID/limits
    QByteArray nice;      // field 19 of /proc/PID/stat
    QByteArray policy;    // field 41 of /proc/PID/stat: 0 SCHED_OTHER, 3 SCHED_BATCH, ...
    int ioClass = -1;     // of ioprio_get: 0 none, 1 real-time, 2 best effort, 3 idle
    int ioLevel = -1;     // of ioprio_get: 0-7
    QByteArray oomAdjust; // /proc/PID/oom_score_adj
    QList<QByteArray> environment;
    QMap<int, QString> descriptors; // number -> link target
};

QByteArray ReadAll(const QString& path);
// readlink() itself: QFile::symLinkTarget makes "pipe:[12]" a path.
QString ReadLink(const QString& path);
// The pid of the child of `parent` named `name`, or 0.
qint64 ChildNamed(qint64 parent, const QByteArray& name);
// The line of /proc/PID/limits for `name` ("Max open files").
QString LimitLine(const QString& limits, const QString& name);
// "Max open files  1024  4096  files" -> {1024, 4096}; "unlimited" is RLIM_INFINITY.
std::pair<rlim_t, rlim_t> LimitValues(const QString& line);
std::pair<rlim_t, rlim_t> ClampedTo(std::pair<rlim_t, rlim_t> limit, rlim_t hard);
// Where `pid` and its descendants are, thread by thread ("1234/1235
// (vora-agent) S futex_wait_queue"), for a test that finds one still there.
QString ProcessTree(qint64 pid);
ProcessView ViewOf(qint64 pid);
// Whether the process has its SIGTERM handler in place ("SigCgt:" in
// /proc/PID/status): from then on SIGTERM lets it end through its exit path.
bool CatchesSigterm(const QString& status);
