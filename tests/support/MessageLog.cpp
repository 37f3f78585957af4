#include "MessageLog.h"

#include <QMutex>
#include <QtGlobal>

namespace {

QMutex g_mutex;
QStringList g_lines;
QtMessageHandler g_previous = nullptr;

void Collect(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    {
        QMutexLocker lock(&g_mutex);
        g_lines.append(message);
    }
    if (g_previous != nullptr && type != QtInfoMsg) {
        g_previous(type, context, message);
    }
}

} // namespace

MessageLog::MessageLog()
{
    QMutexLocker lock(&g_mutex);
    g_lines.clear();
    g_previous = qInstallMessageHandler(Collect);
}

MessageLog::~MessageLog()
{
    qInstallMessageHandler(g_previous);
}

QStringList MessageLog::lines() const
{
    QMutexLocker lock(&g_mutex);
    return g_lines;
}
