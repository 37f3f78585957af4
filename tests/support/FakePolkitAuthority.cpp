#include "FakePolkitAuthority.h"

#include "ConsoleInput.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
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

namespace {

bool KnownVerdict(const QByteArray& verdict)
{
    return verdict == "yes" || verdict == "no" || verdict == "challenge";
}

} // namespace

bool FakePolkitAuthority::setVerdict(const QByteArray& verdict)
{
    if (!KnownVerdict(verdict)) {
        return false;
    }
    m_verdict = verdict;
    return true;
}

bool FakePolkitAuthority::setVerdictFor(const QByteArray& uidAndVerdict)
{
    const QList<QByteArray> parts = uidAndVerdict.split(':');
    bool number = false;
    const uint uid = parts.value(0).toUInt(&number);
    const QByteArray verdict = parts.value(1);
    if (parts.size() != 2 || !number || !(KnownVerdict(verdict) || verdict == "never")) {
        return false;
    }
    m_verdictOfUid.insert(uid, verdict);
    return true;
}

QByteArray FakePolkitAuthority::verdictFor(const QString& busName) const
{
    if (m_verdictOfUid.isEmpty()) {
        return m_verdict;
    }
    const QDBusReply<uint> uid = connection().interface()->serviceUid(busName);
    return uid.isValid() ? m_verdictOfUid.value(uid.value(), m_verdict) : m_verdict;
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
    const QByteArray verdict = verdictFor(subject.details.value(QStringLiteral("name")).toString());
    PolkitResult result;
    result.authorized = verdict == "yes";
    result.challenge = verdict == "challenge";
    if (verdict == "never") {
        setDelayedReply(true);
        return result;
    }
    if (m_delayMs > 0) {
        setDelayedReply(true);
        const QDBusMessage reply = message().createReply(QVariant::fromValue(result));
        QTimer::singleShot(m_delayMs, this, [reply] { QDBusConnection::systemBus().send(reply); });
    }
    return result;
}
