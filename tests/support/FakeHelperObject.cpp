#include "FakeHelperObject.h"

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

} // namespace

void FakeHelperObject::answerLater(const QDBusMessage& reply)
{
    if (m_replyDelayMs == 0) {
        return;
    }
    setDelayedReply(true);
    if (m_replyDelayMs < 0) {
        return;
    }
    QTimer::singleShot(m_replyDelayMs, [reply] { QDBusConnection::systemBus().send(reply); });
}

void FakeHelperObject::RestartAgent()
{
    Say("RestartAgent");
    answerLater(message().createReply());
    NotifyCenter::darwinNotifyCenter()->postNotification(QString::fromLatin1(kAgentWasRestarted), nullptr,
                                                         nullptr, true);
}

void FakeHelperObject::RunInventory()
{
    Say("RunInventory");
    answerLater(message().createReply());
    NotifyCenter::darwinNotifyCenter()->postNotification(QString::fromLatin1(kAgentInventoryWasRun), nullptr,
                                                         nullptr, true);
}

bool FakeHelperObject::GetConnectedStatus()
{
    Say("GetConnectedStatus");
    answerLater(message().createReply(QVariantList{m_connected}));
    return m_connected;
}
