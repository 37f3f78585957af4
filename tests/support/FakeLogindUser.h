#pragma once

#include <QObject>
#include <QString>

// One user of the fake logind: org.freedesktop.login1.User with its
// runtime directory.
class FakeLogindUser final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.User")
    Q_PROPERTY(uint UID READ uid)
    Q_PROPERTY(QString RuntimePath READ runtimePath)

public:
    FakeLogindUser(uint uid, QString runtimePath);

    uint uid() const { return m_uid; }
    QString runtimePath() const { return m_runtimePath; }

private:
    uint m_uid;
    QString m_runtimePath;
};
