// Fake agent helper for tests. Owns the helper's name on the system bus and
// reads commands, one per line, on standard input:
//   connected true|false   what GetConnectedStatus answers
//   delay MS               replies wait MS milliseconds; -1: never reply
//   post NAME              posts a notification
//   crash                  ends abnormally
//   quit                   ends normally
// Prints "ready" once the name is owned, and the name of every call.
#include "FakeHelperObject.h"
#include "NotifyCenter.h"
#include "VoraDBusNames.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QSocketNotifier>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

void Obey(const QByteArray& line, FakeHelperObject& helper)
{
    const QList<QByteArray> words = line.trimmed().split(' ');
    const QByteArray verb = words.value(0);
    const QByteArray argument = words.value(1);
    if (verb == "connected") {
        helper.setConnected(argument == "true");
    } else if (verb == "delay") {
        helper.setReplyDelayMs(argument.toInt());
    } else if (verb == "post") {
        NotifyCenter::darwinNotifyCenter()->postNotification(QString::fromUtf8(argument), nullptr, nullptr,
                                                             true);
    } else if (verb == "crash") {
        std::abort();
    } else if (verb == "quit") {
        QCoreApplication::quit();
        return;
    }
    std::printf("ok %s\n", line.trimmed().constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    FakeHelperObject helper;
    helper.setConnected(argc > 1 && QByteArray(argv[1]) == "--connected");

    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.registerObject(QString::fromLatin1(kHelperPath), &helper,
                            QDBusConnection::ExportScriptableSlots) ||
        !bus.registerService(QString::fromLatin1(kHelperService))) {
        std::fprintf(stderr, "cannot own %s\n", kHelperService);
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);

    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char chunk[256];
        const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (got <= 0) {
            QCoreApplication::quit();
            return;
        }
        pending.append(chunk, got);
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            Obey(pending.left(end), helper);
            pending.remove(0, end + 1);
        }
    });
    return application.exec();
}
