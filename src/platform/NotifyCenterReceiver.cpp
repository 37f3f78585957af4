#include "NotifyCenterReceiver.h"

#include "NotifyCenter.h"

NotifyCenterReceiver::NotifyCenterReceiver(NotifyCenter& center) : m_center(center) {}

void NotifyCenterReceiver::posted(const QString& name)
{
    m_center.deliver(name);
}
