#include "PolkitAuthorization.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {

const QString kBus = QStringLiteral("org.freedesktop.DBus");
const QString kBusPath = QStringLiteral("/org/freedesktop/DBus");
const QString kAuthority = QStringLiteral("org.freedesktop.PolicyKit1");
const QString kAuthorityPath = QStringLiteral("/org/freedesktop/PolicyKit1/Authority");
const QString kAuthorityInterface = QStringLiteral("org.freedesktop.PolicyKit1.Authority");
constexpr uint kAllowUserInteraction = 0x1;

// (sa{sv}): ("system-bus-name", {"name": <":1.42">})
QVariant Subject(const QString& caller)
{
    QDBusArgument subject;
    subject.beginStructure();
    subject << QStringLiteral("system-bus-name") << QVariantMap{{QStringLiteral("name"), caller}};
    subject.endStructure();
    return QVariant::fromValue(subject);
}

// a{ss}, empty
QVariant NoDetails()
{
    QDBusArgument details;
    details.beginMap(QMetaType::fromType<QString>(), QMetaType::fromType<QString>());
    details.endMap();
    return QVariant::fromValue(details);
}

} // namespace

PolkitAuthorization::PolkitAuthorization(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus))
{
}

// First whose call it is: the bus driver answers at once, and is no
// connection whose answers the bus counts against the helper.
void PolkitAuthorization::check(const QString& actionId, const QString& caller, Answer answer)
{
    QDBusMessage whose =
        QDBusMessage::createMethodCall(kBus, kBusPath, kBus, QStringLiteral("GetConnectionUnixUser"));
    whose << caller;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(whose), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, actionId, caller, answer = std::move(answer)] {
                watcher->deleteLater();
                if (watcher->isError()) {
                    const QDBusError error = watcher->error();
                    answer({false,
                            QStringLiteral("the bus did not say whose call it is (%1: %2)")
                                .arg(error.name(), error.message()),
                            false});
                    return;
                }
                askFor(watcher->reply().arguments().value(0).toUInt(), actionId, caller, answer);
            });
}

void PolkitAuthorization::askFor(uint uid, const QString& actionId, const QString& caller,
                                 const Answer& answer)
{
    if (m_waiting.contains(uid)) {
        answer({false, QStringLiteral("uid %1 already waits for an authorization").arg(uid), false, true});
        return;
    }
    m_waiting.insert(uid);
    ask(actionId, caller, [this, uid, answer](const Verdict& verdict) {
        m_waiting.remove(uid);
        answer(verdict);
    });
}

void PolkitAuthorization::ask(const QString& actionId, const QString& caller, Answer answer)
{
    QDBusMessage request = QDBusMessage::createMethodCall(kAuthority, kAuthorityPath, kAuthorityInterface,
                                                          QStringLiteral("CheckAuthorization"));
    request.setArguments({Subject(caller), actionId, NoDetails(), kAllowUserInteraction, QString()});
    // An authentication dialog may take the user a while.
    request.setInteractiveAuthorizationAllowed(true);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(request, kTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, answer = std::move(answer)] {
        watcher->deleteLater();
        if (watcher->isError()) {
            const QDBusError error = watcher->error();
            answer(
                {false,
                 QStringLiteral("no polkit authority answered (%1: %2)").arg(error.name(), error.message()),
                 false});
            return;
        }
        answer(verdictOf(watcher->reply()));
    });
}

// The reply (bba{ss}): is_authorized, is_challenge, details.
PolkitAuthorization::Verdict PolkitAuthorization::verdictOf(const QDBusMessage& reply)
{
    const QVariantList arguments = reply.arguments();
    if (reply.signature() != QLatin1String("(bba{ss})") || arguments.isEmpty()) {
        return {false,
                QStringLiteral("the polkit authority answered with %1, not (bba{ss})").arg(reply.signature()),
                false};
    }
    const QDBusArgument result = arguments.first().value<QDBusArgument>();
    bool authorized = false;
    bool challenge = false;
    result.beginStructure();
    result >> authorized >> challenge;
    result.endStructure();
    if (authorized) {
        return {true, QStringLiteral("authorized by polkit")};
    }
    if (challenge) {
        return {false, QStringLiteral("polkit needs an authentication nobody provided")};
    }
    return {false, QStringLiteral("polkit refused")};
}
