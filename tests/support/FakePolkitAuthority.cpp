#include "FakePolkitAuthority.h"

#include "ConsoleInput.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QTimer>

QDBusArgument& operator<<(QDBusArgument& argument, const PolkitSubject& subject)
{
    argument.beginStructure();
    argument << subject.kind << subject.details;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PolkitSubject& subject)
{
    argument.beginStructure();
    argument >> subject.kind >> subject.details;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const PolkitResult& result)
{
    argument.beginStructure();
    argument << result.authorized << result.challenge << result.details;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PolkitResult& result)
{
    argument.beginStructure();
    argument >> result.authorized >> result.challenge >> result.details;
    argument.endStructure();
    return argument;
}

FakePolkitAuthority::FakePolkitAuthority()
{
    qDBusRegisterMetaType<QMap<QString, QString>>();
    qDBusRegisterMetaType<PolkitSubject>();
    qDBusRegisterMetaType<PolkitResult>();
}

bool FakePolkitAuthority::setVerdict(const QByteArray& verdict)
{
    if (verdict != "yes" && verdict != "no" && verdict != "challenge") {
        return false;
    }
    m_verdict = verdict;
    return true;
}

bool FakePolkitAuthority::setDelay(const QByteArray& milliseconds)
{
    bool number = false;
    const int delay = milliseconds.toInt(&number);
    if (!number || delay < 0) {
        return false;
    }
    m_delayMs = delay;
    return true;
}

bool FakePolkitAuthority::publish()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    return bus.registerObject(QStringLiteral("/org/freedesktop/PolicyKit1/Authority"), this,
                              QDBusConnection::ExportScriptableSlots) &&
           bus.registerService(QStringLiteral("org.freedesktop.PolicyKit1"));
}

PolkitResult FakePolkitAuthority::CheckAuthorization(const PolkitSubject& subject, const QString& actionId,
                                                     const QMap<QString, QString>& /*details*/, uint flags,
                                                     const QString& /*cancellationId*/)
{
    SayLine(QStringLiteral("check %1 %2 %3 %4")
                .arg(actionId, subject.kind, subject.details.value(QStringLiteral("name")).toString(),
                     QString::number(flags))
                .toUtf8());
    PolkitResult result;
    result.authorized = m_verdict == "yes";
    result.challenge = m_verdict == "challenge";
    if (m_delayMs > 0) {
        setDelayedReply(true);
        const QDBusMessage reply = message().createReply(QVariant::fromValue(result));
        QTimer::singleShot(m_delayMs, this, [reply] { QDBusConnection::systemBus().send(reply); });
    }
    return result;
}
