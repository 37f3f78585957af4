#include "HelperService.h"

#include "NotifyCenter.h"
#include "VoraDBusNames.h"

#include <QDBusConnection>
#include <QTimer>

#include <cstdio>

namespace {

void Say(const char* line)
{
    std::printf("%s\n", line);
    std::fflush(stdout);
}

void Post(const char* name)
{
    NotifyCenter::darwinNotifyCenter()->postNotification(QString::fromLatin1(name), nullptr, nullptr, true);
}

} // namespace

bool HelperService::publish()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    return bus.registerObject(QString::fromLatin1(kHelperPath), this,
                              QDBusConnection::ExportScriptableSlots) &&
           bus.registerService(QString::fromLatin1(kHelperService));
}

void HelperService::answerLater(const QDBusMessage& reply)
{
    if (m_replyDelayMs == 0) {
        return;
    }
    setDelayedReply(true);
    if (m_replyDelayMs < 0) {
        return;
    }
    QTimer::singleShot(m_replyDelayMs, this, [reply] { QDBusConnection::systemBus().send(reply); });
}

void HelperService::RestartAgent()
{
    Say("call RestartAgent");
    answerLater(message().createReply());
    Post(kAgentWasRestarted);
}

void HelperService::RunInventory()
{
    Say("call RunInventory");
    answerLater(message().createReply());
    Post(kAgentInventoryWasRun);
}

bool HelperService::GetConnectedStatus()
{
    Say("call GetConnectedStatus");
    answerLater(message().createReply(QVariantList{m_connected}));
    return m_connected;
}
