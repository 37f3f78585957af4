#include "DialogSteering.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

namespace {

const std::map<QString, vora_alert_command> kPlainCommands = {
    {QStringLiteral("showok"), VORA_ALERT_SHOW_OK},
    {QStringLiteral("progon"), VORA_ALERT_PROGRESS_ON},
    {QStringLiteral("progoff"), VORA_ALERT_PROGRESS_OFF},
    {QStringLiteral("finish"), VORA_ALERT_FINISH},
    {QStringLiteral("exit"), VORA_ALERT_EXIT},
};

} // namespace

DialogSteering::DialogSteering(const std::string& suffix) : m_suffix(suffix)
{
    vora_alert* opened = nullptr;
    if (vora_alert_open(suffix.c_str(), nullptr, &opened) == 0) {
        m_owned.reset(opened);
        m_alert = opened;
    }
}

DialogSteering::DialogSteering(vora_alert* alert) : m_suffix(vora_alert_get_suffix(alert)), m_alert(alert) {}

bool DialogSteering::setDialogUser(uid_t uid, QString* error)
{
    vora_alert* opened = nullptr;
    const std::string user = std::to_string(static_cast<unsigned long>(uid));
    if (vora_alert_open(m_suffix.c_str(), user.c_str(), &opened) != 0) {
        *error = QString::fromUtf8(vora_alert_last_error());
        return false;
    }
    m_owned.reset(opened);
    m_alert = opened;
    return true;
}

// The library publishes every marker whole, handed to the dialog's user,
// replacing whatever stands at its name.
bool DialogSteering::publish(vora_alert_command command, const std::string& text, QString* error)
{
    if (m_alert == nullptr || vora_alert_publish(m_alert, command, text.c_str()) != 0) {
        *error = QString::fromUtf8(vora_alert_last_error());
        return false;
    }
    return true;
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

// A dialog that ended meanwhile is no failure here: its answer is what
// counts (the runner removes what it did not take).
bool DialogSteering::awaitTaken(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (m_alert != nullptr && vora_alert_await_taken(m_alert, 0) == -ETIMEDOUT && !dialogEnded()) {
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
        return publish(plain->second, std::string(), error);
    }
    if (verb == QLatin1String("message")) {
        return publish(VORA_ALERT_MESSAGE, text, error);
    }
    if (verb == QLatin1String("append")) {
        return publish(VORA_ALERT_APPEND, text, error);
    }
    if (verb == QLatin1String("timeout")) {
        bool ok = false;
        argument.toInt(&ok);
        if (!ok) {
            *error = QStringLiteral("timeout needs a number of seconds: ") + line;
            return false;
        }
        return publish(VORA_ALERT_TIMEOUT, text, error);
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
    // The library's note says which marker it removed.
    if (m_alert != nullptr && vora_alert_withdraw(m_alert) < 0) {
        std::fprintf(stderr, "vora-agent: %s\n", vora_alert_last_error());
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
