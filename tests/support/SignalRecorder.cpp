#include "SignalRecorder.h"

#include <QStringList>
#include <QVariant>

QStringList SignalRecorder::firstArguments() const
{
    QStringList arguments;
    for (const QDBusMessage& message : m_signals) {
        arguments.append(message.arguments().value(0).toString());
    }
    return arguments;
}

void SignalRecorder::record(const QDBusMessage& message)
{
    m_signals.append(message);
}
