#include "HelperService.h"

#include "HelperAdaptor.h"
#include "NotifyCenter.h"
#include "VoraDBusNames.h"

#include <QDBusConnection>
#include <QTimer>

#include <cstdio>

namespace {

void Say(const QString& line)
{
    std::printf("%s\n", qUtf8Printable(line));
    std::fflush(stdout);
}

void Post(const char* name)
{
    NotifyCenter::darwinNotifyCenter()->postNotification(QString::fromLatin1(name), nullptr, nullptr, true);
}

} // namespace

HelperService::HelperService() : m_authorization(QDBusConnection::systemBus(), this)
{
    new HelperAdaptor(this);
}

bool HelperService::publish()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    return bus.registerObject(QString::fromLatin1(kHelperPath), this, QDBusConnection::ExportAdaptors) &&
           bus.registerService(QString::fromLatin1(kHelperService));
}

// Every reply goes out explicitly, so the console's delay applies to all.
void HelperService::answer(const QDBusMessage& reply)
{
    if (m_replyDelayMs < 0) {
        return;
    }
    if (m_replyDelayMs == 0) {
        QDBusConnection::systemBus().send(reply);
        return;
    }
    QTimer::singleShot(m_replyDelayMs, this, [reply] { QDBusConnection::systemBus().send(reply); });
}

void HelperService::RestartAgent()
{
    runAuthorized({kHelperRestartAgent, kRestartAgentAction, kAgentWasRestarted,
                   "Not allowed to restart the agent: an administrator must approve it",
                   "Cannot restart the agent: the permission could not be checked"});
}

void HelperService::RunInventory()
{
    runAuthorized({kHelperRunInventory, kRunInventoryAction, kAgentInventoryWasRun,
                   "Not allowed to run the inventory: an administrator must approve it",
                   "Cannot run the inventory: the permission could not be checked"});
}

bool HelperService::GetConnectedStatus()
{
    Say(QStringLiteral("call GetConnectedStatus"));
    setDelayedReply(true);
    answer(message().createReply(QVariantList{m_connected}));
    return m_connected;
}

void HelperService::runAuthorized(const Command& command)
{
    const QDBusMessage request = message();
    setDelayedReply(true);
    if (!m_authorizationRequired) {
        carryOut(command, request);
        return;
    }
    m_authorization.check(QString::fromLatin1(command.action), request.service(),
                          [this, command, request](const PolkitAuthorization::Verdict& verdict) {
                              if (verdict.allowed) {
                                  carryOut(command, request);
                                  return;
                              }
                              Say(QStringLiteral("refused %1 from %2: %3")
                                      .arg(QLatin1String(command.method), request.service(), verdict.reason));
                              answer(refusalOf(command, request, verdict));
                          });
}

QDBusMessage HelperService::refusalOf(const Command& command, const QDBusMessage& request,
                                      const PolkitAuthorization::Verdict& verdict)
{
    if (verdict.waiting) {
        return request.createErrorReply(QString::fromLatin1(kHelperAuthorizationPending),
                                        QStringLiteral("Already waiting for an authorization of this user: "
                                                       "answer it, or wait until it times out"));
    }
    return verdict.checked
               ? request.createErrorReply(QDBusError::AccessDenied, QString::fromLatin1(command.refusal))
               : request.createErrorReply(QString::fromLatin1(kHelperAuthorizationUnavailable),
                                          QString::fromLatin1(command.unchecked));
}

void HelperService::carryOut(const Command& command, const QDBusMessage& request)
{
    Say(QStringLiteral("call %1").arg(QLatin1String(command.method)));
    answer(request.createReply());
    Post(command.notification);
}
