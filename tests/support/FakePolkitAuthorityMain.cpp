// fake-polkit-authority [--verdict yes|no|challenge] [--verdict-for UID:VERDICT]...
// [--delay MS]: a polkit authority on the system bus for tests. Prints "ready" once it owns its
// name; standard input takes "verdict yes|no|challenge" and "delay MS";
// ends at the end of its input.
#include "ConsoleInput.h"
#include "FakePolkitAuthority.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    FakePolkitAuthority authority;
    const QStringList arguments = QCoreApplication::arguments();
    const qsizetype verdict = arguments.indexOf(QStringLiteral("--verdict"));
    if (verdict > 0 && !authority.setVerdict(arguments.value(verdict + 1).toUtf8())) {
        std::fprintf(stderr, "fake-polkit-authority: unknown verdict\n");
        return 2;
    }
    for (qsizetype at = arguments.indexOf(QStringLiteral("--verdict-for")); at > 0;
         at = arguments.indexOf(QStringLiteral("--verdict-for"), at + 1)) {
        if (!authority.setVerdictFor(arguments.value(at + 1).toUtf8())) {
            std::fprintf(stderr, "fake-polkit-authority: --verdict-for takes UID:VERDICT\n");
            return 2;
        }
    }
    const qsizetype delay = arguments.indexOf(QStringLiteral("--delay"));
    if (delay > 0 && !authority.setDelay(arguments.value(delay + 1).toUtf8())) {
        std::fprintf(stderr, "fake-polkit-authority: the delay is a number of milliseconds\n");
        return 2;
    }
    if (!authority.publish()) {
        std::fprintf(stderr, "fake-polkit-authority: cannot own org.freedesktop.PolicyKit1\n");
        return 1;
    }
    ConsoleInput console([&](const QByteArray& verb, const QByteArray& argument) {
        return (verb == "verdict" && authority.setVerdict(argument)) ||
               (verb == "delay" && authority.setDelay(argument));
    });
    SayLine("ready");
    return QCoreApplication::exec();
}
