#pragma once

#include <QObject>
#include <QString>

class NotifyCenter;

// Receives the bus's Posted signals for the notify centre.
class NotifyCenterReceiver final : public QObject
{
    Q_OBJECT

public:
    explicit NotifyCenterReceiver(NotifyCenter& center);

public Q_SLOTS:
    void posted(const QString& name);

private:
    NotifyCenter& m_center;
};
