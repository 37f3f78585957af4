// helper-flood METHOD COUNT: sends COUNT calls of METHOD to the agent's
// helper on the system bus at once, without waiting for any answer, as a
// user who wants to keep the helper busy would. Prints "ready" once the
// bus has taken every call, then "answered NAME" for each answer (the
// error's name, or "ok"); ends at the end of its input.
#include "ConsoleInput.h"
#include "VoraDBusNames.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int count = arguments.value(2).toInt();
    QDBusConnection bus = QDBusConnection::systemBus();
    if (arguments.size() != 3 || count <= 0 || !bus.isConnected()) {
        std::fprintf(stderr, "helper-flood: METHOD COUNT, with a system bus\n");
        return 2;
    }
    const QDBusMessage call =
        QDBusMessage::createMethodCall(kHelperService, kHelperPath, kHelperInterface, arguments.at(1));
    for (int i = 0; i < count; ++i) {
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 120000), &application);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [watcher] {
            SayLine("answered " + (watcher->isError() ? watcher->error().name().toUtf8() : QByteArray("ok")));
        });
    }
    // The bus answers in the order it read: after this, it has every call.
    bus.call(QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                            "org.freedesktop.DBus.Peer", "Ping"));
    ConsoleInput console([](const QByteArray&, const QByteArray&) { return false; });
    SayLine("ready");
    return QCoreApplication::exec();
}
