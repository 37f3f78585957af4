#include "NotifyCenterReceiver.h"

#include "NotifyCenter.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>

namespace {

// Bounds the memory a flood of throw-away connections can take; past it
// the set starts afresh, so a sender may be logged once more.
constexpr size_t kReportedSendersLimit = 256;

} // namespace

NotifyCenterReceiver::NotifyCenterReceiver(NotifyCenter& center, QDBusConnection bus, QString trustedName)
    : m_center(center), m_bus(std::move(bus)), m_trustedName(std::move(trustedName))
{
}

NotifyCenterReceiver::~NotifyCenterReceiver() = default;

void NotifyCenterReceiver::watchTrustedName()
{
    if (m_watcher) {
        return;
    }
    // The watch first, then the query: a change after the answer still
    // arrives as a signal, in bus order before any later posting.
    m_watcher =
        std::make_unique<QDBusServiceWatcher>(m_trustedName, m_bus, QDBusServiceWatcher::WatchForOwnerChange);
    connect(m_watcher.get(), &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString& /*service*/, const QString& /*oldOwner*/, const QString& newOwner) {
                ownerChanged(newOwner);
            });
    const QDBusReply<QString> owner = m_bus.interface()->serviceOwner(m_trustedName);
    ownerChanged(owner.isValid() ? owner.value() : QString());
}

void NotifyCenterReceiver::ownerChanged(const QString& newOwner)
{
    m_trustedOwner = newOwner;
}

void NotifyCenterReceiver::posted(const QString& name, const QDBusMessage& message)
{
    const QString sender = message.service();
    const bool trusted =
        (!m_trustedOwner.isEmpty() && sender == m_trustedOwner) || sender == m_bus.baseService();
    if (!trusted) {
        reportIgnored(name, sender);
        return;
    }
    m_center.deliver(name);
}

void NotifyCenterReceiver::reportIgnored(const QString& name, const QString& sender)
{
    if (m_reportedSenders.size() >= kReportedSendersLimit) {
        m_reportedSenders.clear();
    }
    if (!m_reportedSenders.insert(sender).second) {
        return;
    }
    qWarning("Ignoring notification %s from %s: only the owner of %s (%s) may post it (said once per sender)",
             qUtf8Printable(name), qUtf8Printable(sender), qUtf8Printable(m_trustedName),
             m_trustedOwner.isEmpty() ? "none now" : qUtf8Printable(m_trustedOwner));
}
