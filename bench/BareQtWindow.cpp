// The toolkit's floor: a window with a label and a button and a 50 ms
// timer that tests seven files, nothing else.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <sys/stat.h>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("A message for the user")));
    layout->addWidget(new QPushButton(QStringLiteral("OK")));
    window.resize(500, 340);
    window.show();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [] {
        struct stat info;
        for (int i = 0; i < 7; ++i) {
            ::stat("/tmp/vora-bare-reference-marker", &info);
        }
    });
    poll.start(50);
    return application.exec();
}
