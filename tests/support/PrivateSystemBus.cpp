#include "PrivateSystemBus.h"

#include "TempAgentRoot.h"

#include <QDir>
#include <QFile>

#include <cstdlib>

namespace {

// Everyone may own and call everything: the tests check our programs, not
// the installed policy (dbus/ holds that one).
constexpr const char* kConfiguration =
    R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_requested_reply="true" send_type="method_return"/>
    <allow send_requested_reply="true" send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
    <allow receive_type="signal"/>
    <allow send_destination="*"/>
  </policy>
</busconfig>
)";

} // namespace

PrivateSystemBus::PrivateSystemBus()
{
    char pattern[] = "/tmp/vora-bus-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        return;
    }
    m_directory = QString::fromLocal8Bit(pattern);
    const QString config = m_directory + QStringLiteral("/bus.conf");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) {
        return;
    }
    file.write(QString::fromLatin1(kConfiguration).arg(m_directory).toUtf8());
    file.close();

    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=") + config, QStringLiteral("--print-address"),
                    QStringLiteral("--nofork")});
    if (!m_daemon.waitForStarted(10000) || !m_daemon.waitForReadyRead(10000)) {
        return;
    }
    m_address = QString::fromLocal8Bit(m_daemon.readLine()).trimmed();
    setenv("DBUS_SYSTEM_BUS_ADDRESS", m_address.toLocal8Bit().constData(), 1);
}

PrivateSystemBus::~PrivateSystemBus()
{
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(5000)) {
            m_daemon.kill();
            m_daemon.waitForFinished();
        }
    }
    if (!m_directory.isEmpty()) {
        RemoveTree(m_directory.toStdString());
    }
}
