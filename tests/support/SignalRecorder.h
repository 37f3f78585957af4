#pragma once

#include <QDBusMessage>
#include <QList>
#include <QObject>

// Records every signal it is connected to, whatever its arguments:
//   connection.connect(QString(), path, interface, member, &recorder, SLOT(record(QDBusMessage)));
class SignalRecorder final : public QObject
{
    Q_OBJECT

public:
    const QList<QDBusMessage>& signalsSeen() const { return m_signals; }
    // The first argument (a string) of each signal seen.
    QStringList firstArguments() const;

public Q_SLOTS:
    void record(const QDBusMessage& message);

private:
    QList<QDBusMessage> m_signals;
};
