#include "DialogSteering.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

#include <sys/stat.h>

namespace {

const std::map<QString, VUA_MarkerType> kPlainCommands = {
    {QStringLiteral("showok"), MARKER_SHOWOK},   {QStringLiteral("progon"), MARKER_PROGON},
    {QStringLiteral("progoff"), MARKER_PROGOFF}, {QStringLiteral("finish"), MARKER_FINISH},
    {QStringLiteral("exit"), MARKER_EXIT},
};

} // namespace

DialogSteering::DialogSteering(const std::string& suffix) : m_markers(suffix) {}

// Every marker appears whole (an empty SETTIMEOUT read half written would
// be taken as "no time-out" and lost) and replaces whatever stands at its
// name, one the dialog has not taken yet or one another user planted.
bool DialogSteering::create(VUA_MarkerType type, const std::string& content, QString* error)
{
    struct stat published = {};
    const VResult done = m_markers.Publish(type, content, &published);
    if (!done) {
        *error = QStringLiteral("cannot create marker %1: %2")
                     .arg(QString::fromStdString(m_markers.GetFilePath(type)),
                          QString::fromLocal8Bit(strerror(done.error)));
        return false;
    }
    if (type != MARKER_APND) {
        m_last = type;
        m_lastPublished = {published.st_dev, published.st_ino, published.st_uid};
    }
    return true;
}

// The marker published last still stands at its name: the same file, not
// one another user made there after the dialog took ours.
bool DialogSteering::lastStillThere() const
{
    struct stat info = {};
    if (m_last == MARKER_NONE || !m_markers.Stat(m_last, &info)) {
        return false;
    }
    return info.st_dev == m_lastPublished.dev && info.st_ino == m_lastPublished.ino &&
           info.st_uid == m_lastPublished.uid;
}

// Events go on being handled meanwhile. Handling them may take longer than
// what was left of the pause: then it is over, and no sleep follows (a
// negative rest passed to msleep would be a sleep of years).
void DialogSteering::pause(int milliseconds) const
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        const qint64 rest = milliseconds - clock.elapsed();
        if (rest <= 0 || dialogEnded()) {
            return;
        }
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(10, rest)));
    }
}

bool DialogSteering::awaitTaken(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (lastStillThere() && !dialogEnded()) {
        if (clock.elapsed() > timeoutMs) {
            return false;
        }
        pause(5);
    }
    return true;
}

bool DialogSteering::run(const QString& command, QString* error)
{
    const QString line = command.trimmed();
    const QString verb = line.section(QLatin1Char(' '), 0, 0).toLower();
    const QString argument = line.section(QLatin1Char(' '), 1);
    const std::string text = argument.toStdString();

    if (const auto plain = kPlainCommands.find(verb); plain != kPlainCommands.end()) {
        return create(plain->second, std::string(), error);
    }
    if (verb == QLatin1String("message")) {
        m_markers.Delete(MARKER_APND);
        return create(MARKER_MESG, text, error);
    }
    if (verb == QLatin1String("append")) {
        return create(MARKER_APND, std::string(), error) && create(MARKER_MESG, text, error);
    }
    if (verb == QLatin1String("timeout")) {
        bool ok = false;
        argument.toInt(&ok);
        if (!ok) {
            *error = QStringLiteral("timeout needs a number of seconds: ") + line;
            return false;
        }
        return create(MARKER_SETTIMEOUT, text, error);
    }
    if (verb == QLatin1String("wait")) {
        bool ok = false;
        const int milliseconds = argument.toInt(&ok);
        if (!ok || milliseconds < 0) {
            *error = QStringLiteral("wait needs milliseconds: ") + line;
            return false;
        }
        pause(milliseconds);
        return true;
    }
    if (verb == QLatin1String("await")) {
        if (!awaitTaken(10000)) {
            *error = QStringLiteral("the dialog did not take its marker within 10 s");
            return false;
        }
        return true;
    }
    *error = QStringLiteral("unknown command: ") + line;
    return false;
}

bool DialogSteering::runScript(QIODevice& script, QString* error, const std::function<bool()>& keepGoing)
{
    m_keepGoing = keepGoing;
    const bool done = runLines(script, error);
    if (m_keepGoing && (!done || dialogEnded())) {
        dropUntaken();
    }
    m_keepGoing = nullptr;
    return done;
}

// The dialog ended, or is about to be ended, before it took the marker
// published last: left there, it would be obeyed by the next dialog of the
// suffix at its first poll.
void DialogSteering::dropUntaken() const
{
    if (!lastStillThere()) {
        return;
    }
    const std::string path = m_markers.GetFilePath(m_last);
    const VResult removed = m_markers.Delete(m_last);
    if (removed) {
        std::fprintf(stderr, "vora-agent: the dialog did not take %s; removed it\n", path.c_str());
    } else {
        std::fprintf(stderr, "vora-agent: the dialog did not take %s, and it cannot be removed: %s\n",
                     path.c_str(), std::strerror(removed.error));
    }
}

bool DialogSteering::runLines(QIODevice& script, QString* error)
{
    for (;;) {
        const QByteArray raw = script.readLine();
        if (raw.isEmpty() && (script.atEnd() || !script.waitForReadyRead(-1))) {
            return true;
        }
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        if (dialogEnded()) {
            return true;
        }
        if (!run(line, error)) {
            return false;
        }
    }
}
