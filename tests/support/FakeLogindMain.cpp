// fake-logind [--session id=ID,uid=UID,name=NAME,type=TYPE,display=DISPLAY,active=yes|no,remote=yes|no]...
//             [--user uid=UID,runtime=PATH]...
// systemd-logind on the system bus for tests. Prints "ready" once it owns
// its name and "call METHOD" for each manager call; ends at the end of its
// standard input.
#include "ConsoleInput.h"
#include "FakeLogind.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

bool ParseUser(const QString& text, uint* uid, QString* runtime)
{
    bool valid = false;
    for (const QString& field : text.split(QLatin1Char(','))) {
        if (field.startsWith(QLatin1String("uid="))) {
            *uid = field.mid(4).toUInt(&valid);
        } else if (field.startsWith(QLatin1String("runtime="))) {
            *runtime = field.mid(8);
        } else {
            return false;
        }
    }
    return valid;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    FakeLogind logind;
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() % 2 == 0) {
        std::fprintf(stderr, "fake-logind: every option takes one value\n");
        return 2;
    }
    for (qsizetype at = 1; at + 1 < arguments.size(); at += 2) {
        FakeLogindSession::Description session;
        uint uid = 0;
        QString runtime;
        if (arguments.at(at) == QLatin1String("--session") &&
            FakeLogindSession::parse(arguments.at(at + 1), &session)) {
            logind.addSession(session);
        } else if (arguments.at(at) == QLatin1String("--user") &&
                   ParseUser(arguments.at(at + 1), &uid, &runtime)) {
            logind.addUser(uid, runtime);
        } else {
            std::fprintf(stderr, "fake-logind: cannot use %s %s\n", qUtf8Printable(arguments.at(at)),
                         qUtf8Printable(arguments.at(at + 1)));
            return 2;
        }
    }
    if (!logind.publish()) {
        std::fprintf(stderr, "fake-logind: cannot own org.freedesktop.login1\n");
        return 1;
    }
    ConsoleInput console([](const QByteArray&, const QByteArray&) { return false; });
    SayLine("ready");
    return QCoreApplication::exec();
}
