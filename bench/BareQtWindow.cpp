// The toolkit's floor: a window with a label and a button and a 50 ms
// timer that tests seven files, nothing else.
//
//   vora_bare_qt_window [DIRECTORY]   tests seven marker names in DIRECTORY
//                                     (default /tmp), as deep as the
//                                     dialog's own
// VORA_BENCH_PRECISE_TIMER=1 makes the timer precise instead of coarse.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <string>
#include <sys/stat.h>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const std::string directory = argc > 1 ? argv[1] : "/tmp";
    std::string paths[7];
    for (int i = 0; i < 7; ++i) {
        paths[i] = directory + "/VUSERALERT_BARE" + std::to_string(i) + ".reference";
    }
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("A message for the user")));
    layout->addWidget(new QPushButton(QStringLiteral("OK")));
    window.resize(500, 340);
    window.show();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&paths] {
        struct stat info;
        for (const std::string& path : paths) {
            ::stat(path.c_str(), &info);
        }
    });
    if (qEnvironmentVariableIsSet("VORA_BENCH_PRECISE_TIMER")) {
        poll.setTimerType(Qt::PreciseTimer);
    }
    poll.start(50);
    return application.exec();
}
