// fake-polkit-authority [--verdict yes|no|challenge]: a polkit authority on
// the system bus for tests. Prints "ready" once it owns its name; standard
// input takes "verdict yes|no|challenge"; ends at the end of its input.
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
    if (!authority.publish()) {
        std::fprintf(stderr, "fake-polkit-authority: cannot own org.freedesktop.PolicyKit1\n");
        return 1;
    }
    ConsoleInput console([&](const QByteArray& verb, const QByteArray& argument) {
        return verb == "verdict" && authority.setVerdict(argument);
    });
    SayLine("ready");
    return QCoreApplication::exec();
}
