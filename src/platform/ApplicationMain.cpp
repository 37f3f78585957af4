#include "ApplicationMain.h"

#include "ProcessArguments.h"
#include "StringTables.h"
#include "TerminationSignals.h"

#include <QApplication>
#include <QRegularExpression>
#include <QThread>

#include <cstdlib>
#include <unistd.h>

MainInterface::~MainInterface() = default;

void MainInterface::terminate(const std::string& /*reason*/) {}

namespace {

// What the early ends need to say why. One program per process, so one
// instance; only the main thread and the exit path touch it.
struct EarlyEnd
{
    TerminationLogger fallback;
    MainInterface* interface = nullptr;
    bool watching = false;
    QtMessageHandler previousHandler = nullptr;
    std::string lastWarning;
};

EarlyEnd& State()
{
    static EarlyEnd state;
    return state;
}

// Qt's messages may run over several lines ("...could not be initialized.
// \n\nAvailable platform plugins are: ..."); the log holds one record a
// line, so every run of line breaks, with the blanks around it, becomes
// one blank.
std::string OneLine(const std::string& text)
{
    std::string folded;
    bool breaking = false;
    for (const char c : text) {
        if (c == '\n' || c == '\r') {
            breaking = true;
            continue;
        }
        if (breaking && (c == ' ' || c == '\t')) {
            continue;
        }
        if (breaking) {
            while (!folded.empty() && (folded.back() == ' ' || folded.back() == '\t')) {
                folded.pop_back();
            }
            folded += folded.empty() ? "" : " ";
            breaking = false;
        }
        folded += c;
    }
    return folded;
}

void LogEnd(const std::string& text)
{
    const std::string reason = OneLine(text);
    EarlyEnd& state = State();
    state.watching = false;
    if (state.interface != nullptr) {
        state.interface->terminate(reason);
    } else if (state.fallback) {
        state.fallback(reason);
    }
}

// Qt's advice on a platform plugin that failed, wrong where the display is
// what is missing; the reason around it stays:
//   "... could not be initialized. Reinstalling the application may fix
//   this problem.\n\nAvailable platform plugins are: xcb."
//   -> "... could not be initialized.\n\nAvailable platform plugins are: xcb."
QString WithoutReinstallAdvice(QString text)
{
    static const QRegularExpression kAdvice(
        QStringLiteral(" *Reinstalling the application may fix this problem\\."));
    return text.remove(kAdvice);
}

// Qt ends with qFatal (abort, status 134) when there is no display or the
// display refuses the connection: the line is logged and the process ends
// with status 0 instead.
void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    EarlyEnd& state = State();
    const bool endsHere = state.watching && type == QtFatalMsg;
    const QString said = endsHere ? WithoutReinstallAdvice(text) : text;
    if (state.previousHandler != nullptr) {
        state.previousHandler(type, context, said);
    }
    if (!state.watching) {
        return;
    }
    if (endsHere) {
        LogEnd("no usable display (" + said.toStdString() + ")");
        ::_exit(0);
    }
    // Warnings come from other threads too; only the main thread's are kept
    // (the display connection's are).
    const bool mainThread = QCoreApplication::instance() != nullptr &&
                            QThread::currentThread() == QCoreApplication::instance()->thread();
    if ((type == QtWarningMsg || type == QtCriticalMsg) && mainThread) {
        state.lastWarning = text.toStdString();
    }
}

// The platform plugins end the process with exit(1) when the display goes
// away ("The X11 connection broke"); the exit handlers still run, and this
// one turns that end into status 0 with its line.
void OnUnexpectedExit()
{
    EarlyEnd& state = State();
    if (!state.watching) {
        return;
    }
    std::string reason = "the display connection was lost";
    if (!state.lastWarning.empty()) {
        reason += " (" + state.lastWarning + ")";
    }
    LogEnd(reason);
    ::_exit(0);
}

void WatchEarlyEnds(const TerminationLogger& logTermination)
{
    TerminationSignals::Install(); // a signal from now on waits for the loop
    EarlyEnd& state = State();
    state.fallback = logTermination;
    state.watching = true;
    state.previousHandler = qInstallMessageHandler(OnQtMessage);
    std::atexit(OnUnexpectedExit);
}

} // namespace

int ApplicationMain(int argc, char** argv, const char* stringTable, const InterfaceLoader& loadInterface,
                    const ApplicationOptions& options)
{
    CaptureProcessArguments(argc, argv);
    const TerminationLogger& logTermination = options.logTermination;
    if (logTermination) {
        WatchEarlyEnds(logTermination);
    }

    // Qt keeps pointers to its argc and argv for the application's life.
    static std::string programPath;
    static char* programOnly[2] = {nullptr, nullptr};
    static int programOnlyCount = 1;
    programPath = argc > 0 && argv[0] != nullptr ? argv[0] : "";
    programOnly[0] = programPath.data();
    programOnlyCount = 1;
    SelectDisplayPlatform();
    int& qtArgc = options.programOwnsAllArguments ? programOnlyCount : argc;
    char** qtArgv = options.programOwnsAllArguments ? programOnly : argv;
    QApplication application(qtArgc, qtArgv);
    InstallStringTables(application, QString::fromLatin1(stringTable));

    const std::unique_ptr<MainInterface> interface = loadInterface();
    State().interface = interface.get();
    std::unique_ptr<TerminationSignals> signalWatch;
    if (logTermination) {
        signalWatch = std::make_unique<TerminationSignals>([](const char* signalName) {
            LogEnd(std::string("ended by signal ") + signalName);
            QCoreApplication::exit(0);
        });
    }

    int result = 0;
    if (interface && interface->launch()) {
        result = application.exec();
    }
    State().watching = false;
    State().interface = nullptr;
    return result;
}
